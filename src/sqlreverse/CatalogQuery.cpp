#include "sqlreverse/CatalogQuery.h"

#include "sqlbuild/SqlRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>

namespace veska {

bool RunCatalogQuery(QSqlQuery& query, const QString& sql, const QVariantList& values, QString& error)
{
  query.setForwardOnly(true);
  if (!query.prepare(sql)) {
    error = SqlErrorText(query.lastError(), {});
    return false;
  }
  for (const QVariant& v : values)
    query.addBindValue(v);
  if (!query.exec()) {
    error = SqlErrorText(query.lastError(), {});
    return false;
  }
  return true;
}

QStringList JsonNames(const QVariant& value)
{
  QStringList names;
  for (const QJsonValue& v : QJsonDocument::fromJson(value.toString().toUtf8()).array())
    names << v.toString();
  return names;
}

}  // namespace veska
