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
  // Ends the script as its file has it: COMMIT, or (MySQL) the last
  // statement's blank line taken off. Unfinish takes that back, given the
  // script's size before.
  void Finish(QByteArray& script) const;
  void Unfinish(QByteArray& script, qsizetype size) const;

  QString FFileName;
  TSqlDialect FDialect;
  // The script so far as its file has it, UTF-8 with CR LF line ends: what
  // comes before the statements (SQLite's PRAGMA, BEGIN), then each
  // statement with its ";" and a blank line.
  QByteArray FScript;
};

}  // namespace veska
