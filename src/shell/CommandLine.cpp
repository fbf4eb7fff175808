#include "shell/CommandLine.h"

#include "platform/Installation.h"
#include "shell/MainWindow.h"

#include <QSet>
#include <QTimer>

namespace veska {
namespace {

// The toolkit's options that the application object takes from the command
// line; those in the first set are followed by a value.
const QSet<QString>& ToolkitOptionsWithValue()
{
  static const QSet<QString> options = {
    QStringLiteral("-platform"),        QStringLiteral("-platformpluginpath"), QStringLiteral("-platformtheme"),
    QStringLiteral("-plugin"),          QStringLiteral("-qwindowgeometry"),    QStringLiteral("-qwindowtitle"),
    QStringLiteral("-qwindowicon"),     QStringLiteral("-style"),              QStringLiteral("-stylesheet"),
    QStringLiteral("-session"),         QStringLiteral("-display"),            QStringLiteral("-geometry"),
  };
  return options;
}

const QSet<QString>& ToolkitFlags()
{
  static const QSet<QString> flags = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount")};
  return flags;
}

TCommandLine UsageError(const QString& error)
{
  TCommandLine c;
  c.Action = TCommandLine::Usage;
  c.Error = error;
  return c;
}

void Print(std::FILE* to, const QString& text)
{
  std::fputs(text.toLocal8Bit().constData(), to);
  std::fflush(to);
}

}  // namespace

TCommandLine ParseCommandLine(const QStringList& args)
{
  TCommandLine c;
  QStringList files;
  bool options = true;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (!options || !a.startsWith(QLatin1Char('-')) || a == QStringLiteral("-")) {
      files << a;
      continue;
    }
    if (a == QStringLiteral("--")) {
      options = false;
    } else if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
      c.Action = TCommandLine::Help;
    } else if (a == QStringLiteral("--version")) {
      if (c.Action != TCommandLine::Help)
        c.Action = TCommandLine::Version;
    } else {
      // The toolkit also accepts its options with two dashes.
      const QString toolkit = a.startsWith(QStringLiteral("--")) ? a.mid(1) : a;
      if (ToolkitFlags().contains(toolkit))
        continue;
      if (!ToolkitOptionsWithValue().contains(toolkit))
        return UsageError(QStringLiteral("unknown option %1").arg(a));
      if (++i == args.size())
        return UsageError(QStringLiteral("%1 needs a value").arg(a));
    }
  }
  if (c.Action != TCommandLine::Run)
    return c;
  if (files.size() > 1)
    return UsageError(QStringLiteral("only one FILE can be opened"));
  if (!files.isEmpty()) {
    if (files[0].isEmpty())
      return UsageError(QStringLiteral("FILE is empty"));
    c.FileName = files[0];
  }
  return c;
}

QString CommandLineHelp()
{
  return QStringLiteral(
      "Usage: veska [FILE]\n"
      "       veska --help | --version\n"
      "\n"
      "Veska draws information models as entity-relationship diagrams and\n"
      "derives desktop database tables, reports and data-entry applications\n"
      "from them.\n"
      "\n"
      "  FILE       A diagram to open at start, as File, Open does.\n"
      "  --help     Shows this text.\n"
      "  --version  Shows the version and the license.\n"
      "  --         Ends the options; a FILE after it may start with \"-\".\n"
      "\n"
      "Exit status: 0, or 64 when the command line is not understood.\n");
}

int AnswerCommandLine(const TCommandLine& commandLine, std::FILE* out, std::FILE* err)
{
  switch (commandLine.Action) {
    case TCommandLine::Run:
      return -1;
    case TCommandLine::Help:
      Print(out, CommandLineHelp());
      return 0;
    case TCommandLine::Version:
      Print(out, VersionText(QStringLiteral("veska")));
      return 0;
    case TCommandLine::Usage:
      Print(err, QStringLiteral("veska: %1\n\n").arg(commandLine.Error) + CommandLineHelp());
      return kExitUsage;
  }
  return kExitUsage;
}

void OpenOnStart(TSDIAppForm& window, const TCommandLine& commandLine)
{
  if (commandLine.FileName.isEmpty())
    return;
  const QString name = commandLine.FileName;
  // The window is the timer's context: closed before the loop runs, it opens nothing.
  QTimer::singleShot(0, &window, [&window, name] { window.Document().OpenNamed(name); });
}

}  // namespace veska
