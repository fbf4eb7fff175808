#pragma once
// The "Indexes" page: a column per index of an entity. Row 0 holds each
// index's name, row 1 its uniqueness, and from row 2 a row per attribute
// holds the attribute's position in the index (empty: not in it).

#include "dialogs/editor/AttributeGridPage.h"

namespace veska {

class TIndexesPage : public TAttributeGridPage {
  Q_OBJECT
public:
  explicit TIndexesPage(TObjectEditor& window);

  TNameBox* indexTableNameBox = nullptr;
  QPushButton* newIndexButton = nullptr;
  TEditGrid* indexGrid = nullptr;

protected:
  bool Fill() override;
  void Rename(const QString& typed) override;
  void EditCell(int column, int row, const QString& text) override;
  void ToggleCell(int column, int row) override;

private:
  void Connect();
  void FillIndex(int column, const TIndex& index, int attributes);
  // The commit path of the end of an index name's edit.
  void CommitNameEnd(int column, int row, const QString& text);
  void SetPosition(TIndex& index, TAttribute* a, const QString& text);
  void NewIndex();
  // Whether `column` is the column of an index of the current entity.
  bool IndexColumn(int column) const;

  // The name of the index whose name is being edited, as it was before.
  QString FNameBeforeEdit;
};

}  // namespace veska
