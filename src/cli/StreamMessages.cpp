#include "cli/StreamMessages.h"

namespace veska {

TMsgButton TStreamMessages::Show(TMsgDlgType type, const QString& text, int buttons)
{
  QString line = MessageTypeWord(type) + QStringLiteral(": ") + text;
  line.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
  std::fprintf(FStream, "%s\n", line.toUtf8().constData());
  std::fflush(FStream);
  for (int b = mbOK; b <= mbRetry; b <<= 1)
    if (buttons & b)
      return static_cast<TMsgButton>(b);
  return mbOK;
}

}  // namespace veska
