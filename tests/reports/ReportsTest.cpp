// The entity list and consistency check reports, byte for byte.
#include "model/ModelFixture.h"
#include "reports/ConsistencyReport.h"
#include "reports/EntityReport.h"
#include "reports/ReportText.h"
#include "support/FileSizeLimit.h"

#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

namespace veska {
namespace {

QString Lines(const QStringList& lines)
{
  return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString Dashes()
{
  return QString(56, QLatin1Char('='));
}

TAttribute* Typed(TAttribute* a, const QString& column, const QString& type, const QString& width)
{
  a->SetColumnName(column);
  a->DataType = type;
  a->Width = width;
  return a;
}

class EntityReportTest : public test::ModelTest {
protected:
  TEntity* Customer = nullptr;
  TEntity* Order = nullptr;
  TRelation* Places = nullptr;

  // Customer (CUSTOMER; key Customer No CHAR(8); Name VARCHAR(40), no
  // nulls) places Order (ORDERS), zero or many, as a foreign key.
  void BuildSample()
  {
    Customer = MakeEntity(QStringLiteral("Customer"), {QStringLiteral("Customer No")}, {QStringLiteral("Name")});
    Customer->SetTableName(QStringLiteral("CUSTOMER"));
    Typed(Customer->PrimaryKey[0], QStringLiteral("CUST_NO"), QStringLiteral("CHAR"), QStringLiteral("8"));
    Typed(Customer->Attributes[0], QStringLiteral("NAME"), QStringLiteral("VARCHAR"), QStringLiteral("40"))
        ->AllowNulls = false;
    Order = MakeEntity(QStringLiteral("Order"));
    Order->SetTableName(QStringLiteral("ORDERS"));
    Places = Relate(Customer, Order, false);
    D.RenameRelation(0, QStringLiteral("places"));
  }
};

TEST_F(EntityReportTest, LabelledSample)
{
  BuildSample();
  TEntityReportOptions o;
  o.TableName = true;
  o.PKColName = o.PKColType = true;
  o.AttrNull = true;
  EXPECT_EQ(EntityReportText(D, o),
            Lines({"Entity-Relation Report", "", "Entity Name: Customer", Dashes(), "  Table Name:  CUSTOMER",
                   "  Primary Key: Customer No", "    Column Name: CUST_NO", "    Column Type: CHAR(8)",
                   "  Attribute: Name", "    Nullability: nulls not allowed", "  Relation: places Zero or Many Order(s)",
                   "", "Entity Name: Order", Dashes(), "  Table Name:  ORDERS", "  Attribute: Customer No",
                   "    Nullability: nulls allowed", "", "", "Relation Name: places", Dashes(),
                   "Parent Entity: Customer", "Child  Entity: Order",
                   "Relationship : One to Zero or Many Foreign Key relation.", "", "End of Entity-Relation Report"}));
}

TEST_F(EntityReportTest, TabularSampleFollowsPrimaryKeyColumns)
{
  BuildSample();
  TEntityReportOptions o;
  o.Tabular = true;
  o.PKColName = o.PKColType = o.PKNull = true;
  // The attribute and description boxes do not count in Tabular.
  o.AttrColName = o.AttrDesc = o.PKDesc = o.RelDesc = true;
  o.Relations = false;
  EXPECT_EQ(EntityReportText(D, o),
            Lines({"Entity-Relation Report", "", "Entity Name: Customer", Dashes(),
                   "Key Attribute Name             Column Name                  Column Type     Null",
                   " x  Customer No                CUST_NO                      CHAR(8)         No",
                   "    Name                       NAME                         VARCHAR(40)     No", "",
                   "Entity Name: Order", Dashes(),
                   "Key Attribute Name             Column Name                  Column Type     Null",
                   "    Customer No                CUST_NO                      CHAR(8)         Yes", "", "",
                   "Relation Name: places", Dashes(),
                   "Parent Entity                Child Entity                 Multiplicity   Type",
                   "Customer                     Order                        Zero or Many   Foreign Key", "",
                   "End of Entity-Relation Report"}));
}

TEST_F(EntityReportTest, TypeTextsLongNamesAndMasterDetail)
{
  TEntity* e = MakeEntity(QStringLiteral("E"), {QStringLiteral("K")},
                          {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Quite_A_Long_Attribute_Name_X")});
  Typed(e->PrimaryKey[0], QStringLiteral("K"), QStringLiteral("Integer"), QStringLiteral("0"));
  Typed(e->Attributes[0], QStringLiteral("A"), QStringLiteral("Char"), QString());
  Typed(e->Attributes[1], QStringLiteral("B"), QStringLiteral("Decimal"), QStringLiteral("10,2"));
  Typed(e->Attributes[2], QStringLiteral("Quite_A_Long_Attribute_Name_X"), QStringLiteral("Date"),
        QStringLiteral("0"));
  TEntity* child = MakeEntity(QStringLiteral("Child"), {QStringLiteral("C")}, {QStringLiteral("X")});
  TRelation* r = Relate(e, child, true);
  r->Cardinality = kCardinalityZeroOrOne;

  TEntityReportOptions o;
  o.Tabular = true;
  o.PKColType = o.PKNull = true;
  const QStringList lines = EntityReportText(D, o).split(QStringLiteral("\r\n"));
  EXPECT_EQ(lines.mid(4, 5), QStringList({"Key Attribute Name             Column Type     Null",
                                          " x  K                          Integer         No",
                                          "    A                          Char()          Yes",
                                          "    B                          Decimal(10,2)   Yes",
                                          "    Quite_A_Long_Attribute_Name_X Date            Yes"}));
  EXPECT_EQ(lines.mid(lines.size() - 5, 2),
            QStringList({"Parent Entity                Child Entity                 Multiplicity   Type",
                         "E                            Child                        Zero or One    Master-Detail"}));

  o = {};
  o.RelDesc = true;
  r->Description = QStringList{QStringLiteral("Each E owns its children.")};
  const QString labelled = EntityReportText(D, o);
  EXPECT_TRUE(labelled.contains(QStringLiteral("  Relation: ") + r->RelationName() +
                                QStringLiteral(" Zero or One Child(s)\r\n")));
  EXPECT_TRUE(labelled.contains(
      "Relationship : One to Zero or One Master-Detail relation.\r\n    Description: Each E owns its children.\r\n"));
  EXPECT_EQ(labelled.count(QStringLiteral("  Relation: ")), 1);  // under its parent only

  // No relation lines, yet the relation section; no heading without key and
  // attributes.
  o.Relations = o.PrimaryKey = o.Attributes = false;
  o.Tabular = true;
  EXPECT_TRUE(EntityReportText(D, o).startsWith(Lines({"Entity-Relation Report", "", "Entity Name: E", Dashes(), "",
                                                       "Entity Name: Child", Dashes(), "", "",
                                                       "Relation Name: " + r->RelationName()})));
}

TEST_F(EntityReportTest, DescriptionsAreJoinedAndCutEveryWidth)
{
  TEntity* e = MakeEntity(QStringLiteral("E"), {QStringLiteral("K")});
  e->Description = QStringList{QString(100, QLatin1Char('a'))};
  e->PrimaryKey[0]->SetDescription(QStringList{QStringLiteral("abc"), QString(44, QLatin1Char('x')), QStringLiteral("yz")});
  TEntityReportOptions o;
  o.EntityDesc = o.PKDesc = true;
  o.Attributes = o.Relations = false;
  const QString blanks13(13, QLatin1Char(' '));
  EXPECT_EQ(EntityReportText(D, o).split(QStringLiteral("\r\n")).mid(4, 6),
            QStringList({"  Description: " + QString(48, 'a'), "  " + blanks13 + QString(48, 'a'),
                         "  " + blanks13 + "aaaa", "  Primary Key: K",
                         // 46 characters fit after four blanks; the cut falls inside the joined text.
                         "    Description: abc" + QString(43, 'x'), "    " + blanks13 + "xyz"}));

  TReportText out;
  WriteDescription(out, QStringLiteral("  "), {});
  WriteDescription(out, QStringLiteral("  "), {QString(48, 'b'), QStringLiteral("c")});
  // An indentation of 45 leaves the minimum width of 10.
  WriteDescription(out, QString(45, ' '), {QString(12, 'd')});
  EXPECT_EQ(out.Text(), Lines({"  Description: ", "  Description: " + QString(48, 'b'), "  " + blanks13 + "c",
                               QString(45, ' ') + "Description: " + QString(10, 'd'),
                               QString(45, ' ') + blanks13 + "dd"}));
}

TEST_F(EntityReportTest, DescriptionsAndColumnsCountAnEmojiAsOneCharacterAndNeverCutIt)
{
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // one character, two UTF-16 units
  TReportText out;
  // 47 characters and an emoji fill the 48 of the first line exactly.
  WriteDescription(out, QStringLiteral("  "), {QString(47, 'a') + smile + smile + QStringLiteral("b")});
  // A cut that falls right after an emoji keeps the pair whole.
  WriteDescription(out, QStringLiteral("  "), {QString(47, 'c'), smile + QStringLiteral("d")});
  const QString blanks13(13, QLatin1Char(' '));
  EXPECT_EQ(out.Text(), Lines({"  Description: " + QString(47, 'a') + smile, "  " + blanks13 + smile + "b",
                               "  Description: " + QString(47, 'c') + smile, "  " + blanks13 + "d"}));

  // A name with an emoji is padded to its column width in characters.
  TEntity* e = MakeEntity(smile + QStringLiteral("Fun"));
  TEntity* f = MakeEntity(QStringLiteral("Plain"));
  Relate(e, f, false);
  TEntityReportOptions o;
  o.Tabular = true;
  o.Attributes = false;
  const QStringList lines = EntityReportText(D, o).split(QStringLiteral("\r\n"));
  const QString row = smile + QStringLiteral("Fun") + QString(24, ' ') + QStringLiteral(" Plain");
  EXPECT_TRUE(lines.contains(row + QString(23, ' ') + QStringLiteral(" Zero or Many   Foreign Key"))) << lines.join('|').toStdString();
}

class ConsistencyReportTest : public test::ModelTest {
protected:
  const QStringList DataTypes{QStringLiteral("Integer"), QStringLiteral("CHAR"), QStringLiteral("VarChar")};

  TDomain* MakeDomain(const QString& name, const QString& type)
  {
    auto d = std::make_unique<TDomain>();
    d->Name = name;
    d->DataType = type;
    return D.AddDomain(std::move(d));
  }
};

TEST_F(ConsistencyReportTest, Sample)
{
  MakeDomain(QStringLiteral("Money"), QStringLiteral("MONEY(12,2)"));
  TEntity* order = MakeEntity(QStringLiteral("Order"), {}, {QStringLiteral("Total")});
  order->Attributes[0]->DataType = QStringLiteral("Amount");
  EXPECT_EQ(ConsistencyReportText(D, DataTypes, {}),
            Lines({"Information Model Consistency Check Report", "",
                   "Domain: \"Money\" has an invalid base data type.", "  Domains Check Complete.", "",
                   "  Entity: \"Order\" has no primarykey defined.",
                   "  Entity: \"Order\" attribute \"Total\" has an invalid data type.", "  Entities Check Complete.", "",
                   "End of Information Model Consistency Check Report"}));
}

TEST_F(ConsistencyReportTest, EmptyModelAndSections)
{
  EXPECT_EQ(EntityReportText(D, {}), Lines({"Entity-Relation Report", "", "", "End of Entity-Relation Report"}));
  EXPECT_EQ(ConsistencyReportText(D, DataTypes, {false, false}),
            Lines({"Information Model Consistency Check Report", "",
                   "End of Information Model Consistency Check Report"}));
  EXPECT_EQ(ConsistencyReportText(D, DataTypes, {}),
            Lines({"Information Model Consistency Check Report", "", "  Domains Check Complete.", "",
                   "  Entities Check Complete.", "", "End of Information Model Consistency Check Report"}));
}

TEST_F(ConsistencyReportTest, WhatCountsAsAValidType)
{
  MakeDomain(QStringLiteral("Code"), QStringLiteral("char(10)"));  // known, letter case and size ignored
  MakeDomain(QStringLiteral("Spaced"), QStringLiteral("CHAR (10)"));  // base "CHAR " is not known
  MakeDomain(QStringLiteral("Alias"), QStringLiteral("Code"));  // another domain is not a base type
  MakeDomain(QStringLiteral("Fresh"), QStringLiteral("Default"));
  TEntity* e = MakeEntity(QStringLiteral("E"), {QStringLiteral("K")},
                          {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("F")});
  e->PrimaryKey[0]->DataType = QStringLiteral("Nope(4)");
  e->Attributes[0]->DataType = QStringLiteral("DEFAULT(5)");
  e->Attributes[1]->DataType = QStringLiteral("cODE");
  e->Attributes[2]->DataType = QStringLiteral("integer(0)");
  e->Attributes[3]->DataType = QString();
  MakeEntity(QStringLiteral("Bare"));
  MakeEntity(QStringLiteral("KeyOnly"), {QStringLiteral("K")});

  EXPECT_EQ(ConsistencyReportText(D, DataTypes, {}),
            Lines({"Information Model Consistency Check Report", "",
                   "Domain: \"Spaced\" has an invalid base data type.",
                   "Domain: \"Alias\" has an invalid base data type.",
                   "Domain: \"Fresh\" has an invalid base data type.", "  Domains Check Complete.", "",
                   "  Entity: \"E\" primarykey \"K\" has an invalid data type.",
                   "  Entity: \"E\" attribute \"F\" has an invalid data type.",
                   "  Entity: \"Bare\" has no primarykey defined.", "  Entity: \"Bare\" has no attributes defined.",
                   "  Entity: \"KeyOnly\" has no attributes defined.", "  Entities Check Complete.", "",
                   "End of Information Model Consistency Check Report"}));
}

TEST(ReportFile, AReportOnAFullDiskKeepsTheOldFileAndSaysWhy)
{
  QTemporaryDir dir;
  const QString name = dir.filePath(QStringLiteral("report.txt"));
  WriteReportFile(name, QStringLiteral("old report\r\n"));
  try {
    test::TFileSizeLimit full(16);
    WriteReportFile(name, QStringLiteral("a report longer than the room left\r\n"));
    ADD_FAILURE() << "no error";
  } catch (const TReportFileError& e) {
    EXPECT_EQ(QString::fromStdString(e.what()),
              QStringLiteral("Cannot write \"%1\": %2").arg(name, QString::fromLocal8Bit(std::strerror(EFBIG))));
  }
  QFile file(name);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.readAll() == "old report\r\n");
}

}  // namespace
}  // namespace veska
