// Writing diagram files: the header and sections of a new diagram, texts cut
// or written whole, UTF-8 for every mix of characters, numbers over their
// whole range, the same text written straight into a file, and saving at a
// zoom (the positions of 100%, nothing moved).

#include "diagramfile/DiagramFileFixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

using namespace veska;
using namespace veska::test;

namespace {

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

TEST_F(DiagramFileTest, WritingStraightIntoAFileGivesTheBytesWrittenIntoMemory)
{
  // The file is handed the text a megabyte at a time: lines fall on every
  // side of the parts, and one name is longer than a part.
  QStringList lines = PlacesExample();
  const QString longName = QString(400'000, QChar(0x00E9));
  for (QString& line : lines)
    line.replace(QStringLiteral("Order"), longName);
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  const QStringList tricky = TrickyTexts();
  for (int i = 0; i < 20'000; ++i)
    Surface.Entities[0]->Description << tricky[i % tricky.size()];
  QByteArray inMemory;
  WriteDiagram(Surface, inMemory);
  ASSERT_GT(inMemory.size(), 3 << 20);

  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("orders.erd"));
  WriteDiagramToFile(Surface, file);
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray written = f.readAll();
  EXPECT_EQ(written.size(), inMemory.size());
  EXPECT_TRUE(written == inMemory);
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
  a->SetDefaultValue(texts[30]);
  a->SetRule(texts.back());
  a->SetDescription(QStringList{texts[7], QString()});
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
  number->SetControlTop(-10);
  number->SetControlLeft(9);
  number->SetControlWidth(-2147483647);

  const QStringList lines = Written();
  EXPECT_EQ(lines.mid(18, 2), (QStringList{"1 2147483647 -2147483648 -1 10", "-9 1000000007 0 1 0"}));
  EXPECT_EQ(lines[23], "1 -10 9 -2147483647");
  Surface.Clear();
  ASSERT_EQ(Load(lines), TLoadResult::Loaded);
  EXPECT_EQ(Written(), lines);
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

}  // namespace
