#include "platform/FormResource.h"

#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace veska {

TFormTextError::TFormTextError(int line, const QString& message)
    : std::runtime_error(message.toStdString()), FLine(line)
{
}

namespace {

// Value tags of the binary stream.
enum TValueTag : quint8 {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
};

// Object flags: the byte carries 0xF0 in its high half.
constexpr quint8 ffInherited = 1;
constexpr quint8 ffChildPos = 2;
constexpr quint8 ffInline = 4;

// Deeper nesting of objects, lists and collections than any real form has;
// the limit keeps a hostile input from exhausting the stack.
constexpr int MaxDepth = 500;

// A string longer than this many characters is written as form text in
// pieces joined by "+", one piece a line.
constexpr int StringPieceLength = 64;
// Bytes of binary data per line of form text.
constexpr int BinaryBytesPerLine = 32;

const QByteArray StreamSignature("TPF0");

// ---------------------------------------------------------------------------
// Numbers in the stream's own layouts (little-endian, 80-bit extended).

void PutLittleEndian(QByteArray& out, quint64 value, int bytes)
{
  for (int i = 0; i < bytes; ++i)
    out.append(char((value >> (8 * i)) & 0xFF));
}

// The smallest tag that holds the value.
void PutInteger(QByteArray& out, qint64 value)
{
  if (value >= std::numeric_limits<qint8>::min() && value <= std::numeric_limits<qint8>::max()) {
    out.append(char(vaInt8));
    PutLittleEndian(out, quint64(value), 1);
  } else if (value >= std::numeric_limits<qint16>::min() && value <= std::numeric_limits<qint16>::max()) {
    out.append(char(vaInt16));
    PutLittleEndian(out, quint64(value), 2);
  } else if (value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max()) {
    out.append(char(vaInt32));
    PutLittleEndian(out, quint64(value), 4);
  } else {
    out.append(char(vaInt64));
    PutLittleEndian(out, quint64(value), 8);
  }
}

// 80-bit extended: 64-bit mantissa with an explicit integer bit, 15-bit
// exponent biased by 16383, sign. Built from frexp so that it does not depend
// on the host's long double layout.
void PutExtended(QByteArray& out, long double value)
{
  quint64 mantissa = 0;
  int exponent = 0;
  const bool negative = std::signbit(value);
  if (std::isnan(value)) {
    mantissa = 0xC000000000000000ULL;
    exponent = 0x7FFF;
  } else if (std::isinf(value)) {
    mantissa = 0x8000000000000000ULL;
    exponent = 0x7FFF;
  } else if (value != 0) {
    int e = 0;
    const long double fraction = std::frexp(std::fabs(value), &e);  // in [0.5, 1)
    mantissa = quint64(std::ldexp(fraction, 64));
    exponent = e - 1 + 16383;
    if (exponent >= 0x7FFF) {
      mantissa = 0x8000000000000000ULL;
      exponent = 0x7FFF;
    } else if (exponent <= 0) {
      mantissa = (1 - exponent) < 64 ? mantissa >> (1 - exponent) : 0;
      exponent = 0;
    }
  }
  PutLittleEndian(out, mantissa, 8);
  PutLittleEndian(out, quint64(exponent | (negative ? 0x8000 : 0)), 2);
}

long double ExtendedFromBytes(const uchar* b)
{
  quint64 mantissa = 0;
  for (int i = 7; i >= 0; --i)
    mantissa = (mantissa << 8) | b[i];
  const int signExponent = b[8] | (b[9] << 8);
  const int exponent = signExponent & 0x7FFF;
  long double value;
  if (exponent == 0x7FFF)
    value = (mantissa << 1) == 0 ? std::numeric_limits<long double>::infinity()
                                 : std::numeric_limits<long double>::quiet_NaN();
  else
    value = std::ldexp(static_cast<long double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
  return (signExponent & 0x8000) ? -value : value;
}

template <typename T>
QByteArray RawBytes(T value)
{
  QByteArray bytes(sizeof(T), '\0');
  std::memcpy(bytes.data(), &value, sizeof(T));
  return bytes;  // the hosts we build for are little-endian, as the stream is
}

bool IsAscii(const QString& text)
{
  for (const QChar c : text)
    if (c.unicode() > 0x7F)
      return false;
  return true;
}

// Plain ASCII text as a short string (up to 255 bytes) or a long string;
// anything else as a wide (UTF-16) string. A plain string holds bytes that
// its reader takes as characters of a Windows code page, so text outside
// ASCII written as its UTF-8 bytes would come back garbled; UTF-16 reads
// back as it was typed, whether typed as such or as #n codes.
void PutString(QByteArray& out, const QString& text)
{
  if (IsAscii(text)) {
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() <= 255) {
      out.append(char(vaString));
      PutLittleEndian(out, quint64(bytes.size()), 1);
    } else {
      out.append(char(vaLString));
      PutLittleEndian(out, quint64(bytes.size()), 4);
    }
    out.append(bytes);
    return;
  }
  out.append(char(vaWString));
  PutLittleEndian(out, quint64(text.size()), 4);
  for (const QChar c : text)
    PutLittleEndian(out, c.unicode(), 2);
}

// ---------------------------------------------------------------------------
// Form text -> stream.

bool IsWordStart(QChar c)
{
  return c.isLetter() || c == QLatin1Char('_');
}

bool IsWordChar(QChar c)
{
  return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// The value of an ASCII digit in base 10 or 16, or -1.
int DigitValue(QChar c, int base)
{
  const char16_t u = c.unicode();
  int value = -1;
  if (u >= '0' && u <= '9')
    value = u - '0';
  else if (u >= 'a' && u <= 'f')
    value = u - 'a' + 10;
  else if (u >= 'A' && u <= 'F')
    value = u - 'A' + 10;
  return value < base ? value : -1;
}

bool IsObjectKeyword(const QString& word)
{
  return word.compare(QLatin1String("object"), Qt::CaseInsensitive) == 0 ||
         word.compare(QLatin1String("inherited"), Qt::CaseInsensitive) == 0 ||
         word.compare(QLatin1String("inline"), Qt::CaseInsensitive) == 0;
}

bool IsWord(const QString& word, const char* keyword)
{
  return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

// Counts the nesting of one parse or read; throws past MaxDepth.
class TDepthGuard {
public:
  TDepthGuard(int& depth, int line) : FDepth(depth)
  {
    if (++FDepth > MaxDepth) {
      --FDepth;
      throw TFormTextError(line, QStringLiteral("The form is nested too deeply"));
    }
  }
  ~TDepthGuard() { --FDepth; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;

private:
  int& FDepth;
};

class TTextParser {
public:
  explicit TTextParser(const QString& text) : FText(text) {}

  // The stream ("TPF0" and the root object); RootClass() is then known.
  QByteArray Parse()
  {
    FOut = StreamSignature;
    SkipBlanks();
    const QString keyword = ReadWord();
    if (!IsObjectKeyword(keyword))
      Fail(AtEnd() ? QStringLiteral("The form text is empty") : QStringLiteral("\"object\" expected"));
    ParseObject(keyword);
    // Text after the root's "end" is refused rather than ignored: it is a
    // second form or a damaged edit, and would otherwise vanish silently.
    SkipBlanks();
    if (!AtEnd())
      Fail(QStringLiteral("Text after the last \"end\""));
    return FOut;
  }

  const QString& RootClass() const { return FRootClass; }

private:
  const QString& FText;
  qsizetype FPos = 0;
  int FLine = 1;
  int FDepth = 0;
  QByteArray FOut;
  QString FRootClass;

  [[noreturn]] void Fail(const QString& message) const { throw TFormTextError(FLine, message); }
  [[noreturn]] void FailAt(int line, const QString& message) const { throw TFormTextError(line, message); }

  bool AtEnd() const { return FPos >= FText.size(); }
  QChar Peek() const { return AtEnd() ? QChar() : FText.at(FPos); }
  QChar PeekAt(qsizetype offset) const
  {
    return FPos + offset < FText.size() ? FText.at(FPos + offset) : QChar();
  }

  void SkipBlanks()
  {
    while (!AtEnd()) {
      const QChar c = FText.at(FPos);
      if (c == QLatin1Char('\n'))
        ++FLine;
      else if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\r') && c != QChar(0xFEFF))
        return;
      ++FPos;
    }
  }

  void Expect(QChar c, const char* what)
  {
    SkipBlanks();
    if (AtEnd())
      FailUnexpectedEnd();
    if (Peek() != c)
      Fail(QStringLiteral("\"%1\" expected").arg(QLatin1String(what)));
    ++FPos;
  }

  // Errors found at the end of the text name its last line, not the empty
  // one after a final line end.
  [[noreturn]] void FailAtEnd(const QString& message) const
  {
    FailAt(FLine > 1 && FText.endsWith(QLatin1Char('\n')) ? FLine - 1 : FLine, message);
  }
  [[noreturn]] void FailUnexpectedEnd() const { FailAtEnd(QStringLiteral("Unexpected end of the form text")); }

  [[noreturn]] void FailNumber(const QString& text) const
  {
    Fail(QStringLiteral("Invalid number \"%1\"").arg(text));
  }

  [[noreturn]] void FailUnexpectedCharacter() const
  {
    Fail(QStringLiteral("Unexpected character \"%1\"").arg(Peek()));
  }

  // A name: letters, digits and "_", parts joined by "." (Font.Name).
  // Empty when the next character cannot start one.
  QString ReadWord()
  {
    if (AtEnd() || !IsWordStart(Peek()))
      return QString();
    const qsizetype start = FPos;
    while (!AtEnd() && (IsWordChar(Peek()) || (Peek() == QLatin1Char('.') && IsWordStart(PeekAt(1)))))
      ++FPos;
    return FText.mid(start, FPos - start);
  }

  QString RequireWord(const char* what)
  {
    SkipBlanks();
    if (AtEnd())
      FailUnexpectedEnd();
    const QString word = ReadWord();
    if (word.isEmpty())
      Fail(QStringLiteral("%1 expected").arg(QLatin1String(what)));
    return word;
  }

  void PutShortString(const QString& name)
  {
    const QByteArray bytes = name.toUtf8();
    if (bytes.size() > 255)
      Fail(QStringLiteral("The name \"%1\" is longer than 255 bytes").arg(name.left(40)));
    FOut.append(char(bytes.size()));
    FOut.append(bytes);
  }

  void ParseObject(const QString& keyword)
  {
    TDepthGuard depth(FDepth, FLine);
    quint8 flags = 0;
    if (IsWord(keyword, "inherited"))
      flags |= ffInherited;
    else if (IsWord(keyword, "inline"))
      flags |= ffInline;
    QString name;
    QString className = RequireWord("A class name");
    SkipBlanks();
    if (Peek() == QLatin1Char(':')) {
      ++FPos;
      name = className;
      className = RequireWord("A class name");
      SkipBlanks();
    }
    bool hasPosition = false;
    qint64 position = 0;
    if (Peek() == QLatin1Char('[')) {
      ++FPos;
      position = ParseOrder();
      hasPosition = true;
      flags |= ffChildPos;
    }
    if (FRootClass.isNull())
      FRootClass = className;
    if (flags != 0)
      FOut.append(char(0xF0 | flags));
    if (hasPosition)
      PutInteger(FOut, position);
    PutShortString(className);
    PutShortString(name);

    // Properties, 00, child objects, 00: a property cannot follow a child.
    bool inChildren = false;
    for (QString word = NextBodyWord(); !word.isEmpty(); word = NextBodyWord()) {
      SkipBlanks();
      if (IsObjectKeyword(word) && Peek() != QLatin1Char('=')) {
        if (!inChildren)
          FOut.append(char(vaNull));
        inChildren = true;
        ParseObject(word);
        continue;
      }
      if (inChildren)
        Fail(QStringLiteral("The property \"%1\" follows a child object").arg(word));
      ParseProperty(word);
    }
    if (!inChildren)
      FOut.append(char(vaNull));
    FOut.append(char(vaNull));
  }

  // Takes the closing bracket when it comes next.
  bool Closes(QChar close)
  {
    SkipBlanks();
    if (AtEnd())
      FailUnexpectedEnd();
    if (Peek() != close)
      return false;
    ++FPos;
    return true;
  }

  // The next name in the body of an object or collection item; empty at
  // the body's "end".
  QString NextBodyWord()
  {
    SkipBlanks();
    if (AtEnd())
      FailAtEnd(QStringLiteral("\"end\" expected"));
    const QString word = ReadWord();
    if (word.isEmpty())
      FailUnexpectedCharacter();
    return IsWord(word, "end") ? QString() : word;
  }

  // "Name = value", the name already read.
  void ParseProperty(const QString& name)
  {
    PutShortString(name);
    Expect(QLatin1Char('='), "=");
    ParseValue();
  }

  // The number inside "[n]" and the closing bracket.
  qint64 ParseOrder()
  {
    SkipBlanks();
    if (AtEnd())
      FailUnexpectedEnd();
    const TNumber number = ParseNumberText();
    if (number.IsFloat)
      FailNumber(number.Text);
    Expect(QLatin1Char(']'), "]");
    return number.Integer;
  }

  void ParseValue()
  {
    SkipBlanks();
    if (AtEnd())
      FailUnexpectedEnd();
    const QChar c = Peek();
    if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
      PutString(FOut, ParseString());
    } else if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('$')) {
      PutNumber(ParseNumberText());
    } else if (c == QLatin1Char('[')) {
      ParseSet();
    } else if (c == QLatin1Char('(')) {
      ParseList();
    } else if (c == QLatin1Char('<')) {
      ParseCollection();
    } else if (c == QLatin1Char('{')) {
      ParseBinary();
    } else if (IsWordStart(c)) {
      const QString word = ReadWord();
      if (IsWord(word, "True"))
        FOut.append(char(vaTrue));
      else if (IsWord(word, "False"))
        FOut.append(char(vaFalse));
      else if (IsWord(word, "nil"))
        FOut.append(char(vaNil));
      else {
        FOut.append(char(vaIdent));
        PutShortString(word);
      }
    } else {
      FailUnexpectedCharacter();
    }
  }

  // Quoted pieces and #n characters, written next to each other or joined
  // by "+" across blanks and lines.
  QString ParseString()
  {
    QString value;
    for (;;) {
      if (Peek() == QLatin1Char('\'')) {
        const int startLine = FLine;
        ++FPos;
        for (;;) {
          if (AtEnd() || Peek() == QLatin1Char('\n') || Peek() == QLatin1Char('\r'))
            FailAt(startLine, QStringLiteral("Unterminated string"));
          const QChar ch = FText.at(FPos++);
          if (ch == QLatin1Char('\'')) {
            if (Peek() != QLatin1Char('\''))
              break;
            ++FPos;
          }
          value.append(ch);
        }
      } else if (Peek() == QLatin1Char('#')) {
        ++FPos;
        value.append(ParseCharacterCode());
      } else {
        if (AtEnd())
          FailUnexpectedEnd();
        Fail(QStringLiteral("A string expected after \"+\""));
      }
      if (Peek() == QLatin1Char('\'') || Peek() == QLatin1Char('#'))
        continue;
      const qsizetype pos = FPos;
      const int line = FLine;
      SkipBlanks();
      if (Peek() != QLatin1Char('+')) {
        FPos = pos;  // blanks after the string belong to what follows
        FLine = line;
        return value;
      }
      ++FPos;
      SkipBlanks();
    }
  }

  // "#65" or "#$41": one UTF-16 unit, or a pair above U+FFFF.
  QString ParseCharacterCode()
  {
    const bool hex = Peek() == QLatin1Char('$');
    if (hex)
      ++FPos;
    const int base = hex ? 16 : 10;
    const qsizetype start = FPos;
    quint32 code = 0;
    for (int digit; !AtEnd() && (digit = DigitValue(Peek(), base)) >= 0;) {
      code = code * base + quint32(digit);
      if (code > 0x10FFFF)
        Fail(QStringLiteral("Invalid character code"));
      ++FPos;
    }
    if (FPos == start)
      Fail(QStringLiteral("Invalid character code"));
    if (code <= 0xFFFF)
      return QString(QChar(char16_t(code)));
    const char32_t wide = code;
    return QString::fromUcs4(&wide, 1);
  }

  struct TNumber {
    QString Text;
    bool IsFloat = false;
    char Suffix = 0;  // 's' single, 'c' currency, 'd' date, or 0
    qint64 Integer = 0;
    long double Float = 0;
  };

  // An integer (decimal, "$" hex, with "-"), or a float with "." or an
  // exponent, optionally followed by s, c or d.
  TNumber ParseNumberText()
  {
    TNumber number;
    const qsizetype start = FPos;
    const bool negative = Peek() == QLatin1Char('-');
    if (negative)
      ++FPos;
    auto failNumber = [&]() {
      while (!AtEnd() && (IsWordChar(Peek()) || Peek() == QLatin1Char('.')))
        ++FPos;
      FailNumber(FText.mid(start, FPos - start));
    };
    auto digitsFrom = [&](qsizetype at) {
      qsizetype p = at;
      while (p < FText.size() && FText.at(p).unicode() < 0x80 && FText.at(p).isDigit())
        ++p;
      return p - at;
    };
    if (Peek() == QLatin1Char('$')) {
      ++FPos;
      const qsizetype digitsStart = FPos;
      quint64 value = 0;
      for (int digit; !AtEnd() && (digit = DigitValue(Peek(), 16)) >= 0;) {
        if (FPos - digitsStart >= 16)
          failNumber();
        value = value * 16 + quint64(digit);
        ++FPos;
      }
      if (FPos == digitsStart || (!AtEnd() && IsWordChar(Peek())))
        failNumber();
      number.Integer = negative ? qint64(0 - value) : qint64(value);
      number.Text = FText.mid(start, FPos - start);
      return number;
    }
    qsizetype n = digitsFrom(FPos);
    if (n == 0)
      failNumber();
    FPos += n;
    if (Peek() == QLatin1Char('.') && !IsWordStart(PeekAt(1))) {
      number.IsFloat = true;
      ++FPos;
      FPos += digitsFrom(FPos);
    }
    if (Peek() == QLatin1Char('e') || Peek() == QLatin1Char('E')) {
      qsizetype p = FPos + 1;
      if (p < FText.size() && (FText.at(p) == QLatin1Char('+') || FText.at(p) == QLatin1Char('-')))
        ++p;
      n = digitsFrom(p);
      if (n == 0)
        failNumber();
      number.IsFloat = true;
      FPos = p + n;
    }
    number.Text = FText.mid(start, FPos - start);
    const QChar suffix = Peek().toLower();
    if ((suffix == QLatin1Char('s') || suffix == QLatin1Char('c') || suffix == QLatin1Char('d')) &&
        !IsWordChar(PeekAt(1))) {
      number.Suffix = char(suffix.unicode());
      number.IsFloat = true;
      ++FPos;
    }
    if (!AtEnd() && IsWordChar(Peek()))
      failNumber();
    const QByteArray ascii = number.Text.toLatin1();
    const char* first = ascii.constData();
    const char* last = first + ascii.size();
    std::from_chars_result result;
    if (number.IsFloat)
      result = std::from_chars(first, last, number.Float);
    else
      result = std::from_chars(first, last, number.Integer);
    if (result.ec != std::errc() || result.ptr != last)
      failNumber();
    return number;
  }

  // Floats keep the type their suffix names: single, currency (scaled by
  // 10,000) or date; a plain float is extended. Writing every float as
  // extended would lose the suffix: the text read back would no longer say
  // which type the property has, and a currency would no longer be exact.
  void PutNumber(const TNumber& number)
  {
    if (!number.IsFloat) {
      PutInteger(FOut, number.Integer);
      return;
    }
    // A value the suffix's type cannot hold would silently become infinite.
    const bool fitsSingle = std::fabs(number.Float) <= std::numeric_limits<float>::max();
    const bool fitsDouble = std::fabs(number.Float) <= std::numeric_limits<double>::max();
    if ((number.Suffix == 's' && !fitsSingle) || (number.Suffix == 'd' && !fitsDouble))
      FailNumber(number.Text + QLatin1Char(number.Suffix));
    switch (number.Suffix) {
    case 's':
      FOut.append(char(vaSingle));
      FOut.append(RawBytes(float(number.Float)));
      break;
    case 'c': {
      const long double scaled = std::round(number.Float * 10000);
      if (!(std::fabs(scaled) < 9.2e18L))
        FailNumber(number.Text + QLatin1Char(number.Suffix));
      FOut.append(char(vaCurrency));
      PutLittleEndian(FOut, quint64(qint64(scaled)), 8);
      break;
    }
    case 'd':
      FOut.append(char(vaDate));
      FOut.append(RawBytes(double(number.Float)));
      break;
    default:
      FOut.append(char(vaExtended));
      PutExtended(FOut, number.Float);
    }
  }

  void ParseSet()
  {
    ++FPos;  // [
    FOut.append(char(vaSet));
    for (bool closed = Closes(QLatin1Char(']')); !closed;) {
      PutShortString(RequireWord("A name"));
      closed = Closes(QLatin1Char(']'));
      if (!closed)
        Expect(QLatin1Char(','), ",");
    }
    FOut.append(char(0));
  }

  void ParseList()
  {
    TDepthGuard depth(FDepth, FLine);
    ++FPos;  // (
    FOut.append(char(vaList));
    while (!Closes(QLatin1Char(')'))) {
      ParseValue();
    }
    FOut.append(char(vaNull));
  }

  // <item [n] properties end ...>: each item is an optional order number,
  // then a list of properties.
  void ParseCollection()
  {
    TDepthGuard depth(FDepth, FLine);
    ++FPos;  // <
    FOut.append(char(vaCollection));
    while (!Closes(QLatin1Char('>'))) {
      if (!IsWord(ReadWord(), "item"))
        Fail(QStringLiteral("\"item\" expected"));
      SkipBlanks();
      if (Peek() == QLatin1Char('[')) {
        ++FPos;
        PutInteger(FOut, ParseOrder());
      }
      FOut.append(char(vaList));
      for (QString word = NextBodyWord(); !word.isEmpty(); word = NextBodyWord())
        ParseProperty(word);
      FOut.append(char(vaNull));
    }
    FOut.append(char(vaNull));
  }

  // {hex digits}, blanks and lines between them allowed.
  void ParseBinary()
  {
    const int startLine = FLine;
    ++FPos;  // {
    QByteArray hex;
    for (;;) {
      SkipBlanks();
      if (AtEnd())
        FailAt(startLine, QStringLiteral("\"}\" expected"));
      const QChar c = FText.at(FPos);
      if (c == QLatin1Char('}')) {
        ++FPos;
        break;
      }
      if (DigitValue(c, 16) < 0)
        Fail(QStringLiteral("Invalid binary data"));
      hex.append(char(c.unicode()));
      ++FPos;
    }
    if (hex.size() % 2 != 0)
      FailAt(startLine, QStringLiteral("Invalid binary data"));
    const QByteArray bytes = QByteArray::fromHex(hex);
    FOut.append(char(vaBinary));
    PutLittleEndian(FOut, quint64(bytes.size()), 4);
    FOut.append(bytes);
  }
};

// ---------------------------------------------------------------------------
// Stream -> form text.

class TStreamReader {
public:
  explicit TStreamReader(const QByteArray& data, qsizetype start, qsizetype end)
      : FData(reinterpret_cast<const uchar*>(data.constData())), FPos(start), FEnd(end)
  {
  }

  [[noreturn]] static void Damaged(const QString& detail)
  {
    throw TFormTextError(0, QStringLiteral("The form resource is damaged: %1").arg(detail));
  }

  qsizetype Remaining() const { return FEnd - FPos; }

  const uchar* Take(qint64 count)
  {
    if (count < 0 || count > Remaining())
      Damaged(QStringLiteral("it ends too early"));
    const uchar* p = FData + FPos;
    FPos += qsizetype(count);
    return p;
  }

  quint8 Peek()
  {
    if (Remaining() < 1)
      Damaged(QStringLiteral("it ends too early"));
    return FData[FPos];
  }

  quint8 Byte() { return *Take(1); }

  quint64 LittleEndian(int bytes)
  {
    const uchar* p = Take(bytes);
    quint64 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
      value = (value << 8) | p[i];
    return value;
  }

  QByteArray Bytes(qint64 count)
  {
    const uchar* p = Take(count);
    return QByteArray(reinterpret_cast<const char*>(p), qsizetype(count));
  }

  // A float as the stream stores it, in the host's (little-endian) layout.
  template <typename T>
  T Raw()
  {
    T value;
    std::memcpy(&value, Take(sizeof(T)), sizeof(T));
    return value;
  }

  QString ShortString()
  {
    const quint8 length = Byte();
    return QString::fromUtf8(Bytes(length));
  }

private:
  const uchar* FData;
  qsizetype FPos;
  qsizetype FEnd;
};

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

  void NewLine(int level)
  {
    if (!FOut.isEmpty())
      FOut += QLatin1String("\r\n");
    FOut += QString(2 * level, QLatin1Char(' '));
  }

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

  static bool IsIntegerTag(quint8 tag) { return tag == vaInt8 || tag == vaInt16 || tag == vaInt32 || tag == vaInt64; }

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

  // A name the form text reads back as one: words joined by ".", as the
  // parser reads them. Anything else (control bytes, blanks, a backslash)
  // would print as text that means something else, and is damage.
  static const QString& CheckName(const QString& name)
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
  QString Name() { return CheckName(FReader.ShortString()); }

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
    if (afterEquals && tag != vaString && tag != vaLString && tag != vaWString && tag != vaUTF8String)
      FOut += QLatin1Char(' ');
    switch (tag) {
    case vaList:
      WriteList(level);
      break;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      FOut += QString::number(ReadInteger(tag));
      break;
    case vaExtended:
      FOut += FloatText(ExtendedFromBytes(FReader.Take(10)));
      break;
    case vaSingle:
      FOut += FloatText(FReader.Raw<float>()) + QLatin1Char('s');
      break;
    case vaCurrency:
      FOut += CurrencyText(qint64(FReader.LittleEndian(8))) + QLatin1Char('c');
      break;
    case vaDate:
      FOut += FloatText(FReader.Raw<double>()) + QLatin1Char('d');
      break;
    case vaString:
      WriteString(QString::fromLatin1(FReader.Bytes(FReader.Byte())), level, afterEquals);
      break;
    case vaLString:
      WriteString(QString::fromLatin1(FReader.Bytes(qint64(FReader.LittleEndian(4)))), level, afterEquals);
      break;
    case vaUTF8String:
      WriteString(QString::fromUtf8(FReader.Bytes(qint64(FReader.LittleEndian(4)))), level, afterEquals);
      break;
    case vaWString: {
      const qint64 units = qint64(FReader.LittleEndian(4));
      const uchar* p = FReader.Take(2 * units);
      QString text(qsizetype(units), Qt::Uninitialized);
      for (qint64 i = 0; i < units; ++i)
        text[qsizetype(i)] = QChar(char16_t(p[2 * i] | (p[2 * i + 1] << 8)));
      WriteString(text, level, afterEquals);
      break;
    }
    case vaIdent:
      FOut += Name();
      break;
    case vaFalse:
      FOut += QLatin1String("False");
      break;
    case vaTrue:
      FOut += QLatin1String("True");
      break;
    case vaNil:
      FOut += QLatin1String("nil");
      break;
    case vaBinary:
      WriteBinary(FReader.Bytes(qint64(FReader.LittleEndian(4))), level);
      break;
    case vaSet: {
      QStringList members;
      for (QString member = FReader.ShortString(); !member.isEmpty(); member = FReader.ShortString())
        members.append(CheckName(member));
      FOut += QLatin1Char('[') + members.join(QLatin1String(", ")) + QLatin1Char(']');
      break;
    }
    case vaCollection:
      WriteCollection(level);
      break;
    default:
      TStreamReader::Damaged(QStringLiteral("unknown value type %1").arg(tag));
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

QByteArray FormTextToResource(const QString& text)
{
  TTextParser parser(text);
  const QByteArray stream = parser.Parse();
  QByteArray resource("\xFF\x0A\x00", 3);
  resource.append(parser.RootClass().toUpper().toUtf8());
  resource.append('\0');
  resource.append("\x30\x10", 2);
  PutLittleEndian(resource, quint64(stream.size()), 4);
  resource.append(stream);
  return resource;
}

QString FormResourceToText(const QByteArray& resource)
{
  qsizetype start = 0;
  qsizetype end = resource.size();
  if (!resource.startsWith(StreamSignature)) {
    // FF 0A 00, the name up to a 00, two bytes of flags, the 32-bit size.
    if (!resource.startsWith(QByteArray("\xFF\x0A\x00", 3)))
      throw TFormTextError(0, QStringLiteral("Not a form resource"));
    const qsizetype nameEnd = resource.indexOf('\0', 3);
    if (nameEnd < 0)
      TStreamReader::Damaged(QStringLiteral("it ends too early"));
    TStreamReader header(resource, nameEnd + 1, end);
    header.Take(2);
    const qint64 size = qint64(header.LittleEndian(4));
    start = nameEnd + 1 + 2 + 4;
    if (size > end - start)
      TStreamReader::Damaged(QStringLiteral("its size points past its end"));
    end = start + qsizetype(size);
    if (resource.mid(start, StreamSignature.size()) != StreamSignature)
      throw TFormTextError(0, QStringLiteral("Not a form resource"));
  }
  TStreamReader reader(resource, start + StreamSignature.size(), end);
  return TTextWriter(reader).Write();
}

}  // namespace veska
