// Damaged diagram files: bad numbers and codes, cycles, files cut off
// anywhere; each is reported corrupt and keeps what was read before the
// damage.

#include "diagramfile/DiagramFileFixture.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

using namespace veska;
using namespace veska::test;

namespace {

TEST_F(DiagramFileTest, CorruptFileKeepsWhatWasRead)
{
  QStringList lines = PlacesExample();
  // A second relation whose parent is unknown.
  const int at = static_cast<int>(lines.indexOf(QStringLiteral("places,Customer,Order,FALSE")));
  lines[at - 1] = QStringLiteral("2");
  lines.insert(at + 4, QStringLiteral("owns,Nobody,Order,FALSE"));
  ASSERT_EQ(Load(lines), TLoadResult::Corrupted);
  EXPECT_EQ(Messages.Lines(), QStringList{kCorrupt});
  EXPECT_EQ(Surface.Entities.Count(), 2);
  EXPECT_EQ(Surface.Relations.Count(), 1);
}

TEST_F(DiagramFileTest, BadNumbersCodesAndCyclesAreCorrupt)
{
  struct Case {
    const char* what;
    int line;
    QString to;
  };
  const Case cases[] = {
      {"token", 19, "40 x 0 1 0"},
      {"display location", 7, "5"},
      {"form style", 18, "0 0 0 0 0"},
      {"display type", 23, "9 0 0 0"},
  };
  for (const Case& c : cases) {
    Surface.Clear();
    Messages.Reset();
    QStringList lines = SalesExample();
    lines[c.line] = c.to;
    EXPECT_EQ(Load(lines), TLoadResult::Corrupted) << c.what;
    EXPECT_EQ(Messages.Lines(), QStringList{kCorrupt}) << c.what;
  }

  // A relation from an entity to itself as a primary relation.
  Surface.Clear();
  QStringList lines = PlacesExample();
  lines[lines.indexOf(QStringLiteral("places,Customer,Order,FALSE"))] = QStringLiteral("places,Order,Order,TRUE");
  EXPECT_EQ(Load(lines), TLoadResult::Corrupted);
  EXPECT_EQ(Surface.Relations.Count(), 0);
}

TEST_F(DiagramFileTest, FileEndingEarlyIsCorruptAndKeepsWhatItHolds)
{
  // Cut off after a complete section, before the entity view: the file is
  // not whole, and what it holds is kept and shown, not hidden.
  QStringList lines = SalesExample();
  ASSERT_EQ(Load(lines.mid(0, 25)), TLoadResult::Corrupted);
  EXPECT_EQ(Messages.Lines(), QStringList{kCorrupt});
  ASSERT_EQ(Surface.Entities.Count(), 1);
  EXPECT_TRUE(Surface.Entities[0]->Visible);

  // A count with nothing behind it does not make the reader loop; the file
  // was cut off inside a section.
  Surface.Clear();
  Messages.Reset();
  ASSERT_EQ(Load(lines.mid(0, 9) + QStringList{"2000000000"}), TLoadResult::Corrupted);
  EXPECT_EQ(Messages.Lines(), QStringList{kCorrupt});
  EXPECT_EQ(Surface.Domains.Count(), 0);

  // Byte 26 ends the file; a whole file before it loads.
  Surface.Clear();
  Messages.Reset();
  QByteArray bytes = Lines(lines) + "\x1A" + Lines({"garbage"});
  ASSERT_EQ(LoadDiagramBytes(Surface, bytes), TLoadResult::Loaded);
  EXPECT_EQ(Surface.Entities.Count(), 1);
  EXPECT_TRUE(Messages.Messages.isEmpty());
}

TEST_F(DiagramFileTest, FileCutOffInsideASectionIsCorruptAndHidesNothing)
{
  // Two relations counted, one stored: the file ends where the second
  // should begin.
  QStringList lines = PlacesExample();
  const int at = static_cast<int>(lines.indexOf(QStringLiteral("places,Customer,Order,FALSE")));
  lines[at - 1] = QStringLiteral("2");
  ASSERT_EQ(Load(lines.mid(0, at + 4)), TLoadResult::Corrupted);
  EXPECT_EQ(Messages.Lines(), QStringList{kCorrupt});
  EXPECT_EQ(Surface.Relations.Count(), 1);
  for (const TEntity* e : Surface.Entities)
    EXPECT_TRUE(e->Visible) << e->EntityName().toStdString();

  // The same inside a record's counted lines and inside the attribute order.
  for (const int end : {at - 1, static_cast<int>(lines.indexOf(QStringLiteral("OrderNo"), at)) + 1}) {
    Surface.Clear();
    Messages.Reset();
    QStringList cut = PlacesExample().mid(0, end);
    if (end == at - 1)
      cut.back() = QStringLiteral("2");  // a description of two lines with none behind it
    EXPECT_EQ(Load(cut), TLoadResult::Corrupted) << end;
    EXPECT_EQ(Messages.Lines(), QStringList{kCorrupt}) << end;
  }
}

TEST_F(DiagramFileTest, RelationsJoinInTheOrderReadAndThoseBeforeABadRecordAreKept)
{
  // Eight entities in a row, each the parent of the next; more relations
  // than the reader holds back before they join.
  std::vector<TEntity*> row;
  for (int i = 0; i < 8; ++i) {
    TEntity* e = Surface.AddEntity(std::make_unique<TEntity>());
    e->InsertKeyAttribute(0, QStringLiteral("K%1").arg(i));
    e->SetPosition(200 * i, 20);
    row.push_back(e);
  }
  Surface.SetActiveDrawingTool(dtRelationOneToManyForeign);
  for (int i = 0; i + 1 < 8; ++i)
    ASSERT_NE(Surface.CreateRelation(row[i], row[i + 1]), nullptr);
  const QStringList written = Written();
  QStringList names;
  for (const TEntity* e : row)
    names << e->EntityName();
  const auto recordOf = [&](int i) {
    const TRelation* r = Surface.Relations[i];
    const QString start = r->RelationName() + QLatin1Char(',') + r->Parent->EntityName() + QLatin1Char(',');
    const auto at = std::find_if(written.cbegin(), written.cend(), [&](const QString& l) { return l.startsWith(start); });
    return at == written.cend() ? -1 : static_cast<int>(at - written.cbegin());
  };

  // The third relation takes the second one's name: it is refused for the
  // third only, which keeps a name of its own. (Its carried item then names
  // the second relation again, whose key differs: the file is corrupt there.)
  QStringList lines = written;
  const QString second = Surface.Relations[1]->RelationName();
  const int third = recordOf(2);
  ASSERT_GT(third, 0);
  const QString thirdName = Surface.Relations[2]->RelationName();
  lines[third].replace(0, thirdName.size(), second);
  std::replace(lines.begin(), lines.end(), thirdName, second);
  Surface.Clear();
  Messages.Reset();
  ASSERT_EQ(Load(lines), TLoadResult::Corrupted);
  EXPECT_EQ(Messages.Lines(),
            (QStringList{QStringLiteral("error: Duplicate Relation Name \"%1\".").arg(second), kCorrupt}));
  ASSERT_EQ(Surface.Relations.Count(), 7);
  EXPECT_EQ(Surface.Relations[1]->RelationName(), second);
  EXPECT_NE(Surface.Relations[2]->RelationName(), second);
  EXPECT_EQ(Surface.Relations[2]->Parent->EntityName(), names[2]);

  // The sixth relation names an entity the file does not hold: the five
  // before it have joined, each with its copy in its child.
  lines = written;
  const int sixth = recordOf(5);
  ASSERT_GT(sixth, 0);
  lines[sixth].replace(QLatin1Char(',') + names[6] + QLatin1Char(','), QStringLiteral(",Missing,"));
  Surface.Clear();
  Messages.Reset();
  ASSERT_EQ(Load(lines), TLoadResult::Corrupted);
  EXPECT_EQ(Messages.Lines(), QStringList{kCorrupt});
  ASSERT_EQ(Surface.Relations.Count(), 5);
  for (int i = 0; i < 5; ++i) {
    const TRelation* r = Surface.Relations[i];
    EXPECT_EQ(r->Parent->EntityName(), names[i]) << i;
    ASSERT_EQ(r->MigratedAttributes.Count(), 1) << i;
    EXPECT_EQ(r->MigratedAttributes.Objects(0)->Name, QStringLiteral("K%1").arg(i)) << i;
  }
}

TEST_F(DiagramFileTest, ACutDiagramIsReportedCorruptNotLoadedAsComplete)
{
  QFile sample(QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd"));
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  const QByteArray whole = sample.readAll();
  const qsizetype tagEnd = whole.indexOf("\r\n") + 2;
  // Only the text of the last line can be cut without a line going missing
  // (a last line without its line end is still read).
  const qsizetype lastLine = whole.lastIndexOf("\r\n", whole.size() - 3) + 2;
  for (qsizetype cut = tagEnd; cut < whole.size(); ++cut) {
    TRecordingMessages messages;
    TDrawingSurface s(messages, Measurer);
    const TLoadResult result = LoadDiagramBytes(s, whole.left(cut));
    EXPECT_EQ(CheckIntegrity(s), QStringList()) << "cut at " << cut;
    if (cut > lastLine)
      continue;
    EXPECT_EQ(result, TLoadResult::Corrupted) << "cut at " << cut;
    EXPECT_EQ(messages.Lines(), QStringList{kCorrupt}) << "cut at " << cut;
  }
}

}  // namespace
