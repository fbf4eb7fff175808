#pragma once
// The main window: menus, tool buttons and status line, and the hand-over of
// every command to the document (the file commands and undo), the drawing
// surface, the print commands or a dialog.

#include "dialogs/DialogButtons.h"
#include "platform/IniFile.h"
#include "shell/DiagramDocument.h"
#include "shell/FileDialogs.h"
#include "shell/Pictures.h"
#include "surface/DrawingSurface.h"

#include <QByteArray>
#include <QDialog>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QMenu;
class QScrollArea;
class QToolButton;

namespace veska {

class TBuildFormDlg;
class TBuildTableDlg;
class TDiagramView;
class TFilterDlg;
class TFindDlg;
class TObjectEditor;
class TPopupMenus;
class TPrintCommands;
class TPrintDlg;
class THelpWindow;
class TReOpenDlg;
class TReportDlg;
class TShowReportDlg;
class TValidateDlg;
class TWindowProgress;
class TSetupDlg;
class TSettings;

// The About box: the program picture and an OK button.
class TAboutBox final : public QDialog {
public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

class TSDIAppForm final : public QMainWindow, public THelpHost {
public:
  // The settings, the message service and the file dialogs outlive the window.
  TSDIAppForm(TSettings& settings, TMessageService& messages, TFileDialogs& fileDialogs, QWidget* parent = nullptr);
  ~TSDIAppForm() override;

  // The diagram's file, its undo and the file commands.
  TDiagramDocument& Document() const { return *FDocument; }
  // Print, Print Setup and Export.
  TPrintCommands& Printing() const { return *FPrinting; }
  TPopupMenus& Popups() const { return *FPopups; }

  TDrawingSurface& DrawingSurface() const { return *FSurface; }
  // The progress of opening and merging files; the diagram is not painted
  // while it runs.
  TWindowProgress& LoadProgress() const { return *FLoadProgress; }
  TDiagramView& View() const { return *FView; }
  QScrollArea* ScrollBox1 = nullptr;
  QWidget* SpeedPanel = nullptr;
  TObjectEditor* ObjectEditor = nullptr;
  TAboutBox* AboutBox = nullptr;
  TSetupDlg* SetupDlg = nullptr;
  TPrintDlg* PrintDlg = nullptr;
  TReOpenDlg* ReOpenDlg = nullptr;
  TFilterDlg* FilterDlg = nullptr;
  TFindDlg* FindDlg = nullptr;
  THelpWindow* HelpWindow = nullptr;
  TReportDlg* ReportDlg = nullptr;
  TValidateDlg* ValidateDlg = nullptr;
  TShowReportDlg* ShowReportDlg = nullptr;
  TBuildTableDlg* BuildTableDlg = nullptr;
  TBuildFormDlg* BuildFormDlg = nullptr;

  // The commands.
  void NewItemClick();
  void OpenItemClick();
  void ReopenItemClick();
  void MergeItemClick();
  void AddDomainItemClick();
  // A new process of the model, current in the objects editor, for the
  // servers that run processes.
  void AddProcessItemClick();
  void DeleteCurrentItemClick();
  void DeleteItemClick();
  void DisplayViewItemClick();
  void SetupItemClick();
  // The page of a dialog's Help button, in a help window of the dialog's
  // own (a modal dialog blocks every other window).
  void ShowHelpPage(QWidget* window, const QString& page) override;
  void FontItemClick();
  void ShowLabelsClick();
  // Lays out the selected entities, or the whole diagram when none is
  // selected, as one step that Undo takes back.
  void ArrangeItemClick();
  // Zoom by numerator / denominator, keeping the diagram point under a point
  // of the scroll area's viewport where it is (the menu's zoom keeps the
  // middle of the view).
  void ZoomAround(int numerator, int denominator, QPoint viewportPoint);
  void ZoomIn();
  void ZoomOut();
  // The Report menu: options, file name, the report written and shown.
  void EntityListItemClick();
  void ConsistencyItemClick();
  // The Build menu: build tables from the model; generate an application
  // from it; read tables into a new model.
  void DatabaseBuildItemClick();
  void FormsBuildItemClick();
  void ReEngineerItemClick();
  // Chooses a drawing tool; every tool but the pointer takes a snapshot first.
  void ChooseTool(TDrawingTool tool);
  // Open the objects editor on an object (a domain or a process may be
  // none) and a page.
  void ShowObjectEditor(int page);
  void EditEntity(TEntity* entity, int page);
  void EditRelation(TRelation* relation);
  void EditLabel(TTextLabel* label);
  void EditDomain(TDomain* domain);
  void EditProcess(TServerProc* process);

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QAction* AddItem(QMenu* menu, const char* name, const QString& caption, const QString& hint,
                   std::function<void()> action, const QKeySequence& shortcut = {});
  QToolButton* AddButton(const char* name, int x, const QString& hint, TToolIcon icon, std::function<void()> action);
  void BuildMenus();
  void BuildSpeedPanel();
  void ConnectSurface();
  void ConnectDocument();
  void SetTitle();
  // The zoom in the status line.
  void ShowZoom();
  // The numbers of entities and relations in the status line.
  void ShowCounts();
  // The objects editor's first place: beside the diagram, against the right
  // edge of the visible diagram area, inside the screen.
  void PlaceObjectEditor();

  // The centre of the visible part of the diagram, in diagram coordinates.
  QPoint VisibleCentre() const;

  // Export is enabled while something is drawn, and the status line counts
  // the objects; both are brought up to date once per turn of the event loop
  // after changes (Export also when the File menu opens).
  void ScheduleObjectsUpdate();
  void UpdateExportItem();

  TSettings& FSettings;
  // The user's own settings: where the build dialog remembers destinations.
  TIniFile FUserSettings;
  TMessageService& FMessages;
  TFileDialogs& FFileDialogs;
  std::unique_ptr<TDrawingSurface> FSurface;
  std::unique_ptr<TDiagramDocument> FDocument;
  // This window's listeners to the surface and the document; declared after
  // them, they go before them, so that their last notifications reach no
  // half-destroyed window. So do the pop-up menus' own.
  std::vector<TSubscription> FListeners;
  std::unique_ptr<TPopupMenus> FPopups;
  std::unique_ptr<TPrintCommands> FPrinting;
  TDiagramView* FView = nullptr;
  QButtonGroup* FToolGroup = nullptr;
  QLabel* FZoomLabel = nullptr;
  QLabel* FCountsLabel = nullptr;
  std::unique_ptr<TWindowProgress> FLoadProgress;
  bool FObjectEditorPlaced = false;
  QAction* FExportItem = nullptr;
  bool FObjectsUpdatePending = false;
};

}  // namespace veska
