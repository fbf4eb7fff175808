#pragma once
// The desktop table engine: lists, creates, deletes and reads the tables of
// a directory, in two file formats (Paradox and dBASE). Headless, Qt Core
// only. Every failure is a TEngineError whose text is meant for the user.
//
// Nothing outside the directory given is ever written or deleted: table
// names are plain names (no path separators, no "..", only the characters
// the format allows), and creating a table over an existing one is an error.

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <stdexcept>

namespace veska {

// The engine's field types, numbered as the build's type maps name them
// (ftUnknown = 0 ... ftTypedBinary = 21).
enum TEngineFieldType : std::uint8_t {
  eftUnknown,
  eftString,
  eftSmallint,
  eftInteger,
  eftWord,
  eftBoolean,
  eftFloat,
  eftCurrency,
  eftBCD,
  eftDate,
  eftTime,
  eftDateTime,
  eftBytes,
  eftVarBytes,
  eftAutoInc,
  eftBlob,
  eftMemo,
  eftGraphic,
  eftFmtMemo,
  eftParadoxOle,
  eftDBaseOle,
  eftTypedBinary,
};

enum class TTableType { Paradox = 1, Dbase = 2 };

class TEngineError : public std::runtime_error {
public:
  explicit TEngineError(const QString& message) : std::runtime_error(message.toStdString()) {}
  QString Message() const { return QString::fromStdString(what()); }
};

// A file that is no table of the format its name claims at all (its first
// bytes are not those of such a table), as opposed to a table that is
// damaged.
class TNotATableError : public TEngineError {
public:
  using TEngineError::TEngineError;
};

// A field to create, in the order the table gets it. Size counts characters
// or bytes for the types that have one (strings, bytes) and the decimals of
// a BCD field; it is ignored by the others. Precision is the number of
// digits of a BCD field, decimals included; 0 leaves it to the format (the
// widest number it holds).
struct TFieldDef {
  QString Name;
  TEngineFieldType Type = eftString;
  int Size = 0;
  bool Required = false;
  int Precision = 0;
};

// An index to create over named fields of the table.
struct TIndexDef {
  QString Name;
  QStringList Fields;
  bool Primary = false;
  bool Unique = false;
};

// A field of an existing table as the engine reads it back.
struct TFieldInfo {
  QString Name;
  TEngineFieldType Type = eftUnknown;
  int Size = 0;
  bool InPrimaryIndex = false;
};

// The table files of `dir` by file name with extension (".DB" and ".DBF",
// letter case ignored), in name order ignoring letter case.
QStringList ListTables(const QString& dir);

// Creates the table `name` (without extension) in `dir`. On any failure no
// file of the table is left behind.
void CreateTable(const QString& dir, const QString& name, TTableType type, const QList<TFieldDef>& fields,
                 const QList<TIndexDef>& indexes);

// Deletes the files of the table `name` (without extension) of the given
// format; an error when there is no such table.
void DeleteTable(const QString& dir, const QString& name, TTableType type);

// The fields of the table file `fileName` (as ListTables gives it) in `dir`,
// read from its header alone; names are decoded in the table's own code
// page. A file that is no table at all is a TNotATableError.
QList<TFieldInfo> ReadTableFields(const QString& dir, const QString& fileName);

}  // namespace veska
