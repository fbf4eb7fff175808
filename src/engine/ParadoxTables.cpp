// Paradox 7 tables: a .DB file (header and field descriptions, no records),
// a .PX primary index file when the table is keyed, and a .MB blob file when
// the table has memo or BLOb fields. Reading accepts the .DB headers of
// Paradox 3 to 7.

#include "engine/FormatTables.h"
#include "engine/TableBytes.h"

#include "platform/SafeFile.h"
#include "platform/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace veska::paradox {

namespace {

using namespace veska::engine;

// Field types as the .DB header codes them.
enum : quint8 {
  pxAlpha = 0x01,
  pxDate = 0x02,
  pxShort = 0x03,
  pxLong = 0x04,
  pxMoney = 0x05,
  pxNumber = 0x06,
  pxLogical = 0x09,
  pxMemo = 0x0C,
  pxBlob = 0x0D,
  pxFmtMemo = 0x0E,
  pxOle = 0x0F,
  pxGraphic = 0x10,
  pxTime = 0x14,
  pxTimestamp = 0x15,
  pxAutoInc = 0x16,
  pxBcd = 0x17,
  pxBytes = 0x18,
};

constexpr int kMaxTableName = 8;
constexpr int kMaxFieldName = 25;
constexpr int kMaxFields = 255;
constexpr int kHeaderBlock = 2048;
constexpr int kBcdRecordBytes = 17;
constexpr int kMaxBcdDecimals = 32;
constexpr int kMaxBcdDigits = 32;
constexpr int kIndexBlockKb = 2;
constexpr int kIndexTrailingBytes = 6;  // block number, record count, reserved: three shorts
constexpr int kBlobPointerBytes = 10;  // a BLOb field's reference into the .MB file
constexpr int kDataBlockHeader = 6;
constexpr quint8 kVersion7 = 12;
constexpr quint16 kAnsiCodePage = 1252;
constexpr int kTableNameBytes7 = 261;
constexpr int kTableNameBytesOld = 79;

// The extensions of a Paradox table's family: data, primary and secondary
// indexes, blobs, validity checks.
const QRegularExpression& FamilySuffix()
{
  static const QRegularExpression re(QStringLiteral("^(DB|PX|MB|VAL|X[0-9A-F]{2}|Y[0-9A-F]{2}|XG[0-9A-F]|YG[0-9A-F])$"),
                                     QRegularExpression::CaseInsensitiveOption);
  return re;
}

// The existing files of the table `name` in `dir`, any letter case.
QStringList FamilyFiles(const QString& dir, const QString& name)
{
  QStringList files;
  const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QFileInfo& e : entries) {
    const QString file = e.fileName();
    const int dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || QString::compare(file.left(dot), name, Qt::CaseInsensitive) != 0)
      continue;
    if (FamilySuffix().match(file.mid(dot + 1)).hasMatch())
      files << e.absoluteFilePath();
  }
  return files;
}

// How one field is stored: its type code, the size byte of the header and
// the bytes it takes in a record.
struct TStoredField {
  QByteArray Name;
  quint8 Type = 0;
  quint8 SizeByte = 0;
  int RecordBytes = 0;
};

bool IsBlobType(quint8 type)
{
  return type >= pxMemo && type <= pxGraphic;
}

TStoredField StoreField(const QString& table, const TFieldDef& f)
{
  TStoredField s;
  s.Name = f.Name.toLatin1();
  auto fixed = [&s](quint8 type, int bytes) {
    s.Type = type;
    s.SizeByte = quint8(bytes);
    s.RecordBytes = bytes;
  };
  auto sized = [&s, &f, &table](quint8 type) {
    if (f.Size < 1 || f.Size > 255)
      throw TEngineError(QStringLiteral("Table %1: the size of field \"%2\" must be 1 to 255, not %3.")
                             .arg(table, f.Name)
                             .arg(f.Size));
    s.Type = type;
    s.SizeByte = quint8(f.Size);
    s.RecordBytes = f.Size;
  };
  switch (f.Type) {
  case eftString: sized(pxAlpha); break;
  case eftBytes:
  case eftVarBytes: sized(pxBytes); break;
  case eftSmallint: fixed(pxShort, 2); break;
  // Paradox has no unsigned 16-bit type; a long holds every word value.
  case eftInteger:
  case eftWord: fixed(pxLong, 4); break;
  case eftBoolean: fixed(pxLogical, 1); break;
  case eftFloat: fixed(pxNumber, 8); break;
  case eftCurrency: fixed(pxMoney, 8); break;
  case eftBCD:
    // The size byte of a BCD field holds its decimals; the record always
    // gives it 17 bytes, room for 32 digits, so a precision is only checked.
    if (f.Size < 0 || f.Size > kMaxBcdDecimals)
      throw TEngineError(QStringLiteral("Table %1: the decimals of BCD field \"%2\" must be 0 to %3, not %4.")
                             .arg(table, f.Name)
                             .arg(kMaxBcdDecimals)
                             .arg(f.Size));
    if (f.Precision < 0 || f.Precision > kMaxBcdDigits || (f.Precision > 0 && f.Precision < f.Size))
      throw TEngineError(QStringLiteral("Table %1: BCD field \"%2\" cannot have %3 digits with %4 decimals; a Paradox "
                                        "number holds at most %5 digits.")
                             .arg(table, f.Name)
                             .arg(f.Precision)
                             .arg(f.Size)
                             .arg(kMaxBcdDigits));
    s.Type = pxBcd;
    s.SizeByte = quint8(f.Size);
    s.RecordBytes = kBcdRecordBytes;
    break;
  case eftDate: fixed(pxDate, 4); break;
  case eftTime: fixed(pxTime, 4); break;
  case eftDateTime: fixed(pxTimestamp, 8); break;
  case eftAutoInc: fixed(pxAutoInc, 4); break;
  // Memos keep their first byte in the record, the other BLObs none; the
  // record then holds the 10-byte reference into the .MB file.
  case eftMemo: fixed(pxMemo, kBlobPointerBytes + 1); break;
  case eftFmtMemo: fixed(pxFmtMemo, kBlobPointerBytes + 1); break;
  case eftBlob:
  case eftTypedBinary: fixed(pxBlob, kBlobPointerBytes); break;
  case eftGraphic: fixed(pxGraphic, kBlobPointerBytes); break;
  case eftParadoxOle:
  case eftDBaseOle: fixed(pxOle, kBlobPointerBytes); break;
  default:
    throw TEngineError(
        QStringLiteral("Table %1: field \"%2\" has a type that a Paradox table cannot hold.").arg(table, f.Name));
  }
  return s;
}

void CheckFieldNames(const QString& table, const QList<TFieldDef>& fields)
{
  if (fields.isEmpty())
    throw TEngineError(QStringLiteral("Table %1 needs at least one field.").arg(table));
  if (fields.size() > kMaxFields)
    throw TEngineError(QStringLiteral("Table %1 has more than %2 fields; a Paradox table has at most %2.")
                           .arg(table)
                           .arg(kMaxFields));
  QSet<QString> seen;
  seen.reserve(fields.size());
  for (const TFieldDef& f : fields) {
    if (f.Name.trimmed().isEmpty())
      throw TEngineError(QStringLiteral("A field of table %1 needs a name.").arg(table));
    if (f.Name.size() > kMaxFieldName || !IsPlainName(f.Name, true) || f.Name.startsWith(QLatin1Char(' ')) ||
        f.Name.endsWith(QLatin1Char(' ')))
      throw TEngineError(QStringLiteral("Table %1: \"%2\" is not a valid Paradox field name: use at most %3 letters, "
                                        "digits, underscores or blanks inside.")
                             .arg(table, f.Name)
                             .arg(kMaxFieldName));
    const QString key = f.Name.toUpper();
    if (seen.contains(key))
      throw TEngineError(QStringLiteral("Table %1 has the field name \"%2\" twice.").arg(table, f.Name));
    seen.insert(key);
  }
}

// The number of key fields: the fields of the primary index, which must be
// the first fields of the table in their order.
int KeyFieldCount(const QList<TFieldDef>& fields, const QList<TStoredField>& stored, const QList<TIndexDef>& indexes)
{
  int keys = 0;
  bool hasPrimary = false;
  for (const TIndexDef& index : indexes) {
    if (!index.Primary)
      throw TEngineError(
          QStringLiteral("Index \"%1\": a Paradox table is created with its primary index only.").arg(index.Name));
    if (hasPrimary)
      throw TEngineError(QStringLiteral("A table has only one primary index."));
    hasPrimary = true;
    if (index.Fields.isEmpty() || index.Fields.size() > fields.size())
      throw TEngineError(QStringLiteral("The primary index \"%1\" names no fields of the table.").arg(index.Name));
    for (int i = 0; i < index.Fields.size(); ++i) {
      if (QString::compare(index.Fields[i], fields[i].Name, Qt::CaseInsensitive) != 0)
        throw TEngineError(QStringLiteral("The fields of the primary index \"%1\" must be the first fields of the "
                                          "table, in their order.")
                               .arg(index.Name));
      if (IsBlobType(stored[i].Type))
        throw TEngineError(QStringLiteral("The memo or BLOb field \"%1\" cannot be a key field.").arg(fields[i].Name));
    }
    keys = int(index.Fields.size());
  }
  return keys;
}

// Smallest block size (in KB) whose data blocks hold at least one record.
int BlockKilobytes(int recordSize)
{
  for (int kb : {2, 4, 8, 16, 32})
    if (kb * 1024 - kDataBlockHeader >= recordSize)
      return kb;
  return 0;
}

int RoundUpToHeaderBlock(int size)
{
  return (size + kHeaderBlock - 1) / kHeaderBlock * kHeaderBlock;
}

// The common part of the .DB and .PX headers.
void PutCommonHeader(QByteArray& h, int recordSize, quint8 fileType, int blockKb, int fieldCount, int keyFields)
{
  Put16(h, 0x00, recordSize);
  Put16(h, 0x02, int(h.size()));
  h[0x04] = char(fileType);
  h[0x05] = char(blockKb);
  Put16(h, 0x21, fieldCount);
  Put16(h, 0x23, keyFields);
  h[0x39] = char(kVersion7);
}

QByteArray DataHeader(const QString& name, const QList<TStoredField>& stored, int keys, int recordSize, int blockKb)
{
  const int n = int(stored.size());
  int namesBytes = 0;
  for (const TStoredField& s : stored)
    namesBytes += int(s.Name.size()) + 1;
  static const QByteArray kSortOrder("ANSIINTL");
  const int used = 0x78 + 2 * n + 4 + 4 * n + kTableNameBytes7 + namesBytes + 2 * n + int(kSortOrder.size()) + 1;
  QByteArray h(RoundUpToHeaderBlock(used), '\0');
  PutCommonHeader(h, recordSize, keys > 0 ? 0 : 2, blockKb, n, keys);
  Put32(h, 0x25, 0xFF00FF00u);  // not encrypted
  h[0x3E] = char(0x1F);
  h[0x3F] = char(0x0F);
  h[0x56] = char(0x20);
  // Paradox 4 and later: the extended data header at 0x58.
  Put16(h, 0x58, 0x0100 | kVersion7);
  Put16(h, 0x5A, 0x0100 | kVersion7);
  Put16(h, 0x64, n + 1);
  Put16(h, 0x68, n);
  Put16(h, 0x6A, kAnsiCodePage);
  h[0x6C] = 1;
  h[0x6D] = 1;
  int at = 0x78;
  for (const TStoredField& s : stored) {
    h[at++] = char(s.Type);
    h[at++] = char(s.SizeByte);
  }
  at += 4 + 4 * n;  // table and field name pointers, meaningful only in memory
  const QByteArray tableName = name.toLatin1();
  h.replace(at, tableName.size(), tableName);
  at += kTableNameBytes7;
  for (const TStoredField& s : stored) {
    h.replace(at, s.Name.size(), s.Name);
    at += int(s.Name.size()) + 1;
  }
  for (int i = 0; i < n; ++i, at += 2)
    Put16(h, at, i + 1);
  h.replace(at, kSortOrder.size(), kSortOrder);
  return h;
}

// The bytes of a primary index record: the key fields and the three short
// fields every index record carries after them.
int IndexRecordSize(const QList<TStoredField>& stored, int keys)
{
  int recordSize = kIndexTrailingBytes;
  for (int i = 0; i < keys; ++i)
    recordSize += stored[i].RecordBytes;
  return recordSize;
}

// An empty primary index. Its header describes the key fields only: the
// trailing shorts count in the record size but are no fields of the index.
QByteArray PrimaryIndexHeader(const QString& name, const QList<TStoredField>& stored, int keys)
{
  QByteArray h(RoundUpToHeaderBlock(0x58 + 2 * keys + 4 + kTableNameBytes7), '\0');
  PutCommonHeader(h, IndexRecordSize(stored, keys), 1, kIndexBlockKb, keys, keys);
  int at = 0x58;
  for (int i = 0; i < keys; ++i) {
    h[at++] = char(stored[i].Type);
    h[at++] = char(stored[i].SizeByte);
  }
  at += 4;
  const QByteArray tableName = name.toLatin1();
  h.replace(at, tableName.size(), tableName);
  return h;
}

// An empty blob file: its header block only.
QByteArray EmptyBlobFile()
{
  QByteArray b(4096, '\0');
  Put16(b, 1, 1);  // the header block is one 4 KB unit long
  return b;
}

}  // namespace

void CreateTable(const QString& dir, const QString& name, const QList<TFieldDef>& fields,
                 const QList<TIndexDef>& indexes)
{
  CheckTableName(name, QStringLiteral("Paradox"), kMaxTableName);
  CheckFieldNames(name, fields);
  QList<TStoredField> stored;
  stored.reserve(fields.size());
  int recordSize = 0;
  bool hasBlobs = false;
  for (const TFieldDef& f : fields) {
    stored << StoreField(name, f);
    recordSize += stored.back().RecordBytes;
    hasBlobs = hasBlobs || IsBlobType(stored.back().Type);
  }
  const int keys = KeyFieldCount(fields, stored, indexes);
  // An index block must hold two records at least, or the index could never
  // split a full block.
  const int indexBlockRoom = kIndexBlockKb * 1024 - kDataBlockHeader;
  if (keys > 0 && 2 * IndexRecordSize(stored, keys) > indexBlockRoom)
    throw TEngineError(QStringLiteral("The key of table \"%1\" is %2 bytes long; a Paradox primary index holds keys "
                                      "of at most %3 bytes.")
                           .arg(name)
                           .arg(IndexRecordSize(stored, keys) - kIndexTrailingBytes)
                           .arg(indexBlockRoom / 2 - kIndexTrailingBytes));
  const int blockKb = BlockKilobytes(recordSize);
  if (blockKb == 0)
    throw TEngineError(QStringLiteral("The records of table \"%1\" would be %2 bytes long, more than a Paradox table "
                                      "can hold.")
                           .arg(name)
                           .arg(recordSize));
  if (!FamilyFiles(dir, name).isEmpty())
    throw TEngineError(QStringLiteral("Table %1 exists already.").arg(name));

  QList<QPair<QString, QByteArray>> files;
  const QString base = QDir(dir).filePath(name);
  files.append({base + QStringLiteral(".DB"), DataHeader(name, stored, keys, recordSize, blockKb)});
  if (keys > 0)
    files.append({base + QStringLiteral(".PX"), PrimaryIndexHeader(name, stored, keys)});
  if (hasBlobs)
    files.append({base + QStringLiteral(".MB"), EmptyBlobFile()});
  WriteTableFiles(files);
}

void DeleteTable(const QString& dir, const QString& name)
{
  CheckTableName(name, QStringLiteral("Paradox"), kMaxTableName);
  const QStringList files = FamilyFiles(dir, name);
  if (files.isEmpty())
    throw TEngineError(QStringLiteral("There is no Paradox table %1.").arg(name));
  DeleteFiles(files);
}

QList<TFieldInfo> ReadTableFields(const QString& filePath)
{
  const QString fileName = QFileInfo(filePath).fileName();
  // The header alone: its size is a 16-bit count, whatever the records take.
  const QByteArray b = ReadTableFilePart(filePath, fileName, 0, 0xFFFF);
  const TEngineError damaged(QStringLiteral("%1 is not a Paradox table or is damaged.").arg(fileName));
  // A file whose type and version bytes are no Paradox table's is no table
  // at all (another program's file under the same extension).
  if (b.size() < 0x58 || (b[0x04] != 0 && b[0x04] != 2) || quint8(b[0x39]) < 3 || quint8(b[0x39]) > kVersion7)
    throw TNotATableError(QStringLiteral("%1 is not a Paradox table.").arg(fileName));
  const int recordSize = Get16(b, 0x00);
  const int headerSize = Get16(b, 0x02);
  const int fieldCount = Get16(b, 0x21);
  const int keyFields = Get16(b, 0x23);
  const quint8 version = quint8(b[0x39]);
  if (recordSize == 0 || headerSize > b.size() || fieldCount < 1 || fieldCount > kMaxFields || keyFields > fieldCount)
    throw damaged;
  // Everything below is read from within the header only.
  const QByteArray h = b.left(headerSize);
  // Paradox 4 and later keep the table's code page in the extended header.
  const int codePage = version >= 5 && headerSize >= 0x78 ? int(Get16(h, 0x6A)) : 0;
  int at = version >= 5 ? 0x78 : 0x58;
  const int tableNameBytes = version >= kVersion7 ? kTableNameBytes7 : kTableNameBytesOld;
  if (at + 2 * fieldCount + 4 + 4 * fieldCount + tableNameBytes > h.size())
    throw damaged;
  QList<TFieldInfo> result;
  result.reserve(fieldCount);
  int recordBytes = 0;
  for (int i = 0; i < fieldCount; ++i, at += 2) {
    const quint8 type = quint8(h[at]);
    const int size = quint8(h[at + 1]);
    recordBytes += type == pxBcd ? kBcdRecordBytes : size;
    TFieldInfo info;
    info.InPrimaryIndex = i < keyFields;
    switch (type) {
    case pxAlpha: info.Type = eftString; info.Size = size; break;
    case pxBytes: info.Type = eftBytes; info.Size = size; break;
    case pxBcd: info.Type = eftBCD; info.Size = size; break;
    case pxDate: info.Type = eftDate; break;
    case pxShort: info.Type = eftSmallint; break;
    case pxLong: info.Type = eftInteger; break;
    case pxMoney: info.Type = eftCurrency; break;
    case pxNumber: info.Type = eftFloat; break;
    case pxLogical: info.Type = eftBoolean; break;
    case pxMemo: info.Type = eftMemo; break;
    case pxBlob: info.Type = eftBlob; break;
    case pxFmtMemo: info.Type = eftFmtMemo; break;
    case pxOle: info.Type = eftParadoxOle; break;
    case pxGraphic: info.Type = eftGraphic; break;
    case pxTime: info.Type = eftTime; break;
    case pxTimestamp: info.Type = eftDateTime; break;
    case pxAutoInc: info.Type = eftAutoInc; break;
    default: info.Type = eftUnknown; info.Size = size; break;
    }
    result << info;
  }
  if (recordBytes != recordSize)
    throw damaged;
  // Table and field name pointers (data files always have them), then the
  // table name, then the field names.
  at += 4 + 4 * fieldCount + tableNameBytes;
  for (TFieldInfo& info : result) {
    const int end = h.indexOf('\0', at);
    if (end < 0)
      throw damaged;
    info.Name = DecodeCodePage(QByteArrayView(h.constData() + at, end - at), codePage);
    at = end + 1;
  }
  return result;
}

}  // namespace veska::paradox
