#include "reports/ReportText.h"

#include "platform/SafeFile.h"

namespace veska {

void WriteReportFile(const QString& fileName, const QString& text)
{
  try {
    WriteFileSafely(fileName, text.toUtf8());
  } catch (const TFileAccessError& e) {
    throw TReportFileError(
        QStringLiteral("Cannot write \"%1\": %2").arg(fileName, QString::fromStdString(e.what())).toStdString());
  }
}

}  // namespace veska
