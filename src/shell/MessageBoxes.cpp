#include "shell/MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <utility>

namespace veska {

namespace {

const std::array<std::pair<TMsgButton, QMessageBox::StandardButton>, 7> kButtons{{
    {mbYes, QMessageBox::Yes},
    {mbNo, QMessageBox::No},
    {mbOK, QMessageBox::Ok},
    {mbCancel, QMessageBox::Cancel},
    {mbAbort, QMessageBox::Abort},
    {mbRetry, QMessageBox::Retry},
    {mbIgnore, QMessageBox::Ignore},
}};

}  // namespace

TMsgButton TMessageBoxes::Show(TMsgDlgType type, const QString& text, int buttons)
{
  QMessageBox::Icon icon = QMessageBox::Information;
  QString title = QStringLiteral("Information");
  switch (type) {
  case TMsgDlgType::mtError:
    icon = QMessageBox::Critical;
    title = QStringLiteral("Error");
    break;
  case TMsgDlgType::mtWarning:
    icon = QMessageBox::Warning;
    title = QStringLiteral("Warning");
    break;
  case TMsgDlgType::mtConfirmation:
    icon = QMessageBox::Question;
    title = QStringLiteral("Confirm");
    break;
  case TMsgDlgType::mtInformation:
    break;
  }

  QMessageBox box(icon, title, text, QMessageBox::NoButton, FParent);
  // Abort and Ignore come in the order named. As standard buttons their
  // roles differ, and the style's layout would put Ignore first; as action
  // buttons they keep the order they are added in.
  const bool abortIgnore = (buttons & mbAbort) && (buttons & mbIgnore);
  QAbstractButton* abort = nullptr;
  QAbstractButton* ignore = nullptr;
  for (const auto& [flag, standard] : kButtons) {
    if (!(buttons & flag))
      continue;
    if (abortIgnore && flag == mbAbort)
      abort = box.addButton(QStringLiteral("&Abort"), QMessageBox::ActionRole);
    else if (abortIgnore && flag == mbIgnore)
      ignore = box.addButton(QStringLiteral("&Ignore"), QMessageBox::ActionRole);
    else
      box.addButton(standard);
  }
  if (box.buttons().isEmpty())
    box.addButton(QMessageBox::Ok);
  box.exec();

  QAbstractButton* clicked = box.clickedButton();
  if (clicked && clicked == abort)
    return mbAbort;
  if (clicked && clicked == ignore)
    return mbIgnore;
  const QMessageBox::StandardButton chosen = clicked ? box.standardButton(clicked) : QMessageBox::NoButton;
  for (const auto& [flag, standard] : kButtons)
    if (standard == chosen)
      return flag;
  // Closed with Escape or the close button: the gentlest choice offered.
  if (buttons & mbCancel)
    return mbCancel;
  if (buttons & mbNo)
    return mbNo;
  return mbOK;
}

}  // namespace veska
