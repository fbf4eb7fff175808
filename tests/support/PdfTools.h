#pragma once
// Reading PDF files back with poppler's pdfinfo and pdftotext. A
// missing tool fails the test (it is a test dependency), never skips it.

#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace veska::test {

// Standard output of `tool args...`; a tool that does not start or fails
// adds a test failure and gives an empty text.
inline QString RunPdfTool(const QString& tool, const QStringList& args)
{
  QProcess process;
  process.start(tool, args);
  if (!process.waitForStarted(10000)) {
    ADD_FAILURE() << tool.toStdString() << " did not start; install poppler-utils";
    return {};
  }
  process.waitForFinished(60000);
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    ADD_FAILURE() << tool.toStdString() << " failed: " << process.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The page count that pdfinfo reports; -1 when it reports none.
inline int PdfPageCount(const QString& file)
{
  const QRegularExpressionMatch m =
      QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
          .match(RunPdfTool(QStringLiteral("pdfinfo"), {file}));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The first page's size in points, as pdfinfo reports it.
inline QSizeF PdfPageSize(const QString& file)
{
  const QRegularExpressionMatch m =
      QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"), QRegularExpression::MultilineOption)
          .match(RunPdfTool(QStringLiteral("pdfinfo"), {file}));
  return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// The text of one page (counted from 1).
inline QString PdfPageText(const QString& file, int page)
{
  return RunPdfTool(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                  QString::number(page), file, QStringLiteral("-")});
}

// The text of every page.
inline QString PdfText(const QString& file)
{
  return RunPdfTool(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
}

}  // namespace veska::test
