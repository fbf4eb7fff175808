// veska-cli entity-report and consistency-report: the same reports as the
// desktop program with the same choices, and the exit statuses of convert.
#include "tablebuild/ServerDefinitions.h"
#include "cli/CliRun.h"
#include "diagramfile/DiagramFile.h"
#include "platform/IniFile.h"
#include "platform/TextMeasurer.h"
#include "reports/ConsistencyReport.h"
#include "reports/EntityReport.h"
#include "support/RecordingMessages.h"

#include <functional>

namespace veska {
namespace {

using namespace test;

class ReportCliTest : public CliTest {
protected:
  TRecordingMessages Msgs;
  TDrawingSurface Surface{Msgs, TQtTextMeasurer::Instance()};

  void SetUp() override
  {
    Surface.Clear();
    ASSERT_EQ(LoadDiagram(Surface, kSample), TLoadResult::Loaded);
  }

  // Runs the command and expects a clean run that wrote `expected`.
  void ExpectReport(const QStringList& args, const QString& expected)
  {
    const TRun run = Cli(args + QStringList{kSample, Path("out.txt")});
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(run.Out.isEmpty());
    EXPECT_TRUE(run.ErrLines.isEmpty()) << run.ErrLines.join('\n').toStdString();
    EXPECT_EQ(Read(Path("out.txt")), expected.toUtf8());
  }
};

TEST_F(ReportCliTest, EachEntityOptionTurnsItsOwnBox)
{
  const std::vector<std::pair<const char*, bool TEntityReportOptions::*>> options = {
    {"--table-name", &TEntityReportOptions::TableName},
    {"--entity-description", &TEntityReportOptions::EntityDesc},
    {"--no-primary-key", &TEntityReportOptions::PrimaryKey},
    {"--pk-column-name", &TEntityReportOptions::PKColName},
    {"--pk-column-type", &TEntityReportOptions::PKColType},
    {"--pk-nullability", &TEntityReportOptions::PKNull},
    {"--pk-description", &TEntityReportOptions::PKDesc},
    {"--no-attributes", &TEntityReportOptions::Attributes},
    {"--attr-column-name", &TEntityReportOptions::AttrColName},
    {"--attr-column-type", &TEntityReportOptions::AttrColType},
    {"--attr-nullability", &TEntityReportOptions::AttrNull},
    {"--attr-description", &TEntityReportOptions::AttrDesc},
    {"--no-relations", &TEntityReportOptions::Relations},
    {"--relation-description", &TEntityReportOptions::RelDesc},
  };
  ExpectReport({"entity-report"}, EntityReportText(Surface, {}));
  for (const auto& [name, field] : options) {
    SCOPED_TRACE(name);
    TEntityReportOptions o;
    o.*field = !(o.*field);
    ExpectReport({"entity-report", name}, EntityReportText(Surface, o));
  }
  // Tabular with its column boxes; a repeated option changes nothing.
  TEntityReportOptions o;
  o.Tabular = o.PKColName = o.PKNull = true;
  ExpectReport({"entity-report", "--tabular", "--pk-column-name", "--pk-nullability", "--tabular"},
               EntityReportText(Surface, o));
}

TEST_F(ReportCliTest, ConsistencyReportReadsTheChosenSettings)
{
  // The settings file beside veska-cli declares the sample's types.
  const QStringList shipped = ReadDataTypes(TIniFile(QFileInfo(QStringLiteral(VESKA_CLI)).dir().filePath("VESKA.INI")));
  ASSERT_FALSE(shipped.isEmpty());
  ExpectReport({"consistency-report"}, ConsistencyReportText(Surface, shipped, {}));

  Write(Path("few.ini"), "[DataTypes]\r\nInteger=\r\n");
  ExpectReport({"consistency-report", "--settings", Path("few.ini")},
               ConsistencyReportText(Surface, {QStringLiteral("Integer")}, {}));
  ExpectReport({"consistency-report", "--no-domains", "--settings", Path("few.ini")},
               ConsistencyReportText(Surface, {QStringLiteral("Integer")}, {false, true}));
  ExpectReport({"consistency-report", "--no-entities", "--no-domains"},
               ConsistencyReportText(Surface, shipped, {false, false}));
}

TEST_F(ReportCliTest, StatusesAsForConvert)
{
  QByteArray bytes = Read(kSample);
  bytes.replace("places/is placed by,Customer,", "places/is placed by,Nobody,");
  Write(Path("broken.erd"), bytes);
  TRun run = Cli({"entity-report", Path("broken.erd"), Path("out.txt")});
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.ErrLines,
            QStringList{"error: Input file is corrupted. Please save the diagram content to another file."});
  EXPECT_TRUE(Read(Path("out.txt")).startsWith("Entity-Relation Report\r\n\r\nEntity Name: Customer\r\n"));

  run = Cli({"consistency-report", "--settings", Path("absent.ini"), kSample, Path("none.txt")});
  EXPECT_EQ(run.Status, 3);
  EXPECT_EQ(run.ErrLines, QStringList{"error: " + Path("absent.ini") + ": No such settings file"});
  EXPECT_FALSE(QFile::exists(Path("none.txt")));

  run = Cli({"entity-report", kSample, Path("no/such/dir/out.txt")});
  EXPECT_EQ(run.Status, 3);
  ASSERT_EQ(run.ErrLines.size(), 1);
  EXPECT_TRUE(run.ErrLines[0].startsWith("error: Cannot write \"" + Path("no/such/dir/out.txt") + "\": "));

  // Each command knows only its own switches.
  EXPECT_EQ(Cli({"entity-report", "--no-domains", kSample, Path("x")}).Status, 64);
  EXPECT_EQ(Cli({"consistency-report", "--tabular", kSample, Path("x")}).Status, 64);
  EXPECT_FALSE(QFile::exists(Path("x")));
}

}  // namespace
}  // namespace veska
