// dBASE tables: a .DBF file (dBASE IV), a .DBT memo file when the table has
// memo-type fields, and a production .MDX index holding one tag when an
// index is asked for. Tables are created empty, so the index holds no keys.
//
// The files are written with lower-case extensions: readers on systems whose
// file names are case-sensitive look for the table, its memo and its index
// that way, and those that try both find them as well. Every letter case is
// read and deleted.

#include "engine/FormatTables.h"
#include "engine/TableBytes.h"
#include "platform/SafeFile.h"
#include "platform/TextEncoding.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <iterator>

namespace veska::dbase {

namespace {

using namespace veska::engine;

constexpr int kMaxTableName = 8;
constexpr int kMaxFieldName = 10;
constexpr int kMaxCharLength = 254;
constexpr int kMaxNumericLength = 20;
constexpr int kMaxDecimals = 18;
constexpr int kMaxHeaderLength = 0xFFFF;  // a 16-bit count
constexpr int kMaxFields = 255;
constexpr int kMaxRecordLength = 4000;
constexpr char kLanguageDriver = 0x57;  // ANSI
constexpr int kMdxPage = 512;
constexpr int kMdxBlockPages = 2;
constexpr int kMdxTagSlots = 48;
constexpr int kMdxTagEntry = 32;
constexpr int kMdxTagHeaderPage = 4;
constexpr int kMdxRootPage = 6;
constexpr int kMdxPages = 8;
constexpr int kMdxTagEntries = 544;
constexpr int kMdxExpressionOffset = 24;
constexpr int kMdxMaxExpression = 220;
const char* const kTableSuffixes[] = {"DBF", "DBT", "MDX"};
// The version bytes of the dBASE family whose files this reader knows.
const quint8 kVersionBytes[] = {0x03, 0x04, 0x05, 0x43, 0x63, 0x83, 0x8B, 0x8C, 0xCB, 0xE5, 0xF5, 0xFB};

// How one field is stored: type letter, length and decimal count.
struct TStorage {
  char Letter = 'C';
  int Length = 0;
  int Decimals = 0;
};

bool IsMemoLetter(char letter)
{
  return letter == 'M';
}

void CheckFieldName(const QString& table, const QString& name)
{
  if (name.isEmpty())
    throw TEngineError(QStringLiteral("A field of table %1 needs a name.").arg(table));
  if (name.size() > kMaxFieldName || !IsPlainName(name) || !name.at(0).isLetter())
    throw TEngineError(QStringLiteral("Table %1: %2 is not a valid dBASE field name: use at most %3 letters, digits "
                                      "or underscores, beginning with a letter.")
                           .arg(table, name)
                           .arg(kMaxFieldName));
}

int CheckedSize(const QString& table, const TFieldDef& f, int low, int high)
{
  if (f.Size < low || f.Size > high)
    throw TEngineError(QStringLiteral("Table %1: the size %2 of field %3 is not between %4 and %5.")
                           .arg(table)
                           .arg(f.Size)
                           .arg(f.Name)
                           .arg(low)
                           .arg(high));
  return f.Size;
}

// A BCD field with its digits and decimals: the length adds the sign and,
// with decimals, the point. Without a precision it is the widest number,
// with 4 decimals when none are given.
TStorage NumberOf(const QString& table, const TFieldDef& f)
{
  if (f.Precision == 0)
    return {'N', kMaxNumericLength, f.Size == 0 ? 4 : CheckedSize(table, f, 1, kMaxDecimals)};
  const int decimals = CheckedSize(table, f, 0, kMaxDecimals);
  const int length = f.Precision + 1 + (decimals > 0 ? 1 : 0);
  if (f.Precision < 1 || decimals > f.Precision || length > kMaxNumericLength)
    throw TEngineError(QStringLiteral("Table %1: field %2 cannot have %3 digits with %4 decimals; a dBASE number holds "
                                      "at most %5 characters with its sign and point.")
                           .arg(table, f.Name)
                           .arg(f.Precision)
                           .arg(decimals)
                           .arg(kMaxNumericLength));
  return {'N', length, decimals};
}

// dBASE IV has no time, timestamp or counter types: times and timestamps are
// kept as text in ISO form, counters as whole numbers. Nor has it binary or
// OLE fields (the letters B and G mean other things to other dBASE family
// readers): their data goes into memo fields, which hold any bytes.
TStorage StorageOf(const QString& table, const TFieldDef& f)
{
  switch (f.Type) {
    case eftString:
    case eftBytes:
    case eftVarBytes:
      return {'C', CheckedSize(table, f, 1, kMaxCharLength), 0};
    case eftSmallint:
    case eftWord:
      return {'N', 6, 0};
    case eftInteger:
    case eftAutoInc:
      return {'N', 11, 0};
    case eftBoolean:
      return {'L', 1, 0};
    case eftFloat:
      return {'F', kMaxNumericLength, 4};
    case eftCurrency:
      return {'N', kMaxNumericLength, 4};
    case eftBCD:
      // The size of a BCD field counts its decimals; none given means 4.
      return NumberOf(table, f);
    case eftDate:
      return {'D', 8, 0};
    case eftTime:
      return {'C', 8, 0};
    case eftDateTime:
      return {'C', 19, 0};
    case eftMemo:
    case eftFmtMemo:
    case eftBlob:
    case eftGraphic:
    case eftTypedBinary:
    case eftParadoxOle:
    case eftDBaseOle:
      return {'M', 10, 0};
    case eftUnknown:
      break;
  }
  throw TEngineError(QStringLiteral("Table %1: field %2 has a type that dBASE tables cannot hold.").arg(table, f.Name));
}

void PutText(QByteArray& b, int at, const QString& text)
{
  const QByteArray latin = text.toLatin1();
  for (int i = 0; i < latin.size(); ++i)
    b[at + i] = latin[i];
}

void PutDate(QByteArray& b, int at, const QDate& d)
{
  b[at] = char(d.year() - 1900);
  b[at + 1] = char(d.month());
  b[at + 2] = char(d.day());
}

// NUL-terminated text of at most `max` bytes at `at`, never past the data,
// in the code page given (Latin-1 for 0).
QString GetText(const QByteArray& b, qsizetype at, qsizetype max, int codePage = 0)
{
  qsizetype end = at;
  while (end < b.size() && end - at < max && b[end] != '\0')
    ++end;
  return DecodeCodePage(QByteArrayView(b.constData() + at, end - at), codePage);
}

// The code page of a language driver byte; 0 when it names none known.
int CodePageOfLanguageDriver(quint8 driver)
{
  static const QHash<quint8, int> pages = {
      {0x01, 437},  {0x02, 850},  {0x03, 1252}, {0x04, 10000}, {0x08, 865},  {0x09, 437},  {0x0A, 850},
      {0x0B, 437},  {0x0D, 437},  {0x0E, 850},  {0x0F, 437},   {0x10, 850},  {0x11, 437},  {0x12, 850},
      {0x13, 932},  {0x14, 850},  {0x15, 437},  {0x16, 850},   {0x17, 865},  {0x18, 437},  {0x19, 437},
      {0x1A, 850},  {0x1B, 437},  {0x1C, 863},  {0x1D, 850},   {0x1F, 852},  {0x22, 852},  {0x23, 852},
      {0x24, 860},  {0x25, 850},  {0x26, 866},  {0x37, 850},   {0x40, 852},  {0x4D, 936},  {0x4E, 949},
      {0x4F, 950},  {0x50, 874},  {0x57, 1252}, {0x58, 1252},  {0x59, 1252}, {0x64, 852},  {0x65, 866},
      {0x66, 865},  {0x67, 861},  {0x6A, 737},  {0x6B, 857},   {0x78, 950},  {0x79, 949},  {0x7A, 936},
      {0x7B, 932},  {0x7C, 874},  {0x7D, 1255}, {0x7E, 1256},  {0xC8, 1250}, {0xC9, 1251}, {0xCA, 1254},
      {0xCB, 1253},
  };
  return pages.value(driver, 0);
}

// The files of table `name` in `dir` (.DBF, .DBT, .MDX in any letter case).
QStringList TableFiles(const QString& dir, const QString& name)
{
  QStringList found;
  const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QFileInfo& e : entries) {
    if (e.completeBaseName().compare(name, Qt::CaseInsensitive) != 0)
      continue;
    const QString suffix = e.suffix().toUpper();
    for (const char* s : kTableSuffixes)
      if (suffix == QLatin1String(s))
        found << e.absoluteFilePath();
  }
  return found;
}

// The deletion flag and the fields.
int RecordLength(const QList<TStorage>& storage)
{
  int length = 1;
  for (const TStorage& s : storage)
    length += s.Length;
  return length;
}

QByteArray DbfBytes(const QList<TFieldDef>& fields, const QList<TStorage>& storage, int indexedField, bool hasMdx,
                    bool hasMemo, const QDate& today)
{
  const int headerLength = 32 + 32 * int(fields.size()) + 1;
  const int recordLength = RecordLength(storage);
  QByteArray b(headerLength + 1, '\0');
  b[0] = char(hasMemo ? 0x8B : 0x03);
  PutDate(b, 1, today);
  Put16(b, 8, headerLength);
  Put16(b, 10, recordLength);
  b[28] = char(hasMdx ? 1 : 0);
  b[29] = kLanguageDriver;
  for (int i = 0; i < fields.size(); ++i) {
    const int at = 32 + 32 * i;
    PutText(b, at, fields[i].Name.toUpper());
    b[at + 11] = storage[i].Letter;
    b[at + 16] = char(storage[i].Length);
    b[at + 17] = char(storage[i].Decimals);
    b[at + 31] = char(i == indexedField ? 1 : 0);
  }
  b[headerLength - 1] = 0x0D;
  b[headerLength] = 0x1A;
  return b;
}

QByteArray DbtBytes()
{
  QByteArray b(512, '\0');
  Put32(b, 0, 1);
  Put16(b, 20, 512);
  return b;
}

QByteArray MdxBytes(const QString& tableName, const TIndexDef& index, const QString& fieldName,
                    const TStorage& key, const QDate& today)
{
  QByteArray b(kMdxPages * kMdxPage, '\0');
  b[0] = 2;
  PutDate(b, 1, today);
  PutText(b, 4, tableName.toUpper());
  Put16(b, 20, kMdxBlockPages);
  Put16(b, 22, kMdxBlockPages * kMdxPage);
  b[24] = 1;
  b[25] = char(kMdxTagSlots);
  Put16(b, 26, kMdxTagEntry);
  Put16(b, 28, 1);
  b[30] = 2;
  b[31] = kLanguageDriver;
  Put32(b, 32, kMdxPages);
  Put32(b, 36, kMdxPages);
  PutDate(b, 44, today);
  b[529] = 1;

  const char keyType = key.Letter == 'C' ? 'C' : key.Letter == 'D' ? 'D' : 'N';
  const int keyLength = keyType == 'C' ? key.Length : keyType == 'D' ? 8 : 12;
  const int itemLength = (keyLength + 4 + 3) / 4 * 4;

  const int entry = kMdxTagEntries;
  Put32(b, entry, kMdxTagHeaderPage);
  PutText(b, entry + 4, index.Name.toUpper());
  b[entry + 15] = 0x10;
  b[entry + 19] = 2;
  b[entry + 20] = keyType;

  const int tag = kMdxTagHeaderPage * kMdxPage;
  Put32(b, tag, kMdxRootPage);
  Put32(b, tag + 4, kMdxBlockPages);
  b[tag + 8] = char(0x10 | (index.Unique ? 0x40 : 0));
  b[tag + 9] = keyType;
  b[tag + 11] = 0x1B;
  Put16(b, tag + 12, keyLength);
  Put16(b, tag + 14, (kMdxBlockPages * kMdxPage - 12) / itemLength);
  Put16(b, tag + 16, keyType == 'D' ? 1 : 0);
  Put16(b, tag + 18, itemLength);
  b[tag + 20] = 1;
  b[tag + 23] = char(index.Unique ? 1 : 0);
  PutText(b, tag + kMdxExpressionOffset, fieldName.toUpper());
  Put32(b, tag + 248, kMdxRootPage);
  Put32(b, tag + 252, kMdxRootPage);
  return b;
}

// The one index a dBASE table gets: its tag indexes the first field named.
const TIndexDef* CheckIndexes(const QList<TIndexDef>& indexes, const QHash<QString, int>& fieldByName,
                              const QList<TStorage>& storage, int& indexedField)
{
  indexedField = -1;
  if (indexes.isEmpty())
    return nullptr;
  if (indexes.size() > 1)
    throw TEngineError(QStringLiteral("A dBASE table can have only one index here."));
  const TIndexDef& index = indexes.front();
  if (index.Name.isEmpty() || index.Name.size() > kMaxFieldName || !IsPlainName(index.Name))
    throw TEngineError(QStringLiteral("%1 is not a valid dBASE index name.").arg(index.Name));
  if (index.Fields.isEmpty())
    throw TEngineError(QStringLiteral("Index %1 names no field.").arg(index.Name));
  const auto it = fieldByName.constFind(index.Fields.front().toUpper());
  if (it == fieldByName.constEnd())
    throw TEngineError(
        QStringLiteral("Index %1 names the field %2, which the table does not have.").arg(index.Name, index.Fields.front()));
  indexedField = it.value();
  const char letter = storage[indexedField].Letter;
  if (letter != 'C' && letter != 'N' && letter != 'F' && letter != 'D')
    throw TEngineError(
        QStringLiteral("Index %1 cannot index the field %2 of this type.").arg(index.Name, index.Fields.front()));
  return &index;
}

TEngineFieldType TypeOf(char letter, int length, int decimals)
{
  switch (letter) {
    case 'C':
      return eftString;
    case 'N':
      if (decimals > 0)
        return eftBCD;
      return length <= 6 ? eftSmallint : length <= 11 ? eftInteger : eftFloat;
    case 'F':
    case 'O':
      return eftFloat;
    case 'L':
      return eftBoolean;
    case 'D':
      return eftDate;
    case 'M':
      return eftMemo;
    case 'B':
      return eftBlob;
    case 'G':
      return eftDBaseOle;
    case 'I':
      return eftInteger;
    case '+':
      return eftAutoInc;
    case 'Y':
      return eftCurrency;
    case '@':
    case 'T':
      return eftDateTime;
    default:
      return eftUnknown;
  }
}

// The production index beside a .DBF: the .MDX of the same base name, in
// any letter case.
QString ProductionIndexPath(const QString& filePath)
{
  const QFileInfo info(filePath);
  for (const QString& path : TableFiles(info.absolutePath(), info.completeBaseName()))
    if (QFileInfo(path).suffix().toUpper() == QLatin1String("MDX"))
      return path;
  return {};
}

[[noreturn]] void Damaged(const QString& path, const char* kind = "table")
{
  throw TEngineError(QStringLiteral("%1 is not a dBASE %2 or is damaged.").arg(path, QLatin1String(kind)));
}

// The expression of the tag "PK" of a production index; empty when the
// index has no such tag.
QString PrimaryTagExpression(const QString& mdxPath)
{
  // The file's header with its tag entries, then the one tag header needed.
  const QByteArray b =
      ReadTableFilePart(mdxPath, mdxPath, 0, kMdxTagEntries + qint64(kMdxTagSlots) * kMdxTagEntry);
  if (b.size() < kMdxTagEntries || b[0] != 2)
    Damaged(mdxPath, "index");
  const quint32 entryLength = Get16(b, 26);
  const quint32 tags = Get16(b, 28);
  if (entryLength < 21 || tags > kMdxTagSlots)
    Damaged(mdxPath, "index");
  for (quint32 i = 0; i < tags; ++i) {
    const qsizetype entry = kMdxTagEntries + qsizetype(i) * entryLength;
    if (entry + 21 > b.size())
      Damaged(mdxPath, "index");
    if (GetText(b, entry + 4, 11).trimmed().compare(QLatin1String("PK"), Qt::CaseInsensitive) != 0)
      continue;
    const qint64 tag = qint64(Get32(b, entry)) * kMdxPage;
    const QByteArray header =
        tag > 0 ? ReadTableFilePart(mdxPath, mdxPath, tag, kMdxExpressionOffset + kMdxMaxExpression) : QByteArray();
    if (header.size() <= kMdxExpressionOffset)
      Damaged(mdxPath, "index");
    return GetText(header, kMdxExpressionOffset, kMdxMaxExpression).trimmed();
  }
  return {};
}

}  // namespace

void CreateTable(const QString& dir, const QString& name, const QList<TFieldDef>& fields,
                 const QList<TIndexDef>& indexes)
{
  const QString& table = name;
  CheckTableName(name, QStringLiteral("dBASE"), kMaxTableName);
  if (fields.isEmpty())
    throw TEngineError(QStringLiteral("Table %1 needs at least one field.").arg(name));
  if (fields.size() > kMaxFields)
    throw TEngineError(QStringLiteral("Table %1 has more than %2 fields.").arg(name).arg(kMaxFields));
  QList<TStorage> storage;
  QHash<QString, int> fieldByName;
  bool hasMemo = false;
  for (int i = 0; i < fields.size(); ++i) {
    CheckFieldName(table, fields[i].Name);
    const QString upper = fields[i].Name.toUpper();
    if (fieldByName.contains(upper))
      throw TEngineError(QStringLiteral("Table %1 has the field name %2 twice.").arg(name, fields[i].Name));
    fieldByName.insert(upper, i);
    storage << StorageOf(table, fields[i]);
    hasMemo = hasMemo || IsMemoLetter(storage.back().Letter);
  }
  const int recordLength = RecordLength(storage);
  if (recordLength > kMaxRecordLength)
    throw TEngineError(
        QStringLiteral("The fields of table %1 need %2 bytes a record; a dBASE table holds at most %3.")
            .arg(name)
            .arg(recordLength)
            .arg(kMaxRecordLength));
  int indexedField = -1;
  const TIndexDef* index = CheckIndexes(indexes, fieldByName, storage, indexedField);
  if (!TableFiles(dir, name).isEmpty())
    throw TEngineError(QStringLiteral("Table %1 exists already.").arg(name));

  const QDate today = QDate::currentDate();
  const QDir d(dir);
  QList<QPair<QString, QByteArray>> files;
  if (hasMemo)
    files << qMakePair(d.filePath(name + QStringLiteral(".dbt")), DbtBytes());
  if (index)
    files << qMakePair(d.filePath(name + QStringLiteral(".mdx")),
                       MdxBytes(name, *index, fields[indexedField].Name, storage[indexedField], today));
  // The .dbf goes last, so that a table is never listed before its files are all there.
  files << qMakePair(d.filePath(name + QStringLiteral(".dbf")),
                     DbfBytes(fields, storage, indexedField, index != nullptr, hasMemo, today));
  WriteTableFiles(files);
}

void DeleteTable(const QString& dir, const QString& name)
{
  CheckTableName(name, QStringLiteral("dBASE"), kMaxTableName);
  // A memo or index file left without its table is deleted as well: it
  // would keep the table from being created again.
  const QStringList files = TableFiles(dir, name);
  if (files.isEmpty())
    throw TEngineError(QStringLiteral("There is no dBASE table %1.").arg(name));
  DeleteFiles(files);
}

QList<TFieldInfo> ReadTableFields(const QString& filePath)
{
  if (!QFileInfo(filePath).isFile())
    throw TEngineError(QStringLiteral("There is no table %1.").arg(filePath));
  // The header alone: its length is a 16-bit count, whatever the records take.
  const QByteArray b = ReadTableFilePart(filePath, filePath, 0, kMaxHeaderLength);
  if (b.size() < 32 || !std::count(std::begin(kVersionBytes), std::end(kVersionBytes), quint8(b[0])))
    throw TNotATableError(QStringLiteral("%1 is not a dBASE table.").arg(filePath));
  if (b.size() < 33)
    Damaged(filePath);
  const qsizetype headerLength = Get16(b, 8);
  const quint32 recordLength = Get16(b, 10);
  if (headerLength < 33 || headerLength > b.size())
    Damaged(filePath);
  const int codePage = CodePageOfLanguageDriver(quint8(b[29]));

  QList<TFieldInfo> fields;
  QHash<QString, int> fieldByName;
  quint32 sumOfLengths = 1;
  qsizetype at = 32;
  for (; at + 32 <= headerLength && b[at] != 0x0D; at += 32) {
    TFieldInfo f;
    f.Name = GetText(b, at, 11, codePage).trimmed();
    const char letter = b[at + 11];
    const int length = quint8(b[at + 16]);
    const int decimals = quint8(b[at + 17]);
    if (f.Name.isEmpty())
      Damaged(filePath);
    f.Type = TypeOf(letter, length, decimals);
    f.Size = f.Type == eftString ? length : f.Type == eftBCD ? decimals : 0;
    sumOfLengths += quint32(length);
    fieldByName.insert(f.Name.toUpper(), int(fields.size()));
    fields << f;
  }
  // A table without fields is valid (some writers make them).
  if (at >= headerLength || b[at] != 0x0D || sumOfLengths != recordLength)
    Damaged(filePath);

  if (b[28] != 0) {
    const QString mdx = ProductionIndexPath(filePath);
    if (!mdx.isEmpty()) {
      // A composite key expression ("A+B") names each of its fields.
      const QStringList parts = PrimaryTagExpression(mdx).split(QLatin1Char('+'));
      for (const QString& part : parts) {
        const auto it = fieldByName.constFind(part.trimmed().toUpper());
        if (it != fieldByName.constEnd())
          fields[it.value()].InPrimaryIndex = true;
      }
    }
  }
  return fields;
}

}  // namespace veska::dbase
