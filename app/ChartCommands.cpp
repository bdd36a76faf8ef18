// The chart page of the main window: the envelope loads from the fields, the drawing of both
// diagrams after a recalculation, the load readout on the load diagram, and the chart as a
// picture (clipboard, PNG, SVG).
#include "app/ChartCommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTabWidget>

#include "app/MainWindow.h"
#include "app/StatusBar.h"
#include "app/WindowFields.h"
#include "base/Decimal.h"
#include "chart/AnalysisChart.h"
#include "chart/PlotCanvas.h"
#include "core/Calculate.h"
#include "core/Validity.h"
#include "project/FileIo.h"

namespace velm {

namespace {

// The hourglass for the time it lives, also when an error ends the computation.
struct TWaitCursor {
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

QString ChartSaveFileDialog(QWidget* parent, const QString& file) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("保存操作性能图"), file,
                                      QStringLiteral("PNG 图片 (*.png);;SVG 图形 (*.svg)"));
}

}  // namespace

void TChartCommands::Connect() {
  if (!FWindow.FSetup.ChartSaveDialog) FWindow.FSetup.ChartSaveDialog = ChartSaveFileDialog;
  for (const char* name : {"BDrawper", "MReport_Per"})
    FWindow.OnCommand(name, [this](QAction*) { DrawNow(); });
  QAction* copy = FWindow.OnCommand("MReport_PerCopy", [this](QAction*) { Copy(); });
  QAction* save = FWindow.OnCommand("MReport_PerSave", [this](QAction*) { Save(); });
  for (TPaintBox* box : {FWindow.FPYPaintBox, FWindow.FMyPaintBox}) {
    box->setContextMenuPolicy(Qt::ActionsContextMenu);
    box->addAction(copy);
    box->addAction(save);
  }
  // A repaint is answered after it, never inside it: the drawing may show a message box.
  TPaintBox* box = FWindow.FMyPaintBox;
  QObject::connect(box, &TPaintBox::Paint, &FWindow, &TFormVELM::MyPaintBoxPaint,
                   Qt::QueuedConnection);
  QObject::connect(box, &TPaintBox::MouseDown, &FWindow, &TFormVELM::MyPaintBoxMouseown);
  QObject::connect(box, &TPaintBox::MouseMove, &FWindow, &TFormVELM::MyPaintBoxMouseMove);
  QObject::connect(box, &TPaintBox::MouseUp, &FWindow, &TFormVELM::MyPaintBoxMouseUp);
}

bool TChartCommands::EnvelopeLoads(double& L, double& V, double& Lmin, double& Vmin, double& L80,
                                   double& V80) {
  TWindowFields fields(
      FWindow, [this](const QString& text) { FWindow.FSetup.MessageBox(&FWindow, text); }, [] {});
  if (!AllFilled(fields, {TField::UmD, TField::dD, TField::LD, TField::VD})) return false;
  {
    // Made current by the program: not the user's page change, which would draw again.
    const QSignalBlocker block(FWindow.FPageControl);
    FWindow.FPageControl->setCurrentIndex(2);
  }
  // A rated column is drawn at its own flood fraction (as DocumentEnvelope draws it).
  const double f =
      FWindow.FRatingResult && FWindow.FCase.FloodFraction
          ? 100.0 * *FWindow.FCase.FloodFraction
          : StrToFloat(
                FWindow.Need<QComboBox>(QStringLiteral("fpercentD"))->currentText().toStdString());
  const double Um = fields.Value(TField::UmD);
  L = fields.Value(TField::LD);
  V = fields.Value(TField::VD);
  const TWaitCursor wait;
  const TEnvelopeLoads e = velm::EnvelopeLoads(L, V, Um, f);
  Lmin = e.Lmin;
  Vmin = e.Vmin;
  L80 = e.L80;
  V80 = e.V80;
  return true;
}

void TChartCommands::Draw() {
  // A drawing does not start inside another one or inside a calculation's message box.
  if (FInChart || FWindow.FInLDExit) return;
  FInChart = true;
  FEnvelope.reset();
  const int reportsBefore = FWindow.FReportCount;
  bool done = false;
  FWindow.Guard([&] {
    double L, V, Lmin, Vmin, L80, V80;
    if (!EnvelopeLoads(L, V, Lmin, Vmin, L80, V80)) {
      done = true;  // nothing to draw yet, nothing to say
      return;
    }
    SetNeedsRecalc(true);
    FWindow.LDExit(nullptr);
    if (NeedsRecalc()) return;  // the run did not complete; it has said why
    if (FWindow.FRatingResult && !EnvelopeLoads(L, V, Lmin, Vmin, L80, V80)) return;
    const TEnvelopeLoads loads{L, V, Lmin, Vmin, L80, V80, 1.25 * L80, 1.25 * V80};
    TEnvelope env = BuildEnvelope(FWindow.FCase, loads);
    if (FWindow.FRatingResult) {
      env.RatingLines = FWindow.FRatingResult->Lines;
      env.Window = FWindow.FRatingResult->Window;
    }
    TChartNotes notes = ChartNotesOf(FWindow.FFindings);
    DrawPressureDropDiagram(FWindow.FPYPaintBox, env, notes);
    DrawLoadDiagram(FWindow.FMyPaintBox, env);
    FEnvelope = std::move(env);
    FNotes = std::move(notes);
    done = true;
  });
  // A drawing that ended in a message is not repeated by the repaint that follows the message.
  FFailed = !done || FWindow.FReportCount != reportsBefore;
  FInChart = false;
}

bool TChartCommands::DrawNow() {
  FFailed = false;
  Draw();
  return FEnvelope.has_value();
}

void TChartCommands::Paint() {
  if (FWindow.FPageControl->currentIndex() != 2 || FFailed) return;
  Draw();
}

void TChartCommands::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  MouseReadout().XValue = -1;
  PlotMouseDown(button, shift, x, y);
  if (MouseReadout().XValue < 0) return;
  const double L = MouseReadout().XValue, V = MouseReadout().YValue[0];
  QString text = QStringLiteral("L=%1 V=%2")
                     .arg(QString::fromStdString(ChartNumber(L, 4)),
                          QString::fromStdString(ChartNumber(V, 4)));
  // A rated column: these loads by every capacity definition.
  if (FWindow.FRatingResult) {
    const std::optional<TPackingRecord> packing = FWindow.SelectedPackingRecord();
    const std::optional<TCaseRating> r =
        packing ? RateLoad(*FWindow.FRatingResult, *packing, L, V) : std::nullopt;
    if (r && r->Rated)
      for (const TRatingColumn& c : RatingColumns())
        if (const std::optional<double> v = c.Source ? c.Value(*r) : std::nullopt)
          text +=
              QStringLiteral("  %1 %2%")
                  .arg(QString::fromUtf8(c.Caption), QString::fromStdString(ChartNumber(*v, 3)));
  }
  FWindow.FStatusBar->SetPanelText(0, text);
}

void TChartCommands::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x,
                               int y) {
  MouseReadout().XValue = -1;
  PlotMouseMove(buttons, shift, x, y);
  if (MouseReadout().XValue >= 0)
    FWindow.FStatusBar->SetPanelText(
        0, QStringLiteral("L=%1 V=%2")
               .arg(QString::fromStdString(ChartNumber(MouseReadout().XValue, 4)),
                    QString::fromStdString(ChartNumber(MouseReadout().YValue[0], 4))));
}

void TChartCommands::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  MouseReadout().XValue = -1;
  PlotMouseUp(button, shift, x, y);
}

void TChartCommands::Copy() {
  if (!DrawNow()) return;
  FWindow.Guard([this] {
    auto* data = new QMimeData;
    data->setImageData(ChartPicture(*FEnvelope, FNotes, 3));
    data->setData(QStringLiteral("image/svg+xml"), ChartSvg(*FEnvelope, FNotes));
    QApplication::clipboard()->setMimeData(data);
  });
}

QString TChartCommands::AskPicturePath(const QString& fallback, const QString& suffix) const {
  const QString file = FWindow.CurrentFile();
  const QString base = (file.isEmpty() ? fallback : QFileInfo(file).completeBaseName()) + suffix;
  return FWindow.FSetup.ChartSaveDialog(
      &FWindow, QDir(FWindow.FFiles.DialogDirectory()).filePath(base + QStringLiteral(".png")));
}

void TChartCommands::Save() {
  if (!DrawNow()) return;
  const QString path = AskPicturePath(QStringLiteral("操作性能图"), QString());
  if (path.isEmpty()) return;
  QString error;
  if (!SaveChartTo(path, &error)) FWindow.ReportError(error);
}

bool TChartCommands::SaveChartTo(const QString& path, QString* error) {
  if (!DrawNow()) {
    if (error) *error = QStringLiteral("操作性能图无法绘制: 数据不全或计算未完成");
    return false;
  }
  try {
    CheckOutputFile(path, FWindow.CurrentFile());
  } catch (const TFileError& e) {
    if (error) *error = QString::fromStdString(e.what());
    return false;
  }
  return SaveChart(*FEnvelope, FNotes, path, error);
}

void TChartCommands::SaveAnalysisChart(bool tornado) {
  const TDocumentAnalysis& a = FWindow.FAnalysisResult;
  if (tornado ? a.Sensitivity.empty() : (!a.SweepSettings || a.Sweep.empty())) {
    FWindow.FSetup.MessageBox(&FWindow,
                              QStringLiteral("没有可保存的图: 请先填写分析设置并完成计算。"));
    return;
  }
  const QString path = AskPicturePath(
      QStringLiteral("设计"), tornado ? QStringLiteral("-敏感性") : QStringLiteral("-扫描"));
  if (path.isEmpty()) return;
  QString error;
  try {
    CheckOutputFile(path, FWindow.CurrentFile());
  } catch (const TFileError& e) {
    FWindow.ReportError(QString::fromStdString(e.what()));
    return;
  }
  const bool saved = tornado ? SaveAnalysisPicture(a.Sensitivity, path, &error)
                             : SaveAnalysisPicture(a.Sweep, a.SweepSettings->Input,
                                                   a.SweepSettings->Result, path, &error);
  if (!saved) FWindow.ReportError(error);
}

}  // namespace velm
