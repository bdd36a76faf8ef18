#pragma once
// PlotCanvas: scientific x-y diagrams drawn onto a paint box: a coloured drawing area, up to
// eight graphs with linear axes, ticks, tick labels, grids and titles, lines and markers given in
// data coordinates, texts anchored at data points, and a pointer readout that turns a position
// on the box back into data values.
//
// The unit is procedural: the free functions below work on one current drawing (the module's
// canvas, or another one made current for an export). Each drawing lives from BeginPlot to the
// next BeginPlot; markers are collected and drawn together by EndPlot so that they lie on top.
//
// Geometry is in the box's logical pixels; the box keeps its picture at the screen's device pixel
// ratio, so the same drawing is sharp on any screen and can be replayed onto a larger image or an
// SVG document.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

class QMouseEvent;

namespace velm {

// Where a drawing goes: a paint box on screen, or an image or SVG document for an export.
class TPlotTarget {
 public:
  virtual ~TPlotTarget() = default;
  // Logical size of the drawing area [pixels].
  virtual QSize PlotSize() const = 0;
  // A painter on the drawing area in logical pixels; clear: a new drawing starts (the old
  // picture may be dropped), else drawing goes on over the current picture.
  virtual QPainter* BeginDrawing(bool clear) = 0;
  // The painter is done; a paint box shows the new picture.
  virtual void EndDrawing() = 0;
  // Readout feedback (a paint box only): the crosshair in the frame, or none.
  virtual void ShowCrosshair(const std::optional<QPoint>& at, const QRect& frame) {
    (void)at;
    (void)frame;
  }
  // Readout mode: the system cursor hidden and kept inside the frame while on.
  virtual void SetReadoutMode(bool on, const QRect& frame) {
    (void)on;
    (void)frame;
  }
};

// Draws into a device the caller owns (an image, possibly with a device pixel ratio, or an SVG
// generator), of the given logical size.
class TDeviceTarget : public TPlotTarget {
 public:
  TDeviceTarget(QPaintDevice* device, QSize size) : FDevice(device), FSize(size) {}
  ~TDeviceTarget() override;
  QSize PlotSize() const override { return FSize; }
  QPainter* BeginDrawing(bool clear) override;
  void EndDrawing() override;
  // Drawings after the first are placed at this offset (several diagrams on one page).
  void SetOrigin(QPoint origin) { FOrigin = origin; }

 private:
  QPaintDevice* FDevice;
  QSize FSize;
  QPoint FOrigin;
  std::optional<QPainter> FPainter;
};

// A paint box: a widget that paints from its cached picture. Every paint that its own new
// drawing did not cause is reported through Paint, so a page can draw again on a repaint.
class TPaintBox : public QWidget, public TPlotTarget {
  Q_OBJECT

 public:
  explicit TPaintBox(QWidget* parent = nullptr);

  QSize PlotSize() const override { return size(); }
  QPainter* BeginDrawing(bool clear) override;
  void EndDrawing() override;
  void ShowCrosshair(const std::optional<QPoint>& at, const QRect& frame) override;
  void SetReadoutMode(bool on, const QRect& frame) override;

  // The cached picture (device pixels, with its device pixel ratio); null before a drawing.
  const QImage& Picture() const { return FPicture; }
  std::optional<QPoint> Crosshair() const { return FCrosshair; }
  // Bytes held by the cached picture.
  qsizetype PictureBytes() const { return FPicture.sizeInBytes(); }

 signals:
  void Paint(QObject* sender);
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
  void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage FPicture;
  std::optional<QPainter> FPainter;
  bool FFresh = false;        // a new drawing waits to be shown
  bool FOverlayOnly = false;  // only the crosshair changed
  std::optional<QPoint> FCrosshair;
  QRect FCrosshairFrame;
  bool FReadout = false;
  QRect FReadoutFrame;
};

// Marker shapes and fills.
enum TMarkerShape : int {
  kDot = 0,
  kCircle = 1,
  kSquare = 2,
  kTriangleUp = 3,
  kTriangleDown = 4,
  kTriangleRight = 5,
  kTriangleLeft = 6,
  kCross = 7,
  kDiagonalCross = 8
};
enum TMarkerFill : int { kHollow = 0, kBackgroundFill = 1, kColourFill = 2 };

// Result of the last pointer conversion.
struct TMouseReadout {
  int Graph = 0;      // 1 ... 8
  int X = 0, Y = 0;   // pointer [pixels]
  double XValue = 0;  // data value under the pointer
  std::array<float, 4> YValue{};
};

// A scale of one axis: its data range after snapping and its tick intervals.
struct TAxisScale {
  bool Set = false;
  double Start = 0, End = 1;
  double Major = 0, Minor = 0;
  int Decimals = 0;
  double MinZoomFraction = 0.001;
};

// The interval choice of an axis, exposed for checking: range, frame length and label slot in
// pixels, hint, end snapping.
TAxisScale ChooseAxisScale(double start, double end, double hint, double frameLength,
                           double labelSlot, int snapping);

class TPlotCanvas {
 public:
  struct TFrame {
    int L = 0, T = 0, R = 0, B = 0;
    QRect Rect() const { return QRect(QPoint(L, T), QPoint(R, B)); }
    bool Contains(int x, int y) const { return x >= L && x <= R && y >= T && y <= B; }
  };
  struct TGraph {
    QRect Region;
    TFrame Frame;
    bool Usable = false;
    bool Direct = false;
    TAxisScale X, Y;
  };

  void BeginPlot(TPlotTarget* target, const QColor& background, const QColor& foreground,
                 double charScale);
  void OpenGraph(double xFrom, double xTo, double yFrom, double yTo, int left, int right, int top,
                 int bottom, bool direct);
  void XAxis(const QColor& colour, const QString& title, int position, double start, double end,
             double hint, double minZoomSpan, bool grid, bool logarithmic, bool fixedLabels,
             int snapping);
  void YAxis(const QColor& colour, const QString& title, int position, double start, double end,
             double hint, double minZoomSpan, bool grid, bool logarithmic, bool fixedLabels,
             int snapping);
  void SetPenWidth(int w);
  // period 0: solid; otherwise dashed with the drawn percentage (50 for 0) and slope factor (1
  // for 0) deciding whether the pattern runs along x or y.
  void SetLineStyle(int period, int drawnPercent = 0, double slopeFactor = 0);
  void SetPenColor(const QColor& colour);
  void PlotTitle(const QColor& colour, const QString& text);
  void PointMarker(int shape, int size, int fill, double x, double y);
  void PlotMoveTo(double x, double y);
  void PlotLineTo(double x, double y);
  void PenMarker(int shape, int size, int fill);
  // horizontal: 1 starts 3 pixels right of the anchor, -1 ends 3 pixels left of it, 0 centres;
  // vertical: 0 centres, 1 puts the top at the anchor, -1 the bottom.
  void PlotText(const QColor& colour, const QString& text, int horizontal, double x, double y,
                int vertical, int flags = 0);
  void SetPlotFont(const QString& name, int size, int level, int italic, int bold);
  // Fills the data rectangle (x1, y1)-(x2, y2), cut to the plot frame, with a brush; lines and
  // markers drawn later lie on top.
  void PlotShade(double x1, double y1, double x2, double y2, const QBrush& brush);
  // Remarks under the graph title, starting at line `line` (0 first), centred on the frame and
  // broken into lines that fit the box; returns the number of lines written.
  int PlotNote(const QColor& colour, const QString& text, int line);
  void EndPlot();

  void PlotMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void PlotMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
  void PlotMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

  TMouseReadout& MouseReadout() { return FReadout; }
  int GraphCount() const { return static_cast<int>(FGraphs.size()); }
  const TGraph* Graph(int number) const;  // 1-based; nullptr outside
  bool NoUsableGraph() const { return FNoGraph; }
  bool InReadout() const { return FReadoutMode; }
  // Data to pixels in the current graph.
  QPoint ToPixels(double x, double y) const;
  const QFont& Font() const { return FFont; }
  int FontPoints() const { return FFontPoints; }

 private:
  struct TMarker {
    QPoint At;
    int Shape, Size, Fill;
    QColor Colour;
    int PenWidth;
  };
  TGraph* Current();
  bool Drawing();  // a usable current graph and an open painter
  QPainter* Painter();
  void ApplyFont();
  void FlushMarkers();
  void AddMarker(const QPoint& at, int shape, int size, int fill);
  void DrawSegment(QPoint a, QPoint b);
  void DrawAxis(bool isX, const QColor& colour, const QString& title, double start, double end,
                double hint, double minZoomSpan, bool grid, int snapping);
  void ClipToGraph();
  void Readout(const TGraph& g, int number, int x, int y);

  TPlotTarget* FTarget = nullptr;
  QPainter* FPainter = nullptr;
  QColor FBackground, FForeground;
  double FScale = 1;
  QString FFontName = QStringLiteral("Arial");
  int FFontPoints = 8;
  int FFontLevel = 0;
  bool FItalic = false, FBold = false;
  QFont FFont;
  std::vector<TGraph> FGraphs;
  bool FNoGraph = false;
  int FPenWidth = 1;
  QColor FPenColour = Qt::black;
  int FDashPeriod = 0, FDashOn = 0;
  double FSlope = 1;
  QPoint FPenAt;
  std::vector<TMarker> FMarkers;
  TMouseReadout FReadout;
  bool FReadoutMode = false;
  int FReadoutGraph = 0;
};

// The module's canvas and the one the free functions use (the module's unless an export made
// another current).
TPlotCanvas& ModuleCanvas();
TPlotCanvas& CurrentCanvas();
// Makes a canvas current for its lifetime (an export draws without disturbing the screen's).
class TCanvasScope {
 public:
  explicit TCanvasScope(TPlotCanvas& canvas);
  ~TCanvasScope();
  TCanvasScope(const TCanvasScope&) = delete;
  TCanvasScope& operator=(const TCanvasScope&) = delete;

 private:
  TPlotCanvas* FPrevious;
};

// Font size in points to pixels, at the 96 dots per inch the box geometry is laid out for.
int PointsToPixels(double points);

inline void BeginPlot(TPlotTarget* t, const QColor& bg, const QColor& fg, double s) {
  CurrentCanvas().BeginPlot(t, bg, fg, s);
}
inline void OpenGraph(double x0, double x1, double y0, double y1, int l, int r, int t, int b,
                      bool direct) {
  CurrentCanvas().OpenGraph(x0, x1, y0, y1, l, r, t, b, direct);
}
inline void XAxis(const QColor& c, const QString& title, int pos, double s, double e, double hint,
                  double zoom, bool grid, bool log, bool fixed, int snap) {
  CurrentCanvas().XAxis(c, title, pos, s, e, hint, zoom, grid, log, fixed, snap);
}
inline void YAxis(const QColor& c, const QString& title, int pos, double s, double e, double hint,
                  double zoom, bool grid, bool log, bool fixed, int snap) {
  CurrentCanvas().YAxis(c, title, pos, s, e, hint, zoom, grid, log, fixed, snap);
}
inline void SetPenWidth(int w) { CurrentCanvas().SetPenWidth(w); }
inline void SetLineStyle(int period, int percent = 0, double slope = 0) {
  CurrentCanvas().SetLineStyle(period, percent, slope);
}
inline void SetPenColor(const QColor& c) { CurrentCanvas().SetPenColor(c); }
inline void PlotTitle(const QColor& c, const QString& t) { CurrentCanvas().PlotTitle(c, t); }
inline void PointMarker(int shape, int size, int fill, double x, double y) {
  CurrentCanvas().PointMarker(shape, size, fill, x, y);
}
inline void PlotMoveTo(double x, double y) { CurrentCanvas().PlotMoveTo(x, y); }
inline void PlotLineTo(double x, double y) { CurrentCanvas().PlotLineTo(x, y); }
inline void PenMarker(int shape, int size, int fill) {
  CurrentCanvas().PenMarker(shape, size, fill);
}
inline void PlotText(const QColor& c, const QString& t, int h, double x, double y, int v,
                     int flags = 0) {
  CurrentCanvas().PlotText(c, t, h, x, y, v, flags);
}
inline void SetPlotFont(const QString& name, int size, int level, int italic, int bold) {
  CurrentCanvas().SetPlotFont(name, size, level, italic, bold);
}
inline void EndPlot() { CurrentCanvas().EndPlot(); }
inline void PlotMouseDown(Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
  CurrentCanvas().PlotMouseDown(b, s, x, y);
}
inline void PlotMouseMove(Qt::MouseButtons b, Qt::KeyboardModifiers s, int x, int y) {
  CurrentCanvas().PlotMouseMove(b, s, x, y);
}
inline void PlotMouseUp(Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
  CurrentCanvas().PlotMouseUp(b, s, x, y);
}
inline TMouseReadout& MouseReadout() { return CurrentCanvas().MouseReadout(); }

}  // namespace velm
