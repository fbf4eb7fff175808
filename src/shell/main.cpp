// The desktop program: a splash window while the main window is built, then
// the main window, maximised, until it is closed.

#include "shell/Application.h"
#include "shell/FileDialogs.h"
#include "shell/MainWindow.h"
#include "shell/MessageBoxes.h"
#include "shell/Pictures.h"
#include "shell/Settings.h"

#include <QScreen>
#include <QSplashScreen>

int main(int argc, char** argv)
{
  veska::TApplication app(argc, argv);

  // Borderless, on top of every window and centred on the screen.
  const qreal ratio = app.primaryScreen() ? app.primaryScreen()->devicePixelRatio() : 1.0;
  QSplashScreen splash(veska::ProgramPicture(QSize(360, 270), ratio), Qt::WindowStaysOnTopHint);
  splash.setObjectName(QStringLiteral("Splash"));
  splash.show();
  app.processEvents();

  veska::TApplication::SetNames();

  veska::TSettings settings(QCoreApplication::applicationDirPath());
  veska::TMessageBoxes messages;
  veska::TQtFileDialogs fileDialogs;
  veska::TSDIAppForm window(settings, messages, fileDialogs);
  messages.SetParent(&window);
  fileDialogs.SetParent(&window);
  window.showMaximized();

  splash.finish(&window);
  return app.exec();
}
