#include "dialogs/EditorWidgets.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTextBlock>

namespace veska {

namespace {
constexpr int kDefaultColumnWidth = 72;
}  // namespace

void TabChain(std::initializer_list<QWidget*> widgets)
{
  QWidget* previous = nullptr;
  for (QWidget* w : widgets) {
    if (previous)
      QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy)
{
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  return label;
}

// ---- TNameValidator ------------------------------------------------------------------

TNameValidator::TNameValidator(std::function<void()> refused, QObject* parent)
    : QValidator(parent), FRefused(std::move(refused))
{
}

QValidator::State TNameValidator::validate(QString& input, int& pos) const
{
  if (!input.contains(kNameSeparator))
    return Acceptable;
  pos -= int(input.left(pos).count(kNameSeparator));
  input.remove(kNameSeparator);
  if (FRefused)
    FRefused();
  return Acceptable;
}

// ---- TNameBox -----------------------------------------------------------------------

TNameBox::TNameBox(const char* name, bool refuseCommas, QWidget* parent) : QComboBox(parent)
{
  setObjectName(QLatin1String(name));
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);
  setMaxVisibleItems(20);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  QLineEdit* line = lineEdit();
  disconnect(line, &QLineEdit::editingFinished, this, nullptr);
  disconnect(line, &QLineEdit::returnPressed, this, nullptr);
  if (refuseCommas)
    line->setValidator(new TNameValidator([this] { emit CommaRefused(); }, line));
}

bool TNameBox::Typed() const
{
  return currentText() != (currentIndex() >= 0 ? itemText(currentIndex()) : QString());
}

void TNameBox::focusOutEvent(QFocusEvent* event)
{
  if (event->reason() != Qt::PopupFocusReason)
    emit NameEntered();
  QComboBox::focusOutEvent(event);
}

void TNameBox::keyPressEvent(QKeyEvent* event)
{
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit NameEntered();
    return;
  }
  QComboBox::keyPressEvent(event);
}

// ---- TMemo ---------------------------------------------------------------------------

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent)
{
  setLineWrapMode(NoWrap);
  setTabChangesFocus(true);
}

QStringList TMemo::Lines() const
{
  const QString text = toPlainText();
  if (text.isEmpty())
    return {};
  QStringList lines = text.split(QLatin1Char('\n'));
  if (lines.last().isEmpty())
    lines.removeLast();
  return lines;
}

void TMemo::SetLines(const QStringList& lines)
{
  SetText(lines.join(QLatin1Char('\n')));
}

void TMemo::SetText(const QString& text)
{
  const QSignalBlocker block(this);
  setPlainText(text);
}

QString TMemo::Admissible(QString text) const
{
  if (RefuseCommas && text.contains(kNameSeparator)) {
    text.remove(kNameSeparator);
    if (OnRefused)
      OnRefused();
  }
  if (MaxLength > 0) {
    // A line break is stored as CR LF: two characters.
    const auto length = [](const QString& t) {
      return t.size() + t.count(QLatin1Char('\n')) + t.count(QChar::ParagraphSeparator);
    };
    qsizetype room = MaxLength - (length(toPlainText()) - length(textCursor().selectedText()));
    qsizetype keep = 0;
    for (; keep < text.size(); ++keep) {
      room -= text.at(keep) == QLatin1Char('\n') ? 2 : 1;
      if (room < 0)
        break;
    }
    text.truncate(keep);
  }
  return text;
}

void TMemo::keyPressEvent(QKeyEvent* event)
{
  const QString text = event->text();
  const bool typing = !text.isEmpty() && text.at(0).isPrint();
  const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if ((typing || newLine) && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    const QString admitted = Admissible(newLine ? QStringLiteral("\n") : text);
    if (admitted.isEmpty()) {
      event->accept();
      return;
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TMemo::insertFromMimeData(const QMimeData* source)
{
  if (!source || !source->hasText())
    return;
  QString text = source->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  insertPlainText(Admissible(text));
}

// ---- TCellDelegate -------------------------------------------------------------------

// The grid's in-place editor: a line edit that reports each change of its
// text, and that is refreshed from the cell only when the cell's text really
// differs (so a refresh does not move the caret while the user types).
class TCellDelegate : public QStyledItemDelegate {
public:
  explicit TCellDelegate(TEditGrid& grid) : QStyledItemDelegate(&grid), FGrid(grid) {}

  // The editor open now and the cell it edits.
  mutable QPointer<QLineEdit> Editor;
  mutable QPersistentModelIndex EditorIndex;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
  {
    const QPoint cell = FGrid.CellOf(index);
    if (cell.x() == FGrid.ChoiceColumn())
      return nullptr;
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    emit FGrid.EditorOpened(cell.x(), cell.y(), editor);
    Editor = editor;
    EditorIndex = index;
    TEditGrid* grid = &FGrid;
    connect(editor, &QLineEdit::textEdited, grid,
            [grid, cell](const QString& text) { emit grid->CellTextEdited(cell.x(), cell.y(), text); });
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override
  {
    auto* line = qobject_cast<QLineEdit*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (line && line->text() != text)
      line->setText(text);
  }

private:
  TEditGrid& FGrid;
};

// ---- TEditGrid -----------------------------------------------------------------------

TEditGrid::TEditGrid(int headingRows, QWidget* parent) : QTableWidget(parent), HeadingRows(headingRows)
{
  FDelegate = new TCellDelegate(*this);
  setItemDelegate(FDelegate);
  setSelectionMode(SingleSelection);
  setSelectionBehavior(SelectItems);
  setTabKeyNavigation(false);
  horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setVisible(HeadingRows > 0);
  verticalHeader()->setDefaultSectionSize(20);
  verticalHeader()->setMinimumSectionSize(20);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  SetRowLabelWidth(kDefaultColumnWidth);
  verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  verticalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionsMovable(true);
  connect(verticalHeader(), &QHeaderView::sectionMoved, this, &TEditGrid::SectionMoved);
  SetEditingByTyping(true);
  connect(this, &QTableWidget::cellClicked, this,
          [this](int row, int column) { emit CellChosen(column + 1, row + HeadingRows); });
  connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
    // A mouse press reports its click on release.
    if (!FMousePressing && row >= 0 && column >= 0)
      emit CellChosen(column + 1, row + HeadingRows);
  });
  connect(this, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int column) { emit CellDblClicked(column + 1, row + HeadingRows); });
  if (QAbstractButton* corner = Corner())
    corner->installEventFilter(this);
  verticalHeader()->viewport()->setMouseTracking(true);
  verticalHeader()->viewport()->installEventFilter(this);
}

QAbstractButton* TEditGrid::Corner() const
{
  return findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
}

QTableWidgetItem* TEditGrid::ItemAt(int column, int row) const
{
  if (row < HeadingRows)
    return horizontalHeaderItem(column - 1);
  if (column == 0)
    return verticalHeaderItem(row - HeadingRows);
  return item(row - HeadingRows, column - 1);
}

QString TEditGrid::Text(int column, int row) const
{
  if (column == 0 && row < HeadingRows)
    return FCornerText;
  const QTableWidgetItem* it = ItemAt(column, row);
  return it ? it->text() : QString();
}

void TEditGrid::SetText(int column, int row, const QString& text)
{
  if (column == 0 && row < HeadingRows) {
    FCornerText = text;
    if (QAbstractButton* corner = Corner())
      corner->update();
    return;
  }
  QTableWidgetItem* it = ItemAt(column, row);
  if (it) {
    if (it->text() != text)
      it->setText(text);
    // A cell set back while the user types in it shows the value at once.
    if (row >= HeadingRows && column > 0 && FDelegate->Editor &&
        FDelegate->EditorIndex == model()->index(row - HeadingRows, column - 1) && FDelegate->Editor->text() != text)
      FDelegate->Editor->setText(text);
    return;
  }
  it = new QTableWidgetItem(text);
  if (row < HeadingRows)
    setHorizontalHeaderItem(column - 1, it);
  else if (column == 0)
    setVerticalHeaderItem(row - HeadingRows, it);
  else
    setItem(row - HeadingRows, column - 1, it);
}

void TEditGrid::SetColumnWidth(int column, int width)
{
  if (column == 0)
    SetRowLabelWidth(width);
  else
    setColumnWidth(column - 1, width);
}

int TEditGrid::ColumnWidth(int column) const
{
  return column == 0 ? verticalHeader()->width() : columnWidth(column - 1);
}

QPoint TEditGrid::CurrentCell() const
{
  if (currentRow() < 0 || currentColumn() < 0)
    return QPoint(-1, -1);
  return QPoint(currentColumn() + 1, currentRow() + HeadingRows);
}

void TEditGrid::SetCurrentCell(int column, int row)
{
  setCurrentCell(row - HeadingRows, column - 1);
}

QRect TEditGrid::CellRect(int column, int row) const
{
  const QRect r = visualRect(model()->index(row - HeadingRows, column - 1));
  return r.translated(viewport()->pos());
}

void TEditGrid::SetEditingByTyping(bool on)
{
  FEditingByTyping = on;
  setEditTriggers(on ? (AnyKeyPressed | EditKeyPressed | SelectedClicked) : NoEditTriggers);
}

void TEditGrid::mousePressEvent(QMouseEvent* event)
{
  FMousePressing = true;
  QTableWidget::mousePressEvent(event);
  FMousePressing = false;
}

void TEditGrid::keyPressEvent(QKeyEvent* event)
{
  const QPoint cell = CurrentCell();
  if (state() != EditingState && FChoiceColumn > 0 && cell.x() == FChoiceColumn && !event->text().isEmpty() &&
      event->key() != Qt::Key_Escape && event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab) {
    emit ChoiceAsked(cell.x(), cell.y());
    return;
  }
  QTableWidget::keyPressEvent(event);
}

void TEditGrid::focusInEvent(QFocusEvent* event)
{
  QTableWidget::focusInEvent(event);
  emit FocusEntered();
}

bool TEditGrid::eventFilter(QObject* watched, QEvent* event)
{
  if (watched == verticalHeader()->viewport() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
       event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick))
    return RowLabelEdgeEvent(static_cast<QMouseEvent*>(event));
  if (watched == Corner() && event->type() == QEvent::Paint && !FCornerText.isEmpty()) {
    auto* corner = static_cast<QWidget*>(watched);
    QPainter painter(corner);
    QStyleOptionHeader option;
    option.initFrom(corner);
    option.rect = corner->rect();
    option.text = FCornerText;
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
    return true;
  }
  return QTableWidget::eventFilter(watched, event);
}

void TEditGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
  const QPersistentModelIndex index = editor == FDelegate->Editor ? FDelegate->EditorIndex : QPersistentModelIndex();
  QTableWidget::closeEditor(editor, hint);
  if (index.isValid()) {
    const QPoint cell = CellOf(index);
    emit CellEditEnded(cell.x(), cell.y(), Text(cell.x(), cell.y()));
  }
}

void TEditGrid::SetMarked(int column, int row, const QString& note)
{
  QTableWidgetItem* it = ItemAt(column, row);
  if (!it) {
    if (note.isEmpty())
      return;
    SetText(column, row, QString());
    it = ItemAt(column, row);
    if (!it)
      return;
  }
  QFont font = it->font();
  font.setItalic(!note.isEmpty());
  it->setFont(font);
  it->setForeground(note.isEmpty() ? QBrush() : palette().brush(QPalette::Disabled, QPalette::Text));
  it->setToolTip(note);
}

bool TEditGrid::Marked(int column, int row) const
{
  const QTableWidgetItem* it = ItemAt(column, row);
  return it && !it->toolTip().isEmpty();
}

void TEditGrid::FitRowLabels()
{
  if (FRowLabelsSized)
    return;
  // Room for the header's own margins around the text.
  constexpr int kPadding = 16;
  int width = kDefaultColumnWidth;
  for (int r = 0; r < rowCount(); ++r)
    if (const QTableWidgetItem* it = verticalHeaderItem(r))
      width = qMax(width, QFontMetrics(it->font()).horizontalAdvance(it->text()) + kPadding);
  width = qMax(width, fontMetrics().horizontalAdvance(FCornerText) + kPadding);
  SetRowLabelWidth(width);
}

bool TEditGrid::RowLabelEdgeEvent(QMouseEvent* event)
{
  constexpr int kEdge = 4;
  constexpr int kNarrowest = 20;
  QWidget* labels = verticalHeader()->viewport();
  const int x = int(event->position().x());
  const bool onEdge = x >= labels->width() - kEdge;
  switch (event->type()) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonDblClick:
    if (event->button() != Qt::LeftButton || !onEdge)
      return false;
    FSizingRowLabels = true;
    return true;
  case QEvent::MouseMove:
    if (FSizingRowLabels) {
      SetRowLabelWidth(qMax(kNarrowest, x));
      FRowLabelsSized = true;
      return true;
    }
    if (onEdge)
      labels->setCursor(Qt::SplitHCursor);
    else
      labels->unsetCursor();
    return false;
  default:
    if (!FSizingRowLabels)
      return false;
    FSizingRowLabels = false;
    return true;
  }
}

void TEditGrid::SetRowLabelWidth(int width)
{
  verticalHeader()->setFixedWidth(width);
  // The cells start right of the row labels: the view lays itself out anew
  // only when told, and until then the wider labels would cover the first
  // columns.
  updateGeometries();
}

void TEditGrid::SectionMoved(int, int oldVisual, int newVisual)
{
  {
    const QSignalBlocker block(verticalHeader());
    verticalHeader()->moveSection(newVisual, oldVisual);
  }
  emit RowMoved(oldVisual + HeadingRows, newVisual + HeadingRows);
}

// ---- TCellPicker ---------------------------------------------------------------------

TCellPicker::TCellPicker(TEditGrid& grid, const char* name) : QComboBox(&grid), FGrid(grid)
{
  setObjectName(QLatin1String(name));
  setMaxVisibleItems(16);
  hide();
  connect(&grid, &TEditGrid::CellChosen, this, &TCellPicker::CellChosen);
  connect(&grid, &TEditGrid::ChoiceAsked, this, &TCellPicker::Open);
  connect(&grid, &TEditGrid::FocusEntered, this, [this] {
    hide();
    FGrid.setFocusPolicy(Qt::StrongFocus);
  });
}

void TCellPicker::CellChosen(int column, int row)
{
  const QPoint cell(column, row);
  if (column == FGrid.ChoiceColumn()) {
    FGrid.SetEditingByTyping(false);
    if (cell == FCell)
      Open(column, row);
  } else {
    FGrid.SetEditingByTyping(true);
  }
  FCell = cell;
}

void TCellPicker::Open(int column, int row)
{
  if (row < FGrid.HeadingRows || row >= FGrid.Rows())
    return;
  setGeometry(FGrid.CellRect(column, row));
  setCurrentIndex(findText(FGrid.Text(column, row), Qt::MatchFixedString));
  show();
  raise();
  setFocus(Qt::OtherFocusReason);
}

void TCellPicker::Cancel()
{
  // Giving the grid the focus takes it from the picker: that is no choice.
  const QSignalBlocker quiet(this);
  FGrid.setFocusPolicy(Qt::StrongFocus);
  FGrid.setFocus();
  hide();
}

bool TCellPicker::TakeChoice(QString& text)
{
  hide();
  // Nothing chosen (the cell held a value the list does not know): the cell
  // keeps its value.
  if (currentIndex() < 0)
    return false;
  text = currentText();
  FGrid.SetText(FCell.x(), FCell.y(), text);
  return FCell.x() == FGrid.ChoiceColumn();
}

void TCellPicker::focusInEvent(QFocusEvent* event)
{
  // Tab leaves the picker for the next control, not for the grid.
  FGrid.setFocusPolicy(Qt::ClickFocus);
  QComboBox::focusInEvent(event);
}

void TCellPicker::focusOutEvent(QFocusEvent* event)
{
  if (event->reason() != Qt::PopupFocusReason)
    emit Left();
  QComboBox::focusOutEvent(event);
}

void TCellPicker::keyPressEvent(QKeyEvent* event)
{
  switch (event->key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter:
    FGrid.setFocusPolicy(Qt::StrongFocus);
    FGrid.setFocus();
    hide();
    return;
  case Qt::Key_Escape: Cancel(); return;
  default: QComboBox::keyPressEvent(event);
  }
}

}  // namespace veska
