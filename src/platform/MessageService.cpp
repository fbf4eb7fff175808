#include "platform/MessageService.h"

#include <QtGlobal>

#include <cstdio>

namespace veska {

QString OutOfMemoryMessage()
{
  return QStringLiteral("Out of memory: the command was stopped. Files are as they were before it.");
}

QString MessageTypeWord(TMsgDlgType type)
{
  switch (type) {
  case TMsgDlgType::mtError: return QStringLiteral("error");
  case TMsgDlgType::mtInformation: return QStringLiteral("information");
  case TMsgDlgType::mtConfirmation: return QStringLiteral("confirmation");
  case TMsgDlgType::mtWarning: return QStringLiteral("warning");
  }
  return QStringLiteral("error");
}

void QuietQtWarnings()
{
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  });
}

}  // namespace veska
