#pragma once
// A message service for tests: records every message and answers with the
// next scripted button (OK when nothing is scripted).

#include "platform/MessageService.h"
#include "support/QtPrinters.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace veska::test {

class TRecordingMessages final : public TMessageService {
public:
  struct TMessage {
    TMsgDlgType Type;
    QString Text;
  };

  TMsgButton Show(TMsgDlgType type, const QString& text, int buttons) override;

  QList<TMessage> Messages;
  QList<TMsgButton> Answers;
  // Runs while a message shows, as a modal box's own event loop runs other
  // work (the box takes the focus and the activation away from the window).
  std::function<void()> WhileShowing;

  // Every message as "type: text", in order.
  QStringList Lines() const;
  void Reset() { Messages.clear(); }
};

}  // namespace veska::test
