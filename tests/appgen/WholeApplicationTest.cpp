// The whole application of the sample diagram, generated with the shipped
// template library and compared file by file with the files kept under
// expected/: sources byte for byte, forms as their form text, both ways.
// With VESKA_UPDATE_EXPECTED=1 the test writes the expected files instead
// (read them before committing them).
#include "appgen/AppGenerator.h"
#include "diagramfile/DiagramFile.h"
#include "model/Entity.h"
#include "formresource/FormResource.h"
#include "surface/SurfaceFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace veska::test {
namespace {

QByteArray ReadAll(const QString& path)
{
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(path);
  return f.readAll();
}

class WholeApplicationTest : public SurfaceTest {
protected:
  QTemporaryDir Out;

  void SetUp() override
  {
    SurfaceTest::SetUp();
    ASSERT_EQ(LoadDiagram(S, QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd")), TLoadResult::Loaded);
  }

  // Generates into a fresh directory and compares with expected/<set>.
  void Check(const QString& set, bool mdi)
  {
    const QString dir = Out.filePath(set);
    ASSERT_TRUE(QDir().mkpath(dir));
    TAppBuildSettings settings;
    settings.Directory = dir;
    settings.MDIApplication = mdi;
    for (const TEntity* e : S.Entities)
      settings.FormList << e->EntityName();
    settings.LibraryFile = QCoreApplication::applicationDirPath() + QStringLiteral("/VESKA.LIB");
    RunAppGeneration(S, settings, {});

    const QDir expected(QStringLiteral(VESKA_EXPECTED_DIR "/") + set);
    const bool update = qEnvironmentVariableIntValue("VESKA_UPDATE_EXPECTED") == 1;
    if (update) {
      ASSERT_TRUE(QDir().mkpath(expected.path()));
    }
    const QStringList generated = QDir(dir).entryList(QDir::Files, QDir::Name);
    QStringList names;
    for (const QString& name : generated) {
      const QByteArray bytes = ReadAll(QDir(dir).filePath(name));
      const bool form = name.endsWith(QStringLiteral(".DFM"));
      const QString stored = expected.filePath(form ? name + QStringLiteral(".txt") : name);
      names << QFileInfo(stored).fileName();
      if (update) {
        QFile f(stored);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(form ? FormResourceToText(bytes).toUtf8() : bytes);
        continue;
      }
      SCOPED_TRACE(stored.toStdString());
      const QByteArray want = ReadAll(stored);
      if (form) {
        EXPECT_EQ(FormResourceToText(bytes).toUtf8(), want);
        EXPECT_EQ(FormTextToResource(QString::fromUtf8(want)), bytes);
      } else {
        EXPECT_EQ(bytes, want);
      }
    }
    EXPECT_EQ(names, expected.entryList(QDir::Files, QDir::Name));
  }
};

TEST_F(WholeApplicationTest, SampleInMdiFrame)
{
  Check(QStringLiteral("mdi"), true);
}

TEST_F(WholeApplicationTest, SampleInNormalFrame)
{
  Check(QStringLiteral("normal"), false);
}

// The sample's forms laid out in the two styles with controls: a lookup
// combo, lookup buttons, a list box, check boxes and fixed places.
TEST_F(WholeApplicationTest, SampleWithLaidOutForms)
{
  TEntity* customer = S.Entities.Find(QStringLiteral("Customer"));
  TEntity* order = S.Entities.Find(QStringLiteral("Sales Order"));
  TEntity* line = S.Entities.Find(QStringLiteral("Order Line"));
  ASSERT_TRUE(customer && order && line);
  customer->FormStyle = fsVertical;
  customer->MenuGroup = QStringLiteral("&Customers");
  customer->Attributes.Find(QStringLiteral("City"))->DisplayType = TDisplayType::ListBox;
  order->FormStyle = fsHorizontal;
  order->EditFormCaption.clear();
  order->Attributes.Find(QStringLiteral("CustNo"))->DisplayType = TDisplayType::Lookup;
  line->FormStyle = fsHorizontal;
  line->FormWidth = 500;
  line->LineSpacing = 10;
  TAttribute* quantity = line->Attributes.Find(QStringLiteral("Quantity"));
  quantity->DisplayType = TDisplayType::ListBox;
  quantity->SetDescription(QStringList{"begin data", "1", "10", "100", "end data"});
  TAttribute* gift = line->InsertAttribute(line->Attributes.Count(), QStringLiteral("Gift"));
  gift->DisplayType = TDisplayType::CheckBox;
  gift->SetDescription(QStringList{"begin data", "Y", "N", "end data"});
  TAttribute* note = line->InsertAttribute(line->Attributes.Count(), QStringLiteral("Note"));
  note->SetControlLeft(200);
  note->SetControlTop(150);
  Check(QStringLiteral("forms"), true);
  EXPECT_EQ(order->EditFormCaption, QStringLiteral("Maintain Sales Order"));
}

}  // namespace
}  // namespace veska::test
