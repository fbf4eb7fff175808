#pragma once
// The desktop program's message service: modal message boxes over the main
// window, with the buttons the caller names.

#include "platform/MessageService.h"

#include <QPointer>
#include <QWidget>

namespace veska {

class TMessageBoxes final : public TMessageService {
public:
  explicit TMessageBoxes(QWidget* parent = nullptr) : FParent(parent) {}
  // The window the boxes are centred on (the main window once it exists).
  void SetParent(QWidget* parent) { FParent = parent; }

  TMsgButton Show(TMsgDlgType type, const QString& text, int buttons) override;

private:
  QPointer<QWidget> FParent;
};

}  // namespace veska
