#pragma once
// Controls of the objects editor that behave differently from Qt's own: a
// memo that reports its lines the way the editor counts them and can refuse
// characters, a validator that keeps commas out of names, and a grid whose
// in-place editor reports every keystroke.

#include <QPersistentModelIndex>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStyledItemDelegate>
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

// The grid's in-place editor: a line edit that reports each change of its
// text, and that is refreshed from the cell only when the cell's text really
// differs (so a refresh does not move the caret while the user types).
class TCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // Called with (Qt row, Qt column, text) at every keystroke.
  std::function<void(int, int, const QString&)> OnEditText;
  // Returns whether the cell may be edited by typing.
  std::function<bool(int, int)> CanEdit;
  // Configures the line edit of a cell (limits, validators).
  std::function<void(int, int, QLineEdit&)> PrepareEditor;

  // The editor open now and the cell it edits.
  mutable QPointer<QLineEdit> Editor;
  mutable QPersistentModelIndex EditorIndex;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
};

// A string grid, addressed as the user counts its cells: column 0 holds the
// row labels (shown in the row header), and with a heading row, row 0 holds
// the column headings (shown in the column header) and the data starts at row
// 1. Rows are moved by dragging their header; the view is put back at once
// and OnRowMoved is called, so the owner decides what the move means.
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

  // Called with (column, row, text) at every keystroke in a cell.
  std::function<void(int, int, const QString&)> OnEditText;
  // Called with (column, row, text) when a cell's in-place editor closes,
  // after its text went into the cell; from inside the editor's key or focus
  // handler, so it must not open a window.
  std::function<void(int, int, const QString&)> OnEditEnd;
  // Whether a cell may be edited by typing at all.
  std::function<bool(int, int)> CanEdit;
  // Configures the line edit of a cell (limits, validators).
  std::function<void(int, int, QLineEdit&)> PrepareEditor;
  // (from row, to row)
  std::function<void(int, int)> OnRowMoved;
  // A cell was clicked, or the current cell moved by the keyboard.
  std::function<void(int, int)> OnCellClick;
  std::function<void(int, int)> OnDblClick;
  // A key with text was pressed while no cell was being edited; returns
  // whether the key was used.
  std::function<bool(QKeyEvent*)> OnKeyPress;
  std::function<void()> OnEnter;

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
};

}  // namespace veska
