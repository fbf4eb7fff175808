#pragma once
// The "Entities" page: an entity's name, its key and non-key attributes as
// lines of two memos, its table name and descriptions.

#include "dialogs/editor/EditorPage.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace veska {

class TEntitiesPage : public TEditorPage {
  Q_OBJECT
public:
  explicit TEntitiesPage(TObjectEditor& window);

  TNameBox* entityNameBox = nullptr;
  QPushButton* newEntityButton = nullptr;
  QPushButton* deleteEntityButton = nullptr;
  TMemo* keyAttributesMemo = nullptr;
  TMemo* nonKeyAttributesMemo = nullptr;
  QLineEdit* tableNameEdit = nullptr;
  TMemo* entityDescriptionMemo = nullptr;
  // Chooses the attribute whose description the memo beside it shows.
  QComboBox* describedAttributeBox = nullptr;
  TMemo* attributeDescriptionMemo = nullptr;

protected:
  bool Fill() override;
  void Pick(const QString& name) override;
  void Rename(const QString& typed) override;

private:
  void Build();
  void Connect();
  void ClearFields();
  void NewEntity();
  // The key (true) or non-key attribute lines.
  void CommitAttributeLines(TMemo* memo, bool key);
  void FillAttributePicker(int position);
  void ShowPickedAttributeDescription();
};

}  // namespace veska
