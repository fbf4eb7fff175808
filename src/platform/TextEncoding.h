#pragma once
// Text encodings of the files the program reads and writes. Files are written
// in UTF-8; a file is read as UTF-8 when it is valid UTF-8 and as Windows-1252
// otherwise, so that files from single-byte systems open unchanged.

#include <QByteArray>
#include <QString>

namespace veska {

bool IsValidUtf8(const QByteArray& bytes);
QString DecodeWindows1252(const QByteArray& bytes);
// UTF-8 when valid, else Windows-1252.
QString DecodeText(const QByteArray& bytes);

// The first `count` characters (code points) of text.
QString LeftCharacters(const QString& text, int count);
// The number of characters (code points) of text: a character outside the
// Basic Multilingual Plane (a surrogate pair) counts once.
qsizetype CharacterCount(const QString& text);

}  // namespace veska
