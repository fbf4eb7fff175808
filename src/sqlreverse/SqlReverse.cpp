#include "sqlreverse/SqlReverse.h"

#include "model/Identifiers.h"
#include "platform/IniFile.h"
#include "platform/Progress.h"
#include "sqlbuild/SqlRun.h"
#include "sqlbuild/SqlTypes.h"
#include "sqlreverse/ReverseTypes.h"
#include "sqlreverse/SqlCatalog.h"
#include "sqlreverse/SqlText.h"
#include "surface/DrawingSurface.h"
#include "tablebuild/ReEngineer.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>

#include <atomic>
#include <memory>
#include <optional>

namespace veska {

namespace {

QString NewConnectionName()
{
  static std::atomic<quint64> next{0};
  return QStringLiteral("veska-sql-reverse-%1").arg(++next);
}

QStringList Lines(const QString& text)
{
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// A default as the model keeps it: a string literal's text (PostgreSQL adds
// a cast: 'x'::character varying), a number as it is, an expression as the
// catalog writes it.
QString DefaultValueOf(const QString& catalogText)
{
  const QString text = catalogText.trimmed();
  const std::vector<sqltext::TToken> tokens = sqltext::Tokenize(text);
  if (!tokens.empty() && tokens.front().Kind == sqltext::TToken::String) {
    const bool castOnly = tokens.size() == 1
                          || (tokens.size() >= 3 && tokens[1].IsSymbol(':') && tokens[2].IsSymbol(':'));
    if (castOnly) {
      QString literal = tokens.front().Text.mid(1);
      if (literal.endsWith(QLatin1Char('\'')))
        literal.chop(1);
      return literal.replace(QStringLiteral("''"), QStringLiteral("'"));
    }
  }
  // PostgreSQL puts a negative number in parentheses: (-1).
  static const QRegularExpression kNumber(QStringLiteral("^\\(?([+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?)\\)?$"));
  if (const QRegularExpressionMatch m = kNumber.match(text); m.hasMatch())
    return m.captured(1);
  return text;
}

// The conditions of the checks as one rule.
QString RuleOf(const QStringList& checks)
{
  if (checks.size() <= 1)
    return checks.value(0);
  QStringList parts;
  for (const QString& check : checks)
    parts << QLatin1Char('(') + check + QLatin1Char(')');
  return parts.join(QStringLiteral(" AND "));
}

QString ColumnOf(const TAttribute& a)
{
  return a.ColumnName().isEmpty() ? a.Name : a.ColumnName();
}

bool SameColumns(const QStringList& a, const QStringList& b)
{
  if (a.size() != b.size())
    return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (a[i].compare(b[i], Qt::CaseInsensitive) != 0)
      return false;
  return true;
}

// A foreign key resolved on the model: the entities and the child's
// attributes that carry the parent's key, in the key's order.
struct TPlan {
  const TCatalogTable* Table = nullptr;
  const TCatalogForeignKey* Key = nullptr;
  TEntity* Parent = nullptr;
  TEntity* Child = nullptr;
  std::vector<TAttribute*> Copies;
};

// Turns a catalog into the model of a surface.
class TModelReader {
public:
  TModelReader(TDrawingSurface& surface, const TIniFile& ini, const QString& server, TSqlDialect dialect,
               const TCatalog& catalog, TSqlReverseResult& result)
    : S(surface), Server(server), D(dialect), Types(ReadSqlTypeMap(ini, server), dialect), C(catalog), R(result)
  {
  }

  void Run(TProgress* progress)
  {
    R.LeftOut << C.LeftOut;
    R.Partial = C.Partial;
    S.BeginUpdate();
    ReadDomains();
    TProgressRun run(progress, QStringLiteral("Reading tables"), qint64(C.Tables.size()));
    qint64 done = 0;
    for (const TCatalogTable& table : C.Tables) {
      ReadTable(table);
      run.Step(++done);
    }
    ReadRelations();
    for (const TCatalogTable& table : C.Tables)
      ReadIndexes(table);
    ReadProcesses();
    S.EndUpdate();
    run.Finish();
    TRowPlacer rows;
    for (TEntity* entity : Placed)
      rows.Place(S, *entity);
    rows.Finish(S);
  }

private:
  TDrawingSurface& S;
  const QString Server;
  const TSqlDialect D;
  const TReverseTypeMap Types;
  const TCatalog& C;
  TSqlReverseResult& R;
  std::vector<TEntity*> Placed;
  QHash<const TCatalogTable*, TEntity*> EntityOf;
  QHash<QString, TEntity*> EntityOfTable;        // by the table's name
  QHash<QString, TEntity*> EntityOfFoldedTable;  // by the case-folded name
  QSet<QString> DomainNames;

  // A name the list does not hold yet: the name, else NAME_2, NAME_3, ...
  template <typename TList>
  static QString Unused(const TList& list, const QString& name)
  {
    QString candidate = name;
    for (int n = 2; list.IndexOf(candidate) >= 0; ++n)
      candidate = name + QStringLiteral("_%1").arg(n);
    return candidate;
  }

  void ReadDomains()
  {
    for (const TCatalogDomain& read : C.Domains) {
      auto domain = std::make_unique<TDomain>();
      domain->Name = Unused(S.Domains, StorableName(read.Name));
      domain->DataType = Types.FindDataType(read.Type);
      domain->Rule = RuleOf(read.Checks);
      domain->Description = Lines(read.Comment);
      DomainNames.insert(read.Name);
      S.AddDomain(std::move(domain));
      ++R.Domains;
    }
  }

  std::unique_ptr<TAttribute> Attribute(const TCatalogColumn& column)
  {
    auto a = std::make_unique<TAttribute>();
    a->Name = StorableName(column.Name);
    // A name that is no identifier stays the attribute's name alone, which
    // a build uses as the column's.
    a->SetColumnName(column.Name);
    if (!column.Domain.isEmpty() && DomainNames.contains(column.Domain)) {
      a->DataType = StorableName(column.Domain);
    } else {
      const TModelType type = Types.Find(column.Type, column.Identity);
      a->DataType = type.DataType;
      a->Width = type.Width;
    }
    a->AllowNulls = !column.NotNull;
    a->SetDefaultValue(DefaultValueOf(column.Default));
    a->SetRule(RuleOf(column.Checks));
    a->SetDescription(Lines(column.Comment));
    return a;
  }

  void ReadTable(const TCatalogTable& table)
  {
    auto created = std::make_unique<TEntity>();
    created->SetPosition(20, 20);
    TEntity* entity = S.AddEntity(std::move(created));
    const QString wanted = StorableName(table.Name);
    const QString name = Unused(S.Entities, wanted);
    if (name != wanted)
      R.Notes << QStringLiteral("The table %1 is read as the entity %2: another table has its name, letter case "
                                "ignored.")
                     .arg(table.Name, name);
    S.RenameEntity(S.Entities.Count() - 1, name);
    entity->SetTableName(table.Name);
    entity->Description = Lines(table.Comment);
    // Key attributes in key order, then the others in catalog order.
    for (const QString& key : table.PrimaryKey)
      for (const TCatalogColumn& column : table.Columns)
        if (column.Name == key)
          entity->AddKeyAttribute(Attribute(column));
    for (const TCatalogColumn& column : table.Columns)
      if (!table.PrimaryKey.contains(column.Name))
        entity->AddAttribute(Attribute(column));
    EntityOf.insert(&table, entity);
    EntityOfTable.insert(table.Name, entity);
    EntityOfFoldedTable.insert(table.Name.toCaseFolded(), entity);
    Placed.push_back(entity);
    ++R.Tables;
  }

  static TAttribute* AttributeOfColumn(const TEntity& entity, const QString& column)
  {
    for (const TAttributeList* list : {&entity.PrimaryKey, &entity.Attributes})
      for (TAttribute* a : *list)
        if (ColumnOf(*a) == column)
          return a;
    for (const TAttributeList* list : {&entity.PrimaryKey, &entity.Attributes})
      for (TAttribute* a : *list)
        if (ColumnOf(*a).compare(column, Qt::CaseInsensitive) == 0)
          return a;
    return nullptr;
  }

  static QString KeyName(const TCatalogTable& table, const TCatalogForeignKey& key)
  {
    return key.Name.isEmpty() ? QStringLiteral("the foreign key (%1) of %2").arg(key.Columns.join(QStringLiteral(", ")), table.Name)
                              : QStringLiteral("%1 of %2").arg(key.Name, table.Name);
  }

  // The foreign key on the model as it stands, or why it cannot be read.
  std::optional<TPlan> Plan(const TCatalogTable& table, const TCatalogForeignKey& key,
                            const QSet<const TAttribute*>& used, QString& why) const
  {
    TPlan plan{&table, &key, EntityOfTable.value(key.ParentTable), EntityOf.value(&table), {}};
    if (!plan.Parent)
      plan.Parent = EntityOfFoldedTable.value(key.ParentTable.toCaseFolded());
    if (!plan.Parent || !plan.Child) {
      why = QStringLiteral("its table %1 was not read").arg(key.ParentTable);
      return std::nullopt;
    }
    const TAttributeList& parentKey = plan.Parent->PrimaryKey;
    if (parentKey.Count() == 0 || parentKey.Count() != key.Columns.size()) {
      why = QStringLiteral("it does not refer to the primary key of %1").arg(key.ParentTable);
      return std::nullopt;
    }
    plan.Copies.assign(size_t(parentKey.Count()), nullptr);
    for (qsizetype i = 0; i < key.Columns.size(); ++i) {
      // The carried columns pair with the parent's key by position.
      int position = int(i);
      if (!key.ParentColumns.isEmpty()) {
        position = -1;
        for (int k = 0; k < parentKey.Count(); ++k)
          if (ColumnOf(*parentKey.Objects(k)).compare(key.ParentColumns[i], Qt::CaseInsensitive) == 0)
            position = k;
      }
      TAttribute* copy = AttributeOfColumn(*plan.Child, key.Columns[i]);
      if (position < 0 || plan.Copies[size_t(position)] || !copy) {
        why = QStringLiteral("it does not refer to the primary key of %1").arg(key.ParentTable);
        return std::nullopt;
      }
      if (used.contains(copy) || std::find(plan.Copies.begin(), plan.Copies.end(), copy) != plan.Copies.end()) {
        why = QStringLiteral("its column %1 is carried by another relation already").arg(key.Columns[i]);
        return std::nullopt;
      }
      plan.Copies[size_t(position)] = copy;
    }
    return plan;
  }

  // Whether `to` can be reached from `from` along master-detail relations.
  static bool Reaches(const QHash<const TEntity*, QList<const TEntity*>>& children, const TEntity* from,
                      const TEntity* to)
  {
    QList<const TEntity*> open{from};
    QSet<const TEntity*> seen{from};
    while (!open.isEmpty()) {
      const TEntity* e = open.takeLast();
      if (e == to)
        return true;
      for (const TEntity* child : children.value(e))
        if (!seen.contains(child)) {
          seen.insert(child);
          open << child;
        }
    }
    return false;
  }

  // A master-detail relation where every carried column is in the child's
  // key, a foreign-key relation where none is. A foreign-key relation's
  // carried attributes are no key attributes, so a foreign key with some of
  // its columns in the child's key, or one that would close a cycle of
  // master-detail relations (a cycle always runs through keys that are all
  // made of the same columns), has no model: taking its columns out of the
  // key would change the key and break the relations to it, copying them
  // would give the table each column twice. It is left out and said.
  void ReadRelations()
  {
    QHash<const TEntity*, QList<const TEntity*>> masterChildren;
    QSet<const TAttribute*> used;
    for (const TCatalogTable& table : C.Tables)
      for (const TCatalogForeignKey& key : table.ForeignKeys) {
        QString why;
        const std::optional<TPlan> plan = Plan(table, key, used, why);
        const qsizetype inKey =
            plan ? std::count_if(plan->Copies.begin(), plan->Copies.end(),
                                 [&](const TAttribute* a) { return plan->Child->PrimaryKey.IndexOfObject(a) >= 0; })
                 : 0;
        const bool primary = plan && inKey == qsizetype(plan->Copies.size());
        if (plan && primary && (plan->Parent == plan->Child || Reaches(masterChildren, plan->Child, plan->Parent)))
          why = QStringLiteral("as a master-detail relation it would close a cycle of master-detail relations, and "
                               "as a foreign-key relation its columns could not stay in the key of %1")
                    .arg(table.Name);
        else if (plan && inKey > 0 && !primary)
          why = QStringLiteral("some of its columns are in the key of %1 and some are not, which no relation of "
                               "the model carries")
                    .arg(table.Name);
        if (!plan || !why.isEmpty()) {
          R.Notes << QStringLiteral("The relation %1 is not read: %2.").arg(KeyName(table, key), why);
          R.Partial = true;
          continue;
        }
        for (const TAttribute* copy : plan->Copies)
          used.insert(copy);
        if (primary)
          masterChildren[plan->Parent] << plan->Child;
        AddRelation(*plan, primary);
      }
  }

  void AddRelation(const TPlan& plan, bool primary)
  {
    TEntity* child = plan.Child;
    TAttributeList& list = primary ? child->PrimaryKey : child->Attributes;
    auto rename = [&](TAttribute* a, const QString& name) {
      const int pos = list.IndexOfObject(a);
      if (primary)
        child->RenameKeyAttribute(pos, name);
      else
        child->RenameAttribute(pos, name);
    };
    // The model carries a key into the child's attribute of the key's name:
    // a carried column of another name takes the key's name while the
    // relation is made, an attribute that has that name steps aside, and
    // both get their names back after; the carried column's own name is
    // then its role name.
    const bool unique = Unique(plan);
    std::vector<std::pair<TAttribute*, QString>> renamed;
    int aside = 0;
    for (int k = 0; k < plan.Parent->PrimaryKey.Count(); ++k) {
      const QString keyName = plan.Parent->PrimaryKey.Objects(k)->Name;
      TAttribute* copy = plan.Copies[size_t(k)];
      if (copy->Name == keyName)
        continue;
      const int other = list.IndexOf(keyName);
      if (other >= 0 && list.Objects(other) != copy) {
        TAttribute* a = list.Objects(other);
        renamed.emplace_back(a, a->Name);
        rename(a, QStringLiteral("\x01aside%1").arg(++aside));
      }
      renamed.emplace_back(copy, copy->Name);
      rename(copy, keyName);
    }

    auto relation = std::make_unique<TRelation>();
    relation->Parent = plan.Parent;
    relation->Child = child;
    relation->InitPrimaryRelation(primary);
    relation->Cardinality = unique ? kCardinalityZeroOrOne : kCardinalityZeroOrMany;
    if (!plan.Key->Name.isEmpty())
      relation->AssignRelationName(Unused(S.Relations, StorableName(plan.Key->Name)));
    TRelation* r = nullptr;
    try {
      r = S.AddRelation(std::move(relation), true);
    } catch (const TModelError& e) {
      R.Notes << QStringLiteral("The relation %1 is not read: %2").arg(KeyName(*plan.Table, *plan.Key),
                                                                       QString::fromUtf8(e.what()));
      R.Partial = true;
    }
    for (auto it = renamed.rbegin(); it != renamed.rend(); ++it)
      rename(it->first, it->second);
    if (!r)
      return;
    r->SetSuspended(false);
    ++R.Relations;
  }

  // Whether the carried columns are unique in the child: its whole key, or
  // the columns of a unique index.
  static bool Unique(const TPlan& plan)
  {
    QSet<QString> carried;
    for (const TAttribute* a : plan.Copies)
      carried.insert(ColumnOf(*a).toCaseFolded());
    auto same = [&](const QStringList& columns) {
      QSet<QString> set;
      for (const QString& c : columns)
        set.insert(c.toCaseFolded());
      return set == carried;
    };
    if (same(plan.Table->PrimaryKey))
      return true;
    return std::any_of(plan.Table->Indexes.begin(), plan.Table->Indexes.end(),
                       [&](const TCatalogIndex& index) { return index.Unique && same(index.Columns); });
  }

  // Whether the index is one a build makes for a relation (named after
  // the foreign key, alone or after the table's name) or for a counter that
  // does not lead MySQL's key: the relation or the counter stands for it.
  bool MadeForAnother(const TCatalogTable& table, const TCatalogIndex& index) const
  {
    for (const TCatalogForeignKey& key : table.ForeignKeys)
      if (!key.Name.isEmpty() && SameColumns(index.Columns, key.Columns)
          && (SameText(index.Name, key.Name) || SameText(index.Name, table.Name + QLatin1Char('_') + key.Name)))
        return true;
    if (D == TSqlDialect::MySQL && index.Unique && index.Columns.size() == 1 && index.Name == index.Columns.front())
      for (const TCatalogColumn& column : table.Columns)
        if (column.Name == index.Name && column.Identity)
          return true;
    return false;
  }

  void ReadIndexes(const TCatalogTable& table)
  {
    TEntity* entity = EntityOf.value(&table);
    for (const TCatalogIndex& read : table.Indexes) {
      if (MadeForAnother(table, read))
        continue;
      auto index = std::make_unique<TIndex>();
      index->Unique = read.Unique;
      for (const QString& column : read.Columns)
        if (TAttribute* a = AttributeOfColumn(*entity, column))
          index->Columns.Add(a->Name, a);
      if (index->Columns.Count() != read.Columns.size()) {
        R.Notes << QStringLiteral("The index %1 of %2 is not read: a column of it is not.").arg(read.Name, table.Name);
        R.Partial = true;
        continue;
      }
      // A build names an index TABLE_INDEX where index names are the
      // schema's (everywhere but MySQL).
      QString name = read.Name;
      const QString prefix = table.Name + QLatin1Char('_');
      if (D != TSqlDialect::MySQL && name.size() > prefix.size() && name.startsWith(prefix, Qt::CaseInsensitive))
        name = name.mid(prefix.size());
      name = Unused(entity->Indexes, StorableName(name));
      if (IsValidIdentifier(name))
        index->SetIndexName(name);
      else
        index->AssignName(name);
      entity->AddIndex(std::move(index));
    }
  }

  void ReadProcesses()
  {
    for (const TCatalogProcess& read : C.Processes) {
      auto proc = std::make_unique<TServerProc>();
      proc->Name = Unused(S.ServerProcs, StorableName(read.Name));
      proc->Server = Server;
      proc->Text = read.Text.split(QLatin1Char('\n'));
      S.AddServerProc(std::move(proc));
      ++R.Processes;
    }
  }
};

}  // namespace

TSqlReverseResult ReverseEngineerSql(TDrawingSurface& surface, const TIniFile& ini, const QString& server,
                                     const TSqlConnection& connection, const QString& password,
                                     const QString& schema, TProgress* progress)
{
  TSqlReverseResult result;
  const std::optional<TSqlDialect> dialect = ReadSqlDialect(ini, server);
  if (!dialect) {
    result.Error = QStringLiteral("The server %1 has no SQL dialect (key Dialect of the section [%1]).").arg(server);
    return result;
  }
  const QString driver = SqlDriverName(*dialect);
  if (!QSqlDatabase::isDriverAvailable(driver)) {
    result.Error = QStringLiteral("The Qt SQL driver %1 for %2 is not installed.").arg(driver, SqlDialectName(*dialect));
    return result;
  }
  if (*dialect == TSqlDialect::SQLite) {
    // Reading never makes a database: a file that is not there is an error.
    const QFileInfo file(connection.DatabaseFile);
    if (connection.DatabaseFile.isEmpty() || !file.exists() || !file.isFile()) {
      result.Error = QStringLiteral("The SQLite database file %1 does not exist.").arg(connection.DatabaseFile);
      return result;
    }
  }
  if (*dialect == TSqlDialect::MySQL && connection.Database.isEmpty()) {
    // MySQL's catalog is read for one database, which the connection names.
    result.Error = QStringLiteral("No database is given for %1 (dbname=...).").arg(server);
    return result;
  }
  QString secret = password;
  if (*dialect == TSqlDialect::MySQL && secret.isEmpty())
    secret = MySqlDefaultPassword();

  TCatalog catalog;
  const QString name = NewConnectionName();
  {
    result.Error = OpenSqlDatabase(*dialect, connection, secret, name, true);
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (result.Error.isEmpty()) {
      switch (*dialect) {
      case TSqlDialect::SQLite: result.Error = ReadSqliteCatalog(db, catalog); break;
      case TSqlDialect::PostgreSQL:
        result.Error = ReadPostgresCatalog(db, schema.isEmpty() ? QStringLiteral("public") : schema, catalog);
        break;
      case TSqlDialect::MySQL: result.Error = ReadMySqlCatalog(db, catalog); break;
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  if (!secret.isEmpty())
    result.Error.replace(secret, QStringLiteral("********"));
  if (!result.Error.isEmpty())
    return result;
  TModelReader(surface, ini, server, *dialect, catalog, result).Run(progress);
  return result;
}

QString SqlReverseCompletion(const TSqlReverseResult& result)
{
  auto count = [](int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
  };
  QString text = QStringLiteral("Processing completed.\nRead %1, %2, %3 and %4.")
                     .arg(count(result.Tables, "table", "tables"), count(result.Relations, "relation", "relations"),
                          count(result.Domains, "domain", "domains"), count(result.Processes, "process", "processes"));
  if (!result.LeftOut.isEmpty())
    text += QStringLiteral("\nLeft out:\n  ") + result.LeftOut.join(QStringLiteral("\n  "));
  for (const QString& note : result.Notes)
    text += QLatin1Char('\n') + note;
  return text;
}

}  // namespace veska
