#pragma once
// A fresh database for a test of the SQL build on each dialect's server (a
// file for SQLite, a new database on the shared PostgreSQL or MariaDB of
// support/SqlServers.h), and its server's own client on it.

#include "sqlbuild/SqlBuild.h"
#include "sqlbuild/SqlConnection.h"
#include "support/SqlServers.h"

#include <QDir>

#include <gtest/gtest.h>

namespace veska::test {

// Where a build of `dialect` connects to a new empty database: `sqliteFile`
// for SQLite. The Database stays empty, and the test failed, when the
// server could not make one.
inline TSqlConnection NewDatabase(TSqlDialect dialect, const QString& sqliteFile)
{
  TSqlConnection connection;
  switch (dialect) {
  case TSqlDialect::SQLite:
    connection.DatabaseFile = sqliteFile;
    break;
  case TSqlDialect::PostgreSQL: {
    TPostgresServer& server = TPostgresServer::Shared();
    EXPECT_TRUE(server.Failure().isEmpty()) << server.Failure().toStdString();
    connection.Host = server.SocketDirectory();
    connection.Port = server.Port();
    connection.User = TPostgresServer::SuperUser();
    connection.Database = server.CreateDatabase();
    break;
  }
  case TSqlDialect::MySQL: {
    TMariaDbServer& server = TMariaDbServer::Shared();
    EXPECT_TRUE(server.Failure().isEmpty()) << server.Failure().toStdString();
    connection.Host = server.SocketFile();
    connection.User = TMariaDbServer::SuperUser();
    connection.Database = server.CreateDatabase();
    break;
  }
  }
  return connection;
}

// Statements run through the server's own client (sqlite3, psql with
// ON_ERROR_STOP, mariadb) on the connection's database.
inline TProgramOutput RunClient(TSqlDialect dialect, const TSqlConnection& connection, const QString& sql)
{
  switch (dialect) {
  case TSqlDialect::SQLite: return RunSqlite3(connection.DatabaseFile, sql);
  case TSqlDialect::PostgreSQL: return TPostgresServer::Shared().Client(connection.Database, sql);
  case TSqlDialect::MySQL: return TMariaDbServer::Shared().Client(connection.Database, sql);
  }
  return {};
}

}  // namespace veska::test
