// Form resource to form text: the stream read in one pass, its text written
// as it is read.
#include "formresource/FormResource.h"

#include "formresource/FormStream.h"
#include "formresource/StreamReader.h"

#include <QStringList>

#include <charconv>
#include <cmath>

namespace veska {

namespace {

using namespace formstream;

// A string longer than this many characters is written as form text in
// pieces joined by "+", one piece a line.
constexpr int StringPieceLength = 64;
// Bytes of binary data per line of form text.
constexpr int BinaryBytesPerLine = 32;

// A float in the shortest form that reads back to the same value; it always
// shows a "." or an exponent, so it reads back as a float.
template <typename T>
QString FloatText(T value)
{
  if (!std::isfinite(value))
    TStreamReader::Damaged(QStringLiteral("it holds a number that is not finite"));
  char buffer[64];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  QString text = QString::fromLatin1(buffer, result.ptr - buffer).toUpper();
  if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('E')))
    text += QLatin1String(".0");
  return text;
}

// Currency: the scaled integer as a decimal with up to four places.
QString CurrencyText(qint64 scaled)
{
  const bool negative = scaled < 0;
  const quint64 magnitude = negative ? 0 - quint64(scaled) : quint64(scaled);
  QString fraction = QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
  while (fraction.size() > 1 && fraction.endsWith(QLatin1Char('0')))
    fraction.chop(1);
  return QStringLiteral("%1%2.%3").arg(negative ? QStringLiteral("-") : QString()).arg(magnitude / 10000).arg(fraction);
}

// A string as quoted runs of printable ASCII and #n for every other unit.
QString QuotedPiece(QStringView text)
{
  QString out;
  bool inQuotes = false;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u >= 0x20 && u < 0x7F) {
      if (!inQuotes)
        out += QLatin1Char('\'');
      inQuotes = true;
      out += c;
      if (c == QLatin1Char('\''))
        out += c;
    } else {
      if (inQuotes)
        out += QLatin1Char('\'');
      inQuotes = false;
      out += QLatin1Char('#');
      out += QString::number(u);
    }
  }
  if (inQuotes)
    out += QLatin1Char('\'');
  return text.isEmpty() ? QStringLiteral("''") : out;
}

bool IsIntegerTag(quint8 tag)
{
  return tag == vaInt8 || tag == vaInt16 || tag == vaInt32 || tag == vaInt64;
}

bool IsStringTag(quint8 tag)
{
  return tag == vaString || tag == vaLString || tag == vaWString || tag == vaUTF8String;
}

// A name the form text reads back as one: words joined by ".", as the
// parser reads them. Anything else (control bytes, blanks, a backslash)
// would print as text that means something else, and is damage.
const QString& CheckName(const QString& name)
{
  bool start = true;
  for (const QChar c : name) {
    if (c == QLatin1Char('.') && !start) {
      start = true;
      continue;
    }
    if (!(start ? IsWordStart(c) : IsWordChar(c)))
      TStreamReader::Damaged(QStringLiteral("a name is not a word"));
    start = false;
  }
  if (start)
    TStreamReader::Damaged(QStringLiteral("a name is not a word"));
  return name;
}

class TTextWriter {
public:
  explicit TTextWriter(TStreamReader& reader) : FReader(reader) {}

  QString Write()
  {
    WriteObject(0);
    FOut += QLatin1String("\r\n");
    return FOut;
  }

private:
  TStreamReader& FReader;
  QString FOut;
  int FDepth = 0;

  // Ends the line so far and indents the next one by two spaces a level.
  void NewLine(int level)
  {
    if (!FOut.isEmpty())
      FOut += QLatin1String("\r\n");
    FOut += QString(2 * level, QLatin1Char(' '));
  }

  // ---- Reading values.

  qint64 ReadInteger(quint8 tag)
  {
    switch (tag) {
    case vaInt8:
      return qint8(FReader.LittleEndian(1));
    case vaInt16:
      return qint16(FReader.LittleEndian(2));
    case vaInt32:
      return qint32(FReader.LittleEndian(4));
    case vaInt64:
      return qint64(FReader.LittleEndian(8));
    default:
      TStreamReader::Damaged(QStringLiteral("a number was expected"));
    }
  }

  QString Name() { return CheckName(FReader.ShortString()); }

  // The text of a string value under one of the string tags.
  QString ReadString(quint8 tag)
  {
    switch (tag) {
    case vaString:
      return QString::fromLatin1(FReader.Bytes(FReader.Byte()));
    case vaLString:
      return QString::fromLatin1(FReader.Bytes(qint64(FReader.LittleEndian(4))));
    case vaUTF8String:
      return QString::fromUtf8(FReader.Bytes(qint64(FReader.LittleEndian(4))));
    default:
      return ReadWideString();
    }
  }

  QString ReadWideString()
  {
    const qint64 units = qint64(FReader.LittleEndian(4));
    const uchar* p = FReader.Take(2 * units);
    QString text(qsizetype(units), Qt::Uninitialized);
    for (qint64 i = 0; i < units; ++i)
      text[qsizetype(i)] = QChar(char16_t(p[2 * i] | (p[2 * i + 1] << 8)));
    return text;
  }

  // The text of a value that stays on its line: a number, a name, a
  // boolean, nil or a set.
  QString ScalarText(quint8 tag)
  {
    switch (tag) {
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      return QString::number(ReadInteger(tag));
    case vaExtended:
      return FloatText(ExtendedFromBytes(FReader.Take(10)));
    case vaSingle:
      return FloatText(FReader.Raw<float>()) + QLatin1Char('s');
    case vaCurrency:
      return CurrencyText(qint64(FReader.LittleEndian(8))) + QLatin1Char('c');
    case vaDate:
      return FloatText(FReader.Raw<double>()) + QLatin1Char('d');
    case vaIdent:
      return Name();
    case vaFalse:
      return QStringLiteral("False");
    case vaTrue:
      return QStringLiteral("True");
    case vaNil:
      return QStringLiteral("nil");
    case vaSet:
      return SetText();
    default:
      TStreamReader::Damaged(QStringLiteral("unknown value type %1").arg(tag));
    }
  }

  // Names until an empty one, as "[a, b]".
  QString SetText()
  {
    QStringList members;
    for (QString member = FReader.ShortString(); !member.isEmpty(); member = FReader.ShortString())
      members.append(CheckName(member));
    return QLatin1Char('[') + members.join(QLatin1String(", ")) + QLatin1Char(']');
  }

  // ---- Writing objects and values.

  void WriteObject(int level)
  {
    TDepthGuard depth(FDepth, 0);
    quint8 flags = 0;
    bool hasPosition = false;
    qint64 position = 0;
    if ((FReader.Peek() & 0xF0) == 0xF0) {
      flags = FReader.Byte() & 0x0F;
      if (flags & ffChildPos) {
        hasPosition = true;
        position = ReadInteger(FReader.Byte());
      }
    }
    const QString className = Name();
    const QString name = FReader.ShortString();
    if (!name.isEmpty())
      CheckName(name);
    const char* keyword = (flags & ffInherited) ? "inherited " : (flags & ffInline) ? "inline " : "object ";
    NewLine(level);
    FOut += QLatin1String(keyword);
    FOut += name.isEmpty() ? className : name + QLatin1String(": ") + className;
    if (hasPosition)
      FOut += QStringLiteral(" [%1]").arg(position);
    WriteProperties(level + 1);
    while (FReader.Peek() != 0)
      WriteObject(level + 1);
    FReader.Byte();
    NewLine(level);
    FOut += QLatin1String("end");
  }

  // Properties until 00, each on its own line at this level.
  void WriteProperties(int level)
  {
    while (FReader.Peek() != 0) {
      const QString name = Name();
      NewLine(level);
      FOut += name + QLatin1String(" =");
      WriteValue(level, true);
    }
    FReader.Byte();
  }

  // afterEquals: the value follows "Name =" on the same line; otherwise it
  // is a list item that starts a line of its own at this level.
  void WriteValue(int level, bool afterEquals)
  {
    const quint8 tag = FReader.Byte();
    if (IsStringTag(tag)) {
      WriteString(ReadString(tag), level, afterEquals);
      return;
    }
    if (afterEquals)
      FOut += QLatin1Char(' ');
    switch (tag) {
    case vaList:
      WriteList(level);
      break;
    case vaBinary:
      WriteBinary(FReader.Bytes(qint64(FReader.LittleEndian(4))), level);
      break;
    case vaCollection:
      WriteCollection(level);
      break;
    default:
      FOut += ScalarText(tag);
    }
  }

  void WriteList(int level)
  {
    TDepthGuard depth(FDepth, 0);
    FOut += QLatin1Char('(');
    while (FReader.Peek() != 0) {
      NewLine(level + 1);
      WriteValue(level + 1, false);
    }
    FReader.Byte();
    FOut += QLatin1Char(')');
  }

  void WriteCollection(int level)
  {
    TDepthGuard depth(FDepth, 0);
    FOut += QLatin1Char('<');
    while (FReader.Peek() != 0) {
      NewLine(level + 1);
      FOut += QLatin1String("item");
      quint8 tag = FReader.Byte();
      if (IsIntegerTag(tag)) {
        FOut += QStringLiteral(" [%1]").arg(ReadInteger(tag));
        tag = FReader.Byte();
      }
      if (tag != vaList)
        TStreamReader::Damaged(QStringLiteral("a collection item was expected"));
      WriteProperties(level + 2);
      NewLine(level + 1);
      FOut += QLatin1String("end");
    }
    FReader.Byte();
    FOut += QLatin1Char('>');
  }

  // Short strings stay on the line; longer ones go in pieces of
  // StringPieceLength characters joined by "+", one piece a line.
  void WriteString(const QString& text, int level, bool afterEquals)
  {
    if (text.size() <= StringPieceLength) {
      if (afterEquals)
        FOut += QLatin1Char(' ');
      FOut += QuotedPiece(text);
      return;
    }
    const int pieceLevel = afterEquals ? level + 1 : level;
    for (qsizetype at = 0; at < text.size(); at += StringPieceLength) {
      if (at > 0 || afterEquals)
        NewLine(pieceLevel);
      FOut += QuotedPiece(QStringView(text).mid(at, StringPieceLength));
      if (at + StringPieceLength < text.size())
        FOut += QLatin1String(" +");
    }
  }

  void WriteBinary(const QByteArray& bytes, int level)
  {
    FOut += QLatin1Char('{');
    for (qsizetype at = 0; at < bytes.size(); at += BinaryBytesPerLine) {
      NewLine(level + 1);
      FOut += QString::fromLatin1(bytes.mid(at, BinaryBytesPerLine).toHex().toUpper());
    }
    FOut += QLatin1Char('}');
  }
};

}  // namespace

QString FormResourceToText(const QByteArray& resource)
{
  TStreamReader reader = formstream::OpenFormStream(resource);
  return TTextWriter(reader).Write();
}

}  // namespace veska
