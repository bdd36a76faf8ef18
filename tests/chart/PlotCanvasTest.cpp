// The plotting canvas: axis intervals, graphs, direct and clipped drawing, markers, texts, dashes
// and the pointer readout, checked on the pixels of an image target.
#include <QTest>

#include "chart/PlotCanvas.h"

using namespace velm;

namespace {

const QColor kBg(202, 236, 253), kFg(0, 0, 128), kBlue(0, 0, 255), kRed(255, 0, 0);

// A 460 x 360 image drawn through a canvas of its own.
struct TCanvasImage {
  QImage Image{460, 360, QImage::Format_RGB32};
  TDeviceTarget Target{&Image, QSize(460, 360)};
  TPlotCanvas Canvas;
  TCanvasImage() { Image.fill(Qt::white); }
  // Box, one graph with the chart's margins, and 0-2000 by 0-0.25 axes.
  void Standard(bool direct, bool grid = true) {
    Canvas.BeginPlot(&Target, kBg, kFg, 1);
    Canvas.OpenGraph(0, 100, 2, 100, 60, 60, 30, 60, direct);
    Canvas.XAxis(kBlue, "x", 1, 0, 2000, 10, 1, grid, false, true, 1);
    Canvas.YAxis(kBlue, "y", 5, 0, 0.25, 0.01, 1, grid, false, true, 1);
  }
  QColor At(int x, int y) const { return Image.pixelColor(x, y); }
  // Pixels of a colour in a rectangle.
  int Count(const QRect& r, const QColor& c) const {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) n += Image.pixelColor(x, y) == c;
    return n;
  }
  // Reddish pixels (text is smoothed, so not all of it is pure red).
  int Reddish(const QRect& r) const {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) {
        const QColor p = Image.pixelColor(x, y);
        n += p.red() > 180 && p.green() < 140 && p.blue() < 140;
      }
    return n;
  }
};

}  // namespace

class TPlotCanvasTest : public QObject {
  Q_OBJECT

 private slots:
  void AxisIntervalsSnappingAndDecimals_data() {
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("end");
    QTest::addColumn<double>("hint");
    QTest::addColumn<double>("frame");
    QTest::addColumn<double>("slot");
    QTest::addColumn<int>("snap");
    QTest::addColumn<double>("major");
    QTest::addColumn<double>("minor");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("snappedEnd");
    QTest::newRow("pressure drop 0-2000")
        << 0.0 << 2000.0 << 10.0 << 340.0 << 30.0 << 1 << 200.0 << 50.0 << 0 << 2000.0;
    QTest::newRow("capacity 0-0.25")
        << 0.0 << 0.25 << 0.01 << 263.0 << 26.0 << 1 << 0.05 << 0.01 << 2 << 0.25;
    // The end is raised to the next minor tick.
    QTest::newRow("capacity end snapped")
        << 0.0 << 0.2173 << 0.01 << 263.0 << 26.0 << 1 << 0.05 << 0.01 << 2 << 0.22;
    // The hint raises the minor interval; labels get no more decimals than the major needs.
    QTest::newRow("load 0-6.875 by major")
        << 0.0 << 6.875 << 0.625 << 340.0 << 30.0 << 2 << 1.0 << 0.5 << 0 << 7.0;
    // Major 5 over minor 2 (2.5 minors) is doubled.
    QTest::newRow("major doubled")
        << 0.0 << 50.0 << 2.0 << 340.0 << 30.0 << 0 << 10.0 << 2.0 << 0 << 50.0;
    // Too few ticks on a short frame: the factor loop shrinks the interval.
    QTest::newRow("short frame") << 0.0 << 1.0 << 0.0 << 20.0 << 30.0 << 0 << 1.0 << 0.2 << 0
                                 << 1.0;
  }
  void AxisIntervalsSnappingAndDecimals() {
    QFETCH(double, start);
    QFETCH(double, end);
    QFETCH(double, hint);
    QFETCH(double, frame);
    QFETCH(double, slot);
    QFETCH(int, snap);
    const TAxisScale s = ChooseAxisScale(start, end, hint, frame, slot, snap);
    QFETCH(double, major);
    QFETCH(double, minor);
    QFETCH(int, decimals);
    QFETCH(double, snappedEnd);
    QVERIFY2(std::fabs(s.Major - major) < 1e-12, qPrintable(QString::number(s.Major)));
    QVERIFY2(std::fabs(s.Minor - minor) < 1e-12, qPrintable(QString::number(s.Minor)));
    QCOMPARE(s.Decimals, decimals);
    QVERIFY2(std::fabs(s.End - snappedEnd) < 1e-12, qPrintable(QString::number(s.End)));
    QCOMPARE(s.Start, 0.0);
  }

  void BoxFrameMarkerAndLabelPixels() {
    TCanvasImage c;
    c.Standard(true);
    c.Canvas.SetPenColor(kRed);
    c.Canvas.PointMarker(kSquare, 10, kColourFill, 1000, 0.125);
    c.Canvas.PlotText(kRed, "MMMM", 1, 1000, 0.2, 0);
    c.Canvas.EndPlot();
    QCOMPARE(c.At(0, 0), kFg);        // border
    QCOMPARE(c.At(459, 359), kFg);    // border, far corner
    QCOMPARE(c.At(5, 5), kBg);        // background outside the frame
    QCOMPARE(c.At(60, 150), kBlue);   // y axis on the frame's left edge
    QCOMPARE(c.At(200, 300), kBlue);  // x axis on its bottom edge
    QCOMPARE(c.At(401, 299), kBg);    // no right edge drawn
    // The marker lies on top of the grid: 11 x 11 red pixels around (230, 169).
    const QPoint m = c.Canvas.ToPixels(1000, 0.125);
    QCOMPARE(m, QPoint(230, 169));
    QCOMPARE(c.Count(QRect(m.x() - 5, m.y() - 5, 11, 11), kRed), 121);
    // The label starts 3 pixels right of its anchor and is centred on it.
    const QPoint t = c.Canvas.ToPixels(1000, 0.2);
    QCOMPARE(c.Reddish(QRect(t.x() - 20, t.y() - 10, 22, 20)), 0);
    QVERIFY(c.Reddish(QRect(t.x() + 3, t.y() - 6, 40, 12)) > 20);
    QCOMPARE(c.Reddish(QRect(t.x() + 3, t.y() - 20, 40, 10)), 0);
  }

  void DirectAndClippedDrawing_data() {
    QTest::addColumn<bool>("direct");
    QTest::newRow("direct") << true;
    QTest::newRow("clipped") << false;
  }
  void DirectAndClippedDrawing() {
    QFETCH(bool, direct);
    TCanvasImage c;
    c.Standard(direct, false);
    c.Canvas.SetPenColor(kRed);
    // Anchored in the right margin, past the axis end.
    c.Canvas.PlotText(kRed, "MM", 1, 2300, 0.1, 0);
    c.Canvas.PointMarker(kCircle, 8, kColourFill, 2300, 0.2);
    // A line leaving the frame.
    c.Canvas.PlotMoveTo(1500, 0.05);
    c.Canvas.PlotLineTo(2500, 0.05);
    c.Canvas.EndPlot();
    const int margin = c.Reddish(QRect(401, 38, 58, 260));
    QCOMPARE(margin > 0, direct);
    // Inside the frame the line is drawn either way.
    const int y = c.Canvas.ToPixels(0, 0.05).y();
    QCOMPARE(c.Count(QRect(315, y, 86, 1), kRed), 86);  // 1500 to the frame edge
  }

  void NinthGraphAndEmptyAxisDrawNothing() {
    TCanvasImage c;
    c.Canvas.BeginPlot(&c.Target, kBg, kFg, 1);
    for (int i = 0; i < 8; ++i) c.Canvas.OpenGraph(0, 50, 0, 50, 5, 5, 5, 5, true);
    QCOMPARE(c.Canvas.GraphCount(), 8);
    const QImage before = c.Image.copy();
    c.Canvas.OpenGraph(50, 100, 50, 100, 5, 5, 5, 5, true);
    c.Canvas.XAxis(kBlue, "x", 0, 0, 1, 0, 1, true, false, true, 0);
    c.Canvas.PlotTitle(kRed, "title");
    QCOMPARE(c.Canvas.GraphCount(), 8);
    QVERIFY(c.Canvas.NoUsableGraph());
    QCOMPARE(c.Image, before);

    TCanvasImage d;
    d.Canvas.BeginPlot(&d.Target, kBg, kFg, 1);
    d.Canvas.OpenGraph(0, 100, 0, 100, 60, 60, 30, 60, true);
    const QImage plain = d.Image.copy();
    d.Canvas.XAxis(kBlue, "x", 0, 5, 5, 1, 1, true, false, true, 0);
    QCOMPARE(d.Image, plain);
    QVERIFY(!d.Canvas.Graph(1)->X.Set);
  }

  void DashesFollowTheLongerDirection() {
    TCanvasImage c;
    c.Standard(true, false);
    c.Canvas.SetPenColor(kRed);
    c.Canvas.SetLineStyle(8);  // 4 on, 4 off along x
    c.Canvas.PlotMoveTo(200, 0.2);
    c.Canvas.PlotLineTo(1200, 0.2);
    c.Canvas.EndPlot();
    const int y = c.Canvas.ToPixels(0, 0.2).y();
    const int x0 = c.Canvas.ToPixels(200, 0).x();
    QString pattern;
    for (int x = x0; x < x0 + 16; ++x) pattern += c.At(x, y) == kRed ? '#' : '.';
    QCOMPARE(pattern, QStringLiteral("####....####...."));
  }

  void RemarksUnderTheTitleAreBrokenToFitTheBox() {
    TCanvasImage c;
    c.Standard(true, false);
    c.Canvas.PlotTitle(kRed, "title");
    const QColor warning(176, 96, 0);
    QCOMPARE(c.Canvas.PlotNote(warning, "short", 0), 1);
    const int lines = c.Canvas.PlotNote(warning, QString(80, QChar(0x6CDB)), 1);  // 80 x 泛
    c.Canvas.EndPlot();
    QVERIFY(lines >= 2);
    // Nothing is written past the box's sides, and the remark lies below the title's top.
    // Smoothed text: count the pixels that lean to the warning colour.
    auto warm = [&](const QRect& r) {
      int n = 0;
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
          const QColor p = c.At(x, y);
          n += p.red() > p.blue() + 60 && p.green() < p.red() - 30;
        }
      return n;
    };
    QCOMPARE(warm(QRect(0, 0, 460, 11)), 0);
    QVERIFY(warm(QRect(8, 20, 444, 80)) > 0);
    QCOMPARE(warm(QRect(1, 0, 6, 360)), 0);
    QCOMPARE(warm(QRect(453, 0, 6, 360)), 0);
  }

  void ReadoutInsideTheFrameOnly() {
    TCanvasImage c;
    c.Standard(true);
    c.Canvas.EndPlot();
    TMouseReadout& r = c.Canvas.MouseReadout();
    r.XValue = -1;
    // A press in the margin leaves the readout alone.
    c.Canvas.PlotMouseDown(Qt::LeftButton, {}, 30, 150);
    QCOMPARE(r.XValue, -1.0);
    QVERIFY(!c.Canvas.InReadout());
    // Shift or Ctrl held, or the right button: no readout either.
    c.Canvas.PlotMouseDown(Qt::LeftButton, Qt::ShiftModifier, 230, 169);
    c.Canvas.PlotMouseDown(Qt::RightButton, {}, 230, 169);
    QCOMPARE(r.XValue, -1.0);
    c.Canvas.PlotMouseDown(Qt::LeftButton, {}, 230, 169);
    QCOMPARE(r.Graph, 1);
    QVERIFY(std::fabs(r.XValue - 1000) < 1e-9);
    QVERIFY(std::fabs(r.YValue[0] - 0.125f) < 1e-3);
    // A move without the button changes nothing; with it the values follow, kept in the frame.
    c.Canvas.PlotMouseMove(Qt::NoButton, {}, 400, 37);
    QVERIFY(std::fabs(r.XValue - 1000) < 1e-9);
    c.Canvas.PlotMouseMove(Qt::LeftButton, {}, 450, 10);
    QVERIFY(std::fabs(r.XValue - 2000) < 1e-9);
    QVERIFY(std::fabs(r.YValue[0] - 0.25f) < 1e-6);
    c.Canvas.PlotMouseUp(Qt::LeftButton, {}, 450, 10);
    QVERIFY(!c.Canvas.InReadout());
  }

  void PaintBoxKeepsItsPictureInDevicePixels() {
    // The picture of a box is kept in device pixels.
    TPaintBox box;
    box.resize(460, 360);
    TPlotCanvas canvas;
    canvas.BeginPlot(&box, kBg, kFg, 1);
    canvas.EndPlot();
    QCOMPARE(box.Picture().size(), QSize(460, 360) * box.devicePixelRatioF());
    QCOMPARE(box.Picture().pixelColor(0, 0), kFg);
  }
};

QTEST_MAIN(TPlotCanvasTest)
#include "PlotCanvasTest.moc"
