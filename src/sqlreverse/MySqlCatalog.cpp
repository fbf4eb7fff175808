// The catalog of one MySQL or MariaDB database, from information_schema and
// SHOW CREATE for the routines.

#include "sqlbuild/SqlQuoting.h"
#include "sqlreverse/CatalogQuery.h"
#include "sqlreverse/SqlCatalog.h"

#include <QSet>
#include <QRegularExpression>
#include <QSqlDatabase>

namespace veska {

QString ReadMySqlCatalog(QSqlDatabase& db, TCatalog& catalog)
{
  QString error;
  QSqlQuery query(db);
  if (!RunCatalogQuery(query,
                       QStringLiteral("SELECT TABLE_NAME, TABLE_TYPE, TABLE_COMMENT FROM information_schema.TABLES "
                                      "WHERE TABLE_SCHEMA = DATABASE() ORDER BY TABLE_NAME"),
                       {}, error))
    return error;
  TCatalogTables<QString> tables(catalog);
  while (query.next()) {
    const QString name = query.value(0).toString();
    const QString type = query.value(1).toString();
    if (type == QLatin1String("VIEW"))
      catalog.LeftOut << QStringLiteral("View ") + name;
    else if (type == QLatin1String("SEQUENCE"))
      catalog.LeftOut << QStringLiteral("Sequence ") + name;
    else if (type == QLatin1String("BASE TABLE") || type == QLatin1String("SYSTEM VERSIONED")) {
      tables.Add(name, name, query.value(2).toString());
    }
  }
  if (!RunCatalogQuery(query,
                       QStringLiteral("SELECT TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, COLUMN_DEFAULT, "
                                      "EXTRA, COLUMN_COMMENT FROM information_schema.COLUMNS "
                                      "WHERE TABLE_SCHEMA = DATABASE() ORDER BY TABLE_NAME, ORDINAL_POSITION"),
                       {}, error))
    return error;
  while (TCatalogTable* table = tables.Next(query)) {
    TCatalogColumn column;
    column.Name = query.value(1).toString();
    column.Type = query.value(2).toString();
    column.NotNull = query.value(3).toString() == QLatin1String("NO");
    // MariaDB writes a default of nothing as the word NULL.
    if (!query.value(4).isNull() && query.value(4).toString() != QLatin1String("NULL"))
      column.Default = query.value(4).toString();
    const QString extra = query.value(5).toString();
    column.Identity = extra.contains(QLatin1String("auto_increment"), Qt::CaseInsensitive);
    if (extra.contains(QLatin1String("GENERATED"), Qt::CaseInsensitive))
      column.Default.clear();
    column.Comment = query.value(6).toString();
    table->Columns.push_back(column);
  }

  if (!RunCatalogQuery(query,
                       QStringLiteral("SELECT TABLE_NAME, INDEX_NAME, NON_UNIQUE, COLUMN_NAME "
                                      "FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() "
                                      "ORDER BY TABLE_NAME, INDEX_NAME, SEQ_IN_INDEX"),
                       {}, error))
    return error;
  QSet<QString> expressions;
  while (TCatalogTable* table = tables.Next(query)) {
    const QString name = query.value(1).toString();
    const QString column = query.value(3).toString();
    if (name == QLatin1String("PRIMARY")) {
      table->PrimaryKey << column;
      continue;
    }
    if (query.value(3).isNull()) {
      const QString what = QStringLiteral("Index %1 of %2 (on an expression)").arg(name, table->Name);
      if (!expressions.contains(what))
        catalog.LeftOut << what;
      expressions.insert(what);
      catalog.Partial = true;
      continue;
    }
    if (table->Indexes.empty() || table->Indexes.back().Name != name)
      table->Indexes.push_back({name, query.value(2).toInt() == 0, {}});
    table->Indexes.back().Columns << column;
  }
  for (TCatalogTable& table : catalog.Tables)
    std::erase_if(table.Indexes, [&](const TCatalogIndex& index) {
      return expressions.contains(QStringLiteral("Index %1 of %2 (on an expression)").arg(index.Name, table.Name));
    });

  if (!RunCatalogQuery(query,
                       QStringLiteral("SELECT TABLE_NAME, CONSTRAINT_NAME, COLUMN_NAME, REFERENCED_TABLE_SCHEMA, "
                                      "REFERENCED_TABLE_NAME, REFERENCED_COLUMN_NAME "
                                      "FROM information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = DATABASE() "
                                      "AND REFERENCED_TABLE_NAME IS NOT NULL "
                                      "ORDER BY TABLE_NAME, CONSTRAINT_NAME, ORDINAL_POSITION"),
                       {}, error))
    return error;
  const QString database = db.databaseName();
  while (TCatalogTable* table = tables.Next(query)) {
    const QString name = query.value(1).toString();
    if (query.value(3).toString() != database) {
      const QString what = QStringLiteral("Foreign key %1 of %2 (to another database)").arg(name, table->Name);
      if (!catalog.LeftOut.contains(what))
        catalog.LeftOut << what;
      catalog.Partial = true;
      continue;
    }
    if (table->ForeignKeys.empty() || table->ForeignKeys.back().Name != name)
      table->ForeignKeys.push_back({name, {}, query.value(4).toString(), {}});
    table->ForeignKeys.back().Columns << query.value(2).toString();
    table->ForeignKeys.back().ParentColumns << query.value(5).toString();
  }

  // MariaDB names each check's table; MySQL only through its constraints.
  QSqlQuery checks(db);
  if (!RunCatalogQuery(checks,
                       QStringLiteral("SELECT TABLE_NAME, CONSTRAINT_NAME, CHECK_CLAUSE FROM "
                                      "information_schema.CHECK_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = DATABASE() "
                                      "ORDER BY TABLE_NAME, CONSTRAINT_NAME"),
                       {}, error)
      && !RunCatalogQuery(checks,
                          QStringLiteral("SELECT t.TABLE_NAME, c.CONSTRAINT_NAME, c.CHECK_CLAUSE FROM "
                                         "information_schema.CHECK_CONSTRAINTS c JOIN "
                                         "information_schema.TABLE_CONSTRAINTS t ON t.CONSTRAINT_SCHEMA = "
                                         "c.CONSTRAINT_SCHEMA AND t.CONSTRAINT_NAME = c.CONSTRAINT_NAME AND "
                                         "t.CONSTRAINT_TYPE = 'CHECK' WHERE c.CONSTRAINT_SCHEMA = DATABASE() "
                                         "ORDER BY t.TABLE_NAME, c.CONSTRAINT_NAME"),
                          {}, error))
    return error;
  while (TCatalogTable* table = tables.Next(checks)) {
    const QString condition = CheckCondition(checks.value(2).toString());
    TCatalogColumn* only = nullptr;
    int named = 0;
    for (const QString& name : NamesInCondition(condition))
      for (TCatalogColumn& column : table->Columns)
        if (column.Name.compare(name, Qt::CaseInsensitive) == 0 && &column != only) {
          only = &column;
          ++named;
        }
    if (named == 1)
      only->Checks << condition;
    else {
      catalog.LeftOut << QStringLiteral("Check %1 of %2").arg(checks.value(1).toString(), table->Name);
      catalog.Partial = true;
    }
  }

  if (!RunCatalogQuery(query,
                       QStringLiteral("SELECT ROUTINE_NAME, ROUTINE_TYPE FROM information_schema.ROUTINES "
                                      "WHERE ROUTINE_SCHEMA = DATABASE() ORDER BY ROUTINE_NAME"),
                       {}, error))
    return error;
  std::vector<std::pair<QString, QString>> routines;
  while (query.next())
    routines.emplace_back(query.value(0).toString(), query.value(1).toString());
  for (const auto& [name, type] : routines) {
    const QString kind = type == QLatin1String("FUNCTION") ? QStringLiteral("FUNCTION") : QStringLiteral("PROCEDURE");
    QString text;
    if (query.exec(QStringLiteral("SHOW CREATE %1 %2").arg(kind, QuoteIdentifier(TSqlDialect::MySQL, name)))
        && query.next())
      text = query.value(2).toString();
    if (text.trimmed().isEmpty()) {
      // The definition is shown only to its definer and the privileged.
      catalog.LeftOut << QStringLiteral("Routine %1 (its definition is not shown to this user)").arg(name);
      catalog.Partial = true;
      continue;
    }
    // The definer is a user of this server; a build makes the routine for
    // whoever runs it.
    static const QRegularExpression kDefiner(QStringLiteral("^CREATE\\s+DEFINER\\s*=\\s*\\S+\\s+"),
                                             QRegularExpression::CaseInsensitiveOption);
    text.replace(kDefiner, QStringLiteral("CREATE "));
    catalog.Processes.push_back({name, text.trimmed()});
  }
  return {};
}

}  // namespace veska
