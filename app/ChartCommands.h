#pragma once
// The chart page's commands of the main window: the envelope loads from the fields, the drawing
// of both diagrams after a recalculation, the load readout on the load diagram, and the chart
// and the analysis pictures saved or copied (clipboard, PNG, SVG). The window's handlers call
// these; the last drawing's numbers live here.
#include <QString>
#include <QtGlobal>
#include <optional>

#include "chart/ChartPage.h"

namespace velm {

class TFormVELM;

class TChartCommands {
 public:
  explicit TChartCommands(TFormVELM& window) : FWindow(window) {}
  TChartCommands(const TChartCommands&) = delete;
  TChartCommands& operator=(const TChartCommands&) = delete;

  // Fills in the default save dialog and connects the commands, the paint boxes' context menu,
  // repaints and mouse.
  void Connect();
  // With UmD, dD, LD and VD filled, makes the chart page current and computes the design,
  // minimum and 80 % loads [kg/s] from the fields as they stand; false (and nothing else
  // happens) when one of them is empty.
  bool EnvelopeLoads(double& L, double& V, double& Lmin, double& Vmin, double& L80, double& V80);
  // Recalculates and draws both diagrams; a drawing that ends in a message is not repeated by
  // the repaint that follows the message.
  void Draw();
  // Draws when the user asks (after a failed drawing too); true when it is drawn.
  bool DrawNow();
  // A repaint of the load diagram on the chart page draws again, unless the last drawing failed.
  void Paint();
  // The load readout of the load diagram, in the status bar.
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
  void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  // The chart as a picture on the clipboard (PNG-ready image and SVG), or saved to a file.
  void Copy();
  void Save();
  // Draws the chart of the current project (recalculated) and writes it to path, PNG or SVG
  // by the extension. False with the reason in error when nothing could be drawn or written.
  bool SaveChartTo(const QString& path, QString* error);
  // "保存龙卷风图..." / "保存扫描图...": the latest run's tornado chart or sweep as PNG or SVG.
  void SaveAnalysisChart(bool tornado);

  // The numbers and remarks of the last complete drawing; nothing when the last drawing did
  // not complete.
  const std::optional<TEnvelope>& Envelope() const { return FEnvelope; }
  const TChartNotes& Notes() const { return FNotes; }

 private:
  // The save dialog of a picture named after the project (or `fallback`) plus `suffix`.
  QString AskPicturePath(const QString& fallback, const QString& suffix) const;

  TFormVELM& FWindow;
  bool FInChart = false;  // Draw is running
  bool FFailed = false;   // the last drawing ended in a report: repaints do not retry
  std::optional<TEnvelope> FEnvelope;
  TChartNotes FNotes;
};

}  // namespace velm
