#include "model/Identifiers.h"

#include "model/CaseFold.h"

#include <algorithm>

namespace veska {

namespace {
bool IsAsciiLetter(char16_t u)
{
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_';
}
}  // namespace

bool IsValidIdentifier(const QString& text)
{
  const QChar* p = text.constData();
  const qsizetype n = text.size();
  if (n == 0 || !IsAsciiLetter(p[0].unicode()))
    return false;
  for (qsizetype i = 1; i < n; ++i) {
    const char16_t u = p[i].unicode();
    if (!IsAsciiLetter(u) && !(u >= '0' && u <= '9'))
      return false;
  }
  return true;
}

namespace {
bool BreaksAName(QChar c)
{
  return c.unicode() < 32 || c == QLatin1Char(',');
}
}  // namespace

bool IsStorableName(const QString& name)
{
  return std::none_of(name.cbegin(), name.cend(), BreaksAName);
}

QString StorableName(const QString& name)
{
  if (IsStorableName(name))
    return name;
  QString s(name);
  std::replace_if(s.begin(), s.end(), BreaksAName, QLatin1Char('_'));
  return s;
}

QString Underscored(const QString& text)
{
  QString s(text);
  s.replace(QLatin1Char(' '), QLatin1Char('_'));
  return s;
}

bool SameText(const QString& a, const QString& b)
{
  return EqualIgnoringCase(a, b);
}

QString BaseType(const QString& typeText)
{
  const qsizetype open = typeText.indexOf(QLatin1Char('('));
  return open < 0 ? typeText : typeText.left(open);
}

}  // namespace veska
