#pragma once
// The model the SQL build tests build: a domain with a rule, composite keys,
// a master-detail and a one-to-one relation, an index, processes for two
// servers, descriptions, and a table whose name and default try to break
// out of their quotes.

#include "model/ModelFixture.h"
#include "platform/IniFile.h"
#include "sqlbuild/SqlSchema.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska::test {

inline const QString kHostileTable = QStringLiteral("x\"; DROP TABLE y; --`'");
inline const QString kHostileDefault = QStringLiteral("O'Brien\\'; DROP TABLE y; --\nnext line");

class SqlModelTest : public ModelTest {
protected:
  TIniFile Shipped{QStringLiteral(VESKA_SHIPPED_INI)};
  TEntity* Customer = nullptr;
  TEntity* Order = nullptr;
  TEntity* Line = nullptr;
  TEntity* Invoice = nullptr;
  TEntity* Hostile = nullptr;

  void SetUp() override
  {
    ModelTest::SetUp();
    auto amount = std::make_unique<TDomain>();
    amount->Name = QStringLiteral("Amount");
    amount->DataType = QStringLiteral("Decimal(10,2)");
    amount->Rule = QStringLiteral("VALUE >= 0 AND 'VALUE' <> ''");
    amount->Description = {QStringLiteral("Money in cents' worth")};
    D.AddDomain(std::move(amount));

    Customer = MakeEntity(QStringLiteral("Customer"), {QStringLiteral("Id")},
                          {QStringLiteral("Name"), QStringLiteral("Note")});
    Type(Customer, true, 0, QStringLiteral("AutoInc"));
    Type(Customer, false, 0, QStringLiteral("VarChar"), QStringLiteral("30"));
    Customer->Attributes.Objects(0)->AllowNulls = false;
    Customer->Attributes.Objects(0)->SetDescription({QStringLiteral("Full name, as 'written'")});
    Type(Customer, false, 1, QStringLiteral("Text"));
    Customer->Attributes.Objects(1)->SetDefaultValue(kHostileDefault);
    Customer->Description = {QStringLiteral("People who buy"), QStringLiteral("and pay")};
    auto index = std::make_unique<TIndex>();
    index->AssignName(QStringLiteral("ByName"));
    index->Unique = true;
    index->Columns.Add(QStringLiteral("Name"), Customer->Attributes.Objects(0));
    Customer->AddIndex(std::move(index));

    Order = MakeEntity(QStringLiteral("Order"), {QStringLiteral("Region"), QStringLiteral("No")},
                       {QStringLiteral("Total"), QStringLiteral("placed")});
    Type(Order, true, 0, QStringLiteral("Char(2)"));
    Type(Order, true, 1, QStringLiteral("Integer"));
    Type(Order, false, 0, QStringLiteral("Amount"));
    Order->Attributes.Objects(0)->SetDefaultValue(QStringLiteral("0.5"));
    Type(Order, false, 1, QStringLiteral("Date"));
    Order->Attributes.Objects(1)->SetRule(QStringLiteral("placed > '2000-01-01'"));
    Name(Relate(Customer, Order, false), QStringLiteral("Places"));

    Line = MakeEntity(QStringLiteral("OrderLine"), {QStringLiteral("Line")}, {QStringLiteral("Qty")});
    Type(Line, true, 0, QStringLiteral("SmallInt"));
    Type(Line, false, 0, QStringLiteral("Integer"));
    Name(Relate(Order, Line, true), QStringLiteral("Contains"));

    Invoice = MakeEntity(QStringLiteral("Invoice"), {QStringLiteral("InvoiceNo")});
    Type(Invoice, true, 0, QStringLiteral("Integer"));
    TRelation* bills = Relate(Order, Invoice, false);
    Name(bills, QStringLiteral("Bills"));
    bills->Cardinality = kCardinalityZeroOrOne;

    Hostile = MakeEntity(QStringLiteral("Hostile"), {QStringLiteral("K")}, {QStringLiteral("V")});
    Hostile->SetTableName(kHostileTable);
    Type(Hostile, true, 0, QStringLiteral("Integer"));
    Type(Hostile, false, 0, QStringLiteral("VarChar"), QStringLiteral("40"));
    Hostile->Attributes.Objects(0)->SetDefaultValue(kHostileDefault);

    AddProcess(QStringLiteral("Touch"), QStringLiteral("postgresql"),
               {QStringLiteral("CREATE OR REPLACE FUNCTION touch() RETURNS integer AS $$"),
                QStringLiteral("  SELECT 1;"), QStringLiteral("$$ LANGUAGE sql;")});
    AddProcess(QStringLiteral("Count"), QStringLiteral("MySQL"),
               {QStringLiteral("CREATE OR REPLACE PROCEDURE counted() BEGIN"), QStringLiteral("  SELECT 1;"),
                QStringLiteral("  SELECT 2;"), QStringLiteral("END;")});
  }

  void Type(TEntity* e, bool key, int pos, const QString& type, const QString& width = QStringLiteral("0"))
  {
    e->ChangeAttributeDataType(key, pos, type);
    e->ChangeAttributeWidth(key, pos, width);
  }

  void Name(TRelation* r, const QString& name) { D.RenameRelation(D.Relations.IndexOfObject(r), name); }

  void AddProcess(const QString& name, const QString& server, const QStringList& text)
  {
    auto proc = std::make_unique<TServerProc>();
    proc->Name = name;
    proc->Server = server;
    proc->Text = text;
    D.AddServerProc(std::move(proc));
  }

  static QStringList AllEntities() { return {"Customer", "Order", "OrderLine", "Invoice", "Hostile"}; }

  TSqlBuildOptions Options() const
  {
    TSqlBuildOptions options;
    options.DropTables = true;
    options.Processes = true;
    options.TableFilter = AllEntities();
    return options;
  }

  std::vector<TSqlStep> Steps(const QString& server, const TSqlBuildOptions& options)
  {
    return SqlBuildSteps(Shipped, server, D, options);
  }
  std::vector<TSqlStep> Steps(const QString& server) { return Steps(server, Options()); }
};

// The statements of the steps, one text each; the errors as "ERROR: ...".
inline QStringList Statements(const std::vector<TSqlStep>& steps)
{
  QStringList list;
  for (const TSqlStep& step : steps)
    list << (step.Error.isEmpty() ? step.Statement : QStringLiteral("ERROR: ") + step.Error);
  return list;
}

inline QStringList Captions(const std::vector<TSqlStep>& steps)
{
  QStringList list;
  for (const TSqlStep& step : steps)
    list << step.Caption;
  return list;
}

}  // namespace veska::test
