#include "chart/PlotCanvas.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPolygon>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace velm {

namespace {

constexpr int kMaxGraphs = 8;
constexpr double kEps = 1e-9;

int Clamp16(double v) { return static_cast<int>(std::lround(std::clamp(v, -32768.0, 32767.0))); }

// Into [0.7, 7] by powers of ten, then 1, 2 or 5 of that decade.
double NormaliseHint(double r) {
  if (!(r > 0) || !std::isfinite(r)) return 0;
  double p = 1;
  int guard = 0;
  while (r * p > 7 && guard++ < 400) p /= 10;
  while (r * p < 0.7 && guard++ < 400) p *= 10;
  const double m = r * p;
  const double n = m <= 1.4 ? 1 : m <= 3.2 ? 2 : 5;
  return n / p;
}

// Decimals a fixed-point text of v needs (at most 10).
int DecimalsFor(double v) {
  v = std::fabs(v);
  if (v == 0) return 0;
  for (int d = 0; d < 10; ++d) {
    const double s = v * std::pow(10.0, d);
    if (std::fabs(s - std::round(s)) <= 1e-6 * std::max(1.0, s)) return d;
  }
  return 10;
}

long long FirstMultiple(double start, double unit) {
  return static_cast<long long>(std::ceil(start / unit - kEps));
}
long long LastMultiple(double end, double unit) {
  return static_cast<long long>(std::floor(end / unit + kEps));
}

TPlotCanvas* GCurrent = nullptr;

}  // namespace

int PointsToPixels(double points) {
  return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

TAxisScale ChooseAxisScale(double start, double end, double hint, double frameLength,
                           double labelSlot, int snapping) {
  TAxisScale s;
  s.Start = start;
  s.End = end;
  const double span = end - start;
  if (!(span > 0) || !std::isfinite(span)) return s;
  const double r = NormaliseHint(hint);
  const int k = std::max(1, labelSlot > 0 ? static_cast<int>(frameLength / labelSlot) : 1);
  double factor = 1;
  for (int iter = 0; iter < 100; ++iter) {
    const double raw = span / k * factor;
    int m = static_cast<int>(std::floor(std::log10(raw)));
    double mant = raw / std::pow(10.0, m);
    if (mant >= 5) {
      mant /= 10;
      ++m;
    }
    const double decade = std::pow(10.0, m);
    if (mant < 1) {
      s.Major = decade;
      s.Minor = s.Major / 5;
    } else if (mant < 2) {
      s.Major = 2 * decade;
      s.Minor = s.Major / 4;
    } else {
      s.Major = 5 * decade;
      s.Minor = s.Major / 5;
    }
    if (LastMultiple(end, s.Major) - FirstMultiple(start, s.Major) + 1 > 1) break;
    factor *= 0.8;
  }
  if (s.Minor < r) s.Minor = r;
  if (s.Major < r) s.Major = r;
  const double ratio = s.Major / s.Minor;
  if (ratio > 2.4 && ratio < 2.6) s.Major *= 2;
  s.Decimals = DecimalsFor(s.Major);
  if (r > 0) s.Decimals = std::min(s.Decimals, r >= 1 ? 0 : DecimalsFor(r));

  if (snapping == 1 || snapping == 2) {
    const double unit = snapping == 1 ? s.Minor : s.Major;
    s.Start = std::floor(start / unit + kEps) * unit;
    s.End = std::ceil(end / unit - kEps) * unit;
  }
  s.Set = true;
  return s;
}

// --- targets ----------------------------------------------------------------------------------

TDeviceTarget::~TDeviceTarget() { FPainter.reset(); }

QPainter* TDeviceTarget::BeginDrawing(bool clear) {
  (void)clear;
  // One painter for the whole export: an SVG document can be begun only once.
  if (!FPainter) FPainter.emplace(FDevice);
  FPainter->setTransform(QTransform::fromTranslate(FOrigin.x(), FOrigin.y()));
  FPainter->setClipping(false);
  return &*FPainter;
}

void TDeviceTarget::EndDrawing() {}

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

QPainter* TPaintBox::BeginDrawing(bool clear) {
  FPainter.reset();
  const qreal dpr = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * dpr).toSize();
  if (clear || FPicture.isNull() || FPicture.size() != pixels) {
    FPicture = QImage(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    FPicture.setDevicePixelRatio(dpr);
    FPicture.fill(Qt::white);
  }
  FPainter.emplace(&FPicture);
  return &*FPainter;
}

void TPaintBox::EndDrawing() {
  FPainter.reset();
  FFresh = true;
  update();
}

void TPaintBox::ShowCrosshair(const std::optional<QPoint>& at, const QRect& frame) {
  FCrosshair = at;
  FCrosshairFrame = frame;
  FOverlayOnly = true;
  update();
}

void TPaintBox::SetReadoutMode(bool on, const QRect& frame) {
  FReadout = on;
  FReadoutFrame = frame;
  if (on)
    setCursor(Qt::BlankCursor);
  else
    unsetCursor();
}

void TPaintBox::paintEvent(QPaintEvent*) {
  // A paint that neither a new drawing nor the crosshair asked for (the box was uncovered,
  // resized, shown) is reported: the page may draw again.
  const bool report = !FFresh && !FOverlayOnly;
  FFresh = false;
  FOverlayOnly = false;
  if (report) emit Paint(this);
  QPainter p(this);
  if (FPicture.isNull())
    p.fillRect(rect(), palette().window());
  else
    p.drawImage(QPointF(0, 0), FPicture);
  if (FCrosshair) {
    // Exclusive-or lines: a second pass over the same place gives the picture back.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 0));
    const QRect& f = FCrosshairFrame;
    p.drawLine(FCrosshair->x(), f.top(), FCrosshair->x(), f.bottom());
    p.drawLine(f.left(), FCrosshair->y(), f.right(), FCrosshair->y());
  }
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit MouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
  QPoint at = event->position().toPoint();
  if (FReadout && !FReadoutFrame.contains(at)) {
    // The pointer stays inside the frame while the readout runs.
    at.setX(std::clamp(at.x(), FReadoutFrame.left(), FReadoutFrame.right()));
    at.setY(std::clamp(at.y(), FReadoutFrame.top(), FReadoutFrame.bottom()));
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
      QCursor::setPos(mapToGlobal(at));
  }
  emit MouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit MouseUp(event->button(), event->modifiers(), at.x(), at.y());
}

// --- the canvas -------------------------------------------------------------------------------

TPlotCanvas& ModuleCanvas() {
  static TPlotCanvas canvas;
  return canvas;
}

TPlotCanvas& CurrentCanvas() { return GCurrent ? *GCurrent : ModuleCanvas(); }

TCanvasScope::TCanvasScope(TPlotCanvas& canvas) : FPrevious(GCurrent) { GCurrent = &canvas; }
TCanvasScope::~TCanvasScope() { GCurrent = FPrevious; }

const TPlotCanvas::TGraph* TPlotCanvas::Graph(int number) const {
  return number >= 1 && number <= GraphCount() ? &FGraphs[number - 1] : nullptr;
}

TPlotCanvas::TGraph* TPlotCanvas::Current() {
  if (FNoGraph || FGraphs.empty()) return nullptr;
  return &FGraphs.back();
}

QPainter* TPlotCanvas::Painter() {
  if (!FTarget) return nullptr;
  if (!FPainter) {
    // Drawing goes on after EndPlot: over the same picture.
    FPainter = FTarget->BeginDrawing(false);
    FPainter->setFont(FFont);
  }
  return FPainter;
}

bool TPlotCanvas::Drawing() {
  TGraph* g = Current();
  return g && g->Usable && Painter();
}

void TPlotCanvas::ApplyFont() {
  FFont = QFont(FFontName);
  FFont.setPixelSize(PointsToPixels(FFontPoints));
  FFont.setBold(FBold);
  FFont.setItalic(FItalic);
  if (FPainter) FPainter->setFont(FFont);
}

void TPlotCanvas::BeginPlot(TPlotTarget* target, const QColor& background, const QColor& foreground,
                            double charScale) {
  if (FPainter && FTarget) FTarget->EndDrawing();
  FPainter = nullptr;
  if (FReadoutMode && FTarget) {
    FTarget->ShowCrosshair(std::nullopt, {});
    FTarget->SetReadoutMode(false, {});
  }
  FTarget = target;
  FBackground = background;
  FForeground = foreground;
  FScale = charScale == 0 ? 1 : charScale;
  FGraphs.clear();
  FMarkers.clear();
  FNoGraph = false;
  FReadoutMode = false;
  FReadoutGraph = 0;
  FPenWidth = 1;
  FPenColour = foreground;
  FDashPeriod = 0;
  if (FFontLevel < 2) FFontPoints = static_cast<int>(std::lround(8 * FScale));
  if (FFontLevel < 1) FFontName = QStringLiteral("Arial");
  FBold = FItalic = false;
  if (!target) return;
  FPainter = target->BeginDrawing(true);
  const QSize size = target->PlotSize();
  FPainter->setRenderHint(QPainter::Antialiasing, false);
  FPainter->setPen(QPen(foreground, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  FPainter->setBrush(background);
  // The whole box in the background colour with a border in the foreground colour.
  FPainter->drawRect(0, 0, size.width() - 1, size.height() - 1);
  ApplyFont();
}

void TPlotCanvas::OpenGraph(double xFrom, double xTo, double yFrom, double yTo, int left, int right,
                            int top, int bottom, bool direct) {
  if (!FTarget || FNoGraph) return;
  if (GraphCount() >= kMaxGraphs) {
    FNoGraph = true;
    return;
  }
  FlushMarkers();
  if (xFrom > xTo) std::swap(xFrom, xTo);
  if (yFrom > yTo) std::swap(yFrom, yTo);
  xFrom = std::clamp(xFrom, 0.0, 100.0);
  xTo = std::clamp(xTo, 0.0, 100.0);
  yFrom = std::clamp(yFrom, 0.0, 100.0);
  yTo = std::clamp(yTo, 0.0, 100.0);
  const QSize size = FTarget->PlotSize();
  TGraph g;
  const int x0 = static_cast<int>(std::lround(size.width() * xFrom / 100));
  const int x1 = static_cast<int>(std::lround(size.width() * xTo / 100));
  const int y0 = static_cast<int>(std::lround(size.height() * yFrom / 100));
  const int y1 = static_cast<int>(std::lround(size.height() * yTo / 100));
  g.Region = QRect(QPoint(x0, y0), QPoint(x1, y1));
  g.Frame = {x0 + left, y0 + top, x1 - right, y1 - bottom};
  g.Usable = g.Frame.R - g.Frame.L >= 1 && g.Frame.B - g.Frame.T >= 1;
  g.Direct = direct;  // a new graph is never zoomed
  FGraphs.push_back(g);
  FPenWidth = 1;
  FDashPeriod = 0;
  if (FPainter) FPainter->setBrush(FBackground);
}

QPoint TPlotCanvas::ToPixels(double x, double y) const {
  if (FGraphs.empty()) return {};
  const TGraph& g = FGraphs.back();
  const TFrame& f = g.Frame;
  double px = f.L, py = f.B;
  if (g.X.Set && g.X.End != g.X.Start)
    px = f.L + (f.R - f.L) * (x - g.X.Start) / (g.X.End - g.X.Start);
  if (g.Y.Set && g.Y.End != g.Y.Start)
    py = f.B - (f.B - f.T) * (static_cast<float>(y) - g.Y.Start) / (g.Y.End - g.Y.Start);
  return {Clamp16(px), Clamp16(py)};
}

void TPlotCanvas::XAxis(const QColor& colour, const QString& title, int position, double start,
                        double end, double hint, double minZoomSpan, bool grid, bool logarithmic,
                        bool fixedLabels, int snapping) {
  // The chart uses the bottom axis with fixed-point labels on a linear scale only.
  (void)position;
  (void)logarithmic;
  (void)fixedLabels;
  DrawAxis(true, colour, title, start, end, hint, minZoomSpan, grid, snapping);
}

void TPlotCanvas::YAxis(const QColor& colour, const QString& title, int position, double start,
                        double end, double hint, double minZoomSpan, bool grid, bool logarithmic,
                        bool fixedLabels, int snapping) {
  (void)position;
  (void)logarithmic;
  (void)fixedLabels;
  DrawAxis(false, colour, title, start, end, hint, minZoomSpan, grid, snapping);
}

void TPlotCanvas::DrawAxis(bool isX, const QColor& colour, const QString& title, double start,
                           double end, double hint, double minZoomSpan, bool grid, int snapping) {
  if (start == end || !Drawing()) return;
  TGraph& g = *Current();
  const TFrame& f = g.Frame;
  QPainter& p = *FPainter;
  p.setClipping(false);
  const QFontMetrics fm(FFont);
  const int zero = fm.horizontalAdvance(QLatin1Char('0'));
  const int majorLen = static_cast<int>(std::lround(zero + 0.5));
  const int minorLen = static_cast<int>(std::lround(0.6 * majorLen));
  const double length = isX ? f.R - f.L : f.B - f.T;
  const double slot = isX ? 5.0 * zero : 2.0 * fm.height();
  TAxisScale s = ChooseAxisScale(start, end, hint, length, slot, snapping);
  s.MinZoomFraction = std::max(0.001, std::fabs(minZoomSpan / (s.End - s.Start)));
  (isX ? g.X : g.Y) = s;

  const bool visible = colour != FBackground;
  if (!visible) return;
  auto pos = [&](double v) {
    return isX ? Clamp16(f.L + (f.R - f.L) * (v - s.Start) / (s.End - s.Start))
               : Clamp16(f.B - (f.B - f.T) * (static_cast<float>(v) - s.Start) / (s.End - s.Start));
  };
  const long long firstMajor = FirstMultiple(s.Start, s.Major);
  const long long lastMajor = LastMultiple(s.End, s.Major);
  const long long firstMinor = FirstMultiple(s.Start, s.Minor);
  const long long lastMinor = LastMultiple(s.End, s.Minor);
  auto isMajor = [&](double v) {
    const double q = v / s.Major;
    return std::fabs(q - std::round(q)) < 1e-6;
  };

  p.setPen(QPen(colour, 1));
  if (grid) {
    // Major lines 4 pixels on, 4 off; minor lines one dot in 8; none on the axis itself.
    QVector<QLine> dashes;
    QVector<QPoint> dots;
    for (long long i = firstMinor; i <= lastMinor && i - firstMinor < 2000; ++i) {
      const double v = static_cast<double>(i) * s.Minor;
      const int at = pos(v);
      if (isX ? at == f.L : at == f.B) continue;
      const bool major = isMajor(v);
      if (isX) {
        for (int y = f.B; y >= f.T; y -= 8) {
          if (major)
            dashes.append(QLine(at, y, at, std::max(y - 3, f.T)));
          else
            dots.append(QPoint(at, y));
        }
      } else {
        for (int x = f.L; x <= f.R; x += 8) {
          if (major)
            dashes.append(QLine(x, at, std::min(x + 3, f.R), at));
          else
            dots.append(QPoint(x, at));
        }
      }
    }
    p.drawLines(dashes);
    p.drawPoints(dots.data(), static_cast<int>(dots.size()));
  }

  // Axis line and ticks pointing out of the frame.
  QVector<QLine> lines;
  if (isX)
    lines.append(QLine(f.L, f.B, f.R, f.B));
  else
    lines.append(QLine(f.L, f.T, f.L, f.B));
  for (long long i = firstMinor; i <= lastMinor && i - firstMinor < 2000; ++i) {
    const double v = static_cast<double>(i) * s.Minor;
    const int len = isMajor(v) ? majorLen : minorLen;
    const int at = pos(v);
    if (isX)
      lines.append(QLine(at, f.B + 1, at, f.B + len));
    else
      lines.append(QLine(f.L - 1, at, f.L - len, at));
  }
  p.drawLines(lines);

  // Labels at the major ticks, then the title beyond them.
  int labelsOuter = isX ? f.B + majorLen + 2 : f.L - majorLen - 3;
  int widest = 0;
  for (long long i = firstMajor; i <= lastMajor && i - firstMajor < 500; ++i) {
    const double v = static_cast<double>(i) * s.Major;
    QString text = QString::number(v, 'f', s.Decimals);
    if (text.startsWith(QLatin1Char('-')) && QString::number(-v, 'f', s.Decimals) == text.mid(1) &&
        std::fabs(v) < s.Major / 2)
      text.remove(0, 1);  // no "-0"
    const int w = fm.horizontalAdvance(text);
    widest = std::max(widest, w);
    const int at = pos(v);
    if (isX)
      p.drawText(at - w / 2, labelsOuter + fm.ascent(), text);
    else
      p.drawText(labelsOuter - w, at - fm.height() / 2 + fm.ascent(), text);
  }
  if (title.isEmpty()) return;
  const int tw = fm.horizontalAdvance(title);
  if (isX) {
    p.drawText((f.L + f.R) / 2 - tw / 2, labelsOuter + fm.height() + 2 + fm.ascent(), title);
  } else {
    // Written upwards, left of the labels, centred on the frame height.
    const int right = labelsOuter - widest - 3;
    p.save();
    p.translate(right - fm.height() + fm.ascent(), (f.T + f.B) / 2 + tw / 2);
    p.rotate(-90);
    p.drawText(0, 0, title);
    p.restore();
  }
}

void TPlotCanvas::SetPenWidth(int w) {
  if (w > 0) FPenWidth = w;
}

void TPlotCanvas::SetLineStyle(int period, int drawnPercent, double slopeFactor) {
  if (period <= 0) {
    FDashPeriod = 0;
    return;
  }
  FDashPeriod = period;
  const int percent = drawnPercent == 0 ? 50 : drawnPercent;
  FDashOn = std::clamp(static_cast<int>(std::lround(period * percent / 100.0)), 1,
                       std::max(1, period - 1));
  FSlope = slopeFactor == 0 ? 1 : slopeFactor;
}

void TPlotCanvas::SetPenColor(const QColor& colour) { FPenColour = colour; }

void TPlotCanvas::PlotTitle(const QColor& colour, const QString& text) {
  if (!Drawing()) return;
  const TGraph& g = *Current();
  QPainter& p = *FPainter;
  p.setClipping(false);
  QFont font = FFont;
  if (FFontLevel < 3) {
    font.setPixelSize(PointsToPixels(std::lround(FFontPoints * 1.2)));
    font.setBold(true);
  }
  p.setFont(font);
  p.setPen(colour);
  const QFontMetrics fm(font);
  const int w = fm.horizontalAdvance(text);
  p.drawText((g.Frame.L + g.Frame.R) / 2 - w / 2, g.Region.top() + 4 + fm.ascent(), text);
  p.setFont(FFont);
}

void TPlotCanvas::AddMarker(const QPoint& at, int shape, int size, int fill) {
  const TGraph* g = Current();
  if (!g || !g->Usable || !FTarget) return;
  const QSize box = FTarget->PlotSize();
  if (at.x() < 0 || at.y() < 0 || at.x() >= box.width() || at.y() >= box.height()) return;
  if (!g->Direct && !g->Frame.Contains(at.x(), at.y())) return;
  FMarkers.push_back({at, shape, size == 0 ? FFontPoints : size, fill, FPenColour, FPenWidth});
}

void TPlotCanvas::PointMarker(int shape, int size, int fill, double x, double y) {
  AddMarker(ToPixels(x, y), shape, size, fill);
}

void TPlotCanvas::PenMarker(int shape, int size, int fill) { AddMarker(FPenAt, shape, size, fill); }

void TPlotCanvas::PlotMoveTo(double x, double y) { FPenAt = ToPixels(x, y); }

void TPlotCanvas::PlotLineTo(double x, double y) {
  const QPoint to = ToPixels(x, y);
  if (Drawing()) DrawSegment(FPenAt, to);
  FPenAt = to;
}

void TPlotCanvas::DrawSegment(QPoint a, QPoint b) {
  QPainter& p = *FPainter;
  const TGraph& g = *Current();
  if (g.Direct)
    p.setClipping(false);
  else
    p.setClipRect(g.Frame.Rect());
  p.setPen(QPen(FPenColour, FPenWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  if (FDashPeriod == 0) {
    p.drawLine(a, b);
  } else {
    // The dash pattern is laid out along the longer direction of the segment (y when its
    // height exceeds its width times the slope factor), in whole pixels of that direction.
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const bool alongY = std::abs(dy) > std::abs(dx) * FSlope;
    const int len = alongY ? std::abs(dy) : std::abs(dx);
    QVector<QLineF> dashes;
    if (len == 0) dashes.append(QLineF(a, b));
    for (int t = 0; t < len; t += FDashPeriod) {
      const double f0 = static_cast<double>(t) / len;
      const double f1 = std::min(1.0, static_cast<double>(t + FDashOn) / len);
      dashes.append(QLineF(a + (b - a) * f0, a + (b - a) * f1));
    }
    p.drawLines(dashes);
  }
  p.setClipping(false);
}

void TPlotCanvas::PlotText(const QColor& colour, const QString& text, int horizontal, double x,
                           double y, int vertical, int flags) {
  (void)flags;
  if (!Drawing()) return;
  const TGraph& g = *Current();
  const QPoint at = ToPixels(x, y);
  const QSize box = FTarget->PlotSize();
  if (at.x() < 0 || at.y() < 0 || at.x() >= box.width() || at.y() >= box.height()) return;
  if (!g.Direct && !g.Frame.Contains(at.x(), at.y())) return;
  QPainter& p = *FPainter;
  p.setClipping(false);
  p.setFont(FFont);
  p.setPen(colour);
  const QFontMetrics fm(FFont);
  const int w = fm.horizontalAdvance(text);
  const int left = horizontal > 0 ? at.x() + 3 : horizontal < 0 ? at.x() - 3 - w : at.x() - w / 2;
  const int top = vertical > 0   ? at.y()
                  : vertical < 0 ? at.y() - fm.height()
                                 : at.y() - fm.height() / 2;
  p.drawText(left, top + fm.ascent(), text);
}

void TPlotCanvas::SetPlotFont(const QString& name, int size, int level, int italic, int bold) {
  if (!name.isEmpty())
    FFontName = name.compare(QLatin1String("DEF"), Qt::CaseInsensitive) == 0
                    ? QStringLiteral("Arial")
                    : name;
  if (size > 0)
    FFontPoints = size;
  else if (size < 0)
    FFontPoints = static_cast<int>(std::lround(8 * FScale));
  FFontLevel = level >= 0 && level <= 3 ? level : 0;
  if (italic == 2) FItalic = true;
  if (italic == 1 || italic == -1) FItalic = false;
  if (bold == 2) FBold = true;
  if (bold == 1 || bold == -1) FBold = false;
  ApplyFont();
}

void TPlotCanvas::PlotShade(double x1, double y1, double x2, double y2, const QBrush& brush) {
  if (!Drawing()) return;
  const TGraph& g = *Current();
  const QRect r = QRect(ToPixels(x1, y1), ToPixels(x2, y2)).normalized() & g.Frame.Rect();
  if (r.isEmpty()) return;
  FPainter->setClipping(false);
  FPainter->fillRect(r, brush);
}

int TPlotCanvas::PlotNote(const QColor& colour, const QString& text, int line) {
  if (!Drawing()) return 0;
  const TGraph& g = *Current();
  QFont title = FFont;
  title.setPixelSize(PointsToPixels(std::lround(FFontPoints * 1.2)));
  title.setBold(true);
  const QFontMetrics tm(title), fm(FFont);
  QPainter& p = *FPainter;
  p.setClipping(false);
  p.setFont(FFont);
  p.setPen(colour);
  // Chinese has no blanks to break at: break before the character that would not fit.
  const int room = std::max(40, FTarget->PlotSize().width() - 16);
  QStringList lines;
  QString current;
  for (const QChar ch : text) {
    if (!current.isEmpty() && fm.horizontalAdvance(current + ch) > room) {
      lines << current;
      current.clear();
    }
    current += ch;
  }
  if (!current.isEmpty()) lines << current;
  const int box = FTarget->PlotSize().width();
  for (int i = 0; i < lines.size(); ++i) {
    const int w = fm.horizontalAdvance(lines[i]);
    const int left = std::clamp((g.Frame.L + g.Frame.R) / 2 - w / 2, 8, std::max(8, box - 8 - w));
    const int top = g.Region.top() + 4 + tm.height() + (line + i) * fm.height();
    p.drawText(left, top + fm.ascent(), lines[i]);
  }
  return static_cast<int>(lines.size());
}

void TPlotCanvas::FlushMarkers() {
  if (FMarkers.empty()) return;
  QPainter* painter = Painter();
  if (!painter) {
    FMarkers.clear();
    return;
  }
  QPainter& p = *painter;
  p.setClipping(false);
  for (const TMarker& m : FMarkers) {
    const int x = m.At.x(), y = m.At.y();
    const int c = m.Size / 2;
    p.setPen(QPen(m.Colour, m.PenWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    if (m.Fill == kColourFill)
      p.setBrush(m.Colour);
    else if (m.Fill == kBackgroundFill)
      p.setBrush(FBackground);
    else
      p.setBrush(Qt::NoBrush);
    if (m.Shape == kDot || m.Size <= 1) {
      p.drawPoint(x, y);
      continue;
    }
    const int h = static_cast<int>(std::lround(1.5 * c));
    switch (m.Shape) {
      case kCircle:
        p.drawEllipse(QPoint(x, y), c, c);
        break;
      case kSquare:
        p.drawRect(x - c, y - c, 2 * c, 2 * c);
        break;
      case kTriangleUp:
        p.drawPolygon(QPolygon({QPoint(x - c, y + c), QPoint(x + c, y + c), QPoint(x, y - h)}));
        break;
      case kTriangleDown:
        p.drawPolygon(QPolygon({QPoint(x - c, y - c), QPoint(x + c, y - c), QPoint(x, y + h)}));
        break;
      case kTriangleRight:
        p.drawPolygon(QPolygon({QPoint(x - c, y - c), QPoint(x - c, y + c), QPoint(x + h, y)}));
        break;
      case kTriangleLeft:
        p.drawPolygon(QPolygon({QPoint(x + c, y - c), QPoint(x + c, y + c), QPoint(x - h, y)}));
        break;
      case kCross:
        p.drawLine(x - c, y, x + c, y);
        p.drawLine(x, y - c, x, y + c);
        break;
      case kDiagonalCross:
        p.drawLine(x - c, y - c, x + c, y + c);
        p.drawLine(x - c, y + c, x + c, y - c);
        break;
      default:
        p.drawPoint(x, y);
    }
  }
  FMarkers.clear();
  p.setBrush(FBackground);
}

void TPlotCanvas::EndPlot() {
  FlushMarkers();
  if (FPainter && FTarget) FTarget->EndDrawing();
  FPainter = nullptr;
}

void TPlotCanvas::Readout(const TGraph& g, int number, int x, int y) {
  const TFrame& f = g.Frame;
  FReadout.Graph = number;
  FReadout.X = x;
  FReadout.Y = y;
  FReadout.XValue = g.X.Start + (g.X.End - g.X.Start) * (x - f.L) / (f.R - f.L);
  FReadout.YValue[0] =
      static_cast<float>(g.Y.Start + (g.Y.End - g.Y.Start) * (f.B - y) / (f.B - f.T));
}

void TPlotCanvas::PlotMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (button != Qt::LeftButton || (shift & (Qt::ShiftModifier | Qt::ControlModifier))) return;
  for (int n = 1; n <= GraphCount(); ++n) {
    const TGraph& g = FGraphs[n - 1];
    if (!g.Usable || !g.X.Set || !g.Y.Set || !g.Frame.Contains(x, y)) continue;
    FReadoutMode = true;
    FReadoutGraph = n;
    Readout(g, n, x, y);
    if (FTarget) {
      FTarget->SetReadoutMode(true, g.Frame.Rect());
      FTarget->ShowCrosshair(QPoint(x, y), g.Frame.Rect());
    }
    return;
  }
}

void TPlotCanvas::PlotMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x,
                                int y) {
  (void)shift;
  if (!FReadoutMode || !(buttons & Qt::LeftButton)) return;
  const TGraph* g = Graph(FReadoutGraph);
  if (!g) return;
  x = std::clamp(x, g->Frame.L, g->Frame.R);
  y = std::clamp(y, g->Frame.T, g->Frame.B);
  Readout(*g, FReadoutGraph, x, y);
  if (FTarget) FTarget->ShowCrosshair(QPoint(x, y), g->Frame.Rect());
}

void TPlotCanvas::PlotMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  (void)shift;
  (void)x;
  (void)y;
  if (!FReadoutMode || button != Qt::LeftButton) return;
  FReadoutMode = false;
  if (FTarget) {
    FTarget->ShowCrosshair(std::nullopt, {});
    FTarget->SetReadoutMode(false, {});
  }
}

}  // namespace velm
