// The layout of an entity's form: its lookups, its controls, and where each
// control goes in a row or a column style.
#include "appgen/AppGenerator.h"

#include "model/Entity.h"
#include "model/Relation.h"
#include "platform/TextMeasurer.h"
#include "surface/DrawingSurface.h"

#include <QFont>

#include <algorithm>
#include <limits>

namespace veska {

namespace {

int ClampInt(qint64 v)
{
  return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The lookup that `relation` gives its child, whose parent has a key: the
// parent's key columns and its first non-key column, with their widths
// added up, and the child's copy of the parent's first key attribute.
TLookup ParentLookup(const TDiagram& model, const TRelation& relation)
{
  const TEntity* parent = relation.Parent;
  const TAttribute* key = parent->PrimaryKey[0];
  QString columns = key->ColumnName();
  qint64 width = qint64(AttributeCharacterWidth(model, *key)) * 5;
  const auto addColumn = [&](const TAttribute* a) {
    columns += QLatin1Char(';') + a->ColumnName();
    width += qint64(AttributeCharacterWidth(model, *a)) * 5;
  };
  for (int k = 1; k < parent->PrimaryKey.Count(); ++k)
    addColumn(parent->PrimaryKey[k]);
  if (!parent->Attributes.IsEmpty())
    addColumn(parent->Attributes[0]);
  return {QStringLiteral("%1,%2,%3,%4").arg(parent->TableName(), key->ColumnName(), QString::number(width), columns),
          relation.MigratedAttributes.Find(key->Name)};
}

// The width a control takes: a lookup or list box adds its button, a check
// box is as wide as its caption and the box.
qint64 EffectiveWidth(const TFormElement& e)
{
  const TAttribute& a = *e.Attribute;
  if (a.ForeignKey || a.DisplayType == TDisplayType::ListBox)
    return qint64(e.FieldWidth) + 24;
  if (a.DisplayType == TDisplayType::CheckBox)
    return qint64(e.LabelWidth) + 24;
  return e.FieldWidth;
}

// The right and bottom edges of the placed controls. Positions are computed
// in 64 bits: placement values may be any int.
struct TFormExtent {
  qint64 Right = 6;
  qint64 Bottom = 6;
};

// Row style: each label above its control, the controls side by side up to
// `limit`, then on the next row; a control's own position wins.
TFormExtent PlaceInRows(std::vector<TFormElement>& elements, int limit, int lineSpacing, int fieldSpacing)
{
  TFormExtent extent;
  qint64 x = 6;
  qint64& y = extent.Bottom;
  for (TFormElement& e : elements) {
    const TAttribute& a = *e.Attribute;
    const qint64 w = std::max<qint64>(EffectiveWidth(e), e.LabelWidth);
    bool newLine = false;
    if (a.ControlLeft() == 0) {
      if (limit < x + w) {
        x = 6;
        newLine = true;
      }
    } else {
      newLine = a.ControlLeft() <= x;
      x = a.ControlLeft();
    }
    if (a.ControlTop() != 0)
      y = a.ControlTop();
    else if (newLine)
      y += 36 + lineSpacing;
    e.Left = ClampInt(x);
    e.Top = ClampInt(y);
    x += w;
    extent.Right = std::max(extent.Right, x);
    x += fieldSpacing;
  }
  y += 46;
  return extent;
}

// Column style: the labels left of their controls, the controls one below
// the other right of the widest label; a control's own position wins.
TFormExtent PlaceInColumn(std::vector<TFormElement>& elements, int lineSpacing, int fieldSpacing)
{
  TFormExtent extent;
  qint64& y = extent.Bottom;
  qint64 widest = 6;
  for (const TFormElement& e : elements)
    widest = std::max<qint64>(widest, e.LabelWidth);
  qint64 x = widest + 4 + fieldSpacing;
  for (TFormElement& e : elements) {
    const TAttribute& a = *e.Attribute;
    if (a.ControlLeft() != 0)
      x = a.ControlLeft();
    if (a.ControlTop() != 0)
      y = a.ControlTop();
    e.Left = ClampInt(x);
    e.Top = ClampInt(y);
    extent.Right = std::max(extent.Right, x + EffectiveWidth(e));
    y += 21 + lineSpacing;
  }
  return extent;
}

}  // namespace

void TAppExpert::LayoutForm(int i)
{
  TEntity* entity = FormEntity(i);
  CurrentEntity = entity;
  if (entity->EditFormCaption.isEmpty())
    entity->EditFormCaption = QStringLiteral("Maintain ") + entity->EntityName();
  CollectLookups(*entity);
  CollectElements(*entity);

  LineSpacing = entity->LineSpacing >= 1 && entity->LineSpacing <= 99 ? entity->LineSpacing : 6;
  FieldSpacing = entity->FieldSpacing >= 1 && entity->FieldSpacing <= 299 ? entity->FieldSpacing : 4;
  const int limit = entity->FormWidth >= 301 && entity->FormWidth <= 1299 ? entity->FormWidth - 30 : 351;
  TFormExtent extent;
  if (entity->FormStyle == fsHorizontal)
    extent = PlaceInRows(Elements, limit, LineSpacing, FieldSpacing);
  else if (entity->FormStyle == fsVertical)
    extent = PlaceInColumn(Elements, LineSpacing, FieldSpacing);
  FormClientWidth = ClampInt(extent.Right + 10);
  FormClientHeight = ClampInt(extent.Bottom);
}

void TAppExpert::CollectLookups(const TEntity& entity)
{
  // One lookup per relation in which the entity is the child and whose
  // parent has a key.
  LookupList.clear();
  FLookupIndex.clear();
  for (const TRelation* relation : entity.ChildRelations()) {
    const TEntity* parent = relation->Parent;
    if (!parent || parent->PrimaryKey.IsEmpty())
      continue;
    LookupList.push_back(ParentLookup(DrawingSurface, *relation));
    const TAttribute* filled = LookupList.back().Attribute;
    if (filled && !FLookupIndex.contains(filled))
      FLookupIndex.insert(filled, int(LookupList.size()) - 1);
  }
}

void TAppExpert::CollectElements(const TEntity& entity)
{
  const TDiagram& model = DrawingSurface;
  // The labels are measured in the generated forms' font, 8 points (11
  // pixels at 96 dpi).
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  Elements.clear();
  Elements.reserve(size_t(entity.PrimaryKey.Count() + entity.Attributes.Count()));
  for (const TAttributeList* list : {&entity.PrimaryKey, &entity.Attributes}) {
    for (const TAttribute* a : *list) {
      TFormElement e;
      e.Attribute = a;
      e.LabelWidth = model.Measurer().TextWidth(font, a->Name);
      e.FieldWidth = a->ControlWidth() != 0 ? a->ControlWidth() : AttributeCharacterWidth(model, *a) * 6;
      Elements.push_back(e);
    }
  }
}

int TAppExpert::LookupOf(const TFormElement& element) const
{
  if (!element.Attribute->ForeignKey)
    return -1;
  return FLookupIndex.value(element.Attribute, -1);
}

}  // namespace veska
