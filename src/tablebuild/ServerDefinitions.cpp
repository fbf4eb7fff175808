#include "tablebuild/ServerDefinitions.h"

#include "model/Diagram.h"
#include "model/Identifiers.h"
#include "platform/IniFile.h"

#include <array>

namespace veska {
namespace {

const std::array<const char*, kFieldTypeCount> kFieldTypeNames = {
  "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat", "ftCurrency",
  "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc", "ftBlob",
  "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary",
};

bool IsYes(const QString& value)
{
  return value.startsWith(QLatin1Char('Y')) || value.startsWith(QLatin1Char('y'));
}

}  // namespace

QString FieldTypeName(TFieldType type)
{
  return QString::fromLatin1(kFieldTypeNames.at(type));
}

std::optional<TFieldType> FieldTypeOfName(const QString& name)
{
  for (int t = kFieldTypeCount - 1; t >= ftString; --t)
    if (name.compare(QLatin1String(kFieldTypeNames.at(static_cast<size_t>(t))), Qt::CaseInsensitive) == 0)
      return static_cast<TFieldType>(t);
  return std::nullopt;
}

TTypeMap::TTypeMap(QStringList dataTypes, QStringList fieldTypeNames)
  : FDataTypes(std::move(dataTypes)), FFieldTypeNames(std::move(fieldTypeNames))
{
  // From the last to the first, so that the first of equal names stays.
  for (int i = static_cast<int>(FDataTypes.size()) - 1; i >= 0; --i)
    FFirst.insert(FDataTypes[i].toCaseFolded(), i);
}

std::optional<QString> TTypeMap::Lookup(const QString& dataType) const
{
  const auto it = FFirst.constFind(dataType.toCaseFolded());
  if (it == FFirst.constEnd())
    return std::nullopt;
  return FFieldTypeNames.value(it.value());
}

std::optional<QString> TTypeMap::LookupVariant(const QString& baseType, bool foreignKey) const
{
  if (foreignKey)
    if (auto name = Lookup(baseType + QStringLiteral("(FK)")))
      return name;
  return Lookup(baseType);
}

TTypeMap ReadTypeMap(const TIniFile& ini, const QString& section)
{
  // The map's values, each the first entry of its key.
  QHash<QString, QString> mapped;
  const auto map = ini.ReadSection(section);
  for (auto it = map.crbegin(); it != map.crend(); ++it)
    mapped.insert(it->first.toCaseFolded(), it->second);
  const QStringList dataTypes = ReadDataTypes(ini);
  QStringList names;
  names.reserve(dataTypes.size());
  for (const QString& type : dataTypes)
    names.append(mapped.value(type.toCaseFolded()));
  return TTypeMap(dataTypes, names);
}

QStringList ReadServers(const TIniFile& ini)
{
  return ini.ReadSectionKeys(QStringLiteral("Servers"));
}

QStringList ReadDataTypes(const TIniFile& ini)
{
  return ini.ReadSectionKeys(QStringLiteral("DataTypes"));
}

TServerDefinition ReadServer(const TIniFile& ini, const QString& server)
{
  TServerDefinition def;
  def.Name = server;
  // The first entry of a key counts.
  auto value = [](const QList<std::pair<QString, QString>>& entries, const QString& key) {
    for (const auto& entry : entries)
      if (SameText(entry.first, key))
        return entry.second;
    return QString();
  };
  const auto own = ini.ReadSection(server);
  def.DomainSupport = IsYes(value(own, QStringLiteral("DomainSupport")));
  def.ProcedureSupport = IsYes(value(own, QStringLiteral("ProcedureSupport")));
  def.SchemaFileSupport = IsYes(value(own, QStringLiteral("SchemaFileSupport")));
  def.DefaultDataType = value(own, QStringLiteral("DefaultDataType"));
  def.MaxIDLength = TIniFile::ToNumber(value(own, QStringLiteral("MaxIDLength")));
  def.MaxColIDLength = TIniFile::ToNumber(value(own, QStringLiteral("MaxColIDLength")));
  def.TypeMap = ReadTypeMap(ini, server + QStringLiteral("-DataMap"));
  return def;
}

QString ReadLibraryFileName(const TIniFile& ini)
{
  return ini.ReadSetting(QStringLiteral("Library"), QStringLiteral("FileName"));
}

QString ResolvedDataType(const QString& dataType, const TDiagram& model, const QString& defaultDataType)
{
  QString text = dataType;
  if (const TDomain* domain = model.Domains.Find(text))
    text = domain->DataType;
  if (SameText(text, QStringLiteral("Default")))
    text = defaultDataType;
  return text;
}

TFieldType FieldTypeOf(const QString& dataType, bool foreignKey, const TDiagram& model,
                       const TServerDefinition& server)
{
  const QString base = BaseType(ResolvedDataType(dataType, model, server.DefaultDataType));
  if (const std::optional<QString> name = server.TypeMap.LookupVariant(base, foreignKey))
    if (const auto type = FieldTypeOfName(*name))
      return *type;
  return ftString;
}

TFieldType FieldTypeOf(const TAttribute& attribute, const TDiagram& model, const TServerDefinition& server)
{
  return FieldTypeOf(attribute.DataType, attribute.ForeignKey, model, server);
}

}  // namespace veska
