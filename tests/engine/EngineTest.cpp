#include "engine/TableEngine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska {
namespace {

void Touch(const QString& path)
{
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(TableEngine, ListsOnlyTableFilesInNameOrderIgnoringLetterCase)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"orders.dbf", "ORDERS.MDX", "orders.dbt", "Customer.DB", "customer.PX", "customer.MB",
                           "alpha.Db", "notes.txt", "BETA.DBF"})
    Touch(dir.filePath(QString::fromLatin1(name)));
  QDir(dir.path()).mkdir(QStringLiteral("sub.dbf"));
  EXPECT_EQ(ListTables(dir.path()),
            QStringList({QStringLiteral("alpha.Db"), QStringLiteral("BETA.DBF"), QStringLiteral("Customer.DB"),
                         QStringLiteral("orders.dbf")}));
}

TEST(TableEngine, RefusesAMissingDirectoryAndFileNamesThatLeaveIt)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  EXPECT_THROW(ListTables(dir.filePath(QStringLiteral("missing"))), TEngineError);
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("../x.dbf")), TEngineError);
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("notes.txt")), TEngineError);
  EXPECT_THROW(ReadTableFields(dir.path(), QStringLiteral("absent.dbf")), TEngineError);
}

}  // namespace
}  // namespace veska
