#include "sqlbuild/SqlBuild.h"

#include "platform/IniFile.h"

namespace veska {

std::optional<TSqlDialect> ReadSqlDialect(const TIniFile& ini, const QString& server)
{
  const QString name = ini.ReadSetting(server, QStringLiteral("Dialect")).trimmed();
  for (const TSqlDialect dialect : {TSqlDialect::SQLite, TSqlDialect::PostgreSQL, TSqlDialect::MySQL})
    if (name.compare(SqlDialectName(dialect), Qt::CaseInsensitive) == 0)
      return dialect;
  return std::nullopt;
}

QString SqlDialectName(TSqlDialect dialect)
{
  switch (dialect) {
  case TSqlDialect::SQLite: return QStringLiteral("SQLite");
  case TSqlDialect::PostgreSQL: return QStringLiteral("PostgreSQL");
  case TSqlDialect::MySQL: return QStringLiteral("MySQL");
  }
  return QString();
}

QString SqlDriverName(TSqlDialect dialect)
{
  switch (dialect) {
  case TSqlDialect::SQLite: return QStringLiteral("QSQLITE");
  case TSqlDialect::PostgreSQL: return QStringLiteral("QPSQL");
  case TSqlDialect::MySQL: return QStringLiteral("QMYSQL");
  }
  return QString();
}

}  // namespace veska
