#pragma once
// The fast paths of the file's text: nearly every character of a diagram file
// is ASCII, so the writer narrows runs of ASCII UTF-16 units to bytes and the
// text reader widens runs of ASCII bytes to units several at a time, leaving
// only the other characters to be encoded or decoded one by one.

#include <QChar>
#include <QtGlobal>

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace veska {

// Copies the leading run of ASCII characters among the first `limit` units
// of `in` to `out`, a byte each, and returns how many it copied. Eight
// units go at a time; the last few of a run of four or more go as one block
// that overlaps the one before (it writes the same bytes again).
inline qsizetype PutAscii(const char16_t* in, qsizetype limit, char* out)
{
  qsizetype i = 0;
#if defined(__SSE2__)
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  const auto ascii = [&](__m128i units) {
    return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, high), zero)) == 0xFFFF;
  };
  if (limit >= 8) {
    for (; i + 8 <= limit; i += 8) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
      if (!ascii(units))
        break;
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(units, units));
    }
    if (i + 8 > limit && i < limit) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + limit - 8));
      if (ascii(units)) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + limit - 8), _mm_packus_epi16(units, units));
        return limit;
      }
    }
  } else if (limit >= 4) {
    // Four units in the low half, the upper half zero.
    const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in));
    const __m128i last = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + limit - 4));
    if (ascii(_mm_or_si128(first, last))) {
      const int head = _mm_cvtsi128_si32(_mm_packus_epi16(first, first));
      const int tail = _mm_cvtsi128_si32(_mm_packus_epi16(last, last));
      std::memcpy(out, &head, 4);
      std::memcpy(out + limit - 4, &tail, 4);
      return limit;
    }
  }
#endif
  for (; i < limit && in[i] < 0x80; ++i)
    out[i] = static_cast<char>(in[i]);
  return i;
}

// Widens the leading run of ASCII bytes among the first `limit` of `in` to
// `out`, a unit each, and returns how many it widened. Sixteen bytes go at a
// time; the last few of a run of eight or more go as one block that overlaps
// the one before (it writes the same units again).
inline qsizetype WidenAscii(const char* in, qsizetype limit, QChar* out)
{
  qsizetype i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const auto widen = [&](__m128i bytes, QChar* to) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 8), _mm_unpackhi_epi8(bytes, zero));
  };
  if (limit >= 16) {
    for (; i + 16 <= limit; i += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
      if (_mm_movemask_epi8(bytes) != 0)
        break;
      widen(bytes, out + i);
    }
    if (i + 16 > limit && i < limit) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + limit - 16));
      if (_mm_movemask_epi8(bytes) == 0) {
        widen(bytes, out + limit - 16);
        return limit;
      }
    }
  } else if (limit >= 8) {
    // Eight bytes in the low half, the upper half zero.
    const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in));
    const __m128i last = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + limit - 8));
    if (_mm_movemask_epi8(_mm_or_si128(first, last)) == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(first, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + limit - 8), _mm_unpacklo_epi8(last, zero));
      return limit;
    }
  }
#endif
  for (; i < limit && static_cast<unsigned char>(in[i]) < 0x80; ++i)
    out[i] = QChar(static_cast<char16_t>(in[i]));
  return i;
}

}  // namespace veska
