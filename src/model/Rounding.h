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

}  // namespace veska
