#pragma once
// The target servers, the vocabulary of model data types and the translation
// of model data types into the database engine's field types, read from the
// settings file:
//
//   [Servers]            one key per target server, in file order
//   [DataTypes]          one key per model data type; "T(FK)" is the variant
//                        of T used for foreign-key attributes
//   [<server>]           DomainSupport, ProcedureSupport, SchemaFileSupport
//                        (TRUE when the value starts with "Y" or "y"),
//                        DefaultDataType, MaxIDLength, MaxColIDLength
//   [<server>-DataMap]   for each data type, an engine field type name
//   [Library]            FileName: the generator's template library, relative
//                        to the program's directory
//
// Section and key names ignore letter case. Nothing here writes the file.

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace veska {

class TAttribute;
class TDiagram;
class TIniFile;

// The engine's field types, numbered as the engine numbers them.
enum TFieldType : std::uint8_t {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
};
constexpr int kFieldTypeCount = 22;

// "ftUnknown" ... "ftTypedBinary".
QString FieldTypeName(TFieldType type);
// The field type (ftString ... ftTypedBinary) that a name stands for, letter
// case ignored; none for any other text, "ftUnknown" included.
std::optional<TFieldType> FieldTypeOfName(const QString& name);

// A server's type map: the data types and, at the same positions, the field
// type names they become. A lookup ignores letter case and takes the first
// matching data type.
class TTypeMap {
public:
  TTypeMap() = default;
  TTypeMap(QStringList dataTypes, QStringList fieldTypeNames);

  const QStringList& DataTypes() const { return FDataTypes; }
  const QStringList& FieldTypeNames() const { return FFieldTypeNames; }
  // The field type name mapped to the data type; none when it is not listed.
  std::optional<QString> Lookup(const QString& dataType) const;
  // For a foreign key the entry of the "(FK)" variant of `baseType` when
  // there is one, else the entry of `baseType`.
  std::optional<QString> LookupVariant(const QString& baseType, bool foreignKey) const;

private:
  QStringList FDataTypes;
  QStringList FFieldTypeNames;
  QHash<QString, int> FFirst;  // case-folded data type -> first position
};

struct TServerDefinition {
  QString Name;
  bool DomainSupport = false;
  bool ProcedureSupport = false;
  bool SchemaFileSupport = false;
  QString DefaultDataType;
  int MaxIDLength = 0;
  int MaxColIDLength = 0;
  TTypeMap TypeMap;
};

// The values of a map section ("<server>-DataMap"), one for each data type
// in the order of ReadDataTypes, each the first entry of its key; empty for
// a type the section lacks.
TTypeMap ReadTypeMap(const TIniFile& ini, const QString& section);

// The key list of "Servers".
QStringList ReadServers(const TIniFile& ini);
// The key list of "DataTypes".
QStringList ReadDataTypes(const TIniFile& ini);
// The server's own section and its "-DataMap" section; a server without
// sections has every switch FALSE, no default type, both limits 0 and an
// empty field type name for every data type.
TServerDefinition ReadServer(const TIniFile& ini, const QString& server);
// "Library"/"FileName" as written (relative to the program's directory).
QString ReadLibraryFileName(const TIniFile& ini);

// The data type text that a model data type stands for: a domain's name
// stands for the domain's data type (one level), "Default" for the server's
// default type; any other text for itself, its size part included.
QString ResolvedDataType(const QString& dataType, const TDiagram& model, const QString& defaultDataType);

// The field type of a model data type on a server: a domain's name stands
// for the domain's data type (one level), "Default" for the server's default
// type; the size part from "(" on is left out; a foreign key first looks for
// its "(FK)" variant. A data type that is not mapped, or mapped to no field
// type name, gives ftString.
TFieldType FieldTypeOf(const QString& dataType, bool foreignKey, const TDiagram& model,
                       const TServerDefinition& server);
TFieldType FieldTypeOf(const TAttribute& attribute, const TDiagram& model, const TServerDefinition& server);

}  // namespace veska
