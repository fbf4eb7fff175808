#pragma once
// The statements of an SQL build: what the options of a build create (or
// drop) for the chosen entities, as steps in the order they must run.
//
//   Drop Table      DROP TABLE IF EXISTS for each chosen entity, children
//                   before parents (CASCADE on PostgreSQL); on PostgreSQL
//                   with domains of their own, then DROP DOMAIN IF EXISTS
//                   for the domains the tables use (no CASCADE: a domain
//                   that a table outside the choice still uses stays, and
//                   so do that table's columns).
//   Create Domain   PostgreSQL only: CREATE DOMAIN for each domain a chosen
//                   table uses, its rule a CHECK where VALUE is the value.
//                   Elsewhere a domain's type and rule go onto each column
//                   (VALUE then stands for the column).
//   Create Table    CREATE TABLE with the key attributes, then the others;
//                   NOT NULL, DEFAULT, CHECK and descriptions; its indexes.
//   Primary Key     the PRIMARY KEY of each table.
//   On Foreign Key  a FOREIGN KEY per relation between two chosen entities
//                   (ON DELETE CASCADE for master-detail), the carried
//                   columns UNIQUE for one-to-one, and an index on them
//                   where the server makes none.
//   Create Process  each process written for the server, as written.
//
// Every identifier is quoted, so names keep their letter case and any
// character; every default value and description is a string literal.

#include "sqlbuild/SqlBuild.h"
#include "sqlbuild/SqlTypes.h"
#include "tablebuild/ServerDefinitions.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace veska {

class TAttribute;
class TDiagram;
class TDomain;
class TEntity;
class TIniFile;
class TRelation;

// The steps of a build of `model` for `server` with `options`. A server
// without a dialect gives one error step.
std::vector<TSqlStep> SqlBuildSteps(const TIniFile& ini, const QString& server, const TDiagram& model,
                                    const TSqlBuildOptions& options);

// The server's definitions read once, and the names and steps of a build.
class TSqlSchema {
public:
  TSqlSchema(const TIniFile& ini, const QString& server, const TDiagram& model);

  const std::optional<TSqlDialect>& Dialect() const { return FDialect; }
  const TServerDefinition& Server() const { return FServer; }

  // The table name cut to MaxIDLength (0: whole), and the column name (the
  // attribute's name when it has no column name) cut to MaxColIDLength.
  QString TableNameOf(const TEntity& entity) const;
  QString ColumnNameOf(const TAttribute& attribute) const;
  // The error that another entity of the model with the same cut table name
  // (letter case ignored) is; empty without one.
  QString TableNameClashMessage(const TEntity& entity) const;

  std::vector<TSqlStep> Steps(const TSqlBuildOptions& options) const;

private:
  class TBuild;

  const TDiagram& FModel;
  TServerDefinition FServer;
  TTypeMap FSqlTypes;
  std::optional<TSqlDialect> FDialect;
  // Entities by their case-folded cut table name.
  QHash<QString, QList<const TEntity*>> FEntitiesByTable;
};

}  // namespace veska
