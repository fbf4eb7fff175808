// Reading diagram files: the example, the four versions, the fields of an
// attribute line, booleans, the header's font and date, single-byte files
// and line feeds alone, routing what the view hides, merging into an open
// diagram, and the progress of a load.

#include "diagramfile/DiagramFileFixture.h"

#include "support/RecordingProgress.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace veska;
using namespace veska::test;

namespace {

// Writes `lines` as a diagram file in `dir` and gives its path.
QString WriteFile(const QTemporaryDir& dir, const QString& name, const QStringList& lines)
{
  const QString path = dir.filePath(name);
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(Lines(lines));
  return path;
}

TEST_F(DiagramFileTest, NumbersTakeSignsAndLeadingZerosAndOverflowIsCorrupt)
{
  QStringList lines = SalesExample();
  ASSERT_EQ(lines[19], "40 30 0 1 0");
  lines[19] = "+40 -0030 0 1 0";
  lines[20] = "Number,CUST_NO,FALSE,NUMERIC(12,2)";
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  const TEntity* customer = Surface.Entities[0];
  EXPECT_EQ(QPoint(customer->Left, customer->Top), QPoint(40, -30));
  EXPECT_EQ(customer->PrimaryKey[0]->DataType, "NUMERIC");
  EXPECT_EQ(customer->PrimaryKey[0]->Width, "12,2");
  EXPECT_TRUE(Messages.Messages.isEmpty());

  for (const char* position : {"2147483648 30 0 1 0", "40 -2147483649 0 1 0", "4O 30 0 1 0", "40 30 0 + 0",
                               "40 30 0 1 -"}) {
    Surface.Clear();
    Messages.Messages.clear();
    lines[19] = QString::fromLatin1(position);
    EXPECT_EQ(Load(lines), TLoadResult::Corrupted) << position;
    EXPECT_EQ(Messages.Lines(), QStringList{kCorrupt}) << position;
  }
  Surface.Clear();
  Messages.Messages.clear();
  lines[19] = "40 30 0 1 0";
  lines[18] = "1 2147483647 -2147483648 0 0";
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  EXPECT_EQ(Surface.Entities[0]->FormHeight, 2147483647);
  EXPECT_EQ(Surface.Entities[0]->FormWidth, -2147483647 - 1);
}

TEST_F(DiagramFileTest, ExampleLoadsAndWritesBackUnchanged)
{
  ASSERT_EQ(Load(SalesExample()), TLoadResult::Loaded);
  EXPECT_TRUE(Messages.Messages.isEmpty());
  EXPECT_EQ(Surface.DiagramName, "Sales");
  EXPECT_EQ(Surface.Revision, "4");
  EXPECT_EQ(Surface.SaveDate.time(), QTime(10, 5, 12));
  EXPECT_EQ(Surface.Width, 1000);
  EXPECT_EQ(Surface.DisplayLocation, TDisplayLocation::BottomRight);
  ASSERT_EQ(Surface.Domains.Count(), 1);
  EXPECT_EQ(Surface.Domains[0]->DataType, "NUMERIC(12)");
  TEntity* customer = Surface.Entities.Find(QStringLiteral("customer"));
  ASSERT_NE(customer, nullptr);
  EXPECT_EQ(customer->Left, 40);
  EXPECT_EQ(customer->Top, 30);
  ASSERT_EQ(customer->PrimaryKey.Count(), 1);
  const TAttribute* number = customer->PrimaryKey[0];
  EXPECT_EQ(number->ColumnName(), "CUST_NO");
  EXPECT_FALSE(number->AllowNulls);
  EXPECT_EQ(number->DataType, "Money");
  EXPECT_EQ(number->Width, "0");
  EXPECT_EQ(Written(), SalesExample());
}

TEST_F(DiagramFileTest, RejectsFilesWithoutExactVersionTag)
{
  for (const QString& tag : {QStringLiteral("V3.00-KX "), QStringLiteral("v3.00-kx"), QStringLiteral("hello")}) {
    Messages.Reset();
    QStringList lines = SalesExample();
    lines[0] = tag;
    EXPECT_EQ(Load(lines), TLoadResult::NotADiagram) << tag.toStdString();
    EXPECT_EQ(Messages.Lines(), QStringList{kNotDiagram});
    EXPECT_EQ(Surface.Entities.Count(), 0);
    EXPECT_EQ(Surface.DiagramName, "");
  }
  // Only the first ten characters of the line count.
  QStringList lines = SalesExample();
  lines[0] = QStringLiteral("V3.00-KX");
  EXPECT_EQ(Load(lines), TLoadResult::Loaded);
}

TEST_F(DiagramFileTest, VersionZeroFileLoadsWithDefaults)
{
  Surface.DisplayLocation = TDisplayLocation::TopLeft;
  Surface.SetRelationLabelVisible(false);
  const QStringList v0 = {"V1.00-KX", "Old", "2", "36000.5", "640 480", "Arial", "10",
                          "0",
                          "1", "Part", "PART", "5 6 1 1 1", "A part we sell.",
                          "PartNo,PART_NO,FALSE,CHAR(8)", "0",
                          "Name,NAME,TRUE,CHAR", "1", "Shown in lists.",
                          "0", "0",
                          "1", "10 20", "1", "Note"};
  ASSERT_EQ(Load(v0), TLoadResult::Loaded);
  EXPECT_TRUE(Messages.Messages.isEmpty());
  EXPECT_EQ(Surface.SaveDate, QDateTime(QDate(1998, 7, 24), QTime(12, 0)));
  EXPECT_EQ(Surface.Font.pointSize(), 10);
  EXPECT_EQ(Surface.DisplayLocation, TDisplayLocation::TopLeft);
  EXPECT_FALSE(Surface.RelationLabelVisible);
  TEntity* part = Surface.Entities.Find(QStringLiteral("Part"));
  ASSERT_NE(part, nullptr);
  EXPECT_TRUE(part->Visible);
  EXPECT_EQ(part->Description, QStringList{"A part we sell."});
  ASSERT_EQ(part->Attributes.Count(), 1);
  const TAttribute* name = part->Attributes[0];
  EXPECT_EQ(name->DefaultValue(), "");
  EXPECT_EQ(name->DisplayType, TDisplayType::Default);
  EXPECT_EQ(name->ControlWidth(), 0);
  EXPECT_EQ(name->Description(), QStringList{"Shown in lists."});
  EXPECT_EQ(part->PrimaryKey[0]->Width, "8");
  ASSERT_EQ(Surface.Labels.Count(), 1);
  EXPECT_EQ(Surface.Labels[0]->Caption(), "Note\r\n");
  EXPECT_EQ(Surface.Labels[0]->Name, "Label1_2");
  EXPECT_EQ(Surface.Labels[0]->Left, 10);
}

TEST_F(DiagramFileTest, VersionOneAndTwoFilesReadTheirOwnSections)
{
  // Version 1 adds the attribute order; version 2 the form lines and the
  // processes. Neither has default values, rules, label lines or indexes.
  const QStringList v1 = {"V1.01-KX", "One", "3", "0", "640 480", "Arial", "8",
                          "0",
                          "1", "Item", "ITEM", "0 0 0 0 2",
                          "Code,CODE,TRUE,CHAR(4)", "0", "Label,LABEL,TRUE,CHAR", "0",
                          "0", "0",
                          "1", "Item", "Label", "Code",
                          "0"};
  ASSERT_EQ(Load(v1), TLoadResult::Loaded);
  TEntity* item = Surface.Entities[0];
  EXPECT_EQ(item->Attributes.Strings(0), "Label");
  EXPECT_EQ(item->EditFormCaption, "");  // older files have no form lines

  Surface.Clear();
  const QStringList v2 = {"V1.20-KX", "Two", "3", "0", "640 480", "Arial", "8",
                          "0",
                          "1", "Item", "ITEM", "Edit Items", "&Stock", "3 200 300 4 5", "0 0 0 1 0",
                          "Code,CODE,FALSE,CHAR(4)", "2 10 20 30", "0",
                          "0", "0",
                          "1", "Item", "Code",
                          "1", "Audit,Server One,Two", "2", "begin", "end",
                          "0"};
  ASSERT_EQ(Load(v2), TLoadResult::Loaded);
  EXPECT_TRUE(Messages.Messages.isEmpty());
  item = Surface.Entities[0];
  EXPECT_EQ(item->EditFormCaption, "Edit Items");
  EXPECT_EQ(item->MenuGroup, "&Stock");
  EXPECT_EQ(item->FormStyle, fsVertical);
  EXPECT_EQ(item->FormHeight, 200);
  EXPECT_EQ(item->FormWidth, 300);
  EXPECT_EQ(item->FieldSpacing, 5);
  const TAttribute* code = item->PrimaryKey[0];
  EXPECT_EQ(code->DisplayType, TDisplayType::Edit);
  EXPECT_EQ(code->ControlLeft(), 20);
  ASSERT_EQ(Surface.ServerProcs.Count(), 1);
  EXPECT_EQ(Surface.ServerProcs[0]->Server, "Server One,Two");
  EXPECT_EQ(Surface.ServerProcs[0]->Text, (QStringList{"begin", "end"}));
  // Written back in the current version with every section.
  const QStringList written = Written();
  EXPECT_EQ(written[0], "V3.00-KX");
  EXPECT_TRUE(written.contains(QStringLiteral("Audit,Server One,Two")));
  EXPECT_EQ(written.back(), "Item");
}

TEST_F(DiagramFileTest, AttributeTypeFieldAndColumnName)
{
  QStringList lines = SalesExample();
  lines[20] = QStringLiteral("Number,2nd col,true,CHAR()");
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  TAttribute* a = Surface.Entities[0]->PrimaryKey[0];
  EXPECT_EQ(a->ColumnName(), "");
  EXPECT_TRUE(a->AllowNulls);
  EXPECT_EQ(a->DataType, "CHAR");
  EXPECT_EQ(a->Width, "0");

  Surface.Clear();
  lines[20] = QStringLiteral("Number,NO,yes,CHAR(10");
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  a = Surface.Entities[0]->PrimaryKey[0];
  EXPECT_FALSE(a->AllowNulls);
  EXPECT_EQ(a->Width, "10");
  EXPECT_TRUE(Written().contains(QStringLiteral("Number,NO,FALSE,CHAR(10)")));
}

TEST_F(DiagramFileTest, LabelsPlacedByRoutingIgnoreStoredPositions)
{
  QStringList lines = PlacesExample();
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  const TRelation* auto_ = Surface.Relations[0];
  EXPECT_TRUE(auto_->LabelAutoPlace);
  EXPECT_NE(auto_->NameLabel.Left, 150);

  Surface.Clear();
  lines[lines.indexOf(QStringLiteral("1 150 25 150 45"))] = QStringLiteral("0 150 25 151 45");
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  const TRelation* fixed = Surface.Relations[0];
  EXPECT_FALSE(fixed->LabelAutoPlace);
  EXPECT_EQ(fixed->NameLabel.Left, 150);
  EXPECT_EQ(fixed->InverseNameLabel.Left, 151);
}

TEST_F(DiagramFileTest, BooleansIgnoreCaseAndAnythingElseIsFalse)
{
  QStringList lines = PlacesExample();
  lines[8] = QStringLiteral("true");
  lines[lines.indexOf(QStringLiteral("places,Customer,Order,FALSE"))] = QStringLiteral("places,Customer,Order,true");
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  EXPECT_TRUE(Surface.RelationLabelVisible);
  EXPECT_TRUE(Surface.Relations[0]->PrimaryRelation());
  EXPECT_EQ(Surface.Entities[1]->PrimaryKey.Count(), 2);

  Surface.Clear();
  lines[8] = QStringLiteral("yes");
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  EXPECT_FALSE(Surface.RelationLabelVisible);
}

TEST_F(DiagramFileTest, HeaderFontSizeOutOfRangeLoadsTheDiagramAtEightPoints)
{
  for (const QString& size : {QStringLiteral("0"), QStringLiteral("-12"), QStringLiteral("1000000")}) {
    Surface.Clear();
    Messages.Reset();
    QStringList lines = SalesExample();
    lines[6] = size;
    lines[7] = QStringLiteral("1");  // the rest of the header is still read
    ASSERT_EQ(Load(lines), TLoadResult::Loaded) << size.toStdString();
    EXPECT_TRUE(Messages.Messages.isEmpty());
    EXPECT_EQ(Surface.Font.pointSize(), 8);
    EXPECT_EQ(Surface.DisplayLocation, TDisplayLocation::TopLeft);
    EXPECT_EQ(Surface.Entities.Count(), 1);
  }
}

TEST_F(DiagramFileTest, HiddenRelationIsRoutedOnLoadSoAnUnchangedFileWritesBackTheSame)
{
  TEntity* customer = Surface.AddEntity(std::make_unique<TEntity>());
  TEntity* order = Surface.AddEntity(std::make_unique<TEntity>());
  customer->InsertKeyAttribute(0, QStringLiteral("Id"));
  order->SetPosition(300, 200);
  Surface.SetActiveDrawingTool(dtRelationOneToManyForeign);
  ASSERT_NE(Surface.CreateRelation(customer, order), nullptr);
  Surface.SetEntityView({customer->EntityName()});
  ASSERT_FALSE(Surface.Relations[0]->Visible());

  QByteArray first;
  WriteDiagram(Surface, first);
  Surface.Clear();
  ASSERT_EQ(LoadDiagramBytes(Surface, first), TLoadResult::Loaded);
  EXPECT_FALSE(Surface.Relations[0]->Visible());
  QByteArray second;
  WriteDiagram(Surface, second);
  EXPECT_EQ(Split(second), Split(first));
}

TEST_F(DiagramFileTest, ReadsSingleByteFilesAndWritesUtf8)
{
  QByteArray bytes = Lines(SalesExample());
  bytes.replace("Sales\r\n", "Caf\xE9 \x80\r\n");
  ASSERT_EQ(LoadDiagramBytes(Surface, bytes), TLoadResult::Loaded);
  EXPECT_EQ(Surface.DiagramName, QString::fromUtf8("Café €"));
  QByteArray written;
  WriteDiagram(Surface, written);
  EXPECT_TRUE(written.contains("Caf\xC3\xA9 \xE2\x82\xAC\r\n"));
}

TEST_F(DiagramFileTest, UnreadableDateGivesCurrentTime)
{
  QStringList lines = SalesExample();
  lines[3] = QStringLiteral("the fourteenth of March");
  const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  EXPECT_GE(Surface.SaveDate, before);
}

TEST_F(DiagramFileTest, ADiagramWithLineFeedsAloneReadsAsWritten)
{
  QFile sample(QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd"));
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  const QByteArray whole = sample.readAll();
  ASSERT_EQ(LoadDiagramBytes(Surface, whole), TLoadResult::Loaded);
  const QStringList written = Written();
  Surface.Clear();
  QByteArray feeds = whole;
  feeds.replace("\r\n", "\n");
  ASSERT_EQ(LoadDiagramBytes(Surface, feeds), TLoadResult::Loaded);
  EXPECT_EQ(Written(), written);
  EXPECT_TRUE(Messages.Messages.isEmpty());
}

// A file is read a megabyte at a time: each of these large files must load
// from its file as from its bytes in memory, whatever falls across the parts.
TEST_F(DiagramFileTest, ALargeFileReadAPartAtATimeLoadsAsItsBytesDo)
{
  QStringList lines = PlacesExample();
  const QString longName = QString(600'000, QChar(0x00E9));  // a line longer than a part
  for (QString& line : lines)
    line.replace(QStringLiteral("Order"), longName);
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  for (int i = 0; i < 12'000; ++i)
    Surface.Entities[0]->Description << QStringLiteral("line %1 \u00e9\u20ac\U0001F600 ").arg(i).repeated(1 + i % 9);
  QByteArray utf8;
  WriteDiagram(Surface, utf8);
  ASSERT_GT(utf8.size(), 3 << 20);
  Surface.Clear();

  QByteArray feeds = utf8;
  feeds.replace("\r\n", "\n");
  QByteArray single = utf8;  // one byte of Windows-1252 near the end
  single.insert(single.lastIndexOf("\r\n", single.size() - 3), '\xE9');
  struct TCase {
    const char* Name;
    QByteArray Bytes;
  };
  const TCase cases[] = {
    {"UTF-8", utf8},
    {"line feeds alone", feeds},
    {"line feeds alone, a carriage return after the end byte", feeds + "\x1A\r\n"},
    {"an end byte, then anything", utf8.first(utf8.size() / 2) + "\x1A" + utf8.first(1000)},
    {"Windows-1252", single},
    {"a byte-order mark", "\xEF\xBB\xBF" + utf8},
  };
  QTemporaryDir dir;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const QString path = dir.filePath(QStringLiteral("large.erd"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(c.Bytes), c.Bytes.size());
    f.close();

    // Clearing keeps the names the view shows, which a file read only in
    // part does not replace.
    Surface.SetEntityView({});
    const TLoadResult fromBytes = LoadDiagramBytes(Surface, c.Bytes);
    const QStringList expected = Written();
    const qsizetype messages = Messages.Messages.size();
    Surface.Clear();
    Surface.SetEntityView({});
    EXPECT_EQ(LoadDiagram(Surface, path), fromBytes);
    EXPECT_EQ(Written(), expected);
    EXPECT_EQ(Messages.Messages.size(), 2 * messages);
    Surface.Clear();
    Messages.Messages.clear();
  }
}

TEST_F(DiagramFileTest, MergeRefusesTakenNamesAndKeepsTheFilesOwnData)
{
  // The open diagram already has a Customer, with a non-key attribute Notes.
  ASSERT_EQ(Load(SalesExample()), TLoadResult::Loaded);
  TEntity* existing = Surface.Entities[0];
  existing->InsertAttribute(0, QStringLiteral("Notes"));

  // The merged file's Customer has two non-key attributes stored in the
  // order Beta, Alpha, and an index on Beta.
  const QStringList merged = {
      "V3.00-KX", "Orders", "7", "1/2/03", "1000 800", "Arial", "8", "4", "TRUE",
      "0",
      "2",
      "Customer", "Customer", "Maintain Customer", "&File", "1 0 0 0 0", "20 20 0 1 2",
      "Number,CUST_NO,FALSE,Money", "", "", "1 0 0 0", "0",
      "Alpha,ALPHA,TRUE,CHAR", "", "", "1 0 0 0", "0",
      "Beta,BETA,TRUE,CHAR", "", "", "1 0 0 0", "0",
      "Order", "Order", "Maintain Order", "&File", "1 0 0 0 0", "200 20 0 1 0",
      "OrderNo,ORDER_NO,FALSE,INTEGER", "", "", "1 0 0 0", "0",
      "1", "places,Customer,Order,FALSE", "4 90 40 160 40 230 40", "1 150 25 150 45", "0",
      "1", "places", "Number", "Number,CUST_NO,TRUE,Money", "", "", "1 0 0 0", "0",
      "2", "Customer", "Number", "Beta", "Alpha", "Order", "OrderNo", "Number",
      "2", "Customer", "1", "ByBeta,TRUE,FALSE", "1", "Beta", "Order", "0",
      "0", "0", "0"};

  Messages.Reset();
  ASSERT_EQ(LoadDiagramBytes(Surface, Lines(merged)), TLoadResult::Loaded);
  EXPECT_EQ(Messages.Lines(), QStringList{"error: Duplicate Entity Name \"Customer\"."});
  ASSERT_EQ(Surface.Entities.Count(), 3);
  EXPECT_EQ(Surface.Entities[0], existing);
  TEntity* mergedCustomer = Surface.Entities[1];
  EXPECT_EQ(mergedCustomer->EntityName(), "Entity2_7");
  EXPECT_EQ(mergedCustomer->TableName(), "Entity2_7");
  EXPECT_EQ(mergedCustomer->EditFormCaption, "Maintain Entity2_7");
  EXPECT_EQ(Surface.Revision, "7");

  // The stored order and the index apply to the merged entity only.
  ASSERT_EQ(mergedCustomer->Attributes.Count(), 2);
  EXPECT_EQ(mergedCustomer->Attributes.Strings(0), "Beta");
  ASSERT_EQ(mergedCustomer->Indexes.Count(), 1);
  EXPECT_EQ(mergedCustomer->Indexes[0]->Name(), "ByBeta");
  EXPECT_EQ(mergedCustomer->Indexes[0]->Columns[0], mergedCustomer->Attributes[0]);
  EXPECT_EQ(existing->Indexes.Count(), 0);
  ASSERT_EQ(existing->Attributes.Count(), 1);
  EXPECT_EQ(existing->Attributes.Strings(0), "Notes");

  // The merged relation joins the entity that was there before, by name.
  TRelation* places = Surface.Relations.Find(QStringLiteral("places"));
  ASSERT_NE(places, nullptr);
  EXPECT_EQ(places->Parent, existing);
  EXPECT_EQ(places->Child->Attributes[0]->ColumnName(), "CUST_NO");
}

TEST_F(DiagramFileTest, LoadReportsAdvancingProgressCaptionedWithTheFileNameUntilTheBoxesAreLaidOut)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  veska::test::TRecordingProgress progress;
  ASSERT_EQ(LoadDiagram(Surface, WriteFile(dir, QStringLiteral("places.erd"), PlacesExample()), &progress),
            TLoadResult::Loaded);
  EXPECT_EQ(progress.Begins, 1);
  EXPECT_EQ(progress.Ends, 1);
  EXPECT_EQ(progress.Caption, "places.erd");
  EXPECT_GT(progress.Total, 0);
  EXPECT_TRUE(progress.StepsAdvanceWithinTotal());
  EXPECT_EQ(Surface.Entities.Count(), 2);
  // Every stage reports, also those after the relations (carried attributes,
  // order, indexes, laying out), which take most of the time of a large
  // diagram; the last step completes the total once the boxes are laid out.
  const auto late = std::count_if(progress.Steps.begin(), progress.Steps.end(),
                                  [&](qint64 done) { return done > progress.Total / 2 && done < progress.Total; });
  EXPECT_GE(late, 3) << progress.Steps.size();
  ASSERT_FALSE(progress.Steps.isEmpty());
  EXPECT_EQ(progress.Steps.last(), progress.Total);
}

TEST_F(DiagramFileTest, LoadEndsItsProgressOnceAndBeforeReportingAFailure)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QStringList places = PlacesExample();
  struct TCase {
    QStringList Lines;
    TLoadResult Result;
  };
  // Cut off inside the entities, and no diagram at all.
  for (const TCase& c : {TCase{places.mid(0, 15), TLoadResult::Corrupted},
                         TCase{{QStringLiteral("hello")}, TLoadResult::NotADiagram}}) {
    Surface.Clear();
    Messages.Reset();
    veska::test::TRecordingProgress progress;
    int endsWhenShown = -1;
    Messages.WhileShowing = [&] { endsWhenShown = progress.Ends; };
    EXPECT_EQ(LoadDiagram(Surface, WriteFile(dir, QStringLiteral("bad.erd"), c.Lines), &progress), c.Result);
    EXPECT_EQ(progress.Begins, 1);
    EXPECT_EQ(progress.Ends, 1);
    EXPECT_EQ(endsWhenShown, 1);
    EXPECT_TRUE(progress.StepsAdvanceWithinTotal());
  }
  Messages.WhileShowing = nullptr;

  veska::test::TRecordingProgress progress;
  EXPECT_THROW(LoadDiagram(Surface, dir.filePath(QStringLiteral("none.erd")), &progress), TFileError);
  EXPECT_EQ(progress.Begins, 1);
  EXPECT_EQ(progress.Ends, 1);
}

}  // namespace
