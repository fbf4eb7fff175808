#include "shell/PopupMenus.h"

#include "dialogs/ObjectEditor.h"
#include "shell/DiagramDocument.h"
#include "shell/DiagramView.h"
#include "shell/MainWindow.h"

#include <QMenu>

namespace veska {

TPopupMenus::TPopupMenus(TSDIAppForm& window) : FWindow(window)
{
  FMenu = new QMenu(&window);
  FMenu->setObjectName(QStringLiteral("PopupMenu1"));
  for (int i = 0; i < int(FActions.size()); ++i) {
    QAction* item = FMenu->addAction(QString());
    item->setObjectName(QStringLiteral("PopupItem%1").arg(i + 1));
    QObject::connect(item, &QAction::triggered, FMenu, [this, i] {
      if (const auto action = FActions[size_t(i)])
        action();
    });
    FItems << item;
  }

  TDrawingSurface& s = window.DrawingSurface();
  auto listen = [this](auto& notification, auto listener) {
    FListeners.push_back(notification.Add(std::move(listener)));
  };
  listen(s.OnDrawingSurfaceRMBClick, [this](TDrawingSurface&) { SurfacePopup(); });
  listen(s.OnEntityRMBClick, [this](TEntity& entity) {
    FEntity = &entity;
    EntityPopup();
  });
  listen(s.OnRelationRMBClick, [this](TRelation& relation) {
    FRelation = &relation;
    RelationPopup();
  });
  listen(s.OnLabelRMBClick, [this](TTextLabel& label) {
    FLabel = &label;
    LabelPopup();
  });
  listen(s.OnObjectRemoving, [this](const void* object) { ObjectRemoving(object); });
}

void TPopupMenus::Forget()
{
  FEntity = nullptr;
  FRelation = nullptr;
  FLabel = nullptr;
}

void TPopupMenus::ObjectRemoving(const void* object)
{
  if (!object || object == FEntity)
    FEntity = nullptr;
  if (!object || object == FRelation)
    FRelation = nullptr;
  if (!object || object == FLabel)
    FLabel = nullptr;
}

QPoint TPopupMenus::ClickPoint() const
{
  const TDrawingSurface& s = FWindow.DrawingSurface();
  return QPoint(s.MousePositionX, s.MousePositionY);
}

QPoint TPopupMenus::DiagramPoint() const
{
  return FWindow.View().mapFromGlobal(ClickPoint());
}

void TPopupMenus::SetItem(int index, const QString& caption, std::function<void()> action, bool enabled)
{
  QAction* item = FItems[index];
  item->setSeparator(false);
  item->setText(caption);
  item->setVisible(true);
  item->setEnabled(enabled);
  FActions[size_t(index)] = std::move(action);
}

void TPopupMenus::SetSeparator(int index)
{
  QAction* item = FItems[index];
  item->setText(QString());
  item->setSeparator(true);
  item->setVisible(true);
  FActions[size_t(index)] = nullptr;
}

void TPopupMenus::Clear()
{
  for (int i = 1; i < FItems.size(); ++i)
    FItems[i]->setVisible(false);
}

void TPopupMenus::Show()
{
  FMenu->popup(ClickPoint());
}

std::function<void()> TPopupMenus::Delete(std::function<int()> position, void (TDiagram::*remove)(int))
{
  return [this, position = std::move(position), remove] {
    // The object may have gone since the menu was filled.
    const int pos = position();
    if (pos < 0)
      return;
    FWindow.Document().Snapshot();
    FWindow.View().ReleaseCapture();
    Forget();
    (FWindow.DrawingSurface().*remove)(pos);
  };
}

std::function<void()> TPopupMenus::Edit(std::function<void()> open)
{
  return [this, open = std::move(open)] {
    FWindow.DrawingSurface().SetActiveDrawingTool(dtPointer);
    open();
  };
}

void TPopupMenus::SurfacePopup()
{
  Clear();
  TDrawingSurface& s = FWindow.DrawingSurface();
  SetItem(0, QStringLiteral("Add Domain"), [this] { FWindow.AddDomainItemClick(); });
  SetItem(1, QStringLiteral("Add Entity"), [this, &s] {
    FWindow.Document().Snapshot();
    s.SetActiveDrawingTool(dtPointer);
    auto entity = std::make_unique<TEntity>();
    const QPoint at = DiagramPoint();
    entity->SetPosition(at.x(), at.y());
    FEntity = s.AddEntity(std::move(entity));
    FEntity->Repaint();
    FWindow.EditEntity(FEntity, TObjectEditor::pgEntities);
  });
  SetItem(2, QStringLiteral("Add Relation"), [this] { FWindow.ChooseTool(dtRelationOneToManyForeign); });
  SetItem(3, QStringLiteral("Add Process"), [this] { FWindow.AddProcessItemClick(); });
  SetItem(4, QStringLiteral("Add Text"), [this, &s] {
    FWindow.Document().Snapshot();
    s.SetActiveDrawingTool(dtPointer);
    auto label = std::make_unique<TTextLabel>();
    const QPoint at = DiagramPoint();
    label->SetPosition(at.x(), at.y());
    label->Transparent = true;
    FLabel = s.AddLabel(std::move(label));
    FLabel->Repaint();
    FWindow.EditLabel(FLabel);
  });
  SetItem(5, QStringLiteral("Edit Domain"), [this, &s] {
    FWindow.Document().Snapshot();
    s.SetActiveDrawingTool(dtPointer);
    FWindow.EditDomain(nullptr);
  });
  SetItem(6, QStringLiteral("Edit Process"), [this, &s] {
    FWindow.Document().Snapshot();
    s.SetActiveDrawingTool(dtPointer);
    FWindow.EditProcess(nullptr);
  });
  SetItem(7, QStringLiteral("Arrange"), [this] { FWindow.ArrangeItemClick(); });
  Show();
}

void TPopupMenus::EntityPopup()
{
  Clear();
  const auto edit = [this](int page) {
    return Edit([this, page] {
      if (FEntity)
        FWindow.EditEntity(FEntity, page);
    });
  };
  SetItem(0, QStringLiteral("Edit Entity"), edit(TObjectEditor::pgEntities));
  SetItem(1, QStringLiteral("Edit Table"), edit(TObjectEditor::pgTables));
  SetItem(2, QStringLiteral("Edit Form"), edit(TObjectEditor::pgForms));
  SetItem(3, QStringLiteral("Edit Indexes"), edit(TObjectEditor::pgIndexes));
  SetSeparator(4);
  SetItem(5, QStringLiteral("Delete"),
          Delete([this] { return FWindow.DrawingSurface().Entities.IndexOfObject(FEntity); }, &TDiagram::DeleteEntity));
  Show();
}

void TPopupMenus::RelationPopup()
{
  Clear();
  SetItem(0, QStringLiteral("Edit Relation"), Edit([this] {
            if (FRelation)
              FWindow.EditRelation(FRelation);
          }));
  SetItem(1, QStringLiteral("Reset Label"), [this] {
    TDrawingSurface& s = FWindow.DrawingSurface();
    s.SetActiveDrawingTool(dtPointer);
    if (s.Relations.IndexOfObject(FRelation) >= 0)
      FRelation->ResetLabel();
  });
  SetSeparator(2);
  SetItem(3, QStringLiteral("Delete"),
          Delete([this] { return FWindow.DrawingSurface().Relations.IndexOfObject(FRelation); },
                 &TDiagram::DeleteRelation));
  Show();
}

void TPopupMenus::LabelPopup()
{
  Clear();
  SetItem(0, QStringLiteral("Edit Label"), Edit([this] {
            if (FLabel)
              FWindow.EditLabel(FLabel);
          }));
  SetSeparator(1);
  SetItem(2, QStringLiteral("Delete"),
          Delete([this] { return FWindow.DrawingSurface().Labels.IndexOfObject(FLabel); }, &TDiagram::DeleteLabel));
  Show();
}

}  // namespace veska
