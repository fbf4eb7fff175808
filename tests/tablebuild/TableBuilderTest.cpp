// Field and index definitions of an entity's table, and creating and
// deleting tables through the engine.
#include "tablebuild/TableBuilder.h"
#include "model/Entity.h"
#include "model/ModelFixture.h"
#include "platform/IniFile.h"
#include "platform/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska {
namespace {

const QByteArray kSettings =
    "[DataTypes]\r\nVarChar=\r\nInteger=\r\nDecimal=\r\nChar=\r\nBinary=\r\n"
    "[Paradox]\r\nDefaultDataType=VarChar\r\nMaxIDLength=8\r\nMaxColIDLength=8\r\n"
    "[Paradox-DataMap]\r\nVarChar=ftString\r\nInteger=ftInteger\r\nDecimal=ftBCD\r\nChar=ftString\r\n"
    "Binary=ftVarBytes\r\n"
    "[Dbase]\r\nDefaultDataType=VarChar\r\nMaxIDLength=8\r\nMaxColIDLength=10\r\n"
    "[Dbase-DataMap]\r\nVarChar=ftString\r\nInteger=ftInteger\r\nDecimal=ftBCD\r\nChar=ftString\r\n";

class TableBuilderTest : public test::ModelTest {
protected:
  QTemporaryDir Dir;
  QString IniPath = Dir.filePath(QStringLiteral("VESKA.INI"));

  void SetUp() override
  {
    ModelTest::SetUp();
    QFile f(IniPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kSettings);
  }

  TParadoxExpert Expert(const QString& server)
  {
    TParadoxExpert expert(TIniFile(IniPath), server, D);
    expert.Directory = Dir.path();
    return expert;
  }

  void Type(TEntity* e, bool key, int pos, const QString& type, const QString& width = QStringLiteral("0"))
  {
    e->ChangeAttributeDataType(key, pos, type);
    e->ChangeAttributeWidth(key, pos, width);
  }

  void MakeDomain(const QString& name, const QString& type)
  {
    auto d = std::make_unique<TDomain>();
    d->Name = name;
    d->DataType = type;
    D.AddDomain(std::move(d));
  }
};

TEST_F(TableBuilderTest, ReadsTheServerAndPicksTheTableFormatByItsName)
{
  const TParadoxExpert paradox = Expert(QStringLiteral("pArAdOx"));
  EXPECT_EQ(paradox.TableType, TTableType::Paradox);
  EXPECT_EQ(paradox.MaxIDLength(), 8);
  EXPECT_EQ(paradox.MaxColIDLength(), 8);
  EXPECT_EQ(paradox.DefaultDataType(), QStringLiteral("VarChar"));
  EXPECT_EQ(paradox.Server.TypeMap.DataTypes().size(), 5);
  EXPECT_FALSE(paradox.DropTables);
  EXPECT_FALSE(paradox.CreateTables);

  EXPECT_EQ(Expert(QStringLiteral("Dbase")).TableType, TTableType::Dbase);
  EXPECT_EQ(Expert(QStringLiteral("Unlisted")).TableType, TTableType::Dbase);
}

TEST_F(TableBuilderTest, FieldSizesFollowWidthOrDomainOnlyForSizedTypes)
{
  MakeDomain(QStringLiteral("Code"), QStringLiteral("Char(12)"));
  MakeDomain(QStringLiteral("Amount"), QStringLiteral("Decimal(10,2)"));
  MakeDomain(QStringLiteral("Open"), QStringLiteral("Char(7"));
  TEntity* e = MakeEntity(QStringLiteral("T"), {QStringLiteral("K")},
                          {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("N"),
                           QStringLiteral("X"), QStringLiteral("O"), QStringLiteral("Y")});
  Type(e, true, 0, QStringLiteral("VarChar"), QStringLiteral("30"));
  Type(e, false, 0, QStringLiteral("VarChar"), QStringLiteral("0"));
  Type(e, false, 1, QStringLiteral("Code"), QStringLiteral("99"));
  Type(e, false, 2, QStringLiteral("Amount"));
  Type(e, false, 3, QStringLiteral("Integer"), QStringLiteral("40"));
  Type(e, false, 4, QStringLiteral("VarChar"), QStringLiteral("wide"));
  Type(e, false, 5, QStringLiteral("Open"));
  Type(e, false, 6, QStringLiteral("Binary"), QStringLiteral("16"));

  const QList<TFieldDef> f = Expert(QStringLiteral("Paradox")).FieldDefsOf(*e);
  ASSERT_EQ(f.size(), 8);
  EXPECT_EQ(f[0].Type, eftString);
  EXPECT_EQ(f[0].Size, 30);
  EXPECT_EQ(f[1].Size, 10);  // width 0
  EXPECT_EQ(f[2].Size, 12);  // the domain's size, not the width
  EXPECT_EQ(f[3].Type, eftBCD);
  EXPECT_EQ(f[3].Size, 2);  // Decimal(10,2) keeps its decimals, not 10 of them
  EXPECT_EQ(f[3].Precision, 10);
  EXPECT_EQ(f[0].Precision, 0);
  EXPECT_EQ(f[4].Type, eftInteger);
  EXPECT_EQ(f[4].Size, 0);
  EXPECT_EQ(f[5].Size, 10);  // not a number
  EXPECT_EQ(f[6].Size, 7);   // no ")"
  EXPECT_EQ(f[7].Type, eftVarBytes);
  EXPECT_EQ(f[7].Size, 16);
}

TEST_F(TableBuilderTest, KeysComeFirstAndNullsDecideRequired)
{
  TEntity* e = MakeEntity(QStringLiteral("T"), {QStringLiteral("Id")},
                          {QStringLiteral("Loose"), QStringLiteral("Strict")});
  e->InsertKeyAttribute(1, QStringLiteral("Second Id"));
  e->Attributes.Objects(1)->AllowNulls = false;
  e->PrimaryKey.Objects(0)->AllowNulls = true;

  const QList<TFieldDef> f = Expert(QStringLiteral("Dbase")).FieldDefsOf(*e);
  ASSERT_EQ(f.size(), 4);
  EXPECT_EQ(f[0].Name, QStringLiteral("Id"));
  EXPECT_EQ(f[1].Name, QStringLiteral("Second_Id"));  // the column name, cut to 10
  EXPECT_EQ(f[2].Name, QStringLiteral("Loose"));
  EXPECT_TRUE(f[0].Required);  // a key is required whatever it allows
  EXPECT_TRUE(f[1].Required);
  EXPECT_FALSE(f[2].Required);
  EXPECT_TRUE(f[3].Required);
  EXPECT_EQ(f[0].Type, eftString);  // "Default" is the server's VarChar
}

TEST_F(TableBuilderTest, PrimaryIndexOnDbaseIsTheFirstKeyAndOnParadoxTheWholeKey)
{
  TEntity* none = MakeEntity(QStringLiteral("None"), {}, {QStringLiteral("A")});
  TEntity* one = MakeEntity(QStringLiteral("One"), {QStringLiteral("A")});
  TEntity* two = MakeEntity(QStringLiteral("Two"), {QStringLiteral("A"), QStringLiteral("B")});
  const TParadoxExpert dbase = Expert(QStringLiteral("Dbase"));
  const TParadoxExpert paradox = Expert(QStringLiteral("Paradox"));

  EXPECT_TRUE(dbase.IndexDefsOf(*none).isEmpty());
  EXPECT_TRUE(paradox.IndexDefsOf(*none).isEmpty());

  QList<TIndexDef> ix = dbase.IndexDefsOf(*one);
  ASSERT_EQ(ix.size(), 1);
  EXPECT_EQ(ix[0].Name, QStringLiteral("PK"));
  EXPECT_EQ(ix[0].Fields, QStringList{QStringLiteral("A")});
  EXPECT_TRUE(ix[0].Primary);
  EXPECT_TRUE(ix[0].Unique);

  ix = dbase.IndexDefsOf(*two);
  ASSERT_EQ(ix.size(), 1);
  EXPECT_EQ(ix[0].Fields, QStringList{QStringLiteral("A")});
  EXPECT_TRUE(ix[0].Primary);
  EXPECT_FALSE(ix[0].Unique);

  ix = paradox.IndexDefsOf(*two);
  ASSERT_EQ(ix.size(), 1);
  EXPECT_EQ(ix[0].Fields, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
  EXPECT_TRUE(ix[0].Primary);
}

TEST_F(TableBuilderTest, CreatesAndDeletesUnderTheCutTableName)
{
  for (const QString& server : {QStringLiteral("Paradox"), QStringLiteral("Dbase")}) {
    SCOPED_TRACE(server.toStdString());
    TEntity* e = MakeEntity(server + QStringLiteral("Customers"), {QStringLiteral("Id"), QStringLiteral("Branch")},
                            {QStringLiteral("Name")});
    const TParadoxExpert expert = Expert(server);
    expert.CreateTable(*e);
    const QString table = LeftCharacters(e->TableName(), 8);
    ASSERT_EQ(ListTables(Dir.path()).size(), 1);
    EXPECT_TRUE(ListTables(Dir.path()).first().startsWith(table + QLatin1Char('.')));
    const QList<TFieldInfo> read = ReadTableFields(Dir.path(), ListTables(Dir.path()).first());
    ASSERT_EQ(read.size(), 3);
    EXPECT_TRUE(read[0].InPrimaryIndex);
    EXPECT_EQ(read[1].InPrimaryIndex, server == QStringLiteral("Paradox"));
    EXPECT_FALSE(read[2].InPrimaryIndex);

    EXPECT_THROW(expert.CreateTable(*e), TEngineError);  // it exists
    expert.DeleteTable(*e);
    EXPECT_TRUE(ListTables(Dir.path()).isEmpty());
    EXPECT_THROW(expert.DeleteTable(*e), TEngineError);  // it is gone
  }
}

TEST_F(TableBuilderTest, ShippedSettingsBuildBinaryAttributesOnParadoxAsSizedBytes)
{
  TEntity* e = MakeEntity(QStringLiteral("Photos"), {QStringLiteral("Id")}, {QStringLiteral("Hash")});
  Type(e, false, 0, QStringLiteral("Binary"), QStringLiteral("16"));
  TParadoxExpert expert(TIniFile(QStringLiteral(VESKA_SHIPPED_INI)), QStringLiteral("Paradox"), D);
  expert.Directory = Dir.path();
  EXPECT_EQ(expert.FieldDefsOf(*e)[1].Size, 16);
  EXPECT_NO_THROW(expert.CreateTable(*e));
}

TEST_F(TableBuilderTest, ColumnsCutToTheSameNameAreRejectedByTheEngine)
{
  TEntity* e = MakeEntity(QStringLiteral("Orders"), {QStringLiteral("Customer Number")},
                          {QStringLiteral("Customer Name")});
  const TParadoxExpert expert = Expert(QStringLiteral("Paradox"));
  const QList<TFieldDef> f = expert.FieldDefsOf(*e);
  EXPECT_EQ(f[0].Name, QStringLiteral("Customer"));
  EXPECT_EQ(f[1].Name, QStringLiteral("Customer"));
  EXPECT_THROW(expert.CreateTable(*e), TEngineError);
  EXPECT_TRUE(ListTables(Dir.path()).isEmpty());
}

TEST_F(TableBuilderTest, WithoutAnIdLengthTheTableNameIsEmptyAndTheEngineRefuses)
{
  TEntity* e = MakeEntity(QStringLiteral("Orders"), {QStringLiteral("Id")});
  TParadoxExpert expert = Expert(QStringLiteral("Unlisted"));
  EXPECT_EQ(expert.TableNameOf(*e), QString());
  EXPECT_THROW(expert.CreateTable(*e), TEngineError);
  EXPECT_THROW(expert.DeleteTable(*e), TEngineError);
  EXPECT_TRUE(QDir(Dir.path()).entryList({QStringLiteral("*.DB*")}, QDir::Files).isEmpty());
}

TEST_F(TableBuilderTest, DecimalKeepsItsPrecisionAndScaleOnBothServersAndCutNamesAreExplained)
{
  MakeDomain(QStringLiteral("Money"), QStringLiteral("Decimal(12,2)"));
  TEntity* e = MakeEntity(QStringLiteral("Prices"), {QStringLiteral("ID")}, {QStringLiteral("NET"), QStringLiteral("RATE")});
  Type(e, true, 0, QStringLiteral("Integer"));
  Type(e, false, 0, QStringLiteral("Money"));
  Type(e, false, 1, QStringLiteral("Decimal"), QStringLiteral("7,3"));
  Expert(QStringLiteral("Dbase")).CreateTable(*e);
  QFile dbf(Dir.filePath(QStringLiteral("Prices.dbf")));
  ASSERT_TRUE(dbf.open(QIODevice::ReadOnly));
  const QByteArray b = dbf.readAll();
  EXPECT_EQ(b.mid(64 + 16, 2), QByteArray("\x0E\x02", 2));  // N(14,2), not N(20,10)
  EXPECT_EQ(b.mid(96 + 16, 2), QByteArray("\x09\x03", 2));
  Expert(QStringLiteral("Paradox")).CreateTable(*e);
  const QList<TFieldInfo> read = ReadTableFields(Dir.path(), QStringLiteral("Prices.DB"));
  ASSERT_EQ(read.size(), 3);
  EXPECT_EQ(read[1].Size, 2);
  EXPECT_EQ(read[2].Size, 3);

  // A table name cut to 8 characters: the engine's message says from what.
  TEntity* cut = MakeEntity(QStringLiteral("OrderItem"), {QStringLiteral("ID")});
  cut->SetTableName(QStringLiteral("Order Item"));
  try {
    Expert(QStringLiteral("Dbase")).CreateTable(*cut);
    ADD_FAILURE();
  } catch (const TEngineError& e) {
    EXPECT_TRUE(e.Message().contains(QLatin1String("\"Order It\" was cut from \"Order Item\"."))) << e.what();
  }
}

}  // namespace
}  // namespace veska
