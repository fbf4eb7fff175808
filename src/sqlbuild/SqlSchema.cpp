#include "sqlbuild/SqlSchema.h"

#include "model/Diagram.h"
#include "model/Identifiers.h"
#include "platform/IniFile.h"
#include "sqlbuild/SqlQuoting.h"

#include <QRegularExpression>

#include <set>

namespace veska {

TSqlSchema::TSqlSchema(const TIniFile& ini, const QString& server, const TDiagram& model)
  : FModel(model),
    FServer(ReadServer(ini, server)),
    FSqlTypes(ReadSqlTypeMap(ini, server)),
    FDialect(ReadSqlDialect(ini, server))
{
  for (const TEntity* e : FModel.Entities) {
    const QString table = TableNameOf(*e);
    if (!table.isEmpty())
      FEntitiesByTable[table.toCaseFolded()].append(e);
  }
}

QString TSqlSchema::TableNameOf(const TEntity& entity) const
{
  return CutIdentifier(FDialect.value_or(TSqlDialect::SQLite), entity.TableName(), FServer.MaxIDLength);
}

QString TSqlSchema::ColumnNameOf(const TAttribute& attribute) const
{
  const QString& name = attribute.ColumnName().isEmpty() ? attribute.Name : attribute.ColumnName();
  return CutIdentifier(FDialect.value_or(TSqlDialect::SQLite), name, FServer.MaxColIDLength);
}

QString TSqlSchema::TableNameClashMessage(const TEntity& entity) const
{
  const auto it = FEntitiesByTable.constFind(TableNameOf(entity).toCaseFolded());
  if (it == FEntitiesByTable.constEnd())
    return {};
  for (const TEntity* other : it.value())
    if (other != &entity)
      return QStringLiteral("The entities %1 and %2 both give the table name %3 (letter case ignored%4): "
                            "the table of %1 is neither dropped nor created.")
          .arg(entity.EntityName(), other->EntityName(), TableNameOf(entity),
               FServer.MaxIDLength > 0 ? QStringLiteral(", names cut to %1").arg(FServer.MaxIDLength) : QString());
  return {};
}

namespace {

// Names the build gives to indexes and constraints: cut to the limit and
// made unique (letter case ignored) with "_2", "_3", ... in the order given.
class TNameSet {
public:
  TNameSet(TSqlDialect dialect, int limit) : FDialect(dialect), FLimit(limit) {}

  void Take(const QString& name) { FTaken.insert(name.toCaseFolded()); }
  QString Unique(const QString& name)
  {
    QString candidate = CutIdentifier(FDialect, name, FLimit);
    for (int n = 2; FTaken.contains(candidate.toCaseFolded()); ++n) {
      const QString suffix = QStringLiteral("_%1").arg(n);
      candidate = CutIdentifier(FDialect, name, FLimit > 0 ? FLimit - int(suffix.size()) : 0) + suffix;
    }
    Take(candidate);
    return candidate;
  }

private:
  TSqlDialect FDialect;
  int FLimit;
  QSet<QString> FTaken;
};

// A default value as the server reads it: a number as a number, anything
// else as a text.
QString DefaultLiteral(TSqlDialect dialect, const QString& value)
{
  static const QRegularExpression kNumber(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
  return kNumber.match(value).hasMatch() ? value : QuoteString(dialect, value);
}

// A description as one text: its lines joined, blank when all are blank.
QString DescriptionText(const QStringList& lines)
{
  const QString text = lines.join(QLatin1Char('\n'));
  return text.trimmed().isEmpty() ? QString() : text;
}

TSqlStep CreateStep(const QString& caption, const QString& statement)
{
  return TSqlStep{TSqlStep::Create, caption, statement, {}};
}

TSqlStep ErrorStep(const QString& caption, const QString& error)
{
  return TSqlStep{TSqlStep::Create, caption, {}, error};
}

}  // namespace

// One build: the chosen entities, in the order their tables are created,
// and the steps made so far.
class TSqlSchema::TBuild {
public:
  TBuild(const TSqlSchema& schema, TSqlDialect dialect, const TSqlBuildOptions& options)
    : S(schema), D(dialect), O(options), Names(dialect, schema.FServer.MaxIDLength),
      Constraints(dialect, schema.FServer.MaxIDLength)
  {
    ChooseEntities();
    // Index names share the schema with the tables on PostgreSQL and SQLite.
    if (D != TSqlDialect::MySQL)
      for (const TEntity* e : S.FModel.Entities)
        Names.Take(S.TableNameOf(*e));
    OwnDomains = D == TSqlDialect::PostgreSQL && O.Domains && S.FServer.DomainSupport;
  }

  std::vector<TSqlStep> Run()
  {
    Steps = std::move(Refusals);
    // Room for every step the build can make: a large model's steps are
    // hundreds of thousands, and a vector grown step by step would move them
    // all again at each growth.
    size_t most = Steps.size() + 2 * Order.size() + 4 + 3 * size_t(S.FModel.Domains.Count())
                  + 2 * size_t(S.FModel.Relations.Count()) + size_t(S.FModel.ServerProcs.Count());
    for (const TEntity* e : Order)
      most += 1 + size_t(e->PrimaryKey.Count() + e->Attributes.Count() + e->Indexes.Count());
    Steps.reserve(most);
    if (O.DropTables)
      DropTables();
    if (OwnDomains)
      CreateDomains();
    if (O.CreateTables) {
      for (const TEntity* e : Order)
        CreateTable(*e);
      for (const TEntity* e : Order)
        if (!Broken.contains(e))
          CreateIndexes(*e);
    }
    if (O.ForeignKeys && (D != TSqlDialect::SQLite || O.CreateTables))
      CreateRelations();
    if (O.Processes && S.FServer.ProcedureSupport)
      CreateProcesses();
    return std::move(Steps);
  }

private:
  const TSqlSchema& S;
  const TSqlDialect D;
  const TSqlBuildOptions& O;
  TNameSet Names;
  // Foreign key names, unique in the schema (MySQL wants that).
  TNameSet Constraints;
  // MySQL: index names, unique per table.
  QHash<const TEntity*, TNameSet> TableIndexNames;
  bool OwnDomains = false;
  // The chosen entities that have a table of their own, parents first.
  std::vector<const TEntity*> Order;
  QSet<const TEntity*> Chosen;
  // The errors of chosen entities whose table cannot be named.
  std::vector<TSqlStep> Refusals;
  // Tables that could not be written: nothing more is built on them.
  QSet<const TEntity*> Broken;
  // Domains of their own on the server (PostgreSQL), by their SQL type.
  QHash<const TDomain*, QString> DomainTypes;
  std::optional<std::vector<const TDomain*>> Used;
  // The SQL types worked out, by data type, width and foreign key.
  QHash<QString, TSqlType> KnownTypes;
  QString TypeKey;
  std::vector<TSqlStep> Steps;

  QString Id(const QString& name) const { return QuoteIdentifier(D, name); }
  QString Table(const TEntity& e) const { return Id(S.TableNameOf(e)); }
  QString Column(const TAttribute& a) const { return Id(S.ColumnNameOf(a)); }
  QString TableCaption(const TEntity& e) const
  {
    return (O.CreateTables || !O.DropTables ? QStringLiteral("Creating Table ") : QStringLiteral("Dropping Table "))
           + e.EntityName();
  }

  void ChooseEntities()
  {
    QSet<const TEntity*> seen;
    std::vector<const TEntity*> chosen;
    for (const QString& name : O.TableFilter) {
      const TEntity* e = S.FModel.Entities.Find(name);
      if (!e || seen.contains(e))
        continue;
      seen.insert(e);
      QString refusal = S.TableNameClashMessage(*e);
      if (refusal.isEmpty() && S.TableNameOf(*e).isEmpty())
        refusal = QStringLiteral("The entity %1 has no table name.").arg(e->EntityName());
      if (!refusal.isEmpty()) {
        Refusals.push_back(ErrorStep(TableCaption(*e), refusal));
        continue;
      }
      Chosen.insert(e);
      chosen.push_back(e);
    }
    ParentsFirst(chosen);
  }

  // Parents before their children, else in the order chosen; an entity of a
  // cycle of relations goes where the cycle is met.
  void ParentsFirst(const std::vector<const TEntity*>& chosen)
  {
    // The chosen parents each entity waits for, and the entities whose
    // parents are all placed by their position in the choice: the first of
    // them goes next, else (a cycle) the first entity not placed yet.
    QHash<const TEntity*, int> parents;
    QHash<const TEntity*, size_t> position;
    for (size_t i = 0; i < chosen.size(); ++i)
      position.insert(chosen[i], i);
    for (const TEntity* e : chosen)
      for (const TRelation* r : e->ChildRelations())
        if (r->Parent != e && Chosen.contains(r->Parent))
          ++parents[e];
    std::set<size_t> ready;
    for (size_t i = 0; i < chosen.size(); ++i)
      if (parents.value(chosen[i]) == 0)
        ready.insert(i);
    std::vector<bool> placed(chosen.size(), false);
    size_t firstUnplaced = 0;
    Order.reserve(chosen.size());
    while (Order.size() < chosen.size()) {
      while (placed[firstUnplaced])
        ++firstUnplaced;
      size_t next = firstUnplaced;
      if (!ready.empty()) {
        next = *ready.begin();
        ready.erase(ready.begin());
      }
      placed[next] = true;
      const TEntity* e = chosen[next];
      Order.push_back(e);
      for (const TRelation* r : e->ParentRelations()) {
        if (r->Child == e)
          continue;
        const auto waiting = parents.find(r->Child);
        if (waiting != parents.end() && --*waiting == 0) {
          const size_t child = position.value(r->Child);
          if (!placed[child])
            ready.insert(child);
        }
      }
    }
  }

  // Whether the relation is built: both entities chosen and written.
  bool Joins(const TRelation& r) const
  {
    return r.Parent && r.Child && Chosen.contains(r.Parent) && Chosen.contains(r.Child) && !Broken.contains(r.Parent)
           && !Broken.contains(r.Child);
  }

  // The domains that attributes of the chosen tables have, in model order.
  const std::vector<const TDomain*>& UsedDomains()
  {
    if (Used)
      return *Used;
    Used.emplace();
    if (S.FModel.Domains.Count() == 0)
      return *Used;
    QSet<const TDomain*> used;
    for (const TEntity* e : Order)
      for (const TAttributeList* list : {&e->PrimaryKey, &e->Attributes})
        for (const TAttribute* a : *list)
          if (const TDomain* domain = S.FModel.Domains.Find(a->DataType))
            used.insert(domain);
    for (const TDomain* domain : S.FModel.Domains)
      if (used.contains(domain))
        Used->push_back(domain);
    return *Used;
  }

  void DropTables()
  {
    const QString cascade = D == TSqlDialect::PostgreSQL ? QStringLiteral(" CASCADE") : QString();
    // MySQL drops no table that another refers to, which tables in a ring of
    // references always are: its checks are off while the tables go.
    const bool mySql = D == TSqlDialect::MySQL && !Order.empty();
    if (mySql)
      Steps.push_back(TSqlStep{TSqlStep::Drop, QStringLiteral("Dropping Table ") + Order.back()->EntityName(),
                               QStringLiteral("SET FOREIGN_KEY_CHECKS = 0"), {}});
    for (auto it = Order.crbegin(); it != Order.crend(); ++it)
      Steps.push_back(TSqlStep{TSqlStep::Drop, QStringLiteral("Dropping Table ") + (*it)->EntityName(),
                               QStringLiteral("DROP TABLE IF EXISTS ") + Table(**it) + cascade, {}});
    if (mySql)
      Steps.push_back(TSqlStep{TSqlStep::Drop, QStringLiteral("Dropping Table ") + Order.front()->EntityName(),
                               QStringLiteral("SET FOREIGN_KEY_CHECKS = 1"), {}});
    if (OwnDomains)
      for (const TDomain* domain : UsedDomains())
        Steps.push_back(TSqlStep{TSqlStep::Drop, QStringLiteral("Dropping Domain ") + domain->Name,
                                 QStringLiteral("DROP DOMAIN IF EXISTS ") + Id(domain->Name), {}});
  }

  void CreateDomains()
  {
    for (const TDomain* domain : UsedDomains()) {
      const QString caption = QStringLiteral("Creating Domain ") + domain->Name;
      const TSqlType type = SqlTypeOf(*domain, S.FServer, S.FSqlTypes);
      if (!type.Error.isEmpty()) {
        Steps.push_back(ErrorStep(caption, type.Error));
        continue;
      }
      // A counter is a column's own: such a domain is written on its columns.
      if (type.Identity)
        continue;
      DomainTypes.insert(domain, type.Type);
      QString statement = QStringLiteral("CREATE DOMAIN %1 AS %2").arg(Id(domain->Name), type.Type);
      if (!domain->Rule.trimmed().isEmpty())
        statement += QStringLiteral(" CHECK (%1)").arg(domain->Rule);
      Steps.push_back(CreateStep(caption, statement));
      if (const QString text = DescriptionText(domain->Description); !text.isEmpty())
        Steps.push_back(CreateStep(caption, QStringLiteral("COMMENT ON DOMAIN %1 IS %2").arg(Id(domain->Name),
                                                                                           QuoteString(D, text))));
    }
  }

  // The SQL type of the attribute; a model has few distinct types, and each
  // is worked out once.
  TSqlType TypeOf(const TEntity& e, const TAttribute& a)
  {
    TypeKey.clear();
    TypeKey.append(a.DataType).append(QChar(0)).append(a.Width).append(a.ForeignKey ? u"\1" : u"\0");
    if (const auto known = KnownTypes.constFind(TypeKey); known != KnownTypes.constEnd())
      return *known;
    TSqlType type = SqlTypeOf(a, e, S.FModel, S.FServer, S.FSqlTypes);
    // An error names the attribute: it is not another's.
    if (type.Error.isEmpty())
      KnownTypes.insert(TypeKey, type);
    return type;
  }

  // The column's definition, or an error.
  TSqlType ColumnDefinition(const TEntity& e, const TAttribute& a, bool key, bool soleKey)
  {
    const QString column = Column(a);
    const TDomain* domain = S.FModel.Domains.Find(a.DataType);
    TSqlType type;
    if (const auto own = DomainTypes.constFind(domain); domain && own != DomainTypes.constEnd())
      type.Type = Id(domain->Name);
    else
      type = TypeOf(e, a);
    if (!type.Error.isEmpty())
      return type;
    QString text = column + QLatin1Char(' ') + type.Type;
    if (type.Identity) {
      if (D == TSqlDialect::PostgreSQL)
        text += QStringLiteral(" GENERATED BY DEFAULT AS IDENTITY");
      else if (D == TSqlDialect::MySQL)
        // MySQL takes a counter only as the first column of a key: one that
        // does not lead the primary key built gets a key of its own.
        text += O.PrimaryKeys && key && e.PrimaryKey.Objects(0) == &a ? QStringLiteral(" AUTO_INCREMENT")
                                                                       : QStringLiteral(" AUTO_INCREMENT UNIQUE");
      else if (soleKey && O.PrimaryKeys)
        text += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
    }
    if (key || !a.AllowNulls)
      text += QStringLiteral(" NOT NULL");
    // A counter makes its own values.
    if (!a.DefaultValue().isEmpty() && !type.Identity)
      text += QStringLiteral(" DEFAULT ") + DefaultLiteral(D, a.DefaultValue());
    if (D == TSqlDialect::MySQL)
      if (const QString comment = DescriptionText(a.Description()); !comment.isEmpty())
        text += QStringLiteral(" COMMENT ") + QuoteString(D, comment);
    if (domain && !DomainTypes.contains(domain) && !domain->Rule.trimmed().isEmpty())
      text += QStringLiteral(" CHECK (%1)").arg(ReplaceValueWord(domain->Rule, column));
    if (!a.Rule().trimmed().isEmpty())
      text += QStringLiteral(" CHECK (%1)").arg(a.Rule());
    type.Type = text;
    return type;
  }

  // "-- " lines of a description inside an SQLite statement.
  static QStringList CommentLines(const QStringList& description)
  {
    QStringList lines;
    if (DescriptionText(description).isEmpty())
      return lines;
    for (QString line : description) {
      line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
      lines << QStringLiteral("  -- ") + line;
    }
    return lines;
  }

  // The child's copies of the parent's key, in the parent key's order; empty
  // when one is missing.
  static std::vector<const TAttribute*> CarriedColumns(const TRelation& r)
  {
    std::vector<const TAttribute*> copies;
    for (const TAttribute* key : r.Parent->PrimaryKey) {
      const int i = r.MigratedAttributes.IndexOf(key->Name);
      if (i < 0 || !r.MigratedAttributes.Objects(i))
        return {};
      copies.push_back(r.MigratedAttributes.Objects(i));
    }
    return copies;
  }

  // "(a, b)": the columns of the attributes in order.
  template <typename TRange>
  QString ColumnList(const TRange& columns) const
  {
    QStringList names;
    for (const TAttribute* a : columns)
      names << Column(*a);
    return QLatin1Char('(') + names.join(QStringLiteral(", ")) + QLatin1Char(')');
  }

  // "FOREIGN KEY (...) REFERENCES parent (...) [ON DELETE CASCADE]"; empty
  // when the copies do not match the parent's key.
  QString ForeignKeyClause(const TRelation& r) const
  {
    const std::vector<const TAttribute*> copies = CarriedColumns(r);
    if (copies.empty())
      return {};
    QString clause = QStringLiteral("FOREIGN KEY %1 REFERENCES %2 %3")
                         .arg(ColumnList(copies), Table(*r.Parent), ColumnList(r.Parent->PrimaryKey));
    if (r.PrimaryRelation())
      clause += QStringLiteral(" ON DELETE CASCADE");
    return clause;
  }

  QString ConstraintPrefix(const TRelation& r)
  {
    if (r.RelationName().isEmpty())
      return {};
    return QStringLiteral("CONSTRAINT ") + Id(Constraints.Unique(r.RelationName())) + QLatin1Char(' ');
  }

  void CreateTable(const TEntity& e)
  {
    const QString caption = QStringLiteral("Creating Table ") + e.EntityName();
    QStringList lines;
    if (D == TSqlDialect::SQLite)
      lines << CommentLines(e.Description);
    QStringList definitions;
    bool keyInColumn = false;
    std::vector<TSqlStep> comments;
    QHash<QString, const TAttribute*> columns;
    for (const TAttributeList* list : {&e.PrimaryKey, &e.Attributes}) {
      const bool key = list == &e.PrimaryKey;
      for (const TAttribute* a : *list) {
        if (const TAttribute*& first = columns[S.ColumnNameOf(*a).toCaseFolded()]; first) {
          Steps.push_back(ErrorStep(caption, ColumnClashMessage(e, *first, *a)));
          Broken.insert(&e);
          return;
        } else {
          first = a;
        }
        const TSqlType column = ColumnDefinition(e, *a, key, key && e.PrimaryKey.Count() == 1);
        if (!column.Error.isEmpty()) {
          Steps.push_back(ErrorStep(caption, column.Error));
          Broken.insert(&e);
          return;
        }
        keyInColumn = keyInColumn || column.Type.contains(QStringLiteral(" PRIMARY KEY AUTOINCREMENT"));
        QStringList definition = D == TSqlDialect::SQLite ? CommentLines(a->Description()) : QStringList();
        definition << QStringLiteral("  ") + column.Type;
        definitions << definition.join(QLatin1Char('\n'));
        if (D == TSqlDialect::PostgreSQL)
          if (const QString text = DescriptionText(a->Description()); !text.isEmpty())
            comments.push_back(CreateStep(caption, QStringLiteral("COMMENT ON COLUMN %1.%2 IS %3")
                                                       .arg(Table(e), Column(*a), QuoteString(D, text))));
      }
    }
    if (O.PrimaryKeys && e.PrimaryKey.Count() > 0 && !keyInColumn) {
      definitions << QStringLiteral("  PRIMARY KEY ") + ColumnList(e.PrimaryKey);
    }
    // SQLite adds no constraint to a table that stands: its foreign keys are
    // declared with it.
    if (D == TSqlDialect::SQLite && O.ForeignKeys)
      for (const TRelation* r : e.ChildRelations())
        if (Joins(*r))
          if (const QString clause = ForeignKeyClause(*r); !clause.isEmpty())
            definitions << QStringLiteral("  ") + ConstraintPrefix(*r) + clause;
    QString statement = QStringLiteral("CREATE TABLE %1 (\n").arg(Table(e));
    if (!lines.isEmpty())
      statement += lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    statement += definitions.join(QStringLiteral(",\n")) + QStringLiteral("\n)");
    const QString description = DescriptionText(e.Description);
    if (D == TSqlDialect::MySQL && !description.isEmpty())
      statement += QStringLiteral(" COMMENT ") + QuoteString(D, description);
    Steps.push_back(CreateStep(caption, statement));
    if (D == TSqlDialect::PostgreSQL && !description.isEmpty())
      Steps.push_back(CreateStep(
          caption, QStringLiteral("COMMENT ON TABLE %1 IS %2").arg(Table(e), QuoteString(D, description))));
    Steps.insert(Steps.end(), comments.begin(), comments.end());
  }

  QString ColumnClashMessage(const TEntity& e, const TAttribute& first, const TAttribute& second) const
  {
    return QStringLiteral("The attributes %1 and %2 of the entity %3 both give the column name %4 (letter case "
                          "ignored%5): the table is not created.")
        .arg(first.Name, second.Name, e.EntityName(), S.ColumnNameOf(second),
             S.FServer.MaxColIDLength > 0 ? QStringLiteral(", names cut to %1").arg(S.FServer.MaxColIDLength)
                                          : QString());
  }

  // Index names are the server's per table on MySQL, per schema elsewhere
  // (then "TABLE_INDEX"); unique either way.
  QString IndexName(const TEntity& e, const QString& name)
  {
    if (D == TSqlDialect::MySQL) {
      auto names = TableIndexNames.find(&e);
      if (names == TableIndexNames.end()) {
        names = TableIndexNames.insert(&e, TNameSet(D, S.FServer.MaxIDLength));
        names->Take(QStringLiteral("PRIMARY"));
      }
      return names->Unique(name);
    }
    return Names.Unique(S.TableNameOf(e) + QLatin1Char('_') + name);
  }

  void CreateIndexes(const TEntity& e)
  {
    for (const TIndex* index : e.Indexes) {
      const QString caption = QStringLiteral("Creating Index ") + index->Name();
      if (index->Columns.Count() == 0) {
        Steps.push_back(ErrorStep(caption, QStringLiteral("The index %1 of the entity %2 has no attributes.")
                                               .arg(index->Name(), e.EntityName())));
        continue;
      }
      const QString name = Id(IndexName(e, index->Name()));
      Steps.push_back(CreateStep(caption, QStringLiteral("CREATE %1INDEX %2 ON %3 %4")
                                              .arg(index->Unique ? QStringLiteral("UNIQUE ") : QString(), name,
                                                   Table(e), ColumnList(index->Columns))));
    }
  }

  void CreateRelations()
  {
    std::vector<const TRelation*> joining;
    for (const TRelation* r : S.FModel.Relations)
      if (Joins(*r))
        joining.push_back(r);
    // MySQL copies a whole table to add a foreign key while it checks
    // references; tables this build dropped and made again are empty, with
    // nothing to check, so the checks are off while their keys are added.
    const bool fresh = D == TSqlDialect::MySQL && O.DropTables && O.CreateTables && !joining.empty();
    if (fresh)
      Steps.push_back(TSqlStep{TSqlStep::Drop, QStringLiteral("Creating Relation ") + joining.front()->RelationName(),
                               QStringLiteral("SET FOREIGN_KEY_CHECKS = 0"), {}});
    for (const TRelation* r : joining)
      CreateRelation(*r);
    if (fresh)
      Steps.push_back(TSqlStep{TSqlStep::Drop, QStringLiteral("Creating Relation ") + joining.back()->RelationName(),
                               QStringLiteral("SET FOREIGN_KEY_CHECKS = 1"), {}});
  }

  void CreateRelation(const TRelation& r)
  {
    const QString caption = QStringLiteral("Creating Relation ") + r.RelationName();
    const std::vector<const TAttribute*> copies = CarriedColumns(r);
    if (copies.empty()) {
      Steps.push_back(ErrorStep(caption, QStringLiteral("The relation %1 does not carry the whole key of %2 into %3.")
                                             .arg(r.RelationName(), r.Parent->EntityName(), r.Child->EntityName())));
      return;
    }
    const TEntity& child = *r.Child;
    // The copies as the leading columns of the child's primary key: its
    // index serves them, and is unique when they are the whole key.
    bool keyPrefix = O.PrimaryKeys && O.CreateTables && copies.size() <= size_t(child.PrimaryKey.Count());
    for (size_t i = 0; keyPrefix && i < copies.size(); ++i)
      keyPrefix = child.PrimaryKey.Objects(int(i)) == copies[i];
    const bool unique = !IsToMany(r.Cardinality);
    const bool keyServes = keyPrefix && (!unique || copies.size() == size_t(child.PrimaryKey.Count()));
    if (!keyServes && (unique || D != TSqlDialect::MySQL)) {
      const QString name = IndexName(child, r.RelationName());
      Steps.push_back(CreateStep(caption, QStringLiteral("CREATE %1INDEX %2 ON %3 %4")
                                              .arg(unique ? QStringLiteral("UNIQUE ") : QString(), Id(name),
                                                   Table(child), ColumnList(copies))));
    }
    if (D != TSqlDialect::SQLite)
      Steps.push_back(CreateStep(caption, QStringLiteral("ALTER TABLE %1 ADD %2%3")
                                              .arg(Table(child), ConstraintPrefix(r), ForeignKeyClause(r))));
  }

  void CreateProcesses()
  {
    for (const TServerProc* proc : S.FModel.ServerProcs) {
      if (!SameText(proc->Server, S.FServer.Name))
        continue;
      // One statement without its closing ";".
      QString text = proc->Text.join(QLatin1Char('\n'));
      while (!text.isEmpty() && (text.back().isSpace() || text.back() == QLatin1Char(';')))
        text.chop(1);
      if (!text.trimmed().isEmpty())
        Steps.push_back(CreateStep(QStringLiteral("Creating Process ") + proc->Name, text));
    }
  }
};

std::vector<TSqlStep> TSqlSchema::Steps(const TSqlBuildOptions& options) const
{
  if (!FDialect)
    return {ErrorStep(QStringLiteral("Creating Table"),
                      QStringLiteral("The server %1 has no SQL dialect (key Dialect of the section [%1]).")
                          .arg(FServer.Name))};
  return TBuild(*this, *FDialect, options).Run();
}

std::vector<TSqlStep> SqlBuildSteps(const TIniFile& ini, const QString& server, const TDiagram& model,
                                    const TSqlBuildOptions& options)
{
  return TSqlSchema(ini, server, model).Steps(options);
}

}  // namespace veska
