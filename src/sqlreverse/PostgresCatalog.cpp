// The catalog of one PostgreSQL schema, from pg_catalog: tables with their
// columns, constraints and indexes, domains, functions and procedures.

#include "sqlreverse/CatalogQuery.h"
#include "sqlreverse/SqlCatalog.h"

#include <QSqlDatabase>

namespace veska {

namespace {

// The names of the columns numbered in `numbers` (an int2 array) of the
// relation `relation`, in the array's order, as JSON.
QString ColumnNamesJson(const QString& numbers, const QString& relation)
{
  return QStringLiteral("array_to_json(ARRAY(SELECT a.attname FROM unnest(%1::int2[]) WITH ORDINALITY u(n, o) "
                        "LEFT JOIN pg_attribute a ON a.attrelid = %2 AND a.attnum = u.n ORDER BY u.o))::text")
      .arg(numbers, relation);
}

}  // namespace

QString ReadPostgresCatalog(QSqlDatabase& db, const QString& schema, TCatalog& catalog)
{
  QString error;
  QSqlQuery query(db);
  if (!RunCatalogQuery(query, QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = ?"), {schema}, error))
    return error;
  if (!query.next())
    return QStringLiteral("The schema %1 does not exist in the database.").arg(schema);

  // Tables, and what is left out; sequences that a column owns (serial and
  // identity columns) are the column's.
  if (!RunCatalogQuery(query,
                       QStringLiteral(
                           "SELECT c.oid, c.relname, c.relkind, c.relispartition, obj_description(c.oid, 'pg_class') "
                           "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                           "WHERE n.nspname = ? AND c.relkind IN ('r', 'p', 'v', 'm', 'S', 'f') "
                           "AND NOT (c.relkind = 'S' AND EXISTS (SELECT 1 FROM pg_depend d WHERE d.classid = "
                           "'pg_class'::regclass AND d.objid = c.oid AND d.deptype IN ('a', 'i'))) ORDER BY c.oid"),
                       {schema}, error))
    return error;
  TCatalogTables<qint64> tables(catalog);
  while (query.next()) {
    const QString name = query.value(1).toString();
    const QString kind = query.value(2).toString();
    if (query.value(3).toBool())
      catalog.LeftOut << QStringLiteral("Partition ") + name;
    else if (kind == QLatin1String("v"))
      catalog.LeftOut << QStringLiteral("View ") + name;
    else if (kind == QLatin1String("m"))
      catalog.LeftOut << QStringLiteral("Materialized view ") + name;
    else if (kind == QLatin1String("S"))
      catalog.LeftOut << QStringLiteral("Sequence ") + name;
    else if (kind == QLatin1String("f"))
      catalog.LeftOut << QStringLiteral("Foreign table ") + name;
    else
      tables.Add(query.value(0).toLongLong(), name, query.value(4).toString());
  }

  // Columns. A column of a domain of this schema is of the domain; a
  // generated column's expression is no default.
  if (!RunCatalogQuery(
          query,
          QStringLiteral(
              "SELECT a.attrelid, a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull, "
              "CASE WHEN a.attgenerated = '' THEN pg_get_expr(d.adbin, d.adrelid) END, a.attidentity <> '', "
              "col_description(a.attrelid, a.attnum), "
              "CASE WHEN t.typtype = 'd' AND t.typnamespace = n.oid THEN t.typname END, "
              "CASE WHEN t.typtype = 'd' THEN format_type(t.typbasetype, t.typtypmod) END, "
              "pg_get_serial_sequence(format('%I.%I', n.nspname, c.relname), a.attname) IS NOT NULL "
              "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
              "JOIN pg_namespace n ON n.oid = c.relnamespace JOIN pg_type t ON t.oid = a.atttypid "
              "LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
              "WHERE n.nspname = ? AND c.relkind IN ('r', 'p') AND a.attnum > 0 AND NOT a.attisdropped "
              "ORDER BY a.attrelid, a.attnum"),
          {schema}, error))
    return error;
  while (TCatalogTable* table = tables.Next(query)) {
    TCatalogColumn column;
    column.Name = query.value(1).toString();
    column.Type = query.value(2).toString();
    column.NotNull = query.value(3).toBool();
    column.Default = query.value(4).toString();
    column.Identity = query.value(5).toBool();
    // A serial column: the sequence of its default is its own.
    if (query.value(9).toBool() && column.Default.startsWith(QLatin1String("nextval("))) {
      column.Identity = true;
      column.Default.clear();
    }
    column.Comment = query.value(6).toString();
    column.Domain = query.value(7).toString();
    if (column.Domain.isEmpty() && !query.value(8).isNull())
      column.Type = query.value(8).toString();
    table->Columns.push_back(column);
  }

  // Constraints: the primary key, foreign keys and checks (unique
  // constraints come with their indexes).
  if (!RunCatalogQuery(query,
                       QStringLiteral("SELECT k.conrelid, k.conname, k.contype, %1, pc.relname, pn.nspname, %2, "
                                      "pg_get_constraintdef(k.oid) FROM pg_constraint k "
                                      "JOIN pg_class c ON c.oid = k.conrelid "
                                      "JOIN pg_namespace n ON n.oid = c.relnamespace "
                                      "LEFT JOIN pg_class pc ON pc.oid = k.confrelid "
                                      "LEFT JOIN pg_namespace pn ON pn.oid = pc.relnamespace "
                                      "WHERE n.nspname = ? AND k.contype IN ('p', 'f', 'c') ORDER BY k.conrelid, k.oid")
                           .arg(ColumnNamesJson(QStringLiteral("k.conkey"), QStringLiteral("k.conrelid")),
                                ColumnNamesJson(QStringLiteral("k.confkey"), QStringLiteral("k.confrelid"))),
                       {schema}, error))
    return error;
  while (TCatalogTable* table = tables.Next(query)) {
    const QString name = query.value(1).toString();
    const QString type = query.value(2).toString();
    const QStringList columns = JsonNames(query.value(3));
    if (type == QLatin1String("p")) {
      table->PrimaryKey = columns;
    } else if (type == QLatin1String("f")) {
      if (query.value(5).toString() != schema) {
        catalog.LeftOut << QStringLiteral("Foreign key %1 of %2 (to another schema)").arg(name, table->Name);
        catalog.Partial = true;
        continue;
      }
      table->ForeignKeys.push_back({name, columns, query.value(4).toString(), JsonNames(query.value(6))});
    } else if (columns.size() == 1) {
      for (TCatalogColumn& column : table->Columns)
        if (column.Name == columns.front())
          column.Checks << CheckCondition(query.value(7).toString());
    } else {
      catalog.LeftOut << QStringLiteral("Check %1 of %2 (on %3 columns)").arg(name, table->Name).arg(columns.size());
      catalog.Partial = true;
    }
  }

  // Indexes other than the primary key's and an exclusion constraint's; a
  // unique constraint's index has the constraint's name.
  if (!RunCatalogQuery(
          query,
          QStringLiteral("SELECT i.indrelid, ic.relname, i.indisunique, i.indexprs IS NOT NULL, "
                         "array_to_json(ARRAY(SELECT a.attname FROM unnest(i.indkey::int2[]) WITH ORDINALITY k(n, o) "
                         "LEFT JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = k.n "
                         "WHERE k.o <= i.indnkeyatts ORDER BY k.o))::text "
                         "FROM pg_index i JOIN pg_class ic ON ic.oid = i.indexrelid "
                         "JOIN pg_class c ON c.oid = i.indrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
                         "WHERE n.nspname = ? AND NOT i.indisprimary AND NOT EXISTS (SELECT 1 FROM pg_constraint x "
                         "WHERE x.conindid = i.indexrelid AND x.contype = 'x') ORDER BY i.indrelid, i.indexrelid"),
          {schema}, error))
    return error;
  while (TCatalogTable* table = tables.Next(query)) {
    const QString name = query.value(1).toString();
    if (query.value(3).toBool()) {
      catalog.LeftOut << QStringLiteral("Index %1 of %2 (on an expression)").arg(name, table->Name);
      catalog.Partial = true;
    } else
      table->Indexes.push_back({name, query.value(2).toBool(), JsonNames(query.value(4))});
  }

  if (!RunCatalogQuery(query,
                       QStringLiteral("SELECT t.typname, format_type(t.typbasetype, t.typtypmod), "
                                      "obj_description(t.oid, 'pg_type'), array_to_json(ARRAY(SELECT "
                                      "pg_get_constraintdef(k.oid) FROM pg_constraint k WHERE k.contypid = t.oid "
                                      "AND k.contype = 'c' ORDER BY k.oid))::text FROM pg_type t "
                                      "JOIN pg_namespace n ON n.oid = t.typnamespace "
                                      "WHERE n.nspname = ? AND t.typtype = 'd' ORDER BY t.oid"),
                       {schema}, error))
    return error;
  while (query.next()) {
    TCatalogDomain domain{query.value(0).toString(), query.value(1).toString(), {}, query.value(2).toString()};
    for (const QString& check : JsonNames(query.value(3)))
      domain.Checks << CheckCondition(check);
    catalog.Domains.push_back(domain);
  }

  // Functions and procedures written in the schema (not an extension's).
  if (!RunCatalogQuery(query,
                       QStringLiteral("SELECT p.proname, pg_get_functiondef(p.oid) FROM pg_proc p "
                                      "JOIN pg_namespace n ON n.oid = p.pronamespace "
                                      "WHERE n.nspname = ? AND p.prokind IN ('f', 'p') AND NOT EXISTS (SELECT 1 FROM "
                                      "pg_depend d WHERE d.classid = 'pg_proc'::regclass AND d.objid = p.oid AND "
                                      "d.deptype = 'e') ORDER BY p.oid"),
                       {schema}, error))
    return error;
  while (query.next())
    catalog.Processes.push_back({query.value(0).toString(), query.value(1).toString().trimmed()});
  return {};
}

}  // namespace veska
