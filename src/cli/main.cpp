// veska-cli: the command-line companion of the desktop program. It runs
// without a display on Qt's offscreen platform.
#include "cli/Commands.h"
#include "platform/Allocator.h"
#include "platform/SafeFile.h"
#include "platform/MessageService.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
  veska::TuneAllocator();
  veska::IgnoreFileSizeSignal();
  veska::QuietQtWarnings();
  // Help and version are answered before Qt starts, so that they work
  // whatever platform the environment names.
  if (argc == 2) {
    const QString arg = QString::fromLocal8Bit(argv[1]);
    if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h") || arg == QStringLiteral("--version"))
      return veska::cli::Run({arg}, stdout, stderr);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  return veska::cli::Run(args, stdout, stderr);
}
