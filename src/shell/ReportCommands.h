#pragma once
// What the Report menu's commands do once their options dialog closed with
// OK: ask for the report's file name, write the report, and show the file in
// the report display. Includes the dialogs of those commands.

#include "dialogs/ReportDlg.h"
#include "dialogs/ShowReportDlg.h"
#include "dialogs/ValidateDlg.h"

#include <QString>

#include <functional>

namespace veska {

class TFileDialogs;
class TMessageService;

// Asks for the file name (proposing `fileName`, the one chosen last, which
// it updates), then `write`s the report to it and shows it in `display`. A
// cancelled file dialog does nothing; a file that cannot be written is
// reported as an error and not shown; a file that cannot be shown is
// reported as "Report Saved to " + its full name.
void SaveAndShowReport(const QString& title, const QString& filter, QString& fileName, TFileDialogs& fileDialogs,
                       TMessageService& messages, TShowReportDlg& display,
                       const std::function<void(const QString&)>& write);

}  // namespace veska
