#pragma once
// The "Text" page: a label's name and its text.

#include "dialogs/editor/EditorPage.h"

namespace veska {

class TTextPage : public TEditorPage {
  Q_OBJECT
public:
  explicit TTextPage(TObjectEditor& window);

  TNameBox* textNameBox = nullptr;
  QPushButton* newTextButton = nullptr;
  QPushButton* deleteTextButton = nullptr;
  // The label's caption, at most 250 characters with a line break as two.
  TMemo* textContentMemo = nullptr;

protected:
  bool Fill() override;
  void Pick(const QString& name) override;
  void Rename(const QString& typed) override;

private:
  void NewText();
};

}  // namespace veska
