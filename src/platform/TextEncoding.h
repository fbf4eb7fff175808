#pragma once
// Text encodings of the files the program reads and writes. Files are written
// in UTF-8; a file is read as UTF-8 when it is valid UTF-8 and as Windows-1252
// otherwise, so that files from single-byte systems open unchanged.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace veska {

bool IsValidUtf8(QByteArrayView bytes);
// The same answer for bytes given in parts, split anywhere.
class TUtf8Check {
public:
  void Add(QByteArrayView part);
  // Whether all the bytes added are valid UTF-8 (a character cut off at the
  // end is not).
  bool Valid() const { return FValid && (FPending.isEmpty() || IsValidUtf8(FPending)); }

private:
  bool FValid = true;
  // The bytes above 127 at the end of what was added, which may begin a
  // character that the next part ends.
  QByteArray FPending;
};
// The number of leading bytes below 128.
qsizetype AsciiPrefixLength(QByteArrayView bytes);
QString DecodeWindows1252(QByteArrayView bytes);
// Writes one character per byte from `out` on; returns the end.
QChar* DecodeWindows1252(QChar* out, QByteArrayView bytes);
// Text in a single- or multi-byte code page given by its number (437, 850,
// 1252, 10000 for Mac Roman ...). A code page that is unknown, 0 included,
// or bytes it cannot decode give Latin-1.
QString DecodeCodePage(QByteArrayView bytes, int codePage);

// UTF-8 when valid, else Windows-1252.
QString DecodeText(const QByteArray& bytes);

// The first `count` characters (code points) of text.
QString LeftCharacters(const QString& text, int count);
// The number of characters (code points) of text: a character outside the
// Basic Multilingual Plane (a surrogate pair) counts once.
qsizetype CharacterCount(const QString& text);

}  // namespace veska
