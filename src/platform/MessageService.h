#pragma once
// The message seam: core code asks the user through this interface and never
// through widgets. The desktop program answers with message boxes, veska-cli
// prints the messages, tests answer them from a script.

#include <QString>

namespace veska {

enum class TMsgDlgType { mtError, mtInformation, mtConfirmation, mtWarning };

// Buttons and results, combinable as flags.
enum TMsgButton : int {
  mbOK = 1,
  mbCancel = 2,
  mbYes = 4,
  mbNo = 8,
  mbAbort = 16,
  mbIgnore = 32,
  mbRetry = 64,
};

class TMessageService {
public:
  virtual ~TMessageService() = default;
  // Shows Text as a modal message of the given type with the given buttons
  // and returns the button chosen.
  virtual TMsgButton Show(TMsgDlgType type, const QString& text, int buttons) = 0;

  void Error(const QString& text) { Show(TMsgDlgType::mtError, text, mbOK); }
  void Information(const QString& text) { Show(TMsgDlgType::mtInformation, text, mbOK); }
};

// What the programs say when a command ran out of memory.
QString OutOfMemoryMessage();

// The word a message type is known by in plain-text output ("error", ...).
QString MessageTypeWord(TMsgDlgType type);

// Keeps Qt's own warnings (a missing runtime directory, what the offscreen
// platform cannot do) off standard error, which then carries only critical
// errors and the program's own output. For the command-line programs.
void QuietQtWarnings();

}  // namespace veska
