#include "model/Identifiers.h"

namespace veska {

namespace {
bool IsAsciiLetter(QChar c)
{
  const char16_t u = c.unicode();
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_';
}
}  // namespace

bool IsValidIdentifier(const QString& text)
{
  if (text.isEmpty() || !IsAsciiLetter(text[0]))
    return false;
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (!IsAsciiLetter(c) && !(u >= '0' && u <= '9'))
      return false;
  }
  return true;
}

QString Underscored(const QString& text)
{
  QString s(text);
  s.replace(QLatin1Char(' '), QLatin1Char('_'));
  return s;
}

bool SameText(const QString& a, const QString& b)
{
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString BaseType(const QString& typeText)
{
  const qsizetype open = typeText.indexOf(QLatin1Char('('));
  return open < 0 ? typeText : typeText.left(open);
}

}  // namespace veska
