#include "platform/MessageService.h"

namespace veska {

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

}  // namespace veska
