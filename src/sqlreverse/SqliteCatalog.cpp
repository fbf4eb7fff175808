// The catalog of a SQLite database: sqlite_master and the table pragmas;
// what no pragma tells (CHECKs, AUTOINCREMENT, the names of foreign keys)
// from the CREATE TABLE text the database keeps.

#include "sqlreverse/CatalogQuery.h"
#include "sqlreverse/SqlCatalog.h"
#include "sqlreverse/SqlText.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace veska {
namespace {

using sqltext::TToken;

// What the CREATE TABLE text tells beyond the pragmas.
struct TCreateText {
  QHash<QString, QStringList> Checks;  // by case-folded column
  QSet<QString> Counters;              // case-folded columns with AUTOINCREMENT
  // Foreign key names by "columns|parent", case-folded, in declaration order.
  QHash<QString, QStringList> ForeignKeyNames;
};

QString ForeignKeyIdentity(const QStringList& columns, const QString& parent)
{
  return (columns.join(QLatin1Char(',')) + QLatin1Char('|') + parent).toCaseFolded();
}

// The names in the parenthesised list at `open`, and the position after it.
QStringList NameList(const std::vector<TToken>& tokens, size_t open, size_t& after)
{
  QStringList names;
  const size_t close = sqltext::ClosingParenthesis(tokens, open);
  for (size_t i = open + 1; i < close; ++i)
    if (tokens[i].IsName() && (i == open + 1 || tokens[i - 1].IsSymbol(',')))
      names << tokens[i].Text;
  after = close + 1;
  return names;
}

TCreateText ReadCreateText(const QString& sql, const QStringList& columns)
{
  TCreateText result;
  const std::vector<TToken> tokens = sqltext::Tokenize(sql);
  size_t open = 0;
  while (open < tokens.size() && !tokens[open].IsSymbol('('))
    ++open;
  const size_t end = sqltext::ClosingParenthesis(tokens, open);
  auto condition = [&](size_t checkWord, size_t limit) -> QString {
    if (checkWord + 1 >= limit || !tokens[checkWord + 1].IsSymbol('('))
      return {};
    const size_t close = sqltext::ClosingParenthesis(tokens, checkWord + 1);
    if (close >= tokens.size())
      return {};
    return CheckCondition(sql.mid(tokens[checkWord + 1].Start, tokens[close].End - tokens[checkWord + 1].Start));
  };
  size_t first = open + 1;
  while (first < end) {
    // One definition runs to the next comma outside parentheses.
    size_t last = first;
    for (int depth = 0; last < end; ++last) {
      if (tokens[last].IsSymbol('('))
        ++depth;
      else if (tokens[last].IsSymbol(')'))
        --depth;
      else if (depth == 0 && tokens[last].IsSymbol(','))
        break;
    }
    size_t i = first;
    QString constraintName;
    if (i + 1 < last && tokens[i].IsWord("CONSTRAINT")) {
      constraintName = tokens[i + 1].Text;
      i += 2;
    }
    if (i < last && (tokens[i].IsWord("PRIMARY") || tokens[i].IsWord("UNIQUE"))) {
      // Read from the pragmas.
    } else if (i < last && tokens[i].IsWord("CHECK")) {
      // A table's CHECK is a column's rule when it names that column alone.
      const QString text = condition(i, last);
      QStringList named;
      for (const QString& name : NamesInCondition(text))
        for (const QString& column : columns)
          if (column.compare(name, Qt::CaseInsensitive) == 0 && !named.contains(column))
            named << column;
      if (named.size() == 1 && !text.isEmpty())
        result.Checks[named.front().toCaseFolded()] << text;
    } else if (i < last && tokens[i].IsWord("FOREIGN") && i + 2 < last && tokens[i + 2].IsSymbol('(')) {
      size_t after = 0;
      const QStringList from = NameList(tokens, i + 2, after);
      if (after + 1 < last && tokens[after].IsWord("REFERENCES") && tokens[after + 1].IsName())
        result.ForeignKeyNames[ForeignKeyIdentity(from, tokens[after + 1].Text)] << constraintName;
    } else if (i < last && tokens[i].IsName()) {
      const QString column = tokens[i].Text.toCaseFolded();
      for (size_t k = i + 1; k < last; ++k) {
        if (tokens[k].IsWord("AUTOINCREMENT"))
          result.Counters.insert(column);
        else if (tokens[k].IsWord("CHECK"))
          if (const QString text = condition(k, last); !text.isEmpty())
            result.Checks[column] << text;
      }
    }
    first = last + 1;
  }
  return result;
}

}  // namespace

QString ReadSqliteCatalog(QSqlDatabase& db, TCatalog& catalog)
{
  QString error;
  QSqlQuery objects(db);
  objects.setForwardOnly(true);
  if (!RunCatalogQuery(objects, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY rowid"), {}, error))
    return error;
  struct TObject {
    QString Type, Name, Table, Sql;
  };
  std::vector<TObject> all;
  while (objects.next())
    all.push_back({objects.value(0).toString(), objects.value(1).toString(), objects.value(2).toString(),
                   objects.value(3).toString()});
  QHash<QString, int> indexOrder;
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].Type == QLatin1String("index"))
      indexOrder.insert(all[i].Name, int(i));

  QSqlQuery query(db);
  query.setForwardOnly(true);
  for (const TObject& object : all) {
    if (object.Type == QLatin1String("view"))
      catalog.LeftOut << QStringLiteral("View ") + object.Name;
    if (object.Type == QLatin1String("trigger"))
      catalog.LeftOut << QStringLiteral("Trigger ") + object.Name;
    if (object.Type != QLatin1String("table") || object.Name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
      continue;
    if (object.Sql.startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive)) {
      catalog.LeftOut << QStringLiteral("Virtual table ") + object.Name;
      continue;
    }
    TCatalogTable table;
    table.Name = object.Name;
    // Hidden columns (1) belong to virtual tables; generated ones (2, 3) are read.
    if (!RunCatalogQuery(query,
              QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_xinfo(?) "
                             "WHERE hidden <> 1 ORDER BY cid"),
              {object.Name}, error))
      return error;
    std::vector<std::pair<int, QString>> key;
    QStringList names;
    while (query.next()) {
      TCatalogColumn column;
      column.Name = query.value(0).toString();
      column.Type = query.value(1).toString();
      column.NotNull = query.value(2).toInt() != 0;
      column.Default = query.value(3).toString();
      if (const int pk = query.value(4).toInt(); pk > 0)
        key.emplace_back(pk, column.Name);
      names << column.Name;
      table.Columns.push_back(column);
    }
    std::sort(key.begin(), key.end());
    for (const auto& [position, name] : key)
      table.PrimaryKey << name;
    const TCreateText create = ReadCreateText(object.Sql, names);
    for (TCatalogColumn& column : table.Columns) {
      column.Checks = create.Checks.value(column.Name.toCaseFolded());
      // Only a column that is the whole key can count on its own.
      column.Identity = create.Counters.contains(column.Name.toCaseFolded()) && table.PrimaryKey.size() == 1;
    }

    if (!RunCatalogQuery(query, QStringLiteral("SELECT name, \"unique\", origin FROM pragma_index_list(?)"), {object.Name}, error))
      return error;
    std::vector<std::pair<QString, bool>> indexes;
    while (query.next())
      if (query.value(2).toString() != QLatin1String("pk"))
        indexes.emplace_back(query.value(0).toString(), query.value(1).toInt() != 0);
    std::sort(indexes.begin(), indexes.end(), [&](const auto& a, const auto& b) {
      return indexOrder.value(a.first) < indexOrder.value(b.first);
    });
    for (const auto& [name, unique] : indexes) {
      if (!RunCatalogQuery(query, QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"), {name}, error))
        return error;
      TCatalogIndex index{name, unique, {}};
      bool expression = false;
      while (query.next()) {
        expression = expression || query.value(0).isNull();
        index.Columns << query.value(0).toString();
      }
      if (expression) {
        catalog.LeftOut << QStringLiteral("Index %1 of %2 (on an expression)").arg(name, table.Name);
        catalog.Partial = true;
      } else
        table.Indexes.push_back(index);
    }

    // The pragma numbers foreign keys from the last declared.
    if (!RunCatalogQuery(query,
              QStringLiteral("SELECT id, \"table\", \"from\", \"to\" FROM pragma_foreign_key_list(?) "
                             "ORDER BY id DESC, seq"),
              {object.Name}, error))
      return error;
    int id = -1;
    while (query.next()) {
      if (query.value(0).toInt() != id) {
        id = query.value(0).toInt();
        table.ForeignKeys.push_back({});
        table.ForeignKeys.back().ParentTable = query.value(1).toString();
      }
      TCatalogForeignKey& key = table.ForeignKeys.back();
      key.Columns << query.value(2).toString();
      if (!query.value(3).isNull())
        key.ParentColumns << query.value(3).toString();
    }
    QHash<QString, QStringList> names2 = create.ForeignKeyNames;
    for (TCatalogForeignKey& key : table.ForeignKeys) {
      QStringList& found = names2[ForeignKeyIdentity(key.Columns, key.ParentTable)];
      if (!found.isEmpty())
        key.Name = found.takeFirst();
      // A key to the parent's key names no parent columns, or all of them.
      if (key.ParentColumns.size() != key.Columns.size())
        key.ParentColumns.clear();
    }
    catalog.Tables.push_back(std::move(table));
  }
  return {};
}

}  // namespace veska
