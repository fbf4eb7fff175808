// Reading a directory of desktop tables into a model, and building a model
// into tables and reading it back.
#include "tablebuild/ReEngineer.h"
#include "tablebuild/TableBuilder.h"
#include "engine/TableEngine.h"
#include "model/Entity.h"
#include "model/ModelFixture.h"
#include "platform/IniFile.h"
#include "support/RecordingProgress.h"
#include "surface/SurfaceFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska {
namespace {

class ReEngineerTest : public test::SurfaceTest {
protected:
  QTemporaryDir Dir;

  void Make(const QString& name, TTableType type, const QList<TFieldDef>& fields = {{QStringLiteral("ID"), eftInteger, 0, true}},
            const QList<TIndexDef>& indexes = {})
  {
    CreateTable(Dir.path(), name, type, fields, indexes);
  }

  // A file whose first byte claims a dBASE table whose header is damaged.
  static void WriteDamagedTable(const QString& path)
  {
    QFile bad(path);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\x03 a damaged table, no header that fits");
  }

  QList<QPoint> Positions() const
  {
    QList<QPoint> at;
    for (const TEntity* e : S.Entities)
      at << QPoint(e->Left, e->Top);
    return at;
  }
};

TEST_F(ReEngineerTest, LaysBoxesOutInRowsTwentyPixelsApartAndGrowsTheSurfaceToHoldThem)
{
  // Boxes of different widths and heights, in the order the engine lists
  // them (by file name).
  const QList<TFieldDef> wide{{QStringLiteral("ID"), eftInteger, 0, true},
                              {QStringLiteral("DESCRIPTIO"), eftString, 40, false}};
  const QList<TFieldDef> tall{{QStringLiteral("ID"), eftInteger, 0, true}, {QStringLiteral("A"), eftInteger, 0, false},
                              {QStringLiteral("B"), eftInteger, 0, false}, {QStringLiteral("C"), eftInteger, 0, false}};
  Make(QStringLiteral("A_CUSTOM"), TTableType::Dbase, wide);
  Make(QStringLiteral("B_ORDERS"), TTableType::Dbase, tall);
  Make(QStringLiteral("C_LINES"), TTableType::Dbase, wide);
  Make(QStringLiteral("D_PARTS"), TTableType::Dbase);
  Make(QStringLiteral("E_STOCK"), TTableType::Dbase, wide);
  Make(QStringLiteral("F_SHIP"), TTableType::Dbase, tall);
  S.Width = 400;
  S.Height = 100;
  ReEngineer(S, Dir.path());
  QStringList sizes;
  for (const TEntity* e : S.Entities)
    sizes << QStringLiteral("%1x%2").arg(e->Width).arg(e->Height);
  ASSERT_EQ(sizes, (QStringList{QStringLiteral("80x46"), QStringLiteral("64x74"), QStringLiteral("80x46"),
                                QStringLiteral("48x32"), QStringLiteral("80x46"), QStringLiteral("48x74")}));
  // E_STOCK would end at 452, past 400 - 20: a new row 20 below B_ORDERS,
  // the tallest of the first.
  EXPECT_EQ(Positions(), (QList<QPoint>{{20, 20}, {120, 20}, {204, 20}, {304, 20}, {20, 114}, {120, 114}}));
  EXPECT_EQ(S.Height, 208);  // the last row's bottom + 20
  EXPECT_EQ(S.Width, 400);
}

TEST_F(ReEngineerTest, NoBoxLiesOnAnotherAndABoxWiderThanTheSurfaceWidensIt)
{
  QList<TFieldDef> fields{{QStringLiteral("ID"), eftInteger, 0, true}};
  for (int i = 0; i < 12; ++i) {
    if (i % 3 == 0)
      fields.append({QStringLiteral("FIELD%1").arg(i), eftString, 20, false});
    Make(QStringLiteral("TABLE%1").arg(i, 2, 10, QLatin1Char('0')), TTableType::Dbase, fields);
  }
  S.Width = 100;  // narrower than the widest box
  ReEngineer(S, Dir.path());
  ASSERT_EQ(S.Entities.Count(), 12);
  for (const TEntity* a : S.Entities) {
    EXPECT_LE(a->Left + a->Width + 20, S.Width) << qPrintable(a->EntityName());
    EXPECT_LE(a->Top + a->Height + 20, S.Height) << qPrintable(a->EntityName());
    for (const TEntity* b : S.Entities) {
      if (a != b) {
        EXPECT_FALSE(a->BoundsRect().intersects(b->BoundsRect()))
            << qPrintable(a->EntityName()) << " on " << qPrintable(b->EntityName());
      }
    }
  }
}

TEST_F(ReEngineerTest, AnEmptyDirectoryAddsNothingAndKeepsAtLeast100High)
{
  ReEngineer(S, Dir.path());
  EXPECT_EQ(S.Entities.Count(), 0);
  EXPECT_EQ(S.Height, 960);
  S.Height = 50;
  ReEngineer(S, Dir.path());
  EXPECT_EQ(S.Height, 100);
}

TEST_F(ReEngineerTest, NamesEntitiesByFileAndADuplicateKeepsItsDefaultName)
{
  Make(QStringLiteral("CUSTOMER"), TTableType::Paradox);
  Make(QStringLiteral("CUSTOMER"), TTableType::Dbase);
  Make(QStringLiteral("ORDERS"), TTableType::Dbase);
  ReEngineer(S, Dir.path());
  ASSERT_EQ(S.Entities.Count(), 3);
  EXPECT_EQ(S.Entities.Objects(0)->EntityName(), QStringLiteral("CUSTOMER"));
  EXPECT_EQ(S.Entities.Objects(1)->EntityName(), QStringLiteral("Entity2_0"));
  EXPECT_EQ(S.Entities.Objects(2)->EntityName(), QStringLiteral("ORDERS"));
  EXPECT_EQ(S.Entities.Objects(0)->TableName(), QStringLiteral("CUSTOMER"));
  EXPECT_EQ(S.Entities.Objects(1)->TableName(), QStringLiteral("CUSTOMER"));
  EXPECT_EQ(S.Entities.Objects(2)->TableName(), QStringLiteral("ORDERS"));
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_EQ(Msgs.Messages[0].Text, QStringLiteral("Duplicate Entity Name \"CUSTOMER\"."));
}

TEST_F(ReEngineerTest, RenamesTheEntityItAddedAlsoWhenTheSurfaceHeldOthers)
{
  Place(300, 300);
  Place(400, 300);
  Make(QStringLiteral("ORDERS"), TTableType::Dbase);
  ReEngineer(S, Dir.path());
  ASSERT_EQ(S.Entities.Count(), 3);
  EXPECT_EQ(S.Entities.Objects(0)->EntityName(), QStringLiteral("Entity1_0"));
  EXPECT_EQ(S.Entities.Objects(2)->EntityName(), QStringLiteral("ORDERS"));
  EXPECT_EQ(S.Entities.Objects(2)->Attributes.Count(), 1);
}

TEST_F(ReEngineerTest, FieldsBecomeAttributesWithTypeWidthKeyAndNoNulls)
{
  Make(QStringLiteral("ITEMS"), TTableType::Paradox,
       {{QStringLiteral("CODE"), eftString, 30, true},
        {QStringLiteral("LINE"), eftSmallint, 0, true},
        {QStringLiteral("PRICE"), eftBCD, 4, false},
        {QStringLiteral("QTY"), eftInteger, 0, false},
        {QStringLiteral("2ND"), eftString, 12, false}},
       {{QStringLiteral("PK"), {QStringLiteral("CODE"), QStringLiteral("LINE")}, true, true}});
  ReEngineer(S, Dir.path());
  ASSERT_EQ(S.Entities.Count(), 1);
  const TEntity* e = S.Entities.Objects(0);
  EXPECT_EQ(test::Names(e->PrimaryKey), (QStringList{QStringLiteral("CODE"), QStringLiteral("LINE")}));
  EXPECT_EQ(test::Names(e->Attributes),
            (QStringList{QStringLiteral("PRICE"), QStringLiteral("QTY"), QStringLiteral("2ND")}));
  auto expect = [](const TAttribute* a, const char* type, const char* width) {
    SCOPED_TRACE(a->Name.toStdString());
    EXPECT_EQ(a->DataType, QLatin1String(type));
    EXPECT_EQ(a->Width, QLatin1String(width));
    EXPECT_FALSE(a->AllowNulls);
  };
  expect(e->PrimaryKey.Objects(0), "VarChar", "30");
  expect(e->PrimaryKey.Objects(1), "SmallInt", "0");
  expect(e->Attributes.Objects(0), "Decimal", "20,4");
  expect(e->Attributes.Objects(1), "Integer", "0");
  expect(e->Attributes.Objects(2), "VarChar", "12");
  EXPECT_EQ(e->Attributes.Objects(2)->ColumnName(), QString());  // not an identifier
  EXPECT_GT(e->Height, 18);  // laid out with its attributes
}

TEST_F(ReEngineerTest, AFieldNameTheDiagramFileCannotHoldIsReadWithItsCommaReplaced)
{
  // Another program's table (shapelib's writer) may name a field so.
  QProcess tool;
  tool.start(QStringLiteral("dbfcreate"),
             {Dir.filePath(QStringLiteral("prices.dbf")), QStringLiteral("-s"), QStringLiteral("Price, net"),
              QStringLiteral("10")});
  ASSERT_TRUE(tool.waitForFinished(30000));
  ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().constData();
  ReEngineer(S, Dir.path());
  ASSERT_EQ(S.Entities.Count(), 1);
  // Written raw, the comma would split the attribute's line when the
  // diagram is read back.
  EXPECT_EQ(test::Names(S.Entities.Objects(0)->Attributes), QStringList{QStringLiteral("Price_ net")});
}

TEST_F(ReEngineerTest, CountsEveryTableReadAndEndsItsProgressAlsoOnAnEngineError)
{
  Make(QStringLiteral("A"), TTableType::Dbase);
  Make(QStringLiteral("B"), TTableType::Paradox);
  Make(QStringLiteral("C"), TTableType::Dbase);
  test::TRecordingProgress progress;
  ReEngineer(S, Dir.path(), &progress);
  EXPECT_EQ(progress.Total, 3);
  EXPECT_EQ(progress.Steps, (QList<qint64>{1, 2, 3}));
  EXPECT_EQ(progress.Begins, 1);
  EXPECT_EQ(progress.Ends, 1);

  S.Clear();
  WriteDamagedTable(Dir.filePath(QStringLiteral("D.DBF")));
  test::TRecordingProgress failing;
  EXPECT_THROW(ReEngineer(S, Dir.path(), &failing), TEngineError);
  EXPECT_EQ(failing.Steps.size(), 3);
  EXPECT_EQ(failing.Ends, 1);
}

TEST_F(ReEngineerTest, AnEngineErrorEndsTheReadingAndKeepsWhatWasRead)
{
  Make(QStringLiteral("A"), TTableType::Dbase);
  Make(QStringLiteral("C"), TTableType::Dbase);
  WriteDamagedTable(Dir.filePath(QStringLiteral("B.DBF")));

  EXPECT_THROW(ReEngineer(S, Dir.path()), TEngineError);
  ASSERT_EQ(S.Entities.Count(), 2);  // A, and B as far as it got
  EXPECT_EQ(S.Entities.Objects(0)->EntityName(), QStringLiteral("A"));
  EXPECT_EQ(S.Entities.Objects(0)->Attributes.Count(), 1);
  EXPECT_EQ(S.Entities.Objects(1)->EntityName(), QStringLiteral("B"));
  EXPECT_EQ(S.Entities.Objects(1)->Attributes.Count(), 0);
}

TEST_F(ReEngineerTest, FilesThatAreNoTablesAreSkippedAndNamedInsteadOfEndingTheRun)
{
  Make(QStringLiteral("A"), TTableType::Dbase);
  for (const char* other : {"proj.db", "Thumbs.db", "notes.dbf"}) {
    QFile f(Dir.filePath(QString::fromLatin1(other)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\1'));
  }
  Make(QStringLiteral("Z"), TTableType::Paradox);
  const TReEngineerResult result = ReEngineer(S, Dir.path());
  ASSERT_EQ(S.Entities.Count(), 2);
  EXPECT_EQ(S.Entities.Objects(1)->EntityName(), QStringLiteral("Z"));
  EXPECT_EQ(Positions(), (QList<QPoint>{{20, 20}, {56, 20}}));
  EXPECT_EQ(result.Skipped, (QStringList{"notes.dbf", "proj.db", "Thumbs.db"}));
  EXPECT_EQ(ReEngineerCompletion(result),
            "Processing completed.\nnotes.dbf was skipped: it is not a table.\n"
            "proj.db was skipped: it is not a table.\nThumbs.db was skipped: it is not a table.");
  EXPECT_EQ(ReEngineerCompletion({}), QString());
}

// Every data type of the shipped settings, built for a server and read back:
// names, keys and order survive, and type and width are those of the field
// type the builder chose.
class RoundTripTest : public ReEngineerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RoundTripTest, EveryAttributeComesBackAsTheReadingTablesSay)
{
  const QString server = QLatin1String(GetParam());
  const TIniFile ini(QStringLiteral(VESKA_SHIPPED_INI));
  const QStringList types = ReadDataTypes(ini);
  ASSERT_GE(types.size(), 20);

  TEntity* e = S.AddEntity(std::make_unique<TEntity>());
  S.RenameEntity(0, QStringLiteral("Everything"));
  e->InsertKeyAttribute(0, QStringLiteral("K1"));
  e->InsertKeyAttribute(1, QStringLiteral("K2"));
  e->ChangeAttributeDataType(true, 0, QStringLiteral("Integer"));
  e->ChangeAttributeDataType(true, 1, QStringLiteral("Char"));
  e->ChangeAttributeWidth(true, 1, QStringLiteral("6"));
  for (int i = 0; i < types.size(); ++i) {
    e->InsertAttribute(i, QStringLiteral("F%1").arg(i));
    e->ChangeAttributeDataType(false, i, types[i]);
    e->ChangeAttributeWidth(false, i, QStringLiteral("12"));
  }
  TParadoxExpert expert(ini, server, S);
  expert.Directory = Dir.path();
  expert.CreateTable(*e);

  // What each attribute should read back as, in field order.
  struct TExpected {
    QString Name, Type, Width;
    bool Key;
  };
  QList<TExpected> expected;
  const int keysBack = server == QStringLiteral("Paradox") ? 2 : 1;
  int n = 0;
  for (const TAttributeList* list : {&e->PrimaryKey, &e->Attributes})
    for (const TAttribute* a : *list) {
      TFieldType type = expert.FieldTypeOf(*a);
      // Paradox has one kind of byte field, which reads back as fixed bytes.
      if (type == ftVarBytes && expert.TableType == TTableType::Paradox)
        type = ftBytes;
      // dBASE IV keeps binary data in memo fields.
      if (expert.TableType == TTableType::Dbase && type >= ftBlob && type != ftMemo)
        type = ftMemo;
      expected.append({a->Name, DataTypeOfField(type), WidthOfField(type, expert.FieldSizeOf(*a, type)),
                       n++ < keysBack});
    }

  S.Clear();
  ReEngineer(S, Dir.path());
  ASSERT_EQ(S.Entities.Count(), 1);
  const TEntity* back = S.Entities.Objects(0);
  EXPECT_EQ(back->EntityName().toUpper(), QStringLiteral("EVERYTHI"));
  ASSERT_EQ(back->PrimaryKey.Count(), keysBack);
  ASSERT_EQ(back->PrimaryKey.Count() + back->Attributes.Count(), expected.size());
  for (int i = 0; i < expected.size(); ++i) {
    const bool key = i < keysBack;
    const TAttribute* a = key ? back->PrimaryKey.Objects(i) : back->Attributes.Objects(i - keysBack);
    SCOPED_TRACE(expected[i].Name.toStdString() + " " + expected[i].Type.toStdString());
    EXPECT_EQ(a->Name.toUpper(), expected[i].Name.toUpper());
    EXPECT_EQ(a->DataType, expected[i].Type);
    EXPECT_EQ(a->Width, expected[i].Width);
    EXPECT_EQ(key, expected[i].Key);
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, RoundTripTest, ::testing::Values("Paradox", "Dbase"));

}  // namespace
}  // namespace veska
