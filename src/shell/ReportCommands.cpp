#include "shell/ReportCommands.h"

#include "dialogs/ShowReportDlg.h"
#include "platform/MessageService.h"
#include "reports/ReportText.h"
#include "shell/FileDialogs.h"

#include <QFileInfo>

namespace veska {

void SaveAndShowReport(const QString& title, const QString& filter, QString& fileName, TFileDialogs& fileDialogs,
                       TMessageService& messages, TShowReportDlg& display,
                       const std::function<void(const QString&)>& write)
{
  const QString chosen = fileDialogs.SaveFileName(title, filter, fileName);
  if (chosen.isEmpty())
    return;
  fileName = chosen;
  try {
    write(chosen);
  } catch (const TReportFileError& e) {
    messages.Error(QString::fromStdString(e.what()));
    return;
  }
  if (!display.LoadReport(chosen)) {
    messages.Information(QStringLiteral("Report Saved to ") + QFileInfo(chosen).absoluteFilePath());
    return;
  }
  display.exec();
}

}  // namespace veska
