// veska-icons: a build-time tool that draws the program's icon into the
// files an installation puts in the desktop's icon theme: OUT/veska-N.png
// for each size N given, and OUT/veska.svg. Usage: veska-icons OUT N...
// It needs no display (Qt's offscreen platform).

#include "shell/Pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

namespace {

int Fail(const QString& text)
{
  std::fprintf(stderr, "veska-icons: %s\n", text.toLocal8Bit().constData());
  return 1;
}

}  // namespace

int main(int argc, char** argv)
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.size() < 2)
    return Fail(QStringLiteral("usage: veska-icons OUT SIZE..."));
  const QDir out(args[0]);
  if (!QDir().mkpath(out.path()))
    return Fail(QStringLiteral("cannot create %1").arg(out.path()));

  for (const QString& arg : args.mid(1)) {
    bool ok = false;
    const int side = arg.toInt(&ok);
    if (!ok || side < 16 || side > 1024)
      return Fail(QStringLiteral("not an icon size: %1").arg(arg));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    veska::PaintProgramIcon(p, side);
    p.end();
    const QString name = out.filePath(QStringLiteral("veska-%1.png").arg(side));
    if (!image.save(name, "PNG"))
      return Fail(QStringLiteral("cannot write %1").arg(name));
  }

  // The scalable icon: the same drawing on a 256-unit canvas.
  const QString svgName = out.filePath(QStringLiteral("veska.svg"));
  QSvgGenerator svg;
  svg.setFileName(svgName);
  svg.setSize(QSize(256, 256));
  svg.setViewBox(QRect(0, 0, 256, 256));
  svg.setTitle(QStringLiteral("Veska"));
  svg.setDescription(QStringLiteral("The icon of Veska, a data-modelling tool"));
  QPainter p;
  if (!p.begin(&svg))
    return Fail(QStringLiteral("cannot write %1").arg(svgName));
  veska::PaintProgramIcon(p, 256);
  if (!p.end())
    return Fail(QStringLiteral("cannot write %1").arg(svgName));
  return 0;
}
