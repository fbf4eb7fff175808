// The date text of a diagram file's header.

#include "diagramfile/DiagramFile.h"

#include <QLocale>
#include <QRegularExpression>

namespace veska {

QString FormatDateText(const QDateTime& value)
{
  const QLocale c = QLocale::c();
  QString text = c.toString(value.date(), QStringLiteral("M/d/yy"));
  const QTime t = value.time();
  if (t.hour() != 0 || t.minute() != 0 || t.second() != 0)
    text += QLatin1Char(' ') + c.toString(t, QStringLiteral("h:mm:ss AP"));
  return text;
}

std::optional<QDateTime> ParseDateText(const QString& text, const QDateTime& now)
{
  static const QRegularExpression pattern(QStringLiteral(
      R"(^\s*(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?\s*$)"));
  const QRegularExpressionMatch m = pattern.match(text);
  if (!m.hasMatch())
    return std::nullopt;
  int year = m.captured(3).toInt();
  if (m.captured(3).size() == 2)
    year += now.date().year() / 100 * 100;
  const QDate date(year, m.captured(1).toInt(), m.captured(2).toInt());
  if (!date.isValid())
    return std::nullopt;
  QTime time(0, 0);
  if (m.capturedLength(4) > 0) {
    int hour = m.captured(4).toInt();
    const QString marker = m.captured(7).toUpper();
    if (!marker.isEmpty()) {
      if (hour < 1 || hour > 12)
        return std::nullopt;
      hour = hour % 12 + (marker == QStringLiteral("PM") ? 12 : 0);
    }
    time = QTime(hour, m.captured(5).toInt(), m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0);
    if (!time.isValid())
      return std::nullopt;
  }
  return QDateTime(date, time);
}

}  // namespace veska
