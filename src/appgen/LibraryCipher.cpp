#include "appgen/LibraryCipher.h"

#include <cstring>

namespace veska {

QByteArray CipherLibrary(const QByteArray& data, const char* key) {
  const std::size_t digits = std::strlen(key);
  QByteArray keyBytes;
  for (std::size_t j = 0; j + 1 < digits; j += 2)
    keyBytes.append(char((key[j] - '0') * 10 + (key[j + 1] - '0')));
  if (keyBytes.isEmpty()) return data;
  QByteArray out = data;
  for (qsizetype n = 0; n < out.size(); ++n) out[n] = char(out[n] ^ keyBytes[n % keyBytes.size()]);
  return out;
}

}  // namespace veska
