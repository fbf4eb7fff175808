#pragma once
// The "Forms" page: the caption of an entity's edit form, its style, menu
// group, size and spacing, and a row per attribute with its display type
// (chosen from a list) and its control's place and width.

#include "dialogs/editor/AttributeGridPage.h"

class QComboBox;

namespace veska {

class TFormsPage : public TAttributeGridPage {
  Q_OBJECT
public:
  explicit TFormsPage(TObjectEditor& window);

  TNameBox* formNameBox = nullptr;
  QPushButton* resetFormButton = nullptr;
  TEditGrid* formGrid = nullptr;
  TCellPicker* displayTypePicker = nullptr;
  QComboBox* formStyleCombo = nullptr;
  QComboBox* menuGroupCombo = nullptr;
  QLineEdit* formWidthEdit = nullptr;
  QLineEdit* formHeightEdit = nullptr;
  QLineEdit* fieldSpacingEdit = nullptr;
  QLineEdit* lineSpacingEdit = nullptr;

protected:
  bool Fill() override;
  void Rename(const QString& typed) override;
  void EditCell(int column, int row, const QString& text) override;
  void ApplyChoice(const TRowAttribute& row, QPoint cell, const QString& text) override;

private:
  void BuildGrid();
  void BuildFields();
  void Connect();
  void FillFields(bool valid);
  void FillRows();
  void ResetForm();
};

}  // namespace veska
