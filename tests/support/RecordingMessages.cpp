#include "support/RecordingMessages.h"

namespace veska::test {

TMsgButton TRecordingMessages::Show(TMsgDlgType type, const QString& text, int buttons)
{
  Messages.append({type, text});
  if (WhileShowing)
    WhileShowing();
  if (!Answers.isEmpty())
    return Answers.takeFirst();
  return (buttons & mbOK) ? mbOK : static_cast<TMsgButton>(buttons & -buttons);
}

QStringList TRecordingMessages::Lines() const
{
  QStringList lines;
  for (const TMessage& m : Messages)
    lines << MessageTypeWord(m.Type) + QStringLiteral(": ") + m.Text;
  return lines;
}

}  // namespace veska::test
