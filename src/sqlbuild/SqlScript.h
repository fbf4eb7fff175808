#pragma once
// A build written as a script: the statements of a run in a file that the
// server's own client applies (sqlite3 db < file, psql -v ON_ERROR_STOP=1
// -f file, mariadb < file). On PostgreSQL and SQLite the script is one
// transaction; MySQL commits each statement that defines something, so a
// script that stops half way keeps what it made.

#include "sqlbuild/SqlBuild.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace veska {

class TSafeFileWriter;

class TSqlScriptTarget : public TSqlTarget {
public:
  TSqlScriptTarget(QString fileName, TSqlDialect dialect);
  ~TSqlScriptTarget() override;

  // Starts the script in a new file beside the target, which stays as it
  // is until End; the reason with the file name when none can be made.
  QString Begin() override;
  // Adds the statement and its ";" (after a blank line). On MySQL a
  // statement holding ";" (a procedure's body) is set off by DELIMITER
  // lines with a delimiter it does not hold.
  QString Execute(const TSqlStep& step) override;
  // With `commit` the script takes the file's place (platform/SafeFile.h),
  // UTF-8 with CR LF line ends; the reason with the file name when that
  // failed. Without, the file stays as it was.
  QString End(bool commit) override;

private:
  void Write(QByteArrayView bytes);
  void Write(TSafeFileWriter* writer, QByteArrayView bytes);
  QString Failure(const QString& reason) const;

  QString FFileName;
  TSqlDialect FDialect;
  std::unique_ptr<TSafeFileWriter> FWriter;
  // Why the script could not be begun or written; nothing more is written then.
  QString FError;
  // A statement was written, and the blank line after it is still to come.
  bool FStatements = false;
  // The statement at hand as UTF-8 with CR LF line ends.
  QByteArray FLine;
};

}  // namespace veska
