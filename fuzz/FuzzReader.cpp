// Feeds arbitrary bytes to the diagram reader. Every input must end as a
// diagram, "not a diagram" or "corrupted", never in a crash, a hang, an
// escaping exception or a sanitizer report; whatever was read must leave the
// model's links whole, and the file written from it must read back whole to
// the same model.

#include "diagramfile/DiagramFile.h"
#include "model/Integrity.h"
#include "platform/TextMeasurer.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Takes every message with the first button offered.
class TQuietMessages final : public veska::TMessageService {
public:
  veska::TMsgButton Show(veska::TMsgDlgType, const QString&, int buttons) override
  {
    for (int b = 1; b <= veska::mbRetry; b <<= 1)
      if (buttons & b)
        return static_cast<veska::TMsgButton>(b);
    return veska::mbOK;
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  // Entity boxes and labels are measured with Qt's font metrics, which need
  // an application; the offscreen platform needs no display. It lives for the
  // whole process.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "veska_fuzz_reader";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  using namespace veska;
  TQuietMessages messages;
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  surface.Clear();

  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const TLoadResult result = LoadDiagramBytes(surface, bytes);
  switch (result) {
  case TLoadResult::Loaded:
  case TLoadResult::NotADiagram:
  case TLoadResult::Corrupted:
    break;
  default:
    std::abort();
  }
  const QStringList problems = CheckIntegrity(surface);
  if (!problems.isEmpty()) {
    for (const QString& p : problems)
      std::fprintf(stderr, "integrity: %s\n", qPrintable(p));
    std::abort();
  }

  QByteArray written;
  WriteDiagram(surface, written);
  if (result == TLoadResult::NotADiagram && !surface.Entities.IsEmpty())
    std::abort();  // a rejected file must not have added anything

  // Whatever was read, the file written from it reads back whole to the
  // same model: written again, it gives the same bytes.
  TDrawingSurface again(messages, TQtTextMeasurer::Instance());
  again.Clear();
  if (LoadDiagramBytes(again, written) != TLoadResult::Loaded) {
    std::fprintf(stderr, "the written diagram does not read back whole\n");
    std::abort();
  }
  QByteArray rewritten;
  WriteDiagram(again, rewritten);
  if (rewritten != written) {
    std::fprintf(stderr, "the written diagram reads back to another model\n");
    std::abort();
  }
  return 0;
}
