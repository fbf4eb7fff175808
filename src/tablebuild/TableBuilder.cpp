#include "tablebuild/TableBuilder.h"

#include "model/Diagram.h"
#include "model/Entity.h"
#include "model/Identifiers.h"
#include "platform/IniFile.h"
#include "platform/TextEncoding.h"

namespace veska {

TParadoxExpert::TParadoxExpert(const TIniFile& ini, const QString& serverName, const TDiagram& diagram)
  : Server(ReadServer(ini, serverName)),
    TableType(SameText(serverName, QStringLiteral("Paradox")) ? TTableType::Paradox : TTableType::Dbase),
    Diagram(diagram)
{
}

TFieldType TParadoxExpert::FieldTypeOf(const TAttribute& attribute) const
{
  return veska::FieldTypeOf(attribute, Diagram, Server);
}

QString TParadoxExpert::TableNameOf(const TEntity& entity) const
{
  return LeftCharacters(entity.TableName(), MaxIDLength());
}

QString TParadoxExpert::FieldNameOf(const TAttribute& attribute) const
{
  return LeftCharacters(attribute.ColumnName(), MaxColIDLength());
}

QString TParadoxExpert::SizeTextOf(const TAttribute& attribute) const
{
  QString text = attribute.Width;
  // A domain's size is the first number of its type's "(...)" part.
  if (const TDomain* domain = Diagram.Domains.Find(attribute.DataType)) {
    text = domain->DataType;
    const int open = int(text.indexOf(QLatin1Char('(')));
    if (open >= 0)
      text = text.mid(open + 1);
    const int close = int(text.indexOf(QLatin1Char(')')));
    if (close >= 0)
      text = text.left(close);
  }
  return text;
}

namespace {

// "p,s": the digits and decimals of a number, both decimal numbers, the
// decimals no more than the digits; false for any other text.
bool ReadPrecisionAndScale(const QString& text, int& precision, int& scale)
{
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() != 2)
    return false;
  bool okPrecision = false;
  bool okScale = false;
  precision = parts[0].toInt(&okPrecision);
  scale = parts[1].toInt(&okScale);
  return okPrecision && okScale && precision > 0 && scale >= 0 && scale <= precision;
}

}  // namespace

int TParadoxExpert::FieldSizeOf(const TAttribute& attribute, TFieldType type) const
{
  if (type != ftString && type != ftBCD && type != ftVarBytes)
    return 0;
  const QString text = SizeTextOf(attribute);
  // Decimal(12,2) keeps its 2 decimals: read as 10 decimals (the size of a
  // text that is no number), a money column would lose its integer digits.
  int precision = 0;
  int scale = 0;
  if (type == ftBCD && ReadPrecisionAndScale(text, precision, scale))
    return scale;
  bool ok = false;
  const int size = text.toInt(&ok);
  return ok && size != 0 ? size : 10;
}

int TParadoxExpert::FieldPrecisionOf(const TAttribute& attribute, TFieldType type) const
{
  int precision = 0;
  int scale = 0;
  if (type == ftBCD && ReadPrecisionAndScale(SizeTextOf(attribute), precision, scale))
    return precision;
  return 0;
}

QList<TFieldDef> TParadoxExpert::FieldDefsOf(const TEntity& entity) const
{
  QList<TFieldDef> fields;
  fields.reserve(entity.PrimaryKey.Count() + entity.Attributes.Count());
  auto add = [&](const TAttribute& a, bool key) {
    TFieldDef def;
    def.Name = FieldNameOf(a);
    const TFieldType type = FieldTypeOf(a);
    // The two enumerations number the field types alike.
    def.Type = static_cast<TEngineFieldType>(type);
    def.Size = FieldSizeOf(a, type);
    def.Precision = FieldPrecisionOf(a, type);
    def.Required = key || !a.AllowNulls;
    fields.append(def);
  };
  for (const TAttribute* a : entity.PrimaryKey)
    add(*a, true);
  for (const TAttribute* a : entity.Attributes)
    add(*a, false);
  return fields;
}

QList<TIndexDef> TParadoxExpert::IndexDefsOf(const TEntity& entity) const
{
  const int keys = entity.PrimaryKey.Count();
  if (keys == 0)
    return {};
  TIndexDef pk;
  pk.Name = QStringLiteral("PK");
  pk.Primary = true;
  if (TableType == TTableType::Paradox) {
    // A Paradox table is keyed by its leading fields: the primary index must
    // cover every key field, and the key fields come first in FieldDefsOf.
    for (const TAttribute* a : entity.PrimaryKey)
      pk.Fields.append(FieldNameOf(*a));
    pk.Unique = true;
  } else {
    // dBASE: the index is on the first key field alone, so it is unique only
    // when that field is the whole key.
    pk.Fields.append(FieldNameOf(*entity.PrimaryKey.Objects(0)));
    pk.Unique = keys == 1;
  }
  return {pk};
}

const TEntity* TParadoxExpert::TableNameClash(const TEntity& entity) const
{
  if (!FEntitiesByTableMade) {
    for (const TEntity* e : Diagram.Entities) {
      const QString table = TableNameOf(*e);
      // An empty name is no table: the engine refuses it for every entity.
      if (!table.isEmpty())
        FEntitiesByTable[table.toCaseFolded()].append(e);
    }
    FEntitiesByTableMade = true;
  }
  const auto it = FEntitiesByTable.constFind(TableNameOf(entity).toCaseFolded());
  if (it == FEntitiesByTable.constEnd())
    return nullptr;
  for (const TEntity* other : it.value())
    if (other != &entity)
      return other;
  return nullptr;
}

QString TParadoxExpert::TableNameClashMessage(const TEntity& entity) const
{
  const TEntity* other = TableNameClash(entity);
  if (!other)
    return {};
  return QStringLiteral("The entities %1 and %2 both give the table name %3 (table names are cut to %4 characters): "
                        "the table of %1 is neither dropped nor created.")
      .arg(entity.EntityName(), other->EntityName(), TableNameOf(entity))
      .arg(MaxIDLength());
}

TEngineError TParadoxExpert::WithCutNames(const TEngineError& error, const TEntity& entity) const
{
  QString message = error.Message();
  auto note = [&message](const QString& cut, const QString& whole) {
    if (cut != whole && message.contains(cut))
      message += QStringLiteral(" \"%1\" was cut from \"%2\".").arg(cut, whole);
  };
  note(TableNameOf(entity), entity.TableName());
  for (const TAttribute* a : entity.PrimaryKey)
    note(FieldNameOf(*a), a->ColumnName());
  for (const TAttribute* a : entity.Attributes)
    note(FieldNameOf(*a), a->ColumnName());
  return TEngineError(message);
}

void TParadoxExpert::CreateTable(const TEntity& entity) const
{
  if (const QString clash = TableNameClashMessage(entity); !clash.isEmpty())
    throw TEngineError(clash);
  try {
    veska::CreateTable(Directory, TableNameOf(entity), TableType, FieldDefsOf(entity), IndexDefsOf(entity));
  } catch (const TEngineError& e) {
    throw WithCutNames(e, entity);
  }
}

void TParadoxExpert::DeleteTable(const TEntity& entity) const
{
  if (const QString clash = TableNameClashMessage(entity); !clash.isEmpty())
    throw TEngineError(clash);
  try {
    veska::DeleteTable(Directory, TableNameOf(entity), TableType);
  } catch (const TEngineError& e) {
    throw WithCutNames(e, entity);
  }
}

}  // namespace veska
