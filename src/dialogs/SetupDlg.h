#pragma once
// The diagram set-up dialog: the diagram's name, its size in inches and the
// corner of its name box. The caller fills DiagramWidthPixels,
// DiagramHeightPixels, DisplayLocation and the DiagramName box, shows the
// dialog modally and, on OK, reads them back.
//
// Sizes are shown in inches with two decimals at the pixels per inch given
// to the constructor. A typed size sets the pixels at once when it is a
// number above 0 and at most 32767 pixels. Any other text puts the last valid
// size back at once, without a message, except a size still being typed (one
// that another digit at its end would make valid, such as "" or "0."): it
// stands until the box is left, and then gives way to the last valid size.

#include "model/Types.h"

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace veska {

class TSetupDlg : public QDialog {
  Q_OBJECT
public:
  explicit TSetupDlg(int pixelsPerInch, QWidget* parent = nullptr);

  int DiagramWidthPixels = 0;
  int DiagramHeightPixels = 0;
  TDisplayLocation DisplayLocation = TDisplayLocation::BottomRight;

  QLineEdit* DiagramName = nullptr;
  QLineEdit* DiagramWidth = nullptr;
  QLineEdit* DiagramHeight = nullptr;
  QGroupBox* DisplayLocationRadioGroup = nullptr;
  QButtonGroup* DisplayLocationButtons = nullptr;  // ids: the TDisplayLocation members
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

  int PixelsPerInch() const { return FPixelsPerInch; }

  // Shows the fields: the sizes in inches and the name box's corner. Runs
  // each time the dialog is shown.
  void FormShow();
  void DiagramWidthChange();
  void DiagramHeightChange();
  void DisplayLocationRadioGroupClick(int id);

  // Pixels as inches with two decimals.
  QString InchesText(int pixels) const;
  // The pixels of a typed size in inches, or -1 when it is not a number
  // above 0 of at most 32767 pixels.
  int PixelsOfText(const QString& text) const;

protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void SizeChange(QLineEdit* box, int& pixels);
  // Sets the box to the size without taking the shown text as input.
  void ShowSize(QLineEdit* box, int pixels);
  bool SizeValid(QLineEdit* box, int pixels) const;
  // A text that is no size yet but becomes one with another digit typed at
  // its end.
  bool SizeUnfinished(const QString& text) const;

  int FPixelsPerInch;
  bool FShowing = false;  // texts set by the dialog itself are not user input
};

}  // namespace veska
