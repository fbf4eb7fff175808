// veska-cli arrange: the sample laid out headless, written as convert writes
// it, and the command lines refused.

#include "cli/CliRun.h"
#include "diagramfile/DiagramFile.h"
#include "model/Entity.h"
#include "model/Integrity.h"
#include "platform/TextMeasurer.h"
#include "support/RecordingMessages.h"

namespace veska {
namespace {

using namespace test;

TEST_F(CliTest, ArrangeLaysTheSampleOutWithoutOverlapsAndAgainChangesNothing)
{
  const TRun run = Cli({"arrange", kSample, Path("arranged.erd")});
  ASSERT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(run.ErrLines.isEmpty());

  TRecordingMessages messages;
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  ASSERT_EQ(LoadDiagram(surface, Path("arranged.erd")), TLoadResult::Loaded);
  EXPECT_EQ(CheckIntegrity(surface), QStringList());
  for (int i = 0; i < surface.Entities.Count(); ++i)
    for (int j = i + 1; j < surface.Entities.Count(); ++j)
      EXPECT_FALSE(surface.Entities[i]->BoundsRect().intersects(surface.Entities[j]->BoundsRect()))
          << surface.Entities[i]->EntityName().toStdString() << " and "
          << surface.Entities[j]->EntityName().toStdString();

  // A diagram laid out already keeps every position.
  ASSERT_EQ(Cli({"arrange", Path("arranged.erd"), Path("again.erd")}).Status, 0);
  EXPECT_EQ(Read(Path("again.erd")), Read(Path("arranged.erd")));

  EXPECT_EQ(Cli({"arrange", kSample}).Status, 64);
  EXPECT_EQ(Cli({"arrange", "--tidy", kSample, Path("x.erd")}).Status, 64);
  EXPECT_EQ(Cli({"arrange", Path("absent.erd"), Path("x.erd")}).Status, 3);
}

}  // namespace
}  // namespace veska
