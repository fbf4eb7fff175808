#include "surface/LineCoverage.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace veska::test {
namespace {

using TRuns = std::vector<std::pair<int, int>>;

const quint64 kBlack = 0xffff000000000000ULL;
const quint64 kRed = 0xffff00000000ffffULL;

TRuns Line(TLineCoverage& c, bool vertical, int at, int from, int to, quint64 color = kBlack)
{
  TRuns runs;
  c.Line(vertical, at, from, to, color, [&](int first, int last) { runs.emplace_back(first, last); });
  return runs;
}

TEST(LineCoverageTest, LinesPaintOnlyWhatEarlierLinesOfTheirColourLeftOpen)
{
  TLineCoverage c;
  EXPECT_EQ(Line(c, true, 10, 100, 200), (TRuns{{100, 200}}));
  EXPECT_EQ(Line(c, true, 10, 120, 180), TRuns());            // inside
  EXPECT_EQ(Line(c, true, 10, 50, 250), (TRuns{{50, 99}, {201, 250}}));
  EXPECT_EQ(Line(c, true, 10, 300, 310), (TRuns{{300, 310}}));
  // Across two spans and the gap between them, touching the second's end.
  EXPECT_EQ(Line(c, true, 10, 240, 320), (TRuns{{251, 299}, {311, 320}}));
  EXPECT_EQ(Line(c, true, 10, 50, 320), TRuns());
  // A span right after another one merges with it.
  EXPECT_EQ(Line(c, true, 10, 321, 330), (TRuns{{321, 330}}));
  EXPECT_EQ(Line(c, true, 10, 49, 331), (TRuns{{49, 49}, {331, 331}}));

  // Other columns, rows and colours are apart.
  EXPECT_EQ(Line(c, true, 11, 100, 200), (TRuns{{100, 200}}));
  EXPECT_EQ(Line(c, false, 10, 100, 200), (TRuns{{100, 200}}));
  EXPECT_TRUE(c.Covered(10, 150) && c.Covered(150, 10));
  EXPECT_EQ(Line(c, true, 10, 100, 200, kRed), (TRuns{{100, 200}}));
  EXPECT_FALSE(c.Covered(11, 150) || c.Covered(150, 10));  // forgotten with black
  EXPECT_EQ(Line(c, true, 10, 100, 200, kBlack), (TRuns{{100, 200}}));
}

TEST(LineCoverageTest, ForgottenPixelsArePaintedAgain)
{
  TLineCoverage c;
  Line(c, true, 10, 0, 1000);
  Line(c, false, 500, 0, 1000);
  // A symbol's box across both lines, then one on the vertical line only.
  c.Forget(QRect(5, 495, 10, 10));
  EXPECT_FALSE(c.Covered(10, 495) || c.Covered(10, 504) || c.Covered(5, 500) || c.Covered(14, 500));
  EXPECT_TRUE(c.Covered(10, 494) && c.Covered(10, 505) && c.Covered(4, 500) && c.Covered(15, 500));
  c.Forget(QRect(8, 700, 5, 1));
  EXPECT_EQ(Line(c, true, 10, 0, 1000), (TRuns{{495, 504}, {700, 700}}));
  EXPECT_EQ(Line(c, false, 500, 0, 1000), (TRuns{{5, 14}}));

  // Forgetting the end of a span, the start of the next and all between.
  Line(c, false, 20, 0, 9);
  Line(c, false, 20, 20, 29);
  Line(c, false, 20, 40, 49);
  c.Forget(QRect(5, 20, 20, 1));
  EXPECT_EQ(Line(c, false, 20, 0, 49), (TRuns{{5, 24}, {30, 39}}));
  c.Forget(QRect());
  c.Reset();
  EXPECT_FALSE(c.Covered(10, 0) || c.Covered(0, 20));
  EXPECT_EQ(Line(c, false, 20, 0, 49), (TRuns{{0, 49}}));
}

}  // namespace
}  // namespace veska::test
