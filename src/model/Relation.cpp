#include "model/Relation.h"

#include "model/Diagram.h"
#include "model/Entity.h"
#include "model/Identifiers.h"

namespace veska {

TRelation::TRelation(TDiagram* diagram)
    : Segments{TRelationSegment(this), TRelationSegment(this), TRelationSegment(this)}, FDiagram(diagram)
{
  NameLabel.Transparent = true;
  InverseNameLabel.Transparent = true;
}

TRelation::~TRelation() = default;

void TRelation::SetRelationName(const QString& name)
{
  if (SameText(name, FRelationName))
    return;
  if (FDiagram && FDiagram->Relations.IndexOf(name) >= 0) {
    FDiagram->Messages().Error(QStringLiteral("Duplicate Relation Name \"%1\".").arg(name));
    return;
  }
  AssignRelationName(name);
}

void TRelation::AssignRelationName(const QString& name)
{
  FRelationName = name;
  const qsizetype slash = name.indexOf(QLatin1Char('/'));
  if (slash >= 0) {
    NameLabel.SetCaption(name.left(slash));
    InverseNameLabel.SetCaption(name.mid(slash + 1));
  } else {
    NameLabel.SetCaption(name);
    InverseNameLabel.SetCaption(QString());
  }
}

void TRelation::ShowSegments(bool show)
{
  for (TRelationSegment& s : Segments) {
    if (s.Visible != show) {
      s.Visible = show;
      s.Repaint();
    }
  }
}

void TRelation::SetVisible(bool value)
{
  FVisible = value;
  if (!value) {
    ShowSegments(false);
  } else if (!FSuspended) {
    Reroute();
    ShowSegments(true);
  }
}

void TRelation::SetSuspended(bool value)
{
  FSuspended = value;
  if (value) {
    ShowSegments(false);
  } else if (FVisible) {
    Reroute();
    ShowSegments(true);
  }
}

void TRelation::SetSelected(bool value)
{
  if (value == FSelected)
    return;
  FSelected = value;
  for (TRelationSegment& s : Segments) {
    s.PenColor = value ? QColor(Qt::red) : QColor(Qt::black);
    s.Repaint();
  }
}

void TRelation::ResetLabel()
{
  LabelAutoPlace = true;
  Reroute();
}

void TRelation::Reroute()
{
  if (FDiagram && !FDiagram->Updating())
    FDiagram->RouteRelation(*this);
}

TAttributeList& TRelation::ChildList() const
{
  return FPrimaryRelation ? Child->PrimaryKey : Child->Attributes;
}

void TRelation::SetPrimaryRelation(bool value)
{
  if (value == FPrimaryRelation)
    return;
  if (!value) {
    FPrimaryRelation = false;
    for (int i = 0; i < MigratedAttributes.Count(); ++i) {
      TAttribute* copy = MigratedAttributes.Objects(i);
      const int p = Child->PrimaryKey.IndexOfObject(copy);
      if (p >= 0)
        Child->AddAttribute(Child->RemoveKeyAttribute(p));
    }
  } else {
    if (FDiagram && !FDiagram->CanBePrimary(Parent, Child)) {
      FDiagram->Messages().Error(QStringLiteral("This cannot be a Primary Relation."));
      return;
    }
    FPrimaryRelation = true;
    for (int i = 0; i < MigratedAttributes.Count(); ++i) {
      TAttribute* copy = MigratedAttributes.Objects(i);
      const int p = Child->Attributes.IndexOfObject(copy);
      if (p >= 0)
        Child->AddKeyAttribute(Child->RemoveAttribute(p));
    }
  }
  Child->NeedsLayout = true;
  Child->Repaint();
}

}  // namespace veska
