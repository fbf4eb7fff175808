#pragma once
// Where two lists of lines part first, for a failure that stays readable on
// lists of thousands of lines.

#include <QStringList>

#include <algorithm>
#include <string>

namespace veska::test {

inline std::string FirstDifference(const QStringList& a, const QStringList& b)
{
  for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
    const QString left = i < a.size() ? a[i] : QStringLiteral("(end)");
    const QString right = i < b.size() ? b[i] : QStringLiteral("(end)");
    if (left != right)
      return QStringLiteral("line %1:\n  %2\n  %3").arg(i + 1).arg(left, right).toStdString();
  }
  return "none";
}

}  // namespace veska::test
