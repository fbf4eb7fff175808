#include "engine/TableEngine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace veska {
namespace {

QByteArray ReadAll(const QString& path)
{
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

int U16(const QByteArray& b, int at)
{
  return quint8(b[at]) | (quint8(b[at + 1]) << 8);
}

TFieldDef Field(const char* name, TEngineFieldType type, int size = 0)
{
  return TFieldDef{QString::fromLatin1(name), type, size, false};
}

TIndexDef PrimaryOn(const QStringList& fields)
{
  return TIndexDef{QStringLiteral("PK"), fields, true, true};
}

QStringList Files(const QTemporaryDir& dir)
{
  return QDir(dir.path()).entryList(QDir::Files, QDir::Name);
}

// Every engine type, the size given, and what reading the table gives back.
struct TTypeCase {
  TEngineFieldType Type;
  int Size;
  TEngineFieldType ReadType;
  int ReadSize;
};

const TTypeCase kAllTypes[] = {
    {eftString, 30, eftString, 30},     {eftSmallint, 0, eftSmallint, 0},   {eftInteger, 0, eftInteger, 0},
    {eftWord, 0, eftInteger, 0},        {eftBoolean, 0, eftBoolean, 0},     {eftFloat, 0, eftFloat, 0},
    {eftCurrency, 0, eftCurrency, 0},   {eftBCD, 4, eftBCD, 4},             {eftDate, 0, eftDate, 0},
    {eftTime, 0, eftTime, 0},           {eftDateTime, 0, eftDateTime, 0},   {eftBytes, 16, eftBytes, 16},
    {eftVarBytes, 8, eftBytes, 8},      {eftAutoInc, 0, eftAutoInc, 0},     {eftBlob, 0, eftBlob, 0},
    {eftMemo, 0, eftMemo, 0},           {eftGraphic, 0, eftGraphic, 0},     {eftFmtMemo, 0, eftFmtMemo, 0},
    {eftParadoxOle, 0, eftParadoxOle, 0}, {eftDBaseOle, 0, eftParadoxOle, 0}, {eftTypedBinary, 0, eftBlob, 0},
};

QList<TFieldDef> AllTypeFields()
{
  QList<TFieldDef> fields;
  for (const TTypeCase& c : kAllTypes)
    fields << TFieldDef{QStringLiteral("F%1").arg(int(c.Type)), c.Type, c.Size, false};
  return fields;
}

TEST(ParadoxTables, WritesTheHeaderOfAKeyedTableWithItsPrimaryIndex)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  CreateTable(dir.path(), QStringLiteral("CUST"), TTableType::Paradox,
              {Field("ID", eftInteger), Field("Last Name", eftString, 20), Field("Price", eftBCD, 2)},
              {PrimaryOn({QStringLiteral("ID")})});
  EXPECT_EQ(Files(dir), QStringList({QStringLiteral("CUST.DB"), QStringLiteral("CUST.PX")}));

  const QByteArray db = ReadAll(dir.filePath(QStringLiteral("CUST.DB")));
  ASSERT_EQ(db.size(), 2048);  // header only: no records, no data blocks
  EXPECT_EQ(U16(db, 0x00), 4 + 20 + 17);
  EXPECT_EQ(U16(db, 0x02), 2048);
  EXPECT_EQ(db[0x04], 0);  // keyed
  EXPECT_EQ(db[0x05], 2);  // 2 KB blocks
  EXPECT_EQ(U16(db, 0x06), 0);
  EXPECT_EQ(U16(db, 0x21), 3);
  EXPECT_EQ(U16(db, 0x23), 1);
  EXPECT_EQ(db[0x39], 12);
  EXPECT_EQ(U16(db, 0x6A), 1252);
  EXPECT_EQ(db.mid(0x78, 6), QByteArray("\x04\x04\x01\x14\x17\x02", 6));
  const int tableName = 0x78 + 3 * 2 + 4 + 3 * 4;
  EXPECT_EQ(db.mid(tableName, 5), QByteArray("CUST\0", 5));
  EXPECT_EQ(db.mid(tableName + 261, 19), QByteArray("ID\0Last Name\0Price\0", 19));

  const QByteArray px = ReadAll(dir.filePath(QStringLiteral("CUST.PX")));
  ASSERT_EQ(px.size(), 2048);
  EXPECT_EQ(px[0x04], 1);  // primary index
  EXPECT_EQ(U16(px, 0x00), 4 + 6);
  EXPECT_EQ(U16(px, 0x21), 1);  // the key field; the three trailing shorts are no fields
  EXPECT_EQ(U16(px, 0x23), 1);
  EXPECT_EQ(px[0x39], 12);
  EXPECT_EQ(px.mid(0x58, 2 + 4 + 5), QByteArray("\x04\x04\0\0\0\0CUST\0", 11));
}

TEST(ParadoxTables, UnkeyedTableHasNoIndexAndBlobFieldsGetABlobFile)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  CreateTable(dir.path(), QStringLiteral("notes"), TTableType::Paradox,
              {Field("Title", eftString, 40), Field("Body", eftMemo)}, {});
  EXPECT_EQ(Files(dir), QStringList({QStringLiteral("notes.DB"), QStringLiteral("notes.MB")}));
  const QByteArray db = ReadAll(dir.filePath(QStringLiteral("notes.DB")));
  EXPECT_EQ(db[0x04], 2);
  EXPECT_EQ(U16(db, 0x23), 0);
  EXPECT_EQ(U16(db, 0x00), 40 + 11);  // a memo keeps one byte and its 10-byte reference in the record
  const QByteArray mb = ReadAll(dir.filePath(QStringLiteral("notes.MB")));
  ASSERT_EQ(mb.size(), 4096);
  EXPECT_EQ(mb[0], 0);
  EXPECT_EQ(U16(mb, 1), 1);
}

TEST(ParadoxTables, EveryFieldTypeReadsBackWithItsKeyFields)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QList<TFieldDef> fields = AllTypeFields();
  CreateTable(dir.path(), QStringLiteral("ALL"), TTableType::Paradox, fields,
              {PrimaryOn({fields[0].Name, fields[1].Name.toLower()})});
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("ALL.DB"));
  ASSERT_EQ(read.size(), fields.size());
  for (int i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(read[i].Name, fields[i].Name);
    EXPECT_EQ(read[i].Type, kAllTypes[i].ReadType);
    EXPECT_EQ(read[i].Size, kAllTypes[i].ReadSize);
    EXPECT_EQ(read[i].InPrimaryIndex, i < 2);
  }
}

TEST(ParadoxTables, RefusesNamesAndDefinitionsItCannotStoreAndLeavesNoFile)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QList<TFieldDef> one = {Field("ID", eftInteger)};
  for (const char* bad : {"", "TOOLONGXX", "a/b", "..", "../x", "caf\xc3\xa9", "A-B", "A B"})
    EXPECT_THROW(CreateTable(dir.path(), QString::fromUtf8(bad), TTableType::Paradox, one, {}), TEngineError) << bad;

  const QList<QList<TFieldDef>> badFields = {
      {},
      {Field("", eftInteger)},
      {Field("ABCDEFGHIJKLMNOPQRSTUVWXYZ", eftInteger)},  // 26 characters
      {Field("A-B", eftInteger)},
      {Field(" A", eftInteger)},
      {Field("A ", eftInteger), Field("A", eftInteger)},
      {Field("Name", eftInteger), Field("NAME", eftString, 5)},
      {Field("S", eftString, 0)},
      {Field("S", eftString, 256)},
      {Field("B", eftBytes, 0)},
      {Field("D", eftBCD, 33)},
      {Field("U", eftUnknown)},
      {Field("A", eftString, 255), Field("B", eftString, 255), Field("C", eftString, 255)},
  };
  for (int i = 0; i < badFields.size(); ++i) {
    QList<TFieldDef> fields = badFields[i];
    if (i == badFields.size() - 1)  // records longer than the largest block
      for (int n = 0; n < 130; ++n)
        fields << TFieldDef{QStringLiteral("X%1").arg(n), eftString, 255, false};
    EXPECT_THROW(CreateTable(dir.path(), QStringLiteral("T"), TTableType::Paradox, fields, {}), TEngineError) << i;
  }
  EXPECT_NO_THROW(CreateTable(dir.path(), QStringLiteral("T25"), TTableType::Paradox,
                              {Field("ABCDEFGHIJKLMNOPQRSTUVWXY", eftInteger)}, {}));
  QFile::remove(dir.filePath(QStringLiteral("T25.DB")));

  const QList<TFieldDef> two = {Field("A", eftInteger), Field("B", eftMemo), Field("C", eftInteger)};
  const QList<QList<TIndexDef>> badIndexes = {
      {PrimaryOn({QStringLiteral("C")})},                           // not the first field
      {PrimaryOn({QStringLiteral("B"), QStringLiteral("A")})},      // not in table order
      {PrimaryOn({QStringLiteral("A"), QStringLiteral("B")})},      // a memo in the key
      {PrimaryOn({QStringLiteral("Missing")})},
      {PrimaryOn({QStringLiteral("A")}), PrimaryOn({QStringLiteral("A")})},
      {TIndexDef{QStringLiteral("ByC"), {QStringLiteral("C")}, false, false}},
  };
  for (int i = 0; i < badIndexes.size(); ++i)
    EXPECT_THROW(CreateTable(dir.path(), QStringLiteral("T"), TTableType::Paradox, two, badIndexes[i]), TEngineError)
        << i;
  EXPECT_TRUE(Files(dir).isEmpty()) << Files(dir).join(QLatin1Char(' ')).toStdString();
}

TEST(ParadoxTables, RefusesToCreateOverAnyFileOfAnExistingTable)
{
  for (const char* existing : {"t.db", "T.Px", "t.MB", "T.X02", "t.val"}) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteAll(dir.filePath(QString::fromLatin1(existing)), "old");
    EXPECT_THROW(CreateTable(dir.path(), QStringLiteral("T"), TTableType::Paradox, {Field("A", eftInteger)}, {}),
                 TEngineError)
        << existing;
    EXPECT_EQ(Files(dir), QStringList(QString::fromLatin1(existing)));
    EXPECT_EQ(ReadAll(dir.filePath(QString::fromLatin1(existing))), QByteArray("old"));
  }
}

TEST(ParadoxTables, FailedCreateRemovesTheFilesAlreadyWritten)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // The blob file, written last, cannot take the place of a directory.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("T.MB")));
  EXPECT_THROW(CreateTable(dir.path(), QStringLiteral("T"), TTableType::Paradox,
                           {Field("A", eftInteger), Field("B", eftBlob)}, {PrimaryOn({QStringLiteral("A")})}),
               TEngineError);
  EXPECT_TRUE(Files(dir).isEmpty()) << Files(dir).join(QLatin1Char(' ')).toStdString();
}

TEST(ParadoxTables, DeleteRemovesOnlyThatTablesFilesInAnyLetterCase)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* f : {"cust.db", "CUST.px", "Cust.MB", "CUST.X01", "CUST.Y01", "CUST.VAL", "CUST.DBF", "CUST.TXT",
                        "CUSTOMER.DB", "OTHER.DB"})
    WriteAll(dir.filePath(QString::fromLatin1(f)), "x");
  DeleteTable(dir.path(), QStringLiteral("Cust"), TTableType::Paradox);
  EXPECT_EQ(Files(dir), QStringList({QStringLiteral("CUST.DBF"), QStringLiteral("CUST.TXT"),
                                     QStringLiteral("CUSTOMER.DB"), QStringLiteral("OTHER.DB")}));
  EXPECT_THROW(DeleteTable(dir.path(), QStringLiteral("CUST"), TTableType::Paradox), TEngineError);
  EXPECT_THROW(DeleteTable(dir.path(), QStringLiteral("../OTHER"), TTableType::Paradox), TEngineError);
  EXPECT_THROW(DeleteTable(dir.path(), QStringLiteral("OTHER.DB"), TTableType::Paradox), TEngineError);
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("OTHER.DB"))));
}

TEST(ParadoxTables, DamagedOrShortFilesAreErrorsNeverCrashes)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  CreateTable(dir.path(), QStringLiteral("GOOD"), TTableType::Paradox, AllTypeFields(), {});
  const QByteArray good = ReadAll(dir.filePath(QStringLiteral("GOOD.DB")));
  const QString bad = dir.filePath(QStringLiteral("BAD.DB"));

  // Every cut that loses part of the names is refused.
  const int namesEnd = good.lastIndexOf(QByteArray("F21", 3)) + 4;
  for (int cut = 0; cut < namesEnd; ++cut) {
    WriteAll(bad, good.left(cut));
    EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("BAD.DB")), TEngineError) << cut;
  }
  const std::pair<int, char> corruptions[] = {
      {0x04, 1},           // an index file, not a table
      {0x39, 0x40},        // unknown version
      {0x21, 0},           // no fields
      {0x24, 1},           // more key fields than fields
      {0x03, char(0x7F)},  // header larger than the file
      {0x79, char(0x99)},  // a field size that disagrees with the record size
  };
  for (const auto& [at, value] : corruptions) {
    QByteArray b = good;
    b[at] = value;
    WriteAll(bad, b);
    EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("BAD.DB")), TEngineError) << at;
  }
  // Field names that run to the end of the header without a terminator.
  QByteArray unterminated = good;
  for (int i = namesEnd - 4; i < unterminated.size(); ++i)
    unterminated[i] = 'N';
  WriteAll(bad, unterminated);
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("BAD.DB")), TEngineError);
}

TEST(ParadoxTables, ReadsAParadox3HeaderWithItsShorterLayout)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QByteArray h(2048, '\0');
  h[0x00] = 4 + 10;
  h[0x03] = 0x08;  // header size 2048
  h[0x21] = 2;
  h[0x23] = 1;
  h[0x39] = 3;
  h.replace(0x58, 4, QByteArray("\x04\x04\x01\x0a", 4));
  const int names = 0x58 + 4 + 4 + 2 * 4 + 79;
  h.replace(names, 8, QByteArray("NO\0NAME\0", 8));
  WriteAll(dir.filePath(QStringLiteral("OLD.DB")), h);
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("OLD.DB"));
  ASSERT_EQ(read.size(), 2);
  EXPECT_EQ(read[0].Name, QStringLiteral("NO"));
  EXPECT_EQ(read[0].Type, eftInteger);
  EXPECT_TRUE(read[0].InPrimaryIndex);
  EXPECT_EQ(read[1].Name, QStringLiteral("NAME"));
  EXPECT_EQ(read[1].Type, eftString);
  EXPECT_EQ(read[1].Size, 10);
  EXPECT_FALSE(read[1].InPrimaryIndex);
}

TEST(ParadoxTables, BcdDigitsAreCheckedAndNamesReadInTheTablesCodePageFromTheHeaderAlone)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  TFieldDef amount = Field("Amount", eftBCD, 2);
  amount.Precision = 12;
  CreateTable(dir.path(), QStringLiteral("STREETS"), TTableType::Paradox, {Field("Strasse", eftString, 30), amount}, {});
  for (const auto& [precision, decimals] : {std::pair{33, 2}, std::pair{4, 5}}) {
    TFieldDef wrong = Field("Wrong", eftBCD, decimals);
    wrong.Precision = precision;
    EXPECT_THROW(CreateTable(dir.path(), QStringLiteral("BAD"), TTableType::Paradox, {wrong}, {}), TEngineError);
  }

  const QString path = dir.filePath(QStringLiteral("STREETS.DB"));
  QByteArray db = ReadAll(path);
  const int names = db.indexOf(QByteArray("Strasse\0", 8));
  ASSERT_GT(names, 0);
  db.replace(names, 8, QByteArray("Stra\xE1" "e\0\0", 8));  // "Straße" in code page 437
  db[0x6A] = char(437 & 0xFF);
  db[0x6B] = char(437 >> 8);
  WriteAll(path, db);
  // Records that the header does not describe lie beyond it: a sparse
  // gigabyte is never read.
  QFile big(path);
  ASSERT_TRUE(big.resize((qint64(1) << 30) + 4096));
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("STREETS.DB"));
  ASSERT_EQ(read.size(), 2);
  EXPECT_EQ(read[0].Name, QStringLiteral(u"Straße"));
  EXPECT_EQ(read[1].Size, 2);

  WriteAll(dir.filePath(QStringLiteral("proj.db")), QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\0'));
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("proj.db")), TNotATableError);
}

#ifdef VESKA_PXTOOL  // always defined by the test build
// Runs the pxlib helper; its output, or an empty text when it failed.
QString RunPxTool(const char* command, const QString& file, const QString& second = {})
{
  QProcess p;
  QStringList args = {QString::fromLatin1(command), file};
  if (!second.isEmpty())
    args << second;
  p.start(QStringLiteral(VESKA_PXTOOL), args);
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    ADD_FAILURE() << "pxtool " << command << ": " << p.readAllStandardError().constData();
    return {};
  }
  return QString::fromLatin1(p.readAllStandardOutput());
}

TEST(ParadoxTables, PxlibReadsTheTablesWeWrite)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QList<TFieldDef> fields = AllTypeFields();
  CreateTable(dir.path(), QStringLiteral("ALL"), TTableType::Paradox, fields, {PrimaryOn({fields[0].Name})});
  const QString info = RunPxTool("info", dir.filePath(QStringLiteral("ALL.DB")));
  ASSERT_FALSE(info.isEmpty());
  const QStringList lines = info.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), fields.size() + 1);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("filetype 0 version 70 fields 21 keyfields 1 records 0")))
      << lines[0].toStdString();
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral("headersize 2048")));
  EXPECT_EQ(lines[1], QStringLiteral("field F1 type 1 size 30"));
  EXPECT_EQ(lines[8], QStringLiteral("field F8 type 23 size 17"));
  EXPECT_EQ(lines[16], QStringLiteral("field F16 type 12 size 11"));

  const QString index = RunPxTool("info", dir.filePath(QStringLiteral("ALL.PX")));
  EXPECT_TRUE(index.startsWith(QStringLiteral("filetype 1 version 70 fields 1 "))) << index.toStdString();
}

TEST(ParadoxTables, PxlibAttachesThePrimaryIndexNotCountingItsTrailingFieldsAndAKeyTooWideIsRefused)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QList<QList<TFieldDef>> keys = {
      {Field("ID", eftInteger)},
      {Field("Code", eftString, 12), Field("Line", eftSmallint), Field("Price", eftBCD, 2)},
      {Field("A", eftString, 255), Field("B", eftString, 255), Field("C", eftString, 255)},
  };
  int n = 0;
  for (const QList<TFieldDef>& key : keys) {
    const QString name = QStringLiteral("KEYS%1").arg(++n);
    QStringList keyNames;
    for (const TFieldDef& f : key)
      keyNames << f.Name;
    CreateTable(dir.path(), name, TTableType::Paradox, key + QList<TFieldDef>{Field("Notes", eftMemo)},
                {PrimaryOn(keyNames)});
    const QByteArray px = ReadAll(dir.filePath(name + QStringLiteral(".PX")));
    EXPECT_EQ(U16(px, 0x21), key.size()) << name.toStdString();
    const QString attached =
        RunPxTool("attach", dir.filePath(name + QStringLiteral(".DB")), dir.filePath(name + QStringLiteral(".PX")));
    EXPECT_EQ(attached, QStringLiteral("attached: index fields %1 keyfields %1\n").arg(key.size()))
        << name.toStdString();
  }

  QList<TFieldDef> wide;
  QStringList wideKey;
  for (int i = 0; i < 20; ++i) {
    wide << TFieldDef{QStringLiteral("Text%1").arg(i), eftString, 255, false};
    wideKey << wide.back().Name;
  }
  const QStringList before = Files(dir);
  try {
    CreateTable(dir.path(), QStringLiteral("WIDE"), TTableType::Paradox, wide, {PrimaryOn(wideKey)});
    ADD_FAILURE() << "a key of 5,100 bytes was written";
  } catch (const TEngineError& e) {
    EXPECT_TRUE(e.Message().contains(QLatin1String("WIDE"))) << e.what();
  }
  EXPECT_EQ(Files(dir), before);
}

TEST(ParadoxTables, ReadsATableThatPxlibWrote)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_FALSE(RunPxTool("create", dir.filePath(QStringLiteral("PXLIB.DB"))).isEmpty());
  const QList<TFieldInfo> read = ReadTableFields(dir.path(), QStringLiteral("PXLIB.DB"));
  ASSERT_EQ(read.size(), 5);
  const std::pair<const char*, TEngineFieldType> expected[] = {
      {"ID", eftInteger}, {"Name", eftString}, {"Born", eftDate}, {"Price", eftBCD}, {"Notes", eftMemo}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(read[i].Name, QString::fromLatin1(expected[i].first));
    EXPECT_EQ(read[i].Type, expected[i].second);
  }
  EXPECT_EQ(read[1].Size, 30);
  EXPECT_EQ(read[3].Size, 2);
  for (const TFieldInfo& f : read)
    EXPECT_FALSE(f.InPrimaryIndex);
}
#endif

}  // namespace
}  // namespace veska
