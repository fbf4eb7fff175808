#pragma once
// A file's bytes, read whole or written whole, for tests that check what
// the program wrote or give it a file to read.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace veska::test {

// Empty when the file cannot be read.
inline QByteArray Read(const QString& path)
{
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void Write(const QString& path, const QByteArray& bytes)
{
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

}  // namespace veska::test
