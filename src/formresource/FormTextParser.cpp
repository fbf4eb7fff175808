// Form text to form resource: a parser that writes the stream as it reads
// the text, in one pass.
#include "formresource/FormResource.h"

#include "formresource/FormStream.h"
#include "formresource/StreamWriter.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cmath>
#include <limits>
#include <optional>

namespace veska {

namespace {

using namespace formstream;

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

// A number as the text gives it, and its value.
struct TNumber {
  QString Text;
  bool IsFloat = false;
  char Suffix = 0;  // 's' single, 'c' currency, 'd' date, or 0
  qint64 Integer = 0;  // also a currency's ten-thousandths
  long double Float = 0;
};

// The value of a float text too small for a normal long double: the
// smallest extended numbers are subnormal, and their text must read back.
// False when it underflows to zero (or overflows).
bool SubnormalValue(const QByteArray& ascii, long double& value)
{
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
  char* end = nullptr;
  const long double v = strtold_l(ascii.constData(), &end, c);
  if (end != ascii.constData() + ascii.size() || v == 0 || !std::isfinite(v) || std::isnormal(v))
    return false;
  value = v;
  return true;
}

// The decimal text of a currency ("-12.5", "1.25E3") in ten-thousandths,
// decimals past the fourth rounded half away from zero; nothing when it is
// out of the 64-bit range.
std::optional<qint64> ScaledCurrency(const QString& text)
{
  qsizetype p = 0;
  const bool negative = text.startsWith(QLatin1Char('-'));
  if (negative)
    ++p;
  QString digits;
  int exponent = 4;  // ten-thousandths
  for (; p < text.size() && text.at(p).isDigit(); ++p)
    digits += text.at(p);
  if (p < text.size() && text.at(p) == QLatin1Char('.'))
    for (++p; p < text.size() && text.at(p).isDigit(); ++p, --exponent)
      digits += text.at(p);
  if (p < text.size() && (text.at(p) == QLatin1Char('e') || text.at(p) == QLatin1Char('E'))) {
    // An exponent too large for an int is still only "very large".
    bool ok = false;
    const int e = text.mid(p + 1).toInt(&ok);
    const int huge = text.mid(p + 1).startsWith(QLatin1Char('-')) ? -100000 : 100000;
    exponent += ok ? qBound(-100000, e, 100000) : huge;
  }
  while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
    digits.remove(0, 1);
  bool roundUp = false;
  if (exponent < 0) {
    const qsizetype keep = digits.size() + exponent;
    roundUp = keep >= 0 && keep < digits.size() && digits.at(keep) >= QLatin1Char('5');
    digits.truncate(qMax<qsizetype>(keep, 0));
    exponent = 0;
  }
  if (digits.isEmpty())
    digits = QStringLiteral("0");
  if (digits != QLatin1String("0")) {
    if (digits.size() + exponent > 19)
      return std::nullopt;
    digits += QString(exponent, QLatin1Char('0'));
  }
  const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
  const quint64 magnitude = digits.toULongLong() + (roundUp ? 1 : 0);
  if (magnitude > limit)
    return std::nullopt;
  return negative ? qint64(0 - magnitude) : qint64(magnitude);
}

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

  // ---- Faults: each names the line where it was found.

  [[noreturn]] void Fail(const QString& message) const { throw TFormTextError(FLine, message); }
  [[noreturn]] void FailAt(int line, const QString& message) const { throw TFormTextError(line, message); }

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

  // The number that began at `start`, up to the end of the word it is in.
  [[noreturn]] void FailNumberFrom(qsizetype start)
  {
    while (!AtEnd() && (IsWordChar(Peek()) || Peek() == QLatin1Char('.')))
      ++FPos;
    FailNumber(FText.mid(start, FPos - start));
  }

  [[noreturn]] void FailUnexpectedCharacter() const
  {
    Fail(QStringLiteral("Unexpected character \"%1\"").arg(Peek()));
  }

  // ---- Characters, blanks and words.

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

  void PutShortString(const QString& name)
  {
    const QByteArray bytes = name.toUtf8();
    if (bytes.size() > 255)
      Fail(QStringLiteral("The name \"%1\" is longer than 255 bytes").arg(name.left(40)));
    FOut.append(char(bytes.size()));
    FOut.append(bytes);
  }

  // ---- Objects and properties.

  void ParseObject(const QString& keyword)
  {
    TDepthGuard depth(FDepth, FLine);
    ParseObjectHeader(keyword);
    ParseObjectBody();
  }

  // "Name: TClass [n]" after the keyword: flags, order, class and name.
  void ParseObjectHeader(const QString& keyword)
  {
    quint8 flags = 0;
    if (IsWord(keyword, "inherited"))
      flags |= ffInherited;
    else if (IsWord(keyword, "inline"))
      flags |= ffInline;
    QString name;
    QString className = RequireWord("A class name");
    int classLine = FLine;
    SkipBlanks();
    if (Peek() == QLatin1Char(':')) {
      ++FPos;
      name = className;
      className = RequireWord("A class name");
      classLine = FLine;
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
    // A class name's length byte of 0xF0 or more would read back as the
    // flags that may open an object.
    if (className.toUtf8().size() >= 0xF0)
      FailAt(classLine, QStringLiteral("The class name \"%1\" is longer than 239 bytes").arg(className.left(40)));
    if (FRootClass.isNull())
      FRootClass = className;
    if (flags != 0)
      FOut.append(char(0xF0 | flags));
    if (hasPosition)
      PutInteger(FOut, position);
    PutShortString(className);
    PutShortString(name);
  }

  // Properties, 00, child objects, 00: a property cannot follow a child.
  void ParseObjectBody()
  {
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

  // ---- Values.

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
      ParseWordValue();
    } else {
      FailUnexpectedCharacter();
    }
  }

  // True, False, nil, or an identifier.
  void ParseWordValue()
  {
    const QString word = ReadWord();
    if (IsWord(word, "True")) {
      FOut.append(char(vaTrue));
    } else if (IsWord(word, "False")) {
      FOut.append(char(vaFalse));
    } else if (IsWord(word, "nil")) {
      FOut.append(char(vaNil));
    } else {
      FOut.append(char(vaIdent));
      PutShortString(word);
    }
  }

  // Quoted pieces and #n characters, written next to each other or joined
  // by "+" across blanks and lines.
  QString ParseString()
  {
    QString value;
    for (;;) {
      if (Peek() == QLatin1Char('\'')) {
        ParseQuotedPiece(value);
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

  // 'text' with '' for a quote, appended to `value`; it ends on its line.
  void ParseQuotedPiece(QString& value)
  {
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

  // ---- Numbers.

  // An integer (decimal, "$" hex, with "-"), or a float with "." or an
  // exponent, optionally followed by s, c or d.
  TNumber ParseNumberText()
  {
    const qsizetype start = FPos;
    const bool negative = Peek() == QLatin1Char('-');
    if (negative)
      ++FPos;
    if (Peek() == QLatin1Char('$'))
      return ParseHexNumber(start, negative);
    TNumber number = ScanDecimalNumber(start);
    ConvertDecimalNumber(number, start);
    return number;
  }

  // "$" and up to 16 hex digits, read as 64 bits (so $FFFFFFFFFFFFFFFF is -1).
  TNumber ParseHexNumber(qsizetype start, bool negative)
  {
    TNumber number;
    ++FPos;  // $
    const qsizetype digitsStart = FPos;
    quint64 value = 0;
    for (int digit; !AtEnd() && (digit = DigitValue(Peek(), 16)) >= 0;) {
      if (FPos - digitsStart >= 16)
        FailNumberFrom(start);
      value = value * 16 + quint64(digit);
      ++FPos;
    }
    if (FPos == digitsStart || (!AtEnd() && IsWordChar(Peek())))
      FailNumberFrom(start);
    number.Integer = negative ? qint64(0 - value) : qint64(value);
    number.Text = FText.mid(start, FPos - start);
    return number;
  }

  // The number of ASCII digits from `at` on.
  qsizetype DigitsFrom(qsizetype at) const
  {
    qsizetype p = at;
    while (p < FText.size() && FText.at(p).unicode() < 0x80 && FText.at(p).isDigit())
      ++p;
    return p - at;
  }

  // The text of a decimal number (from `start`, its sign already passed)
  // and its suffix; the value is not yet converted.
  TNumber ScanDecimalNumber(qsizetype start)
  {
    TNumber number;
    qsizetype n = DigitsFrom(FPos);
    if (n == 0)
      FailNumberFrom(start);
    FPos += n;
    if (Peek() == QLatin1Char('.') && !IsWordStart(PeekAt(1))) {
      number.IsFloat = true;
      ++FPos;
      FPos += DigitsFrom(FPos);
    }
    if (Peek() == QLatin1Char('e') || Peek() == QLatin1Char('E')) {
      qsizetype p = FPos + 1;
      if (p < FText.size() && (FText.at(p) == QLatin1Char('+') || FText.at(p) == QLatin1Char('-')))
        ++p;
      n = DigitsFrom(p);
      if (n == 0)
        FailNumberFrom(start);
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
      FailNumberFrom(start);
    return number;
  }

  // The value of the number's text; one out of range is refused.
  void ConvertDecimalNumber(TNumber& number, qsizetype start)
  {
    if (number.Suffix == 'c') {
      const std::optional<qint64> scaled = ScaledCurrency(number.Text);
      if (!scaled)
        FailNumberFrom(start);
      number.Integer = *scaled;
      return;
    }
    const QByteArray ascii = number.Text.toLatin1();
    const char* first = ascii.constData();
    const char* last = first + ascii.size();
    std::from_chars_result result;
    if (number.IsFloat) {
      result = std::from_chars(first, last, number.Float);
      if (result.ec == std::errc::result_out_of_range && result.ptr == last)
        result.ec = SubnormalValue(ascii, number.Float) ? std::errc() : result.ec;
    } else
      result = std::from_chars(first, last, number.Integer);
    if (result.ec != std::errc() || result.ptr != last)
      FailNumberFrom(start);
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
    case 'c':
      PutCurrency(number);
      break;
    case 'd':
      FOut.append(char(vaDate));
      FOut.append(RawBytes(double(number.Float)));
      break;
    default:
      FOut.append(char(vaExtended));
      PutExtended(FOut, number.Float);
    }
  }

  // A currency is a 64-bit integer of ten-thousandths, scaled from the
  // decimal text itself (a binary float cannot hold every such value).
  void PutCurrency(const TNumber& number)
  {
    FOut.append(char(vaCurrency));
    PutLittleEndian(FOut, quint64(number.Integer), 8);
  }

  // ---- Sets, lists, collections and binary data.

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

}  // namespace

QByteArray FormTextToResource(const QString& text)
{
  TTextParser parser(text);
  const QByteArray stream = parser.Parse();
  return formstream::ResourceOfStream(parser.RootClass(), stream);
}

}  // namespace veska
