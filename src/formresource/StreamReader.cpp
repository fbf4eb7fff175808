#include "formresource/StreamReader.h"

#include "formresource/FormStream.h"

#include <cmath>
#include <limits>

namespace veska::formstream {

TStreamReader::TStreamReader(const QByteArray& data, qsizetype start, qsizetype end)
    : FData(reinterpret_cast<const uchar*>(data.constData())), FPos(start), FEnd(end)
{
}

void TStreamReader::Damaged(const QString& detail)
{
  throw TFormTextError(0, QStringLiteral("The form resource is damaged: %1").arg(detail));
}

const uchar* TStreamReader::Take(qint64 count)
{
  if (count < 0 || count > Remaining())
    Damaged(QStringLiteral("it ends too early"));
  const uchar* p = FData + FPos;
  FPos += qsizetype(count);
  return p;
}

quint8 TStreamReader::Peek()
{
  if (Remaining() < 1)
    Damaged(QStringLiteral("it ends too early"));
  return FData[FPos];
}

quint64 TStreamReader::LittleEndian(int bytes)
{
  const uchar* p = Take(bytes);
  quint64 value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | p[i];
  return value;
}

QByteArray TStreamReader::Bytes(qint64 count)
{
  const uchar* p = Take(count);
  return QByteArray(reinterpret_cast<const char*>(p), qsizetype(count));
}

QString TStreamReader::ShortString()
{
  const quint8 length = Byte();
  return QString::fromUtf8(Bytes(length));
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

TStreamReader OpenFormStream(const QByteArray& resource)
{
  qsizetype start = 0;
  qsizetype end = resource.size();
  if (!resource.startsWith(StreamSignature)) {
    // FF 0A 00, the name up to a 00, two bytes of flags, the 32-bit size.
    if (!resource.startsWith(ResourceStart))
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
  return TStreamReader(resource, start + StreamSignature.size(), end);
}

}  // namespace veska::formstream
