// Reading the connection text of `--connect`: keys, quoting, and what is
// refused.
#include "sqlbuild/SqlConnection.h"

#include <gtest/gtest.h>

namespace veska {
namespace {

TEST(SqlConnectionTest, ReadsEveryKeyAndTheQuotedValues)
{
  QString error;
  const std::optional<TSqlConnection> c = ParseSqlConnection(
      QStringLiteral("  host=/run/postgresql port = 5433 dbname='my shop' user=o\\'brien "
                     "file='/tmp/a \\\\ b\\'s.db' options='sslmode=disable application_name=x'  "),
      &error);
  ASSERT_TRUE(c) << error.toStdString();
  EXPECT_EQ(c->Host, "/run/postgresql");
  EXPECT_EQ(c->Port, 5433);
  EXPECT_EQ(c->Database, "my shop");
  EXPECT_EQ(c->User, "o'brien");
  EXPECT_EQ(c->DatabaseFile, "/tmp/a \\ b's.db");
  EXPECT_EQ(c->Options, "sslmode=disable application_name=x");

  // Keys in capitals, an empty quoted value, a later key over an earlier.
  const std::optional<TSqlConnection> d =
      ParseSqlConnection(QStringLiteral("HOST=db.example dbname='' host=other"), &error);
  ASSERT_TRUE(d) << error.toStdString();
  EXPECT_EQ(d->Host, "other");
  EXPECT_TRUE(d->Database.isEmpty());
  EXPECT_EQ(d->Port, 0);

  const std::optional<TSqlConnection> none = ParseSqlConnection(QString(), &error);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->Host.isEmpty());
}

TEST(SqlConnectionTest, RefusesAPasswordWithoutRepeatingIt)
{
  for (const QString& text : {QStringLiteral("host=h password=hunter2 user=u"),
                              QStringLiteral("user=u PASSWORD = 'hunter2'")}) {
    QString error;
    EXPECT_FALSE(ParseSqlConnection(text, &error)) << text.toStdString();
    EXPECT_TRUE(error.contains(QLatin1String("password"), Qt::CaseInsensitive)) << error.toStdString();
    EXPECT_FALSE(error.contains(QLatin1String("hunter2"))) << error.toStdString();
  }
}

TEST(SqlConnectionTest, RefusesTextThatIsNoConnection)
{
  struct TCase {
    const char* Text;
    const char* Named;  // what the reason names
  };
  for (const TCase& c : {TCase{"host='unclosed", "host"}, TCase{"dbname", "dbname"}, TCase{"=x", "=x"},
                         TCase{"sslmode=require", "sslmode"}, TCase{"port=54x2", "54x2"}, TCase{"port=0", "0"},
                         TCase{"port=70000", "70000"}}) {
    QString error;
    EXPECT_FALSE(ParseSqlConnection(QString::fromLatin1(c.Text), &error)) << c.Text;
    EXPECT_TRUE(error.contains(QString::fromLatin1(c.Named))) << c.Text << ": " << error.toStdString();
  }
}

}  // namespace
}  // namespace veska
