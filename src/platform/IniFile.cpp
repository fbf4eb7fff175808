#include "platform/IniFile.h"

#include "platform/SafeFile.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace veska {
namespace {

// One line of the file and what the reader made of it.
struct TLine {
  enum Kind { Other, Section, Entry };
  QString Text;  // the line as it stands in the file, without its line end
  Kind Type = Other;
  QString Name;  // section name or key
  QString Value;
};

bool InQuotes(const QString& value)
{
  return value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
}

// A value keeps its inner blanks; one pair of enclosing double quotes is
// taken off so that a value can start or end with blanks.
QString CleanValue(QString value)
{
  value = value.trimmed();
  if (InQuotes(value))
    value = value.mid(1, value.size() - 2);
  return value;
}

// The value as it is written: one that is itself enclosed in double quotes
// gets another pair, which the reader takes off again.
QString StoredValue(const QString& value)
{
  return InQuotes(value) ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

TLine ParseLine(const QString& text)
{
  TLine line;
  line.Text = text;
  const QString t = text.trimmed();
  if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
    return line;
  if (t.startsWith(QLatin1Char('['))) {
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close > 0) {
      line.Type = TLine::Section;
      line.Name = t.mid(1, close - 1).trimmed();
    }
    return line;
  }
  const qsizetype eq = t.indexOf(QLatin1Char('='));
  if (eq > 0) {
    line.Name = t.left(eq).trimmed();
    if (!line.Name.isEmpty()) {
      line.Type = TLine::Entry;
      line.Value = CleanValue(t.mid(eq + 1));
    }
  }
  return line;
}

// The file's lines; an absent file has none. Throws TFileAccessError when
// the file is there but cannot be read.
QList<TLine> ReadLines(const QString& path)
{
  QList<TLine> lines;
  if (!FileExists(path))
    return lines;
  QString text = DecodeText(ReadRegularFile(path));
  if (text.startsWith(QChar(0xFEFF)))
    text.remove(0, 1);
  const QStringList raw = text.split(QLatin1Char('\n'));
  for (qsizetype i = 0; i < raw.size(); ++i) {
    QString l = raw[i];
    if (l.endsWith(QLatin1Char('\r')))
      l.chop(1);
    // The line end after the last line does not start another line.
    if (i == raw.size() - 1 && l.isEmpty())
      break;
    lines.append(ParseLine(l));
  }
  return lines;
}

bool SameName(const QString& a, const QString& b)
{
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Position of the first header of the section, if any.
std::optional<qsizetype> FindSection(const QList<TLine>& lines, const QString& section)
{
  for (qsizetype i = 0; i < lines.size(); ++i)
    if (lines[i].Type == TLine::Section && SameName(lines[i].Name, section))
      return i;
  return std::nullopt;
}

// One past the last line of the section whose header is at `header`.
qsizetype SectionEnd(const QList<TLine>& lines, qsizetype header)
{
  qsizetype i = header + 1;
  while (i < lines.size() && lines[i].Type != TLine::Section)
    ++i;
  return i;
}

}  // namespace

TIniFile::TIniFile(QString path) : FPath(std::move(path)) {}

QList<std::pair<QString, QString>> TIniFile::ReadSection(const QString& section) const
{
  QList<std::pair<QString, QString>> entries;
  QList<TLine> lines;
  try {
    lines = ReadLines(FPath);
  } catch (const TFileAccessError&) {
    // Readers take an unreadable file as an empty one; CheckReadable tells.
    return entries;
  }
  const auto header = FindSection(lines, section);
  if (!header)
    return entries;
  const qsizetype end = SectionEnd(lines, *header);
  for (qsizetype i = *header + 1; i < end; ++i)
    if (lines[i].Type == TLine::Entry)
      entries.append({lines[i].Name, lines[i].Value});
  return entries;
}

QStringList TIniFile::ReadSectionNames() const
{
  QStringList names;
  QList<TLine> lines;
  try {
    lines = ReadLines(FPath);
  } catch (const TFileAccessError&) {
    return names;
  }
  for (const TLine& l : lines)
    if (l.Type == TLine::Section && !names.contains(l.Name, Qt::CaseInsensitive))
      names.append(l.Name);
  return names;
}

QStringList TIniFile::ReadSectionKeys(const QString& section) const
{
  QStringList keys;
  for (const auto& entry : ReadSection(section))
    keys.append(entry.first);
  return keys;
}

QString TIniFile::ReadSetting(const QString& section, const QString& key) const
{
  for (const auto& entry : ReadSection(section))
    if (SameName(entry.first, key))
      return entry.second;
  return {};
}

int TIniFile::ReadSettingNumber(const QString& section, const QString& key) const
{
  return ToNumber(ReadSetting(section, key));
}

void TIniFile::CheckReadable() const
{
  (void)ReadLines(FPath);
}

int TIniFile::ToNumber(const QString& value)
{
  // Qt's conversions also take blanks and a sign where a number has none.
  const auto allDigits = [](QStringView digits, bool hex) {
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [hex](QChar c) {
      return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
             (hex && ((c >= QLatin1Char('a') && c <= QLatin1Char('f')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))));
    });
  };
  bool ok = false;
  if (value.size() > 2 && (value.startsWith(QLatin1String("0x")) || value.startsWith(QLatin1String("0X")))) {
    if (!allDigits(QStringView(value).mid(2), true))
      return 0;
    // Eight hexadecimal digits cover the whole 32 bits, as two's complement.
    const uint n = value.mid(2).toUInt(&ok, 16);
    return ok ? static_cast<int>(n) : 0;
  }
  const QStringView digits = value.startsWith(QLatin1Char('-')) || value.startsWith(QLatin1Char('+'))
                                 ? QStringView(value).mid(1)
                                 : QStringView(value);
  if (!allDigits(digits, false))
    return 0;
  const int n = value.toInt(&ok, 10);
  return ok ? n : 0;
}

bool TIniFile::CanStoreKey(const QString& key)
{
  if (key.isEmpty() || key != key.trimmed())
    return false;
  if (key.startsWith(QLatin1Char(';')) || key.startsWith(QLatin1Char('[')))
    return false;
  return !key.contains(QLatin1Char('=')) && !key.contains(QLatin1Char('\n')) && !key.contains(QLatin1Char('\r'));
}

void TIniFile::WriteSectionKeys(const QString& section, const QStringList& keys)
{
  QList<std::pair<QString, QString>> entries;
  for (const QString& key : keys)
    entries.append({key, QString()});
  WriteSection(section, entries);
}

bool TIniFile::CanStoreValue(const QString& value)
{
  return value == value.trimmed() && !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r'));
}

void TIniFile::WriteSection(const QString& section, const QList<std::pair<QString, QString>>& entries)
{
  const auto fail = [&](const TFileAccessError& e) {
    throw std::runtime_error(
      QStringLiteral("Cannot write \"%1\": %2").arg(FPath, QString::fromStdString(e.what())).toStdString());
  };
  // A file that cannot be read is not rewritten: everything but the section
  // would be lost.
  QList<TLine> lines;
  try {
    lines = ReadLines(FPath);
  } catch (const TFileAccessError& e) {
    fail(e);
  }

  QStringList written;
  for (const auto& [key, value] : entries)
    if (CanStoreKey(key) && CanStoreValue(value))
      written.append(key + QLatin1Char('=') + StoredValue(value));

  QStringList out;
  for (const TLine& l : lines)
    out.append(l.Text);

  if (const auto header = FindSection(lines, section)) {
    // The first section of the name keeps its place and the comments that
    // open it; its entries and any later sections of the same name go.
    qsizetype from = *header + 1;
    while (from < lines.size() && lines[from].Type == TLine::Other && !lines[from].Text.trimmed().isEmpty())
      ++from;
    qsizetype end = SectionEnd(lines, *header);
    // Blank lines that end the section keep it apart from the next one.
    qsizetype keepBlank = end;
    while (keepBlank > from && lines[keepBlank - 1].Text.trimmed().isEmpty())
      --keepBlank;
    QStringList rebuilt = out.mid(0, from);
    rebuilt += written;
    rebuilt += out.mid(keepBlank, end - keepBlank);
    // Later sections of the same name would shadow nothing but confuse
    // readers of the file; they are erased with the first one.
    qsizetype i = end;
    while (i < lines.size()) {
      const qsizetype sectionEnd = SectionEnd(lines, i);
      if (!(lines[i].Type == TLine::Section && SameName(lines[i].Name, section)))
        rebuilt += out.mid(i, sectionEnd - i);
      i = sectionEnd;
    }
    out = rebuilt;
  } else {
    if (!out.isEmpty() && !out.last().trimmed().isEmpty())
      out.append(QString());
    out.append(QLatin1Char('[') + section + QLatin1Char(']'));
    out += written;
  }

  QByteArray bytes;
  for (const QString& l : out) {
    bytes += l.toUtf8();
    bytes += "\r\n";
  }

  try {
    WriteFileSafely(FPath, bytes);
  } catch (const TFileAccessError& e) {
    fail(e);
  }
}

}  // namespace veska
