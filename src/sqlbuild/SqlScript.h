#pragma once
// A build written as a script: the statements of a run in a file that the
// server's own client applies (sqlite3 db < file, psql -v ON_ERROR_STOP=1
// -f file, mariadb < file). On PostgreSQL and SQLite the script is one
// transaction; MySQL commits each statement that defines something, so a
// script that stops half way keeps what it made.

#include "sqlbuild/SqlBuild.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace veska {

class TSqlScriptTarget : public TSqlTarget {
public:
  TSqlScriptTarget(QString fileName, TSqlDialect dialect);

  // Starts collecting the statements; the file is not touched yet.
  QString Begin() override;
  // Adds the statement and its ";" (after a blank line). On MySQL a
  // statement holding ";" (a procedure's body) is set off by DELIMITER
  // lines with a delimiter it does not hold.
  QString Execute(const TSqlStep& step) override;
  // With `commit` the file is written safely (platform/SafeFile.h), UTF-8
  // with CR LF line ends; the reason with the file name when that failed.
  // Without, nothing is written and an old file stays.
  QString End(bool commit) override;

  // The script as it stands, with "\n" line ends.
  QString Text() const;

private:
  // What comes before the statements (SQLite's PRAGMA, BEGIN) and after
  // them (COMMIT), and the statements between, UTF-8 with "\n" line ends.
  QByteArray Head() const;
  QByteArray Tail() const;
  QByteArrayView Body() const;

  QString FFileName;
  TSqlDialect FDialect;
  // Each statement with its ";" and a blank line.
  QByteArray FBody;
};

}  // namespace veska
