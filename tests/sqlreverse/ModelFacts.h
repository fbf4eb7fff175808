#pragma once
// The facts of a model that an SQL database holds, as sorted lines, so that
// a model built into a database and read back can be compared with the
// original in one assertion.

#include "model/Diagram.h"
#include "model/Identifiers.h"
#include "model/Integrity.h"
#include "platform/IniFile.h"
#include "sqlbuild/SqlSchema.h"
#include "sqlbuild/SqlTypes.h"
#include "support/FirstDifference.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

namespace veska::test {

// One line per table, column, key, relation, index, domain and process:
// - a column's type as the server builds it (so that synonyms of the type
//   map, Float and Double say, count as one), with "+identity" for a
//   counter where the server keeps one (SQLite only for a key of one
//   column); its nullability for non-key columns (a key column is NOT NULL
//   whatever the model says), and whether it is carried;
// - a relation by its name, tables and carried columns, its kind and
//   "one"/"many": the database knows only whether the carried columns are
//   unique, so a master-detail relation that carries the child's whole key
//   counts as "one" whatever cardinality it was drawn with, and cardinalities
//   beyond one and many are not told apart;
// - an index by its name, uniqueness and columns;
// - a domain (on servers with domains of their own) by its name, type and
//   whether it has a rule.
// Positions, display settings and descriptions are no facts of the database.
inline QStringList ModelFacts(const TDiagram& model, const TIniFile& ini, const QString& server)
{
  const TSqlSchema schema(ini, server, model);
  const TServerDefinition& definition = schema.Server();
  const TTypeMap sqlTypes = ReadSqlTypeMap(ini, server);
  const TSqlDialect dialect = schema.Dialect().value_or(TSqlDialect::SQLite);
  const bool ownDomains = dialect == TSqlDialect::PostgreSQL;
  QStringList facts;
  for (const TEntity* e : model.Entities) {
    const QString table = schema.TableNameOf(*e);
    facts << QStringLiteral("T|") + table;
    for (const TAttributeList* list : {&e->PrimaryKey, &e->Attributes}) {
      const bool key = list == &e->PrimaryKey;
      for (int i = 0; i < list->Count(); ++i) {
        const TAttribute* a = list->Objects(i);
        const TSqlType type = SqlTypeOf(*a, *e, model, definition, sqlTypes);
        const bool counter = type.Identity && (dialect != TSqlDialect::SQLite || (key && e->PrimaryKey.Count() == 1));
        const TDomain* domain = ownDomains ? model.Domains.Find(a->DataType) : nullptr;
        facts << QStringLiteral("C|%1|%2|%3|%4%5|%6|%7|%8")
                     .arg(table)
                     .arg(key ? i : 1000 + i)
                     .arg(schema.ColumnNameOf(*a), type.Type, counter ? QStringLiteral("+identity") : QString(),
                          key ? QStringLiteral("key") : a->AllowNulls ? QStringLiteral("null") : QStringLiteral("not null"),
                          a->ForeignKey ? QStringLiteral("carried") : QString(),
                          domain ? domain->Name : QString());
      }
    }
    for (const TIndex* index : e->Indexes) {
      QStringList columns;
      for (const TAttribute* a : index->Columns)
        columns << schema.ColumnNameOf(*a);
      facts << QStringLiteral("I|%1|%2|%3|%4")
                   .arg(table, index->Name(), index->Unique ? QStringLiteral("unique") : QString(),
                        columns.join(QLatin1Char(',')));
    }
  }
  for (const TRelation* r : model.Relations) {
    QStringList carried;
    bool wholeKey = r->PrimaryRelation() && r->MigratedAttributes.Count() == r->Child->PrimaryKey.Count();
    for (const TAttribute* key : r->Parent->PrimaryKey) {
      const int entry = r->MigratedAttributes.IndexOf(key->Name);
      carried << (entry < 0 ? QStringLiteral("?") : schema.ColumnNameOf(*r->MigratedAttributes.Objects(entry)));
    }
    const bool many = IsToMany(r->Cardinality) && !wholeKey;
    facts << QStringLiteral("R|%1|%2|%3|%4|%5|%6")
                 .arg(r->RelationName(), schema.TableNameOf(*r->Parent), schema.TableNameOf(*r->Child),
                      carried.join(QLatin1Char(',')),
                      r->PrimaryRelation() ? QStringLiteral("master") : QStringLiteral("foreign"),
                      many ? QStringLiteral("many") : QStringLiteral("one"));
  }
  if (ownDomains)
    for (const TDomain* d : model.Domains) {
      bool used = false;
      for (const TEntity* e : model.Entities)
        for (const TAttributeList* list : {&e->PrimaryKey, &e->Attributes})
          for (const TAttribute* a : *list)
            used = used || SameText(a->DataType, d->Name);
      // A build makes only the domains its tables use.
      if (used)
        facts << QStringLiteral("D|%1|%2|%3")
                     .arg(d->Name, SqlTypeOf(*d, definition, sqlTypes).Type,
                          d->Rule.trimmed().isEmpty() ? QString() : QStringLiteral("rule"));
    }
  for (const TServerProc* p : model.ServerProcs)
    if (SameText(p->Server, server))
      facts << QStringLiteral("P|") + p->Name.toLower();
  facts.sort();
  return facts;
}

// The model's links hold.
inline void ExpectIntegrity(const TDiagram& model)
{
  const QStringList problems = CheckIntegrity(model);
  EXPECT_EQ(problems, QStringList()) << problems.mid(0, 5).join(QLatin1Char('\n')).toStdString();
}

}  // namespace veska::test
