#include "engine/TableEngine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska {
namespace {

QByteArray Bytes(const QString& path)
{
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  return f.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

int U16(const QByteArray& b, int at)
{
  return quint8(b[at]) | quint8(b[at + 1]) << 8;
}

int U32(const QByteArray& b, int at)
{
  return U16(b, at) | U16(b, at + 2) << 16;
}

QStringList Files(const QTemporaryDir& dir)
{
  return QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

void Create(const QTemporaryDir& dir, const QString& name, const QList<TFieldDef>& fields,
            const QList<TIndexDef>& indexes = {})
{
  CreateTable(dir.path(), name, TTableType::Dbase, fields, indexes);
}

// One field of every type the engine knows, and what each reads back as.
struct TTypeCase {
  TFieldDef Def;
  TEngineFieldType ReadType;
  int ReadSize;
  char Letter;
  int Length;
  int Decimals;
};

const QList<TTypeCase>& TypeCases()
{
  static const QList<TTypeCase> cases = {
      {{"F_STRING", eftString, 30}, eftString, 30, 'C', 30, 0},
      {{"F_SMALL", eftSmallint}, eftSmallint, 0, 'N', 6, 0},
      {{"F_INT", eftInteger}, eftInteger, 0, 'N', 11, 0},
      {{"F_WORD", eftWord}, eftSmallint, 0, 'N', 6, 0},
      {{"F_BOOL", eftBoolean}, eftBoolean, 0, 'L', 1, 0},
      {{"F_FLOAT", eftFloat}, eftFloat, 0, 'F', 20, 4},
      {{"F_MONEY", eftCurrency}, eftBCD, 4, 'N', 20, 4},
      {{"F_BCD", eftBCD, 2}, eftBCD, 2, 'N', 20, 2},
      {{"F_DATE", eftDate}, eftDate, 0, 'D', 8, 0},
      {{"F_TIME", eftTime}, eftString, 8, 'C', 8, 0},
      {{"F_STAMP", eftDateTime}, eftString, 19, 'C', 19, 0},
      {{"F_BYTES", eftBytes, 16}, eftString, 16, 'C', 16, 0},
      {{"F_VARBYTES", eftVarBytes, 40}, eftString, 40, 'C', 40, 0},
      {{"F_AUTOINC", eftAutoInc}, eftInteger, 0, 'N', 11, 0},
      {{"F_BLOB", eftBlob}, eftBlob, 0, 'B', 10, 0},
      {{"F_MEMO", eftMemo}, eftMemo, 0, 'M', 10, 0},
      {{"F_GRAPHIC", eftGraphic}, eftBlob, 0, 'B', 10, 0},
      {{"F_FMTMEMO", eftFmtMemo}, eftMemo, 0, 'M', 10, 0},
      {{"F_PDXOLE", eftParadoxOle}, eftDBaseOle, 0, 'G', 10, 0},
      {{"F_DBOLE", eftDBaseOle}, eftDBaseOle, 0, 'G', 10, 0},
      {{"F_TYPED", eftTypedBinary}, eftBlob, 0, 'B', 10, 0},
  };
  return cases;
}

QList<TFieldDef> AllTypes()
{
  QList<TFieldDef> fields;
  for (const TTypeCase& c : TypeCases())
    fields << c.Def;
  return fields;
}

TEST(DbaseTables, WritesAnEmptyDbaseIvHeaderWithItsFieldDescriptors)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("orders"),
         {{"Cust_No", eftInteger}, {"NAME", eftString, 25}, {"PAID", eftBoolean}, {"PRICE", eftBCD, 2}});
  EXPECT_EQ(Files(dir), QStringList{QStringLiteral("orders.DBF")});
  const QByteArray b = Bytes(dir.filePath(QStringLiteral("orders.DBF")));
  const int headerLength = 32 + 32 * 4 + 1;
  ASSERT_EQ(b.size(), headerLength + 1);
  EXPECT_EQ(quint8(b[0]), 0x03);
  const QDate today = QDate::currentDate();
  EXPECT_EQ(QDate(1900 + quint8(b[1]), b[2], b[3]), today);
  EXPECT_EQ(U32(b, 4), 0);
  EXPECT_EQ(U16(b, 8), headerLength);
  EXPECT_EQ(U16(b, 10), 1 + 11 + 25 + 1 + 20);
  EXPECT_EQ(b[28], 0);
  EXPECT_EQ(quint8(b[29]), 0x57);
  EXPECT_EQ(b.mid(32, 11), QByteArray("CUST_NO\0\0\0\0", 11));
  EXPECT_EQ(b[32 + 11], 'N');
  EXPECT_EQ(b[32 + 16], 11);
  EXPECT_EQ(b[64 + 11], 'C');
  EXPECT_EQ(b[64 + 16], 25);
  EXPECT_EQ(b[128 + 11], 'N');
  EXPECT_EQ(b[128 + 16], 20);
  EXPECT_EQ(b[128 + 17], 2);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(b[32 + 32 * i + 31], 0);
  EXPECT_EQ(b[headerLength - 1], 0x0D);
  EXPECT_EQ(b[headerLength], 0x1A);
}

TEST(DbaseTables, MemoFieldsGiveVersion8BAndAnEmptyMemoFile)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("NOTES"), {{"ID", eftInteger}, {"TEXT", eftMemo}});
  EXPECT_EQ(Files(dir), QStringList({QStringLiteral("NOTES.DBF"), QStringLiteral("NOTES.DBT")}));
  EXPECT_EQ(quint8(Bytes(dir.filePath(QStringLiteral("NOTES.DBF")))[0]), 0x8B);
  const QByteArray dbt = Bytes(dir.filePath(QStringLiteral("NOTES.DBT")));
  ASSERT_EQ(dbt.size(), 512);
  EXPECT_EQ(U32(dbt, 0), 1);
  EXPECT_EQ(U16(dbt, 20), 512);
}

TEST(DbaseTables, PrimaryIndexWritesAProductionIndexWithTagPkOnTheFirstField)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("CUST"), {{"NAME", eftString, 20}, {"CUST_NO", eftString, 12}},
         {{"PK", {"cust_no"}, true, true}});
  const QByteArray dbf = Bytes(dir.filePath(QStringLiteral("CUST.DBF")));
  EXPECT_EQ(dbf[28], 1);
  EXPECT_EQ(dbf[32 + 31], 0);
  EXPECT_EQ(dbf[64 + 31], 1);

  const QByteArray m = Bytes(dir.filePath(QStringLiteral("CUST.MDX")));
  ASSERT_EQ(m.size(), 4096);
  EXPECT_EQ(m[0], 2);
  EXPECT_EQ(m.mid(4, 5), QByteArray("CUST\0", 5));
  EXPECT_EQ(U16(m, 20), 2);
  EXPECT_EQ(U16(m, 22), 1024);
  EXPECT_EQ(m[24], 1);
  EXPECT_EQ(m[25], 48);
  EXPECT_EQ(U16(m, 26), 32);
  EXPECT_EQ(U16(m, 28), 1);
  EXPECT_EQ(m[31], dbf[29]);
  EXPECT_EQ(U32(m, 32), 8);
  EXPECT_EQ(m[529], 1);
  // The tag entry.
  EXPECT_EQ(U32(m, 544), 4);
  EXPECT_EQ(m.mid(548, 3), QByteArray("PK\0", 3));
  EXPECT_EQ(m[544 + 15], 0x10);
  EXPECT_EQ(m[544 + 19], 2);
  EXPECT_EQ(m[544 + 20], 'C');
  // The tag header, unique, keyed on a 12-character text.
  const int tag = 4 * 512;
  EXPECT_EQ(U32(m, tag), 6);
  EXPECT_EQ(U32(m, tag + 4), 2);
  EXPECT_EQ(quint8(m[tag + 8]), 0x50);
  EXPECT_EQ(m[tag + 9], 'C');
  EXPECT_EQ(quint8(m[tag + 11]), 0x1B);
  EXPECT_EQ(U16(m, tag + 12), 12);
  EXPECT_EQ(U16(m, tag + 14), (1024 - 12) / 16);
  EXPECT_EQ(U16(m, tag + 18), 16);
  EXPECT_EQ(m[tag + 20], 1);
  EXPECT_EQ(m[tag + 23], 1);
  EXPECT_EQ(m.mid(tag + 24, 8), QByteArray("CUST_NO\0", 8));
  EXPECT_EQ(U32(m, tag + 248), 6);
  EXPECT_EQ(U32(m, tag + 252), 6);
  EXPECT_EQ(m.mid(6 * 512), QByteArray(1024, '\0'));
}

TEST(DbaseTables, IndexOfSeveralFieldsIndexesTheFirstNotUniqueAndKeysNumbersAndDates)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("LINES"), {{"ORDER_NO", eftInteger}, {"LINE_NO", eftSmallint}},
         {{"PK", {"ORDER_NO", "LINE_NO"}, true, false}});
  QByteArray m = Bytes(dir.filePath(QStringLiteral("LINES.MDX")));
  const int tag = 4 * 512;
  EXPECT_EQ(m[544 + 20], 'N');
  EXPECT_EQ(quint8(m[tag + 8]), 0x10);
  EXPECT_EQ(m[tag + 23], 0);
  EXPECT_EQ(U16(m, tag + 12), 12);
  EXPECT_EQ(U16(m, tag + 16), 0);
  EXPECT_EQ(m.mid(tag + 24, 9), QByteArray("ORDER_NO\0", 9));
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("LINES.DBF"));
  ASSERT_EQ(read.size(), 2);
  EXPECT_TRUE(read[0].InPrimaryIndex);
  EXPECT_FALSE(read[1].InPrimaryIndex);

  Create(dir, QStringLiteral("DAYS"), {{"DAY", eftDate}}, {{"PK", {"DAY"}, true, true}});
  m = Bytes(dir.filePath(QStringLiteral("DAYS.MDX")));
  EXPECT_EQ(m[544 + 20], 'D');
  EXPECT_EQ(U16(m, tag + 12), 8);
  EXPECT_EQ(U16(m, tag + 16), 1);
}

TEST(DbaseTables, EveryFieldTypeReadsBackAsDocumented)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("ALLTYPES"), AllTypes(), {{"PK", {"F_INT"}, true, true}});
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("ALLTYPES.DBF"));
  const QList<TTypeCase>& cases = TypeCases();
  ASSERT_EQ(read.size(), cases.size());
  const QByteArray dbf = Bytes(dir.filePath(QStringLiteral("ALLTYPES.DBF")));
  EXPECT_EQ(quint8(dbf[0]), 0x8B);
  for (int i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].Def.Name.toStdString());
    EXPECT_EQ(read[i].Name, cases[i].Def.Name);
    EXPECT_EQ(read[i].Type, cases[i].ReadType);
    EXPECT_EQ(read[i].Size, cases[i].ReadSize);
    EXPECT_EQ(read[i].InPrimaryIndex, cases[i].Def.Name == QLatin1String("F_INT"));
    EXPECT_EQ(dbf[32 + 32 * i + 11], cases[i].Letter);
    EXPECT_EQ(quint8(dbf[32 + 32 * i + 16]), cases[i].Length);
    EXPECT_EQ(dbf[32 + 32 * i + 17], cases[i].Decimals);
  }
}

TEST(DbaseTables, RefusesNamesTypesAndIndexesItCannotStoreAndLeavesNoFile)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QList<TFieldDef> one = {{"ID", eftInteger}};
  for (const char* name : {"", "TOOLONGNM", "a/b", "..", "a.b", "ORDER S", "ÄPFEL"})
    EXPECT_THROW(Create(dir, QString::fromUtf8(name), one), TEngineError) << name;
  QList<QList<TFieldDef>> badFields = {
      {},
      {{"", eftInteger}},
      {{"ELEVENCHARS", eftInteger}},
      {{"CUST-NO", eftInteger}},
      {{"1ST", eftInteger}},
      {{"NAME", eftString, 10}, {"Name", eftInteger}},
      {{"X", eftUnknown}},
      {{"X", eftString, 0}},
      {{"X", eftString, 255}},
      {{"X", eftBCD, 19}},
  };
  QList<TFieldDef> tooWide;
  for (int i = 0; i < 16; ++i)
    tooWide << TFieldDef{QStringLiteral("TEXT%1").arg(i), eftString, 254};
  badFields << tooWide;
  for (const QList<TFieldDef>& fields : badFields)
    EXPECT_THROW(Create(dir, QStringLiteral("T"), fields), TEngineError);
  const QList<TFieldDef> fields = {{"ID", eftInteger}, {"TEXT", eftMemo}};
  const QList<QList<TIndexDef>> badIndexes = {
      {{"PK", {"MISSING"}, true, true}},
      {{"PK", {"TEXT"}, true, true}},
      {{"PK", {}, true, true}},
      {{"", {"ID"}, true, true}},
      {{"PK", {"ID"}, true, true}, {"BYTEXT", {"ID"}, false, false}},
  };
  for (const QList<TIndexDef>& indexes : badIndexes)
    EXPECT_THROW(Create(dir, QStringLiteral("T"), fields, indexes), TEngineError);
  EXPECT_EQ(Files(dir), QStringList());
}

TEST(DbaseTables, RefusesToCreateOverAnyFileOfTheTableInAnyLetterCase)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* existing : {"orders.mdx", "Orders.Dbt", "ORDERS.dbf"}) {
    const QString path = dir.filePath(QString::fromLatin1(existing));
    WriteBytes(path, "keep");
    try {
      Create(dir, QStringLiteral("ORDERS"), {{"ID", eftInteger}, {"TEXT", eftMemo}}, {{"PK", {"ID"}, true, true}});
      ADD_FAILURE() << existing;
    } catch (const TEngineError& e) {
      EXPECT_TRUE(e.Message().contains(QLatin1String("exists already"))) << e.what();
    }
    EXPECT_EQ(Files(dir), QStringList{QString::fromLatin1(existing)});
    EXPECT_EQ(Bytes(path), QByteArray("keep"));
    QFile::remove(path);
  }
}

TEST(DbaseTables, CreateThatCannotWriteTheTableRemovesTheFilesItWrote)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A directory in the place of the .DBF makes its write fail after the
  // memo and index files were written.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ORDERS.DBF")));
  EXPECT_THROW(
      Create(dir, QStringLiteral("ORDERS"), {{"ID", eftInteger}, {"TEXT", eftMemo}}, {{"PK", {"ID"}, true, true}}),
      TEngineError);
  EXPECT_EQ(Files(dir), QStringList{QStringLiteral("ORDERS.DBF")});
}

TEST(DbaseTables, DeleteRemovesOnlyThatTablesFilesInAnyLetterCase)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("ORDERS"), {{"ID", eftInteger}, {"TEXT", eftMemo}}, {{"PK", {"ID"}, true, true}});
  QFile::rename(dir.filePath(QStringLiteral("ORDERS.MDX")), dir.filePath(QStringLiteral("orders.mdx")));
  for (const char* other : {"ORDERS.DB", "ORDERS.PX", "ORDERS2.DBF", "orders.txt"})
    WriteBytes(dir.filePath(QString::fromLatin1(other)), "other");
  DeleteTable(dir.path(), QStringLiteral("Orders"), TTableType::Dbase);
  EXPECT_EQ(Files(dir), QStringList({QStringLiteral("ORDERS.DB"), QStringLiteral("ORDERS.PX"),
                                     QStringLiteral("ORDERS2.DBF"), QStringLiteral("orders.txt")}));
  EXPECT_THROW(DeleteTable(dir.path(), QStringLiteral("ORDERS"), TTableType::Dbase), TEngineError);
  EXPECT_THROW(DeleteTable(dir.path(), QStringLiteral("../ORDERS2"), TTableType::Dbase), TEngineError);
  EXPECT_EQ(Files(dir).size(), 4);
}

TEST(DbaseTables, DamagedTablesAndIndexesAreErrorsNeverReadPastTheData)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("GOOD"), {{"ID", eftInteger}, {"NAME", eftString, 10}}, {{"PK", {"ID"}, true, true}});
  const QByteArray dbf = Bytes(dir.filePath(QStringLiteral("GOOD.DBF")));
  const QString bad = dir.filePath(QStringLiteral("BAD.DBF"));
  // Every cut of the header; the last one keeps the field terminator.
  for (int size = 0; size < 32 + 64 + 1; ++size) {
    WriteBytes(bad, dbf.left(size));
    EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("BAD.DBF")), TEngineError) << size;
  }
  QByteArray changed = dbf;
  changed[8] = char(0xFF);  // header length past the end
  WriteBytes(bad, changed);
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("BAD.DBF")), TEngineError);
  changed = dbf;
  changed[10] = 3;  // record length that does not fit the fields
  WriteBytes(bad, changed);
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("BAD.DBF")), TEngineError);
  WriteBytes(bad, QByteArray("This is a text file, not a table, with enough bytes to fill a header."));
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("BAD.DBF")), TEngineError);

  // A flagged index that is missing leaves the fields unkeyed; one that is
  // damaged is an error.
  const QString mdxPath = dir.filePath(QStringLiteral("GOOD.MDX"));
  const QByteArray mdx = Bytes(mdxPath);
  QFile::remove(mdxPath);
  QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("GOOD.DBF"));
  ASSERT_EQ(read.size(), 2);
  EXPECT_FALSE(read[0].InPrimaryIndex);
  for (int size : {0, 100, 560, 2048, 2048 + 20}) {
    WriteBytes(mdxPath, mdx.left(size));
    EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("GOOD.DBF")), TEngineError) << size;
  }
  changed = mdx;
  changed[544] = char(0x7F);  // tag header page far past the end
  WriteBytes(mdxPath, changed);
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("GOOD.DBF")), TEngineError);
}

// Output of an independent tool, or empty with the reason when it is not
// installed: scripts/test installs every reader, so a missing one fails.
QString RunTool(const QString& program, const QStringList& args, QString& skipReason)
{
  if (QStandardPaths::findExecutable(program).isEmpty()) {
    skipReason = program + QStringLiteral(" is not installed (see scripts/packages.sh)");
    return {};
  }
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed: " << p.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(DbaseTables, IndependentReadersSeeTheFieldsOfEveryTypeWeWrite)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("ALLTYPES"), AllTypes(), {{"PK", {"F_STRING"}, true, true}});
  const QString path = dir.filePath(QStringLiteral("ALLTYPES.DBF"));
  QString skip;
  const QString script = QStringLiteral(
      "import sys, dbfread\n"
      "t = dbfread.DBF(sys.argv[1], load=True)\n"
      "print(len(t))\n"
      "for f in t.fields: print(f.name, f.type, f.length, f.decimal_count)\n");
  // The system's Python, which has the Debian package of the reader.
  const QString seen = RunTool(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path}, skip);
  if (!skip.isEmpty())
    FAIL() << skip.toStdString();
  QString expected = QStringLiteral("0\n");
  for (const TTypeCase& c : TypeCases())
    expected += QStringLiteral("%1 %2 %3 %4\n").arg(c.Def.Name, QChar::fromLatin1(c.Letter)).arg(c.Length).arg(c.Decimals);
  EXPECT_EQ(seen.toStdString(), expected.toStdString());

  const QString info = RunTool(QStringLiteral("dbf_dump"), {QStringLiteral("--info"), path}, skip);
  if (!skip.isEmpty())
    FAIL() << skip.toStdString();
  for (const TTypeCase& c : TypeCases())
    EXPECT_TRUE(info.contains(c.Def.Name)) << c.Def.Name.toStdString() << " missing in " << info.toStdString();

  const QString tags = RunTool(
      QStringLiteral("perl"),
      {QStringLiteral("-MXBase::Index"), QStringLiteral("-e"),
       QStringLiteral("my $i = XBase::Index->new($ARGV[0], tag => 'PK') or die XBase::Index->errstr;"
                      " print join(',', $i->tags), \"\\n\";"),
       dir.filePath(QStringLiteral("ALLTYPES.MDX"))},
      skip);
  if (!skip.isEmpty())
    FAIL() << skip.toStdString();
  EXPECT_EQ(tags.toStdString(), "PK\n");
}

TEST(DbaseTables, ReadsATableWrittenByAnIndependentTool)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("shapes.dbf"));
  QString skip;
  RunTool(QStringLiteral("dbfcreate"),
          {path, QStringLiteral("-s"), QStringLiteral("NAME"), QStringLiteral("30"), QStringLiteral("-n"),
           QStringLiteral("QTY"), QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("-n"),
           QStringLiteral("COUNT"), QStringLiteral("10"), QStringLiteral("0"), QStringLiteral("-n"),
           QStringLiteral("PRICE"), QStringLiteral("12"), QStringLiteral("2")},
          skip);
  if (!skip.isEmpty())
    FAIL() << skip.toStdString();
  RunTool(QStringLiteral("dbfadd"),
          {path, QStringLiteral("Widget"), QStringLiteral("3"), QStringLiteral("70000"), QStringLiteral("9.95")}, skip);
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("shapes.dbf"));
  ASSERT_EQ(read.size(), 4);
  EXPECT_EQ(read[0].Name, QLatin1String("NAME"));
  EXPECT_EQ(read[0].Type, eftString);
  EXPECT_EQ(read[0].Size, 30);
  EXPECT_EQ(read[1].Type, eftSmallint);
  EXPECT_EQ(read[2].Type, eftInteger);
  EXPECT_EQ(read[3].Type, eftBCD);
  EXPECT_EQ(read[3].Size, 2);
  for (const TFieldInfo& f : read)
    EXPECT_FALSE(f.InPrimaryIndex);
}

}  // namespace
}  // namespace veska
