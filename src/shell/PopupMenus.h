#pragma once
// The pop-up menus of the diagram: one menu of up to seven items, filled anew
// on every right-click for the empty surface, an entity, a relation or a
// text label, and acting on the object clicked (or created from the menu).

#include "model/Listeners.h"

#include <QList>
#include <QPoint>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace veska {

class TDiagram;
class TEntity;
class TRelation;
class TSDIAppForm;
class TTextLabel;

class TPopupMenus {
public:
  // Listens to the window's surface for right-clicks and for objects that
  // go; the window outlives the menus.
  explicit TPopupMenus(TSDIAppForm& window);

  QMenu* Menu() const { return FMenu; }
  // The object right-clicked last (or created last from the menu); none
  // once it has gone.
  TEntity* Entity() const { return FEntity; }
  TRelation* Relation() const { return FRelation; }
  TTextLabel* Label() const { return FLabel; }
  // Forgets the objects, before the model is emptied.
  void Forget();

private:
  void SetItem(int index, const QString& caption, std::function<void()> action, bool enabled = true);
  void SetSeparator(int index);
  // Hides every item but the first.
  void Clear();
  void Show();
  // The action of a "Delete" item: removes the object at the position that
  // `position` finds, with a snapshot first.
  std::function<void()> Delete(std::function<int()> position, void (TDiagram::*remove)(int));
  // The action of an "Edit" item: chooses the pointer, then opens the editor.
  std::function<void()> Edit(std::function<void()> open);
  // Where the right-click was, on the screen.
  QPoint ClickPoint() const;
  // Where the right-click was, on the diagram.
  QPoint DiagramPoint() const;
  void SurfacePopup();
  void EntityPopup();
  void RelationPopup();
  void LabelPopup();
  void ObjectRemoving(const void* object);

  TSDIAppForm& FWindow;
  QMenu* FMenu = nullptr;
  std::array<std::function<void()>, 8> FActions;
  QList<QAction*> FItems;
  TEntity* FEntity = nullptr;
  TRelation* FRelation = nullptr;
  TTextLabel* FLabel = nullptr;
  std::vector<TSubscription> FListeners;
};

}  // namespace veska
