#pragma once
// Running the catalog queries of a reader: bound values, the server's
// message on failure, JSON arrays of names.

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

}  // namespace veska
