#pragma once
// The reopen dialog: the list of recently saved diagrams, the most recent
// first. The list is read from the settings when the dialog is created and
// written back when it is destroyed; in between it lives in MRUList.

#include "platform/MessageService.h"
#include "shell/Settings.h"

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace veska {

class TReOpenDlg : public QDialog {
  Q_OBJECT
public:
  // `messages`, when given, reports a failure to write the list back.
  TReOpenDlg(TSettings& settings, QWidget* parent = nullptr, TMessageService* messages = nullptr);
  ~TReOpenDlg() override;

  QListWidget* MRUList = nullptr;
  QPushButton* OpenBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  int MaxFiles = 10;

  // Puts the file at the top of the list: an entry equal to it (letter case
  // ignored) moves there, else it is inserted and the list cut to MaxFiles.
  // The top entry becomes the selected one.
  void AddFile(const QString& fileName);
  // The selected entry's text; empty when none is selected.
  QString GetSelected() const;
  // The entries in list order.
  QStringList Files() const;

private:
  TSettings& FSettings;
  TMessageService* FMessages;
  QStringList FRead;  // the list as read, to write only a changed list
};

}  // namespace veska
