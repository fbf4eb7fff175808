#pragma once
// Where a live SQL build connects: the database file of SQLite, or the
// server, database and user of PostgreSQL and MySQL. The password is never
// part of it: it travels separately and only in memory, so that no setting,
// diagram, message or command line ever holds it.

#include <QString>

#include <optional>

namespace veska {

struct TSqlConnection {
  // SQLite: the database file, created when missing.
  QString DatabaseFile;
  // PostgreSQL and MySQL: the server's host name or address. A path (starting
  // with "/") is the server's Unix socket: its directory for PostgreSQL (as
  // libpq takes it), the socket file itself for MySQL. Empty: the client
  // library's default.
  QString Host;
  // 0: the server's default port.
  int Port = 0;
  QString Database;
  QString User;
  // Further options in the Qt driver's own form, passed on as they are:
  // libpq's "key=value ..." for PostgreSQL, "NAME=value;..." for MySQL.
  QString Options;
};

// Reads the connection of `--connect "host=/run/postgresql dbname=shop"`:
// libpq-style key=value pairs apart by blanks, a value in single quotes when it
// holds blanks (\' and \\ inside stand for ' and \). The keys are host, port,
// dbname, user, file (the SQLite database file) and options. A password is
// refused: passwords are never arguments. Nothing, and the reason in *error,
// when the text is not such a connection.
std::optional<TSqlConnection> ParseSqlConnection(const QString& text, QString* error);

// The password MySQL's own client would use when none is given: MYSQL_PWD,
// else the "password" of the [client] group of ~/.my.cnf; empty when neither
// has one.
QString MySqlDefaultPassword();

}  // namespace veska
