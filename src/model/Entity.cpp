#include "model/Entity.h"

#include "model/Diagram.h"
#include "model/Identifiers.h"
#include "model/Relation.h"
#include "model/Rounding.h"

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
  Repaint();
}

// ---- Key attributes ------------------------------------------------------

void TEntity::CarryIntoChildren(const TAttribute& key)
{
  // A new key attribute travels into every child, appended at the end of the
  // child's list; along primary relations the child's AddKeyAttribute carries
  // it further.
  const std::vector<TRelation*> relations = FParentOf;
  for (TRelation* r : relations) {
    auto copy = key.CarriedCopy();
    copy->ForeignKey = true;
    r->MigratedAttributes.Add(key.Name, copy.get());
    if (r->PrimaryRelation())
      r->Child->AddKeyAttribute(std::move(copy));
    else
      r->Child->AddAttribute(std::move(copy));
    r->Child->NeedsLayout = true;
    r->Child->Repaint();
  }
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
  // the children take the new name first, unless they carry a role name.
  const QString current = PrimaryKey.Strings(pos);
  const std::vector<TRelation*> relations = FParentOf;
  for (TRelation* r : relations) {
    const int i = r->MigratedAttributes.IndexOf(current);
    if (i < 0)
      continue;
    TAttribute* copy = r->MigratedAttributes.Objects(i);
    if (SameText(copy->Name, r->MigratedAttributes.Strings(i))) {
      const int p = r->ChildList().IndexOfObject(copy);
      if (p >= 0) {
        if (r->PrimaryRelation())
          r->Child->RenameKeyAttribute(p, name);
        else
          r->Child->RenameAttribute(p, name);
      }
    }
    r->MigratedAttributes.SetString(i, name);
  }
  RenameInList(PrimaryKey, pos, name);
}

void TEntity::DeleteKeyAttribute(int pos)
{
  if (!PrimaryKey.Objects(pos)->ForeignKey)
    RemoveKeyAttribute(pos);
}

std::unique_ptr<TAttribute> TEntity::RemoveKeyAttribute(int pos)
{
  TAttribute* key = PrimaryKey.Objects(pos);
  const QString name = PrimaryKey.Strings(pos);
  const std::vector<TRelation*> relations = FParentOf;
  for (TRelation* r : relations) {
    const int i = r->MigratedAttributes.IndexOf(name);
    if (i < 0)
      continue;
    TAttribute* copy = r->MigratedAttributes.Objects(i);
    const int p = r->ChildList().IndexOfObject(copy);
    std::unique_ptr<TAttribute> owned;
    if (p >= 0)
      owned = r->PrimaryRelation() ? r->Child->RemoveKeyAttribute(p) : r->Child->RemoveAttribute(p);
    r->Child->NeedsLayout = true;
    r->Child->Repaint();
    r->MigratedAttributes.Delete(i);
  }
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
  TAttribute* a = list.Objects(pos);
  a->*field = text;
  NeedsLayout = true;
  if (!key)
    return;
  const QString name = list.Strings(pos);
  const std::vector<TRelation*> relations = FParentOf;
  for (TRelation* r : relations) {
    const int i = r->MigratedAttributes.IndexOf(name);
    if (i < 0)
      continue;
    // The copy itself, found by object: a child may hold other attributes
    // of the same name.
    const int p = r->ChildList().IndexOfObject(r->MigratedAttributes.Objects(i));
    if (p >= 0)
      r->Child->SetAttributeField(r->PrimaryRelation(), p, text, field);
  }
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

void TEntity::ComputeLayout()
{
  NeedsLayout = false;
  if (!FDiagram)
    return;
  const TTextMeasurer& m = FDiagram->Measurer();
  QFont font(Font);
  font.setPointSize(qMax(1, RoundHalfEven(Font.pointSize() * FDiagram->ZoomFactor)));
  const int h = m.TextHeight(font, QStringLiteral("A"));
  const TEntityDisplayMode mode = FDiagram->EntityDisplayMode;

  int w = m.TextWidth(font, mode == emSchema ? FTableName : FEntityName);
  int lines = 0;
  auto measure = [&](const TAttributeList& list) {
    for (const TAttribute* a : list)
      w = qMax(w, m.TextWidth(font, AttributeLine(*a, mode, true)));
    lines += list.Count();
  };
  switch (mode) {
  case emPrimaryKey:
    measure(PrimaryKey);
    break;
  case emAttributes:
  case emSchema:
    measure(PrimaryKey);
    measure(Attributes);
    break;
  case emName:
  case emColumns:
    break;
  }
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
