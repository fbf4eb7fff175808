#include "sqlbuild/SqlQuoting.h"

#include "platform/TextEncoding.h"

namespace veska {

QString QuoteIdentifier(TSqlDialect dialect, const QString& name)
{
  // A build quotes every name it writes, hundreds of thousands for a large
  // model: the text is made in one piece.
  const QChar quote = dialect == TSqlDialect::MySQL ? QLatin1Char('`') : QLatin1Char('"');
  QString quoted;
  quoted.reserve(name.size() + 2);
  quoted += quote;
  for (qsizetype from = 0;;) {
    const qsizetype at = name.indexOf(quote, from);
    if (at < 0) {
      quoted += QStringView(name).mid(from);
      break;
    }
    // A quote inside is doubled.
    quoted += QStringView(name).mid(from, at + 1 - from);
    quoted += quote;
    from = at + 1;
  }
  quoted += quote;
  return quoted;
}

QString QuoteString(TSqlDialect dialect, const QString& text)
{
  QString escaped = text;
  const bool lineBreaks = text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
  switch (dialect) {
  case TSqlDialect::MySQL:
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    break;
  case TSqlDialect::PostgreSQL:
    // An escape string only where a line break has to be written as one.
    if (!lineBreaks)
      break;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("E'") + escaped + QLatin1Char('\'');
  case TSqlDialect::SQLite:
    if (!lineBreaks)
      break;
    // No escapes in SQLite's texts: the breaks are joined in as characters.
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    escaped.replace(QLatin1Char('\n'), QStringLiteral("' || char(10) || '"));
    escaped.replace(QLatin1Char('\r'), QStringLiteral("' || char(13) || '"));
    return QStringLiteral("('") + escaped + QStringLiteral("')");
  }
  escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
  return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString CutIdentifier(TSqlDialect dialect, const QString& name, int limit)
{
  if (limit <= 0)
    return name;
  if (dialect != TSqlDialect::PostgreSQL)
    return LeftCharacters(name, limit);
  // Whole characters while their UTF-8 bytes fit.
  qsizetype bytes = 0;
  qsizetype i = 0;
  while (i < name.size()) {
    const bool pair = name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate();
    const char32_t code = pair ? QChar::surrogateToUcs4(name[i], name[i + 1]) : name[i].unicode();
    const int size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (bytes + size > limit)
      break;
    bytes += size;
    i += pair ? 2 : 1;
  }
  return name.left(i);
}

namespace {

bool IsWordCharacter(QChar c)
{
  return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

}  // namespace

QString ReplaceValueWord(const QString& condition, const QString& replacement)
{
  static const QString kValue = QStringLiteral("VALUE");
  QString result;
  result.reserve(condition.size());
  qsizetype i = 0;
  while (i < condition.size()) {
    const QChar c = condition[i];
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
      // Up to the closing quote; a doubled quote stays inside.
      qsizetype end = condition.indexOf(c, i + 1);
      while (end >= 0 && end + 1 < condition.size() && condition[end + 1] == c)
        end = condition.indexOf(c, end + 2);
      const qsizetype stop = end < 0 ? condition.size() : end + 1;
      result += condition.mid(i, stop - i);
      i = stop;
    } else if (IsWordCharacter(c)) {
      qsizetype end = i;
      while (end < condition.size() && IsWordCharacter(condition[end]))
        ++end;
      const QString word = condition.mid(i, end - i);
      result += word.compare(kValue, Qt::CaseInsensitive) == 0 ? replacement : word;
      i = end;
    } else {
      result += c;
      ++i;
    }
  }
  return result;
}

}  // namespace veska
