#pragma once
// What the tests of the diagram file share: the messages a load reports, two
// small example diagrams as lines, and the fixture, a surface that loads
// lines and writes them back and whose model must hold together after every
// test.

#include "diagramfile/DiagramFile.h"
#include "model/Integrity.h"

#include "support/RecordingMessages.h"

#include <gtest/gtest.h>

namespace veska::test {

inline const QString kCorrupt =
    QStringLiteral("error: Input file is corrupted. Please save the diagram content to another file.");
inline const QString kNotDiagram =
    QStringLiteral("error: Input file is not a VESKA diagram. Please select another file.");

inline QByteArray Lines(const QStringList& lines)
{
  QByteArray out;
  for (const QString& l : lines)
    out += l.toUtf8() + "\r\n";
  return out;
}

inline QStringList Split(const QByteArray& bytes)
{
  QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.back().isEmpty())
    lines.removeLast();
  return lines;
}

// The first example diagram: one domain, one entity with one key attribute.
inline QStringList SalesExample()
{
  return {"V3.00-KX", "Sales", "4", "3/14/97 10:05:12 AM", "1000 800", "Arial", "8", "4", "TRUE",
          "1", "Money,NUMERIC(12)", "", "0",
          "1", "Customer", "Customer", "Maintain Customer", "&File", "1 0 0 0 0", "40 30 0 1 0",
          "Number,CUST_NO,FALSE,Money", "", "", "1 0 0 0", "0",
          "0", "0", "1", "Customer", "Number", "1", "Customer", "0", "0", "0", "1", "Customer"};
}

// Customer (key Number) and Order (key OrderNo) joined by "places", a
// one-to-many foreign-key relation.
inline QStringList PlacesExample()
{
  return {"V3.00-KX", "Orders", "1", "1/2/03", "1000 800", "Arial", "8", "4", "TRUE",
          "0",
          "2",
          "Customer", "Customer", "Maintain Customer", "&File", "1 0 0 0 0", "20 20 0 1 0",
          "Number,CUST_NO,FALSE,Money", "", "", "1 0 0 0", "0",
          "Order", "Order", "Maintain Order", "&File", "1 0 0 0 0", "200 20 0 1 0",
          "OrderNo,ORDER_NO,FALSE,INTEGER", "", "", "1 0 0 0", "0",
          "1", "places,Customer,Order,FALSE", "4 90 40 160 40 230 40", "1 150 25 150 45", "0",
          "1", "places", "Number", "Number,CUST_NO,TRUE,Money", "", "", "1 0 0 0", "0",
          "2", "Customer", "Number", "Order", "OrderNo", "Number",
          "2", "Customer", "0", "Order", "0",
          "0", "0", "2", "Customer", "Order"};
}

class DiagramFileTest : public ::testing::Test {
protected:
  TRecordingMessages Messages;
  TFixedTextMeasurer Measurer;
  TDrawingSurface Surface{Messages, Measurer};

  void SetUp() override { Surface.Clear(); }
  // Whatever a file held, the loaded model's links hold.
  void TearDown() override { EXPECT_EQ(CheckIntegrity(Surface), QStringList()); }

  TLoadResult Load(const QStringList& lines) { return LoadDiagramBytes(Surface, Lines(lines)); }
  QStringList Written()
  {
    QByteArray bytes;
    WriteDiagram(Surface, bytes);
    return Split(bytes);
  }
};

}  // namespace veska::test
