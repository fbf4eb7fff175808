#pragma once
// The command line of the desktop program: `veska [FILE]`, `veska --help`,
// `veska --version`. It is read before the application object exists, so
// that help, version and usage errors need no display.

#include <QStringList>

#include <cstdio>

class QWidget;

namespace veska {

class TSDIAppForm;

struct TCommandLine {
  enum TAction { Run, Help, Version, Usage };
  TAction Action = Run;
  // Run: the diagram to open once the window shows; empty for none.
  QString FileName;
  // Usage: what was not understood.
  QString Error;
};

// The exit status of a command line that is not understood.
inline constexpr int kExitUsage = 64;

// Reads the arguments (without the program name). The toolkit's own options
// (-platform NAME, -style NAME, -session ID and the like) are left to the
// application object; "--" ends the options, so that a file whose name
// starts with "-" can be named.
TCommandLine ParseCommandLine(const QStringList& args);
// The text of --help.
QString CommandLineHelp();
// Prints what a Help, Version or Usage command line asks for and gives the
// exit status; a Run command line prints nothing and gives -1.
int AnswerCommandLine(const TCommandLine& commandLine, std::FILE* out, std::FILE* err);

// Opens the command line's diagram in the window as soon as the event loop
// runs, that is once the window shows, as File, Open does.
void OpenOnStart(TSDIAppForm& window, const TCommandLine& commandLine);

}  // namespace veska
