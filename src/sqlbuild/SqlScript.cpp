#include "sqlbuild/SqlScript.h"

#include "platform/SafeFile.h"

namespace veska {

TSqlScriptTarget::TSqlScriptTarget(QString fileName, TSqlDialect dialect)
  : FFileName(std::move(fileName)), FDialect(dialect)
{
}

QString TSqlScriptTarget::Begin()
{
  FStatements.clear();
  return {};
}

QString TSqlScriptTarget::Execute(const TSqlStep& step)
{
  if (FDialect == TSqlDialect::MySQL && step.Statement.contains(QLatin1Char(';'))) {
    QString delimiter = QStringLiteral("$$");
    while (step.Statement.contains(delimiter))
      delimiter += QLatin1Char('$');
    FStatements << QStringLiteral("DELIMITER %1\n%2%1\nDELIMITER ;").arg(delimiter, step.Statement);
  } else {
    FStatements << step.Statement + QLatin1Char(';');
  }
  return {};
}

QString TSqlScriptTarget::Text() const
{
  QStringList parts;
  if (FDialect == TSqlDialect::SQLite)
    parts << QStringLiteral("PRAGMA foreign_keys = ON;");
  const bool transaction = FDialect != TSqlDialect::MySQL;
  if (transaction)
    parts << QStringLiteral("BEGIN;");
  parts << FStatements;
  if (transaction)
    parts << QStringLiteral("COMMIT;");
  return parts.join(QStringLiteral("\n\n")) + QLatin1Char('\n');
}

QString TSqlScriptTarget::End(bool commit)
{
  if (!commit)
    return {};
  QString text = Text();
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  try {
    WriteFileSafely(FFileName, text.toUtf8());
  } catch (const TFileAccessError& e) {
    return QStringLiteral("The script %1 could not be written: %2").arg(FFileName, QString::fromStdString(e.what()));
  }
  return {};
}

}  // namespace veska
