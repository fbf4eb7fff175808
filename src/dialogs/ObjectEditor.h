#pragma once
// The objects editor: a non-modal window with one page per kind of model
// object. Every change in a field is written into the model at once; there is
// no OK or Cancel. The main window hands it the surface, makes an object
// current and shows a page.

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;

namespace veska {

class TAttribute;
class TDomain;
class TDrawingSurface;
class TEditGrid;
class TEntity;
class TMemo;
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
  // Field change handlers write into the model only while this is true.
  bool EditsEnabled = false;
  QStringList DisplayTypeNames;
  QStringList DataTypeNames;

  void SetCurrentDomain(TDomain* domain);
  void SetCurrentEntity(TEntity* entity);
  void SetCurrentRelation(TRelation* relation);
  void SetCurrentText(TTextLabel* label);
  void SetCurrentProcess(TServerProc* process);
  void ShowPage(int page);
  int ActivePage() const;
  void LoadPage();
  // Forgets an object that leaves the model (nullptr: every object) and
  // shows the page anew once the model has settled.
  void ObjectRemoving(const void* object);
  // Ends the edit of the focused control as if the user had left it.
  void FormDeactivate();

  // ---- The frame
  QTabBar* TabSet = nullptr;
  QStackedWidget* Notebook = nullptr;
  QLabel* StatusLine = nullptr;
  std::array<QComboBox*, 10> NameBoxes{};  // ComboBox1 .. ComboBox9 at [1] .. [9]; [6] is the attribute picker
  QComboBox* ComboBox1 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QComboBox* ComboBox3 = nullptr;
  QComboBox* ComboBox4 = nullptr;
  QComboBox* ComboBox5 = nullptr;
  QComboBox* ComboBox6 = nullptr;
  QComboBox* ComboBox7 = nullptr;
  QComboBox* ComboBox8 = nullptr;
  QComboBox* ComboBox9 = nullptr;
  // ---- Entities
  TMemo* Memo1 = nullptr;
  TMemo* Memo2 = nullptr;
  QLineEdit* TableName = nullptr;
  TMemo* EntityDesc = nullptr;
  TMemo* EntityAttrDesc = nullptr;
  QPushButton* NewEntityButton = nullptr;
  QPushButton* DeleteEntityButton = nullptr;
  // ---- Relations
  QLineEdit* ParentEntity = nullptr;
  QLineEdit* ChildEntity = nullptr;
  QGroupBox* RelationTypeRadioGroup = nullptr;
  QButtonGroup* RelationTypeButtons = nullptr;
  QGroupBox* RelateToRadioGroup = nullptr;
  QButtonGroup* RelateToButtons = nullptr;
  TMemo* RelationAttributes = nullptr;
  TMemo* RelationDesc = nullptr;
  QPushButton* NewRelationButton = nullptr;
  QPushButton* DeleteRelationButton = nullptr;
  // ---- Domains
  QLineEdit* DataType = nullptr;
  QLineEdit* DomainRule = nullptr;
  TMemo* DomainDesc = nullptr;
  QPushButton* NewDomainButton = nullptr;
  QPushButton* DeleteDomainButton = nullptr;
  // ---- Text
  TMemo* TextDesc = nullptr;
  QPushButton* NewTextButton = nullptr;
  QPushButton* DeleteTextButton = nullptr;
  // ---- Processes
  QComboBox* ServerTypeCombo = nullptr;
  TMemo* ProcessDesc = nullptr;
  QPushButton* NewProcButton = nullptr;
  QPushButton* DeleteProcButton = nullptr;
  // ---- Tables
  TEditGrid* StringGrid1 = nullptr;
  QComboBox* ColumnTypeCombo = nullptr;
  QPoint LastTypeCell{1, 1};  // (column, row) of the grid as the user sees it
  // ---- Forms
  TEditGrid* StringGrid2 = nullptr;
  QComboBox* DisplayTypeCombo = nullptr;
  QPoint LastDisplayCell{1, 1};
  QComboBox* FormStyleCombo = nullptr;
  QComboBox* MenuGroupCombo = nullptr;
  QLineEdit* FormWidth = nullptr;
  QLineEdit* FormHeight = nullptr;
  QLineEdit* FieldSpacing = nullptr;
  QLineEdit* LineSpacing = nullptr;
  QPushButton* ResetFormButton = nullptr;
  // ---- Indexes
  TEditGrid* StringGrid3 = nullptr;
  QPushButton* NewIndexButton = nullptr;

  // Handlers (public so that the main window and tests can call them as the
  // controls do).
  void TabSetClick(int tab);
  // Shows the next (1) or previous (-1) page that has a tab.
  void StepTab(int step);
  void NameBoxChange(int box);
  void NameBoxExit(int box);
  void Memo1Change();
  void Memo2Change();
  void ComboBox6Change();
  void EntityAttrDescChange();
  void NewEntityButtonClick();
  void NewDomainButtonClick();
  void NewTextButtonClick();
  void NewProcButtonClick();
  void DeleteButtonClick(int page);

  void StringGrid1SetEditText(int column, int row, const QString& text);
  void StringGrid2SetEditText(int column, int row, const QString& text);
  void StringGrid3SetEditText(int column, int row, const QString& text);
  void StringGrid1Click(int column, int row);
  void StringGrid2Click(int column, int row);
  void StringGrid1DblClick();
  void StringGrid3DblClick();
  void StringGrid1RowMoved(int from, int to);
  void StringGrid2RowMoved(int from, int to);
  void StringGrid3RowMoved(int from, int to);
  void ColumnTypeComboExit();
  void DisplayTypeComboExit();
  void NewIndexButtonClick();
  void ResetFormButtonClick();

protected:
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* BuildEntitiesPage();
  QWidget* BuildRelationsPage();
  QWidget* BuildTablesPage();
  QWidget* BuildDomainsPage();
  QWidget* BuildTextPage();
  QWidget* BuildProcessesPage();
  QWidget* BuildFormsPage();
  QWidget* BuildIndexesPage();
  QComboBox* NewNameBox(int box, bool withValidator = true);
  // Connects a field's change signal to its writer, run through CommitField.
  template <typename Signal, typename Sender>
  void OnEdit(Sender* sender, Signal signal, std::function<void()> write)
  {
    connect(sender, signal, this, [this, write = std::move(write)] { CommitField(write); });
  }

  // The commit paths: every write of an edit into the model goes through
  // one of them. None runs while another commit is under way (the
  // re-entrancy guard FCommitting), so signals that a commit raises itself,
  // or a focus change while it runs, never write a second time. Fields and
  // cells also wait for EditsEnabled, so the editor's own filling of
  // controls is not taken for an edit; name boxes and pickers need only a
  // current object.
  bool BeginCommit() const { return EditsEnabled && !FCommitting; }
  // A simple field (text box, memo, combo box, radio group).
  void CommitField(const std::function<void()>& write);
  // A name typed into a name box.
  void CommitName(int box);
  // The key (true) or non-key attribute lines of the Entities page.
  void CommitAttributeLines(TMemo* memo, bool key);
  // The text of a grid cell, at every keystroke.
  void CommitCell(TEditGrid* grid, int column, int row, const QString& text);
  // The end of a cell's edit.
  void CommitCellEnd(TEditGrid* grid, int column, int row, const QString& text);
  // The choice of a picker laid over a grid cell.
  void CommitPicker(QComboBox* picker);
  // Shows an error message once the handler that refused the edit has
  // returned: a message box opened from inside a key or focus handler could
  // destroy the widget whose handler is running.
  void ShowLater(const QString& text);

  void LoadEntities();
  void LoadRelations();
  void LoadDomains();
  void LoadText();
  void LoadProcesses();
  void LoadTables();
  void LoadForms();
  void LoadIndexes();
  // Whether an object of the showing page's kind is current and still part
  // of the model.
  bool PageObjectValid();
  void FillNameBox(QComboBox* box, const QStringList& names, const QString* current);
  void FillEntityBox(QComboBox* box, QString (*text)(const TEntity&));
  void FillAttributePicker(int position);
  void ShowPickedAttributeDescription();
  void RefreshRelationChoices();
  void RepaintEntity();
  void NameRefused();

  // Grid helpers.
  int KeyCount() const;
  int AttributeCount() const;
  struct TRowAttribute;
  TRowAttribute RowAttribute(int attributeRow) const;
  void OpenPicker(TEditGrid* grid, QComboBox* picker, int column, int row);
  void ClosePicker(TEditGrid* grid, QComboBox* picker);
  // Hides a picker without taking its choice and gives the grid the focus.
  void CancelPicker(TEditGrid* grid, QComboBox* picker);
  // Marks the row label of a carried-in attribute (and `cells` of its row).
  void MarkCarriedIn(TEditGrid* grid, int row, const TAttribute& a, std::initializer_list<int> cells = {});
  // Hides a picker that lost the focus and puts its choice (into `text`) in
  // the cell it was opened over; returns the attribute of that cell when the
  // choice is to be written into the model.
  TRowAttribute TakePickerChoice(TEditGrid* grid, QComboBox* picker, QPoint cell, int pickerColumn, QString& text);
  void GridClick(TEditGrid* grid, QComboBox* picker, int pickerColumn, QPoint& last, int column, int row);
  void MoveAttributeRow(int from, int to, int firstRow);
  void ApplyIndexPosition(int indexPos, int attributeRow, const QString& text);

  bool FReloadPending = false;
  bool FClosingPicker = false;
  bool FCommitting = false;
  QString FIndexNameBeforeEdit;
};

}  // namespace veska
