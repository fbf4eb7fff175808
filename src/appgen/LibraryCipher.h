#pragma once
// The generator's template library is kept enciphered: each byte is XORed
// with the key byte at its position modulo the key's length. The key is held
// as a text of decimal digits, two per key byte.

#include <QByteArray>

namespace veska {

// 22 decimal digits: key byte j is the number written by digits 2j and 2j+1.
inline constexpr char kLibraryKey[] = "4719830562281497036415";

// Enciphers or deciphers (the operation is its own inverse).
QByteArray CipherLibrary(const QByteArray& data, const char* key = kLibraryKey);

}  // namespace veska
