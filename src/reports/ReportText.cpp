#include "reports/ReportText.h"

#include <QFile>

namespace veska {

void WriteReportFile(const QString& fileName, const QString& text)
{
  QFile file(fileName);
  const QByteArray bytes = text.toUtf8();
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
    throw TReportFileError(QStringLiteral("Cannot write \"%1\": %2").arg(fileName, file.errorString()).toStdString());
}

}  // namespace veska
