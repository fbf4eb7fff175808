// Exports read back: the PDF through poppler's tools, the SVG through Qt's
// XML reader and SVG renderer, the PNG as an image.

#include "diagramfile/DiagramFile.h"
#include "printing/Export.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"
#include "support/PdfTools.h"
#include "surface/Painting.h"
#include "surface/SurfaceFixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace veska::test {
namespace {

class ExportTest : public SurfaceTest {
protected:
  QTemporaryDir Dir;
  TEntity* Customer = nullptr;
  TEntity* Order = nullptr;

  void SetUp() override
  {
    SurfaceTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    S.DiagramName = QStringLiteral("Sales Model");
    Customer = Place(200, 120, {QStringLiteral("CustomerId")}, {QStringLiteral("Name")});
    Order = Place(200, 400, {QStringLiteral("OrderId")}, {QStringLiteral("Placed")});
    S.RenameEntity(0, QStringLiteral("Customer"));
    S.RenameEntity(1, QStringLiteral("Order"));
    Draw(dtRelationOneToManyForeign, Customer, Order);
  }

  QString Path(const QString& name) const { return Dir.filePath(name); }

  // The area an export shows, in diagram pixels at 100%.
  QRect Expected() const
  {
    return DrawnArea(S).adjusted(-kExportMargin, -kExportMargin, kExportMargin, kExportMargin);
  }

  QImage ExportPng(int dpi = kDefaultExportDpi)
  {
    const QString file = Path(QStringLiteral("diagram.png"));
    ExportDiagram(S, file, TExportFormat::ByExtension, dpi);
    return QImage(file);
  }

  static bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

  // The message an export that must fail gives.
  QString Refusal(const QString& file, TExportFormat format = TExportFormat::ByExtension, int dpi = kDefaultExportDpi)
  {
    try {
      ExportDiagram(S, file, format, dpi);
    } catch (const TExportError& e) {
      return QString::fromStdString(e.what());
    }
    ADD_FAILURE() << "the export of " << file.toStdString() << " was not refused";
    return {};
  }
};

TEST_F(ExportTest, AreaHoldsTheDrawnObjectsAndTheNameBoxButNoHiddenEntity)
{
  const QRect box = NameBoxRect(S);
  QRect objects = Customer->BoundsRect().united(Order->BoundsRect());
  EXPECT_TRUE(DrawnArea(S).contains(objects));
  EXPECT_EQ(DrawnArea(S).bottomRight(), box.adjusted(-2, -2, 2, 2).bottomRight());

  // An entity that the view hides is not drawn and does not widen the area;
  // the relation to it goes with it.
  TEntity* hidden = Place(700, 20);
  S.SetEntityView({QStringLiteral("Customer"), QStringLiteral("Order")});
  EXPECT_FALSE(DrawnArea(S).intersects(hidden->BoundsRect()));

  // Only the name box left: nothing to export.
  S.SetEntityView({});
  EXPECT_FALSE(HasDrawnObjects(S));
  EXPECT_TRUE(DrawnArea(S).isNull());
}

TEST_F(ExportTest, PdfIsOneVectorPageOfTheAreaWithItsTextAsText)
{
  const QString file = Path(QStringLiteral("diagram.PDF"));
  ExportDiagram(S, file);
  EXPECT_EQ(PdfPageCount(file), 1);
  // One diagram pixel is 3/4 of a point.
  const QSizeF page = PdfPageSize(file);
  EXPECT_NEAR(page.width(), Expected().width() * 0.75, 1.0);
  EXPECT_NEAR(page.height(), Expected().height() * 0.75, 1.0);
  const QString text = PdfText(file);
  for (const char* word : {"Customer", "CustomerId", "Order", "OrderId", "Placed", "Sales Model"})
    EXPECT_TRUE(text.contains(QLatin1String(word))) << word << " missing from: " << text.toStdString();
}

TEST_F(ExportTest, SvgIsWellFormedSizedToTheAreaAndKeepsItsText)
{
  const QString file = Path(QStringLiteral("diagram.svg"));
  ExportDiagram(S, file);
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n")) << "every line ends in CR LF";

  QXmlStreamReader xml(bytes);
  QStringList texts;
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
      texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("Customer")));
  EXPECT_TRUE(texts.contains(QStringLiteral("OrderId")));

  QSvgRenderer renderer(bytes);
  ASSERT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.defaultSize(), Expected().size());
}

TEST_F(ExportTest, PngFollowsTheResolutionAndShowsTheObjectsWhereTheScreenDoes)
{
  const QRect area = Expected();
  const QImage normal = ExportPng(96);
  ASSERT_FALSE(normal.isNull());
  EXPECT_EQ(normal.size(), area.size());
  // The entity's left border, half way down, and the margin before it.
  const QPoint border = QPoint(Customer->Left, Customer->Top + Customer->Height / 2) - area.topLeft();
  EXPECT_TRUE(Dark(normal, border.x(), border.y()));
  EXPECT_FALSE(Dark(normal, border.x() - 2, border.y()));
  EXPECT_EQ(normal.pixel(0, 0), qRgb(255, 255, 255));

  const QImage fine = ExportPng();  // twice the screen's resolution
  EXPECT_EQ(fine.size(), area.size() * 2);
  EXPECT_EQ(fine.dotsPerMeterX(), qRound(192 / 0.0254));
  EXPECT_TRUE(Dark(fine, border.x() * 2, border.y() * 2));
  EXPECT_FALSE(Dark(fine, border.x() * 2 - 4, border.y() * 2));
}

TEST_F(ExportTest, ZoomedDiagramExportsAtFullSizeAndIsLeftExactlyAsItWas)
{
  TTextLabel* note = S.AddLabel(std::make_unique<TTextLabel>());
  note->SetCaption(QStringLiteral("Note"));
  note->SetPosition(400, 200);

  S.Rescale(5, 4);
  S.Rescale(5, 4);  // 150%
  // At 150% a position of 151 is 100 at 100%, which is 150 at 150% again:
  // a zoom out and in would move this entity.
  TEntity* loose = Place(151, 151);
  const QRect looseBounds = loose->BoundsRect();
  ExportPng(96);
  EXPECT_EQ(loose->BoundsRect(), looseBounds);

  // Writing rescales to 100% and back; the surface is steady under it
  // after its first write.
  QByteArray before;
  WriteDiagram(S, before);
  WriteDiagram(S, before);
  const double zoom = S.ZoomFactor;
  const QRect customer = Customer->BoundsRect();
  const QRect label = note->BoundsRect();
  const QFont labelFont = note->Font;
  const TRelation& relation = *S.Relations[0];
  std::vector<QRect> segments;
  for (const TRelationSegment& seg : relation.Segments)
    segments.push_back(seg.BoundsRect());
  const QRect nameLabel = relation.NameLabel.BoundsRect();
  const QSize surfaceSize(S.Width, S.Height);

  // The picture is the diagram as its file holds it, opened at 100%.
  const QImage zoomed = ExportPng(96);
  TRecordingMessages messages;
  TDrawingSurface opened(messages, Measurer);
  ASSERT_EQ(LoadDiagramBytes(opened, before), TLoadResult::Loaded);
  ExportDiagram(opened, Path(QStringLiteral("opened.png")), TExportFormat::Png, 96);
  EXPECT_EQ(zoomed, QImage(Path(QStringLiteral("opened.png"))));

  EXPECT_EQ(S.ZoomFactor, zoom);
  EXPECT_EQ(QSize(S.Width, S.Height), surfaceSize);
  EXPECT_EQ(Customer->BoundsRect(), customer);
  EXPECT_EQ(note->BoundsRect(), label);
  EXPECT_EQ(note->Font, labelFont);
  for (size_t i = 0; i < segments.size(); ++i)
    EXPECT_EQ(relation.Segments[i].BoundsRect(), segments[i]) << "segment " << i;
  EXPECT_EQ(relation.NameLabel.BoundsRect(), nameLabel);
  QByteArray after;
  WriteDiagram(S, after);
  EXPECT_EQ(after, before);
}

TEST(ExportResolution, AnImageTooLargeIsMadeAtTheHighestResolutionThatFits)
{
  const auto pixels = [](QSize size, int dpi) {
    return qint64(std::ceil(size.width() * dpi / 96.0)) * qint64(std::ceil(size.height() * dpi / 96.0));
  };
  for (const QSize size : {QSize(400, 300), QSize(20000, 15000), QSize(90000, 70000), QSize(40000, 1)}) {
    for (const int dpi : {kMinExportDpi, 72, 96, kDefaultExportDpi, kMaxExportDpi}) {
      const int fitting = FittingExportDpi(size, dpi);
      SCOPED_TRACE(QStringLiteral("%1 x %2 at %3 dpi: %4").arg(size.width()).arg(size.height()).arg(dpi).arg(fitting).toStdString());
      if (pixels(size, dpi) <= kMaxImagePixels) {
        EXPECT_EQ(fitting, dpi);
      } else if (fitting > 0) {
        EXPECT_LT(fitting, dpi);
        EXPECT_GE(fitting, kMinExportDpi);
        EXPECT_LE(pixels(size, fitting), kMaxImagePixels);
        EXPECT_GT(pixels(size, fitting + 1), kMaxImagePixels);
      } else {
        EXPECT_GT(pixels(size, kMinExportDpi), kMaxImagePixels);
      }
    }
  }
  // A diagram of 5,000 entities is about this large: 96 dpi no longer fits.
  EXPECT_EQ(FittingExportDpi(QSize(15720, 18560), 96), 65);
}

TEST_F(ExportTest, AnSvgThatCannotBeWrittenWholeKeepsTheOldFileAndSaysWhy)
{
  const QString file = Path(QStringLiteral("diagram.svg"));
  ExportDiagram(S, file);
  const QByteArray whole = test::Read(file);
  {
    TFileSizeLimit full(64);
    EXPECT_TRUE(Refusal(file).contains(QString::fromLocal8Bit(std::strerror(EFBIG))));
  }
  EXPECT_EQ(test::Read(file), whole);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("diagram.svg")});
}

TEST_F(ExportTest, RefusalsLeaveNoFileAndKeepTheOldOne)
{
  // An extension that names no format, a resolution out of range, a diagram
  // with nothing drawn.
  EXPECT_TRUE(Refusal(Path(QStringLiteral("diagram.bmp"))).contains(QStringLiteral(".pdf, .svg or .png")));
  EXPECT_TRUE(Refusal(Path(QStringLiteral("diagram")), TExportFormat::ByExtension).contains(QStringLiteral(".png")));
  EXPECT_TRUE(Refusal(Path(QStringLiteral("diagram.png")), TExportFormat::ByExtension, 5).contains(QStringLiteral("dpi")));
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("diagram.bmp"))));
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("diagram.png"))));

  // A target that is no regular file is refused with the system's message
  // and left alone.
  ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("folder.svg")));
  EXPECT_TRUE(Refusal(Path(QStringLiteral("folder.svg"))).startsWith(QStringLiteral("Cannot export to \"")));
  EXPECT_TRUE(QFileInfo(Path(QStringLiteral("folder.svg"))).isDir());

  // A file that already exists keeps its contents when the export fails.
  const QString old = Path(QStringLiteral("old.png"));
  QFile f(old);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("old");
  f.close();
  S.SetEntityView({});
  EXPECT_TRUE(Refusal(old).contains(QStringLiteral("nothing drawn")));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("old"));

  // The format given wins over the extension.
  S.SetEntityView({QStringLiteral("Customer")});
  ExportDiagram(S, Path(QStringLiteral("picture.dat")), TExportFormat::Png, 96);
  EXPECT_FALSE(QImage(Path(QStringLiteral("picture.dat")), "PNG").isNull());
}

}  // namespace
}  // namespace veska::test
