#include "diagramfile/TextReader.h"

#include <QStringList>

namespace veska {

QString TTextReader::ReadLine()
{
  const qsizetype start = FPos;
  qsizetype end = FText.indexOf(QLatin1Char('\r'), FPos);
  if (end < 0)
    end = FText.size();
  FPos = end;
  SkipLine();
  return FText.mid(start, end - start);
}

void TTextReader::SkipLine()
{
  const qsizetype cr = FText.indexOf(QLatin1Char('\r'), FPos);
  if (cr < 0) {
    FPos = FText.size();
    return;
  }
  FPos = cr + 1;
  if (FPos < FText.size() && FText[FPos] == QLatin1Char('\n'))
    ++FPos;
}

QString TTextReader::ReadToken()
{
  while (FPos < FText.size()) {
    const char16_t c = FText[FPos].unicode();
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
      break;
    ++FPos;
  }
  const qsizetype start = FPos;
  while (FPos < FText.size() && FText[FPos].unicode() > 32)
    ++FPos;
  return FText.mid(start, FPos - start);
}

void TTextReader::ReadNumbers(int* values, int count)
{
  for (int i = 0; i < count; ++i) {
    const QString token = ReadToken();
    if (token.isEmpty()) {
      values[i] = 0;  // past the end of the file
      continue;
    }
    bool ok = false;
    const int value = token.toInt(&ok, 10);
    if (!ok)
      throw TCorruptFile("not a number: " + token.toStdString());
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
  const QString token = ReadToken();
  double value = 0;
  if (!token.isEmpty()) {
    bool ok = false;
    value = token.toDouble(&ok);
    if (!ok || !qIsFinite(value))
      throw TCorruptFile("not a number: " + token.toStdString());
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

bool TTextReader::IsTrue(const QString& text)
{
  return text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
}

}  // namespace veska
