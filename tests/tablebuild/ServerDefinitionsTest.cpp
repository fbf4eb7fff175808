// Server definitions read from a settings file, and the field type that a
// model data type becomes on a server.
#include "tablebuild/ServerDefinitions.h"
#include "model/ModelFixture.h"
#include "platform/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska {
namespace {

class ServerDefinitionsTest : public test::ModelTest {
protected:
  QTemporaryDir Dir;

  TIniFile Ini(const QByteArray& text)
  {
    const QString path = Dir.filePath(QStringLiteral("VESKA.INI"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return TIniFile(path);
  }

  TDomain* MakeDomain(const QString& name, const QString& type)
  {
    auto d = std::make_unique<TDomain>();
    d->Name = name;
    d->DataType = type;
    return D.AddDomain(std::move(d));
  }
};

const QByteArray kSettings =
    "[servers]\r\nParadox=\r\nOracle=x\r\nLonely=\r\n"
    "[DataTypes]\r\nVarChar=\r\nInteger=\r\nCounter=\r\nCounter(FK)=\r\nMemo=\r\nWrong=\r\nBlank=\r\nvarchar=\r\n"
    "[Paradox]\r\nDomainSupport=yes\r\nProcedureSupport=No\r\nSchemaFileSupport=Y\r\n"
    "DefaultDataType=Integer\r\nMaxIDLength=8\r\nMaxColIDLength=0x19\r\n"
    "[PARADOX-DataMap]\r\nvarchar=ftString\r\nInteger=ftinteger\r\nCounter=ftAutoInc\r\nCounter(FK)=ftInteger\r\n"
    "Memo=ftMemo\r\nWrong=Integer\r\nInteger=ftFloat\r\nBlank=ftUnknown\r\n"
    "[Oracle]\r\nDefaultDataType=VarChar\r\n"
    "[Library]\r\nfilename=templates/VESKA.LIB\r\n";

TEST_F(ServerDefinitionsTest, ReadsListsSwitchesAndLimits)
{
  const TIniFile ini = Ini(kSettings);
  EXPECT_EQ(ReadServers(ini), QStringList({"Paradox", "Oracle", "Lonely"}));
  EXPECT_EQ(ReadDataTypes(ini).size(), 8);
  EXPECT_EQ(ReadLibraryFileName(ini), QStringLiteral("templates/VESKA.LIB"));

  const TServerDefinition paradox = ReadServer(ini, QStringLiteral("paradox"));
  EXPECT_TRUE(paradox.DomainSupport);
  EXPECT_FALSE(paradox.ProcedureSupport);
  EXPECT_TRUE(paradox.SchemaFileSupport);
  EXPECT_EQ(paradox.DefaultDataType, QStringLiteral("Integer"));
  EXPECT_EQ(paradox.MaxIDLength, 8);
  EXPECT_EQ(paradox.MaxColIDLength, 25);
  // One name per data type, the first entry of a key counting; a type
  // listed twice maps through its first entry only.
  EXPECT_EQ(paradox.TypeMap.FieldTypeNames(),
            QStringList({"ftString", "ftinteger", "ftAutoInc", "ftInteger", "ftMemo", "Integer", "ftUnknown", "ftString"}));

  const TServerDefinition lonely = ReadServer(ini, QStringLiteral("Lonely"));
  EXPECT_FALSE(lonely.DomainSupport || lonely.ProcedureSupport || lonely.SchemaFileSupport);
  EXPECT_TRUE(lonely.DefaultDataType.isEmpty());
  EXPECT_EQ(lonely.MaxIDLength, 0);
  EXPECT_EQ(lonely.MaxColIDLength, 0);
  EXPECT_EQ(lonely.TypeMap.FieldTypeNames(), QStringList(8, QString()));
}

TEST_F(ServerDefinitionsTest, FieldTypeOfFollowsDomainsDefaultAndForeignKeys)
{
  const TServerDefinition s = ReadServer(Ini(kSettings), QStringLiteral("Paradox"));
  EXPECT_EQ(FieldTypeOf(QStringLiteral("VARCHAR(30)"), false, D, s), ftString);
  EXPECT_EQ(FieldTypeOf(QStringLiteral("integer"), false, D, s), ftInteger);  // "ftinteger", first entry
  EXPECT_EQ(FieldTypeOf(QStringLiteral("Wrong"), false, D, s), ftString);  // "Integer" names no field type
  EXPECT_EQ(FieldTypeOf(QStringLiteral("Blank"), false, D, s), ftString);  // "ftUnknown" is no field type
  EXPECT_EQ(FieldTypeOf(QStringLiteral("Unlisted"), false, D, s), ftString);
  // The "(FK)" variant serves foreign keys; without one they take the type's own entry.
  EXPECT_EQ(FieldTypeOf(QStringLiteral("Counter"), false, D, s), ftAutoInc);
  EXPECT_EQ(FieldTypeOf(QStringLiteral("counter(4)"), true, D, s), ftInteger);
  EXPECT_EQ(FieldTypeOf(QStringLiteral("Memo"), true, D, s), ftMemo);
  EXPECT_EQ(FieldTypeOf(QStringLiteral("default"), false, D, s), ftInteger);

  MakeDomain(QStringLiteral("Key"), QStringLiteral("Counter"));
  MakeDomain(QStringLiteral("Plain"), QStringLiteral("DEFAULT"));
  MakeDomain(QStringLiteral("Alias"), QStringLiteral("Key"));  // not followed further
  EXPECT_EQ(FieldTypeOf(QStringLiteral("key"), false, D, s), ftAutoInc);
  EXPECT_EQ(FieldTypeOf(QStringLiteral("Key"), true, D, s), ftInteger);
  EXPECT_EQ(FieldTypeOf(QStringLiteral("Plain"), false, D, s), ftInteger);
  EXPECT_EQ(FieldTypeOf(QStringLiteral("Alias"), false, D, s), ftString);

  TAttribute a;
  a.DataType = QStringLiteral("Counter");
  a.ForeignKey = true;
  EXPECT_EQ(FieldTypeOf(a, D, s), ftInteger);
}

// The shipped settings: every data type maps to a field type on every
// desktop server, and the length limits fit the file formats. The SQL
// servers (those with a Dialect) have SQL types instead, checked with them.
TEST(ShippedSettings, MapEveryDataTypeOnEveryDesktopServer)
{
  const TIniFile ini(QStringLiteral(VESKA_SHIPPED_INI));
  const QStringList servers = ReadServers(ini);
  ASSERT_TRUE(servers.contains(QStringLiteral("Paradox")) && servers.contains(QStringLiteral("Dbase")));
  const QStringList types = ReadDataTypes(ini);
  EXPECT_GE(types.size(), 23);
  for (const QString& server : servers) {
    if (!ini.ReadSetting(server, QStringLiteral("Dialect")).isEmpty())
      continue;
    const TServerDefinition s = ReadServer(ini, server);
    for (int i = 0; i < types.size(); ++i)
      EXPECT_TRUE(FieldTypeOfName(s.TypeMap.FieldTypeNames()[i]).has_value())
          << server.toStdString() << " " << types[i].toStdString();
    EXPECT_TRUE(types.contains(s.DefaultDataType, Qt::CaseInsensitive));
    EXPECT_GT(s.MaxIDLength, 0);
  }
  EXPECT_EQ(ReadServer(ini, QStringLiteral("Dbase")).MaxColIDLength, 10);
}

}  // namespace
}  // namespace veska
