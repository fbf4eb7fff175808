#pragma once
// Turns entities of a model into desktop tables for one target server: the
// server's definitions are read once, then the table of one entity at a time
// is created or deleted through the table engine. Engine failures reach the
// caller as TEngineError.

#include "build/ServerDefinitions.h"
#include "engine/TableEngine.h"

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
  int FieldSizeOf(const TAttribute& attribute, TFieldType type) const;
  // Key attributes first, then the others, each in list order.
  QList<TFieldDef> FieldDefsOf(const TEntity& entity) const;
  QList<TIndexDef> IndexDefsOf(const TEntity& entity) const;

  void CreateTable(const TEntity& entity) const;
  void DeleteTable(const TEntity& entity) const;
  // Desktop tables hold no references: both steps leave everything as it is.
  void DropReferences(const TEntity&) const {}
  void CreateRelation(const TRelation&) const {}
};

}  // namespace veska
