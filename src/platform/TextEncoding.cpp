#include "platform/TextEncoding.h"

#include <QStringDecoder>

namespace veska {

bool IsValidUtf8(const QByteArray& bytes)
{
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(bytes);
  return !decoder.hasError();
}

QString DecodeWindows1252(const QByteArray& bytes)
{
  // 0x80..0x9F differ from Latin-1; the five unassigned codes map to the C1
  // control of the same value, as the Windows code page conversion does.
  static const char16_t high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  QString out;
  out.resize(bytes.size());
  QChar* dst = out.data();
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(high[b - 0x80]) : QChar(b);
  }
  return out;
}

QString DecodeText(const QByteArray& bytes)
{
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(bytes);
  if (!decoder.hasError())
    return text;
  return DecodeWindows1252(bytes);
}

QString LeftCharacters(const QString& text, int count)
{
  // Counts characters (code points), so a surrogate pair is one character and
  // is never split.
  qsizetype i = 0;
  for (int n = 0; n < count && i < text.size(); ++n)
    i += (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
  return i >= text.size() ? text : text.left(i);
}

qsizetype CharacterCount(const QString& text)
{
  qsizetype count = text.size();
  for (qsizetype i = 0; i + 1 < text.size(); ++i)
    if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
      --count;
      ++i;
    }
  return count;
}

}  // namespace veska
