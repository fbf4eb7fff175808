// dBASE tables: a .DBF file (dBASE IV), a .DBT memo file when the table has
// memo-type fields, and a production .MDX index holding one tag when an
// index is asked for. Tables are created empty, so the index holds no keys.

#include "engine/FormatTables.h"
#include "engine/TableBytes.h"
#include "platform/SafeFile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace veska::dbase {

namespace {

using namespace veska::engine;

constexpr int kMaxTableName = 8;
constexpr int kMaxFieldName = 10;
constexpr int kMaxCharLength = 254;
constexpr int kMaxNumericLength = 20;
constexpr int kMaxDecimals = 18;
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

// How one field is stored: type letter, length and decimal count.
struct TStorage {
  char Letter = 'C';
  int Length = 0;
  int Decimals = 0;
};

bool IsMemoLetter(char letter)
{
  return letter == 'M' || letter == 'B' || letter == 'G';
}

void CheckFieldName(const QString& name)
{
  if (name.isEmpty())
    throw TEngineError(QStringLiteral("A dBASE field needs a name."));
  if (name.size() > kMaxFieldName || !IsPlainName(name) || !name.at(0).isLetter())
    throw TEngineError(QStringLiteral("%1 is not a valid dBASE field name: use at most %2 letters, digits or "
                                      "underscores, beginning with a letter.")
                           .arg(name)
                           .arg(kMaxFieldName));
}

int CheckedSize(const TFieldDef& f, int low, int high)
{
  if (f.Size < low || f.Size > high)
    throw TEngineError(
        QStringLiteral("The size %1 of field %2 is not between %3 and %4.").arg(f.Size).arg(f.Name).arg(low).arg(high));
  return f.Size;
}

// dBASE IV has no time, timestamp or counter types: times and timestamps are
// kept as text in ISO form, counters as whole numbers.
TStorage StorageOf(const TFieldDef& f)
{
  switch (f.Type) {
    case eftString:
    case eftBytes:
    case eftVarBytes:
      return {'C', CheckedSize(f, 1, kMaxCharLength), 0};
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
      return {'N', kMaxNumericLength, f.Size == 0 ? 4 : CheckedSize(f, 1, kMaxDecimals)};
    case eftDate:
      return {'D', 8, 0};
    case eftTime:
      return {'C', 8, 0};
    case eftDateTime:
      return {'C', 19, 0};
    case eftMemo:
    case eftFmtMemo:
      return {'M', 10, 0};
    case eftBlob:
    case eftGraphic:
    case eftTypedBinary:
      return {'B', 10, 0};
    case eftParadoxOle:
    case eftDBaseOle:
      return {'G', 10, 0};
    case eftUnknown:
      break;
  }
  throw TEngineError(QStringLiteral("Field %1 has a type that dBASE tables cannot hold.").arg(f.Name));
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

// NUL-terminated text of at most `max` bytes at `at`, never past the data.
QString GetText(const QByteArray& b, qsizetype at, qsizetype max)
{
  qsizetype end = at;
  while (end < b.size() && end - at < max && b[end] != '\0')
    ++end;
  return QString::fromLatin1(b.constData() + at, end - at);
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
  const QByteArray b = ReadTableFile(mdxPath, mdxPath);
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
    const qsizetype tag = qsizetype(Get32(b, entry)) * kMdxPage;
    if (tag <= 0 || tag + kMdxExpressionOffset >= b.size())
      Damaged(mdxPath, "index");
    return GetText(b, tag + kMdxExpressionOffset, kMdxMaxExpression).trimmed();
  }
  return {};
}

}  // namespace

void CreateTable(const QString& dir, const QString& name, const QList<TFieldDef>& fields,
                 const QList<TIndexDef>& indexes)
{
  CheckTableName(name, QStringLiteral("dBASE"), kMaxTableName);
  if (fields.isEmpty())
    throw TEngineError(QStringLiteral("Table %1 needs at least one field.").arg(name));
  if (fields.size() > kMaxFields)
    throw TEngineError(QStringLiteral("Table %1 has more than %2 fields.").arg(name).arg(kMaxFields));
  QList<TStorage> storage;
  QHash<QString, int> fieldByName;
  bool hasMemo = false;
  for (int i = 0; i < fields.size(); ++i) {
    CheckFieldName(fields[i].Name);
    const QString upper = fields[i].Name.toUpper();
    if (fieldByName.contains(upper))
      throw TEngineError(QStringLiteral("Table %1 has the field name %2 twice.").arg(name, fields[i].Name));
    fieldByName.insert(upper, i);
    storage << StorageOf(fields[i]);
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
    files << qMakePair(d.filePath(name + QStringLiteral(".DBT")), DbtBytes());
  if (index)
    files << qMakePair(d.filePath(name + QStringLiteral(".MDX")),
                       MdxBytes(name, *index, fields[indexedField].Name, storage[indexedField], today));
  // The .DBF goes last, so that a table is never listed before its files are all there.
  files << qMakePair(d.filePath(name + QStringLiteral(".DBF")),
                     DbfBytes(fields, storage, indexedField, index != nullptr, hasMemo, today));
  WriteTableFiles(files);
}

void DeleteTable(const QString& dir, const QString& name)
{
  CheckTableName(name, QStringLiteral("dBASE"), kMaxTableName);
  const QStringList files = TableFiles(dir, name);
  bool hasDbf = false;
  for (const QString& f : files)
    hasDbf = hasDbf || QFileInfo(f).suffix().toUpper() == QLatin1String("DBF");
  if (!hasDbf)
    throw TEngineError(QStringLiteral("There is no dBASE table %1.").arg(name));
  DeleteFiles(files);
}

QList<TFieldInfo> ReadTableFields(const QString& filePath)
{
  if (!QFileInfo(filePath).isFile())
    throw TEngineError(QStringLiteral("There is no table %1.").arg(filePath));
  const QByteArray b = ReadTableFile(filePath, filePath);
  if (b.size() < 33)
    Damaged(filePath);
  const int level = quint8(b[0]) & 0x07;
  if (level < 3 || level > 5)
    Damaged(filePath);
  const qsizetype headerLength = Get16(b, 8);
  const quint32 recordLength = Get16(b, 10);
  if (headerLength < 33 || headerLength > b.size())
    Damaged(filePath);

  QList<TFieldInfo> fields;
  QHash<QString, int> fieldByName;
  quint32 sumOfLengths = 1;
  qsizetype at = 32;
  for (; at + 32 <= headerLength && b[at] != 0x0D; at += 32) {
    TFieldInfo f;
    f.Name = GetText(b, at, 11).trimmed();
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
  if (fields.isEmpty() || at >= headerLength || b[at] != 0x0D || sumOfLengths != recordLength)
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
