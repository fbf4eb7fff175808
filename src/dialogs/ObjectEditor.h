#pragma once
// The objects editor: a non-modal window with one page per kind of model
// object. Every change in a field is written into the model at once; there is
// no OK or Cancel. The main window hands it the surface, makes an object
// current and shows a page. The window keeps the current objects, the pages
// (src/dialogs/editor) and the tab strip; each page fills and commits its own
// fields.

// The pages' controls are reached as editor.Entities()->entityNameBox.
#include "dialogs/editor/DomainsPage.h"
#include "dialogs/editor/EntitiesPage.h"
#include "dialogs/editor/FormsPage.h"
#include "dialogs/editor/IndexesPage.h"
#include "dialogs/editor/ProcessesPage.h"
#include "dialogs/editor/RelationsPage.h"
#include "dialogs/editor/TablesPage.h"
#include "dialogs/editor/TextPage.h"

#include <QStringList>
#include <QWidget>

#include <array>

class QLabel;
class QStackedWidget;
class QTabBar;
class QTimer;

namespace veska {

class TDomain;
class TDrawingSurface;
class TEntity;
class TRelation;
class TServerProc;
class TTextLabel;

class TObjectEditor : public QWidget {
  Q_OBJECT
public:
  enum TPage { pgEntities = 0, pgRelations, pgTables, pgDomains, pgText, pgProcesses, pgForms, pgIndexes, pgCount };
  static const QStringList PageNames;

  explicit TObjectEditor(QWidget* parent = nullptr);
  ~TObjectEditor() override;

  // The names of the settings file's "DataTypes" and "Servers" sections.
  void SetSettingsNames(const QStringList& dataTypes, const QStringList& servers);

  TDrawingSurface* DrawingSurface = nullptr;
  TDomain* CurrentDomain = nullptr;
  TEntity* CurrentEntity = nullptr;
  TRelation* CurrentRelation = nullptr;
  TTextLabel* CurrentText = nullptr;
  TServerProc* CurrentProcess = nullptr;

  void SetCurrentDomain(TDomain* domain);
  void SetCurrentEntity(TEntity* entity);
  void SetCurrentRelation(TRelation* relation);
  void SetCurrentText(TTextLabel* label);
  void SetCurrentProcess(TServerProc* process);
  void ShowPage(int page);
  int ActivePage() const;
  // Shows the active page anew from the model.
  void LoadPage();
  // Forgets an object that leaves the model (nullptr: every object) and
  // shows the page anew once the model has settled.
  void ObjectRemoving(const void* object);
  // Ends the edit of the focused control as if the user had left it.
  void FormDeactivate();
  // Shows the next (1) or previous (-1) page that has a tab.
  void StepTab(int step);

  TEntitiesPage* Entities() const;
  TRelationsPage* Relations() const;
  TTablesPage* Tables() const;
  TDomainsPage* Domains() const;
  TTextPage* Text() const;
  TProcessesPage* Processes() const;
  TFormsPage* Forms() const;
  TIndexesPage* Indexes() const;

  // A tab per page but "Processes", whose tab is kept invisible.
  QTabBar* tabStrip = nullptr;
  // What the pages say about an edit (a refused comma).
  QLabel* statusLine = nullptr;

protected:
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void MakePages();
  void MakeTabStrip();
  void TabClicked(int tab);
  template <typename T>
  void MakeCurrent(int page, T*& current, T* object);

  QStackedWidget* FPageStack = nullptr;
  std::array<TEditorPage*, pgCount> FPages{};
  // Shows the page anew after objects left the model.
  QTimer* FReload = nullptr;
};

}  // namespace veska
