// Every file of every fuzz target's corpus goes through the target's entry
// once more, so that a fault on a known input fails the tests (and the
// sanitizer build) without a fuzzer. An entry aborts on a fault; the file it
// was given is printed before it runs.

#include "FuzzEntries.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>

namespace veska::fuzz {

void PrintTo(const TTarget& target, std::ostream* out)
{
  *out << target.Name;
}

}  // namespace veska::fuzz

namespace {

using veska::fuzz::TTarget;

class CorpusReplay : public ::testing::TestWithParam<TTarget> {};

TEST_P(CorpusReplay, EveryFileIsHandledSoundly)
{
  const QDir corpus(QStringLiteral(VESKA_FUZZ_CORPUS "/") + QLatin1String(GetParam().Name));
  const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
  ASSERT_FALSE(files.isEmpty()) << "no corpus in " << qPrintable(corpus.path());
  for (const QString& name : files) {
    QFile file(corpus.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
    std::fprintf(stderr, "%s\n", qPrintable(file.fileName()));
    GetParam().Run(file.readAll());
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, ::testing::ValuesIn(veska::fuzz::Targets().begin(), veska::fuzz::Targets().end()),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
