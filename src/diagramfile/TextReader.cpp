#include "diagramfile/TextReader.h"

#include "diagramfile/AsciiRuns.h"
#include "model/CaseFold.h"
#include "platform/TextEncoding.h"

#include <QStringList>

#include <climits>
#include <cstring>

namespace veska {

namespace {
// The common form of a number, parsed without Qt's locale machinery: an
// optional sign and up to ten ASCII digits within the range of int. False
// for anything else, which the caller hands to QString's parser.
bool ParsePlainInt(QByteArrayView token, int& value)
{
  qsizetype i = 0;
  const bool negative = !token.isEmpty() && token[0] == '-';
  if (negative || (!token.isEmpty() && token[0] == '+'))
    ++i;
  if (i == token.size() || token.size() - i > 10)
    return false;
  qint64 v = 0;
  for (; i < token.size(); ++i) {
    const char c = token[i];
    if (c < '0' || c > '9')
      return false;
    v = v * 10 + (c - '0');
  }
  if (negative)
    v = -v;
  if (v < INT_MIN || v > INT_MAX)
    return false;
  value = static_cast<int>(v);
  return true;
}
}  // namespace

TTextReader::TTextReader(QByteArrayView bytes) : FBytes(bytes), FUtf8(IsValidUtf8(bytes))
{
  if (FUtf8 && FBytes.startsWith("\xEF\xBB\xBF"))
    FPos = 3;
}

QString TTextReader::ReadLine()
{
  return ReadLineView().toString();
}

QStringView TTextReader::ReadLineView()
{
  if (AtEnd())
    throw TCorruptFile("the file ends early");
  const qsizetype start = FPos;
  const qsizetype end = LineEnd();
  FPos = end;
  StepOverLineEnd();

  // Lines of ASCII, nearly all of them, are widened here; Qt decodes from
  // the first other byte on, which begins a character. Either encoding gives
  // at most one unit per byte.
  const QByteArrayView line = FBytes.sliced(start, end - start);
  const qsizetype room = FUtf8 ? FUtf8Decoder.requiredSpace(line.size()) : line.size();
  if (FLine.size() < static_cast<size_t>(room))
    FLine.resize(static_cast<size_t>(room));
  QChar* const out = FLine.data();
  const QChar* last = nullptr;
  if (!FUtf8)
    last = DecodeWindows1252(out, line);
  else if (const qsizetype ascii = WidenAscii(line.data(), line.size(), out); ascii == line.size())
    last = out + ascii;
  else
    last = FUtf8Decoder.appendToBuffer(out + ascii, line.sliced(ascii));
  return QStringView(out, last);
}

QString TTextReader::Decode(QByteArrayView bytes)
{
  return FUtf8 ? QString::fromUtf8(bytes) : DecodeWindows1252(bytes);
}

// The position of the carriage return that ends the current line, or the end.
qsizetype TTextReader::LineEnd() const
{
  if (FPos >= FBytes.size())
    return FBytes.size();
  const void* cr = std::memchr(FBytes.data() + FPos, '\r', static_cast<size_t>(FBytes.size() - FPos));
  return cr ? static_cast<const char*>(cr) - FBytes.data() : FBytes.size();
}

void TTextReader::SkipLine()
{
  FPos = LineEnd();
  StepOverLineEnd();
}

// At a carriage return (or the end): steps over it and a line feed behind it.
void TTextReader::StepOverLineEnd()
{
  if (FPos >= FBytes.size())
    return;
  ++FPos;
  if (FPos < FBytes.size() && FBytes[FPos] == '\n')
    ++FPos;
}

// A byte above 32 belongs to a token, as every character above 32 does: the
// bytes of a multi-byte character are all above 127.
QByteArrayView TTextReader::ReadToken()
{
  const char* text = FBytes.data();
  const qsizetype size = FBytes.size();
  qsizetype pos = FPos;
  while (pos < size) {
    const char c = text[pos];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
      break;
    ++pos;
  }
  const qsizetype start = pos;
  while (pos < size && static_cast<unsigned char>(text[pos]) > 32)
    ++pos;
  FPos = pos;
  return QByteArrayView(text + start, pos - start);
}

void TTextReader::ReadNumbers(int* values, int count)
{
  for (int i = 0; i < count; ++i) {
    const QByteArrayView token = ReadToken();
    if (token.isEmpty())
      throw TCorruptFile(AtEnd() ? "the file ends early" : "a control character where a number belongs");
    int value = 0;
    if (!ParsePlainInt(token, value)) {
      const QString text = Decode(token);
      bool ok = false;
      value = text.toInt(&ok, 10);
      if (!ok)
        throw TCorruptFile("not a number: " + text.toStdString());
    }
    values[i] = value;
  }
  SkipLine();
}

int TTextReader::ReadNumber()
{
  int value = 0;
  ReadNumbers(&value, 1);
  return value;
}

double TTextReader::ReadReal()
{
  const QByteArrayView token = ReadToken();
  if (token.isEmpty())
    throw TCorruptFile(AtEnd() ? "the file ends early" : "a control character where a number belongs");
  const QString text = Decode(token);
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || !qIsFinite(value))
    throw TCorruptFile("not a number: " + text.toStdString());
  SkipLine();
  return value;
}

QStringList TTextReader::ReadCountedLines()
{
  const int count = ReadNumber();
  QStringList lines;
  for (int i = 0; i < count; ++i) {
    if (AtEnd())
      throw TCorruptFile("the file ends inside a list of lines");
    lines << ReadLine();
  }
  return lines;
}

bool TTextReader::IsTrue(QStringView text)
{
  return EqualIgnoringCase(text, u"TRUE");
}

}  // namespace veska
