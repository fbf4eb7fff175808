#include "diagramfile/DiagramFile.h"
#include "model/Integrity.h"

#include "support/RecordingMessages.h"
#include "support/RecordingProgress.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

using namespace veska;
using veska::test::TRecordingMessages;

namespace {

const QString kCorrupt = QStringLiteral("error: Input file is corrupted. Please save the diagram content to another file.");
const QString kNotDiagram =
    QStringLiteral("error: Input file is not a VESKA diagram. Please select another file.");

QByteArray Lines(const QStringList& lines)
{
  QByteArray out;
  for (const QString& l : lines)
    out += l.toUtf8() + "\r\n";
  return out;
}

QStringList Split(const QByteArray& bytes)
{
  QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.back().isEmpty())
    lines.removeLast();
  return lines;
}

// The first example diagram: one domain, one entity with one key attribute.
QStringList SalesExample()
{
  return {"V3.00-KX", "Sales", "4", "3/14/97 10:05:12 AM", "1000 800", "Arial", "8", "4", "TRUE",
          "1", "Money,NUMERIC(12)", "", "0",
          "1", "Customer", "Customer", "Maintain Customer", "&File", "1 0 0 0 0", "40 30 0 1 0",
          "Number,CUST_NO,FALSE,Money", "", "", "1 0 0 0", "0",
          "0", "0", "1", "Customer", "Number", "1", "Customer", "0", "0", "0", "1", "Customer"};
}

// Customer (key Number) and Order (key OrderNo) joined by "places", a
// one-to-many foreign-key relation.
QStringList PlacesExample()
{
  return {"V3.00-KX", "Orders", "1", "1/2/03", "1000 800", "Arial", "8", "4", "TRUE",
          "0",
          "2",
          "Customer", "Customer", "Maintain Customer", "&File", "1 0 0 0 0", "20 20 0 1 0",
          "Number,CUST_NO,FALSE,Money", "", "", "1 0 0 0", "0",
          "Order", "Order", "Maintain Order", "&File", "1 0 0 0 0", "200 20 0 1 0",
          "OrderNo,ORDER_NO,FALSE,INTEGER", "", "", "1 0 0 0", "0",
          "1", "places,Customer,Order,FALSE", "4 90 40 160 40 230 40", "1 150 25 150 45", "0",
          "1", "places", "Number", "Number,CUST_NO,TRUE,Money", "", "", "1 0 0 0", "0",
          "2", "Customer", "Number", "Order", "OrderNo", "Number",
          "2", "Customer", "0", "Order", "0",
          "0", "0", "2", "Customer", "Order"};
}

class DiagramFileTest : public ::testing::Test {
protected:
  TRecordingMessages Messages;
  TFixedTextMeasurer Measurer;
  TDrawingSurface Surface{Messages, Measurer};

  void SetUp() override { Surface.Clear(); }
  // Whatever a file held, the loaded model's links hold.
  void TearDown() override { EXPECT_EQ(CheckIntegrity(Surface), QStringList()); }

  TLoadResult Load(const QStringList& lines) { return LoadDiagramBytes(Surface, Lines(lines)); }
  QStringList Written()
  {
    QByteArray bytes;
    WriteDiagram(Surface, bytes);
    return Split(bytes);
  }
};

TEST_F(DiagramFileTest, NewDiagramWritesHeaderAndNineEmptySections)
{
  Surface.DiagramName = QStringLiteral("Information Model V1.0");
  QByteArray bytes;
  WriteDiagram(Surface, bytes);
  EXPECT_TRUE(bytes.endsWith("\r\n"));
  const QStringList lines = Split(bytes);
  ASSERT_EQ(lines.size(), 18);
  EXPECT_EQ(lines.mid(0, 9), (QStringList{"V3.00-KX", "Information Model V1.0", "0", "12/30/99", "25 25", "Arial",
                                          "8", "4", "TRUE"}));
  EXPECT_EQ(lines.mid(9), QStringList(9, QStringLiteral("0")));
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

TEST_F(DiagramFileTest, RelationCarriesKeyAndCarriedSectionRestoresCopy)
{
  ASSERT_EQ(Load(PlacesExample()), TLoadResult::Loaded);
  TEntity* order = Surface.Entities.Find(QStringLiteral("Order"));
  ASSERT_EQ(order->Attributes.Count(), 1);
  const TAttribute* copy = order->Attributes[0];
  EXPECT_EQ(copy->Name, "Number");
  EXPECT_EQ(copy->ColumnName(), "CUST_NO");
  EXPECT_TRUE(copy->ForeignKey);
  EXPECT_EQ(copy->DataType, "Money");
  TRelation* places = Surface.Relations[0];
  EXPECT_EQ(places->Cardinality, 3);
  EXPECT_FALSE(places->PrimaryRelation());
  EXPECT_EQ(places->MigratedAttributes.Strings(0), "Number");
  // The entity record counts only the attributes that are not copies.
  const QStringList written = Written();
  const int orderAt = static_cast<int>(written.indexOf(QStringLiteral("Maintain Order")));
  EXPECT_EQ(written[orderAt + 3], "200 20 0 1 0");
  EXPECT_TRUE(written.contains(QStringLiteral("places,Customer,Order,FALSE")));
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
  EXPECT_EQ(name->DefaultValue, "");
  EXPECT_EQ(name->DisplayType, TDisplayType::Default);
  EXPECT_EQ(name->ControlWidth, 0);
  EXPECT_EQ(name->Description, QStringList{"Shown in lists."});
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
  EXPECT_EQ(code->ControlLeft, 20);
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

TEST_F(DiagramFileTest, LongTextsAreCutWhenWritten)
{
  ASSERT_EQ(Load(SalesExample()), TLoadResult::Loaded);
  TEntity* customer = Surface.Entities[0];
  customer->Description << QString(300, QLatin1Char('d'));
  auto label = std::make_unique<TTextLabel>();
  QString caption = QString(250, QLatin1Char('a')) + QStringLiteral("\r\n") + QString(50, QLatin1Char('b'));
  label->SetCaption(caption);
  Surface.AddLabel(std::move(label));
  // A character outside the basic plane is never split by the cut.
  Surface.DiagramName = QString(252, QLatin1Char('n')) + QString::fromUcs4(U"\U0001F600x");

  QByteArray bytes;
  WriteDiagram(Surface, bytes);
  const QStringList lines = Split(bytes);
  EXPECT_EQ(lines[1], QString(252, QLatin1Char('n')) + QString::fromUcs4(U"\U0001F600"));
  EXPECT_TRUE(lines.contains(QString(253, QLatin1Char('d'))));
  const int at = static_cast<int>(lines.indexOf(QString(250, QLatin1Char('a'))));
  ASSERT_GT(at, 0);
  EXPECT_EQ(lines[at - 1], "2");
  EXPECT_EQ(lines[at + 1], QString(3, QLatin1Char('b')));

  Surface.Clear();
  ASSERT_EQ(LoadDiagramBytes(Surface, bytes), TLoadResult::Loaded);
  EXPECT_EQ(Surface.Entities[0]->Description.back(), QString(253, QLatin1Char('d')));
}

TEST_F(DiagramFileTest, LongNamesAreWrittenWholeSoThatTheFileReadsBack)
{
  // Cut at 253 characters, the relation's line lost its child's name and
  // the file could no longer be read.
  QStringList lines = PlacesExample();
  const QString longName = QStringLiteral("Order ") + QString(290, QLatin1Char('x'));
  for (QString& line : lines)
    line.replace(QStringLiteral("Order"), longName);
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  ASSERT_EQ(Surface.Entities[1]->EntityName(), longName);
  const QStringList written = Written();
  Surface.Clear();
  ASSERT_EQ(Load(written), TLoadResult::Loaded);
  EXPECT_EQ(Written(), written);
  EXPECT_EQ(Surface.Relations.Count(), 1);
  EXPECT_TRUE(Messages.Messages.isEmpty());
}

// What a line of text must be in the file: its first 253 characters (a
// surrogate pair is one; a lone surrogate is one and becomes U+FFFD) in UTF-8.
QByteArray FileLine(const QString& text)
{
  const QList<uint> characters = text.toUcs4();
  const qsizetype kept = std::min<qsizetype>(characters.size(), 253);
  return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), kept).toUtf8() + "\r\n";
}

// Texts that take every path of the encoder: runs of ASCII of every length
// around the sizes it copies at once, broken at the start, middle and end by
// a character outside ASCII (one whose low byte looks like ASCII too), pairs
// and lone surrogates, and cuts at 253 characters that fall on either side of
// a character of several bytes.
QStringList TrickyTexts()
{
  const QChar outside[] = {QChar(0x0080), QChar(0x00E9), QChar(0x0141), QChar(0x07FF), QChar(0x0800),
                           QChar(0x20AC), QChar(0xFF21), QChar(0xFFFF)};
  QStringList texts = {QString(), QStringLiteral("\x7F"), QString(QChar(0xD83D)), QString(QChar(0xDE00)),
                       QStringLiteral("ab") + QChar(0xD83D), QChar(0xDE00) + QStringLiteral("abcdefghij"),
                       QString::fromUcs4(U"\U0001F600abcdefgh\U00010000"), QString(300, QLatin1Char('x')),
                       QString(300, QChar(0x00E9)), QString(252, QLatin1Char('a')) + QString::fromUcs4(U"\U0001F600bc"),
                       QString(253, QLatin1Char('a')) + QChar(0x00E9), QString(251, QLatin1Char('a')) +
                       QChar(0xD83D) + QStringLiteral("bcd")};
  int k = 0;
  for (int length : {1, 2, 3, 4, 5, 7, 8, 9, 12, 15, 16, 17, 23, 24, 25, 40}) {
    texts << QString(length, QLatin1Char('a' + length % 26));
    for (int at : {0, length / 2, length - 1}) {
      QString text(length, QLatin1Char('A' + at % 26));
      text[at] = outside[k++ % std::size(outside)];
      texts << text;
    }
  }
  return texts;
}

TEST_F(DiagramFileTest, WrittenTextIsUtf8CutAt253CharactersForEveryMixOfCharacters)
{
  ASSERT_EQ(Load(SalesExample()), TLoadResult::Loaded);
  TEntity* customer = Surface.Entities[0];
  const QStringList texts = TrickyTexts();
  customer->Description = texts;
  customer->EditFormCaption = texts[25];
  // A line of several fields is written whole: cut, it would lose fields.
  auto a = std::make_unique<TAttribute>();
  a->Name = QString(240, QLatin1Char('n')) + QChar(0x00E9);
  a->SetColumnName(QStringLiteral("COL"));
  a->DataType = QString::fromUcs4(U"T\U0001F600pe");
  a->Width = QStringLiteral("7,2");
  a->DefaultValue = texts[30];
  a->Rule = texts.back();
  a->Description = QStringList{texts[7], QString()};
  const QString attributeLine = a->Name + QStringLiteral(",COL,TRUE,") + a->DataType + QStringLiteral("(7,2)");
  customer->AddAttribute(std::move(a));

  QByteArray bytes;
  WriteDiagram(Surface, bytes);

  QByteArray description = "40 30 " + QByteArray::number(texts.size()) + " 1 1\r\n";
  for (const QString& text : texts)
    description += FileLine(text);
  EXPECT_TRUE(bytes.contains("\r\n" + description + "Number,CUST_NO,FALSE,Money\r\n"));
  EXPECT_TRUE(bytes.contains("\r\nCustomer\r\n" + FileLine(texts[25]) + "&File\r\n"));
  EXPECT_TRUE(bytes.contains("\r\n" + attributeLine.toUtf8() + "\r\n" + FileLine(texts[30]) + FileLine(texts.back()) +
                             "1 0 0 0\r\n2\r\n" + FileLine(texts[7]) + "\r\n"));
  // A lone surrogate becomes the replacement character; the cut keeps a pair
  // whole when it is the 253rd character.
  EXPECT_TRUE(bytes.contains("\r\nab\xEF\xBF\xBD\r\n"));
  EXPECT_TRUE(bytes.contains("\r\n" + QByteArray(252, 'a') + "\xF0\x9F\x98\x80\r\n"));
}

TEST_F(DiagramFileTest, WrittenNumbersKeepTheirSignsAndWholeRange)
{
  ASSERT_EQ(Load(SalesExample()), TLoadResult::Loaded);
  TEntity* customer = Surface.Entities[0];
  customer->FormHeight = INT_MAX;
  customer->FormWidth = INT_MIN;
  customer->LineSpacing = -1;
  customer->FieldSpacing = 10;
  customer->Left = -9;
  customer->Top = 1000000007;
  TAttribute* number = customer->PrimaryKey[0];
  number->ControlTop = -10;
  number->ControlLeft = 9;
  number->ControlWidth = -2147483647;

  const QStringList lines = Written();
  EXPECT_EQ(lines.mid(18, 2), (QStringList{"1 2147483647 -2147483648 -1 10", "-9 1000000007 0 1 0"}));
  EXPECT_EQ(lines[23], "1 -10 9 -2147483647");
  Surface.Clear();
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  EXPECT_EQ(Written(), lines);
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

TEST_F(DiagramFileTest, CarriedSectionThatDoesNotMatchIsCorrupt)
{
  QStringList lines = PlacesExample();
  lines[lines.indexOf(QStringLiteral("places"))] = QStringLiteral("elsewhere");
  EXPECT_EQ(Load(lines), TLoadResult::Corrupted);

  // The parent has two key attributes but the section holds one record: the
  // reader runs into the next section and finds no attribute record there.
  Surface.Clear();
  lines = PlacesExample();
  const int at = static_cast<int>(lines.indexOf(QStringLiteral("Number,CUST_NO,FALSE,Money")));
  lines[at - 1] = QStringLiteral("20 20 0 2 0");
  const QStringList extra = {"Extra,EXTRA,FALSE,INTEGER", "", "", "1 0 0 0", "0"};
  lines = lines.mid(0, at + 5) + extra + lines.mid(at + 5);
  EXPECT_EQ(Load(lines), TLoadResult::Corrupted);
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

TEST_F(DiagramFileTest, LoadKeepsCarriedItemsReadBeforeAnError)
{
  // The copy in Order has a role name and its own column; an unknown
  // relation follows in the carried-attributes section.
  QStringList lines = PlacesExample();
  const int at = static_cast<int>(lines.indexOf(QStringLiteral("places")));
  lines[at - 1] = QStringLiteral("2");
  lines[at + 2] = QStringLiteral("Buyer,BUYER_NO,TRUE,Money");
  lines.insert(at + 7, QStringLiteral("elsewhere"));
  ASSERT_EQ(Load(lines), TLoadResult::Corrupted);
  const TAttribute* copy = Surface.Entities.Find(QStringLiteral("Order"))->Attributes.Objects(0);
  EXPECT_EQ(copy->Name, "Buyer");
  EXPECT_EQ(copy->ColumnName(), "BUYER_NO");

  // An item that waits for the item of the primary relation into its parent
  // (B -> C listed before A -> B) is kept too when that item never comes.
  Surface.Clear();
  const QStringList chain = {
      "V3.00-KX", "Chain", "1", "1/2/03", "1000 800", "Arial", "8", "4", "TRUE",
      "0",
      "3",
      "A", "A", "Maintain A", "&File", "1 0 0 0 0", "0 0 0 1 0", "Id,ID,FALSE,INTEGER", "", "", "1 0 0 0", "0",
      "B", "B", "Maintain B", "&File", "1 0 0 0 0", "0 100 0 1 0", "Sub,SUB,FALSE,INTEGER", "", "", "1 0 0 0", "0",
      "C", "C", "Maintain C", "&File", "1 0 0 0 0", "0 200 0 0 0",
      "2", "bc,B,C,TRUE", "4 0 0 0 0 0 0", "1 0 0 0 0", "0", "ab,A,B,TRUE", "4 0 0 0 0 0 0", "1 0 0 0 0", "0",
      "2", "bc", "Sub", "Sub,SUB_REF,FALSE,INTEGER", "", "", "1 0 0 0", "1", "from B",
      "Id", "Id,ID,FALSE,INTEGER", "", "", "1 0 0 0", "0",
      "nowhere"};
  ASSERT_EQ(Load(chain), TLoadResult::Corrupted);
  const TAttribute* sub = Surface.Entities.Find(QStringLiteral("C"))->PrimaryKey.Find(QStringLiteral("Sub"));
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->ColumnName(), "SUB_REF");
  EXPECT_EQ(sub->Description, QStringList{"from B"});
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

TEST_F(DiagramFileTest, ReopenedIndexOnKeyAndCarriedAttributeOfOneNameSurvivesDeletingTheKey)
{
  // Order has its own key Number and carries Customer's Number; its index
  // holds both. Read back, both columns name the key attribute.
  ASSERT_EQ(Load(PlacesExample()), TLoadResult::Loaded);
  TEntity* order = Surface.Entities.Find(QStringLiteral("Order"));
  order->RenameKeyAttribute(0, QStringLiteral("Number"));
  auto ix = std::make_unique<TIndex>();
  ix->Columns.Add(QStringLiteral("A"), order->PrimaryKey.Objects(0));
  ix->Columns.Add(QStringLiteral("A"), order->Attributes.Objects(0));
  order->AddIndex(std::move(ix));
  QByteArray bytes;
  WriteDiagram(Surface, bytes);
  Surface.Clear();
  ASSERT_EQ(LoadDiagramBytes(Surface, bytes), TLoadResult::Loaded);
  order = Surface.Entities.Find(QStringLiteral("Order"));
  ASSERT_EQ(order->Indexes.Count(), 1);
  EXPECT_EQ(order->Indexes[0]->Columns.Objects(1), order->PrimaryKey.Objects(0));

  order->DeleteKeyAttribute(0);
  EXPECT_EQ(CheckIntegrity(Surface), QStringList());
  EXPECT_EQ(order->Indexes.Count(), 0);
  WriteDiagram(Surface, bytes);
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

// Where every object is shown: entities, relation points and labels, text
// labels and the surface's size.
QList<QPoint> ShownPositions(const TDrawingSurface& s)
{
  QList<QPoint> shown{QPoint(s.Width, s.Height)};
  for (const TEntity* e : s.Entities)
    shown << QPoint(e->Left, e->Top);
  for (const TRelation* r : s.Relations)
    shown << r->ParentPoint << r->MidPoint << r->ChildPoint << r->NameLabel.BoundsRect().topLeft()
          << r->InverseNameLabel.BoundsRect().topLeft();
  for (const TTextLabel* l : s.Labels)
    shown << QPoint(l->Left, l->Top);
  return shown;
}

TEST_F(DiagramFileTest, SaveAtAZoomWritesTheFullSizeFileAndMovesNothing)
{
  // Odd positions that whole-pixel zoom steps cannot carry there and back.
  QStringList lines = PlacesExample();
  lines.replace(lines.indexOf("20 20 0 1 0"), "19 23 0 1 0");
  lines.replace(lines.indexOf("1 150 25 150 45"), "0 151 27 149 47");
  lines.replace(lines.size() - 4, "1");
  lines.insert(lines.size() - 3, "33 71");
  lines.insert(lines.size() - 3, "1");
  lines.insert(lines.size() - 3, "a note");
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  ASSERT_EQ(Surface.Labels.Count(), 1);
  const QStringList atFull = Written();

  for (const auto& [n, d] : {std::pair{5, 4}, {5, 4}, {5, 4}, {4, 5}, {4, 5}, {4, 5}, {4, 5}, {4, 5}}) {
    ASSERT_TRUE(Surface.Rescale(n, d));
    const QList<QPoint> shown = ShownPositions(Surface);
    EXPECT_EQ(Written(), atFull) << "at " << Surface.ZoomFactor;
    EXPECT_EQ(ShownPositions(Surface), shown) << "writing moved an object at " << Surface.ZoomFactor;
  }
  // Back in to 100% through other sizes: every object where it was.
  Surface.Rescale(5, 4);
  Surface.Rescale(5, 4);
  EXPECT_DOUBLE_EQ(Surface.ZoomFactor, 1.0);
  EXPECT_EQ(Written(), atFull);
  EXPECT_EQ(Surface.Entities[0]->Left, 19);

  // An object moved at a zoom is written where it now is, scaled back.
  Surface.Rescale(5, 4);
  Surface.Entities[0]->SetPosition(100, 50);
  EXPECT_TRUE(Written().contains("80 40 0 1 0"));
}

TEST_F(DiagramFileTest, AnEntityAtTheSmallestPositionIsWrittenWhereItIs)
{
  QStringList lines = PlacesExample();
  lines.replace(lines.indexOf("200 20 0 1 0"), "-2147483648 -2147483648 0 1 0");
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  EXPECT_TRUE(Written().contains("-2147483648 -2147483648 0 1 0"));
}

TEST_F(DiagramFileTest, SaveAtAZoomOfADiagramTallerThanTheLargestSurfaceKeepsItsSize)
{
  QStringList lines = PlacesExample();
  lines.replace(4, "22020 52280");
  lines.replace(lines.indexOf("200 20 0 1 0"), "201 52001 0 1 0");
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  const QStringList atFull = Written();
  ASSERT_EQ(atFull[4], "22020 52280");

  ASSERT_TRUE(Surface.Rescale(4, 5));
  EXPECT_EQ(Surface.Height, 39210);
  EXPECT_EQ(Written(), atFull);
  // The step back would make the surface 52280 pixels high: not taken.
  EXPECT_FALSE(Surface.Rescale(5, 4));
  EXPECT_DOUBLE_EQ(Surface.ZoomFactor, 0.75);
  EXPECT_EQ(Written(), atFull);

  // Loading puts the zoom back to 100% whatever it was.
  Surface.Clear();
  ASSERT_EQ(Load(SalesExample()), TLoadResult::Loaded);
  EXPECT_DOUBLE_EQ(Surface.ZoomFactor, 1.0);
  EXPECT_EQ(Written(), SalesExample());
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

TEST_F(DiagramFileTest, SavingWritesAtFullSizeAndRaisesRevision)
{
  ASSERT_EQ(Load(PlacesExample()), TLoadResult::Loaded);
  const QStringList atFull = Written();
  Surface.Rescale(5, 4);
  ASSERT_DOUBLE_EQ(Surface.ZoomFactor, 1.25);
  // Entity positions come back exactly (route points may move a pixel
  // through the integer steps of the zoom).
  const int relations = static_cast<int>(atFull.indexOf(QStringLiteral("places,Customer,Order,FALSE")));
  EXPECT_EQ(Written().mid(0, relations + 1), atFull.mid(0, relations + 1));
  EXPECT_DOUBLE_EQ(Surface.ZoomFactor, 1.25);
  EXPECT_EQ(Surface.Entities[1]->Left, 250);

  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("orders.erd"));
  SaveDiagram(Surface, file);
  EXPECT_EQ(Surface.Revision, "2");
  EXPECT_DOUBLE_EQ(Surface.ZoomFactor, 1.25);
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QStringList saved = Split(f.readAll());
  EXPECT_EQ(saved[2], "2");
  EXPECT_EQ(saved.mid(4, relations - 3), atFull.mid(4, relations - 3));

  Surface.Revision = QStringLiteral("draft");
  SaveDiagram(Surface, file);
  EXPECT_EQ(Surface.Revision, "1");

  EXPECT_THROW(SaveDiagram(Surface, dir.filePath(QStringLiteral("missing/dir/x.erd"))), TFileError);
  EXPECT_THROW(LoadDiagram(Surface, dir.filePath(QStringLiteral("none.erd"))), TFileError);
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

TEST_F(DiagramFileTest, RoleNamesAndOrderSurviveAReload)
{
  // A -> B -> C, both primary; B's copy of A's key gets a role name, which
  // travels on to C.
  auto make = [&](const char* name) {
    auto e = std::make_unique<TEntity>();
    TEntity* raw = Surface.AddEntity(std::move(e));
    Surface.RenameEntity(Surface.Entities.IndexOfObject(raw), QString::fromLatin1(name));
    return raw;
  };
  TEntity* a = make("A");
  TEntity* b = make("B");
  TEntity* c = make("C");
  b->SetPosition(0, 100);
  c->SetPosition(0, 200);
  a->InsertKeyAttribute(0, QStringLiteral("Id"));
  b->InsertKeyAttribute(0, QStringLiteral("Id"));
  c->InsertKeyAttribute(0, QStringLiteral("Id"));
  Surface.SetActiveDrawingTool(dtRelationOneToManyMaster);
  TRelation* bc = Surface.CreateRelation(b, c);
  Surface.SetActiveDrawingTool(dtRelationOneToManyMaster);
  TRelation* ab = Surface.CreateRelation(a, b);
  ASSERT_NE(bc, nullptr);
  ASSERT_NE(ab, nullptr);
  // Drawing took over B's own Id (same name, not a copy); C then carries it.
  ASSERT_EQ(b->PrimaryKey.Count(), 1);
  b->InsertKeyAttribute(0, QStringLiteral("Sub"));
  a->InsertKeyAttribute(1, QStringLiteral("Code"));
  const int code = b->PrimaryKey.IndexOf(QStringLiteral("Code"));
  b->RenameKeyAttribute(code, QStringLiteral("ParentCode"));
  ASSERT_EQ(c->PrimaryKey.IndexOf(QStringLiteral("ParentCode")) >= 0, true);
  Surface.Repaint();

  QByteArray first;
  WriteDiagram(Surface, first);
  Surface.Clear();
  ASSERT_EQ(LoadDiagramBytes(Surface, first), TLoadResult::Loaded);
  EXPECT_TRUE(Messages.Messages.isEmpty());
  TEntity* c2 = Surface.Entities.Find(QStringLiteral("C"));
  QStringList names;
  for (const TAttribute* x : c2->PrimaryKey)
    names << x->Name;
  EXPECT_EQ(names, (QStringList{"Id", "Sub", "ParentCode"}));
  // Each copy still stands for its own parent attribute: a new type on B's
  // Sub reaches C's Sub only.
  TEntity* b2 = Surface.Entities.Find(QStringLiteral("B"));
  b2->SetAttributeDataType(true, b2->PrimaryKey.IndexOf(QStringLiteral("Sub")), QStringLiteral("CHAR"));
  EXPECT_EQ(c2->PrimaryKey.Find(QStringLiteral("Sub"))->DataType, "CHAR");
  EXPECT_EQ(c2->PrimaryKey.Find(QStringLiteral("Id"))->DataType, "Default");
  b2->SetAttributeDataType(true, b2->PrimaryKey.IndexOf(QStringLiteral("Sub")), QStringLiteral("Default"));
  QByteArray second;
  WriteDiagram(Surface, second);
  EXPECT_EQ(Split(second), Split(first));
}

}  // namespace

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

}  // namespace

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
