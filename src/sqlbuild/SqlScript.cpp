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
  : FFileName(std::move(fileName)), FDialect(dialect)
{
}

TSqlScriptTarget::~TSqlScriptTarget() = default;

QString TSqlScriptTarget::Failure(const QString& reason) const
{
  return QStringLiteral("The script %1 could not be written: %2").arg(FFileName, reason);
}

QString TSqlScriptTarget::Begin()
{
  FWriter.reset();
  FError.clear();
  FStatements = false;
  // A file that cannot be written is said before the run, not after it.
  const QFileInfo file(FFileName);
  const QFileInfo dir(file.absolutePath());
  if (file.isDir())
    FError = Failure(QStringLiteral("it is a directory"));
  else if (!dir.isDir())
    FError = Failure(QStringLiteral("No such directory"));
  else if (!dir.isWritable())
    FError = Failure(QStringLiteral("Permission denied"));
  if (!FError.isEmpty())
    return FError;
  try {
    FWriter = std::make_unique<TSafeFileWriter>(FFileName);
  } catch (const TFileAccessError& e) {
    FError = Failure(QString::fromStdString(e.what()));
    return FError;
  }
  Write(Head(FDialect));
  return FError;
}

void TSqlScriptTarget::Write(QByteArrayView bytes)
{
  Write(FWriter.get(), bytes);
}

void TSqlScriptTarget::Write(TSafeFileWriter* writer, QByteArrayView bytes)
{
  if (!writer || !FError.isEmpty())
    return;
  try {
    writer->Write(bytes);
  } catch (const TFileAccessError& e) {
    // Said when the run ends: the statements are not to blame.
    FError = Failure(QString::fromStdString(e.what()));
  }
}

QString TSqlScriptTarget::Execute(const TSqlStep& step)
{
  FLine.clear();
  if (FStatements)
    FLine += "\r\n";
  if (FDialect == TSqlDialect::MySQL && step.Statement.contains(QLatin1Char(';'))) {
    QString delimiter = QStringLiteral("$$");
    while (step.Statement.contains(delimiter))
      delimiter += QLatin1Char('$');
    AppendWithCrLf(FLine, QStringLiteral("DELIMITER %1\n%2%1\nDELIMITER ;").arg(delimiter, step.Statement).toUtf8());
  } else {
    AppendWithCrLf(FLine, step.Statement.toUtf8());
    FLine += ';';
  }
  FLine += "\r\n";
  FStatements = true;
  Write(FLine);
  return {};
}

QString TSqlScriptTarget::End(bool commit)
{
  // The new file goes unless it is committed.
  const std::unique_ptr<TSafeFileWriter> writer = std::move(FWriter);
  if (!commit || !FError.isEmpty())
    return commit ? FError : QString();
  // The last statement's blank line goes before COMMIT; a script without
  // COMMIT ends with its last statement's line end.
  const QByteArrayView tail = Tail(FDialect);
  if (!tail.isEmpty()) {
    if (FStatements)
      Write(writer.get(), "\r\n");
    Write(writer.get(), tail);
  } else if (!FStatements) {
    Write(writer.get(), "\r\n");
  }
  if (FError.isEmpty()) {
    try {
      writer->Commit();
    } catch (const TFileAccessError& e) {
      FError = Failure(QString::fromStdString(e.what()));
    }
  }
  return FError;
}

}  // namespace veska
