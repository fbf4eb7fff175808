#pragma once
// The "Processes" page: a server process's name, its server and its text.

#include "dialogs/editor/EditorPage.h"

class QComboBox;

namespace veska {

class TProcessesPage : public TEditorPage {
  Q_OBJECT
public:
  explicit TProcessesPage(TObjectEditor& window);

  // The names of the settings file's "Servers" section.
  void SetServerNames(const QStringList& servers);

  TNameBox* processNameBox = nullptr;
  QPushButton* newProcessButton = nullptr;
  QPushButton* deleteProcessButton = nullptr;
  QComboBox* serverCombo = nullptr;
  TMemo* processContentMemo = nullptr;

protected:
  bool Fill() override;
  void Pick(const QString& name) override;
  void Rename(const QString& typed) override;

private:
  void Build();
  void Connect();
};

}  // namespace veska
