// Laying out every box asks for the memory of the boxes ahead (LayoutAhead).
// Nothing breaks when that read-ahead and what a layout reads drift apart,
// the walk only waits on memory again; these cases find out what a layout
// reads by its behaviour (what it measures, which change makes it measure
// again, which relations it releases) and require the read-ahead to reach
// exactly that.

#include "ModelFixture.h"

#include "model/ReadAhead.h"

#include <cstdint>
#include <functional>
#include <set>
#include <vector>

namespace veska::test {
namespace {

// Fixed widths; remembers the characters of every text measured.
class TRecordingMeasurer final : public TTextMeasurer {
public:
  int TextWidth(const QFont&, const QString& text) const override
  {
    Measured.insert(text.constData());
    return static_cast<int>(text.size()) * 6;
  }
  int TextHeight(const QFont&, const QString&) const override { return 14; }
  mutable std::set<const void*> Measured;
};

// Every address the four stages of the layout read-ahead reach for `e`.
std::vector<std::uintptr_t> Reached(const TEntity& e)
{
  std::vector<std::uintptr_t> reached;
  for (int distance = 4; distance >= 1; --distance)
    LayoutAheadInto(e, distance, [&](const void* p) { reached.push_back(reinterpret_cast<std::uintptr_t>(p)); });
  return reached;
}

// Whether one of `reached` lies within the object at `at`.
template <typename T>
bool ReachesInto(const std::vector<std::uintptr_t>& reached, const T* at)
{
  const auto from = reinterpret_cast<std::uintptr_t>(at);
  for (std::uintptr_t p : reached)
    if (p >= from && p < from + sizeof(T))
      return true;
  return false;
}

class LayoutReadAhead : public ::testing::Test {
protected:
  TRecordingMessages Msgs;
  TRecordingMeasurer Measurer;
  TCountingDiagram D{Msgs, Measurer};

  void SetUp() override { D.EntityDisplayMode = emAttributes; }
  void TearDown() override { EXPECT_EQ(CheckIntegrity(D), QStringList()); }

  TEntity* Make(const QString& name, const QStringList& keys, const QStringList& attrs = {})
  {
    return MakeEntityIn(D, name, keys, attrs);
  }
  TRelation* Relate(TEntity* parent, TEntity* child) { return RelateIn(D, parent, child, false); }

  // Lays `e` out; whether it measured anything.
  bool Measures(TEntity* e)
  {
    Measurer.Measured.clear();
    e->ComputeLayout();
    return !Measurer.Measured.empty();
  }
};

TEST_F(LayoutReadAhead, ReachesEveryTextAFirstLayoutMeasures)
{
  D.BeginUpdate();
  TEntity* e = Make(QStringLiteral("Customer"), {QStringLiteral("CustNo")},
                    {QStringLiteral("Name"), QStringLiteral("Street"), QStringLiteral("City")});
  Relate(e, Make(QStringLiteral("Order"), {QStringLiteral("OrderNo")}));
  ASSERT_TRUE(e->RememberedLines(0).empty() && e->RememberedLines(1).empty());
  const std::vector<std::uintptr_t> reached = Reached(*e);

  ASSERT_TRUE(Measures(e));
  EXPECT_EQ(Measurer.Measured.size(), 5u);  // the title and four lines
  for (const void* text : Measurer.Measured)
    EXPECT_TRUE(ReachesInto(reached, static_cast<const QChar*>(text)))
        << "a measured text is not asked for: " << QString(static_cast<const QChar*>(text)).toStdString();
  D.EndUpdate();
}

// A box laid out before measures again only when a field it reads of an
// attribute changed; the read-ahead must reach those fields, and no other.
TEST_F(LayoutReadAhead, ReachesTheAttributeFieldsARemeasureFollows)
{
  TEntity* e = Make(QStringLiteral("Customer"), {QStringLiteral("CustNo")}, {QStringLiteral("Name")});
  struct TProbe {
    const char* Field;
    std::function<const void*(TAttribute&)> At;
    std::function<void(TAttribute&)> Change;
    size_t Size;
  };
  const auto text = [](QString TAttribute::*field) {
    return TProbe{"", [field](TAttribute& a) -> const void* { return &(a.*field); },
                  [field](TAttribute& a) { a.*field = QStringLiteral("CHANGED_TEXT"); }, sizeof(QString)};
  };
  const auto named = [](const char* name, TProbe probe) {
    probe.Field = name;
    return probe;
  };
  // Every field of an attribute.
  const std::vector<TProbe> probes = {
      named("Name", text(&TAttribute::Name)),
      {"ColumnName", [](TAttribute& a) -> const void* { return &a.ColumnName(); },
       [](TAttribute& a) { a.SetColumnName(QStringLiteral("OTHER_COLUMN")); }, sizeof(QString)},
      named("DataType", text(&TAttribute::DataType)),
      named("Width", text(&TAttribute::Width)),
      {"DefaultValue", [](TAttribute& a) -> const void* { return &a.DefaultValue(); },
       [](TAttribute& a) { a.SetDefaultValue(QStringLiteral("CHANGED_TEXT")); }, sizeof(QString)},
      {"Rule", [](TAttribute& a) -> const void* { return &a.Rule(); },
       [](TAttribute& a) { a.SetRule(QStringLiteral("CHANGED_TEXT")); }, sizeof(QString)},
      {"AllowNulls", [](TAttribute& a) -> const void* { return &a.AllowNulls; },
       [](TAttribute& a) { a.AllowNulls = !a.AllowNulls; }, sizeof(bool)},
      {"ForeignKey", [](TAttribute& a) -> const void* { return &a.ForeignKey; },
       [](TAttribute& a) { a.ForeignKey = !a.ForeignKey; }, sizeof(bool)},
      {"DisplayType", [](TAttribute& a) -> const void* { return &a.DisplayType; },
       [](TAttribute& a) {
         a.DisplayType = a.DisplayType == TDisplayType::Edit ? TDisplayType::Text : TDisplayType::Edit;
       },
       sizeof(TDisplayType)},
      // The control's place and width are held with the other rarely set
      // fields, in a block that begins with the default value: asked for,
      // they would be asked for there.
      {"ControlTop", [](TAttribute& a) -> const void* { return &a.DefaultValue(); },
       [](TAttribute& a) { a.SetControlTop(a.ControlTop() + 1); }, 1},
      {"ControlLeft", [](TAttribute& a) -> const void* { return &a.DefaultValue(); },
       [](TAttribute& a) { a.SetControlLeft(a.ControlLeft() + 1); }, 1},
      {"ControlWidth", [](TAttribute& a) -> const void* { return &a.DefaultValue(); },
       [](TAttribute& a) { a.SetControlWidth(a.ControlWidth() + 1); }, 1},
      {"Description", [](TAttribute& a) -> const void* { return &a.Description(); },
       [](TAttribute& a) { a.SetDescription(a.Description() + QStringList{QStringLiteral("more")}); },
       sizeof(QStringList)},
  };
  int remeasured = 0;
  for (TAttribute* a : {e->PrimaryKey.Objects(0), e->Attributes.Objects(0)})
    for (const TProbe& probe : probes) {
      SCOPED_TRACE(probe.Field);
      const TAttribute saved = *a;
      e->ComputeLayout();
      ASSERT_FALSE(Measures(e)) << "laid out already";
      const std::vector<std::uintptr_t> reached = Reached(*e);
      const auto from = reinterpret_cast<std::uintptr_t>(probe.At(*a));
      bool asked = false;
      for (std::uintptr_t p : reached)
        asked = asked || (p >= from && p < from + probe.Size);
      probe.Change(*a);
      const bool measures = Measures(e);
      EXPECT_EQ(asked, measures) << (measures ? "a layout reads it, the read-ahead does not"
                                              : "the read-ahead asks for it, a layout does not read it");
      remeasured += measures ? 1 : 0;
      a->AssignFields(saved);
    }
  EXPECT_GT(remeasured, 0);
}

// A new size releases relations (shows them again, routed); the read-ahead
// must reach each of those and none other.
TEST_F(LayoutReadAhead, ReachesTheRelationsANewSizeReleases)
{
  TEntity* e = Make(QStringLiteral("Order"), {QStringLiteral("OrderNo")}, {QStringLiteral("Placed")});
  TEntity* customer = Make(QStringLiteral("Customer"), {QStringLiteral("CustNo")});
  TEntity* line = Make(QStringLiteral("OrderLine"), {QStringLiteral("LineNo")});
  TEntity* product = Make(QStringLiteral("Product"), {QStringLiteral("ProdNo")});
  Relate(customer, e);
  Relate(e, line);
  Relate(product, line);
  Relate(e, e);  // a relation to itself is released once
  for (TRelation* r : D.Relations)
    r->SetSuspended(true);
  const std::vector<std::uintptr_t> reached = Reached(*e);

  const int width = e->Width;
  e->RenameAttribute(0, QStringLiteral("A_NAME_LONG_ENOUGH_TO_WIDEN_THE_BOX"));
  e->ComputeLayout();
  ASSERT_NE(e->Width, width);
  int released = 0;
  for (const TRelation* r : D.Relations) {
    SCOPED_TRACE(r->RelationName().toStdString());
    released += r->Suspended() ? 0 : 1;
    EXPECT_EQ(ReachesInto(reached, &r->Suspended()), !r->Suspended());
    EXPECT_EQ(ReachesInto(reached, &r->Sequence()), !r->Suspended());
  }
  EXPECT_EQ(released, 3);
}

}  // namespace
}  // namespace veska::test
