// One libFuzzer target: the entry named VESKA_FUZZ_TARGET (see
// entries/FuzzEntries.h) gets every input. Built once per entry.

#include "FuzzEntries.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void (*Entry)(const QByteArray&) = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  for (const veska::fuzz::TTarget& target : veska::fuzz::Targets())
    if (std::strcmp(target.Name, VESKA_FUZZ_TARGET) == 0)
      Entry = target.Run;
  if (!Entry) {
    std::fprintf(stderr, "no fuzz entry named %s\n", VESKA_FUZZ_TARGET);
    std::abort();
  }
  // Entity boxes and labels are measured with Qt's font metrics, which need
  // an application; the offscreen platform needs no display. It lives for the
  // whole process.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "veska_fuzz";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  Entry(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  return 0;
}
