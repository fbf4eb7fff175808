#include "engine/TableEngine.h"

#include "engine/FormatTables.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace veska {

namespace {

QString Suffix(const QString& fileName)
{
  return QFileInfo(fileName).suffix().toUpper();
}

void CheckDirectory(const QString& dir)
{
  if (!QFileInfo(dir).isDir())
    throw TEngineError(QStringLiteral("Directory %1 does not exist.").arg(dir));
}

}  // namespace

QStringList ListTables(const QString& dir)
{
  CheckDirectory(dir);
  QStringList tables;
  const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden);
  for (const QFileInfo& e : entries) {
    const QString suffix = Suffix(e.fileName());
    if (suffix == QLatin1String("DB") || suffix == QLatin1String("DBF"))
      tables << e.fileName();
  }
  std::stable_sort(tables.begin(), tables.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  return tables;
}

void CreateTable(const QString& dir, const QString& name, TTableType type, const QList<TFieldDef>& fields,
                 const QList<TIndexDef>& indexes)
{
  CheckDirectory(dir);
  if (type == TTableType::Dbase)
    dbase::CreateTable(dir, name, fields, indexes);
  else
    paradox::CreateTable(dir, name, fields, indexes);
}

void DeleteTable(const QString& dir, const QString& name, TTableType type)
{
  CheckDirectory(dir);
  if (type == TTableType::Dbase)
    dbase::DeleteTable(dir, name);
  else
    paradox::DeleteTable(dir, name);
}

QList<TFieldInfo> ReadTableFields(const QString& dir, const QString& fileName)
{
  CheckDirectory(dir);
  if (fileName.isEmpty() || fileName.contains(QLatin1Char('/')) || fileName == QLatin1String("..") ||
      fileName == QLatin1String("."))
    throw TEngineError(QStringLiteral("%1 is not a table name.").arg(fileName));
  const QString path = QDir(dir).filePath(fileName);
  const QString suffix = Suffix(fileName);
  if (suffix == QLatin1String("DBF"))
    return dbase::ReadTableFields(path);
  if (suffix == QLatin1String("DB"))
    return paradox::ReadTableFields(path);
  throw TEngineError(QStringLiteral("%1 is not a table.").arg(fileName));
}

}  // namespace veska
