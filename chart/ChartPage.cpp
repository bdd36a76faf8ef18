#include "chart/ChartPage.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSvgGenerator>
#include <cmath>
#include <functional>

#include "base/SafeFiles.h"

namespace velm {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Translucent red over the region beyond flooding: the lines stay readable through it.
const QColor kBeyondFlooding(255, 120, 120, 60);

// Common start of both diagrams: the box, one graph with margins 60, 60, 30, 60, direct drawing.
void StartDiagram(TPlotTarget* box) {
  BeginPlot(box, kChartBackground, kChartBorder, 1);
  OpenGraph(0, 100, 2, 100, 60, 60, 30, 60, true);
}

int Horizontal(TLabelSide side) { return side == TLabelSide::Left ? -1 : 1; }
int Vertical(TLabelSide side) {
  switch (side) {
    case TLabelSide::Left:
      return 0;
    case TLabelSide::RightBelow:
      return 1;
    case TLabelSide::RightAbove:
      return -1;
  }
  return 0;
}

void Label(const TLoadLabel& l) {
  PlotText(kChartCurves, Q(l.Text), Horizontal(l.Side), l.At.X, l.At.Y, Vertical(l.Side));
}

void DrawBoth(TPlotTarget* pressureDropBox, TPlotTarget* loadBox, TDeviceTarget* device,
              const TEnvelope& env, const TChartNotes& notes) {
  TPlotCanvas canvas;
  TCanvasScope scope(canvas);
  if (device) device->SetOrigin(kPressureDropBoxAt);
  DrawPressureDropDiagram(pressureDropBox, env, notes);
  if (device) device->SetOrigin(kLoadBoxAt);
  DrawLoadDiagram(loadBox, env);
}

}  // namespace

QString PressureDropTitle(double flowParameter) {
  return QStringLiteral("△P-Cp 图(Flv=") + Q(ChartNumber(flowParameter, 4)) + ")";
}

QString DesignPointLabel(const TChartPoint& d, bool rated) {
  return (rated ? QStringLiteral("操作点（") : QStringLiteral("设计点（")) + Q(ChartNumber(d.X)) +
         "," + Q(ChartNumber(d.Y, 4)) + ")";
}

QString FloodPointLabel(const TChartPoint& f) {
  return QStringLiteral("泛点(") + Q(ChartNumber(f.X)) + "," + Q(ChartNumber(f.Y, 4)) + ")";
}

void DrawPressureDropDiagram(TPlotTarget* box, const TEnvelope& env, const TChartNotes& notes) {
  const TPressureDropAxes& ax = env.PressureDropAxes;
  StartDiagram(box);
  XAxis(kChartAxes, QStringLiteral("△P(Pa/m)"), 1, 0, ax.PressureDropEnd, ax.PressureDropHint, 1,
        true, false, true, 1);
  YAxis(kChartAxes, QStringLiteral("Cp"), 5, 0, ax.CapacityEnd, ax.CapacityHint, 1, true, false,
        true, 1);
  // Capacities above the flooding capacity cannot be run.
  CurrentCanvas().PlotShade(0, env.Flood.Y, 1e300, 1e300, kBeyondFlooding);
  SetPenWidth(1);
  SetLineStyle(0);
  PlotTitle(kChartCurves, PressureDropTitle(env.FlowParameter));
  int line = 0;
  for (const std::string& note : notes.Lines)
    line += CurrentCanvas().PlotNote(kChartWarning, Q(note), line);

  SetPenColor(kChartCurves);
  for (const TChartPoint& p : env.CurvePoints) PointMarker(kCircle, 4, kBackgroundFill, p.X, p.Y);
  PlotMoveTo(env.CurvePoints.front().X, env.CurvePoints.front().Y);
  for (const TChartPoint& s : env.CurveSamples) PlotLineTo(s.X, s.Y);

  SetPlotFont(QStringLiteral("宋体"), 10, 0, 0, 0);
  // Design point.
  PlotMoveTo(env.Design.X, env.Design.Y);
  PlotLineTo(env.Design.X, env.Design.Y);
  PenMarker(kCircle, 10, kColourFill);
  // A design point at (or near) 80 % of flooding lies on the 80 % point: its label then goes
  // above the point and the 80 % label below, where each is written beside it on its own.
  // "Near" is within about one text line of the height of the capacity axis.
  const bool stacked = std::abs(env.Load80.Y - env.Design.Y) < 0.06 * ax.CapacityEnd;
  PlotText(kChartCurves, DesignPointLabel(env.Design, env.Rated), 1, env.Design.X + 50,
           env.Design.Y, stacked ? -1 : 0);
  // Flooding point, joined to the last curve point by a dashed segment when it lies beyond it.
  if (env.FloodExtension) {
    SetLineStyle(4);
    PlotMoveTo(env.CurvePoints.back().X, env.CurvePoints.back().Y);
    PlotLineTo(env.Flood.X, env.Flood.Y);
  } else {
    PlotMoveTo(env.Flood.X, env.Flood.Y);
  }
  SetLineStyle(0);
  PenMarker(kSquare, 0, kColourFill);
  PlotText(kChartCurves, FloodPointLabel(env.Flood), -1, env.Flood.X - 50, env.Flood.Y, 0);
  // 80 % point.
  PlotMoveTo(env.Load80.X, env.Load80.Y);
  PenMarker(kTriangleUp, 0, kColourFill);
  PlotText(kChartCurves, QStringLiteral("80负荷点（泛点率80%）"), 1, env.Load80.X + 50,
           env.Load80.Y, stacked ? 1 : 0);
  EndPlot();
}

namespace {

const QColor kFloodLine(200, 0, 0);
const QColor kLoadingLine(230, 120, 0);
const QColor kPressureLine(120, 0, 160);
const QColor kMinimumLine(0, 120, 0);
const QColor kWindowColour(0, 0, 160);

// A limit line of the rated column, cut where it leaves the axes, with its name: atStart where
// it enters the diagram (right of it, below), otherwise where it leaves it (left of it, above).
void LimitLine(const std::vector<std::pair<double, double>>& line, const QColor& colour, int style,
               const QString& label, const TLoadAxes& ax, bool atStart) {
  SetPenColor(colour);
  SetLineStyle(style);
  bool down = false;
  std::optional<std::pair<double, double>> first, last;
  for (const auto& [L, V] : line) {
    const bool inside = L <= ax.LEnd && V <= ax.VEnd;
    if (inside && down) PlotLineTo(L, V);
    if (inside && !down) PlotMoveTo(L, V);
    down = inside;
    if (inside && !first) first = {L, V};
    if (inside) last = {L, V};
  }
  SetLineStyle(0);
  if (atStart && first) PlotText(colour, label, 1, first->first, first->second, 1);
  if (!atStart && last) PlotText(colour, label, -1, last->first, last->second, -1);
}

void DrawRatingLimits(const TEnvelope& env) {
  const TLoadLines& lines = *env.RatingLines;
  const TLoadAxes& ax = env.LoadAxes;
  SetPenWidth(2);
  LimitLine(lines.Flood, kFloodLine, 0, QStringLiteral("泛点线"), ax, true);
  LimitLine(lines.Loading, kLoadingLine, 5, QStringLiteral("载点线"), ax, true);
  LimitLine(lines.PressureDrop, kPressureLine, 5, QStringLiteral("最大压降线"), ax, false);
  LimitLine(lines.MinimumGas, kMinimumLine, 5, QStringLiteral("最小气相负荷(40%泛点)"), ax, false);
  if (const auto& Lw = lines.MinimumWettingLiquid; Lw && *Lw <= ax.LEnd) {
    SetPenColor(kMinimumLine);
    SetLineStyle(5);
    PlotMoveTo(*Lw, 0);
    PlotLineTo(*Lw, ax.VEnd);
    SetLineStyle(0);
    PlotText(kMinimumLine, QStringLiteral("最小喷淋"), 1, *Lw, 0.8 * ax.VEnd, 0);
  }
  // The window on the operating line: its ends and the turndown.
  if (const auto& w = env.Window) {
    const TEnvelopeLoads& e = env.Loads;
    SetPenWidth(4);
    SetPenColor(kWindowColour);
    const double lo = std::min(w->Minimum, w->Maximum), hi = std::max(w->Minimum, w->Maximum);
    if (w->Turndown > 0.0) {
      PlotMoveTo(lo * e.L, lo * e.V);
      PlotLineTo(hi * e.L, hi * e.V);
    }
    for (const double s : {w->Maximum, w->Minimum})
      if (s * e.L <= ax.LEnd && s * e.V <= ax.VEnd)
        PointMarker(kDiagonalCross, 8, kColourFill, s * e.L, s * e.V);
    const QString range =
        QStringLiteral("（%1%–%2%）")
            .arg(Q(ChartNumber(100.0 * w->Minimum)), Q(ChartNumber(100.0 * w->Maximum)));
    PlotText(kWindowColour,
             w->Turndown > 0.0
                 ? QStringLiteral("操作弹性 %1:1").arg(Q(ChartNumber(w->Turndown))) + range
                 : QStringLiteral("没有可行的操作区间") + range,
             -1, 0.97 * ax.LEnd, 0.03 * ax.VEnd, -1);
    SetPenWidth(2);
  }
}

}  // namespace

void DrawLoadDiagram(TPlotTarget* box, const TEnvelope& env) {
  const TEnvelopeLoads& e = env.Loads;
  const TLoadAxes& ax = env.LoadAxes;
  StartDiagram(box);
  XAxis(kChartAxes, QStringLiteral("L(kg/s)"), 0, 0, ax.LEnd, ax.LHint, 50, true, false, true, 2);
  YAxis(kChartAxes, QStringLiteral("V(kg/s)"), 5, 0, ax.VEnd, ax.VHint, 50, true, false, true, 2);
  // Liquid loads beyond the flooding load at the design ratio.
  CurrentCanvas().PlotShade(e.Lf, 0, 1e300, 1e300, kBeyondFlooding);
  SetPenWidth(2);
  SetLineStyle(5);
  PlotTitle(kChartCurves, QStringLiteral("操作性能图"));
  PlotMoveTo(0, 0);
  SetPenColor(kChartCurves);
  PlotLineTo(e.Lmin, e.Vmin);
  PenMarker(kCircle, 0, kBackgroundFill);
  SetLineStyle(0);
  PlotLineTo(e.L, e.V);
  PenMarker(kCircle, 10, kColourFill);
  PlotLineTo(e.L80, e.V80);
  PenMarker(kTriangleUp, 10, kColourFill);
  SetLineStyle(5);
  PlotLineTo(e.Lf, e.Vf);
  PenMarker(kSquare, 8, kColourFill);
  SetPlotFont(QStringLiteral("宋体"), 10, 0, 0, 0);
  Label(env.MinLabel);
  Label(env.DesignLabel);
  Label(env.Load80Label);
  Label(env.FloodLabel);
  if (env.RatingLines) DrawRatingLimits(env);
  EndPlot();
}

QImage ChartPicture(const TEnvelope& env, const TChartNotes& notes, double scale) {
  QImage image((QSizeF(kChartPageSize) * scale).toSize(), QImage::Format_RGB32);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::white);
  {
    TDeviceTarget device(&image, QSize(kChartBoxWidth, kChartBoxHeight));
    DrawBoth(&device, &device, &device, env, notes);
  }
  return image;
}

std::pair<QImage, QImage> DiagramPictures(const TEnvelope& env, const TChartNotes& notes,
                                          double scale) {
  const QSize box(kChartBoxWidth, kChartBoxHeight);
  auto blank = [&] {
    QImage image((QSizeF(box) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    return image;
  };
  std::pair<QImage, QImage> pictures{blank(), blank()};
  TPlotCanvas canvas;
  TCanvasScope scope(canvas);
  {
    TDeviceTarget device(&pictures.first, box);
    DrawPressureDropDiagram(&device, env, notes);
  }
  {
    TDeviceTarget device(&pictures.second, box);
    DrawLoadDiagram(&device, env);
  }
  return pictures;
}

TChartNotes ChartNotesOf(const std::vector<TFinding>& findings) {
  TChartNotes notes;
  for (const TFinding& f : findings)
    if (f.Code == "flow-parameter-range" || f.Code == "column-flooding" ||
        f.Code == "column-above-design" || f.Code == "built-column")
      notes.Lines.push_back(FindingLine(f));
  return notes;
}

QByteArray SvgDrawing(QSize page, QSize box, const QString& title,
                      const std::function<void(TDeviceTarget&)>& draw) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(page);
  svg.setViewBox(QRect(QPoint(0, 0), page));
  svg.setTitle(title);
  {
    TDeviceTarget device(&svg, box);
    device.BeginDrawing(true)->fillRect(QRect(QPoint(0, 0), page), Qt::white);
    draw(device);
  }
  return bytes;
}

QByteArray ChartSvg(const TEnvelope& env, const TChartNotes& notes) {
  return SvgDrawing(
      kChartPageSize, QSize(kChartBoxWidth, kChartBoxHeight), QStringLiteral("操作性能图"),
      [&](TDeviceTarget& device) { DrawBoth(&device, &device, &device, env, notes); });
}

bool SaveDrawing(const QString& path, const std::function<QByteArray()>& svg,
                 const std::function<QImage()>& picture, QString* error) {
  const bool asSvg =
      QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
  QByteArray bytes;
  if (asSvg) {
    bytes = svg();
  } else {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture().save(&buffer, "PNG")) {
      if (error) *error = QStringLiteral("无法保存“%1”：图片编码失败").arg(path);
      return false;
    }
  }
  try {
    WriteFileAtomically(QFile::encodeName(path).toStdString(),
                        std::string_view(bytes.constData(), size_t(bytes.size())));
  } catch (const TFileError& e) {
    if (error) *error = QString::fromStdString(e.what());
    return false;
  }
  return true;
}

bool SaveChart(const TEnvelope& env, const TChartNotes& notes, const QString& path,
               QString* error) {
  return SaveDrawing(
      path, [&] { return ChartSvg(env, notes); }, [&] { return ChartPicture(env, notes, 3); },
      error);
}

}  // namespace velm
