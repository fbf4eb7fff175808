#include "diagramfile/TextReader.h"

#include "diagramfile/AsciiRuns.h"
#include "model/CaseFold.h"
#include "platform/SafeFile.h"
#include "platform/TextEncoding.h"

#include <QStringList>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

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

TTextReader::TTextReader(QByteArrayView bytes, char lineEnd)
    : FBytes(bytes), FLineEnd(lineEnd), FUtf8(IsValidUtf8(bytes))
{
  SkipByteOrderMark();
}

TTextReader::TTextReader(TTextSource& source, bool utf8, char lineEnd)
    : FSource(&source), FLineEnd(lineEnd), FUtf8(utf8)
{
  SkipByteOrderMark();
}

void TTextReader::SkipByteOrderMark()
{
  while (FUtf8 && FBytes.size() < 3 && Fill()) {
  }
  if (FUtf8 && FBytes.startsWith("\xEF\xBB\xBF"))
    FPos = 3;
}

bool TTextReader::Fill()
{
  if (!FSource)
    return false;
  // A part is read at a time; a line longer than half of what is held
  // makes room for twice as much.
  const qsizetype kept = FBytes.size() - FPos;
  if (FWindow.isEmpty() || kept > FWindow.size() / 2) {
    QByteArray larger(std::max(kFilePartSize, FWindow.size() * 2), Qt::Uninitialized);
    if (kept > 0)
      std::memcpy(larger.data(), FBytes.data() + FPos, static_cast<size_t>(kept));
    FWindow = std::move(larger);
  } else if (kept > 0) {
    std::memmove(FWindow.data(), FBytes.data() + FPos, static_cast<size_t>(kept));
  }
  char* const data = FWindow.data();
  const qsizetype added = FSource->Read(data + kept, FWindow.size() - kept);
  FBytes = QByteArrayView(data, kept + added);
  FPos = 0;
  if (added == 0)
    FSource = nullptr;  // the end: nothing more will come
  return added > 0;
}

QString TTextReader::ReadLine()
{
  return ReadLineView().toString();
}

QStringView TTextReader::ReadLineView()
{
  if (AtEnd())
    throw TCorruptFile("the file ends early");
  const qsizetype end = LineEnd();
  const qsizetype start = FPos;

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
  // Only now: stepping over the line end may read on, over the line's bytes.
  FPos = end;
  StepOverLineEnd();
  return QStringView(out, last);
}

QString TTextReader::Decode(QByteArrayView bytes)
{
  return FUtf8 ? QString::fromUtf8(bytes) : DecodeWindows1252(bytes);
}

// The position of the carriage return (or line feed) that ends the current
// line, or the end.
qsizetype TTextReader::LineEnd()
{
  for (qsizetype from = FPos;;) {
    if (from < FBytes.size()) {
      const void* at = std::memchr(FBytes.data() + from, FLineEnd, static_cast<size_t>(FBytes.size() - from));
      if (at)
        return static_cast<const char*>(at) - FBytes.data();
    }
    const qsizetype searched = FBytes.size() - FPos;
    if (!Fill())
      return FBytes.size();
    from = searched;
  }
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
  if (FLineEnd == '\r' && (FPos < FBytes.size() || Fill()) && FBytes[FPos] == '\n')
    ++FPos;
}

// A byte above 32 belongs to a token, as every character above 32 does: the
// bytes of a multi-byte character are all above 127.
QByteArrayView TTextReader::ReadToken()
{
  for (;;) {
    while (FPos < FBytes.size()) {
      const char c = FBytes[FPos];
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
        break;
      ++FPos;
    }
    if (FPos < FBytes.size() || !Fill())
      break;
  }
  // The token begins at the position, which reading on keeps.
  qsizetype pos = FPos;
  for (;;) {
    while (pos < FBytes.size() && static_cast<unsigned char>(FBytes[pos]) > 32)
      ++pos;
    if (pos < FBytes.size())
      break;
    // Reading on moves the token to the start, also when nothing more came.
    const qsizetype length = pos - FPos;
    const bool more = Fill();
    pos = FPos + length;
    if (!more)
      break;
  }
  const qsizetype start = FPos;
  FPos = pos;
  return FBytes.sliced(start, pos - start);
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
