#include "formresource/FormStream.h"

namespace veska {

TFormTextError::TFormTextError(int line, const QString& message)
    : std::runtime_error(message.toStdString()), FLine(line)
{
}

namespace formstream {

TDepthGuard::TDepthGuard(int& depth, int line) : FDepth(depth)
{
  if (++FDepth > MaxDepth) {
    --FDepth;
    throw TFormTextError(line, QStringLiteral("The form is nested too deeply"));
  }
}

}  // namespace formstream
}  // namespace veska
