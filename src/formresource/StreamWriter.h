#pragma once
// Writing the binary stream: numbers and strings in the stream's own
// layouts, and the resource header in front of a whole stream.

#include <QByteArray>
#include <QString>

#include <cstring>

namespace veska::formstream {

// `bytes` bytes of `value`, least significant first.
void PutLittleEndian(QByteArray& out, quint64 value, int bytes);

// An integer under the smallest tag that holds it.
void PutInteger(QByteArray& out, qint64 value);

// The 80-bit extended layout of `value` (without its tag).
void PutExtended(QByteArray& out, long double value);

// A string under the tag that keeps its text: short, long or wide.
void PutString(QByteArray& out, const QString& text);

// The bytes of a float as the stream stores it.
template <typename T>
QByteArray RawBytes(T value)
{
  QByteArray bytes(sizeof(T), '\0');
  std::memcpy(bytes.data(), &value, sizeof(T));
  return bytes;  // the hosts we build for are little-endian, as the stream is
}

// The resource of a stream whose root object has the class `rootClass`.
QByteArray ResourceOfStream(const QString& rootClass, const QByteArray& stream);

}  // namespace veska::formstream
