#pragma once
// The base of the grid pages ("Tables", "Forms", "Indexes"): a grid with a
// row per attribute of the current entity, key attributes first. Cells are
// addressed as the user counts them (TEditGrid): column 0 holds the attribute
// names, and attribute rows start at FirstRow. The name box lists the
// entities by a text of theirs (table name, form caption).

#include "dialogs/editor/EditorPage.h"

#include <QPoint>

namespace veska {

class TCellPicker;
class TEditGrid;

class TAttributeGridPage : public TEditorPage {
  Q_OBJECT
public:
  TAttributeGridPage(TObjectEditor& window, int firstRow);

  void EndEdit(QWidget* focus) override;
  // The commit path of the picker laid over the grid: takes its choice into
  // its cell and the model. Runs when the picker is left.
  void CommitChoice();

protected:
  struct TRowAttribute {
    bool Key = false;
    int Position = -1;  // in the key or in the other attributes
    TAttribute* Attribute = nullptr;
  };

  // Connects the grid's edits, double-clicks and row moves to the page.
  void UseGrid(TEditGrid* grid);
  void UsePicker(TCellPicker* picker);
  // The grid's cell at (column, row) was typed into; the commit path of the
  // grid's cells.
  virtual void EditCell(int column, int row, const QString& text) = 0;
  // A cell was double-clicked: its own commit path.
  virtual void ToggleCell(int column, int row);
  // Writes a picker's choice for an attribute.
  virtual void ApplyChoice(const TRowAttribute& row, QPoint cell, const QString& text);

  void Pick(const QString& name) override;
  // Lists the entities by table name (Tables, Indexes).
  void FillTableNames();
  // Gives the current entity a table name typed into the name box.
  void RenameTable(const QString& typed);

  int KeyCount() const;
  int AttributeCount() const;
  // The attribute of an attribute row counted from 0 (no attribute out of
  // range).
  TRowAttribute RowAttribute(int attributeRow) const;
  // Sets the row count to one row per attribute (at least one) after the
  // grid's first rows, and empties the single data row when there are none.
  void SizeRows(int attributes);
  // Marks the row label of a carried-in attribute (and `cells` of its row).
  void MarkCarriedIn(int row, const TAttribute& a, std::initializer_list<int> cells = {});

  const int FirstRow;

private:
  void MoveAttributeRow(int from, int to);

  TEditGrid* FGrid = nullptr;
  TCellPicker* FPicker = nullptr;
};

}  // namespace veska
