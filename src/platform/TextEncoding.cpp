#include "platform/TextEncoding.h"

#include <QStringDecoder>
#include <QSysInfo>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace veska {

qsizetype AsciiPrefixLength(QByteArrayView bytes)
{
  // Eight bytes at a time, then byte by byte within the word that has a high
  // bit.
  constexpr quint64 kHighBits = 0x8080808080808080ull;
  const char* const data = bytes.data();
  const qsizetype size = bytes.size();
  qsizetype i = 0;
  for (quint64 word = 0; i + 8 <= size; i += 8) {
    std::memcpy(&word, data + i, sizeof word);
    if (word & kHighBits)
      break;
  }
  while (i < size && static_cast<unsigned char>(data[i]) < 0x80)
    ++i;
  return i;
}

bool IsValidUtf8(QByteArrayView bytes)
{
  // Runs of ASCII are skipped; the rest goes to Qt's decoder in pieces that
  // begin and end beside an ASCII byte (or the ends), so no piece splits a
  // character and every error is seen as in one piece.
  constexpr qsizetype kPiece = 4096;
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const qsizetype size = bytes.size();
  qsizetype i = 0;
  while (i < size) {
    i += AsciiPrefixLength(bytes.sliced(i));
    if (i == size)
      break;
    qsizetype end = std::min(size, i + kPiece);
    while (end < size && static_cast<unsigned char>(bytes[end]) >= 0x80)
      ++end;
    const QString piece = decoder.decode(bytes.sliced(i, end - i));
    if (decoder.hasError())
      return false;
    i = end;
  }
  return true;
}

void TUtf8Check::Add(QByteArrayView part)
{
  constexpr qsizetype kLongRun = 1 << 16;
  if (!FValid)
    return;
  // Pieces that begin and end beside an ASCII byte split no character.
  qsizetype last = part.size();
  while (last > 0 && static_cast<unsigned char>(part[last - 1]) >= 0x80)
    --last;
  if (last == 0) {
    FPending.append(part);
    // A long run without ASCII (text in another script) is checked up to its
    // last byte that begins a character: a character cut off before such a
    // byte is invalid whichever side it is checked on.
    if (FPending.size() > kLongRun) {
      qsizetype lead = FPending.size() - 1;
      while (lead > 0 && (static_cast<unsigned char>(FPending[lead]) & 0xC0) == 0x80)
        --lead;
      FValid = lead > 0 && IsValidUtf8(QByteArrayView(FPending).first(lead));
      FPending.remove(0, lead);
    }
    return;
  }
  qsizetype first = 0;
  while (static_cast<unsigned char>(part[first]) >= 0x80)
    ++first;
  FPending.append(part.first(first));
  FValid = IsValidUtf8(FPending) && IsValidUtf8(part.sliced(first, last - first));
  FPending = part.sliced(last).toByteArray();
}

QChar* DecodeWindows1252(QChar* out, QByteArrayView bytes)
{
  // 0x80..0x9F differ from Latin-1; the five unassigned codes map to the C1
  // control of the same value, as the Windows code page conversion does.
  static const char16_t high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    *out++ = (b >= 0x80 && b < 0xA0) ? QChar(high[b - 0x80]) : QChar(b);
  }
  return out;
}

QString DecodeWindows1252(QByteArrayView bytes)
{
  QString text(bytes.size(), Qt::Uninitialized);
  DecodeWindows1252(text.data(), bytes);
  return text;
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

QString DecodeCodePage(QByteArrayView bytes, int codePage)
{
  if (AsciiPrefixLength(bytes) == bytes.size())
    return QString::fromLatin1(bytes);
  if (codePage == 1252)
    return DecodeWindows1252(bytes);
  if (codePage <= 0)
    return QString::fromLatin1(bytes);
  // The C library converts the code pages; it names Mac Roman its own way.
  const QByteArray name = codePage == 10000 ? QByteArray("MACINTOSH") : "CP" + QByteArray::number(codePage);
  const iconv_t cd = ::iconv_open(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE",
                                  name.constData());
  if (cd == iconv_t(-1))
    return QString::fromLatin1(bytes);
  QString text(bytes.size() * 2, Qt::Uninitialized);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = size_t(bytes.size());
  char* out = reinterpret_cast<char*>(text.data());
  size_t outLeft = size_t(text.size()) * sizeof(QChar);
  const size_t converted = ::iconv(cd, &in, &inLeft, &out, &outLeft);
  ::iconv_close(cd);
  if (converted == size_t(-1) || inLeft != 0)
    return QString::fromLatin1(bytes);
  text.truncate(qsizetype((reinterpret_cast<QChar*>(out)) - text.constData()));
  return text;
}

}  // namespace veska
