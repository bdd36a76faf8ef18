// The chart page of the main window: the envelope loads from the fields, the drawing of both
// diagrams after a recalculation, the load readout on the load diagram, and the chart as a
// picture (clipboard, PNG, SVG).
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
#include "app/MyStatusBar.h"
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

void TFormVELM::ConnectChartCommands() {
  if (!FSetup.ChartSaveDialog) FSetup.ChartSaveDialog = ChartSaveFileDialog;
  for (const char* name : {"BDrawper", "MReport_Per"}) {
    if (auto* a = findChild<QAction*>(QString::fromLatin1(name))) {
      a->setEnabled(true);
      connect(a, &QAction::triggered, this, &TFormVELM::BDrawperClick);
    }
  }
  auto* copy = findChild<QAction*>(QStringLiteral("MReport_PerCopy"));
  auto* save = findChild<QAction*>(QStringLiteral("MReport_PerSave"));
  copy->setEnabled(true);
  save->setEnabled(true);
  connect(copy, &QAction::triggered, this, &TFormVELM::MReport_PerCopyClick);
  connect(save, &QAction::triggered, this, &TFormVELM::MReport_PerSaveClick);
  for (TPaintBox* box : {FPYPaintBox, FMyPaintBox}) {
    box->setContextMenuPolicy(Qt::ActionsContextMenu);
    box->addAction(copy);
    box->addAction(save);
  }
  // A repaint is answered after it, never inside it: the drawing may show a message box.
  connect(FMyPaintBox, &TPaintBox::Paint, this, &TFormVELM::MyPaintBoxPaint, Qt::QueuedConnection);
  connect(FMyPaintBox, &TPaintBox::MouseDown, this, &TFormVELM::MyPaintBoxMouseown);
  connect(FMyPaintBox, &TPaintBox::MouseMove, this, &TFormVELM::MyPaintBoxMouseMove);
  connect(FMyPaintBox, &TPaintBox::MouseUp, this, &TFormVELM::MyPaintBoxMouseUp);
}

bool TFormVELM::CalcEnvelopeLoads(double& L, double& V, double& Lmin, double& Vmin, double& L80,
                                  double& V80) {
  TWindowFields fields(
      *this, [this](const QString& text) { FSetup.MessageBox(this, text); }, [] {});
  if (!AllFilled(fields, {TField::UmD, TField::dD, TField::LD, TField::VD})) return false;
  {
    // Made current by the program: not the user's page change, which would draw again.
    const QSignalBlocker block(FPageControl);
    FPageControl->setCurrentIndex(2);
  }
  // A rated column is drawn at its own flood fraction (as DocumentEnvelope draws it).
  const double f =
      FRatingResult && FCase.FloodFraction
          ? 100.0 * *FCase.FloodFraction
          : StrToFloat(Need<QComboBox>(QStringLiteral("fpercentD"))->currentText().toStdString());
  const double Um = fields.Value(TField::UmD);
  L = fields.Value(TField::LD);
  V = fields.Value(TField::VD);
  const TWaitCursor wait;
  const TEnvelopeLoads e = EnvelopeLoads(L, V, Um, f);
  Lmin = e.Lmin;
  Vmin = e.Vmin;
  L80 = e.L80;
  V80 = e.V80;
  return true;
}

TChartNotes TFormVELM::CurrentChartNotes() const { return ChartNotesOf(FFindings); }

void TFormVELM::MReport_PerClick() {
  // A drawing does not start inside another one or inside a calculation's message box.
  if (FInChart || FInLDExit) return;
  FInChart = true;
  FEnvelope.reset();
  const int reportsBefore = FReportCount;
  bool done = false;
  Guard([&] {
    double L, V, Lmin, Vmin, L80, V80;
    if (!CalcEnvelopeLoads(L, V, Lmin, Vmin, L80, V80)) {
      done = true;  // nothing to draw yet, nothing to say
      return;
    }
    SetNeedsRecalc(true);
    LDExit(nullptr);
    if (NeedsRecalc()) return;  // the run did not complete; it has said why
    if (FRatingResult && !CalcEnvelopeLoads(L, V, Lmin, Vmin, L80, V80)) return;
    const TEnvelopeLoads loads{L, V, Lmin, Vmin, L80, V80, 1.25 * L80, 1.25 * V80};
    TEnvelope env = BuildEnvelope(FCase, loads);
    if (FRatingResult) {
      env.RatingLines = FRatingResult->Lines;
      env.Window = FRatingResult->Window;
    }
    TChartNotes notes = CurrentChartNotes();
    DrawPressureDropDiagram(FPYPaintBox, env, notes);
    DrawLoadDiagram(FMyPaintBox, env);
    FEnvelope = std::move(env);
    FChartNotes = std::move(notes);
    done = true;
  });
  // A drawing that ended in a message is not repeated by the repaint that follows the message.
  FChartFailed = !done || FReportCount != reportsBefore;
  FInChart = false;
}

bool TFormVELM::DrawChartNow() {
  FChartFailed = false;
  MReport_PerClick();
  return FEnvelope.has_value();
}

void TFormVELM::BDrawperClick() { DrawChartNow(); }

void TFormVELM::MyPaintBoxPaint(QObject*) {
  if (FPageControl->currentIndex() != 2 || FChartFailed) return;
  MReport_PerClick();
}

void TFormVELM::MyPaintBoxMouseown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                   int y) {
  MouseReadout().XValue = -1;
  PlotMouseDown(button, shift, x, y);
  if (MouseReadout().XValue < 0) return;
  const double L = MouseReadout().XValue, V = MouseReadout().YValue[0];
  QString text = QStringLiteral("L=%1 V=%2")
                     .arg(QString::fromStdString(ChartNumber(L, 4)),
                          QString::fromStdString(ChartNumber(V, 4)));
  // A rated column: these loads by every capacity definition.
  if (FRatingResult) {
    const std::optional<TPackingRecord> packing = SelectedPackingRecord();
    const std::optional<TCaseRating> r =
        packing ? RateLoad(*FRatingResult, *packing, L, V) : std::nullopt;
    if (r && r->Rated)
      for (const TRatingColumn& c : RatingColumns())
        if (const std::optional<double> v = c.Source ? c.Value(*r) : std::nullopt)
          text +=
              QStringLiteral("  %1 %2%")
                  .arg(QString::fromUtf8(c.Caption), QString::fromStdString(ChartNumber(*v, 3)));
  }
  FStatusBar->SetPanelText(0, text);
}

void TFormVELM::MyPaintBoxMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x,
                                    int y) {
  MouseReadout().XValue = -1;
  PlotMouseMove(buttons, shift, x, y);
  if (MouseReadout().XValue >= 0)
    FStatusBar->SetPanelText(
        0, QStringLiteral("L=%1 V=%2")
               .arg(QString::fromStdString(ChartNumber(MouseReadout().XValue, 4)),
                    QString::fromStdString(ChartNumber(MouseReadout().YValue[0], 4))));
}

void TFormVELM::MyPaintBoxMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                  int y) {
  MouseReadout().XValue = -1;
  PlotMouseUp(button, shift, x, y);
}

void TFormVELM::MReport_PerCopyClick() {
  if (!DrawChartNow()) return;
  Guard([this] {
    auto* data = new QMimeData;
    data->setImageData(ChartPicture(*FEnvelope, FChartNotes, 3));
    data->setData(QStringLiteral("image/svg+xml"), ChartSvg(*FEnvelope, FChartNotes));
    QApplication::clipboard()->setMimeData(data);
  });
}

void TFormVELM::MReport_PerSaveClick() {
  if (!DrawChartNow()) return;
  const QString base = CurrentFile().isEmpty() ? QStringLiteral("操作性能图")
                                               : QFileInfo(CurrentFile()).completeBaseName();
  const QString path = FSetup.ChartSaveDialog(
      this, QDir(FFiles.DialogDirectory()).filePath(base + QStringLiteral(".png")));
  if (path.isEmpty()) return;
  QString error;
  if (!SaveChartTo(path, &error)) ReportError(error);
}

bool TFormVELM::SaveChartTo(const QString& path, QString* error) {
  if (!DrawChartNow()) {
    if (error) *error = QStringLiteral("操作性能图无法绘制: 数据不全或计算未完成");
    return false;
  }
  try {
    CheckOutputFile(path, CurrentFile());
  } catch (const TFileError& e) {
    if (error) *error = QString::fromStdString(e.what());
    return false;
  }
  return SaveChart(*FEnvelope, FChartNotes, path, error);
}

void TFormVELM::SaveAnalysisPictureClick(bool tornado) {
  const TDocumentAnalysis& a = FAnalysisResult;
  if (tornado ? a.Sensitivity.empty() : (!a.SweepSettings || a.Sweep.empty())) {
    FSetup.MessageBox(this, QStringLiteral("没有可保存的图: 请先填写分析设置并完成计算。"));
    return;
  }
  const QString base = (CurrentFile().isEmpty() ? QStringLiteral("设计")
                                                : QFileInfo(CurrentFile()).completeBaseName()) +
                       (tornado ? QStringLiteral("-敏感性") : QStringLiteral("-扫描"));
  const QString path = FSetup.ChartSaveDialog(
      this, QDir(FFiles.DialogDirectory()).filePath(base + QStringLiteral(".png")));
  if (path.isEmpty()) return;
  QString error;
  try {
    CheckOutputFile(path, CurrentFile());
  } catch (const TFileError& e) {
    ReportError(QString::fromStdString(e.what()));
    return;
  }
  const bool saved = tornado ? SaveAnalysisPicture(a.Sensitivity, path, &error)
                             : SaveAnalysisPicture(a.Sweep, a.SweepSettings->Input,
                                                   a.SweepSettings->Result, path, &error);
  if (!saved) ReportError(error);
}

}  // namespace velm
