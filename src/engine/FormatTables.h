#pragma once
// The two table formats behind TableEngine.h. `path` is the table's path
// without extension; names are checked by each format.

#include "engine/TableEngine.h"

namespace veska::dbase {
void CreateTable(const QString& dir, const QString& name, const QList<TFieldDef>& fields,
                 const QList<TIndexDef>& indexes);
void DeleteTable(const QString& dir, const QString& name);
QList<TFieldInfo> ReadTableFields(const QString& filePath);
}  // namespace veska::dbase

namespace veska::paradox {
void CreateTable(const QString& dir, const QString& name, const QList<TFieldDef>& fields,
                 const QList<TIndexDef>& indexes);
void DeleteTable(const QString& dir, const QString& name);
QList<TFieldInfo> ReadTableFields(const QString& filePath);
}  // namespace veska::paradox
