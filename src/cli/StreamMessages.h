#pragma once
// The message seam of the command-line companion: every message goes to a
// text stream (standard error) as one line "error: ...", "information: ..."
// or "confirmation: ...". Questions are answered with the first button
// offered.

#include "platform/MessageService.h"

#include <cstdio>

namespace veska {

class TStreamMessages final : public TMessageService {
public:
  explicit TStreamMessages(std::FILE* stream) : FStream(stream) {}
  TMsgButton Show(TMsgDlgType type, const QString& text, int buttons) override;

private:
  std::FILE* FStream;
};

}  // namespace veska
