#include "model/Listeners.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <optional>

namespace veska {
namespace {

using TNotes = TListeners<int>;

TEST(ListenersTest, EveryKeptSubscriptionHearsInOrderAndADroppedOneNoLonger)
{
  TNotes notes;
  QStringList heard;
  EXPECT_FALSE(notes);
  TSubscription first = notes.Add([&](int n) { heard << QStringLiteral("first %1").arg(n); });
  const TSubscription second = notes.Add([&](int n) { heard << QStringLiteral("second %1").arg(n); });
  ASSERT_TRUE(notes);
  notes(1);
  first.Reset();
  notes(2);
  {
    const TNotes::TMute mute(notes);
    EXPECT_FALSE(notes);
    notes(3);
  }
  notes(4);
  EXPECT_EQ(heard, QStringList({"first 1", "second 1", "second 2", "second 4"}));
}

// Windows and the model are torn down in either order.
TEST(ListenersTest, ASubscriptionOutlivingItsNotificationLetsGoQuietly)
{
  TSubscription kept;
  TSubscription moved;
  {
    TNotes notes;
    kept = notes.Add([](int) {});
    moved = std::move(kept);
  }
  moved.Reset();
  SUCCEED();
}

TEST(ListenersTest, ListenersMayChangeTheListOrDestroyItsOwnerWhileCalled)
{
  auto notes = std::make_optional<TNotes>();
  QStringList heard;
  TSubscription late;
  TSubscription second;
  const TSubscription first = notes->Add([&](int n) {
    heard << QStringLiteral("first %1").arg(n);
    second.Reset();
    if (n == 1)
      late = notes->Add([&](int m) { heard << QStringLiteral("late %1").arg(m); });
  });
  second = notes->Add([&](int n) { heard << QStringLiteral("second %1").arg(n); });
  (*notes)(1);
  const TSubscription last = notes->Add([&](int) { notes.reset(); });
  (*notes)(2);
  EXPECT_FALSE(notes.has_value());
  EXPECT_EQ(heard, QStringList({"first 1", "first 2", "late 2"}));
}

}  // namespace
}  // namespace veska
