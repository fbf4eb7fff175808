#include "diagramfile/TextReader.h"

#include "model/CaseFold.h"

#include <QStringList>

#include <climits>

namespace veska {

namespace {
// The common form of a number, parsed without Qt's locale machinery: an
// optional sign and up to ten ASCII digits within the range of int. False
// for anything else, which the caller hands to QString's parser.
bool ParsePlainInt(QStringView token, int& value)
{
  qsizetype i = 0;
  const bool negative = !token.isEmpty() && token[0] == QLatin1Char('-');
  if (negative || (!token.isEmpty() && token[0] == QLatin1Char('+')))
    ++i;
  if (i == token.size() || token.size() - i > 10)
    return false;
  qint64 v = 0;
  for (; i < token.size(); ++i) {
    const char16_t c = token[i].unicode();
    if (c < u'0' || c > u'9')
      return false;
    v = v * 10 + (c - u'0');
  }
  if (negative)
    v = -v;
  if (v < INT_MIN || v > INT_MAX)
    return false;
  value = static_cast<int>(v);
  return true;
}
}  // namespace

QString TTextReader::ReadLine()
{
  return ReadLineView().toString();
}

QStringView TTextReader::ReadLineView()
{
  const qsizetype start = FPos;
  qsizetype end = FText.indexOf(QLatin1Char('\r'), FPos);
  if (end < 0)
    end = FText.size();
  FPos = end;
  StepOverLineEnd();
  return QStringView(FText).mid(start, end - start);
}

void TTextReader::SkipLine()
{
  const qsizetype cr = FText.indexOf(QLatin1Char('\r'), FPos);
  FPos = cr < 0 ? FText.size() : cr;
  StepOverLineEnd();
}

// At a carriage return (or the end): steps over it and a line feed behind it.
void TTextReader::StepOverLineEnd()
{
  if (FPos >= FText.size())
    return;
  ++FPos;
  if (FPos < FText.size() && FText[FPos] == QLatin1Char('\n'))
    ++FPos;
}

QStringView TTextReader::ReadToken()
{
  const QChar* text = FText.constData();
  const qsizetype size = FText.size();
  qsizetype pos = FPos;
  while (pos < size) {
    const char16_t c = text[pos].unicode();
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
      break;
    ++pos;
  }
  const qsizetype start = pos;
  while (pos < size && text[pos].unicode() > 32)
    ++pos;
  FPos = pos;
  return QStringView(text + start, pos - start);
}

void TTextReader::ReadNumbers(int* values, int count)
{
  for (int i = 0; i < count; ++i) {
    const QStringView token = ReadToken();
    if (token.isEmpty()) {
      values[i] = 0;  // past the end of the file
      continue;
    }
    int value = 0;
    bool ok = ParsePlainInt(token, value);
    if (!ok)
      value = token.toInt(&ok, 10);
    if (!ok)
      throw TCorruptFile("not a number: " + token.toString().toStdString());
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
  const QStringView token = ReadToken();
  double value = 0;
  if (!token.isEmpty()) {
    bool ok = false;
    value = token.toDouble(&ok);
    if (!ok || !qIsFinite(value))
      throw TCorruptFile("not a number: " + token.toString().toStdString());
  }
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
