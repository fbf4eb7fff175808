#pragma once
// What reading a database's catalog finds, apart from any model: tables with
// their columns, keys, indexes and foreign keys, domains and processes, and
// what was left out. One reader per dialect fills it; SqlReverse.cpp turns it
// into a model.

#include "sqlbuild/SqlBuild.h"

#include <QString>
#include <QStringList>

#include <vector>

class QSqlDatabase;

namespace veska {

struct TCatalogColumn {
  QString Name;
  // The SQL type as the server spells it ("character varying(30)", "int(11)").
  QString Type;
  // The domain the column is of (PostgreSQL), else empty.
  QString Domain;
  bool NotNull = false;
  // The default as the catalog holds it (a literal or an expression); empty
  // for none.
  QString Default;
  bool Identity = false;
  // The conditions of the CHECKs on this column alone, each without "CHECK".
  QStringList Checks;
  QString Comment;
};

struct TCatalogIndex {
  QString Name;
  bool Unique = false;
  QStringList Columns;
};

struct TCatalogForeignKey {
  // Empty when the server keeps no name.
  QString Name;
  QStringList Columns;
  QString ParentTable;
  // Empty: the parent's primary key.
  QStringList ParentColumns;
};

struct TCatalogTable {
  QString Name;
  QString Comment;
  std::vector<TCatalogColumn> Columns;  // in catalog order
  QStringList PrimaryKey;               // in key order
  // Unique constraints and indexes, without the primary key's own.
  std::vector<TCatalogIndex> Indexes;
  std::vector<TCatalogForeignKey> ForeignKeys;
};

struct TCatalogDomain {
  QString Name;
  QString Type;
  QStringList Checks;
  QString Comment;
};

struct TCatalogProcess {
  QString Name;
  QString Text;  // the whole definition, as a statement that makes it
};

struct TCatalog {
  std::vector<TCatalogTable> Tables;
  std::vector<TCatalogDomain> Domains;
  std::vector<TCatalogProcess> Processes;
  // "View v", "Sequence s", ...: what is in the database and not read.
  QStringList LeftOut;
  // Something left out is a part of the tables (an index, a check, a foreign
  // key) or a routine that could not be read, not a kind of object that is
  // never read: the catalog was read only in part.
  bool Partial = false;
};

// Reads the catalog of the open connection `db`; `schema` is PostgreSQL's
// schema. The server's message when a query failed, and the catalog is then
// incomplete.
QString ReadSqliteCatalog(QSqlDatabase& db, TCatalog& catalog);
QString ReadPostgresCatalog(QSqlDatabase& db, const QString& schema, TCatalog& catalog);
QString ReadMySqlCatalog(QSqlDatabase& db, TCatalog& catalog);

// The condition of a CHECK clause as a catalog prints it ("CHECK ((a > 0))"
// or "(a > 0)"): without the keyword and the parentheses around the whole.
QString CheckCondition(QString clause);
// Identifiers a condition names (bare, or in "", `` or []), letter case kept.
QStringList NamesInCondition(const QString& condition);

}  // namespace veska
