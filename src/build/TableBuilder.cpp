#include "build/TableBuilder.h"

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

int TParadoxExpert::FieldSizeOf(const TAttribute& attribute, TFieldType type) const
{
  if (type != ftString && type != ftBCD && type != ftVarBytes)
    return 0;
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
  bool ok = false;
  const int size = text.toInt(&ok);
  return ok && size != 0 ? size : 10;
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

void TParadoxExpert::CreateTable(const TEntity& entity) const
{
  veska::CreateTable(Directory, TableNameOf(entity), TableType, FieldDefsOf(entity), IndexDefsOf(entity));
}

void TParadoxExpert::DeleteTable(const TEntity& entity) const
{
  veska::DeleteTable(Directory, TableNameOf(entity), TableType);
}

}  // namespace veska
