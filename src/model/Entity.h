#pragma once
// An entity: a future table with key and non-key attributes and indexes, drawn
// as a box whose size follows its content.

#include "model/Controls.h"
#include "model/Objects.h"

#include <QFont>

#include <array>
#include <memory>
#include <vector>

namespace veska {

class TRelation;

class TEntity : public TControl {
private:
  // The flags first: they go into the room at the end of the control, in
  // the cache line of its pen colour, which selecting the box changes too.
  bool FSelected = false;

public:
  bool Dragging = false;
  bool NeedsLayout = false;

  TEntity();
  ~TEntity() override;
  TEntity(const TEntity&) = delete;
  TEntity& operator=(const TEntity&) = delete;

  const QString& EntityName() const { return FEntityName; }
  // Renames; refuses a name another entity has, keeps a changed table name
  // and form caption.
  void SetEntityName(const QString& name);
  // Assigns the name without checks (used when the diagram names a new entity).
  void AssignEntityName(const QString& name) { FEntityName = name; }

  const QString& TableName() const { return FTableName; }
  void SetTableName(const QString& value);

  QString EditFormCaption;
  QString MenuGroup;
  int FormWidth = 0;
  int FormHeight = 0;
  int LineSpacing = 0;
  int FieldSpacing = 0;
  TFormStyleType FormStyle = fsGrid;

  // Hands out a reference, so that a walk over many boxes can ask for its
  // memory ahead.
  const bool& Selected() const { return FSelected; }
  void SetSelected(bool value);

  int IndexCounter = 1;

  TAttributeList PrimaryKey;
  TAttributeList Attributes;
  QStringList Description;
  TIndexList Indexes;

  // Key attributes. Changes travel to the copies in the children.
  void AddKeyAttribute(std::unique_ptr<TAttribute> attribute);
  TAttribute* InsertKeyAttribute(int pos, const QString& name);
  void RenameKeyAttribute(int pos, const QString& name);
  void DeleteKeyAttribute(int pos);
  std::unique_ptr<TAttribute> RemoveKeyAttribute(int pos);

  // Non-key attributes; they stay in this entity.
  void AddAttribute(std::unique_ptr<TAttribute> attribute);
  TAttribute* InsertAttribute(int pos, const QString& name);
  void RenameAttribute(int pos, const QString& name);
  void DeleteAttribute(int pos);
  std::unique_ptr<TAttribute> RemoveAttribute(int pos);

  void SetAttributeDataType(bool key, int pos, const QString& text);
  void SetAttributeWidth(bool key, int pos, const QString& text);
  void ChangeAttributeDataType(bool key, int pos, const QString& text);
  void ChangeAttributeWidth(bool key, int pos, const QString& text);

  TIndex* AddIndex(std::unique_ptr<TIndex> index);
  void RenameIndex(int pos, const QString& name);
  void DeleteIndex(int pos);

  // Recomputes width and height from the content in the diagram's display
  // mode and zoom; routes the entity's relations again when the size changed.
  void ComputeLayout();
  // The text of an attribute line in the box for the given display mode.
  static QString AttributeLine(const TAttribute& a, TEntityDisplayMode mode, bool forMeasure);

  // Lays out (unless hidden or being dragged) and asks the view to redraw.
  void Repaint() override;

  // Relations in which this entity is the parent / the child, in the order
  // of the diagram's relation list. Kept by the diagram.
  const std::vector<TRelation*>& ParentRelations() const { return FParentOf; }
  const std::vector<TRelation*>& ChildRelations() const { return FChildOf; }

  // A line of the box as a layout measured it: the text measured (kept, so
  // that unchanged characters are known to measure the same), its width and
  // whether it is a foreign key.
  struct TLayoutLine {
    QString Name;
    int Width = 0;
    bool ForeignKey = false;
  };
  // The lines the box remembers of its layouts in the last two fonts (`memo`
  // 0 the latest, 1 the one before); empty where none is remembered.
  const std::vector<TLayoutLine>& RememberedLines(int memo) const { return FMemos[static_cast<size_t>(memo)].Lines; }

private:
  friend class TDiagram;

  TAttributeList& List(bool key) { return key ? PrimaryKey : Attributes; }
  void CarryIntoChildren(const TAttribute& key);
  void RenameInList(TAttributeList& list, int pos, const QString& name);
  // Takes a key attribute out of the indexes and the key (its copies are
  // gone already).
  std::unique_ptr<TAttribute> ExtractKeyAttribute(TAttribute* key);
  void RemoveFromIndexes(TAttribute* attribute);
  void SetAttributeField(bool key, int pos, const QString& text, QString TAttribute::*field);

  // The widths a layout measured in one font, with the texts they were
  // measured from. The memo holds the texts themselves, so a text whose
  // characters are still the very ones measured (same data, same length)
  // is known to measure the same; any change of a name gives it new data.
  struct TLayoutMemo {
    const void* Measurer = nullptr;
    QFont Font;
    TEntityDisplayMode Mode = emName;
    QString Title;
    int TitleWidth = 0;
    std::vector<TLayoutLine> Lines;
  };
  // The widest line of the box, from a memo of the same font where the
  // texts are unchanged, else measured (and remembered in place of the
  // older memo); sets the number of lines.
  int WidestLine(const QFont& font, TEntityDisplayMode mode, int& lines);

  QString FEntityName;
  QString FTableName;
  // The last two fonts laid out in (a zoom step back finds the widths).
  std::array<TLayoutMemo, 2> FMemos;
  std::vector<TRelation*> FParentOf;
  std::vector<TRelation*> FChildOf;
};

}  // namespace veska
