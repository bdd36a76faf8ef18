#include "chart/AnalysisChart.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "chart/ChartPage.h"
#include "chart/PlotCanvas.h"
#include "core/FieldRegistry.h"

namespace velm {

namespace {

constexpr int kPageBorder = 10;
constexpr double kLargestScale = 8;

constexpr int kTornadoWidth = 940;
constexpr int kTornadoRow = 26;  // [pixels] per input
constexpr int kTornadoTop = 30, kTornadoBottom = 58;
constexpr int kTornadoMinimumHeight = 300;
const QColor kLowStep(60, 100, 220);
const QColor kHighStep(230, 70, 40);
const QColor kRowShade(255, 255, 255, 110);

const QSize kSweepBox(kChartBoxWidth, kChartBoxHeight);

using TDraw = std::function<void(TDeviceTarget&)>;

QSize PageOf(QSize box) { return box + QSize(2 * kPageBorder, 2 * kPageBorder); }

QImage Picture(QSize box, double scale, const TDraw& draw) {
  if (!(scale > 0 && scale <= kLargestScale)) return {};
  const QSize page = PageOf(box);
  QImage image((QSizeF(page) * scale).toSize(), QImage::Format_RGB32);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::white);
  {
    TDeviceTarget device(&image, box);
    device.SetOrigin(QPoint(kPageBorder, kPageBorder));
    draw(device);
  }
  return image;
}

QByteArray Svg(QSize box, const QString& title, const TDraw& draw) {
  return SvgDrawing(PageOf(box), box, title, [&](TDeviceTarget& device) {
    device.SetOrigin(QPoint(kPageBorder, kPageBorder));
    draw(device);
  });
}

// A box that only says why there is nothing to draw.
void NothingToShow(TPlotTarget* box, const QString& text) {
  BeginPlot(box, kChartBackground, kChartBorder, 1);
  OpenGraph(0, 100, 0, 100, 20, 20, 20, 20, true);
  XAxis(kChartBackground, QString(), 0, 0, 1, 0, 0, false, false, true, 0);
  YAxis(kChartBackground, QString(), 0, 0, 1, 0, 0, false, false, true, 0);
  PlotText(kChartBorder, text, 0, 0.5, 0.5, 0);
  EndPlot();
}

// Data coordinates of a box pixel in the current graph (its scales set).
std::pair<double, double> DataAt(int px, int py) {
  const TPlotCanvas& c = CurrentCanvas();
  const TPlotCanvas::TGraph* graph = c.Graph(c.GraphCount());
  if (!graph) return {0, 0};
  const TPlotCanvas::TGraph& g = *graph;
  const TPlotCanvas::TFrame& f = g.Frame;
  return {g.X.Start + (g.X.End - g.X.Start) * (px - f.L) / std::max(1, f.R - f.L),
          g.Y.Start + (g.Y.End - g.Y.Start) * (f.B - py) / std::max(1, f.B - f.T)};
}

QString Caption(TField f) {
  const int i = static_cast<int>(f);
  return i >= 0 && i < kFieldCount ? QString::fromUtf8(FieldInfo(f).Caption) : QStringLiteral("?");
}

// Short number text: at most three significant digits, no exponent for ordinary percentages.
QString Short(double v) { return QString::number(v, 'g', 3); }

// --- tornado chart ----------------------------------------------------------------------------

std::optional<double> Finite(const std::optional<double>& v) {
  return v && std::isfinite(*v) ? v : std::nullopt;
}

QString RowLabel(const TSensitivity& r) {
  const QString name = r.Field ? Caption(*r.Field) : QStringLiteral("填料因子");
  return std::isfinite(r.Step) ? name + QStringLiteral(" ±") + Short(100.0 * r.Step) + " %" : name;
}

int TornadoRows(const std::vector<TSensitivity>& rows) {
  return static_cast<int>(std::min(rows.size(), size_t(kTornadoMaximumRows)));
}

QSize TornadoBox(const std::vector<TSensitivity>& rows) {
  return {kTornadoWidth, std::max(kTornadoMinimumHeight,
                                  kTornadoTop + kTornadoBottom + kTornadoRow * TornadoRows(rows))};
}

struct TPanel {
  QString Title, Missing;
  std::optional<double> TSensitivity::*Low;
  std::optional<double> TSensitivity::*High;
};

// One panel: each input's bar pair, the low step above the high one, about the zero line; the
// axis symmetric about zero.
void TornadoPanel(const std::vector<TSensitivity>& rows, int n, const TPanel& panel, int left,
                  int right, bool labels) {
  OpenGraph(0, 100, 0, 100, left, right, kTornadoTop, kTornadoBottom, true);
  double span = 0;
  bool any = false;
  for (int i = 0; i < n; ++i)
    for (const auto member : {panel.Low, panel.High})
      if (const auto v = Finite(rows[size_t(i)].*member)) {
        span = std::max(span, std::abs(*v));
        any = true;
      }
  // Changes below 0.1 % read as none.
  span = std::max(0.1, 1.1 * span);
  XAxis(kChartAxes, QString(), 0, -span, span, 0, 0, true, false, true, 2);
  YAxis(kChartBackground, QString(), 0, 0, n, 0, 0, false, false, true, 0);
  const double xFrom = DataAt(left, 0).first;
  const double xTo = DataAt(kTornadoWidth - right, 0).first;
  PlotTitle(kChartCurves, panel.Title);
  for (int i = 0; i < n; ++i) {
    const TSensitivity& r = rows[size_t(i)];
    const double centre = n - i - 0.5;
    if (i % 2 == 1) CurrentCanvas().PlotShade(xFrom, centre - 0.5, xTo, centre + 0.5, kRowShade);
    const auto low = Finite(r.*panel.Low), high = Finite(r.*panel.High);
    if (low) CurrentCanvas().PlotShade(0, centre + 0.04, *low, centre + 0.38, kLowStep);
    if (high) CurrentCanvas().PlotShade(0, centre - 0.38, *high, centre - 0.04, kHighStep);
    if (any && !low && !high) PlotText(kChartWarning, QStringLiteral("未算出"), 1, 0, centre, 0);
    if (labels) {
      // Right-aligned, 6 pixels clear of the frame.
      PlotText(kChartBorder, RowLabel(r), -1, DataAt(left - 3, 0).first, centre, 0);
    }
  }
  SetPenWidth(1);
  SetPenColor(kChartBorder);
  PlotMoveTo(0, 0);
  PlotLineTo(0, n);
  if (!any) PlotText(kChartWarning, panel.Missing, 0, 0, 0.5 * n, 0);
}

void DrawTornado(TDeviceTarget& device, const std::vector<TSensitivity>& rows) {
  TPlotCanvas canvas;
  TCanvasScope scope(canvas);
  const int n = TornadoRows(rows);
  if (n == 0) {
    NothingToShow(&device, QStringLiteral("没有敏感性结果"));
    return;
  }
  BeginPlot(&device, kChartBackground, kChartBorder, 1);
  const QFontMetrics fm(CurrentCanvas().Font());
  int labels = 0;
  for (int i = 0; i < n; ++i)
    labels = std::max(labels, fm.horizontalAdvance(RowLabel(rows[size_t(i)])));
  // Long captions give way to the panels.
  const int first = std::clamp(labels + 16, 90, 300), gap = 46, last = 24;
  const int panel = (kTornadoWidth - first - gap - last) / 2;
  TornadoPanel(rows, n,
               {QStringLiteral("理论塔径变化 %"), QStringLiteral("没有塔径结果"),
                &TSensitivity::DiameterLow, &TSensitivity::DiameterHigh},
               first, kTornadoWidth - first - panel, true);
  TornadoPanel(rows, n,
               {QStringLiteral("HETP 变化 %"), QStringLiteral("没有 HETP 结果"),
                &TSensitivity::HetpLow, &TSensitivity::HetpHigh},
               first + panel + gap, last, false);

  // The legend, centred at the foot of the box: the step when every input has the same one.
  bool same = true;
  for (int i = 1; i < n; ++i) same = same && rows[size_t(i)].Step == rows[0].Step;
  const QString step = same && std::isfinite(rows[0].Step) ? Short(100.0 * rows[0].Step) + " %"
                                                           : QStringLiteral("步长");
  struct TKey {
    QString Text;
    std::optional<QColor> Swatch;
  };
  std::vector<TKey> keys = {{QStringLiteral("−") + step, kLowStep},
                            {QStringLiteral("+") + step, kHighStep}};
  if (rows.size() > size_t(n))
    keys.push_back(
        {QStringLiteral("（只画出影响最大的 %1 项，共 %2 项）").arg(n).arg(qsizetype(rows.size())),
         std::nullopt});
  const int swatch = 10, space = 24;
  int width = 0;
  for (const TKey& k : keys)
    width += (k.Swatch ? swatch + 4 : 0) + fm.horizontalAdvance(k.Text) + space;
  const int y = device.PlotSize().height() - 16;
  int x = (kTornadoWidth - width + space) / 2;
  for (const TKey& k : keys) {
    if (k.Swatch) {
      const auto [sx, sy] = DataAt(x + swatch / 2, y);
      SetPenColor(*k.Swatch);
      PointMarker(kSquare, swatch, kColourFill, sx, sy);
      x += swatch + 1;
    }
    const auto [tx, ty] = DataAt(x, y);
    PlotText(k.Swatch ? kChartBorder : kChartWarning, k.Text, 1, tx, ty, 0);
    x += 3 + fm.horizontalAdvance(k.Text) + space;
  }
  EndPlot();
}

// --- sweep ------------------------------------------------------------------------------------

// The SI unit of a field as the axis names it; empty for numbers without one.
QString SiUnit(TField f) {
  const int i = static_cast<int>(f);
  return i < 0 || i >= kFieldCount ? QString() : QString::fromUtf8(SiUnitText(FieldInfo(f).Unit));
}

// An axis over [from, to]: numbers of very small or large fields are shown times a power of ten
// (named in the caption), so that the tick labels stay short.
struct TSweepAxis {
  double From = 0, To = 1, Factor = 1;
  QString Title;
};

QString Superscript(int e) {
  static const char16_t kDigits[] = u"⁰¹²³⁴⁵⁶⁷⁸⁹";
  QString s = e < 0 ? QStringLiteral("⁻") : QString();
  for (const QChar c : QString::number(std::abs(e))) s += QChar(kDigits[c.digitValue()]);
  return s;
}

TSweepAxis AxisOf(double from, double to, TField f) {
  TSweepAxis a;
  const double largest = std::max(std::abs(from), std::abs(to));
  int e = 0;
  if (largest > 0 && (largest < 1e-2 || largest >= 1e4))
    e = static_cast<int>(std::floor(std::log10(largest)));
  a.Factor = std::pow(10.0, -e);
  a.From = from * a.Factor;
  a.To = to * a.Factor;
  // A single value (or a flat result) gets a range about it.
  if (!(a.To > a.From)) {
    const double pad = a.From != 0 ? 0.1 * std::abs(a.From) : 1.0;
    a.From -= pad;
    a.To += pad;
  } else {
    const double pad = 0.05 * (a.To - a.From);
    a.From -= pad;
    a.To += pad;
  }
  QString unit = SiUnit(f);
  if (e != 0) unit = QStringLiteral("×10") + Superscript(e) + (unit.isEmpty() ? "" : " " + unit);
  a.Title = unit.isEmpty() ? Caption(f) : Caption(f) + " (" + unit + ")";
  return a;
}

std::optional<double> SweepValue(const TSweepPoint& p, TField result) {
  const int i = static_cast<int>(result);
  if (!p.Error.empty() || !std::isfinite(p.Value) || i < 0 || i >= kFieldCount) return {};
  return Finite(p.Results[size_t(i)]);
}

void DrawSweep(TDeviceTarget& device, const std::vector<TSweepPoint>& points, TField input,
               TField result) {
  TPlotCanvas canvas;
  TCanvasScope scope(canvas);
  double xLow = HUGE_VAL, xHigh = -HUGE_VAL, yLow = HUGE_VAL, yHigh = -HUGE_VAL;
  int failed = 0;
  for (const TSweepPoint& p : points) {
    if (std::isfinite(p.Value)) {
      xLow = std::min(xLow, p.Value);
      xHigh = std::max(xHigh, p.Value);
    }
    if (const auto v = SweepValue(p, result)) {
      yLow = std::min(yLow, *v);
      yHigh = std::max(yHigh, *v);
    } else {
      ++failed;
    }
  }
  if (!(yLow <= yHigh)) {
    NothingToShow(&device, QStringLiteral("没有扫描结果"));
    return;
  }
  const TSweepAxis x = AxisOf(xLow, xHigh, input), y = AxisOf(yLow, yHigh, result);
  BeginPlot(&device, kChartBackground, kChartBorder, 1);
  OpenGraph(0, 100, 0, 100, 70, 30, failed > 0 ? 46 : 30, 60, true);
  XAxis(kChartAxes, x.Title, 0, x.From, x.To, 0, 0, true, false, true, 1);
  YAxis(kChartAxes, y.Title, 5, y.From, y.To, 0, 0, true, false, true, 1);
  PlotTitle(kChartCurves, QStringLiteral("%1随%2的变化").arg(Caption(result), Caption(input)));
  if (failed > 0)
    CurrentCanvas().PlotNote(kChartWarning,
                             QStringLiteral("%1 个点未算出，曲线在该处断开").arg(failed), 0);
  SetPenWidth(2);
  SetPenColor(kChartCurves);
  bool down = false;
  for (const TSweepPoint& p : points) {
    const auto v = SweepValue(p, result);
    if (!v) {
      down = false;
      continue;
    }
    if (down)
      PlotLineTo(p.Value * x.Factor, *v * y.Factor);
    else
      PlotMoveTo(p.Value * x.Factor, *v * y.Factor);
    PenMarker(kCircle, 5, kColourFill);
    down = true;
  }
  EndPlot();
}

}  // namespace

QImage TornadoPicture(const std::vector<TSensitivity>& rows, double scale) {
  return Picture(TornadoBox(rows), scale, [&](TDeviceTarget& d) { DrawTornado(d, rows); });
}

QByteArray TornadoSvg(const std::vector<TSensitivity>& rows) {
  return Svg(TornadoBox(rows), QStringLiteral("敏感性分析"),
             [&](TDeviceTarget& d) { DrawTornado(d, rows); });
}

QImage SweepPicture(const std::vector<TSweepPoint>& points, TField input, TField result,
                    double scale) {
  return Picture(kSweepBox, scale, [&](TDeviceTarget& d) { DrawSweep(d, points, input, result); });
}

QByteArray SweepSvg(const std::vector<TSweepPoint>& points, TField input, TField result) {
  return Svg(kSweepBox, QStringLiteral("参数扫描"),
             [&](TDeviceTarget& d) { DrawSweep(d, points, input, result); });
}

bool SaveAnalysisPicture(const std::vector<TSensitivity>& rows, const QString& path,
                         QString* error) {
  return SaveDrawing(
      path, [&] { return TornadoSvg(rows); }, [&] { return TornadoPicture(rows, 2); }, error);
}

bool SaveAnalysisPicture(const std::vector<TSweepPoint>& points, TField input, TField result,
                         const QString& path, QString* error) {
  return SaveDrawing(
      path, [&] { return SweepSvg(points, input, result); },
      [&] { return SweepPicture(points, input, result, 2); }, error);
}

}  // namespace velm
