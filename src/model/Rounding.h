#pragma once
#include <cmath>

namespace veska {

// Nearest integer; a value exactly halfway goes to the even neighbour.
inline int RoundHalfEven(double value)
{
  const double r = std::nearbyint(value);  // the default rounding mode is to nearest, ties to even
  if (!(r > -2147483648.0 && r < 2147483647.0))
    return r > 0 ? 2147483647 : (r < 0 ? -2147483647 - 1 : 0);
  return static_cast<int>(r);
}

// The nearest integer to numerator / denominator (denominator > 0), computed
// exactly in integers; a quotient exactly halfway goes to the even neighbour.
inline long long RoundHalfEvenQuotient(long long numerator, long long denominator)
{
  long long q = numerator / denominator;
  long long r = numerator % denominator;
  if (r < 0) {  // floor division
    r += denominator;
    --q;
  }
  if (2 * r > denominator || (2 * r == denominator && q % 2 != 0))
    ++q;
  return q;
}

}  // namespace veska
