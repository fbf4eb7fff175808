#pragma once
// The "Tables" page: the table name of an entity and a row per attribute
// with its column name, type (chosen from a list), width, nulls, default and
// validation rule.

#include "dialogs/editor/AttributeGridPage.h"

namespace veska {

class TTablesPage : public TAttributeGridPage {
  Q_OBJECT
public:
  explicit TTablesPage(TObjectEditor& window);

  // The names of the settings file's "DataTypes" section; "Default" is
  // always among them.
  void SetDataTypeNames(const QStringList& names);

  TNameBox* tableNameBox = nullptr;
  TEditGrid* tableGrid = nullptr;
  // The types, then the domains.
  TCellPicker* columnTypePicker = nullptr;

protected:
  bool Fill() override;
  void Rename(const QString& typed) override;
  void EditCell(int column, int row, const QString& text) override;
  void ToggleCell(int column, int row) override;
  void ApplyChoice(const TRowAttribute& row, QPoint cell, const QString& text) override;

private:
  void FillTypes();
  void FillRow(int row, const TRowAttribute& at);

  QStringList FDataTypeNames{QStringLiteral("Default")};
};

}  // namespace veska
