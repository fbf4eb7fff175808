#include "dialogs/SetupDlg.h"

#include "dialogs/DialogButtons.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace veska {
namespace {

constexpr int kMaxPixels = 32767;

double ParseNumber(const QString& text, bool* ok)
{
  // A point is always a decimal point; the user's own decimal comma works
  // too. Group separators are refused so that "12,5" never reads as 125.
  QLocale c = QLocale::c();
  c.setNumberOptions(QLocale::RejectGroupSeparator);
  double value = c.toDouble(text.trimmed(), ok);
  if (!*ok) {
    QLocale user;
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    value = user.toDouble(text.trimmed(), ok);
  }
  return value;
}

}  // namespace

TSetupDlg::TSetupDlg(int pixelsPerInch, QWidget* parent)
  : QDialog(parent), FPixelsPerInch(pixelsPerInch > 0 ? pixelsPerInch : 96)
{
  setWindowTitle(QStringLiteral("Veska - Diagram Setup"));

  DiagramName = new QLineEdit(this);
  DiagramName->setObjectName(QStringLiteral("DiagramName"));
  DiagramWidth = new QLineEdit(this);
  DiagramWidth->setObjectName(QStringLiteral("DiagramWidth"));
  DiagramHeight = new QLineEdit(this);
  DiagramHeight->setObjectName(QStringLiteral("DiagramHeight"));
  for (QLineEdit* box : {DiagramWidth, DiagramHeight})
    box->installEventFilter(this);

  DisplayLocationRadioGroup = new QGroupBox(QStringLiteral("Display location"), this);
  DisplayLocationRadioGroup->setObjectName(QStringLiteral("DisplayLocationRadioGroup"));
  DisplayLocationButtons = new QButtonGroup(this);
  auto* radios = new QGridLayout(DisplayLocationRadioGroup);
  // Two columns, filled column by column.
  const QString captions[4] = {QStringLiteral("&TopLeft"), QStringLiteral("&BottomLeft"),
                               QStringLiteral("Top&Right"), QStringLiteral("BottomR&ight")};
  for (int id = 0; id < 4; ++id) {
    auto* radio = new QRadioButton(captions[id], DisplayLocationRadioGroup);
    DisplayLocationButtons->addButton(radio, id);
    radios->addWidget(radio, id % 2, id / 2);
  }

  const TDialogButtons buttons = MakeDialogButtons(this, QStringLiteral("zoom.html"));
  OKBtn = buttons.OK;
  CancelBtn = buttons.Cancel;
  HelpBtn = buttons.Help;

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Name"), DiagramName);
  form->addRow(QStringLiteral("Diagram &Width (Inches)"), DiagramWidth);
  form->addRow(QStringLiteral("&Height"), DiagramHeight);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(DisplayLocationRadioGroup);
  layout->addWidget(buttons.Box);

  setTabOrder(DiagramName, DiagramWidth);
  setTabOrder(DiagramWidth, DiagramHeight);
  QWidget* previous = DiagramHeight;
  for (QAbstractButton* radio : DisplayLocationButtons->buttons()) {
    setTabOrder(previous, radio);
    previous = radio;
  }
  setTabOrder(previous, OKBtn);
  setTabOrder(OKBtn, CancelBtn);

  connect(DiagramWidth, &QLineEdit::textChanged, this, [this] { DiagramWidthChange(); });
  connect(DiagramHeight, &QLineEdit::textChanged, this, [this] { DiagramHeightChange(); });
  connect(DisplayLocationButtons, &QButtonGroup::idClicked, this, [this](int id) { DisplayLocationRadioGroupClick(id); });
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

QString TSetupDlg::InchesText(int pixels) const
{
  return QString::number(static_cast<double>(pixels) / FPixelsPerInch, 'f', 2);
}

int TSetupDlg::PixelsOfText(const QString& text) const
{
  bool ok = false;
  const double inches = ParseNumber(text, &ok);
  if (!ok || !(inches > 0) || !(inches <= static_cast<double>(kMaxPixels) / FPixelsPerInch))
    return -1;
  // The fraction is cut off; the small allowance keeps sizes such as 2.55
  // inches at 100 pixels per inch from losing a pixel to binary rounding.
  const int pixels = static_cast<int>(std::floor(inches * FPixelsPerInch + 1e-9));
  return pixels >= 1 ? std::min(pixels, kMaxPixels) : -1;
}

void TSetupDlg::FormShow()
{
  // Showing the sizes must not change them: two decimals of an inch are
  // coarser than a pixel.
  ShowSize(DiagramWidth, DiagramWidthPixels);
  ShowSize(DiagramHeight, DiagramHeightPixels);
  if (QAbstractButton* radio = DisplayLocationButtons->button(static_cast<int>(DisplayLocation)))
    radio->setChecked(true);
}

void TSetupDlg::showEvent(QShowEvent* event)
{
  FormShow();
  QDialog::showEvent(event);
}

void TSetupDlg::ShowSize(QLineEdit* box, int pixels)
{
  FShowing = true;
  box->setText(InchesText(pixels));
  FShowing = false;
}

bool TSetupDlg::SizeValid(QLineEdit* box, int pixels) const
{
  // The size the dialog was given stands as it is, even outside the range a
  // user may type.
  return PixelsOfText(box->text()) >= 0 || box->text() == InchesText(pixels);
}

bool TSetupDlg::SizeUnfinished(const QString& text) const
{
  return PixelsOfText(text.trimmed() + QLatin1Char('1')) >= 0;
}

void TSetupDlg::SizeChange(QLineEdit* box, int& pixels)
{
  if (FShowing)
    return;
  const int typed = PixelsOfText(box->text());
  if (typed >= 0)
    pixels = typed;
  else if (!SizeUnfinished(box->text()))
    ShowSize(box, pixels);
}

void TSetupDlg::DiagramWidthChange()
{
  SizeChange(DiagramWidth, DiagramWidthPixels);
}

void TSetupDlg::DiagramHeightChange()
{
  SizeChange(DiagramHeight, DiagramHeightPixels);
}

void TSetupDlg::DisplayLocationRadioGroupClick(int id)
{
  if (id >= 0 && id <= static_cast<int>(TDisplayLocation::BottomRight))
    DisplayLocation = static_cast<TDisplayLocation>(id);
}

bool TSetupDlg::eventFilter(QObject* watched, QEvent* event)
{
  // Leaving a size box that holds a size still being typed puts the last
  // valid one back.
  if (event->type() == QEvent::FocusOut) {
    if (watched == DiagramWidth && !SizeValid(DiagramWidth, DiagramWidthPixels))
      ShowSize(DiagramWidth, DiagramWidthPixels);
    else if (watched == DiagramHeight && !SizeValid(DiagramHeight, DiagramHeightPixels))
      ShowSize(DiagramHeight, DiagramHeightPixels);
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace veska
