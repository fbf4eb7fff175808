#include "engine/TableEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
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
      // dBASE IV knows no B or G fields: binary and OLE data go into memos.
      {{"F_BLOB", eftBlob}, eftMemo, 0, 'M', 10, 0},
      {{"F_MEMO", eftMemo}, eftMemo, 0, 'M', 10, 0},
      {{"F_GRAPHIC", eftGraphic}, eftMemo, 0, 'M', 10, 0},
      {{"F_FMTMEMO", eftFmtMemo}, eftMemo, 0, 'M', 10, 0},
      {{"F_PDXOLE", eftParadoxOle}, eftMemo, 0, 'M', 10, 0},
      {{"F_DBOLE", eftDBaseOle}, eftMemo, 0, 'M', 10, 0},
      {{"F_TYPED", eftTypedBinary}, eftMemo, 0, 'M', 10, 0},
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
  EXPECT_EQ(Files(dir), QStringList{QStringLiteral("orders.dbf")});
  const QByteArray b = Bytes(dir.filePath(QStringLiteral("orders.dbf")));
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
  EXPECT_EQ(Files(dir), QStringList({QStringLiteral("NOTES.dbf"), QStringLiteral("NOTES.dbt")}));
  EXPECT_EQ(quint8(Bytes(dir.filePath(QStringLiteral("NOTES.dbf")))[0]), 0x8B);
  const QByteArray dbt = Bytes(dir.filePath(QStringLiteral("NOTES.dbt")));
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
  const QByteArray dbf = Bytes(dir.filePath(QStringLiteral("CUST.dbf")));
  EXPECT_EQ(dbf[28], 1);
  EXPECT_EQ(dbf[32 + 31], 0);
  EXPECT_EQ(dbf[64 + 31], 1);

  const QByteArray m = Bytes(dir.filePath(QStringLiteral("CUST.mdx")));
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
  QByteArray m = Bytes(dir.filePath(QStringLiteral("LINES.mdx")));
  const int tag = 4 * 512;
  EXPECT_EQ(m[544 + 20], 'N');
  EXPECT_EQ(quint8(m[tag + 8]), 0x10);
  EXPECT_EQ(m[tag + 23], 0);
  EXPECT_EQ(U16(m, tag + 12), 12);
  EXPECT_EQ(U16(m, tag + 16), 0);
  EXPECT_EQ(m.mid(tag + 24, 9), QByteArray("ORDER_NO\0", 9));
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("LINES.dbf"));
  ASSERT_EQ(read.size(), 2);
  EXPECT_TRUE(read[0].InPrimaryIndex);
  EXPECT_FALSE(read[1].InPrimaryIndex);

  Create(dir, QStringLiteral("DAYS"), {{"DAY", eftDate}}, {{"PK", {"DAY"}, true, true}});
  m = Bytes(dir.filePath(QStringLiteral("DAYS.mdx")));
  EXPECT_EQ(m[544 + 20], 'D');
  EXPECT_EQ(U16(m, tag + 12), 8);
  EXPECT_EQ(U16(m, tag + 16), 1);
}

TEST(DbaseTables, EveryFieldTypeReadsBackAsDocumented)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("ALLTYPES"), AllTypes(), {{"PK", {"F_INT"}, true, true}});
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("ALLTYPES.dbf"));
  const QList<TTypeCase>& cases = TypeCases();
  ASSERT_EQ(read.size(), cases.size());
  const QByteArray dbf = Bytes(dir.filePath(QStringLiteral("ALLTYPES.dbf")));
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
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ORDERS.dbf")));
  EXPECT_THROW(
      Create(dir, QStringLiteral("ORDERS"), {{"ID", eftInteger}, {"TEXT", eftMemo}}, {{"PK", {"ID"}, true, true}}),
      TEngineError);
  EXPECT_EQ(Files(dir), QStringList{QStringLiteral("ORDERS.dbf")});
}

TEST(DbaseTables, DeleteRemovesOnlyThatTablesFilesInAnyLetterCase)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("ORDERS"), {{"ID", eftInteger}, {"TEXT", eftMemo}}, {{"PK", {"ID"}, true, true}});
  QFile::rename(dir.filePath(QStringLiteral("ORDERS.mdx")), dir.filePath(QStringLiteral("orders.MDX")));
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
  const QByteArray dbf = Bytes(dir.filePath(QStringLiteral("GOOD.dbf")));
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
  const QString mdxPath = dir.filePath(QStringLiteral("GOOD.mdx"));
  const QByteArray mdx = Bytes(mdxPath);
  QFile::remove(mdxPath);
  QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("GOOD.dbf"));
  ASSERT_EQ(read.size(), 2);
  EXPECT_FALSE(read[0].InPrimaryIndex);
  for (int size : {0, 100, 560, 2048, 2048 + 20}) {
    WriteBytes(mdxPath, mdx.left(size));
    EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("GOOD.dbf")), TEngineError) << size;
  }
  changed = mdx;
  changed[544] = char(0x7F);  // tag header page far past the end
  WriteBytes(mdxPath, changed);
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("GOOD.dbf")), TEngineError);
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
  const QString path = dir.filePath(QStringLiteral("ALLTYPES.dbf"));
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
       dir.filePath(QStringLiteral("ALLTYPES.mdx"))},
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

TEST(DbaseTables, DecimalsKeepTheirPrecisionAndScaleInsteadOfTenDecimals)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  auto bcd = [](const char* name, int precision, int decimals) {
    TFieldDef f{QString::fromLatin1(name), eftBCD, decimals};
    f.Precision = precision;
    return f;
  };
  Create(dir, QStringLiteral("MONEY"), {bcd("AMOUNT", 12, 2), bcd("QTY", 5, 0), bcd("RATE", 18, 18), bcd("OLD", 0, 2)});
  const QByteArray b = Bytes(dir.filePath(QStringLiteral("MONEY.dbf")));
  const int expected[][2] = {{14, 2}, {6, 0}, {20, 18}, {20, 2}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(b[32 + 32 * i + 11], 'N') << i;
    EXPECT_EQ(b[32 + 32 * i + 16], expected[i][0]) << i;
    EXPECT_EQ(b[32 + 32 * i + 17], expected[i][1]) << i;
  }
  EXPECT_EQ(U16(b, 10), 1 + 14 + 6 + 20 + 20);
  for (const TFieldDef& wrong : {bcd("WIDE", 19, 2), bcd("SCALE", 4, 5), bcd("NEG", -1, 0)})
    EXPECT_THROW(Create(dir, QStringLiteral("BAD"), {wrong}), TEngineError) << wrong.Name.toStdString();
}

TEST(DbaseTables, DropClearsAMemoOrIndexFileLeftWithoutItsTable)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  WriteBytes(dir.filePath(QStringLiteral("customer.mdx")), "stray");
  WriteBytes(dir.filePath(QStringLiteral("CUSTOMER.DBT")), "stray");
  EXPECT_THROW(Create(dir, QStringLiteral("Customer"), {{"ID", eftInteger}}), TEngineError);
  DeleteTable(dir.path(), QStringLiteral("Customer"), TTableType::Dbase);
  EXPECT_EQ(Files(dir), QStringList());
  Create(dir, QStringLiteral("Customer"), {{"ID", eftInteger}});
  EXPECT_EQ(Files(dir), QStringList{QStringLiteral("Customer.dbf")});
  EXPECT_THROW(DeleteTable(dir.path(), QStringLiteral("Other"), TTableType::Dbase), TEngineError);
}

TEST(DbaseTables, MessagesNameTheTableOfTheFieldTheyAreAbout)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QList<TFieldDef> bad[] = {{{"", eftInteger}}, {{"X", eftString, 0}}, {{"1ST", eftInteger}}, {{"X", eftUnknown}}};
  for (const QList<TFieldDef>& fields : bad) {
    try {
      Create(dir, QStringLiteral("ORDERS"), fields);
      ADD_FAILURE();
    } catch (const TEngineError& e) {
      EXPECT_TRUE(e.Message().contains(QLatin1String("ORDERS"))) << e.what();
    }
  }
}

TEST(DbaseTables, ReadsNamesInTheTablesCodePageAndTablesWithoutFields)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("STREETS"), {{"STRASSE", eftString, 30}, {"ID", eftInteger}});
  const QString path = dir.filePath(QStringLiteral("STREETS.dbf"));
  QByteArray b = Bytes(path);
  b.replace(32, 7, QByteArray("STRA\xE1" "E\0", 7));  // "Straße" in code page 437
  b[29] = char(0x01);                                  // language driver: code page 437
  WriteBytes(path, b);
  QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("STREETS.dbf"));
  ASSERT_EQ(read.size(), 2);
  EXPECT_EQ(read[0].Name, QStringLiteral(u"STRAßE"));
  b[29] = char(0xC9);  // Windows-1251
  b.replace(32, 7, QByteArray("\xC4\xCE\xCC\0\0\0\0", 7));
  WriteBytes(path, b);
  read = ReadTableFields(dir.path(), QStringLiteral("STREETS.dbf"));
  EXPECT_EQ(read[0].Name, QStringLiteral(u"ДОМ"));

  // shapelib writes a table without fields when none is named.
  QString skip;
  RunTool(QStringLiteral("dbfcreate"), {dir.filePath(QStringLiteral("empty.dbf"))}, skip);
  if (!skip.isEmpty())
    FAIL() << skip.toStdString();
  EXPECT_EQ(ReadTableFields(dir.path(), QStringLiteral("empty.dbf")).size(), 0);
}

TEST(DbaseTables, FilesThatAreNoTablesAtAllAreToldFromDamagedTables)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QByteArray sqlite("SQLite format 3\0", 16);
  sqlite.append(QByteArray(4080, '\x01'));
  const QByteArray compound = QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0');
  for (const QByteArray& other : {sqlite, compound, QByteArray("x")}) {
    WriteBytes(dir.filePath(QStringLiteral("proj.dbf")), other);
    WriteBytes(dir.filePath(QStringLiteral("Thumbs.db")), other);
    EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("proj.dbf")), TNotATableError);
    EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("Thumbs.db")), TNotATableError);
  }
  Create(dir, QStringLiteral("GOOD"), {{"ID", eftInteger}});
  QByteArray damaged = Bytes(dir.filePath(QStringLiteral("GOOD.dbf")));
  damaged[10] = 3;  // a record length the fields do not add up to
  WriteBytes(dir.filePath(QStringLiteral("GOOD.dbf")), damaged);
  try {
    ReadTableFields(dir.path(), QStringLiteral("GOOD.dbf"));
    ADD_FAILURE();
  } catch (const TNotATableError&) {
    ADD_FAILURE() << "a damaged table is a table";
  } catch (const TEngineError&) {
  }
}

TEST(DbaseTables, ReadsOnlyTheHeaderOfATableLargerThanAGigabyte)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("HUGE"), {{"ID", eftInteger}, {"NAME", eftString, 29}});
  QFile f(dir.filePath(QStringLiteral("HUGE.dbf")));
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  // 30 million records of 41 bytes, as a sparse file.
  const qint64 records = 30'000'000;
  f.seek(4);
  const char count[4] = {char(records & 0xFF), char((records >> 8) & 0xFF), char((records >> 16) & 0xFF),
                         char(records >> 24)};
  f.write(count, 4);
  ASSERT_TRUE(f.resize(32 + 64 + 1 + records * 41 + 1));
  f.close();
  ASSERT_GT(QFileInfo(f.fileName()).size(), qint64(1) << 30);
  QElapsedTimer timer;
  timer.start();
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("HUGE.dbf"));
  EXPECT_LT(timer.elapsed(), 2000);
  ASSERT_EQ(read.size(), 2);
  EXPECT_EQ(read[1].Name, QLatin1String("NAME"));
}

TEST(DbaseTables, EveryIndependentReaderFindsTheMemoAndIndexBesideTheTable)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Create(dir, QStringLiteral("Notes"), {{"ID", eftInteger}, {"BODY", eftMemo}, {"PICTURE", eftGraphic}},
         {{"PK", {"ID"}, true, true}});
  // Readers that look for one letter case look for the lower one.
  EXPECT_EQ(Files(dir), QStringList({QStringLiteral("Notes.dbf"), QStringLiteral("Notes.dbt"),
                                     QStringLiteral("Notes.mdx")}));
  const QString path = dir.filePath(QStringLiteral("Notes.dbf"));
  QString skip;
  const QString python = RunTool(
      QStringLiteral("/usr/bin/python3"),
      {QStringLiteral("-c"),
       QStringLiteral("import sys, dbfread\n"
                      "t = dbfread.DBF(sys.argv[1], load=True)\n"
                      "print(t.memofilename.rsplit('/', 1)[1], [f.type for f in t.fields])\n"),
       path},
      skip);
  if (!skip.isEmpty())
    FAIL() << skip.toStdString();
  EXPECT_EQ(python.toStdString(), "Notes.dbt ['N', 'M', 'M']\n");
  const QString perl = RunTool(
      QStringLiteral("perl"),
      {QStringLiteral("-MXBase"), QStringLiteral("-e"),
       QStringLiteral("my $t = XBase->new($ARGV[0]) or die XBase->errstr; $t->init_memo_field or die 'no memo';"
                      " print join(',', $t->field_types), \"\\n\";"),
       path},
      skip);
  if (!skip.isEmpty())
    FAIL() << skip.toStdString();
  EXPECT_EQ(perl.toStdString(), "N,M,M\n");
  const QString gdal = RunTool(QStringLiteral("ogrinfo"), {QStringLiteral("-ro"), QStringLiteral("-so"),
                                                            QStringLiteral("-al"), path},
                               skip);
  if (!skip.isEmpty())
    FAIL() << skip.toStdString();
  EXPECT_TRUE(gdal.contains(QLatin1String("Feature Count: 0"))) << gdal.toStdString();
  EXPECT_TRUE(gdal.contains(QLatin1String("BODY: String"))) << gdal.toStdString();
}

}  // namespace
}  // namespace veska
