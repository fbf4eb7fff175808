#pragma once
// Probing painted images: how much ink lies in an area.

#include <QImage>
#include <QRect>

namespace veska::test {

// The pixels darker than mid-grey in the part of `area` inside the image.
inline int DarkPixels(const QImage& image, QRect area)
{
  int n = 0;
  area &= image.rect();
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      n += qGray(image.pixel(x, y)) < 160 ? 1 : 0;
  return n;
}

}  // namespace veska::test
