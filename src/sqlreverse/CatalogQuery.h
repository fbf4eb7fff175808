#pragma once
// Running the catalog queries of a reader: bound values, the server's
// message on failure, JSON arrays of names, the rows of each table.

#include "sqlreverse/SqlCatalog.h"

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace veska {

// Prepares and runs `sql` with the values bound in order; false and the
// server's message in `error` when it failed.
bool RunCatalogQuery(QSqlQuery& query, const QString& sql, const QVariantList& values, QString& error);

// The strings of a JSON array text ("[\"a\",\"b\"]"); a null stays empty.
QStringList JsonNames(const QVariant& value);

// The tables of a catalog by the key the server's queries name them with
// (an oid, a name), for reading the rows that belong to them.
template <typename Key>
class TCatalogTables {
public:
  explicit TCatalogTables(TCatalog& catalog) : FCatalog(catalog) {}

  void Add(const Key& key, const QString& name, const QString& comment)
  {
    FIndex.insert(key, FCatalog.Tables.size());
    TCatalogTable& table = FCatalog.Tables.emplace_back();
    table.Name = name;
    table.Comment = comment;
  }

  // Moves `query` on to its next row whose first value names a table read
  // and gives that table; null when the rows are done.
  TCatalogTable* Next(QSqlQuery& query) const
  {
    while (query.next()) {
      const auto it = FIndex.constFind(query.value(0).value<Key>());
      if (it != FIndex.constEnd())
        return &FCatalog.Tables[*it];
    }
    return nullptr;
  }

private:
  TCatalog& FCatalog;
  QHash<Key, size_t> FIndex;
};

}  // namespace veska
