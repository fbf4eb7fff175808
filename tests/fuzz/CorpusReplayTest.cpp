// Every file of every fuzz target's corpus goes through the target's entry
// once more, so that a fault on a known input fails the tests (and the
// sanitizer build) without a fuzzer. An entry aborts on a fault; the file it
// was given is printed before it runs.

#include "FuzzEntries.h"

#include "engine/TableEngine.h"
#include "formresource/FormResource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay,
                         ::testing::ValuesIn(veska::fuzz::Targets().begin(), veska::fuzz::Targets().end()),
                         [](const auto& info) { return std::string(info.param.Name); });

QByteArray CorpusFile(const char* target, const QString& name)
{
  QFile file(QStringLiteral(VESKA_FUZZ_CORPUS "/%1/%2").arg(QLatin1String(target), name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A fuzzer only reaches deep into a reader from seeds that the reader takes:
// after a change to what the engine or the converter writes, the seeds must
// be written again (veska_fuzz_seeds), or they are refused at the first
// bytes.
TEST(FuzzSeeds, TheSeedsAreTablesAndResourcesTheReadersTake)
{
  const std::pair<const char*, int> tables[] = {
    {"dbase-every-type.bin", 22}, {"dbase-plain.bin", 2}, {"paradox-every-type.bin", 22}, {"paradox-plain.bin", 2}};
  for (const auto& [name, fields] : tables) {
    QTemporaryDir dir;
    const QString table = veska::fuzz::WriteTableInput(CorpusFile("table", QLatin1String(name)), dir.path());
    EXPECT_EQ(veska::ReadTableFields(dir.path(), table).size(), fields) << name;
  }
  for (const char* name : {"every-value", "forms-CMain", "forms-CUnit0", "mdi-CMain", "normal-CUnit1"}) {
    const QByteArray resource = CorpusFile("form", QLatin1String(name) + QStringLiteral(".res"));
    EXPECT_EQ(veska::FormTextToResource(veska::FormResourceToText(resource)), resource) << name;
  }
}

}  // namespace
