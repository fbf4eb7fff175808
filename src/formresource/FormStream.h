#pragma once
// What the parts of the form converter share: the tags and flags of the
// binary stream, the bytes that frame it in a resource, the nesting limit,
// and the characters of a name in form text.

#include "formresource/FormResource.h"

#include <QByteArray>
#include <QChar>

namespace veska::formstream {

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
inline constexpr quint8 ffInherited = 1;
inline constexpr quint8 ffChildPos = 2;
inline constexpr quint8 ffInline = 4;

// Deeper nesting of objects, lists and collections than any real form has;
// the limit keeps a hostile input from exhausting the stack.
inline constexpr int MaxDepth = 500;

// The stream begins with these four bytes.
inline const QByteArray StreamSignature("TPF0");
// A resource begins with these three bytes, then the upper-case class name
// ended by 00, then ResourceFlags and the stream's 32-bit size.
inline const QByteArray ResourceStart("\xFF\x0A\x00", 3);
inline const QByteArray ResourceFlags("\x30\x10", 2);

// A name in form text starts with a letter or "_" and goes on with letters,
// digits and "_".
inline bool IsWordStart(QChar c)
{
  return c.isLetter() || c == QLatin1Char('_');
}

inline bool IsWordChar(QChar c)
{
  return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Counts the nesting of one parse or read; throws past MaxDepth, naming
// `line` (0 while reading a resource).
class TDepthGuard {
public:
  TDepthGuard(int& depth, int line);
  ~TDepthGuard() { --FDepth; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;

private:
  int& FDepth;
};

}  // namespace veska::formstream
