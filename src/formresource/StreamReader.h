#pragma once
// Reading the binary stream: bytes, numbers and short strings taken from a
// bounded range of the data, which no read goes past.

#include <QByteArray>
#include <QString>

#include <cstring>

namespace veska::formstream {

class TStreamReader {
public:
  // Reads data[start, end).
  TStreamReader(const QByteArray& data, qsizetype start, qsizetype end);

  // Throws TFormTextError (line 0) saying the resource is damaged.
  [[noreturn]] static void Damaged(const QString& detail);

  qsizetype Remaining() const { return FEnd - FPos; }

  // The next `count` bytes, passed over; damaged when fewer remain.
  const uchar* Take(qint64 count);
  // The next byte, not passed over.
  quint8 Peek();
  quint8 Byte() { return *Take(1); }
  // An unsigned number of `bytes` bytes, least significant first.
  quint64 LittleEndian(int bytes);
  QByteArray Bytes(qint64 count);

  // A float as the stream stores it, in the host's (little-endian) layout.
  template <typename T>
  T Raw()
  {
    T value;
    std::memcpy(&value, Take(sizeof(T)), sizeof(T));
    return value;
  }

  // A length byte and that many bytes of UTF-8.
  QString ShortString();

private:
  const uchar* FData;
  qsizetype FPos;
  qsizetype FEnd;
};

// The value of the 80-bit extended layout at `b` (10 bytes).
long double ExtendedFromBytes(const uchar* b);

// A reader of the stream in `resource` (a resource, or a bare stream), past
// its signature; it reads `resource` in place. Throws TFormTextError when
// `resource` is neither.
TStreamReader OpenFormStream(const QByteArray& resource);

}  // namespace veska::formstream
