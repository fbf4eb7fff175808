// Every sample diagram written by the program reads back and writes out byte
// for byte, with the real font metrics.
#include "diagramfile/DiagramFile.h"
#include "model/Integrity.h"

#include "support/RecordingMessages.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace veska;

TEST(SampleRoundTrip, ExamplesConvertBackToThemselves)
{
  const QDir dir(QStringLiteral(VESKA_EXAMPLES_DIR));
  const QStringList files = dir.entryList({QStringLiteral("*.erd")}, QDir::Files);
  ASSERT_FALSE(files.isEmpty());
  for (const QString& name : files) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    test::TRecordingMessages messages;
    TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
    surface.Clear();
    ASSERT_EQ(LoadDiagram(surface, dir.filePath(name)), TLoadResult::Loaded) << name.toStdString();
    EXPECT_TRUE(messages.Messages.isEmpty()) << name.toStdString();
    EXPECT_EQ(CheckIntegrity(surface), QStringList()) << name.toStdString();
    QByteArray written;
    WriteDiagram(surface, written);
    EXPECT_EQ(written, original) << name.toStdString();
  }
}
