// The date text of a diagram file's header.

#include "diagramfile/DiagramFile.h"

#include <gtest/gtest.h>

using namespace veska;

namespace {

TEST(DateText, FormatsAndParses)
{
  const QDateTime now(QDate(2026, 12, 8), QTime(9, 0));
  EXPECT_EQ(FormatDateText(QDateTime(QDate(1997, 3, 14), QTime(10, 5, 12))), "3/14/97 10:05:12 AM");
  EXPECT_EQ(FormatDateText(QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5))), "12/8/26 2:30:05 PM");
  EXPECT_EQ(FormatDateText(QDateTime(QDate(2026, 1, 2), QTime(0, 0))), "1/2/26");
  EXPECT_EQ(FormatDateText(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 1))), "1/2/26 12:00:01 AM");

  EXPECT_EQ(ParseDateText("12/8/26 2:30:05 PM", now), QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5)));
  EXPECT_EQ(ParseDateText("12/8/2026 14:30:05", now), QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5)));
  EXPECT_EQ(ParseDateText("3/14/97 12:05:00 AM", now), QDateTime(QDate(2097, 3, 14), QTime(0, 5)));
  EXPECT_EQ(ParseDateText("1/2/03", now), QDateTime(QDate(2003, 1, 2), QTime(0, 0)));
  EXPECT_FALSE(ParseDateText("2/30/03", now).has_value());
  EXPECT_FALSE(ParseDateText("1/2/03 13:00:00 PM", now).has_value());
  EXPECT_FALSE(ParseDateText("", now).has_value());
}

}  // namespace
