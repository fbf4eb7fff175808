#pragma once
// Reading PDF files back with poppler-utils (pdfinfo, pdftotext). A missing
// tool fails the test: the package belongs to the test dependencies.

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace veska::test {

// The standard output of a poppler tool run on its arguments.
inline QString RunPoppler(const QString& tool, const QStringList& arguments)
{
  const QString program = QStandardPaths::findExecutable(tool);
  EXPECT_FALSE(program.isEmpty()) << tool.toStdString() << " is missing: install poppler-utils";
  if (program.isEmpty())
    return QString();
  QProcess process;
  process.start(program, arguments);
  EXPECT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The page count that pdfinfo reports, -1 when it reports none.
inline int PdfPageCount(const QString& file)
{
  const QString info = RunPoppler(QStringLiteral("pdfinfo"), {file});
  for (const QString& line : info.split(QLatin1Char('\n')))
    if (line.startsWith(QLatin1String("Pages:")))
      return line.mid(6).trimmed().toInt();
  return -1;
}

// The text of one page (counted from 1).
inline QString PdfPageText(const QString& file, int page)
{
  return RunPoppler(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                  QString::number(page), file, QStringLiteral("-")});
}

}  // namespace veska::test
