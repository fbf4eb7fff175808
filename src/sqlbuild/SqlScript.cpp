#include "sqlbuild/SqlScript.h"

#include "platform/SafeFile.h"

#include <QFileInfo>

namespace veska {

namespace {

// Appends the text with CR LF for each LF.
void AppendWithCrLf(QByteArray& out, QByteArrayView text)
{
  for (qsizetype from = 0; from < text.size();) {
    qsizetype end = text.indexOf('\n', from);
    if (end < 0)
      end = text.size();
    out.append(text.data() + from, end - from);
    if (end < text.size())
      out.append("\r\n", 2);
    from = end + 1;
  }
}

// What comes before the statements: SQLite's PRAGMA and, but on MySQL, BEGIN.
QByteArrayView Head(TSqlDialect dialect)
{
  switch (dialect) {
  case TSqlDialect::SQLite:
    return "PRAGMA foreign_keys = ON;\r\n\r\nBEGIN;\r\n\r\n";
  case TSqlDialect::PostgreSQL:
    return "BEGIN;\r\n\r\n";
  case TSqlDialect::MySQL:
    break;
  }
  return {};
}

// What comes after them: COMMIT, but on MySQL.
QByteArrayView Tail(TSqlDialect dialect)
{
  return dialect != TSqlDialect::MySQL ? QByteArrayView("COMMIT;\r\n") : QByteArrayView();
}

}  // namespace

TSqlScriptTarget::TSqlScriptTarget(QString fileName, TSqlDialect dialect)
  : FFileName(std::move(fileName)), FDialect(dialect), FScript(Head(dialect).toByteArray())
{
}

QString TSqlScriptTarget::Begin()
{
  FScript = Head(FDialect).toByteArray();
  // A file that cannot be written is said before the run, not after it.
  const QFileInfo file(FFileName);
  const QFileInfo dir(file.absolutePath());
  if (file.isDir())
    return QStringLiteral("The script %1 could not be written: it is a directory").arg(FFileName);
  if (!dir.isDir())
    return QStringLiteral("The script %1 could not be written: No such directory").arg(FFileName);
  if (!dir.isWritable())
    return QStringLiteral("The script %1 could not be written: Permission denied").arg(FFileName);
  return {};
}

QString TSqlScriptTarget::Execute(const TSqlStep& step)
{
  if (FDialect == TSqlDialect::MySQL && step.Statement.contains(QLatin1Char(';'))) {
    QString delimiter = QStringLiteral("$$");
    while (step.Statement.contains(delimiter))
      delimiter += QLatin1Char('$');
    AppendWithCrLf(FScript, QStringLiteral("DELIMITER %1\n%2%1\nDELIMITER ;").arg(delimiter, step.Statement).toUtf8());
  } else {
    AppendWithCrLf(FScript, step.Statement.toUtf8());
    FScript += ';';
  }
  FScript += "\r\n\r\n";
  return {};
}

void TSqlScriptTarget::Finish(QByteArray& script) const
{
  // The last statement's blank line is no part of a script without COMMIT:
  // it ends with its last statement's line end.
  if (!Tail(FDialect).isEmpty())
    script.append(Tail(FDialect));
  else if (script.isEmpty())
    script = QByteArray("\r\n");
  else
    script.chop(2);
}

void TSqlScriptTarget::Unfinish(QByteArray& script, qsizetype size) const
{
  if (script.size() < size)
    script.append("\r\n", 2);
  else
    script.truncate(size);
}

QString TSqlScriptTarget::Text() const
{
  QByteArray text = FScript;
  Finish(text);
  // Every LF of the script has a CR put before it.
  text.replace("\r\n", "\n");
  return QString::fromUtf8(text);
}

QString TSqlScriptTarget::End(bool commit)
{
  if (!commit)
    return {};
  // A large model's script is tens of megabytes: the file is written from the
  // buffer that collected it, given its end in place.
  const qsizetype size = FScript.size();
  Finish(FScript);
  QString error;
  try {
    WriteFileSafely(FFileName, FScript);
  } catch (const TFileAccessError& e) {
    error = QStringLiteral("The script %1 could not be written: %2").arg(FFileName, QString::fromStdString(e.what()));
  }
  Unfinish(FScript, size);
  return error;
}

}  // namespace veska
