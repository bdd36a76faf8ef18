#pragma once
// The two diagrams of the operating-performance chart, drawn with the plotting canvas from the
// envelope numbers: the pressure-drop/capacity diagram of the flooding method at the current
// flow parameter, and the load diagram with the operating line from no load to flooding. The
// window draws them onto its paint boxes; the same code draws them into a picture for the
// clipboard, a PNG or SVG file and the batch mode.
#include <QColor>
#include <QImage>
#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "chart/Envelope.h"
#include "chart/PlotCanvas.h"
#include "core/Validity.h"

namespace velm {

// Chart colours.
inline const QColor kChartBackground(202, 236, 253);
inline const QColor kChartBorder(0, 0, 128);
inline const QColor kChartAxes(0, 0, 255);
inline const QColor kChartCurves(255, 0, 0);
inline const QColor kChartWarning(176, 96, 0);

// What the judgement of the results has to say on the chart: lines written under the title of
// the pressure-drop diagram in the warning colour (a flow parameter outside the correlation, a
// design at or beyond flooding).
struct TChartNotes {
  std::vector<std::string> Lines;
};
// The findings that concern what the chart shows: the flow parameter outside the curves, the
// flooding of the chosen column, and the built column's pressure drop beside the design point's.
TChartNotes ChartNotesOf(const std::vector<TFinding>& findings);

// Box size and places of the two diagrams on the page [pixels].
inline constexpr int kChartBoxWidth = 460;
inline constexpr int kChartBoxHeight = 360;
inline const QPoint kPressureDropBoxAt(11, 8);
inline const QPoint kLoadBoxAt(516, 8);
// The page area the two boxes take, with the same border on every side.
inline const QSize kChartPageSize(516 + 460 + 11, 8 + 360 + 8);

// The label texts of the pressure-drop diagram.
QString DesignPointLabel(const TChartPoint& design, bool rated = false);
QString FloodPointLabel(const TChartPoint& flood);
QString PressureDropTitle(double flowParameter);

// Each diagram draws one whole drawing of the current canvas onto its target (the load diagram
// last, so that the mouse readout converts with its scales).
void DrawPressureDropDiagram(TPlotTarget* box, const TEnvelope& env, const TChartNotes& notes);
void DrawLoadDiagram(TPlotTarget* box, const TEnvelope& env);

// Both diagrams side by side as on the page, scale times the screen size, on a white page;
// drawn with a canvas of its own, so the screen's drawing and readout are left alone.
QImage ChartPicture(const TEnvelope& env, const TChartNotes& notes, double scale);
// Each diagram as a picture of its own, scale times the box size, on white: the pressure-drop
// diagram first, then the load diagram.
std::pair<QImage, QImage> DiagramPictures(const TEnvelope& env, const TChartNotes& notes,
                                          double scale);
// The same as an SVG document (UTF-8 bytes).
QByteArray ChartSvg(const TEnvelope& env, const TChartNotes& notes);
// Writes the picture to path, PNG or SVG by the file's extension (".svg" in any letter case is
// SVG, everything else PNG at 3 times the screen size), replacing a file only when the new one
// is complete. False with a readable reason in error.
bool SaveChart(const TEnvelope& env, const TChartNotes& notes, const QString& path, QString* error);
// An SVG document of the size `page`, white, with `title`, whose content `draw` paints on a plot
// target of the size `box`.
QByteArray SvgDrawing(QSize page, QSize box, const QString& title,
                      const std::function<void(TDeviceTarget&)>& draw);
// Writes a drawing to path: svg() for a ".svg" name (any letter case), picture() as PNG otherwise,
// replacing a file only when the new one is complete. False with a readable reason in error.
bool SaveDrawing(const QString& path, const std::function<QByteArray()>& svg,
                 const std::function<QImage()>& picture, QString* error);

}  // namespace velm
