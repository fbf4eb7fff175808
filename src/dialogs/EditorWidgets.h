#pragma once
// Controls of the objects editor that behave differently from Qt's own: a
// memo that reports its lines the way the editor counts them and can refuse
// characters, a validator that keeps commas out of names, a name box whose
// typed text is taken when it is left, a grid whose in-place editor reports
// every keystroke, and a list laid over a grid cell.

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QValidator>

#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace veska {

// Text that a name may not contain: the diagram file separates the fields of
// a name line with commas.
inline constexpr QChar kNameSeparator = QLatin1Char(',');

// Sets a flag for its own lifetime and gives it back its old value after,
// also when the work in between returns early.
class TFlagGuard {
public:
  explicit TFlagGuard(bool& flag, bool value = true) : FFlag(flag), FOld(flag) { flag = value; }
  ~TFlagGuard() { FFlag = FOld; }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
  bool& FFlag;
  bool FOld;
};

// Sets the tab order of the widgets to the order given.
void TabChain(std::initializer_list<QWidget*> widgets);

// A caption whose mnemonic moves the focus to `buddy`.
QLabel* BuddyLabel(const QString& text, QWidget* buddy);

// Removes commas from what is typed or pasted into a line edit and reports
// each refusal.
class TNameValidator : public QValidator {
public:
  explicit TNameValidator(std::function<void()> refused, QObject* parent = nullptr);
  State validate(QString& input, int& pos) const override;

private:
  std::function<void()> FRefused;
};

// A multi-line text box. Lines() counts as a user sees them: an empty text has
// no lines, and a line break at the very end does not start another line.
class TMemo : public QPlainTextEdit {
  Q_OBJECT
public:
  explicit TMemo(QWidget* parent = nullptr);

  QStringList Lines() const;
  // Replaces the text with the lines; the change signals stay quiet.
  void SetLines(const QStringList& lines);
  void SetText(const QString& text);

  // At most this many characters, a line break counting as two (0: no
  // limit); further typing or pasting is cut off.
  int MaxLength = 0;
  // Commas are refused (typed or pasted) and OnRefused is told.
  bool RefuseCommas = false;
  std::function<void()> OnRefused;

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

private:
  QString Admissible(QString text) const;
};

// The box naming a page's object: picking an entry emits `activated`, and
// a typed name is taken (NameEntered) on Enter or when the box is left for
// anything but its own list. The box neither picks nor inserts an entry
// itself when the user finishes typing.
class TNameBox : public QComboBox {
  Q_OBJECT
public:
  // With `refuseCommas`, commas are kept out of typed names (CommaRefused).
  TNameBox(const char* name, bool refuseCommas, QWidget* parent = nullptr);

  // Whether the text differs from the entry chosen in the list.
  bool Typed() const;

signals:
  void NameEntered();
  void CommaRefused();

protected:
  // The box has the focus and passes its events to the line edit directly,
  // so leaving and Enter are handled here.
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

class TCellDelegate;

// A string grid, addressed as the user counts its cells: column 0 holds the
// row labels (shown in the row header), and with a heading row, row 0 holds
// the column headings (shown in the column header) and the data starts at row
// 1. Rows are moved by dragging their header; the view is put back at once
// and RowMoved is emitted, so the owner decides what the move means.
class TEditGrid : public QTableWidget {
  Q_OBJECT
public:
  explicit TEditGrid(int headingRows, QWidget* parent = nullptr);

  const int HeadingRows;

  QString Text(int column, int row) const;
  // Sets a cell's text; the in-place editor follows when it shows that cell.
  void SetText(int column, int row, const QString& text);
  int Rows() const { return rowCount() + HeadingRows; }
  int Columns() const { return columnCount() + 1; }
  void SetRows(int rows) { setRowCount(qMax(rows - HeadingRows, 0)); }
  void SetColumns(int columns) { setColumnCount(qMax(columns - 1, 0)); }
  void SetColumnWidth(int column, int width);
  int ColumnWidth(int column) const;
  // The current cell, (-1, -1) when there is none.
  QPoint CurrentCell() const;
  void SetCurrentCell(int column, int row);
  // The rectangle of a cell in the grid's own coordinates.
  QRect CellRect(int column, int row) const;
  // Whether typing starts editing the current cell.
  void SetEditingByTyping(bool on);
  bool EditingByTyping() const { return FEditingByTyping; }
  // Whether a cell's in-place editor is open.
  bool Editing() const { return state() == EditingState; }
  // Marks a cell, or with column 0 a row label, as one whose value comes
  // from elsewhere: shown in italics and grey, with `note` as its tool tip.
  // An empty note takes the mark away.
  void SetMarked(int column, int row, const QString& note);
  bool Marked(int column, int row) const;
  // Widens the row labels to their longest text unless the user has sized
  // them by dragging their right edge; they never get narrower than the
  // default column width.
  void FitRowLabels();

  // The column whose cells are chosen from a list laid over them, not typed
  // (0: none): typing there asks for the list (ChoiceAsked) instead.
  void SetChoiceColumn(int column) { FChoiceColumn = column; }
  int ChoiceColumn() const { return FChoiceColumn; }
  // The cell of a model index.
  QPoint CellOf(const QModelIndex& index) const { return QPoint(index.column() + 1, index.row() + HeadingRows); }

  // Every signal names its cell as (column, row).
signals:
  // At every keystroke in a cell's in-place editor.
  void CellTextEdited(int column, int row, const QString& text);
  // When a cell's in-place editor closes, after its text went into the
  // cell; from inside the editor's key or focus handler, so a receiver must
  // not open a window.
  void CellEditEnded(int column, int row, const QString& text);
  // A cell's in-place editor opens; receivers set its limits and validators.
  void EditorOpened(int column, int row, QLineEdit* editor);
  // A cell was clicked, or the current cell moved by the keyboard.
  void CellChosen(int column, int row);
  void CellDblClicked(int column, int row);
  // A key with text was pressed on a cell of the choice column while no
  // cell was being edited.
  void ChoiceAsked(int column, int row);
  // A row was dragged from one place to another (the view stays as it was).
  void RowMoved(int from, int to);
  void FocusEntered();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
  // Sizing the row labels by their right edge.
  bool RowLabelEdgeEvent(QMouseEvent* event);
  // The one way the row labels' width changes, with the cells moved beside
  // them.
  void SetRowLabelWidth(int width);

  void SectionMoved(int logical, int oldVisual, int newVisual);
  QAbstractButton* Corner() const;
  // The item of a cell, a heading or a row label; nullptr when it has none.
  QTableWidgetItem* ItemAt(int column, int row) const;

  TCellDelegate* FDelegate = nullptr;
  QString FCornerText;
  bool FEditingByTyping = true;
  bool FMousePressing = false;
  bool FSizingRowLabels = false;
  bool FRowLabelsSized = false;
  int FChoiceColumn = 0;
};

// A list laid over a cell of a grid's choice column, whose values are
// chosen, not typed. It opens on a second click of a cell or a key typed on
// it; Enter and leaving it for another control end the choice (Left), Escape
// drops it and gives the grid the focus.
class TCellPicker : public QComboBox {
  Q_OBJECT
public:
  TCellPicker(TEditGrid& grid, const char* name);

  // The cell last clicked or opened, (column, row).
  QPoint Cell() const { return FCell; }
  // Hides the picker and puts its choice, if any, into its cell as `text`;
  // returns whether a choice went into a cell of the choice column.
  bool TakeChoice(QString& text);

signals:
  void Left();

protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void CellChosen(int column, int row);
  void Open(int column, int row);
  void Cancel();

  TEditGrid& FGrid;
  QPoint FCell{1, 1};
};

}  // namespace veska
