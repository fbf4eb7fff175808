// The document without a window: the save question, Save and Save As with
// the backup, opening what is no diagram, Merge and Undo, and what it tells
// its listeners.

#include "diagramfile/DiagramFileFixture.h"
#include "shell/DiagramDocument.h"
#include "shell/FileDialogs.h"
#include "support/FileBytes.h"
#include "support/RecordingProgress.h"
#include "surface/DrawingSurface.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska {
namespace {

using test::Lines;
using test::Read;
using test::TRecordingMessages;
using test::Write;

// Save As answers from a script; an empty script is a cancel.
class TNameDialogs final : public TFileDialogs {
public:
  QString OpenFileName(const QString&, const QString&) override { return Next(); }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return Next(); }
  QStringList Names;

private:
  QString Next() { return Names.isEmpty() ? QString() : Names.takeFirst(); }
};

class DiagramDocumentTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Dir.isValid());
    FOldDirectory = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    Subscriptions.push_back(Document.OnClearing.Add([this] { Events << QStringLiteral("clearing"); }));
    Subscriptions.push_back(Document.OnLoaded.Add([this] { Events << QStringLiteral("loaded"); }));
    Subscriptions.push_back(
        Document.OnSaved.Add([this](const QString& name) { Events << QStringLiteral("saved ") + Name(name); }));
    Subscriptions.push_back(Document.OnFileNameChange.Add(
        [this](const QString& name) { Events << QStringLiteral("named ") + Name(name); }));
  }
  void TearDown() override
  {
    EXPECT_EQ(CheckIntegrity(Surface), QStringList());
    QDir::setCurrent(FOldDirectory);
  }

  QString Path(const QString& name) const { return Dir.filePath(name); }
  static QString Name(const QString& path) { return QFileInfo(path).fileName(); }
  QStringList TakeEvents() { return std::exchange(Events, {}); }

  QTemporaryDir Dir;
  TRecordingMessages Messages;
  TFixedTextMeasurer Measurer;
  TDrawingSurface Surface{Messages, Measurer};
  TNameDialogs Files;
  TDiagramDocument Document{Surface, Messages, Files};
  QStringList Events;
  std::vector<TSubscription> Subscriptions;

private:
  QString FOldDirectory;
};

TEST_F(DiagramDocumentTest, TheSaveQuestionComesOnlyWhenSavingWouldWriteSomethingNew)
{
  EXPECT_TRUE(Document.QueryClose()) << "an empty new diagram goes without a question";
  EXPECT_TRUE(Messages.Messages.isEmpty());

  LoadDiagramBytes(Surface, Lines(test::PlacesExample()));
  Document.Snapshot();
  const QByteArray before = Document.UndoSnapshot();
  Surface.DeleteRelation(0);
  TakeEvents();

  Messages.Answers = {mbCancel};
  EXPECT_FALSE(Document.QueryClose());
  EXPECT_EQ(Messages.Lines(), QStringList{QStringLiteral("confirmation: Save changes to \"new.ERD\"?")});
  EXPECT_EQ(Surface.Entities.Count(), 2) << "a cancelled question keeps the diagram";
  EXPECT_EQ(Document.UndoSnapshot(), before) << "and Undo as it was";
  EXPECT_TRUE(TakeEvents().isEmpty());

  Messages.Answers = {mbNo};
  EXPECT_TRUE(Document.QueryClose());
  EXPECT_TRUE(Surface.Entities.IsEmpty());
  EXPECT_TRUE(Document.UndoSnapshot().contains("Customer")) << "the diagram given up can come back";
  EXPECT_FALSE(Document.UndoSnapshot().contains("places"));
  EXPECT_EQ(TakeEvents(), QStringList{QStringLiteral("clearing")});

  // A diagram just as its file holds it goes without a question.
  LoadDiagramBytes(Surface, Lines(test::PlacesExample()));
  Files.Names = {Path(QStringLiteral("orders.erd"))};
  ASSERT_TRUE(Document.Save());
  Messages.Reset();
  EXPECT_TRUE(Document.QueryClose());
  EXPECT_TRUE(Messages.Messages.isEmpty());
}

TEST_F(DiagramDocumentTest, SaveAsNamesTheDocumentAndSaveKeepsTheReplacedFileAsBackup)
{
  LoadDiagramBytes(Surface, Lines(test::PlacesExample()));
  EXPECT_FALSE(Document.Save()) << "a new diagram's Save asks for a name; no name, nothing written";
  EXPECT_EQ(Document.FileName(), TDiagramDocument::NewFileName);

  const QString file = Path(QStringLiteral("orders.erd"));
  Files.Names = {file};
  ASSERT_TRUE(Document.Save());
  EXPECT_EQ(Document.FileName(), file);
  EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("named orders.erd"), QStringLiteral("saved orders.erd")}));
  const QByteArray first = Read(file);
  ASSERT_FALSE(first.isEmpty());

  // The second Save keeps the first file as the backup.
  ASSERT_TRUE(Document.Save());
  EXPECT_EQ(Read(Path(QStringLiteral("orders.BAK"))), first);
  EXPECT_NE(Read(file), first) << "the revision rises with every save";
  EXPECT_EQ(TakeEvents(), QStringList{QStringLiteral("saved orders.erd")});

  // Save As onto another file asks before replacing it; No writes nothing.
  const QString other = Path(QStringLiteral("other.erd"));
  Write(other, "keep");
  Files.Names = {other};
  Messages.Answers = {mbNo};
  EXPECT_FALSE(Document.SaveAs());
  EXPECT_EQ(Read(other), QByteArray("keep"));
  EXPECT_EQ(Document.FileName(), file);
}

TEST_F(DiagramDocumentTest, AFailedSaveKeepsTheNameAndSaysWhy)
{
  LoadDiagramBytes(Surface, Lines(test::PlacesExample()));
  Files.Names = {Path(QStringLiteral("missing/orders.erd"))};
  EXPECT_FALSE(Document.Save());
  EXPECT_EQ(Document.FileName(), TDiagramDocument::NewFileName);
  ASSERT_EQ(Messages.Messages.size(), 1);
  EXPECT_EQ(Messages.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(TakeEvents().isEmpty()) << "nothing was saved and nothing renamed";

  // The question's Yes that cannot save keeps the diagram.
  Files.Names = {Path(QStringLiteral("missing/orders.erd"))};
  Messages.Answers = {mbYes};
  EXPECT_FALSE(Document.QueryClose());
  EXPECT_EQ(Surface.Entities.Count(), 2);
}

TEST_F(DiagramDocumentTest, OpenNamesTheDocumentOnlyAfterADiagramWasRead)
{
  const QString orders = Path(QStringLiteral("orders.erd"));
  Write(orders, Lines(test::PlacesExample()));
  Document.OpenNamed(QStringLiteral("orders.erd"));
  EXPECT_EQ(Document.FileName(), orders) << "a relative name is made absolute once";
  EXPECT_EQ(Surface.Entities.Count(), 2);
  EXPECT_TRUE(Document.UndoSnapshot().contains("places")) << "Undo right after Open gives the file";

  // Merge reads onto the diagram and leaves it the same file.
  const QString sales = Path(QStringLiteral("sales.erd"));
  Write(sales, Lines(test::SalesExample()));
  Document.Merge(sales);
  EXPECT_EQ(Document.FileName(), orders);
  EXPECT_EQ(Surface.Entities.Count(), 3);
  EXPECT_EQ(Surface.Domains.Count(), 1);

  // A file that is no diagram leaves a new one that no Save may write over
  // either file.
  const QString text = Path(QStringLiteral("notes.txt"));
  Write(text, "just some notes\r\n");
  Messages.Answers = {mbNo};
  Document.Open(text);
  EXPECT_EQ(Document.FileName(), TDiagramDocument::NewFileName);
  EXPECT_TRUE(Surface.Entities.IsEmpty());

  Messages.Reset();
  Document.OpenNamed(QStringLiteral("gone.erd"));
  EXPECT_EQ(Messages.Lines(), QStringList{QStringLiteral("error: \"gone.erd\" File not found.")});
}

TEST_F(DiagramDocumentTest, UndoBringsBackTheSnapshotAndKeepsItInTheUndoFile)
{
  LoadDiagramBytes(Surface, Lines(test::PlacesExample()));
  Document.Snapshot();
  Surface.DeleteEntity(0);
  TakeEvents();

  Document.Undo();
  EXPECT_EQ(Surface.Entities.Count(), 2);
  EXPECT_EQ(Surface.Relations.Count(), 1);
  EXPECT_EQ(Read(Path(TDiagramDocument::UndoFileName)), Document.UndoSnapshot());
  EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("clearing"), QStringLiteral("loaded")}));

  // Without its file the snapshot could not come back after a crash: when
  // the file cannot be written the diagram stays as it is.
  ASSERT_TRUE(QFile::remove(Path(TDiagramDocument::UndoFileName)));
  ASSERT_TRUE(QDir(Dir.path()).mkdir(TDiagramDocument::UndoFileName));
  Surface.DeleteEntity(0);
  Document.Undo();
  EXPECT_EQ(Surface.Entities.Count(), 1);
  ASSERT_FALSE(Messages.Messages.isEmpty());
  EXPECT_EQ(Messages.Messages.back().Type, TMsgDlgType::mtError);
  EXPECT_TRUE(TakeEvents().isEmpty());
}

TEST_F(DiagramDocumentTest, UndoShowsTheLoadProgressInsteadOfFreezingTheWindow)
{
  // Undo reads the whole diagram again, as long as opening it takes.
  LoadDiagramBytes(Surface, Lines(test::PlacesExample()));
  Document.Snapshot();
  Surface.DeleteEntity(0);
  test::TRecordingProgress progress;
  Document.SetLoadProgress(&progress);
  Document.Undo();
  EXPECT_EQ(Surface.Entities.Count(), 2);
  EXPECT_EQ(progress.Caption, TDiagramDocument::UndoFileName);
  EXPECT_EQ(progress.Begins, 1);
  EXPECT_EQ(progress.Ends, 1);
  EXPECT_FALSE(progress.Steps.isEmpty());
  EXPECT_TRUE(progress.StepsAdvanceWithinTotal());
}

}  // namespace
}  // namespace veska
