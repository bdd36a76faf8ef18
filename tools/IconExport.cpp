// velm-icons OUTDIR: writes the program's picture as desktop icons at the usual sizes, in the
// icon-theme layout OUTDIR/SIZExSIZE/{apps/velm.png, mimetypes/application-x-velm-project.png}.
// A build step, not part of the program: the picture is drawn in code (ProgramPicture), so no
// image file is kept in the sources.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

#include "app/AboutDialog.h"

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

// A project file: a sheet with a folded corner carrying the program's picture.
QImage ProjectPicture(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 32.0;
  const qreal fold = 7 * s;
  QPainterPath sheet;
  sheet.moveTo(4 * s, 1 * s);
  sheet.lineTo(28 * s - fold, 1 * s);
  sheet.lineTo(28 * s, 1 * s + fold);
  sheet.lineTo(28 * s, 31 * s);
  sheet.lineTo(4 * s, 31 * s);
  sheet.closeSubpath();
  p.setPen(QPen(QColor(90, 90, 90), qMax<qreal>(1.0, s)));
  p.setBrush(Qt::white);
  p.drawPath(sheet);
  p.setBrush(QColor(215, 215, 215));
  p.drawPolygon(QPolygonF({QPointF(28 * s - fold, 1 * s), QPointF(28 * s - fold, 1 * s + fold),
                           QPointF(28 * s, 1 * s + fold)}));
  const int inner = qRound(20 * s);
  p.drawPixmap(QPointF(6 * s, 9 * s), velm::ProgramPicture(inner));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  // A build step runs without a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: velm-icons OUTDIR\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  for (const int size : kSizes) {
    const QString dir = QStringLiteral("%1x%1").arg(size);
    for (const char* kind : {"apps", "mimetypes"}) {
      if (!out.mkpath(dir + '/' + kind)) {
        std::fprintf(stderr, "velm-icons: cannot create %s\n", qPrintable(out.filePath(dir)));
        return 1;
      }
    }
    const bool ok =
        velm::ProgramPicture(size).save(out.filePath(dir + QStringLiteral("/apps/velm.png"))) &&
        ProjectPicture(size).save(
            out.filePath(dir + QStringLiteral("/mimetypes/application-x-velm-project.png")));
    if (!ok) {
      std::fprintf(stderr, "velm-icons: cannot write the %s icons\n", qPrintable(dir));
      return 1;
    }
  }
  return 0;
}
