#pragma once
// The base of the objects editor's pages. A page shows one kind of model
// object and writes every edit of its fields into the model at once, each
// through one commit path behind the page's re-entrancy guard, so signals
// that a commit raises itself, or a focus change while it runs, never write
// a second time. Edits of fields are taken only after a Load found the
// current object in the model, so the page's own filling of its controls is
// never taken for an edit.

#include "surface/DrawingSurface.h"

#include <QWidget>

#include <functional>
#include <initializer_list>

class QHBoxLayout;
class QLineEdit;
class QPushButton;

namespace veska {

class TMemo;
class TNameBox;
class TObjectEditor;

class TEditorPage : public QWidget {
  Q_OBJECT
public:
  explicit TEditorPage(TObjectEditor& window);

  // Shows the current object as the model holds it (empty fields when there
  // is none) and takes edits again if it is part of the model.
  void Load();
  // Takes no edits of fields until the next Load: the model is changing
  // under the page.
  void StopEdits() { FEditsEnabled = false; }
  // The box naming the page's object.
  TNameBox* NameBox() const { return FNameBox; }
  // Ends the edit of `focus`, a control of this page, as if the user had
  // left it.
  virtual void EndEdit(QWidget* focus);

protected:
  // Fills the controls; returns whether the current object is part of the
  // model.
  virtual bool Fill() = 0;
  // Makes the object of a name picked from the name box current.
  virtual void Pick(const QString& name) = 0;
  // Gives the current object a name typed into the name box.
  virtual void Rename(const QString& typed) = 0;

  bool EditsEnabled() const { return FEditsEnabled; }
  // Runs `write` unless a commit of this page is under way.
  void Commit(const std::function<void()>& write);
  // Runs `write` as Commit does, and only while edits are taken.
  void CommitEdit(const std::function<void()>& write);
  // Connects a field's change signal to its writer, run through CommitEdit.
  template <typename Signal, typename Sender>
  void OnEdit(Sender* sender, Signal signal, std::function<void()> write)
  {
    connect(sender, signal, this, [this, write = std::move(write)] { CommitEdit(write); });
  }
  // Shows an error message once the handler that refused the edit has
  // returned: a message box opened from inside a key or focus handler could
  // destroy the widget whose handler is running.
  void ShowLater(const QString& text);
  // Says in the status line that a comma was kept out of a name.
  void NameRefused();

  TDrawingSurface* Surface() const;
  // Whether the current entity is part of the model.
  bool EntityValid() const;
  void RepaintEntity();

  // The name box, made once by each page.
  TNameBox* MakeNameBox(const char* name, bool refuseCommas = true);
  // Lists the names, sorted ignoring case, and shows `current` (none: an
  // empty box).
  void FillNameBox(const QStringList& names, const QString* current);
  // Lists every entity by `text`; each entry carries its entity.
  void FillEntityBox(QString (*text)(const TEntity&));
  // Makes the entity of the picked entry of FillEntityBox current.
  void PickListedEntity();

  // Renames `current` within `list` unless `refusal` says why not; either
  // way the name box shows the object's real name afterwards. Returns
  // whether `current` is in the list.
  template <typename List, typename Object>
  bool RenameIn(List& list, Object* current, const QString& refusal, void (TDiagram::*rename)(int, const QString&),
                const QString& typed)
  {
    const int pos = current ? list.IndexOfObject(current) : -1;
    if (pos < 0)
      return false;
    if (refusal.isEmpty())
      (Surface()->*rename)(pos, typed);
    else
      ShowLater(refusal);
    FillNameBox(list.Texts(), &list.Strings(pos));
    return true;
  }
  // Deletes `current` from the model, forgets it and shows the page anew.
  template <typename List, typename Object>
  void DeleteCurrent(List& list, Object*& current, void (TDiagram::*remove)(int))
  {
    const int pos = current ? list.IndexOfObject(current) : -1;
    if (pos >= 0)
      (Surface()->*remove)(pos);
    current = nullptr;
    ShowDeleted();
  }
  // Empties the name box and shows the page anew.
  void ShowDeleted();
  void ReloadWindow();

  // Parts of the pages' layouts.
  static QHBoxLayout* PageBar(const QString& caption, QWidget* box, std::initializer_list<QPushButton*> buttons);
  static QPushButton* Button(const char* name, const QString& caption);
  static TMemo* Memo(const char* name, bool wrap = true);
  static QLineEdit* Line(const char* name);

  TObjectEditor& Window;

private:
  void NamePicked();
  void CommitName();

  bool FEditsEnabled = false;
  bool FCommitting = false;
  TNameBox* FNameBox = nullptr;
};

}  // namespace veska
