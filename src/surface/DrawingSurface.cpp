#include "surface/DrawingSurface.h"

#include "model/ReadAhead.h"
#include "model/Rounding.h"

#include <algorithm>
#include <climits>

namespace veska {

bool IsRelationTool(TDrawingTool tool)
{
  return tool >= dtRelationOneToManyForeign && tool <= dtRelationOneToOneMaster;
}

TRelationCardinality ToolCardinality(TDrawingTool tool)
{
  return (tool == dtRelationOneToManyForeign || tool == dtRelationOneToManyMaster) ? kCardinalityZeroOrMany
                                                                                    : kCardinalityZeroOrOne;
}

bool ToolIsPrimary(TDrawingTool tool)
{
  return tool == dtRelationOneToManyMaster || tool == dtRelationOneToOneMaster;
}

QDateTime TDrawingSurface::DateTimeZero()
{
  return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

TDrawingSurface::TDrawingSurface(TMessageService& messages, const TTextMeasurer& measurer)
    : TDiagram(messages, measurer)
{
  SetActiveDrawingTool(dtPointer);
}

TDrawingSurface::~TDrawingSurface() = default;

void TDrawingSurface::RouteRelation(TRelation& relation)
{
  Route(relation, QPoint(0, 0));
}

// ---- Spatial index -------------------------------------------------------------

namespace {
// Three segments and two name labels.
constexpr std::size_t kControlsPerRelation = std::tuple_size_v<decltype(TRelation::Segments)> + 2;
}  // namespace

int TDrawingSurface::IndexCellSize() const
{
  return std::max(1, qRound(TSpatialIndex::kCellSize * ZoomFactor));
}

const TSpatialIndex& TDrawingSurface::Index() const
{
  if (FIndexState == TIndexState::Built)
    return FIndex;
  // Every control of the lists is in the index, unless one came in
  // unannounced: then it is built again.
  const auto controls = static_cast<std::size_t>(Entities.Count()) +
                        kControlsPerRelation * static_cast<std::size_t>(Relations.Count()) +
                        static_cast<std::size_t>(Labels.Count());
  if (FIndexState == TIndexState::Moved && FIndex.Count() == controls) {
    FIndex.Rescale(IndexCellSize());
    FIndexState = TIndexState::Built;
    return FIndex;
  }
  using TKind = TSpatialIndex::TKind;
  FIndex.Clear(IndexCellSize());
  std::uint64_t order = 0;
  for (int i = 0; i < Entities.Count(); ++i) {
    IndexAhead(Entities, i);
    FIndex.Add(*Entities[i], TKind::Entity, nullptr, order++);
  }
  for (int i = 0; i < Relations.Count(); ++i) {
    IndexAhead(Relations, i);
    TRelation* r = Relations[i];
    for (TRelationSegment& s : r->Segments)
      FIndex.Add(s, TKind::Segment, r, order++);
    FIndex.Add(r->NameLabel, TKind::NameLabel, r, order++);
    FIndex.Add(r->InverseNameLabel, TKind::NameLabel, r, order++);
  }
  for (TTextLabel* l : Labels)
    FIndex.Add(*l, TKind::TextLabel, nullptr, order++);
  FIndexState = TIndexState::Built;
  return FIndex;
}

void TDrawingSurface::ControlMoved(const TControl& control)
{
  if (FIndexState != TIndexState::Built)
    return;
  // Bulk work moves everything: the index takes the new places at once
  // afterwards, which costs less than moving each object between cells.
  if (Updating())
    FIndexState = TIndexState::Moved;
  else if (!FIndex.Update(control))
    FIndexState = TIndexState::Stale;
}

void TDrawingSurface::ControlRemoving(const TControl& control)
{
  // What goes leaves the index at once: deleting a few objects of a large
  // diagram need not build the index again.
  if (FIndexState != TIndexState::Stale && !FIndex.Drop(control))
    FIndexState = TIndexState::Stale;
}

// ---- Setters -------------------------------------------------------------------

void TDrawingSurface::SetActiveDrawingTool(TDrawingTool tool)
{
  FActiveDrawingTool = tool;
  MouseState = IsRelationTool(tool) ? TMouseState::PickParent : TMouseState::Idle;
  PickedParent = nullptr;
  if (OnDrawingToolChange)
    OnDrawingToolChange(*this);
}

void TDrawingSurface::SetEntityDisplayMode(TEntityDisplayMode mode)
{
  EntityDisplayMode = mode;
  BeginUpdate();
  for (TEntity* e : Entities) {
    e->NeedsLayout = true;
    e->Repaint();
  }
  EndUpdate();
}

void TDrawingSurface::SetRelationLabelVisible(bool visible)
{
  RelationLabelVisible = visible;
  for (TRelation* r : Relations) {
    const bool show = visible && r->Visible();
    for (TTextLabel* label : {&r->NameLabel, &r->InverseNameLabel}) {
      if (label->Visible != show) {
        label->Visible = show;
        label->Repaint();
      }
    }
  }
  if (OnRLabelVisibleChange)
    OnRLabelVisibleChange(*this);
}

void TDrawingSurface::SetEntityView(const QStringList& names)
{
  EntityView = names;
  BeginUpdate();
  for (TEntity* e : Entities)
    e->Visible = false;
  for (const QString& name : names)
    if (TEntity* e = Entities.Find(name))
      e->Visible = true;
  for (TRelation* r : Relations)
    r->SetVisible(r->Parent->Visible && r->Child->Visible);
  SetRelationLabelVisible(RelationLabelVisible);
  EndUpdate();
}

// ---- Drawing a relation ------------------------------------------------------------

TRelation* TDrawingSurface::CreateRelation(TEntity* parent, TEntity* child)
{
  const TDrawingTool tool = FActiveDrawingTool;
  if (ToolIsPrimary(tool) && !CanBePrimary(parent, child)) {
    // Carrying a key follows primary relations to their end, so they must
    // never form a cycle.
    Messages().Error(QStringLiteral("This cannot be a Primary Relation."));
    SetActiveDrawingTool(dtPointer);
    return nullptr;
  }
  auto relation = std::make_unique<TRelation>();
  relation->Parent = parent;
  relation->Child = child;
  relation->Cardinality = ToolCardinality(tool);
  relation->InitPrimaryRelation(ToolIsPrimary(tool));
  auto centre = [](const TEntity* e) {
    return QPoint(ClampCoordinate(e->Left + qint64(e->Width / 2)), ClampCoordinate(e->Top + qint64(e->Height / 2)));
  };
  relation->ParentPoint = centre(parent);
  relation->ChildPoint = centre(child);
  relation->MidPoint = QPoint((relation->ParentPoint.x() + relation->ChildPoint.x()) / 2,
                              (relation->ParentPoint.y() + relation->ChildPoint.y()) / 2);
  TRelation* r = AddRelation(std::move(relation), true);
  r->SetSuspended(false);
  SetActiveDrawingTool(dtPointer);
  return r;
}

// ---- Selection and deleting ----------------------------------------------------------

void TDrawingSurface::SelectAllEntities()
{
  for (int i = 0; i < Entities.Count(); ++i) {
    SelectAhead(Entities, i);
    Entities[i]->SetSelected(true);
  }
}

void TDrawingSurface::DeleteEntity(int pos)
{
  if (Entities.Objects(pos) == PickedParent) {
    PickedParent = nullptr;
    if (MouseState == TMouseState::PickChild)
      MouseState = TMouseState::PickParent;
  }
  TDiagram::DeleteEntity(pos);
}

void TDrawingSurface::DeleteSelected()
{
  for (int i = Entities.Count() - 1; i >= 0; --i)
    if (Entities.Objects(i)->Selected())
      DeleteEntity(i);
  for (int i = Relations.Count() - 1; i >= 0; --i)
    if (Relations.Objects(i)->Selected())
      DeleteRelation(i);
  for (int i = Labels.Count() - 1; i >= 0; --i)
    if (Labels.Objects(i)->Tag == 2)
      DeleteLabel(i);
  SetActiveDrawingTool(dtPointer);
}

void TDrawingSurface::Clear()
{
  PickedParent = nullptr;
  if (MouseState == TMouseState::PickChild)
    MouseState = TMouseState::PickParent;
  TDiagram::Clear();
}

// ---- Zoom and font -----------------------------------------------------------------

bool TDrawingSurface::Rescale(int numerator, int denominator)
{
  const int base = Font.pointSize();
  const int oldSize = ZoomedFontSize();
  if (base <= 0 || oldSize <= 0 || numerator <= 0 || denominator <= 0)
    return false;
  // The new size from the old whole size in integers: in floating point a
  // product such as 206 x 5 / 4 can land just beside its exact half.
  const int newSize = static_cast<int>(
      std::clamp<qint64>(RoundHalfEvenQuotient(static_cast<qint64>(oldSize) * numerator, denominator), 3, 1 << 30));
  // A step that would take the surface to the largest size or beyond is
  // not taken; zooming out of a diagram stored larger than that shrinks it
  // and is allowed.
  if (newSize > oldSize) {
    const QSize home = HomeSize();
    if (ScaleCoordinate(home.width(), newSize, base) >= kMaxSurfaceSize ||
        ScaleCoordinate(home.height(), newSize, base) >= kMaxSurfaceSize)
      return false;
  }
  if (newSize != oldSize)
    ZoomTo(newSize);
  return true;
}

void TDrawingSurface::ResetZoom()
{
  const int base = Font.pointSize();
  const int oldSize = ZoomedFontSize();
  if (base > 0 && oldSize > 0 && oldSize != base)
    ZoomTo(base);
}

void TDrawingSurface::ZoomTo(int newSize)
{
  const int base = Font.pointSize();
  const int oldSize = ZoomedFontSize();
  const QPoint size = SizeHome.Step(QPoint(Width, Height), oldSize, newSize, base);
  ZoomFactor = static_cast<double>(newSize) / base;
  Width = size.x();
  Height = size.y();

  // Every control moves: one repaint of the whole view afterwards costs
  // less than telling the view of each old and new place.
  {
    const TListeners<const QRect&>::TMute quiet(OnInvalidate);
    MoveForZoom(oldSize, newSize, base);
  }
  Invalidate(QRect());
}

void TDrawingSurface::MoveForZoom(int oldSize, int newSize, int base)
{
  // Positions first, then sizes and routes from the new sizes.
  BeginUpdate();
  const int entities = Entities.Count();
  for (int i = 0; i < entities; ++i) {
    ZoomAhead(Entities, i);
    TEntity* e = Entities[i];
    e->SetPosition(e->ZoomHome.Step(QPoint(e->Left, e->Top), oldSize, newSize, base));
  }
  const int relations = Relations.Count();
  for (int i = 0; i < relations; ++i) {
    ZoomAhead(Relations, i);
    StepRelationZoom(*Relations[i], oldSize, newSize, base);
  }
  const QFont zoomed = ZoomedFont();
  for (TTextLabel* l : Labels) {
    l->SetPosition(l->ZoomHome.Step(QPoint(l->Left, l->Top), oldSize, newSize, base));
    l->SetFont(zoomed);
  }
  EndUpdate();
  // Routing has moved the relations' points within their boxes; their homes
  // stay where they were.
  for (int i = 0; i < relations; ++i)
    SettleRelationZoom(*Relations[i], newSize, base);
}

QPoint TDrawingSurface::THomeScale::Point(const TRelation& relation, int point) const
{
  const QPoint shown = point == 0 ? relation.ParentPoint : point == 1 ? relation.MidPoint : relation.ChildPoint;
  return Of(relation.PointHomes[static_cast<size_t>(point)], shown);
}

TDrawingSurface::THomeScale TDrawingSurface::HomeScale() const
{
  const int base = Font.pointSize();
  const int zoomed = ZoomedFontSize();
  if (base <= 0 || zoomed <= 0)
    return {};
  return {zoomed, base};
}

QSize TDrawingSurface::HomeSize() const
{
  const QPoint home = HomeScale().Of(SizeHome, QPoint(Width, Height));
  return QSize(home.x(), home.y());
}

void TDrawingSurface::SetDiagramFont(const QFont& font)
{
  Font = font;
  const QFont zoomed = ZoomedFont();
  BeginUpdate();
  for (TTextLabel* l : Labels)
    l->SetFont(zoomed);
  for (TRelation* r : Relations) {
    r->NameLabel.SetFont(zoomed);
    r->InverseNameLabel.SetFont(zoomed);
  }
  for (TEntity* e : Entities) {
    e->Font = font;
    e->NeedsLayout = true;
  }
  EndUpdate();
}

}  // namespace veska
