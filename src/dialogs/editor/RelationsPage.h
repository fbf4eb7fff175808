#pragma once
// The "Relations" page: a relation's name, its entities, its cardinality,
// what of the child it relates to, the attributes it carries and its
// description. Relations are drawn on the diagram, not made here.

#include "dialogs/editor/EditorPage.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace veska {

class TRelationsPage : public TEditorPage {
  Q_OBJECT
public:
  explicit TRelationsPage(TObjectEditor& window);

  TNameBox* relationNameBox = nullptr;
  QPushButton* newRelationButton = nullptr;  // kept hidden
  QPushButton* deleteRelationButton = nullptr;
  QLineEdit* parentEntityEdit = nullptr;
  QLineEdit* childEntityEdit = nullptr;
  // "Zero or One" (0) or "Zero or One or More" (1).
  QGroupBox* cardinalityGroup = nullptr;
  QButtonGroup* cardinalityButtons = nullptr;
  // The child's primary key (0) or its other attributes (1).
  QGroupBox* relateToGroup = nullptr;
  QButtonGroup* relateToButtons = nullptr;
  // "Parent's key attribute->its copy in the child", a line each.
  TMemo* carriedAttributesMemo = nullptr;
  TMemo* relationDescriptionMemo = nullptr;

protected:
  bool Fill() override;
  void Pick(const QString& name) override;
  void Rename(const QString& typed) override;

private:
  void Build();
  void Connect();
  void ClearFields();
  void SetCardinality(int choice);
  void SetRelateTo(int choice);
  void ShowChoices();
};

}  // namespace veska
