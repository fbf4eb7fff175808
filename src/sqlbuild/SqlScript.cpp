#include "sqlbuild/SqlScript.h"

#include "platform/SafeFile.h"

#include <QFileInfo>

namespace veska {

TSqlScriptTarget::TSqlScriptTarget(QString fileName, TSqlDialect dialect)
  : FFileName(std::move(fileName)), FDialect(dialect)
{
}

QString TSqlScriptTarget::Begin()
{
  FBody.clear();
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
    FBody += QStringLiteral("DELIMITER %1\n%2%1\nDELIMITER ;").arg(delimiter, step.Statement).toUtf8();
  } else {
    FBody += step.Statement.toUtf8();
    FBody += ';';
  }
  FBody += "\n\n";
  return {};
}

QByteArray TSqlScriptTarget::Head() const
{
  QByteArray head;
  if (FDialect == TSqlDialect::SQLite)
    head += "PRAGMA foreign_keys = ON;\n\n";
  if (FDialect != TSqlDialect::MySQL)
    head += "BEGIN;\n\n";
  return head;
}

QByteArray TSqlScriptTarget::Tail() const
{
  return FDialect != TSqlDialect::MySQL ? QByteArray("COMMIT;\n") : QByteArray();
}

QByteArrayView TSqlScriptTarget::Body() const
{
  // The last statement's blank line is no part of a script without COMMIT:
  // it ends with its last statement's line end.
  if (Tail().isEmpty()) {
    if (FBody.isEmpty())
      return QByteArrayView("\n");
    return QByteArrayView(FBody).chopped(1);
  }
  return QByteArrayView(FBody);
}

QString TSqlScriptTarget::Text() const
{
  QByteArray text = Head();
  text.append(Body());
  text.append(Tail());
  return QString::fromUtf8(text);
}

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

}  // namespace

QString TSqlScriptTarget::End(bool commit)
{
  if (!commit)
    return {};
  // The statements are kept as UTF-8 and get their CR LF in one pass: a
  // large model's script is tens of megabytes.
  const QByteArray head = Head();
  const QByteArrayView body = Body();
  const QByteArray tail = Tail();
  QByteArray bytes;
  bytes.reserve(2 * (head.size() + tail.size()) + body.size() + body.count('\n'));
  AppendWithCrLf(bytes, head);
  AppendWithCrLf(bytes, body);
  AppendWithCrLf(bytes, tail);
  try {
    WriteFileSafely(FFileName, bytes);
  } catch (const TFileAccessError& e) {
    return QStringLiteral("The script %1 could not be written: %2").arg(FFileName, QString::fromStdString(e.what()));
  }
  return {};
}

}  // namespace veska
