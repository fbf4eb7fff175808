#pragma once
// What the benchmark programs share: the sizes of the generated diagrams and
// the start of the program.

#include "platform/Allocator.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>
#include <vector>

namespace veska::bench {

// The generated diagrams' sizes, /entities:5000 to /entities:40000. With
// repetitions, the fastest of them is reported (`_min`) beside the median: on
// a shared machine it is the figure least disturbed by the other work.
inline void Sizes(benchmark::internal::Benchmark* b)
{
  b->ArgName("entities")->Arg(5000)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);
  b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

// Runs the benchmarks named on the command line inside a Qt application of
// type `TApplication` (text is measured with Qt's font metrics, which need
// one), on the offscreen platform unless the environment names another; no
// display is needed.
template <class TApplication>
int RunBenchmarks(int argc, char** argv)
{
  TuneAllocator();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace veska::bench
