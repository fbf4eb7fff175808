#pragma once
// Helpers shared by the table formats: little-endian numbers in a byte
// buffer, the plain names both formats accept, and writing, reading and deleting a
// table's files.

#include "engine/TableEngine.h"
#include "platform/SafeFile.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QString>

namespace veska::engine {

inline void Put16(QByteArray& b, int at, int v)
{
  b[at] = char(v & 0xFF);
  b[at + 1] = char((v >> 8) & 0xFF);
}

inline void Put32(QByteArray& b, int at, quint32 v)
{
  for (int i = 0; i < 4; ++i)
    b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// The caller has checked that the bytes lie inside `b`.
inline quint32 Get16(const QByteArray& b, qsizetype at)
{
  return quint8(b[at]) | quint32(quint8(b[at + 1])) << 8;
}

inline quint32 Get32(const QByteArray& b, qsizetype at)
{
  return Get16(b, at) | Get16(b, at + 2) << 16;
}

// Whether the name holds only ASCII letters, digits and underscores (and
// blanks when allowed).
inline bool IsPlainName(const QString& name, bool allowBlanks = false)
{
  for (QChar c : name) {
    const char16_t u = c.unicode();
    const bool ok = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'_' ||
                    (allowBlanks && u == u' ');
    if (!ok)
      return false;
  }
  return true;
}

// Table names are plain names of at most `maxLength` characters in both
// formats, which also keeps every file inside the table's directory.
inline void CheckTableName(const QString& name, const QString& format, int maxLength)
{
  if (name.isEmpty())
    throw TEngineError(QStringLiteral("A %1 table needs a name.").arg(format));
  if (name.size() > maxLength || !IsPlainName(name))
    throw TEngineError(QStringLiteral("\"%1\" is not a valid %2 table name: use at most %3 letters, digits or "
                                      "underscores.")
                           .arg(name, format)
                           .arg(maxLength));
}

// Deletes the files of a table; the first that cannot be deleted ends it
// with an error.
inline void DeleteFiles(const QStringList& paths)
{
  for (const QString& path : paths) {
    QFile f(path);
    if (!f.remove())
      throw TEngineError(QStringLiteral("Cannot delete %1: %2").arg(path, f.errorString()));
  }
}

// Writes the files of a new table in the order given, each safely; when one
// cannot be written the ones already written are removed, so a table is all
// its files or none of them.
inline void WriteTableFiles(const QList<QPair<QString, QByteArray>>& files)
{
  QStringList written;
  for (const auto& [path, bytes] : files) {
    try {
      WriteFileSafely(path, bytes);
    } catch (const TFileAccessError& e) {
      for (const QString& done : written)
        QFile::remove(done);
      throw TEngineError(QStringLiteral("Cannot write %1: %2").arg(path, QString::fromStdString(e.what())));
    }
    written << path;
  }
}

// `count` bytes of a table's file from `offset` on, fewer where it ends;
// `shownName` names it in the message.
inline QByteArray ReadTableFilePart(const QString& path, const QString& shownName, qint64 offset, qint64 count)
{
  try {
    return ReadRegularFilePart(path, offset, count);
  } catch (const TFileAccessError& e) {
    throw TEngineError(QStringLiteral("Cannot read %1: %2").arg(shownName, QString::fromStdString(e.what())));
  }
}

// The whole of a table's file; `shownName` names it in the message.
inline QByteArray ReadTableFile(const QString& path, const QString& shownName)
{
  try {
    return ReadRegularFile(path);
  } catch (const TFileAccessError& e) {
    throw TEngineError(QStringLiteral("Cannot read %1: %2").arg(shownName, QString::fromStdString(e.what())));
  }
}

}  // namespace veska::engine
