#pragma once
// The server's type map read backwards: the model data type whose SQL type
// is the type of a column, with its size.

#include "sqlbuild/SqlBuild.h"
#include "tablebuild/ServerDefinitions.h"

#include <QRegularExpression>
#include <QString>

#include <vector>

namespace veska {

struct TModelType {
  // "VarChar", "Decimal(10,2)", or the SQL text itself when no entry matches.
  QString DataType;
  QString Width = QStringLiteral("0");
};

// The SQL type as the entries of a map are compared with it: lower case,
// single blanks, none before or inside parentheses, the server's long
// spellings shortened (PostgreSQL's "character varying" is "varchar"),
// MySQL's display widths of integers left out ("int(11)" is "int",
// "tinyint(1)" is "boolean").
QString NormalSqlType(TSqlDialect dialect, const QString& type);

class TReverseTypeMap {
public:
  TReverseTypeMap(const TTypeMap& sqlTypes, TSqlDialect dialect);

  // The model type that builds a column of `sqlType` again. Of the entries
  // that match, a counter's entry ({identity}) for an identity column and
  // none other for any other column; then the plain names before their
  // synonyms (Integer before Int, Decimal before Numeric and Money), then
  // map order. A size of two numbers goes into the type (Decimal(10,2)),
  // one number into the width (VarChar, 30); a size that is the entry's own
  // default is left out. "(FK)" variants are never chosen: a carried
  // attribute takes its type from its parent.
  TModelType Find(const QString& sqlType, bool identity) const;
  // As Find, the size always in the type (a domain has no width).
  QString FindDataType(const QString& sqlType) const;

private:
  struct TEntry {
    QString DataType;
    QRegularExpression Pattern;  // capture 1: the size, when the entry has one
    QString DefaultSize;
    bool Identity = false;
    int Rank = 0;
  };
  const TEntry* Match(const QString& normal, bool identity, QString& size) const;

  TSqlDialect FDialect;
  std::vector<TEntry> FEntries;
};

}  // namespace veska
