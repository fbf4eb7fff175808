// The desktop program's command line: what it understands, the program's
// answers to --help, --version and a bad command line (run as a process, with
// no display to be had), and a diagram named on it opened at start as File,
// Open opens one.

#include "shell/CommandLine.h"

#include "shell/FileDialogs.h"
#include "shell/MainWindow.h"
#include "shell/Settings.h"
#include "support/RecordingMessages.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace veska {
namespace {

TEST(CommandLine, ReadsAFileTheToolkitsOptionsAndTheEndOfOptions)
{
  EXPECT_EQ(ParseCommandLine({}).Action, TCommandLine::Run);
  EXPECT_TRUE(ParseCommandLine({}).FileName.isEmpty());

  const TCommandLine file = ParseCommandLine({QStringLiteral("orders.erd")});
  EXPECT_EQ(file.Action, TCommandLine::Run);
  EXPECT_EQ(file.FileName, QStringLiteral("orders.erd"));

  // The application object takes these; their values are not files.
  const TCommandLine toolkit = ParseCommandLine({QStringLiteral("-style"), QStringLiteral("fusion"),
                                                 QStringLiteral("--platform"), QStringLiteral("xcb"),
                                                 QStringLiteral("-reverse"), QStringLiteral("a.erd")});
  EXPECT_EQ(toolkit.Action, TCommandLine::Run);
  EXPECT_EQ(toolkit.FileName, QStringLiteral("a.erd"));

  const TCommandLine dashed = ParseCommandLine({QStringLiteral("--"), QStringLiteral("-odd name.erd")});
  EXPECT_EQ(dashed.Action, TCommandLine::Run);
  EXPECT_EQ(dashed.FileName, QStringLiteral("-odd name.erd"));
}

TEST(CommandLine, HelpWinsOverVersionAndOverFiles)
{
  EXPECT_EQ(ParseCommandLine({QStringLiteral("--version")}).Action, TCommandLine::Version);
  EXPECT_EQ(ParseCommandLine({QStringLiteral("-h")}).Action, TCommandLine::Help);
  EXPECT_EQ(ParseCommandLine({QStringLiteral("--version"), QStringLiteral("--help")}).Action, TCommandLine::Help);
  EXPECT_EQ(ParseCommandLine({QStringLiteral("a.erd"), QStringLiteral("b.erd"), QStringLiteral("--help")}).Action,
            TCommandLine::Help);
}

TEST(CommandLine, WhatIsNotUnderstoodIsAUsageError)
{
  for (const QStringList& args : {QStringList{QStringLiteral("--frobnicate")},
                                  QStringList{QStringLiteral("-x"), QStringLiteral("a.erd")},
                                  QStringList{QStringLiteral("a.erd"), QStringLiteral("b.erd")},
                                  QStringList{QStringLiteral("a.erd"), QStringLiteral("-style")},
                                  QStringList{QString()}}) {
    const TCommandLine c = ParseCommandLine(args);
    EXPECT_EQ(c.Action, TCommandLine::Usage) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(c.Error.isEmpty());
  }
  EXPECT_EQ(ParseCommandLine({QStringLiteral("--bad")}).Error, QStringLiteral("unknown option --bad"));
}

// ---- The programs as processes ---------------------------------------------------------

struct TRun {
  int Status = -1;
  QString Out;
  QString Err;
};

// Runs a program where no display can be had: no X11 or Wayland display and
// a platform plugin that does not exist. Creating the application object
// there would end the program with an error.
TRun RunWithoutDisplay(const QString& program, const QStringList& args)
{
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  EXPECT_TRUE(p.waitForFinished(60000));
  TRun run;
  run.Status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.Out = QString::fromUtf8(p.readAllStandardOutput());
  run.Err = QString::fromUtf8(p.readAllStandardError());
  return run;
}

const QString kProgram = QStringLiteral(VESKA_PROGRAM);
const QString kCli = QStringLiteral(VESKA_CLI);

TEST(Program, HelpAndVersionNeedNoDisplay)
{
  const TRun help = RunWithoutDisplay(kProgram, {QStringLiteral("--help")});
  EXPECT_EQ(help.Status, 0) << help.Err.toStdString();
  EXPECT_TRUE(help.Out.startsWith(QStringLiteral("Usage: veska [FILE]\n"))) << help.Out.toStdString();
  EXPECT_TRUE(help.Err.isEmpty()) << help.Err.toStdString();

  const QString version = QStringLiteral(VESKA_VERSION);
  const TRun v = RunWithoutDisplay(kProgram, {QStringLiteral("--version")});
  EXPECT_EQ(v.Status, 0) << v.Err.toStdString();
  EXPECT_TRUE(v.Out.startsWith(QStringLiteral("veska %1\n").arg(version))) << v.Out.toStdString();
  EXPECT_TRUE(v.Out.contains(QStringLiteral("License: GPL-3.0-or-later"))) << v.Out.toStdString();

  const TRun cli = RunWithoutDisplay(kCli, {QStringLiteral("--version")});
  EXPECT_EQ(cli.Status, 0) << cli.Err.toStdString();
  EXPECT_TRUE(cli.Out.startsWith(QStringLiteral("veska-cli %1\n").arg(version))) << cli.Out.toStdString();
  EXPECT_TRUE(cli.Out.contains(QStringLiteral("License: GPL-3.0-or-later")));
}

TEST(Program, AnUnknownOptionPrintsTheUsageOnStandardErrorWithStatus64)
{
  const TRun run = RunWithoutDisplay(kProgram, {QStringLiteral("--no-such-option"), QStringLiteral("a.erd")});
  EXPECT_EQ(run.Status, 64);
  EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
  EXPECT_TRUE(run.Err.startsWith(QStringLiteral("veska: unknown option --no-such-option\n"))) << run.Err.toStdString();
  EXPECT_TRUE(run.Err.contains(QStringLiteral("Usage: veska [FILE]")));
}

// ---- A diagram named at start ---------------------------------------------------------

class TNoFileDialogs final : public TFileDialogs {
public:
  QString OpenFileName(const QString&, const QString&) override { return {}; }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

// Makes a folder the current directory for its lifetime.
class TCurrentDirectory {
public:
  explicit TCurrentDirectory(const QString& dir) : FOld(QDir::currentPath()) { QDir::setCurrent(dir); }
  ~TCurrentDirectory() { QDir::setCurrent(FOld); }

private:
  QString FOld;
};

// The start-up of the program with the window's seams answered by the test:
// the window shown, then the command line's file opened by the event loop.
class StartWithFile : public ::testing::Test {
protected:
  void Start(const QStringList& args)
  {
    const TCommandLine commandLine = ParseCommandLine(args);
    ASSERT_EQ(commandLine.Action, TCommandLine::Run);
    Window = std::make_unique<TSDIAppForm>(Settings, Messages, Files);
    Window->show();
    OpenOnStart(*Window, commandLine);
    // Nothing is opened before the window shows and the event loop runs.
    EXPECT_EQ(Window->Document().FileName(), TDiagramDocument::NewFileName);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
  }

  void Write(const QString& name, const QByteArray& bytes)
  {
    QFile f(Dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }

  QTemporaryDir Dir;
  TCurrentDirectory Current{Dir.path()};
  TSettings Settings{Dir.path()};
  test::TRecordingMessages Messages;
  TNoFileDialogs Files;
  std::unique_ptr<TSDIAppForm> Window;
};

TEST_F(StartWithFile, ADiagramNamedRelativeToTheCurrentDirectoryIsOpened)
{
  ASSERT_TRUE(QFile::copy(QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd"), Dir.filePath(QStringLiteral("sales.erd"))));
  Start({QStringLiteral("sales.erd")});
  const QString absolute = QDir(Dir.path()).absoluteFilePath(QStringLiteral("sales.erd"));
  QTRY_COMPARE(Window->Document().FileName(), absolute);
  EXPECT_GT(Window->DrawingSurface().Entities.Count(), 0);
  EXPECT_EQ(Window->windowTitle(), QStringLiteral("Veska - sales.erd"));
  EXPECT_TRUE(Messages.Lines().isEmpty()) << Messages.Lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(StartWithFile, AFileThatIsNotADiagramGivesOpensMessageAndStaysUnnamed)
{
  Write(QStringLiteral("notes.erd"), "V3.00-KX \r\nnot a diagram\r\n");
  Start({QStringLiteral("notes.erd")});
  QTRY_COMPARE(Messages.Messages.size(), 1);
  EXPECT_EQ(Messages.Lines(),
            QStringList{QStringLiteral("error: Input file is not a VESKA diagram. Please select another file.")});
  EXPECT_EQ(Window->Document().FileName(), TDiagramDocument::NewFileName);
  EXPECT_EQ(Window->DrawingSurface().Entities.Count(), 0);
}

TEST_F(StartWithFile, ACorruptDiagramKeepsWhatWasReadUnderItsName)
{
  Write(QStringLiteral("cut.erd"), "V3.00-KX\r\nCut\r\n0\r\n12/8/26 2:30:05 PM\r\n768 960\r\nArial\r\n8\r\n1\r\nTRUE\r\nmany\r\n");
  Start({QStringLiteral("cut.erd")});
  QTRY_COMPARE(Messages.Messages.size(), 1);
  EXPECT_EQ(Messages.Lines(), QStringList{QStringLiteral(
                                  "error: Input file is corrupted. Please save the diagram content to another file.")});
  EXPECT_EQ(Window->Document().FileName(), Dir.filePath(QStringLiteral("cut.erd")));
}

TEST_F(StartWithFile, AMissingFileIsNotFound)
{
  Start({QStringLiteral("missing.erd")});
  QTRY_COMPARE(Messages.Messages.size(), 1);
  EXPECT_EQ(Messages.Lines(), QStringList{QStringLiteral("error: \"missing.erd\" File not found.")});
  EXPECT_EQ(Window->Document().FileName(), TDiagramDocument::NewFileName);
}

}  // namespace
}  // namespace veska
