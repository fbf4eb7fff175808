// Writes the generated diagram of the benchmarks to a file, for timing the
// programs themselves on it:
//   veska_make_model ENTITIES OUT
//   /usr/bin/time veska-cli convert OUT copy.erd

#include "diagramfile/DiagramFile.h"
#include "platform/SafeFile.h"
#include "platform/TextMeasurer.h"
#include "testkit/LargeModel.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
  using namespace veska;
  QGuiApplication app(argc, argv);
  bool ok = false;
  const int entities = argc == 3 ? QString::fromLocal8Bit(argv[1]).toInt(&ok) : 0;
  if (!ok || entities <= 0) {
    std::fprintf(stderr, "usage: veska_make_model ENTITIES OUT\n");
    return 64;
  }
  testkit::TCollectingMessages messages;
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  surface.Clear();
  testkit::BuildLargeModel(surface, testkit::TModelSize::ForEntities(entities));
  QByteArray text;
  WriteDiagram(surface, text);
  try {
    WriteFileSafely(QString::fromLocal8Bit(argv[2]), text);
  } catch (const TFileAccessError& e) {
    std::fprintf(stderr, "veska_make_model: %s\n", e.what());
    return 3;
  }
  return 0;
}
