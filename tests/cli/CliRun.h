#pragma once
// Runs veska-cli as a separate process and reads what it wrote.

#include "support/FileBytes.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska::test {

struct TRun {
  int Status = -1;
  QString Out;
  QStringList ErrLines;
};

inline TRun Cli(const QStringList& args)
{
  QProcess p;
  p.start(QStringLiteral(VESKA_CLI), args);
  EXPECT_TRUE(p.waitForFinished(60000));
  TRun run;
  run.Status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.Out = QString::fromUtf8(p.readAllStandardOutput());
  const QString err = QString::fromUtf8(p.readAllStandardError());
  run.ErrLines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  return run;
}

inline const QString kSample = QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd");

class CliTest : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }
};

}  // namespace veska::test
