#include "model/StringList.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace veska {
namespace {

struct TTracked {
  static inline int Live = 0;
  TTracked() { ++Live; }
  ~TTracked() { --Live; }
};

using TOwning = TStringList<TTracked, true>;

int LinearIndexOf(const TOwning& list, const QString& text)
{
  for (int i = 0; i < list.Count(); ++i)
    if (list.Strings(i).compare(text, Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

// Random edits on a list of up to `longest` entries with `distinct` texts
// (some with letters outside ASCII when `accented`); every lookup must find
// the first entry of that text, letter case ignored, as a linear search does.
void CheckLookupsThroughRandomEdits(unsigned seed, int steps, int longest, int distinct, bool accented)
{
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto name = [&] {
    const int k = pick(distinct);
    QString s = QStringLiteral("name%1").arg(k);
    if (accented && k % 3 == 0)
      s += k % 2 ? QString(QChar(0x00E4)) : QString(QChar(0x212A));  // a umlaut, KELVIN SIGN
    return pick(2) ? s.toUpper() : s;
  };
  TOwning list;
  for (int step = 0; step < steps; ++step) {
    const int count = list.Count();
    const int pos = count ? pick(count) : 0;
    switch (pick(7)) {
    case 0:
    case 1:
      if (count < longest)
        list.Add(name(), std::make_unique<TTracked>());
      break;
    case 2: list.Insert(pos, name(), std::make_unique<TTracked>()); break;
    case 3: if (count) list.Delete(pos); break;
    case 4: if (count) list.Delete(count - 1); break;
    case 5: if (count) list.SetString(pos, name()); break;
    case 6: if (count) list.Move(pos, pick(count)); break;
    }
    const QString probe = name();
    ASSERT_EQ(list.IndexOf(probe), LinearIndexOf(list, probe)) << "step " << step << ", " << list.Count() << " entries";
  }
  EXPECT_EQ(TTracked::Live, list.Count());
}

// A list that grows past and shrinks below the length at which lookups go
// through the hash table.
TEST(StringList, LookupsFindTheFirstMatchThroughAnyEdits)
{
  CheckLookupsThroughRandomEdits(12345, 4000, 40, 17, false);
}

// Long lists make the table grow, and renaming and deleting entries empty
// slots inside runs of colliding ones; texts outside ASCII hash through Qt's
// folding (KELVIN SIGN and "K" are the same letter).
TEST(StringList, LookupsInLongListsSurviveGrowingAndEmptyingTheTable)
{
  CheckLookupsThroughRandomEdits(2026, 20000, 400, 150, true);
}

TEST(StringList, OwningListFreesItsObjectsOthersDoNot)
{
  TTracked::Live = 0;
  {
    TOwning list;
    for (int i = 0; i < 20; ++i)
      list.Add(QStringLiteral("x%1").arg(i), std::make_unique<TTracked>());
    list.Delete(3);
    std::unique_ptr<TTracked> kept = list.Extract(0);
    EXPECT_EQ(TTracked::Live, 19);
    EXPECT_EQ(list.IndexOf(QStringLiteral("X5")), 3);
    list.Clear();
    EXPECT_EQ(TTracked::Live, 1);
    list.Add(QStringLiteral("again"), std::make_unique<TTracked>());
  }
  EXPECT_EQ(TTracked::Live, 0);

  TTracked outside;
  {
    TStringList<TTracked, false> refs;
    refs.Add(QStringLiteral("o"), &outside);
    refs.Delete(0);
    refs.Add(QStringLiteral("o"), &outside);
  }
  EXPECT_EQ(TTracked::Live, 1);
}

// Clearing with a hook: the hook sees every entry from the last to the first,
// with the entries before it still in place and the ones after it already
// freed; the cleared list forgets its lookups and takes entries again.
TEST(StringList, ClearWithVisitsEntriesFromTheLastWhileTheEarlierOnesRemain)
{
  TTracked::Live = 0;
  TOwning list;
  for (int i = 0; i < 30; ++i)
    list.Add(QStringLiteral("e%1").arg(i), std::make_unique<TTracked>());
  ASSERT_EQ(list.IndexOf(QStringLiteral("E29")), 29);
  std::vector<int> seen;
  list.ClearWith([&](int i) {
    seen.push_back(i);
    EXPECT_EQ(list.Count(), i + 1);
    EXPECT_EQ(TTracked::Live, i + 1);
    if (i > 0) {
      EXPECT_EQ(list.Strings(i - 1), QStringLiteral("e%1").arg(i - 1));
    }
  });
  std::vector<int> expected(30);
  for (int i = 0; i < 30; ++i)
    expected[static_cast<size_t>(i)] = 29 - i;
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(TTracked::Live, 0);
  EXPECT_EQ(list.IndexOf(QStringLiteral("e3")), -1);
  list.Add(QStringLiteral("e3"), std::make_unique<TTracked>());
  EXPECT_EQ(list.IndexOf(QStringLiteral("E3")), 0);
  list.Clear();
}

}  // namespace
}  // namespace veska

namespace veska {
namespace {

// The quick folding of plain text must agree with Qt's folding everywhere,
// also where text outside ASCII folds onto ASCII letters (KELVIN SIGN onto
// "k", LONG S onto "s"), where a pair of UTF-16 units folds, and where texts
// differ only after such a character.
TEST(StringList, QuickCaseFoldingAgreesWithQtOnTrickyText)
{
  const QStringList texts = {
      QString(), QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("Key_1"), QStringLiteral("KEY_1"),
      QStringLiteral("key_2"), QStringLiteral("@[`{"), QStringLiteral("`@{["), QString(QChar(0x212A)),
      QStringLiteral("k"), QStringLiteral("K"), QString(QChar(0x017F)), QStringLiteral("S"),
      QStringLiteral("Stra") + QChar(0x00DF) + QStringLiteral("e"), QStringLiteral("STRA") + QChar(0x00DF) + "E",
      QStringLiteral("STRASSE"), QString::fromUcs4(U"\U00010400x"), QString::fromUcs4(U"\U00010428X"),
      QString::fromUcs4(U"\U00010400y"), QStringLiteral("A") + QChar(0x212A), QStringLiteral("ak"),
      QStringLiteral("AK") + QChar(0x00C9), QStringLiteral("ak") + QChar(0x00E9), QStringLiteral("abc"),
      QStringLiteral("abcd")};
  for (const QString& a : texts) {
    EXPECT_EQ(CaseFolded(a), a.toCaseFolded()) << a.toStdString();
    for (const QString& b : texts) {
      EXPECT_EQ(EqualIgnoringCase(a, b), a.compare(b, Qt::CaseInsensitive) == 0)
          << a.toStdString() << " / " << b.toStdString();
      if (EqualIgnoringCase(a, b)) {
        EXPECT_EQ(FoldedHash(a), FoldedHash(b)) << a.toStdString() << " / " << b.toStdString();
      }
    }
  }
}

}  // namespace
}  // namespace veska
