#include "shell/Application.h"

#include "platform/MessageService.h"

#include <QMessageBox>

#include <exception>

namespace veska {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TApplication::SetNames()
{
  // No display name: the platform would append it to every window title,
  // and each window's title already says what it is.
  QApplication::setApplicationName(QStringLiteral("Veska"));
  // The desktop entry an installation puts in share/applications: desktops
  // take the windows' icon and name from it.
  QGuiApplication::setDesktopFileName(QStringLiteral("veska"));
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    QMessageBox::critical(activeWindow(), QStringLiteral("Error"), OutOfMemoryMessage());
  } catch (const std::exception& e) {
    QMessageBox::critical(activeWindow(), QStringLiteral("Error"), QString::fromLocal8Bit(e.what()));
  }
  return false;
}

}  // namespace veska
