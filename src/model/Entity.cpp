#include "model/Entity.h"

#include "model/Diagram.h"
#include "model/Identifiers.h"
#include "model/Relation.h"
#include "model/Rounding.h"

#include <QVarLengthArray>

#include <algorithm>

namespace veska {

namespace {

const QString kMaintain = QStringLiteral("Maintain ");

}  // namespace

TEntity::TEntity()
{
  Width = 60;
  Height = 20;
}

TEntity::~TEntity() = default;

void TEntity::SetEntityName(const QString& name)
{
  if (SameText(name, FEntityName)) {
    NeedsLayout = true;
    return;
  }
  if (FDiagram && FDiagram->Entities.IndexOf(name) >= 0) {
    FDiagram->Messages().Error(QStringLiteral("Duplicate Entity Name \"%1\".").arg(name));
    return;
  }
  if (FTableName == Underscored(FEntityName))
    FTableName = Underscored(name);
  if (EditFormCaption == kMaintain + FEntityName)
    EditFormCaption = kMaintain + name;
  FEntityName = name;
  NeedsLayout = true;
}

void TEntity::SetTableName(const QString& value)
{
  if (value != FTableName)
    FTableName = value;
}

void TEntity::SetSelected(bool value)
{
  if (value == FSelected)
    return;
  FSelected = value;
  PenColor = value ? QColor(Qt::red) : QColor(Qt::black);
  // The pen colour changes no size: only a box that waits for a layout (every
  // change of what a box shows marks it) is laid out, so that selecting every
  // box of a large diagram does not read the content of every one.
  if (NeedsLayout)
    Repaint();
  else
    TControl::Repaint();
}

// ---- Key attributes ------------------------------------------------------

namespace {

// Takes a change of a key attribute to its copies below an entity: depth
// first along the relations in which each entity is the parent, in the order
// of the relation list, visiting exactly what a recursive walk would, but on
// an explicit stack, so that a chain of primary relations of any depth never
// reaches the limit of the call stack.
//
// `enter(state, relation, below)` is called when the change reaches the
// relation; it returns true when the change goes on into the relations of the
// relation's child, with `below` as the state there. `leave(state, relation,
// below, descended)` finishes the relation: at once when the change stops at
// the child, else once everything below the child is done.
template <class TState, class TEnter, class TLeave>
void WalkCopies(TEntity* root, TState rootState, TEnter enter, TLeave leave)
{
  struct TFrame {
    TEntity* Entity;
    TRelation* Via;  // the relation that led here; none for the root
    TState State;
    size_t Next = 0;
  };
  std::vector<TFrame> stack;
  stack.push_back(TFrame{root, nullptr, std::move(rootState)});
  while (!stack.empty()) {
    TFrame& top = stack.back();
    const std::vector<TRelation*>& relations = top.Entity->ParentRelations();
    if (top.Next < relations.size()) {
      TRelation* r = relations[top.Next++];
      TState below{};
      if (enter(top.State, *r, below))
        stack.push_back(TFrame{r->Child, r, std::move(below)});  // `top` is not used after this
      else
        leave(top.State, *r, below, false);
      continue;
    }
    TFrame done = std::move(top);
    stack.pop_back();
    if (done.Via)
      leave(stack.back().State, *done.Via, done.State, true);
  }
}

}  // namespace

void TEntity::CarryIntoChildren(const TAttribute& key)
{
  // A new key attribute travels into every child, appended at the end of the
  // child's list; along primary relations it goes on into the child's own
  // children. Each child is laid out and drawn again once its part is done.
  struct TState {
    const TAttribute* Key = nullptr;
  };
  WalkCopies(
      this, TState{&key},
      [](const TState& at, TRelation& r, TState& below) {
        auto copy = at.Key->CarriedCopy();
        copy->ForeignKey = true;
        r.MigratedAttributes.Add(at.Key->Name, copy.get());
        TEntity* child = r.Child;
        if (!r.PrimaryRelation()) {
          child->AddAttribute(std::move(copy));
          return false;
        }
        below.Key = copy.get();
        child->PrimaryKey.Add(below.Key->Name, std::move(copy));
        child->NeedsLayout = true;
        return true;
      },
      [](const TState&, TRelation& r, const TState&, bool) {
        r.Child->NeedsLayout = true;
        r.Child->Repaint();
      });
}

void TEntity::AddKeyAttribute(std::unique_ptr<TAttribute> attribute)
{
  TAttribute* key = attribute.get();
  PrimaryKey.Add(key->Name, std::move(attribute));
  NeedsLayout = true;
  CarryIntoChildren(*key);
}

TAttribute* TEntity::InsertKeyAttribute(int pos, const QString& name)
{
  auto attribute = std::make_unique<TAttribute>();
  attribute->Name = name;
  attribute->SetColumnName(Underscored(name));
  TAttribute* key = attribute.get();
  PrimaryKey.Insert(pos, name, std::move(attribute));
  NeedsLayout = true;
  CarryIntoChildren(*key);
  return key;
}

void TEntity::RenameKeyAttribute(int pos, const QString& name)
{
  // The list entry holds the name the copies were made under; the copies in
  // the children take the new name first, unless they carry a role name. A
  // copy that has the new name already is left as it is, with what lies
  // below it: renaming it would change nothing there but the letter case of
  // role names, and loading renames every copy to the name it was read with.
  struct TState {
    int Pos = -1;
    QString Current;  // the entry text of the attribute at Pos
    int Entry = -1;   // the entry of the relation that led here
    bool Renamed = false;
  };
  WalkCopies(
      this, TState{pos, PrimaryKey.Strings(pos), -1, false},
      [&name](const TState& at, TRelation& r, TState& below) {
        below.Entry = r.MigratedAttributes.IndexOf(at.Current);
        if (below.Entry < 0)
          return false;
        TAttribute* copy = r.MigratedAttributes.Objects(below.Entry);
        if (!SameText(copy->Name, r.MigratedAttributes.Strings(below.Entry)))
          return false;
        TAttributeList& list = r.ChildList();
        const int p = list.IndexOfObject(copy);
        if (p < 0 || (copy->Name == name && list.Strings(p) == name))
          return false;
        below.Renamed = true;
        if (!r.PrimaryRelation()) {
          r.Child->RenameAttribute(p, name);
          return false;
        }
        below.Pos = p;
        below.Current = list.Strings(p);
        return true;
      },
      [&name](const TState&, TRelation& r, const TState& below, bool descended) {
        if (below.Entry < 0)
          return;
        if (descended)
          r.Child->RenameInList(r.Child->PrimaryKey, below.Pos, name);
        r.MigratedAttributes.SetString(below.Entry, name);
        if (below.Renamed)
          r.Child->Repaint();
      });
  RenameInList(PrimaryKey, pos, name);
}

void TEntity::DeleteKeyAttribute(int pos)
{
  if (!PrimaryKey.Objects(pos)->ForeignKey)
    RemoveKeyAttribute(pos);
}

std::unique_ptr<TAttribute> TEntity::RemoveKeyAttribute(int pos)
{
  // The copies go first, deepest first; each child is laid out and drawn
  // again once its copy is gone.
  TAttribute* key = PrimaryKey.Objects(pos);
  struct TState {
    TAttribute* Attribute = nullptr;
    QString Name;    // the entry text of Attribute
    int Entry = -1;  // the entry of the relation that led here
    std::unique_ptr<TAttribute> Removed;
  };
  WalkCopies(
      this, TState{key, PrimaryKey.Strings(pos), -1, nullptr},
      [](const TState& at, TRelation& r, TState& below) {
        below.Entry = r.MigratedAttributes.IndexOf(at.Name);
        if (below.Entry < 0)
          return false;
        below.Attribute = r.MigratedAttributes.Objects(below.Entry);
        TAttributeList& list = r.ChildList();
        const int p = list.IndexOfObject(below.Attribute);
        if (p < 0)
          return false;
        if (!r.PrimaryRelation()) {
          below.Removed = r.Child->RemoveAttribute(p);
          return false;
        }
        below.Name = list.Strings(p);
        return true;
      },
      [](const TState&, TRelation& r, TState& below, bool descended) {
        if (below.Entry < 0)
          return;
        if (descended)
          below.Removed = r.Child->ExtractKeyAttribute(below.Attribute);
        r.Child->NeedsLayout = true;
        r.Child->Repaint();
        r.MigratedAttributes.Delete(below.Entry);
      });
  return ExtractKeyAttribute(key);
}

std::unique_ptr<TAttribute> TEntity::ExtractKeyAttribute(TAttribute* key)
{
  RemoveFromIndexes(key);
  NeedsLayout = true;
  return PrimaryKey.Extract(PrimaryKey.IndexOfObject(key));
}

// ---- Non-key attributes ----------------------------------------------------

void TEntity::AddAttribute(std::unique_ptr<TAttribute> attribute)
{
  const QString name = attribute->Name;
  Attributes.Add(name, std::move(attribute));
  NeedsLayout = true;
}

TAttribute* TEntity::InsertAttribute(int pos, const QString& name)
{
  auto attribute = std::make_unique<TAttribute>();
  attribute->Name = name;
  attribute->SetColumnName(Underscored(name));
  TAttribute* raw = attribute.get();
  Attributes.Insert(pos, name, std::move(attribute));
  NeedsLayout = true;
  return raw;
}

void TEntity::RenameAttribute(int pos, const QString& name)
{
  RenameInList(Attributes, pos, name);
}

void TEntity::DeleteAttribute(int pos)
{
  if (!Attributes.Objects(pos)->ForeignKey)
    RemoveAttribute(pos);
}

std::unique_ptr<TAttribute> TEntity::RemoveAttribute(int pos)
{
  TAttribute* attribute = Attributes.Objects(pos);
  RemoveFromIndexes(attribute);
  NeedsLayout = true;
  return Attributes.Extract(pos);
}

void TEntity::RenameInList(TAttributeList& list, int pos, const QString& name)
{
  TAttribute* a = list.Objects(pos);
  // The column name follows the attribute's own name only while it is still
  // the derived one.
  const bool derived = a->ColumnName() == Underscored(a->Name);
  list.SetString(pos, name);
  a->Name = name;
  if (derived)
    a->SetColumnName(Underscored(name));
  NeedsLayout = true;
}

void TEntity::RemoveFromIndexes(TAttribute* attribute)
{
  for (int i = Indexes.Count() - 1; i >= 0; --i) {
    TIndex* index = Indexes.Objects(i);
    // An index may name the same attribute more than once (a file can list
    // it twice); every mention goes, or the others would dangle.
    for (int c = index->Columns.Count() - 1; c >= 0; --c)
      if (index->Columns.Objects(c) == attribute)
        index->Columns.Delete(c);
    if (index->Columns.IsEmpty())
      DeleteIndex(i);
  }
}

// ---- Data type and width ---------------------------------------------------

void TEntity::SetAttributeField(bool key, int pos, const QString& text, QString TAttribute::*field)
{
  TAttributeList& list = List(key);
  list.Objects(pos)->*field = text;
  NeedsLayout = true;
  if (!key)
    return;
  struct TState {
    QString Name;  // the entry text of the attribute changed here
    bool Changed = false;
  };
  WalkCopies(
      this, TState{list.Strings(pos), false},
      [&](const TState& at, TRelation& r, TState& below) {
        const int i = r.MigratedAttributes.IndexOf(at.Name);
        if (i < 0)
          return false;
        // The copy itself, found by object: a child may hold other
        // attributes of the same name.
        TAttributeList& childList = r.ChildList();
        const int p = childList.IndexOfObject(r.MigratedAttributes.Objects(i));
        if (p < 0)
          return false;
        childList.Objects(p)->*field = text;
        r.Child->NeedsLayout = true;
        below.Changed = true;
        below.Name = childList.Strings(p);
        return r.PrimaryRelation();
      },
      [](const TState&, TRelation& r, const TState& below, bool) {
        if (below.Changed)
          r.Child->Repaint();
      });
}

void TEntity::SetAttributeDataType(bool key, int pos, const QString& text)
{
  SetAttributeField(key, pos, text, &TAttribute::DataType);
}

void TEntity::SetAttributeWidth(bool key, int pos, const QString& text)
{
  SetAttributeField(key, pos, text, &TAttribute::Width);
}

void TEntity::ChangeAttributeDataType(bool key, int pos, const QString& text)
{
  if (!List(key).Objects(pos)->ForeignKey)
    SetAttributeDataType(key, pos, text);
}

void TEntity::ChangeAttributeWidth(bool key, int pos, const QString& text)
{
  if (!List(key).Objects(pos)->ForeignKey)
    SetAttributeWidth(key, pos, text);
}

// ---- Indexes ----------------------------------------------------------------

TIndex* TEntity::AddIndex(std::unique_ptr<TIndex> index)
{
  if (index->Name().isEmpty()) {
    const QString revision = FDiagram ? FDiagram->Revision : QString();
    index->AssignName(QStringLiteral("Ix%1_%2").arg(IndexCounter).arg(revision));
  }
  TIndex* raw = index.get();
  Indexes.Add(raw->Name(), std::move(index));
  ++IndexCounter;
  return raw;
}

void TEntity::RenameIndex(int pos, const QString& name)
{
  TIndex* index = Indexes.Objects(pos);
  if (!SameText(name, index->Name())) {
    if (Indexes.IndexOf(name) >= 0) {
      if (FDiagram)
        FDiagram->Messages().Error(QStringLiteral("Duplicate Index Name \"%1\".").arg(name));
    } else {
      index->SetIndexName(name);
    }
  }
  Indexes.SetString(pos, index->Name());
}

void TEntity::DeleteIndex(int pos)
{
  Indexes.Delete(pos);
}

// ---- Layout -------------------------------------------------------------------

QString TEntity::AttributeLine(const TAttribute& a, TEntityDisplayMode mode, bool forMeasure)
{
  if (mode == emSchema) {
    QString line = a.ColumnName() + QStringLiteral(": ") + a.DataType;
    if (forMeasure || a.Width != QStringLiteral("0"))
      line += QLatin1Char('(') + a.Width + QLatin1Char(')');
    return line;
  }
  return a.ForeignKey ? a.Name + QStringLiteral("(FK)") : a.Name;
}

int TEntity::WidestLine(const QFont& font, TEntityDisplayMode mode, int& lines)
{
  const TTextMeasurer& m = FDiagram->Measurer();
  const void* measurer = &m;
  using TLists = std::array<const TAttributeList*, 2>;
  // The widths of the title and of every line of the lists, measured at once.
  const auto measure = [&](const QString& title, const TLists& of) {
    QVarLengthArray<QString, 32> texts;
    texts.append(title);
    for (const TAttributeList* list : of)
      for (int k = 0; list && k < list->Count(); ++k)
        texts.append(AttributeLine(*list->Objects(k), mode, true));
    QVarLengthArray<int, 32> widths(texts.size());
    m.TextWidths(font, texts, widths.data());
    return widths;
  };
  TLists lists{};
  switch (mode) {
  case emPrimaryKey:
    lists = {&PrimaryKey, nullptr};
    break;
  case emAttributes:
    lists = {&PrimaryKey, &Attributes};
    break;
  case emSchema: {
    // Schema lines are made of three texts each; they are measured afresh.
    lines = PrimaryKey.Count() + Attributes.Count();
    const auto widths = measure(FTableName, {&PrimaryKey, &Attributes});
    return *std::max_element(widths.cbegin(), widths.cend());
  }
  case emName:
  case emColumns:
    break;
  }
  lines = 0;
  for (const TAttributeList* list : lists)
    lines += list ? list->Count() : 0;

  const auto fits = [&](const TLayoutMemo& memo) {
    if (memo.Measurer != measurer || memo.Mode != mode || static_cast<int>(memo.Lines.size()) != lines ||
        !SameData(memo.Title, FEntityName) || !(memo.Font == font))
      return false;
    size_t i = 0;
    for (const TAttributeList* list : lists)
      for (int k = 0; list && k < list->Count(); ++k, ++i) {
        const TAttribute& a = *list->Objects(k);
        const TLayoutLine& line = memo.Lines[i];
        if (!SameData(line.Name, a.Name) || line.ForeignKey != a.ForeignKey)
          return false;
      }
    return true;
  };
  const auto widest = [](const TLayoutMemo& memo) {
    int w = memo.TitleWidth;
    for (const TLayoutLine& line : memo.Lines)
      w = qMax(w, line.Width);
    return w;
  };
  if (fits(FMemos[0]))
    return widest(FMemos[0]);
  std::swap(FMemos[0], FMemos[1]);
  if (fits(FMemos[0]))
    return widest(FMemos[0]);

  TLayoutMemo& memo = FMemos[0];
  memo.Measurer = measurer;
  memo.Font = font;
  memo.Mode = mode;
  memo.Title = FEntityName;
  const auto widths = measure(FEntityName, lists);
  memo.TitleWidth = widths[0];
  memo.Lines.clear();
  memo.Lines.reserve(static_cast<size_t>(lines));
  qsizetype i = 1;
  for (const TAttributeList* list : lists)
    for (int k = 0; list && k < list->Count(); ++k) {
      const TAttribute& a = *list->Objects(k);
      memo.Lines.push_back({a.Name, widths[i++], a.ForeignKey});
    }
  memo.Lines.shrink_to_fit();
  return widest(memo);
}

void TEntity::ComputeLayout()
{
  NeedsLayout = false;
  if (!FDiagram)
    return;
  const TTextMeasurer& m = FDiagram->Measurer();
  const QFont font = FDiagram->ZoomedFontOf(Font);
  const int h = m.TextHeight(font, QStringLiteral("A"));
  int lines = 0;
  int w = WidestLine(font, FDiagram->EntityDisplayMode, lines);
  const int height = (lines + 1) * h + 4;
  w += w / 8;
  w = (w / 16 + 1) * 16;

  if (w != Width || height != Height) {
    SetBounds(Left, Top, w, height);
    FDiagram->ReleaseRelationsOf(this);
  }
}

void TEntity::Repaint()
{
  if (FDiagram && !FDiagram->Updating() && Visible && !Dragging)
    ComputeLayout();
  TControl::Repaint();
}

}  // namespace veska
