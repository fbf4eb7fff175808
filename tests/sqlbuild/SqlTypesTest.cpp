// SQL types of model data types from a server's -SqlTypes map: the
// placeholders, sizes from types, domains and widths, and the errors.
#include "SqlModel.h"
#include "sqlbuild/SqlTypes.h"

namespace veska::test {
namespace {

TEST(SqlTypeExpansion, SizesFillOrDropTheirGroupAndIdentityMarksTheType)
{
  EXPECT_EQ(ExpandSqlType(QStringLiteral("numeric({size})"), QStringLiteral("10,2")).Type,
            QStringLiteral("numeric(10,2)"));
  EXPECT_EQ(ExpandSqlType(QStringLiteral("numeric ({size})"), QString()).Type, QStringLiteral("numeric"));
  EXPECT_EQ(ExpandSqlType(QStringLiteral("decimal({size}) unsigned"), QString()).Type,
            QStringLiteral("decimal unsigned"));
  EXPECT_EQ(ExpandSqlType(QStringLiteral("varchar({size|255})"), QString()).Type, QStringLiteral("varchar(255)"));
  EXPECT_EQ(ExpandSqlType(QStringLiteral("varchar({size|255})"), QStringLiteral("30")).Type,
            QStringLiteral("varchar(30)"));
  EXPECT_EQ(ExpandSqlType(QStringLiteral("decimal({size|19,4})"), QString()).Type, QStringLiteral("decimal(19,4)"));
  const TSqlType counter = ExpandSqlType(QStringLiteral("integer {identity}"), QStringLiteral("5"));
  EXPECT_EQ(counter.Type, QStringLiteral("integer"));
  EXPECT_TRUE(counter.Identity);
  EXPECT_FALSE(ExpandSqlType(QStringLiteral("integer"), QString()).Identity);
}

class SqlTypesTest : public ModelTest {
protected:
  QTemporaryDir Dir;
  TServerDefinition Server;
  TTypeMap Map;
  TEntity* E = nullptr;

  void SetUp() override
  {
    ModelTest::SetUp();
    const QString path = Dir.filePath(QStringLiteral("VESKA.INI"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[DataTypes]\r\nVarChar=\r\nDecimal=\r\nChar=\r\nInteger=\r\nAutoInc=\r\nAutoInc(FK)=\r\nBlob=\r\nMemo=\r\n"
            "[S]\r\nDefaultDataType=Char\r\nDialect=PostgreSQL\r\n"
            "[S-SqlTypes]\r\nvarchar=varchar({size})\r\nDecimal=numeric({size})\r\nChar=char({size|1})\r\n"
            "Integer=integer\r\nAutoInc=integer {identity}\r\nAutoInc(FK)=integer\r\nBlob=  \r\n");
    f.close();
    const TIniFile ini(path);
    Server = ReadServer(ini, QStringLiteral("S"));
    Map = ReadSqlTypeMap(ini, QStringLiteral("S"));
    E = MakeEntity(QStringLiteral("Account"), {}, {QStringLiteral("Balance")});
  }

  TSqlType Of(const QString& dataType, const QString& width = QStringLiteral("0"), bool foreignKey = false)
  {
    TAttribute* a = E->Attributes.Objects(0);
    a->DataType = dataType;
    a->Width = width;
    a->ForeignKey = foreignKey;
    return SqlTypeOf(*a, *E, D, Server, Map);
  }

  TDomain* MakeDomain(const QString& name, const QString& type)
  {
    auto d = std::make_unique<TDomain>();
    d->Name = name;
    d->DataType = type;
    return D.AddDomain(std::move(d));
  }
};

TEST_F(SqlTypesTest, PrecisionAndScaleComeFromTheTypeTheDomainOrTheWidth)
{
  EXPECT_EQ(Of(QStringLiteral("VarChar"), QStringLiteral("30")).Type, QStringLiteral("varchar(30)"));
  EXPECT_EQ(Of(QStringLiteral("VarChar")).Type, QStringLiteral("varchar"));
  EXPECT_EQ(Of(QStringLiteral("VarChar"), QString()).Type, QStringLiteral("varchar"));
  EXPECT_EQ(Of(QStringLiteral("Decimal(10,2)"), QStringLiteral("4")).Type, QStringLiteral("numeric(10,2)"));
  EXPECT_EQ(Of(QStringLiteral("Decimal( 10 , 2 )")).Type, QStringLiteral("numeric(10,2)"));
  EXPECT_EQ(Of(QStringLiteral("Char(12)")).Type, QStringLiteral("char(12)"));
  EXPECT_EQ(Of(QStringLiteral("Default")).Type, QStringLiteral("char(1)"));
  EXPECT_EQ(Of(QStringLiteral("Integer"), QStringLiteral("not a size")).Type, QStringLiteral("integer"));

  MakeDomain(QStringLiteral("Money"), QStringLiteral("Decimal(8,3)"));
  MakeDomain(QStringLiteral("Label"), QStringLiteral("VarChar"));
  EXPECT_EQ(Of(QStringLiteral("money"), QStringLiteral("20")).Type, QStringLiteral("numeric(8,3)"));
  EXPECT_EQ(Of(QStringLiteral("Label"), QStringLiteral("20")).Type, QStringLiteral("varchar(20)"));
  EXPECT_EQ(SqlTypeOf(*D.Domains.Find(QStringLiteral("Money")), Server, Map).Type, QStringLiteral("numeric(8,3)"));
}

TEST_F(SqlTypesTest, CountersAreIdentitiesExceptInForeignKeys)
{
  EXPECT_TRUE(Of(QStringLiteral("AutoInc")).Identity);
  const TSqlType carried = Of(QStringLiteral("AutoInc"), QStringLiteral("0"), true);
  EXPECT_EQ(carried.Type, QStringLiteral("integer"));
  EXPECT_FALSE(carried.Identity);
  // A type without a variant keeps its own entry in a foreign key.
  EXPECT_EQ(Of(QStringLiteral("Char(3)"), QStringLiteral("0"), true).Type, QStringLiteral("char(3)"));
}

TEST_F(SqlTypesTest, UnmappedTypesAndBadSizesAreErrorsNamingTheAttributeAndEntity)
{
  for (const QString& type : {QStringLiteral("Memo"), QStringLiteral("Blob"), QStringLiteral("Nonsense")}) {
    const TSqlType t = Of(type);
    EXPECT_TRUE(t.Type.isEmpty());
    EXPECT_TRUE(t.Error.contains(QStringLiteral("Balance")) && t.Error.contains(QStringLiteral("Account"))
                && t.Error.contains(type) && t.Error.contains(QStringLiteral("[S-SqlTypes]")))
        << t.Error.toStdString();
  }
  // A width is never written into a statement unless it is a size.
  for (const QString& width : {QStringLiteral("1); DROP TABLE x; --"), QStringLiteral("-3"), QStringLiteral("1,2,3")}) {
    const TSqlType t = Of(QStringLiteral("VarChar"), width);
    EXPECT_TRUE(t.Type.isEmpty()) << t.Type.toStdString();
    EXPECT_TRUE(t.Error.contains(QStringLiteral("Balance"))) << t.Error.toStdString();
  }
  EXPECT_FALSE(Of(QStringLiteral("Decimal(1;2)")).Error.isEmpty());
  MakeDomain(QStringLiteral("Odd"), QStringLiteral("Memo"));
  EXPECT_TRUE(SqlTypeOf(*D.Domains.Find(QStringLiteral("Odd")), Server, Map).Error.contains(QStringLiteral("Odd")));
}

// The shipped SQL servers map every data type to an SQL type, and their
// counters are identities only where the parent's key is.
TEST(ShippedSettings, MapEveryDataTypeOnEverySqlServer)
{
  const TIniFile ini(QStringLiteral(VESKA_SHIPPED_INI));
  const QStringList types = ReadDataTypes(ini);
  QStringList sqlServers;
  for (const QString& server : ReadServers(ini))
    if (ReadSqlDialect(ini, server))
      sqlServers << server;
  EXPECT_EQ(sqlServers, QStringList({"SQLite", "PostgreSQL", "MySQL"}));
  for (const QString& server : sqlServers) {
    const TServerDefinition s = ReadServer(ini, server);
    const TTypeMap map = ReadSqlTypeMap(ini, server);
    for (int i = 0; i < types.size(); ++i)
      EXPECT_FALSE(map.FieldTypeNames()[i].trimmed().isEmpty())
          << server.toStdString() << " " << types[i].toStdString();
    EXPECT_TRUE(types.contains(s.DefaultDataType, Qt::CaseInsensitive));
    EXPECT_TRUE(s.SchemaFileSupport);
    EXPECT_TRUE(ExpandSqlType(*map.Lookup(QStringLiteral("AutoInc")), QString()).Identity);
    EXPECT_FALSE(ExpandSqlType(*map.Lookup(QStringLiteral("AutoInc(FK)")), QString()).Identity);
  }
  EXPECT_EQ(ReadServer(ini, QStringLiteral("PostgreSQL")).MaxIDLength, 63);
  EXPECT_EQ(ReadServer(ini, QStringLiteral("MySQL")).MaxColIDLength, 64);
  EXPECT_EQ(ReadServer(ini, QStringLiteral("SQLite")).MaxIDLength, 0);
  EXPECT_TRUE(ReadServer(ini, QStringLiteral("PostgreSQL")).DomainSupport);
  EXPECT_FALSE(ReadServer(ini, QStringLiteral("MySQL")).DomainSupport);
  EXPECT_FALSE(ReadServer(ini, QStringLiteral("SQLite")).ProcedureSupport);
}

}  // namespace
}  // namespace veska::test
