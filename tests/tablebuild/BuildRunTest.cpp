// The build run without its dialog: progress lines, messages and answers, and
// the tables it leaves in the directory.
#include "tablebuild/BuildRun.h"
#include "engine/TableEngine.h"
#include "model/Entity.h"
#include "model/Relation.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/RecordingProgress.h"
#include "surface/SurfaceFixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska {
namespace {

class BuildRunTest : public test::SurfaceTest {
protected:
  QTemporaryDir Dir;
  TIniFile Ini{QStringLiteral(VESKA_SHIPPED_INI)};
  QStringList Progress;
  TEntity* A = nullptr;
  TEntity* B = nullptr;
  TEntity* C = nullptr;

  void SetUp() override
  {
    SurfaceTest::SetUp();
    A = Place(20, 20, {QStringLiteral("A_ID")}, {QStringLiteral("A_NAME")});
    B = Place(200, 20, {QStringLiteral("B_ID")});
    C = Place(400, 20, {QStringLiteral("C_ID")});
  }

  QString Name(const TEntity* e) const { return e->EntityName(); }

  TBuildSettings Settings(const QString& server, bool drop, bool create, const QStringList& filter) const
  {
    TBuildSettings s;
    s.ServerName = server;
    s.DropTables = drop;
    s.CreateTables = create;
    s.Directory = Dir.path();
    s.TableFilter = filter;
    return s;
  }

  TBuildResult Run(const TBuildSettings& settings)
  {
    Progress.clear();
    return RunBuild(Ini, settings, S, Msgs, [this](const QString& line) { Progress << line; });
  }

  QStringList All() const { return {Name(A), Name(B), Name(C)}; }

  // Each table created once already, so that creating it again fails.
  void BuildOnce(const QString& server)
  {
    Run(Settings(server, false, true, All()));
    Msgs.Reset();
  }
};

TEST_F(BuildRunTest, DropAndCreateReportEachStepInOrderOnBothServers)
{
  const TRelation* ab = Draw(dtRelationOneToManyForeign, A, B);
  ASSERT_NE(ab, nullptr);
  // Dropping tables that are not there yet is silent.
  TBuildResult result = Run(Settings(QStringLiteral("PARADOX"), true, true, {Name(B), Name(A)}));
  EXPECT_EQ(Progress, (QStringList{"Dropping References of " + Name(B), "Dropping References of " + Name(A),
                                   "Dropping Table " + Name(B), "Dropping Table " + Name(A),
                                   "Creating Table " + Name(B), "Creating Table " + Name(A),
                                   "Creating Relation " + ab->RelationName()}));
  EXPECT_EQ(Msgs.Lines(), QStringList{"information: Processing completed."});
  EXPECT_EQ(result.ErrorCount, 0);
  EXPECT_FALSE(result.Aborted);
  EXPECT_EQ(ListTables(Dir.path()).size(), 2);

  // Dropping before creating lets the same build run again cleanly.
  Msgs.Reset();
  result = Run(Settings(QStringLiteral("Dbase"), true, true, {Name(A)}));
  EXPECT_EQ(Progress, (QStringList{"Dropping Table " + Name(A), "Creating Table " + Name(A)}));
  EXPECT_EQ(Msgs.Lines(), QStringList{"information: Processing completed."});
  result = Run(Settings(QStringLiteral("Dbase"), true, true, {Name(A)}));
  EXPECT_EQ(result.ErrorCount, 0);
}

TEST_F(BuildRunTest, FailedTablesAnsweredIgnoreAreCountedAndTheRunGoesOn)
{
  BuildOnce(QStringLiteral("Dbase"));
  Msgs.Answers = {mbIgnore, mbIgnore};
  const TBuildResult result = Run(Settings(QStringLiteral("Dbase"), false, true, {Name(A), Name(B)}));
  EXPECT_EQ(Progress, (QStringList{"Creating Table " + Name(A), "Creating Table " + Name(B)}));
  ASSERT_EQ(Msgs.Messages.size(), 3);
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtConfirmation);
  EXPECT_FALSE(Msgs.Messages[0].Text.isEmpty());
  EXPECT_EQ(Msgs.Messages[1].Type, TMsgDlgType::mtConfirmation);
  EXPECT_EQ(Msgs.Lines().last(), "information: Processing completed. Error Count = 2");
  EXPECT_EQ(result.ErrorCount, 2);
  EXPECT_FALSE(result.Aborted);
}

TEST_F(BuildRunTest, AbortEndsTheRunAtOnceWithoutTheCompletionMessage)
{
  BuildOnce(QStringLiteral("Paradox"));
  Draw(dtRelationOneToManyForeign, A, B);
  Msgs.Answers = {mbAbort};
  const TBuildResult result = Run(Settings(QStringLiteral("Paradox"), false, true, All()));
  EXPECT_EQ(Progress, QStringList{"Creating Table " + Name(A)});
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtConfirmation);
  EXPECT_EQ(result.ErrorCount, 1);
  EXPECT_TRUE(result.Aborted);
}

TEST_F(BuildRunTest, CountsTheTablesOfEveryPassAndEndsItsProgressBeforeAnyOutcome)
{
  test::TRecordingProgress progress;
  int endsWhenShown = -1;
  Msgs.WhileShowing = [&] { endsWhenShown = progress.Ends; };
  // Paradox drops references and tables, then creates: three passes.
  RunBuild(Ini, Settings(QStringLiteral("Paradox"), true, true, All()), S, Msgs, {}, &progress);
  EXPECT_EQ(progress.Total, 9);
  EXPECT_EQ(progress.Steps.size(), 9);
  EXPECT_TRUE(progress.StepsAdvanceWithinTotal());
  EXPECT_EQ(progress.Ends, 1);
  EXPECT_EQ(Msgs.Lines(), QStringList{"information: Processing completed."});
  EXPECT_EQ(endsWhenShown, 1);

  // An aborted run ends its progress too; the question comes while it runs.
  Msgs.Reset();
  Msgs.Answers = {mbAbort};
  test::TRecordingProgress aborted;
  endsWhenShown = -1;
  Msgs.WhileShowing = [&] { endsWhenShown = aborted.Ends; };
  EXPECT_TRUE(RunBuild(Ini, Settings(QStringLiteral("Paradox"), false, true, All()), S, Msgs, {}, &aborted).Aborted);
  EXPECT_EQ(endsWhenShown, 0);
  EXPECT_EQ(aborted.Steps, QList<qint64>{1});
  EXPECT_EQ(aborted.Ends, 1);
  Msgs.WhileShowing = nullptr;
}

TEST_F(BuildRunTest, WithDropAndCreateOffOnlyTheCompletionShows)
{
  const TBuildResult result = Run(Settings(QStringLiteral("Paradox"), false, false, All()));
  EXPECT_TRUE(Progress.isEmpty());
  EXPECT_EQ(Msgs.Lines(), QStringList{"information: Processing completed."});
  EXPECT_TRUE(result.Ran);
  EXPECT_TRUE(ListTables(Dir.path()).isEmpty());
}

TEST_F(BuildRunTest, AServerWithoutDesktopTablesDoesNothing)
{
  const TBuildResult result = Run(Settings(QStringLiteral("Oracle"), true, true, All()));
  EXPECT_FALSE(result.Ran);
  EXPECT_TRUE(Progress.isEmpty());
  EXPECT_TRUE(Msgs.Messages.isEmpty());
  EXPECT_TRUE(ListTables(Dir.path()).isEmpty());
}

TEST_F(BuildRunTest, ParadoxRelationStepsOnlyForRelationsInsideTheFilter)
{
  const TRelation* ab = Draw(dtRelationOneToManyForeign, A, B);
  const TRelation* bc = Draw(dtRelationOneToManyForeign, B, C);
  const TRelation* ca = Draw(dtRelationOneToManyForeign, C, A);
  ASSERT_TRUE(ab && bc && ca);
  // Names in the filter match the entities whatever their letter case.
  Run(Settings(QStringLiteral("Paradox"), false, true, {Name(A).toLower(), Name(B)}));
  EXPECT_EQ(Progress.filter(QStringLiteral("Relation")), QStringList{"Creating Relation " + ab->RelationName()});

  // dBASE tables have no relation steps.
  Run(Settings(QStringLiteral("Dbase"), true, true, All()));
  EXPECT_TRUE(Progress.filter(QStringLiteral("Relation")).isEmpty());
  EXPECT_TRUE(Progress.filter(QStringLiteral("References")).isEmpty());
}

TEST_F(BuildRunTest, ANameThatIsNoEntityCountsAsAFailedTableInsteadOfPassing)
{
  Msgs.Answers = {mbIgnore};
  const TBuildResult result = Run(Settings(QStringLiteral("Dbase"), true, true, {QStringLiteral("Nobody"), Name(A)}));
  EXPECT_EQ(result.ErrorCount, 1);
  EXPECT_EQ(Msgs.Lines(), (QStringList{"confirmation: There is no entity named Nobody.",
                                       "information: Processing completed. Error Count = 1"}));
  EXPECT_EQ(ListTables(Dir.path()).size(), 1);
}

TEST_F(BuildRunTest, DropNeverDeletesTheTableAnotherEntityMapsToAfterCutting)
{
  // Both names become the dBASE table "Customer" once cut to 8 characters.
  S.RenameEntity(S.Entities.IndexOf(Name(A)), QStringLiteral("Customer"));
  A->SetTableName(QStringLiteral("Customer"));
  S.RenameEntity(S.Entities.IndexOf(Name(B)), QStringLiteral("CustomerAddresses"));
  B->SetTableName(QStringLiteral("CustomerAddresses"));
  CreateTable(Dir.path(), QStringLiteral("Customer"), TTableType::Dbase, {{QStringLiteral("KEEP"), eftInteger}}, {});
  const QString kept = Dir.filePath(QStringLiteral("Customer.dbf"));
  const QByteArray before = ReadRegularFile(kept);

  Msgs.Answers = {mbIgnore, mbIgnore};
  TBuildResult result = Run(Settings(QStringLiteral("Dbase"), true, true, {Name(B), Name(A), Name(C)}));
  EXPECT_EQ(ReadRegularFile(kept), before);
  EXPECT_EQ(result.ErrorCount, 2);
  ASSERT_EQ(Msgs.Messages.size(), 3);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Msgs.Messages[i].Type, TMsgDlgType::mtConfirmation);
    EXPECT_TRUE(Msgs.Messages[i].Text.contains(QLatin1String("CustomerAddresses")));
    EXPECT_TRUE(Msgs.Messages[i].Text.contains(QLatin1String("Customer ")));
  }
  // Each is reported once, before anything of it is dropped; the run goes on.
  EXPECT_EQ(Progress.indexOf("Dropping Table " + Name(B)), 0);
  EXPECT_EQ(Msgs.Lines().last(), "information: Processing completed. Error Count = 2");
  EXPECT_EQ(ListTables(Dir.path()).size(), 2);

  // Abort ends the run there, with nothing dropped; creating alone reports it too.
  Msgs.Reset();
  Msgs.Answers = {mbAbort};
  result = Run(Settings(QStringLiteral("Dbase"), true, false, {Name(C), Name(A)}));
  EXPECT_TRUE(result.Aborted);
  EXPECT_EQ(ReadRegularFile(kept), before);
  EXPECT_EQ(ListTables(Dir.path()).size(), 1);
  Msgs.Reset();
  Msgs.Answers = {mbIgnore};
  result = Run(Settings(QStringLiteral("Dbase"), false, true, {Name(B)}));
  EXPECT_EQ(result.ErrorCount, 1);
  EXPECT_EQ(ReadRegularFile(kept), before);
}

}  // namespace
}  // namespace veska
