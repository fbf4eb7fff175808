#include "formresource/StreamWriter.h"

#include "formresource/FormStream.h"

#include <cmath>
#include <limits>

namespace veska::formstream {

namespace {

bool IsAscii(const QString& text)
{
  for (const QChar c : text)
    if (c.unicode() > 0x7F)
      return false;
  return true;
}

}  // namespace

void PutLittleEndian(QByteArray& out, quint64 value, int bytes)
{
  for (int i = 0; i < bytes; ++i)
    out.append(char((value >> (8 * i)) & 0xFF));
}

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

// 64-bit mantissa with an explicit integer bit, 15-bit exponent biased by
// 16383, sign. Built from frexp so that it does not depend on the host's long
// double layout.
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

QByteArray ResourceOfStream(const QString& rootClass, const QByteArray& stream)
{
  QByteArray resource = ResourceStart;
  resource.append(rootClass.toUpper().toUtf8());
  resource.append('\0');
  resource.append(ResourceFlags);
  PutLittleEndian(resource, quint64(stream.size()), 4);
  resource.append(stream);
  return resource;
}

}  // namespace veska::formstream
