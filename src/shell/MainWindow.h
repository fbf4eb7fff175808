#pragma once
// The main window: menus, tool buttons, pop-up menus and status line; the file
// commands with the question that protects unsaved work; the one-level undo;
// and the hand-over of every command to the drawing surface or a dialog.

#include "dialogs/DialogButtons.h"
#include "printing/Export.h"
#include "shell/FileDialogs.h"
#include "shell/Pictures.h"
#include "surface/DrawingSurface.h"

#include <QByteArray>
#include <QDialog>
#include <QMainWindow>
#include <QPageLayout>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QMenu;
class QPrinter;
class QScrollArea;
class QToolButton;

namespace veska {

class TBuildFormDlg;
class TBuildTableDlg;
class TDiagramView;
class TFilterDlg;
class TFindDlg;
class TObjectEditor;
class TPrintDlg;
class THelpWindow;
class TReOpenDlg;
class TReportDlg;
class TShowReportDlg;
class TValidateDlg;
class TWindowProgress;
class TSetupDlg;
class TSettings;
struct TPageDevice;
enum class TLoadResult;

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

  static inline const QString NewFileName = QStringLiteral("new.ERD");
  static inline const QString NewDiagramName = QStringLiteral("Information Model V1.0");
  static inline const QString FileFilter =
      QStringLiteral("ERD Files (*.ERD)|*.ERD|Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*");
  static inline const QString UndoFileName = QStringLiteral("undo.bak");
  static inline const QString PdfTitle = QStringLiteral("Veska - Print to PDF File");
  static inline const QString PdfFilter = QStringLiteral("PDF Files (*.PDF)|*.PDF|All Files (*.*)|*.*");

  // Whether a printer is installed; without one, Print writes the chosen
  // pages into a PDF file. Tests replace it.
  std::function<bool()> PrinterInstalled;
  // Replaces the answer and shows the page lines of the printer or PDF page
  // it leads to.
  void SetPrinterInstalled(std::function<bool()> installed);

  static inline const QString ExportFilter =
      QStringLiteral("PDF Files (*.PDF)|*.PDF|SVG Files (*.SVG)|*.SVG|PNG Images (*.PNG)|*.PNG");
  static inline const QString ExportResolutionDlgName = QStringLiteral("ExportResolutionDlg");

  // The diagram file; NewFileName while the diagram has never been saved.
  QString FileName = NewFileName;
  // The whole diagram as written at the last snapshot.
  QByteArray UndoSnapshot;
  // The object right-clicked last (or created last from a pop-up menu).
  TEntity* PopupEntity = nullptr;
  TRelation* PopupRelation = nullptr;
  TTextLabel* PopupLabel = nullptr;

  TDrawingSurface& DrawingSurface() const { return *FSurface; }
  // The progress of opening and merging files; the diagram is not painted
  // while it runs.
  TWindowProgress& LoadProgress() const { return *FLoadProgress; }
  TDiagramView& View() const { return *FView; }
  QScrollArea* ScrollBox1 = nullptr;
  QWidget* SpeedPanel = nullptr;
  QMenu* PopupMenu1 = nullptr;
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

  // Whether the current diagram may be given up: asks to save it when the
  // text that saving would write differs from its file; clears the surface
  // when the caller may go on.
  bool QueryCloseDiagram();
  // Writes the diagram into UndoSnapshot.
  void Snapshot();

  // The commands.
  void NewItemClick();
  void OpenItemClick();
  void ReopenItemClick();
  void MergeItemClick();
  // Save and Save As return true when the diagram was written: false when
  // writing failed or the user cancelled Save As or its replace question.
  bool SaveItemClick();
  bool SaveAsItemClick();
  // Writes the whole diagram as a picture (PDF, SVG or PNG by the chosen
  // name's extension); a PNG's resolution is asked first.
  void ExportItemClick();
  void UndoItemClick();
  void AddDomainItemClick();
  void DeleteCurrentItemClick();
  void DeleteItemClick();
  void DisplayViewItemClick();
  void SetupItemClick();
  // Print: the print dialog on the page grid, then each chosen page as a
  // print job of its own, or all of them into one PDF file when no printer
  // is installed.
  void PrintItemClick();
  // The page of a dialog's Help button, in a help window of the dialog's
  // own (a modal dialog blocks every other window).
  void ShowHelpPage(QWidget* window, const QString& page) override;
  // Print Setup: the printer's page size and orientation, or those of the
  // PDF output when no printer is installed.
  void PrintSetupItemClick();
  // The page of PDF output; the page lines follow it while no printer is
  // installed.
  const QPageLayout& PdfPageLayout() const { return FPdfLayout; }
  void SetPdfPageLayout(const QPageLayout& layout);
  // The page that printing uses now: the printer's, or the PDF output's.
  TPageDevice PageDevice();
  void FontItemClick();
  void ShowLabelsClick();
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
  // Open the objects editor on an object (a domain may be none) and a page.
  void ShowObjectEditor(int page);
  void EditEntity(TEntity* entity, int page);
  void EditRelation(TRelation* relation);
  void EditLabel(TTextLabel* label);
  void EditDomain(TDomain* domain);
  // Opens a chosen diagram in place of the current one (Open, Reopen).
  void OpenDiagram(const QString& fileName);
  // Opens a diagram named by a path, relative to the current directory or
  // absolute (the command line): a name that is no file is reported as
  // Reopen reports it, anything else is opened as Open does.
  void OpenNamedFile(const QString& fileName);

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QAction* AddItem(QMenu* menu, const char* name, const QString& caption, const QString& hint,
                   std::function<void()> action, const QKeySequence& shortcut = {});
  QToolButton* AddButton(const char* name, int x, const QString& hint, TToolIcon icon, std::function<void()> action);
  void BuildMenus();
  void BuildSpeedPanel();
  void ConnectSurface();
  void SetTitle();
  // The zoom in the status line.
  void ShowZoom();
  // The numbers of entities and relations in the status line.
  void ShowCounts();
  // The objects editor's first place: beside the diagram, against the right
  // edge of the visible diagram area, inside the screen.
  void PlaceObjectEditor();

  // Loads or merges a file onto the surface; a file that cannot be read is
  // reported and gives no result.
  std::optional<TLoadResult> Load(const QString& fileName);
  // Saves the diagram, keeping the file it replaces under `backupName` when
  // one is given; a failure is reported and gives FALSE.
  bool WriteFile(const QString& fileName, const QString& backupName = {});
  void AddRecentFile(const QString& fileName);
  bool HasPrinter() const;
  // The printer chosen in Print Setup, first the default one.
  QPrinter& Printer();
  // Shows the page lines of the page that printing uses now.
  void ShowPageGrid();
  // The centre of the visible part of the diagram, in diagram coordinates.
  QPoint VisibleCentre() const;
  void PrintToPdf(const QList<QPoint>& pages);
  // Forgets everything that points into the model before it is emptied or
  // an object is deleted.
  void BeforeClear();

  // The pop-up menu: up to seven items, filled anew on every right-click.
  void SetPopupItem(int index, const QString& caption, std::function<void()> action, bool enabled = true);
  void SetPopupSeparator(int index);
  // Hides every item but the first.
  void ClearPopup();
  // The action of a "Delete" item: removes the object at the position that
  // `position` finds, with a snapshot first.
  std::function<void()> PopupDelete(std::function<int()> position, void (TDiagram::*remove)(int));
  void ShowPopup();
  // The action of an "Edit" item: chooses the pointer, then opens the editor.
  std::function<void()> PopupEdit(std::function<void()> open);
  void SurfacePopup();
  void EntityPopup();
  void RelationPopup();
  void LabelPopup();
  QPoint PopupPoint() const;
  // Export is enabled while something is drawn, and the status line counts
  // the objects; both are brought up to date once per turn of the event loop
  // after changes (Export also when the File menu opens).
  void ScheduleObjectsUpdate();
  void UpdateExportItem();

  TSettings& FSettings;
  TMessageService& FMessages;
  TFileDialogs& FFileDialogs;
  std::unique_ptr<TDrawingSurface> FSurface;
  // This window's listeners to the surface; declared after it, they go
  // before it, so the surface's last notifications reach no half-destroyed
  // window.
  std::vector<TSubscription> FSurfaceListeners;
  TDiagramView* FView = nullptr;
  std::unique_ptr<QPrinter> FPrinter;
  QPageLayout FPdfLayout;
  QButtonGroup* FToolGroup = nullptr;
  QLabel* FZoomLabel = nullptr;
  QLabel* FCountsLabel = nullptr;
  std::unique_ptr<TWindowProgress> FLoadProgress;
  bool FObjectEditorPlaced = false;
  QAction* FExportItem = nullptr;
  bool FObjectsUpdatePending = false;
  // The PNG resolution chosen last; twice the screen's to begin with.
  int FExportDpi = kDefaultExportDpi;
  std::array<std::function<void()>, 7> FPopupActions;
  QList<QAction*> FPopupItems;
};

}  // namespace veska
