// The desktop program: the command line is read first (help, version and
// usage errors need no display); then a splash window while the main window
// is built, then the main window, maximised, until it is closed. A diagram
// named on the command line is opened once the window shows.

#include "platform/Allocator.h"
#include "platform/SafeFile.h"
#include "shell/Application.h"
#include "shell/CommandLine.h"
#include "shell/FileDialogs.h"
#include "shell/MainWindow.h"
#include "shell/MessageBoxes.h"
#include "shell/Pictures.h"
#include "shell/Settings.h"

#include <QScreen>
#include <QSplashScreen>

#include <cstdio>

int main(int argc, char** argv)
{
  veska::TuneAllocator();
  veska::IgnoreFileSizeSignal();
  QStringList args;
  for (int i = 1; i < argc; ++i)
    args << QString::fromLocal8Bit(argv[i]);
  const veska::TCommandLine commandLine = veska::ParseCommandLine(args);
  if (const int status = veska::AnswerCommandLine(commandLine, stdout, stderr); status >= 0)
    return status;

  veska::TApplication app(argc, argv);

  // Borderless, on top of every window and centred on the screen.
  const qreal ratio = app.primaryScreen() ? app.primaryScreen()->devicePixelRatio() : 1.0;
  QSplashScreen splash(veska::ProgramPicture(QSize(360, 270), ratio), Qt::WindowStaysOnTopHint);
  splash.setObjectName(QStringLiteral("Splash"));
  splash.show();
  app.processEvents();

  veska::TApplication::SetNames();
  app.setWindowIcon(veska::ProgramIcon());

  veska::TSettings settings = veska::TSettings::ForProgram(QCoreApplication::applicationDirPath());
  veska::TMessageBoxes messages;
  veska::TQtFileDialogs fileDialogs;
  veska::TSDIAppForm window(settings, messages, fileDialogs);
  messages.SetParent(&window);
  fileDialogs.SetParent(&window);
  window.showMaximized();

  splash.finish(&window);
  veska::OpenOnStart(window, commandLine);
  return app.exec();
}
