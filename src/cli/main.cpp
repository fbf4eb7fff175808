// veska-cli: the command-line companion of the desktop program. It runs
// without a display on Qt's offscreen platform.
#include "cli/Commands.h"
#include "platform/Allocator.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace {
// Qt's own warnings (for example about a missing runtime directory) are not
// messages of this program; standard error carries only those.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
}  // namespace

int main(int argc, char** argv)
{
  veska::TuneAllocator();
  qInstallMessageHandler(QuietQtMessages);
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
