#include "chart/Profile.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "chart/ChartPage.h"
#include "chart/PlotCanvas.h"

namespace velm {

namespace {

const QSize kBox(kProfileBoxWidth, kProfileBoxHeight);
const QSize kPage(3 * kProfileBoxWidth + 4 * 10, kProfileBoxHeight + 20);
const QColor kSectionShade[2] = {QColor(255, 255, 255, 90), QColor(120, 160, 220, 70)};

double Top(const std::vector<double>& v, double floor) {
  double top = floor;
  for (double x : v)
    if (std::isfinite(x)) top = std::max(top, x);
  return 1.1 * top;
}

// One diagram: the values against the stage number (1-based), sections shaded and named.
void Diagram(TPlotTarget* box, const TProfile& p, const std::vector<double>& values,
             const QString& title, const QString& axis, double top) {
  const int n = static_cast<int>(values.size());
  BeginPlot(box, kChartBackground, kChartBorder, 1);
  OpenGraph(0, 100, 2, 100, 60, 60, 30, 50, true);
  XAxis(kChartAxes, QStringLiteral("理论板"), 0, 0, n + 1, std::max(1.0, std::ceil(n / 10.0)), 1,
        true, false, true, 0);
  YAxis(kChartAxes, axis, 5, 0, top, top / 10, top / 100, true, false, true, 2);
  for (size_t i = 0; i < p.Sections.size(); ++i) {
    const TProfileSection& s = p.Sections[i];
    CurrentCanvas().PlotShade(s.First + 0.5, 0, s.Last + 1.5, top, kSectionShade[i % 2]);
    PlotText(kChartBorder, QString::fromStdString(s.Name), 0, 0.5 * (s.First + s.Last) + 1,
             0.97 * top, 1);
  }
  PlotTitle(kChartCurves, title);
  SetPenWidth(2);
  SetPenColor(kChartCurves);
  bool down = false;
  for (int i = 0; i < n; ++i) {
    const double v = values[size_t(i)];
    if (!std::isfinite(v)) {
      down = false;
      continue;
    }
    if (down)
      PlotLineTo(i + 1, v);
    else
      PlotMoveTo(i + 1, v);
    PenMarker(kCircle, 5, kColourFill);
    down = true;
  }
  for (const TProfileSection& s : p.Sections)
    if (s.Governing >= 0 && s.Governing < n && std::isfinite(values[size_t(s.Governing)]))
      PointMarker(kSquare, 10, kHollow, s.Governing + 1, values[size_t(s.Governing)]);
  EndPlot();
}

void DrawAll(TDeviceTarget& device, const TProfile& p) {
  TPlotCanvas canvas;
  TCanvasScope scope(canvas);
  const struct {
    const std::vector<double>* Values;
    const char* Title;
    const char* Axis;
    double Floor;
  } diagrams[] = {{&p.Flood, "泛点率 (□ 控制板)", "%", 100.0},
                  {&p.PressureDrop, "湿塔压降", "Pa/m", 1.0},
                  {&p.HETP, "HETP", "m", 0.1}};
  for (int i = 0; i < 3; ++i) {
    device.SetOrigin(QPoint(10 + i * (kProfileBoxWidth + 10), 10));
    Diagram(&device, p, *diagrams[i].Values, QString::fromUtf8(diagrams[i].Title),
            QString::fromUtf8(diagrams[i].Axis), Top(*diagrams[i].Values, diagrams[i].Floor / 1.1));
  }
}

}  // namespace

TProfile ProfileOf(const TColumnInput& in, const TColumnResult& result) {
  TProfile p;
  const size_t n = in.Stages.size();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  p.Flood.assign(n, nan);
  p.PressureDrop.assign(n, nan);
  p.HETP.assign(n, nan);
  for (const TStageLoads& s : in.Stages) p.Names.push_back(s.Name);
  for (size_t k = 0; k < result.Sections.size() && k < in.Sections.size(); ++k) {
    const TSectionResult& r = result.Sections[k];
    TProfileSection s{r.Name, in.Sections[k].First, in.Sections[k].Last, -1};
    if (r.Governing >= 0) s.Governing = r.Stages[size_t(r.Governing)].Stage;
    for (const TStageResult& st : r.Stages) {
      if (!st.Rating.Rated || st.Stage < 0 || size_t(st.Stage) >= n) continue;
      p.Flood[size_t(st.Stage)] = st.Rating.FloodPercent;
      p.PressureDrop[size_t(st.Stage)] = st.Rating.PressureDrop;
      if (st.Rating.HETP) p.HETP[size_t(st.Stage)] = *st.Rating.HETP;
    }
    p.Sections.push_back(std::move(s));
  }
  return p;
}

QImage ProfilePicture(const TProfile& profile, double scale) {
  QImage image((QSizeF(kPage) * scale).toSize(), QImage::Format_RGB32);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::white);
  {
    TDeviceTarget device(&image, kBox);
    DrawAll(device, profile);
  }
  return image;
}

QByteArray ProfileSvg(const TProfile& profile) {
  return SvgDrawing(kPage, kBox, QStringLiteral("全塔负荷分布"),
                    [&](TDeviceTarget& device) { DrawAll(device, profile); });
}

bool SaveProfile(const TProfile& profile, const QString& path, QString* error) {
  return SaveDrawing(
      path, [&] { return ProfileSvg(profile); }, [&] { return ProfilePicture(profile, 2); }, error);
}

}  // namespace velm
