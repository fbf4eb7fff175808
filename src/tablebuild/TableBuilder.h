#pragma once
// Turns entities of a model into desktop tables for one target server: the
// server's definitions are read once, then the table of one entity at a time
// is created or deleted through the table engine. Engine failures reach the
// caller as TEngineError.

#include "tablebuild/ServerDefinitions.h"
#include "engine/TableEngine.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>


namespace veska {

class TAttribute;
class TDiagram;
class TEntity;
class TIniFile;
class TRelation;

class TParadoxExpert {
public:
  // Reads the data types, the server's type map, default type and length
  // limits from the settings file.
  TParadoxExpert(const TIniFile& ini, const QString& serverName, const TDiagram& diagram);

  TServerDefinition Server;    // DataTypes/DataMap are Server.TypeMap
  TTableType TableType;        // Paradox for the server "Paradox", else dBASE
  bool DropTables = false;
  bool CreateTables = false;
  QString Directory;           // where the tables are written
  const TDiagram& Diagram;     // not owned
  const QStringList* TableFilter = nullptr;  // entity names chosen; not owned

  const QString& DefaultDataType() const { return Server.DefaultDataType; }
  int MaxIDLength() const { return Server.MaxIDLength; }
  int MaxColIDLength() const { return Server.MaxColIDLength; }

  TFieldType FieldTypeOf(const TAttribute& attribute) const;
  // The table name (cut to MaxIDLength) and column name (cut to MaxColIDLength).
  QString TableNameOf(const TEntity& entity) const;
  QString FieldNameOf(const TAttribute& attribute) const;
  // The size of the field an attribute becomes; 0 for types without one.
  // For a BCD field given as "p,s" (Decimal(12,2)) it is the decimals s.
  int FieldSizeOf(const TAttribute& attribute, TFieldType type) const;
  // The digits p of a BCD field given as "p,s"; 0 for any other.
  int FieldPrecisionOf(const TAttribute& attribute, TFieldType type) const;
  // Key attributes first, then the others, each in list order.
  QList<TFieldDef> FieldDefsOf(const TEntity& entity) const;
  QList<TIndexDef> IndexDefsOf(const TEntity& entity) const;

  // Another entity of the model whose table name is the same as this
  // entity's once both are cut (letter case ignored), or none. Neither table
  // may be dropped or created: it would be the other entity's as well.
  const TEntity* TableNameClash(const TEntity& entity) const;
  // The error that such a clash is, naming both entities; empty without one.
  QString TableNameClashMessage(const TEntity& entity) const;

  // Both refuse an entity whose table another entity maps to. An engine
  // error about a name that was cut says what it was cut from.
  void CreateTable(const TEntity& entity) const;
  void DeleteTable(const TEntity& entity) const;
  // Desktop tables hold no references: both steps leave everything as it is.
  void DropReferences(const TEntity&) const {}
  void CreateRelation(const TRelation&) const {}

private:
  // The text of `attribute`'s width, or its domain's "(...)" part.
  QString SizeTextOf(const TAttribute& attribute) const;
  // The engine's error with a note for each cut name it mentions.
  TEngineError WithCutNames(const TEngineError& error, const TEntity& entity) const;

  // Entities by their cut table name, made when first needed.
  mutable QHash<QString, QList<const TEntity*>> FEntitiesByTable;
  mutable bool FEntitiesByTableMade = false;
};

}  // namespace veska
