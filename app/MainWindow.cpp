#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSettings>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>

#include "app/AboutDialog.h"
#include "app/AnalysisPanel.h"
#include "app/ColumnPanel.h"
#include "app/FileCommands.h"
#include "app/PackingGrid.h"
#include "app/PackingScreening.h"
#include "app/RatingPanel.h"
#include "app/StatusBar.h"
#include "app/WindowFields.h"
#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "base/SafeFiles.h"
#include "chart/PlotCanvas.h"
#include "core/Calculate.h"
#include "core/Methods.h"
#include "core/Services.h"
#include "table/PackingList.h"
#include "units/ColorTable.h"
#include "units/RelationGroups.h"
#include "units/UnitEntry.h"
#include "units/UnitSelector.h"
#include "units/ValueField.h"

namespace velm {

namespace {

bool GModified = false;
bool GNeedsRecalc = false;
std::function<void(bool)> GModifiedChanged;

// Width of the value fields and of the unit selectors [pixels]; the selectors show the unit's
// name, the padded factor part of an entry stays out of sight.
constexpr int kFieldWidth = 100;
constexpr int kUnitWidth = 80;
// Widest a value field grows on a wide window, and the width of the calculation page's block
// [pixels]: wider, the eye loses the row between a label and its number.
constexpr int kFieldMaxWidth = 220;
constexpr int kCalPageMaxWidth = 1480;
// Height of the whole-column block under the chart page's diagrams [pixels].
constexpr int kColumnPanelHeight = 960;
constexpr int kAnalysisPanelHeight = 1500;
// The messages pane: its height at first start [text lines], the most a stored height may ask
// for [pixels], and where it is kept in the window's settings.
constexpr int kMessagesDefaultLines = 10;
constexpr int kMessagesMaxHeight = 4000;
const QString kMessagesHeightKey = QStringLiteral("MainWindow/MessagesHeight");
// Height handed to the pages before the window is laid out; they take whatever is left.
constexpr int kPagesStartHeight = 2000;

// The unit selector of a value field: the final "D" replaced by "U" ("LD" -> "LU").
QString SelectorName(const QString& field) { return field.left(field.size() - 1) + "U"; }
// The caption label of a value field: the final "D" replaced by "L".
QString LabelName(const QString& field) { return field.left(field.size() - 1) + "L"; }

// The items of an option list as the design document defines them.
QStringList ListItems(const std::vector<std::string>& items) {
  QStringList list;
  for (const std::string& item : items) list << QString::fromStdString(item);
  return list;
}

// The flooding methods' names in the order of their stored index.
QStringList FloodingMethodNames() {
  QStringList names;
  for (const auto& m : FloodingMethods()) names << QString::fromUtf8(m->Name());
  return names;
}

QColor WindowTextColor() { return QApplication::palette().color(QPalette::WindowText); }

void SetTextColor(QWidget* w, QPalette::ColorRole role, const QColor& color) {
  QPalette p = w->palette();
  p.setColor(role, color);
  w->setPalette(p);
}

// Simple drawn tool bar pictures for the commands that have no standard one.
QIcon DrawnIcon(const std::function<void(QPainter&)>& draw) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  draw(p);
  return QIcon(pixmap);
}

// The save picture with a pen over its lower right corner.
QIcon SaveAsIcon(const QIcon& save) {
  return DrawnIcon([save](QPainter& p) {
    p.drawPixmap(0, 0, save.pixmap(26, 26));
    p.setPen(QPen(QColor(150, 60, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 29), QPointF(30, 18));
    p.setPen(QPen(QColor(40, 40, 40), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17, 31), QPointF(19, 29));
  });
}

QIcon ReportIcon() {
  return DrawnIcon([](QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 3, 20, 26));
    p.setPen(QPen(QColor(0, 128, 0), 1.2));
    for (int y = 9; y <= 25; y += 4) p.drawLine(QPointF(9, y), QPointF(23, y));
    p.drawLine(QPointF(15, 7), QPointF(15, 27));
  });
}

QIcon PrintIcon() {
  return DrawnIcon([](QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 10));
    p.setBrush(QColor(170, 170, 170));
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 14, 10));
    p.setPen(QPen(QColor(0, 150, 0), 2));
    p.drawPoint(QPointF(25, 15.5));
  });
}

QIcon ChartIcon() {
  return DrawnIcon([](QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(220, 235, 255));
    p.drawRect(QRectF(3, 3, 26, 26));
    p.setPen(QPen(QColor(0, 0, 128), 1.2));
    p.drawLine(QPointF(7, 25), QPointF(26, 25));
    p.drawLine(QPointF(7, 25), QPointF(7, 6));
    QPainterPath curve;
    curve.moveTo(8, 23);
    curve.cubicTo(14, 22, 20, 16, 25, 7);
    p.setPen(QPen(QColor(220, 0, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
  });
}

QIcon LinkIcon(const QColor& color, const QString& letter) {
  return DrawnIcon([color, letter](QPainter& p) {
    p.setPen(QPen(color.darker(150), 1.5));
    p.setBrush(color);
    p.drawEllipse(QRectF(4, 4, 24, 24));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(15);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 4, 24, 24), Qt::AlignCenter, letter);
  });
}

}  // namespace

bool Modified() { return GModified; }
void SetModified(bool on) {
  GModified = on;
  if (GModifiedChanged) GModifiedChanged(on);
}
void SetModifiedChangedHook(std::function<void(bool)> hook) { GModifiedChanged = std::move(hook); }
bool NeedsRecalc() { return GNeedsRecalc; }
void SetNeedsRecalc(bool on) { GNeedsRecalc = on; }

void ShowErrorBox(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

TFormVELM::TFormVELM(QWidget* parent, TFormVELMSetup setup)
    : QMainWindow(parent),
      FSetup(std::move(setup)),
      FFiles(*this),
      FReports(*this),
      FChart(*this),
      FHelp(*this),
      FSimulators(*this) {
  setObjectName(QStringLiteral("FormVELM"));
  FFiles.SetCaption(QStringLiteral("散堆填料塔流体力学-空白项目"));
  setWindowIcon(QIcon(ProgramPicture(32)));
  if (!FSetup.ErrorBox) FSetup.ErrorBox = ShowErrorBox;
  if (!FSetup.MessageBox)
    FSetup.MessageBox = [](QWidget* parent, const QString& text) {
      QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
    };

  BuildMenus();
  BuildToolBar();
  InstallScreeningCommand(*this);
  BuildPages();
  FStatusBar = new TMyStatusBar(this);
  FStatusBar->setObjectName(QStringLiteral("MyStatusBarMain"));
  setStatusBar(FStatusBar);
  // Panel 0 carries the chart's load readout, panel 1 counts the findings of the latest
  // calculation.
  FStatusBar->show();
  BindUnitSelectors();
  ConnectChangeHandlers();
  ConnectCalculation();
  FFiles.Connect();
  FSimulators.Connect();
  FHelp.Connect();
  FReports.Connect();
  FChart.Connect();
  qApp->installEventFilter(this);
  LoadWindowSettings();

  FormCreate();
}

TFormVELM::~TFormVELM() {
  // The hooks point at this unit's flags, which outlive the window; still, a window that is
  // gone should no longer be told about changes made elsewhere.
  if (NeedsRecalcHook() == &GNeedsRecalc) SetNeedsRecalcHook(nullptr);
  if (ModifiedHook() == &GModified) SetModifiedHook(nullptr);
  SetModifiedChangedHook({});
  // The error report hook refers to this window.
  SetErrorReportHook({});
  // The key hint window serves this window only; widgets must go before the application.
  FreeKeyHintWindow();
}

void TFormVELM::FormCreate() {
  // The unit selectors raise Modified when the user picks another unit; every text change of a
  // value field raises NeedsRecalc.
  SetModifiedHook(&GModified);
  SetNeedsRecalcHook(&GNeedsRecalc);
  // The title's unsaved mark follows the flag ("*" or the platform's own sign).
  SetModifiedChangedHook([this](bool on) { setWindowModified(on); });
  SetErrorReportHook([this](const QString& text) { ReportError(text); });

  const QString file = FSetup.PackingFile.isEmpty()
                           ? FAppConst.DataPath() + QStringLiteral("/Packings.cds")
                           : FSetup.PackingFile;
  try {
    FPackings.LoadLabelledFile(QFile::encodeName(file).toStdString());
    FPackingsLoaded = true;
  } catch (const std::exception& e) {
    // The rest of the start-up needs the table; the window opens with an empty packing list.
    FSetup.ErrorBox(this, QString::fromStdString(e.what()));
    return;
  }
  FGrid->TableModel()->Reload();
  // The constants grid shows where each packing factor comes from: an empty experimental factor
  // reads "估算", and the factor's cell explains itself in its tool tip.
  FGrid->TableModel()->SetCellNote([this](int record, int field, int role) -> QVariant {
    if (field != 14 || record < 0 || record >= FPackings.RecordCount()) return {};
    TPackingRecord p;
    for (int c = 0; c < TPackingRecord::kColumns && c < FPackings.FieldCount(); ++c)
      p.F[c] = FPackings.Value(record, c);
    if (role == Qt::DisplayRole)
      return PackingFactorEstimated(p) ? QStringLiteral("估算") : QVariant();
    return PackingFactorNote(p);
  });

  FPageControl->setCurrentIndex(0);
  FFiles.Start();
  FillPackingList();
  SetModified(false);
  FFiles.OpenCommandLineProject();
}

// --- menus and tool bar ---------------------------------------------------------------------

QAction* TFormVELM::MakeAction(const QString& name, const QString& caption, bool enabled) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  action->setEnabled(enabled);
  return action;
}

QAction* TFormVELM::OnCommand(const char* name, std::function<void(QAction*)> run, bool enable) {
  auto* action = findChild<QAction*>(QString::fromLatin1(name));
  if (!action) return nullptr;
  if (enable) action->setEnabled(true);
  connect(action, &QAction::triggered, this, [action, run = std::move(run)] { run(action); });
  return action;
}

void TFormVELM::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  // Commands whose features are not part of this window yet stay disabled.
  FMFile = bar->addMenu(QStringLiteral("&F 文件"));
  FMFile->setObjectName(QStringLiteral("MFile"));
  FMFile->addAction(MakeAction(QStringLiteral("MFile_New"), QStringLiteral("&N 新建"), false));
  FMFile->addAction(MakeAction(QStringLiteral("MFile_Open"), QStringLiteral("&O 打开"), false));
  FMFile->addSeparator()->setObjectName(QStringLiteral("N1"));
  FMFileSave = MakeAction(QStringLiteral("MFile_Save"), QStringLiteral("&S 保存"), false);
  FMFile->addAction(FMFileSave);
  FMFile->addAction(MakeAction(QStringLiteral("MFile_Saveas"), QStringLiteral("&A 另存为"), false));
  FMFile->addSeparator()->setObjectName(QStringLiteral("N2"));
  QAction* exit = MakeAction(QStringLiteral("MExit"), QStringLiteral("&E 结束"), true);
  FMFile->addAction(exit);
  connect(FMFile, &QMenu::aboutToShow, this, &TFormVELM::MFileClick);
  connect(exit, &QAction::triggered, this, &TFormVELM::MExitClick);

  QMenu* report = bar->addMenu(QStringLiteral("&R 报表"));
  report->setObjectName(QStringLiteral("MReport"));
  report->addAction(
      MakeAction(QStringLiteral("MReport_Save"), QStringLiteral("&S 保存报表"), false));
  report->addAction(
      MakeAction(QStringLiteral("MReport_Print"), QStringLiteral("&P 打印报表"), false));
  report->addAction(MakeAction(QStringLiteral("MReport_Pdf"), QStringLiteral("&F 导出PDF"), false));
  report->addSeparator()->setObjectName(QStringLiteral("N3"));
  report->addAction(
      MakeAction(QStringLiteral("MReport_Per"), QStringLiteral("&D 操作性能图"), false));
  report->addAction(
      MakeAction(QStringLiteral("MReport_PerCopy"), QStringLiteral("&C 复制操作性能图"), false));
  report->addAction(
      MakeAction(QStringLiteral("MReport_PerSave"), QStringLiteral("&G 保存操作性能图..."), false));

  bar->addAction(MakeAction(QStringLiteral("MAbout"), QStringLiteral("&A 关于..."), true));

  QMenu* help = bar->addMenu(QStringLiteral("&H 帮助中心"));
  help->setObjectName(QStringLiteral("MHelp"));
  help->addAction(MakeAction(QStringLiteral("MHelp_Topic"), QStringLiteral("&T 帮助主题"), true));
  help->addAction(
      MakeAction(QStringLiteral("MHelp_Whatthis"), QStringLiteral("&W 这是什么?"), true));
  help->addAction(MakeAction(QStringLiteral("MHelp_URL"), QStringLiteral("&H 官方网站"), true));
  help->addAction(MakeAction(QStringLiteral("MHelp_Email"), QStringLiteral("&E 联系我们"), true));
  help->addSeparator()->setObjectName(QStringLiteral("N4"));
  help->addAction(
      MakeAction(QStringLiteral("MHELP_Update"), QStringLiteral("&U 下载升级包"), true));
}

void TFormVELM::BuildToolBar() {
  FToolBar = new QToolBar(QStringLiteral("工具栏"), this);
  FToolBar->setObjectName(QStringLiteral("ToolBar1"));
  FToolBar->setMovable(false);
  FToolBar->setFloatable(false);
  FToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  FToolBar->setIconSize(QSize(24, 24));
  FToolBar->toggleViewAction()->setEnabled(false);
  addToolBar(Qt::TopToolBarArea, FToolBar);

  QStyle* s = style();
  struct TButton {
    const char* Name;
    const char* Caption;
    QIcon Icon;
    bool SeparatorBefore;
  };
  const TButton buttons[] = {
      {"BNew", "新建", s->standardIcon(QStyle::SP_FileIcon), false},
      {"BOpen", "打开", s->standardIcon(QStyle::SP_DialogOpenButton), false},
      {"BSave", "保存", s->standardIcon(QStyle::SP_DialogSaveButton), false},
      {"BSaveas", "另存为", SaveAsIcon(s->standardIcon(QStyle::SP_DialogSaveButton)), false},
      {"BReport", "保存报表", ReportIcon(), true},
      {"BPrint", "打印", PrintIcon(), false},
      {"BDrawper", "操作性能图", ChartIcon(), false},
      {"BHysys", "连接Hysys", LinkIcon(QColor(0, 110, 190), QStringLiteral("H")), true},
      {"BProii", "连接Proii", LinkIcon(QColor(200, 90, 0), QStringLiteral("P")), false},
  };
  for (const TButton& b : buttons) {
    if (b.SeparatorBefore) FToolBar->addSeparator();
    const QString caption = QString::fromUtf8(b.Caption);
    QAction* action = MakeAction(QString::fromLatin1(b.Name), caption, false);
    action->setIcon(b.Icon);
    action->setToolTip(caption);
    FToolBar->addAction(action);
    if (QWidget* button = FToolBar->widgetForAction(action))
      button->setObjectName(QString::fromLatin1(b.Name));
  }
}

// --- pages ------------------------------------------------------------------------------------

void TFormVELM::BuildPages() {
  FSplitter = new QSplitter(Qt::Vertical, this);
  FSplitter->setObjectName(QStringLiteral("Splitter1"));
  FSplitter->setHandleWidth(5);
  FSplitter->setChildrenCollapsible(false);
  // Sky blue (166, 202, 240) handle between the pages and the messages pane.
  FSplitter->setStyleSheet(
      QStringLiteral("QSplitter::handle { background-color: rgb(166, 202, 240); }"));

  FPageControl = new QTabWidget(FSplitter);
  FPageControl->setObjectName(QStringLiteral("PageControlMain"));

  // The calculation page scrolls on small screens instead of making the window larger than the
  // screen; on wide ones its block keeps a readable width, centred.
  QWidget* cal = BuildCalculationPage();
  cal->setObjectName(QStringLiteral("PanelCal"));
  cal->setMaximumWidth(kCalPageMaxWidth);
  FPageControl->addTab(ScrolledPage(QStringLiteral("TabSheetCal"), cal), QStringLiteral("计算"));

  auto* constPage = new QWidget;
  constPage->setObjectName(QStringLiteral("TabSheetConst"));
  auto* constLayout = new QVBoxLayout(constPage);
  constLayout->setContentsMargins(2, 2, 2, 2);
  FGrid = new TMyDBGrid(constPage);
  FGrid->setObjectName(QStringLiteral("MyDBGrid1"));
  FGrid->setTable(&FPackings);
  constLayout->addWidget(FGrid);
  FPageControl->addTab(constPage, QStringLiteral("常量"));

  // The chart page: two paint boxes at the positions the chart is laid out for; the page
  // scrolls to them when the window is smaller.
  auto* perPage = new QWidget;
  perPage->setObjectName(QStringLiteral("PanelPer"));
  FPYPaintBox = new TPaintBox(perPage);
  FPYPaintBox->setObjectName(QStringLiteral("PYPaintBox"));
  FPYPaintBox->setGeometry(QRect(kPressureDropBoxAt, QSize(kChartBoxWidth, kChartBoxHeight)));
  FMyPaintBox = new TPaintBox(perPage);
  FMyPaintBox->setObjectName(QStringLiteral("MyPaintBox"));
  FMyPaintBox->setGeometry(QRect(kLoadBoxAt, QSize(kChartBoxWidth, kChartBoxHeight)));
  // Under the diagrams, the whole column: its stages, sections, results and profile; its
  // changes ask for a run.
  FColumn = new TColumnPanel(perPage);
  FColumn->setGeometry(
      QRect(QPoint(kPressureDropBoxAt.x(), FMyPaintBox->geometry().bottom() + 12),
            QSize(FMyPaintBox->geometry().right() - kPressureDropBoxAt.x(), kColumnPanelHeight)));
  connect(FColumn, &TColumnPanel::Changed, this, [this] {
    SetModified(true);
    SetNeedsRecalc(true);
    LDExit(nullptr);
  });
  connect(FColumn, &TColumnPanel::ImportRequested, this,
          [this] { Guard([this] { FSimulators.ImportHysysColumn(); }); });
  connect(FColumn, &TColumnPanel::ImportProiiRequested, this,
          [this] { Guard([this] { FSimulators.ImportProiiColumn(); }); });
  // Under the column, how sure the design is: calibration, uncertainty, sensitivity, sweep.
  FAnalysis = new TAnalysisPanel(perPage);
  FAnalysis->setGeometry(QRect(QPoint(kPressureDropBoxAt.x(), FColumn->geometry().bottom() + 12),
                               QSize(FColumn->width(), kAnalysisPanelHeight)));
  connect(FAnalysis, &TAnalysisPanel::Changed, this, [this] {
    SetModified(true);
    SetNeedsRecalc(true);
    LDExit(nullptr);
  });
  connect(FAnalysis->Analysis(), &TAnalysisBox::SaveTornadoRequested, this,
          [this] { Guard([this] { FChart.SaveAnalysisChart(true); }); });
  connect(FAnalysis->Analysis(), &TAnalysisBox::SaveSweepRequested, this,
          [this] { Guard([this] { FChart.SaveAnalysisChart(false); }); });
  perPage->setMinimumSize(FMyPaintBox->geometry().right() + kPressureDropBoxAt.x() + 1,
                          FAnalysis->geometry().bottom() + kPressureDropBoxAt.y() + 1);
  FPageControl->addTab(ScrolledPage(QStringLiteral("TabSheetPer"), perPage),
                       QStringLiteral("操作性能图"));
  connect(FPageControl, &QTabWidget::currentChanged, this, &TFormVELM::PageControlMainChange);

  FMessages = new QPlainTextEdit(FSplitter);
  FMessages->setObjectName(QStringLiteral("MMessages"));
  FMessages->setReadOnly(true);
  FMessages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FMessages->setPlainText(QStringLiteral("====Messages===="));
  // At least two lines stay visible whatever the divider's position.
  FMessages->setMinimumHeight(MessagesHeightForLines(2));

  FSplitter->addWidget(FPageControl);
  FSplitter->addWidget(FMessages);
  FSplitter->setStretchFactor(0, 1);
  FSplitter->setStretchFactor(1, 0);
  // The pages take what the window gains or loses; the pane keeps its height.
  FSplitter->setSizes({kPagesStartHeight, MessagesHeightForLines(kMessagesDefaultLines)});
  // A height the user chose by dragging the divider is kept, also for the next start.
  connect(FSplitter, &QSplitter::splitterMoved, this, [this] { FMessagesHeightChosen = true; });
  setCentralWidget(FSplitter);
}

void TFormVELM::SplitterResized() {
  if (FMessagesHeightChosen) return;
  // Until the user chooses, the pane shows ten lines, or a third of the height on a small
  // screen, so that the pages keep the larger part; on a tall screen it takes the height the
  // calculation page does not need, rather than leaving it blank under the page.
  const int total = FSplitter->height() - FSplitter->handleWidth();
  if (total <= 0) return;
  const int lines = MessagesHeightForLines(kMessagesDefaultLines);
  const int pages = FPageControl->tabBar()->sizeHint().height() + 8 +
                    Need<QWidget>(QStringLiteral("PanelCal"))->sizeHint().height();
  int height = total - pages;
  if (height < lines) height = std::min(lines, total / 3);
  height = std::max(FMessages->minimumHeight(), height);
  FSplitter->setSizes({total - height, height});
}

QScrollArea* TFormVELM::ScrolledPage(const QString& name, QWidget* content) {
  auto* area = new QScrollArea;
  area->setObjectName(name);
  area->setFrameShape(QFrame::NoFrame);
  area->setWidgetResizable(true);
  area->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  area->setWidget(content);
  return area;
}

int TFormVELM::MessagesHeightForLines(int lines) const {
  const QFontMetrics metrics(FMessages->font());
  const int margins = 2 * (FMessages->frameWidth() +
                           static_cast<int>(std::ceil(FMessages->document()->documentMargin())));
  return lines * metrics.lineSpacing() + margins;
}

QString TFormVELM::SettingsFile() const {
  if (!FSetup.SettingsFile.isEmpty()) return FSetup.SettingsFile;
  return FSetup.UseRecentFiles ? FAppConst.UserFile(QStringLiteral(".ini")) : QString();
}

void TFormVELM::LoadWindowSettings() {
  const QString file = SettingsFile();
  if (file.isEmpty()) return;
  // A pipe or device in the file's place would block the start: refused and said once.
  if (QFileInfo::exists(file)) {
    if (const auto problem = DocumentProblem(QFile::encodeName(file).toStdString())) {
      FSetup.ErrorBox(
          this, QStringLiteral("窗口设置无法读取，已忽略：") + QString::fromStdString(*problem));
      return;
    }
  }
  const QSettings settings(file, QSettings::IniFormat);
  bool ok = false;
  const int height = settings.value(kMessagesHeightKey).toInt(&ok);
  // A missing, unreadable or absurd height keeps the default.
  if (!ok || height < FMessages->minimumHeight() || height > kMessagesMaxHeight) return;
  FSplitter->setSizes({kPagesStartHeight, height});
  FMessagesHeightChosen = true;
}

void TFormVELM::SaveWindowSettings() {
  const QString file = SettingsFile();
  // The default height is not stored: it follows the screen of the next start.
  if (file.isEmpty() || !FMessagesHeightChosen) return;
  if (QFileInfo::exists(file) && DocumentProblem(QFile::encodeName(file).toStdString())) return;
  QSettings settings(file, QSettings::IniFormat);
  settings.setValue(kMessagesHeightKey, FSplitter->sizes().value(1, FMessages->height()));
  settings.sync();
}

QWidget* TFormVELM::BuildCalculationPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(4);
  layout->addWidget(BuildProjectGroup());

  auto* inputs = new QHBoxLayout;
  inputs->setSpacing(6);
  inputs->addWidget(BuildLiquidGroup(), 1);
  inputs->addWidget(BuildGasGroup(), 1);
  inputs->addWidget(BuildOtherGroup(), 1);
  layout->addLayout(inputs);

  auto* line = new QFrame(page);
  line->setObjectName(QStringLiteral("Bevel1"));
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  layout->addWidget(line);

  layout->addWidget(BuildResults());
  // Rating a given column: its inputs ask for a run as a field's exit does.
  FRating = new TRatingPanel;
  connect(FRating, &TRatingPanel::Changed, this, [this] {
    SetModified(true);
    SetNeedsRecalc(true);
    LDExit(nullptr);
  });
  layout->addWidget(FRating);
  layout->addStretch(1);
  return page;
}

QLabel* TFormVELM::AddLabel(QGridLayout* grid, int row, int column, const QString& name,
                            const QString& caption) {
  auto* label = new QLabel(caption);
  label->setObjectName(name);
  grid->addWidget(label, row, column, Qt::AlignVCenter | Qt::AlignLeft);
  return label;
}

QLabel* TFormVELM::AddSectionCaption(QGridLayout* grid, int row, const QString& name,
                                     const QString& caption) {
  auto* label = new QLabel(caption);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignCenter);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  SetTextColor(label, QPalette::WindowText, QColor(0, 0, 128));
  grid->addWidget(label, row, 0, 1, 3);
  return label;
}

TEditD* TFormVELM::AddValueRow(QGridLayout* grid, int row, int column, TField code, char role) {
  const TFieldInfo& info = FieldInfo(code);
  const QString name = QString::fromLatin1(info.Code);
  const QString caption = QString::fromUtf8(info.Caption);
  const QString hint = QString::fromUtf8(info.Hint);
  const int help = info.HelpContext;
  QLabel* label = AddLabel(grid, row, column, LabelName(name), caption);
  FLabels.insert(name, label);
  auto* field = new TEditD;
  field->setObjectName(name);
  field->setMinimumWidth(kFieldWidth);
  field->setMaximumWidth(kFieldMaxWidth);
  if (role == 'R') field->SetMyResolved(false);
  if (role == 'O') {
    // Results: read-only, on the button face like the other read-only controls.
    field->setReadOnly(true);
    field->SetColor(kColorBtnFace);
  }
  if (!hint.isEmpty()) field->setToolTip(hint);
  if (help > 0) field->setProperty("HelpContext", help);
  label->setBuddy(field);
  // Messages name the field by its caption ("液相密度是错误数据").
  field->SetMyLabel(label);
  grid->addWidget(field, row, column + 2);

  auto* unit = new TComboBoxU;
  unit->setObjectName(SelectorName(name));
  unit->SetEntries(UnitListFor(unit->objectName().toStdString()));
  unit->setFixedWidth(kUnitWidth);
  grid->addWidget(unit, row, column + 3);
  FFields.insert(name, field);
  return field;
}

QComboBox* TFormVELM::AddListRow(QGridLayout* grid, int row, const QString& name,
                                 const QString& caption, const QStringList& items,
                                 const QString& hint, int help) {
  QLabel* label = AddLabel(grid, row, 0, LabelName(name), caption);
  auto* list = new QComboBox;
  list->setObjectName(name);
  list->addItems(items);
  if (!items.isEmpty()) list->setCurrentIndex(0);
  if (!hint.isEmpty()) list->setToolTip(hint);
  if (help > 0) list->setProperty("HelpContext", help);
  label->setBuddy(list);
  grid->addWidget(list, row, 2, 1, 2);
  return list;
}

QWidget* TFormVELM::BuildProjectGroup() {
  auto* group = new QGroupBox(QStringLiteral("项目信息"));
  group->setObjectName(QStringLiteral("GroupBoxProject"));
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);

  struct TText {
    const char* Name;
    const char* Label;
    const char* Caption;
  };
  const TText texts[] = {
      {"ProjectD", "ProjectL", "项目名称"},
      {"DevicenameD", "DevicenameL", "设备名称"},
      {"DeviceNoD", "DeviceNoL", "设备位号"},
      {"ProjPD", "ProjPL", "项目阶段"},
      {"Edit1", "Edit1L", "备用"},
      {"Edit2", "Edit2L", "备用"},
      {"Edit3", "Edit3L", "备用"},
      {"Edit4", "Edit4L", "备用"},
  };
  for (int i = 0; i < 8; ++i) {
    const int row = i / 4;
    const int column = (i % 4) * 2;
    QLabel* label = AddLabel(grid, row, column, QString::fromLatin1(texts[i].Label),
                             QString::fromUtf8(texts[i].Caption));
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(texts[i].Name));
    label->setBuddy(edit);
    grid->addWidget(edit, row, column + 1);
    grid->setColumnStretch(column + 1, 1);
  }
  QLabel* commentLabel = AddLabel(grid, 0, 8, QStringLiteral("CommentL"), QStringLiteral("说明"));
  grid->setAlignment(commentLabel, Qt::AlignTop | Qt::AlignLeft);
  FComment = new QTextEdit;
  FComment->setObjectName(QStringLiteral("CommentD"));
  FComment->setAcceptRichText(false);
  FComment->setTabChangesFocus(true);
  FComment->setFixedHeight(2 * QFontMetrics(FComment->font()).height() + 16);
  commentLabel->setBuddy(FComment);
  grid->addWidget(FComment, 0, 9, 2, 1);
  grid->setColumnStretch(9, 2);
  return group;
}

QWidget* TFormVELM::BuildLiquidGroup() {
  auto* group = new QGroupBox(QStringLiteral("液相数据"));
  group->setObjectName(QStringLiteral("GroupBoxLiquid"));
  group->setToolTip(QStringLiteral("液相物性和工艺数据"));
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setVerticalSpacing(3);
  grid->setColumnStretch(2, 100);
  // Beyond the fields' widest, the group's width goes to the right of the unit selectors.
  grid->setColumnStretch(4, 1);

  AddSectionCaption(grid, 0, QStringLiteral("LiquidPropertyCaption"),
                    QStringLiteral("物 性 数 据"));
  AddValueRow(grid, 1, 0, TField::DlD, 'R');
  AddValueRow(grid, 2, 0, TField::MlD, 'R');
  AddValueRow(grid, 3, 0, TField::SLD, 'R');
  AddValueRow(grid, 4, 0, TField::DlfD, 'R');

  const QStringList foaming = ListItems(FoamingFactorItems());
  QLabel* afLabel = AddLabel(grid, 5, 0, QStringLiteral("AfL"), QStringLiteral("液体发泡系数"));
  auto* af = new QComboBox;
  af->setObjectName(QStringLiteral("AfD"));
  af->addItems(foaming);
  af->setCurrentIndex(static_cast<int>(foaming.indexOf(QStringLiteral("0.8"))));
  af->setToolTip(QStringLiteral("高泡沫选0.5,中泡沫选0.8,无泡沫选1.0.其它酌情选取."));
  af->setProperty("HelpContext", 2);
  af->setMaximumWidth(kFieldMaxWidth);
  afLabel->setBuddy(af);
  grid->addWidget(af, 5, 2);

  AddSectionCaption(grid, 6, QStringLiteral("LiquidProcessCaption"), QStringLiteral("工 艺 数 据"));
  AddValueRow(grid, 7, 0, TField::LD, 'R');
  grid->setRowStretch(8, 1);
  return group;
}

QWidget* TFormVELM::BuildGasGroup() {
  auto* group = new QGroupBox(QStringLiteral("气相数据"));
  group->setObjectName(QStringLiteral("GroupBoxGas"));
  group->setToolTip(QStringLiteral("气相物性和工艺数据"));
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setVerticalSpacing(3);
  grid->setColumnStretch(2, 100);
  // Beyond the fields' widest, the group's width goes to the right of the unit selectors.
  grid->setColumnStretch(4, 1);

  AddSectionCaption(grid, 0, QStringLiteral("GasPropertyCaption"), QStringLiteral("物 性 数 据"));
  AddValueRow(grid, 1, 0, TField::DvD, 'R');
  AddValueRow(grid, 2, 0, TField::MvD, 'R');
  AddValueRow(grid, 3, 0, TField::DvfD, 'R');

  AddSectionCaption(grid, 4, QStringLiteral("GasProcessCaption"), QStringLiteral("工 艺 数 据"));
  AddValueRow(grid, 5, 0, TField::VD, 'R');

  // Design percentage of flooding: an editable list, the usual choices first.
  const QStringList percents = ListItems(FloodPercentItems());
  QLabel* label = AddLabel(grid, 6, 0, QStringLiteral("fpercentL"), QStringLiteral("泛点预设"));
  auto* fpercent = new QComboBox;
  fpercent->setObjectName(QStringLiteral("fpercentD"));
  fpercent->setEditable(true);
  fpercent->setInsertPolicy(QComboBox::NoInsert);
  fpercent->addItems(percents);
  fpercent->setCurrentIndex(0);
  fpercent->setEditText(QStringLiteral("80"));
  fpercent->setToolTip(QStringLiteral("通常在50%到80%之间。激进的设置可达90%"));
  fpercent->setProperty("HelpContext", 12);
  fpercent->setMaximumWidth(kFieldMaxWidth);
  label->setBuddy(fpercent);
  grid->addWidget(fpercent, 6, 2);
  auto* percent = new QLabel(QStringLiteral("%"));
  percent->setObjectName(QStringLiteral("fpercentUL"));
  grid->addWidget(percent, 6, 3);
  // Under the design percentage, the service of the column: it decides the pressure drop the
  // column is designed for (core/Services.cpp).
  QStringList services;
  for (const TService& s : Services()) services << QString::fromUtf8(s.Caption);
  AddListRow(grid, 7, QStringLiteral("ServiceD"), QStringLiteral("工况"), services,
             QStringLiteral("塔的用途: 决定湿塔压降的常用设计范围 (Strigle; Kister 1992 表 8.4) "
                            "和填料筛选的排序依据.\n未指定: 只检查约 800 Pa/m 的一般上限."),
             0);
  grid->setRowStretch(8, 1);
  return group;
}

QWidget* TFormVELM::BuildOtherGroup() {
  auto* group = new QGroupBox(QStringLiteral("其他数据"));
  group->setObjectName(QStringLiteral("GroupBoxOther"));
  group->setToolTip(QStringLiteral("其他数据"));
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setVerticalSpacing(3);
  grid->setColumnStretch(2, 100);
  // Beyond the fields' widest, the group's width goes to the right of the unit selectors.
  grid->setColumnStretch(4, 1);

  FPTD = AddListRow(grid, 0, QStringLiteral("PTD"), QStringLiteral("填料选择"), {}, {}, 0);
  FPTD->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  FPTD->setMinimumContentsLength(16);

  // λ, m and α are derived from each other; they use the window text colour, not the blue
  // digits of the other value fields.
  TEditD* lmd = AddValueRow(grid, 1, 0, TField::LmdD, 'I');
  TEditD* me = AddValueRow(grid, 2, 0, TField::meD, 'I');
  TEditD* alf = AddValueRow(grid, 3, 0, TField::alfD, 'I');
  for (TEditD* f : {lmd, me, alf}) SetTextColor(f, QPalette::Text, WindowTextColor());

  AddListRow(grid, 4, QStringLiteral("MethodD"), QStringLiteral("算法选择"), FloodingMethodNames(),
             QStringLiteral("泛点关联式:Eckert-Orvik或Kister-Orvik"), 24);
  // Calculation basis, beside the flooding method it qualifies.
  AddListRow(grid, 5, QStringLiteral("CalcBasis"), QStringLiteral("计算依据"),
             ListItems(CalculationBasisItems()),
             QStringLiteral("文献: 按公开发表的关联式计算 (Kister 容量参数用运动粘度, Kister-Gill "
                            "泛点压降, Onda 传质单元高度按润湿面积和实际塔径的质量速度).\n"
                            "旧版算法: 与早期版本的结果逐位相同, 用于复核以前的计算; "
                            "其泛点气速和传质单元高度与文献不符."),
             0);
  if (QLayoutItem* item = grid->itemAtPosition(5, 0))
    item->widget()->setObjectName(QStringLiteral("CalcBasisL"));
  AddListRow(grid, 6, QStringLiteral("ACLMethodD"), QStringLiteral("加速收敛算法"),
             ListItems(AccelerationItems()), QStringLiteral("泛点迭代的加速收敛方法"), 25);
  grid->setRowStretch(7, 1);
  return group;
}

QWidget* TFormVELM::BuildResults() {
  auto* results = new QWidget;
  results->setObjectName(QStringLiteral("PanelResults"));
  auto* grid = new QGridLayout(results);
  grid->setContentsMargins(4, 0, 4, 0);
  grid->setVerticalSpacing(3);
  grid->setHorizontalSpacing(6);

  // Three columns: diameter and velocities, loads and pressure drop, wetting and mass transfer,
  // each result where the field registry places it.
  constexpr int kColumns = 3;
  constexpr int kColumnsPerBlock = 5;  // label, check box, field, unit, gap
  // Created column by column, top to bottom: that is also the order of the Tab key.
  std::vector<const TFieldInfo*> placed = ResultFields();
  std::sort(placed.begin(), placed.end(), [](const TFieldInfo* a, const TFieldInfo* b) {
    return std::pair(a->Place.Column, a->Place.Row) < std::pair(b->Place.Column, b->Place.Row);
  });
  for (const TFieldInfo* res : placed) {
    const int base = res->Place.Column * kColumnsPerBlock;
    const int r = res->Place.Row;
    const QString name = QString::fromLatin1(res->Code);
    AddValueRow(grid, r, base, res->Field, 'O');
    QLabel* label = FLabels.value(name);
    SetTextColor(label, QPalette::WindowText, QColor(255, 0, 0));
    if (name == "dD" || name == "KpD" || name == "dPwaterD") {
      QFont f = label->font();
      f.setUnderline(true);
      label->setFont(f);
    }
    if (name == "KfD" || name == "KpD") {
      // Ticked: the calculation computes the factor and the field is read-only.
      auto* check = new QCheckBox(QStringLiteral("计算"));
      check->setObjectName(name == "KfD" ? QStringLiteral("CalKf") : QStringLiteral("CalKp"));
      check->setChecked(true);
      grid->addWidget(check, r, base + 1);
    }
  }
  for (int c = 0; c < kColumns; ++c) {
    const int base = c * kColumnsPerBlock;
    grid->setColumnStretch(base + 2, 100);
    if (c + 1 < kColumns) grid->setColumnMinimumWidth(base + 4, 12);
  }
  // Once the fields are at their widest, the rest of the width stays to the right.
  grid->setColumnStretch(kColumns * kColumnsPerBlock, 1);
  return results;
}

void TFormVELM::BindUnitSelectors() {
  // Every selector converts for its field and starts on its SI unit.
  for (TComboBoxU* unit : findChildren<TComboBoxU*>()) {
    const QString field = unit->objectName().left(unit->objectName().size() - 1) + "D";
    unit->SetAssociated(FFields.value(field, nullptr));
    unit->Loaded();
    // A change of unit raises Modified through the selectors' hook; the title follows it.
    connect(unit, &TComboBoxU::OnRelChange, this, [] { SetModified(GModified); });
  }
}

void TFormVELM::ConnectChangeHandlers() {
  for (const char* name : {"KfD", "KpD", "LD", "DlD", "VD"}) {
    if (TEditD* f = FFields.value(QString::fromLatin1(name), nullptr))
      connect(f, &TEditD::Change, this, &TFormVELM::ProjectDChange);
  }
  for (const char* name :
       {"ProjectD", "DevicenameD", "DeviceNoD", "ProjPD", "Edit1", "Edit2", "Edit3", "Edit4"}) {
    if (auto* e = Control<QLineEdit>(QString::fromLatin1(name)))
      connect(e, &QLineEdit::textChanged, this, &TFormVELM::ProjectDChange);
  }
  connect(FComment, &QTextEdit::textChanged, this, &TFormVELM::ProjectDChange);
}

// --- packing list -----------------------------------------------------------------------------

void TFormVELM::FillPackingList() {
  const QSignalBlocker block(FPTD);
  for (; !FPackings.Eof(); FPackings.Next()) {
    if (FPackings.FieldCount() < 4) break;
    if (FPackings.FieldText(0).empty()) continue;
    QStringList parts;
    for (int c = 0; c < 4; ++c) parts << QString::fromStdString(FPackings.FieldText(c));
    FPTD->addItem(parts.join(QLatin1Char(';')));
  }
  if (FPTD->count() > 0) FPTD->setCurrentIndex(0);
  UpdatePackingHint();
  // A whole column's sections choose from the same packings and the registered methods.
  if (FColumn) {
    QStringList packings, methods;
    for (int i = 0; i < FPTD->count(); ++i) packings << FPTD->itemText(i);
    for (const auto& m : FloodingMethods()) methods << QString::fromUtf8(m->Name());
    FColumn->SetChoices(packings, methods);
  }
}

QString TFormVELM::SelectedPackingKey() const {
  const QString text = FPTD->currentText();
  const qsizetype semi = text.indexOf(QLatin1Char(';'));
  return semi < 0 ? text : text.left(semi);
}

QString TFormVELM::PackingFactorNote(const TPackingRecord& packing) {
  if (!PackingFactorEstimated(packing))
    return QStringLiteral("填料因子 %1: 公开发表的数据.")
        .arg(QString::fromStdString(std::string(Trim(packing.F[14]))));
  QString estimate;
  if (const std::optional<double> a = ParseNumber(Trim(packing.F[10])))
    estimate = QStringLiteral(" ≈ %1 1/m")
                   .arg(QString::fromStdString(FormatGeneral(std::pow(10.0, *a), 4)));
  return QStringLiteral(
             "填料因子为估算值 (a/ε³%1): 没有公开发表的数据, 未经验证, 结果仅供参考. "
             "Kister-Orvik 算法需要实验填料因子.")
      .arg(estimate);
}

std::optional<TPackingRecord> TFormVELM::SelectedPackingRecord() const {
  if (FPTD->currentIndex() < 0) return std::nullopt;
  const std::optional<TMyClientDataSet::TRecord> found =
      FPackings.FindRecord(SelectedPackingKey().toStdString());
  if (!found) return std::nullopt;
  TPackingRecord record;
  for (int c = 0; c < TPackingRecord::kColumns && c < static_cast<int>(found->size()); ++c)
    record.F[c] = (*found)[c];
  return record;
}

void TFormVELM::UpdatePackingHint() {
  const std::optional<TPackingRecord> p = SelectedPackingRecord();
  FPTD->setToolTip(p ? PackingFactorNote(*p) : QString());
}

// --- handlers ---------------------------------------------------------------------------------

void TFormVELM::ReportError(const QString& text) {
  ++FReportCount;
  FSetup.ErrorBox(this, text);
}

void TFormVELM::Guard(const std::function<void()>& body) {
  try {
    body();
  } catch (const TSilentAbort&) {
    // The one who noticed has told the user already.
  } catch (const std::exception& e) {
    ReportError(QString::fromStdString(e.what()));
  } catch (...) {
    ReportError(QStringLiteral("未知错误"));
  }
}

void TFormVELM::MFileClick() { FMFileSave->setEnabled(GModified); }

void TFormVELM::MExitClick() { close(); }

void TFormVELM::PageControlMainChange(int index) {
  // Showing the chart page draws the chart of the current inputs.
  if (index == 2) FChart.DrawNow();
}

void TFormVELM::ProjectDChange() {
  SetModified(true);
  GNeedsRecalc = true;
}

// Whether a key pressed in `target` may change the document: typing, deleting and pasting in an
// editable field, and the keys that change a list's choice. Keys that change nothing do not
// count: moving on with Tab, modifiers alone, the Alt accelerators of the menus, Esc, the
// function keys, moving the text cursor, the command shortcuts (Ctrl+S, Ctrl+C...), and any key in
// a read-only field. A project that was only looked at is then not reported as unsaved.
static bool KeyMayEdit(QWidget* target, QKeyEvent* event) {
  const int key = event->key();
  const Qt::KeyboardModifiers mods = event->modifiers();
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Escape:
    case Qt::Key_Insert:
    case Qt::Key_Print:
    case Qt::Key_Pause:
    case Qt::Key_Menu:
      return false;
    default:
      break;
  }
  if (mods.testFlag(Qt::AltModifier)) return false;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F35) return false;
  if (auto* edit = qobject_cast<QLineEdit*>(target)) {
    if (edit->isReadOnly()) return false;
    // In a text field the navigation keys only move the cursor or the selection; in the text of
    // an editable list, up and down still change the list's choice.
    const bool inList = qobject_cast<QComboBox*>(edit->parentWidget()) != nullptr;
    switch (key) {
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Home:
      case Qt::Key_End:
        return false;
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        if (!inList) return false;
        break;
      default:
        break;
    }
  }
  if (auto* box = qobject_cast<QComboBox*>(target); box && box->isEditable()) {
    // The text cursor keys of an editable list's own text.
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End)
      return false;
  }
  if (mods.testFlag(Qt::ControlModifier)) {
    // Of the Ctrl combinations only cut, paste, undo, redo and word deletion change a text.
    return key == Qt::Key_X || key == Qt::Key_V || key == Qt::Key_Z || key == Qt::Key_Y ||
           key == Qt::Key_Backspace || key == Qt::Key_Delete;
  }
  return true;
}

bool TFormVELM::FormKeyPress(QWidget* target, QKeyEvent* event) {
  if (target == FComment || FComment->isAncestorOf(target)) return false;
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // Enter moves on to the next control in tab order and is consumed.
    focusNextChild();
    return true;
  }
  if (!KeyMayEdit(target, event)) return false;
  SetModified(true);
  GNeedsRecalc = true;
  return false;
}

bool TFormVELM::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && watched->isWidgetType() &&
      FExitControls.contains(static_cast<QWidget*>(watched))) {
    // Leaving a list, a project text or the comment. Losing the focus to another window (a
    // message box) or to a list's own drop-down is not leaving the control.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) LDExit(watched);
  }
  if (event->type() == QEvent::ShortcutOverride &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Save)) {
    // "&S 保存" follows Modified when the menu opens; a shortcut must find it the same way.
    MFileClick();
  }
  if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
    auto* w = static_cast<QWidget*>(watched);
    // The window sees every key of its own controls once, before the focused control does.
    if (w == QApplication::focusWidget() && w->window() == this) {
      FormKeyDown(w, static_cast<QKeyEvent*>(event));
      return FormKeyPress(w, static_cast<QKeyEvent*>(event));
    }
  }
  if (event->type() == QEvent::WindowDeactivate && watched == this) FormDeactivate();
  if (event->type() == QEvent::Resize && watched == FSplitter) SplitterResized();
  return QMainWindow::eventFilter(watched, event);
}

// --- calculation ------------------------------------------------------------------------------

void TFormVELM::ConnectCalculation() {
  // Value fields: their exit runs the check and calculation.
  for (const char* name : {"KfD", "KpD", "LD", "DlD", "MlD", "SLD", "DlfD", "DvfD", "MvD", "DvD",
                           "VD", "LmdD", "meD", "alfD"}) {
    if (TEditD* f = FFields.value(QString::fromLatin1(name), nullptr))
      connect(f, &TEditD::Exit, this, [this](QObject* sender) { LDExit(sender); });
  }
  // Lists, project texts and the comment: their exit, seen by the event filter.
  for (const char* name : {"AfD", "fpercentD", "PTD", "MethodD", "ProjectD", "DevicenameD",
                           "DeviceNoD", "ProjPD", "Edit1", "Edit2", "Edit3", "Edit4", "CommentD"}) {
    if (QWidget* w = Control<QWidget>(QString::fromLatin1(name))) {
      FExitControls.append(w);
      // The comment's text area is what holds the focus.
      if (auto* text = qobject_cast<QTextEdit*>(w)) FExitControls.append(text->viewport());
    }
  }
  // A user's choice in a list (never a change made by the program, such as opening a project).
  auto* af = Control<QComboBox>(QStringLiteral("AfD"));
  auto* fpercent = Control<QComboBox>(QStringLiteral("fpercentD"));
  auto* method = Control<QComboBox>(QStringLiteral("MethodD"));
  auto* accel = Control<QComboBox>(QStringLiteral("ACLMethodD"));
  auto* basis = Control<QComboBox>(QStringLiteral("CalcBasis"));
  connect(af, &QComboBox::activated, this, [this, af] { AfDChange(af); });
  connect(FPTD, &QComboBox::activated, this, [this] { AfDChange(FPTD); });
  connect(FPTD, &QComboBox::currentIndexChanged, this, [this] { UpdatePackingHint(); });
  connect(fpercent, &QComboBox::activated, this, [this, fpercent] { AfDChange(fpercent); });
  if (QLineEdit* edit = fpercent->lineEdit())
    connect(edit, &QLineEdit::textEdited, this, [this, fpercent] { AfDChange(fpercent); });
  connect(method, &QComboBox::activated, this, [this, method] { MethodDChange(method); });
  connect(accel, &QComboBox::activated, this, [this, accel] { ACLMethodDSelect(accel); });
  connect(basis, &QComboBox::activated, this, [this, basis] { CalcBasisSelect(basis); });
  auto* service = Control<QComboBox>(QStringLiteral("ServiceD"));
  connect(service, &QComboBox::activated, this, [this, service] { CalcBasisSelect(service); });
  auto* calKf = Control<QCheckBox>(QStringLiteral("CalKf"));
  auto* calKp = Control<QCheckBox>(QStringLiteral("CalKp"));
  connect(calKf, &QCheckBox::clicked, this, [this, calKf] { CalKfClick(calKf); });
  connect(calKp, &QCheckBox::clicked, this, [this, calKp] { CalKpClick(calKp); });
}

TDesignDocument TFormVELM::Document() const {
  TDesignDocument doc;
  for (const TFieldInfo& f : FieldRegistry()) {
    const TEditD* field = FFields.value(QString::fromLatin1(f.Code), nullptr);
    if (!field) continue;
    TValueFieldState& s = doc[f.Field];
    s.Text = field->text().toStdString();
    s.K = field->K();
    s.B = field->B();
    s.ReadOnly = field->isReadOnly();
    s.Color = field->Color();
    s.Cursor = field->CursorNumber();
    s.Resolved = field->MyResolved();
    s.Stale = field->Stale();
    const auto* unit = Control<TComboBoxU>(QString::fromLatin1(SelectorCode(f.Field).data()));
    s.UnitIndex = unit ? unit->currentIndex() : -1;
  }
  const auto index = [this](const char* name) {
    const auto* list = Control<QComboBox>(QString::fromLatin1(name));
    return list ? list->currentIndex() : -1;
  };
  doc.FoamingIndex = index("AfD");
  doc.FloodPercentIndex = index("fpercentD");
  if (const auto* list = Control<QComboBox>(QStringLiteral("fpercentD")))
    doc.FloodPercentText = list->currentText().toStdString();
  doc.PackingIndex = FPTD->currentIndex();
  doc.FloodMethodIndex = index("MethodD");
  doc.AccelerationIndex = index("ACLMethodD");
  FRating->ReadInto(doc);
  doc.ColumnText = FColumn->Text().toStdString();
  doc.CalibrationText = FAnalysis->Calibration()->Text().toStdString();
  doc.AnalysisText = FAnalysis->Analysis()->Text().toStdString();
  doc.BasisIndex = index("CalcBasis");
  doc.ServiceIndex = index("ServiceD");
  for (auto [name, flag] : {std::pair{"CalKf", &doc.CalcKf}, std::pair{"CalKp", &doc.CalcKp}})
    if (const auto* box = Control<QCheckBox>(QString::fromLatin1(name))) *flag = box->isChecked();
  const char* const texts[] = {"ProjectD", "DevicenameD", "DeviceNoD", "ProjPD",
                               "Edit1",    "Edit2",       "Edit3",     "Edit4"};
  for (size_t i = 0; i < std::size(texts); ++i)
    if (const auto* edit = Control<QLineEdit>(QString::fromLatin1(texts[i])))
      doc.Texts[i] = edit->text().toStdString();
  if (FComment) doc.Comment = FComment->toPlainText().toStdString();
  doc.NeedsRecalc = GNeedsRecalc;
  doc.Case = FCase;
  doc.Findings = FFindings;
  doc.Rating = FRatingResult;
  doc.ColumnInput = FColumnInput;
  doc.Column = FColumnResult;
  doc.Analysis = FAnalysisResult;
  if (const auto* wetting = Control<QLabel>(QStringLiteral("UmL")))
    doc.WettingCaption = wetting->text().toStdString();
  return doc;
}

void TFormVELM::ReadOptions() {
  const int method = Need<QComboBox>(QStringLiteral("MethodD"))->currentIndex();
  const int accel = Need<QComboBox>(QStringLiteral("ACLMethodD"))->currentIndex();
  FCase.FloodMethod = FloodingMethodIndex(method);
  FCase.AccelMethod = accel < 0 ? 0 : accel;  // no selection counts as "Normal"
  FCase.CalcKf = Need<QCheckBox>(QStringLiteral("CalKf"))->isChecked();
  FCase.CalcKp = Need<QCheckBox>(QStringLiteral("CalKp"))->isChecked();
  FCase.LegacyMethods = Need<QComboBox>(QStringLiteral("CalcBasis"))->currentIndex() == 1;
  FCase.Service = std::max(0, Need<QComboBox>(QStringLiteral("ServiceD"))->currentIndex());
  FCase.FoamingFactorText = Need<QComboBox>(QStringLiteral("AfD"))->currentText().toStdString();
  FCase.FloodPercentText =
      Need<QComboBox>(QStringLiteral("fpercentD"))->currentText().toStdString();
}

namespace {

// A run's messages as the window shows them: a field that cannot give its value takes the focus
// with its box, the calculation's boxes and the relation groups' warning are the window's own.
class TWindowEvents final : public TDocumentEvents {
 public:
  TWindowEvents(TFormVELM& form, std::function<void(const QString&)> box)
      : FForm(form), FBox(std::move(box)) {}
  void FieldMessage(const std::string& text) override { FBox(QString::fromStdString(text)); }
  void FieldFailed(TField f, const std::string& message, const std::string& warning) override {
    if (TEditD* field = FForm.Control<TEditD>(QString::fromLatin1(FieldName(f))))
      field->ShowReadFailure(QString::fromStdString(message), QString::fromStdString(warning));
    else
      TDocumentEvents::FieldFailed(f, message, warning);
  }
  void MessageBox(const std::string& text) override { FBox(QString::fromStdString(text)); }
  void RelationWarning(const std::string& text) override { ShowRelationWarning(text); }
  void ErrorReport(const std::string& text) override {
    FForm.ReportError(QString::fromStdString(text));
  }

 private:
  TFormVELM& FForm;
  std::function<void(const QString&)> FBox;
};

}  // namespace

void TFormVELM::LDExit(QObject* sender) {
  (void)sender;
  // A message box shown during a run must not start another one.
  if (!GNeedsRecalc || FInLDExit) return;
  FInLDExit = true;
  // The window's state is a design document: the document's run (relation groups, options,
  // calculation, stale marks, findings) works on it, and the window then shows the result.
  Guard([&] {
    TDesignDocument doc = Document();
    const std::optional<TPackingRecord> packing = SelectedPackingRecord();
    TWindowEvents events(*this, [this](const QString& text) {
      ++FReportCount;
      FSetup.MessageBox(this, text);
    });
    TMemoLog log(FMessages);
    const TPackingList packings = PackingListOf(FPackings);
    RunDocument(doc, packing ? &*packing : nullptr, log, events, packings.Records);
    ShowRun(doc);
  });
  FInLDExit = false;
}

namespace {

const QString kMessagesHeader = QStringLiteral("====Messages====");

// The background of a field or list that a finding concerns.
QColor AlertColor(TFindingLevel level) {
  switch (level) {
    case TFindingLevel::Error:
      return QColor(255, 190, 190);
    case TFindingLevel::Warning:
      return QColor(255, 232, 150);
    case TFindingLevel::Note:
      break;
  }
  return QColor(215, 232, 255);
}

bool IsFindingLine(const QString& line) {
  for (TFindingLevel level : {TFindingLevel::Error, TFindingLevel::Warning, TFindingLevel::Note})
    if (line.startsWith(QStringLiteral("【") + QString::fromUtf8(LevelLabel(level)) +
                        QStringLiteral("】")))
      return true;
  return false;
}

// Marks a list (foaming factor, design percentage) as a value field's alert does; the list's own
// hint is kept in a property and comes back when the alert goes.
void SetListAlert(QComboBox* list, const QColor& color, const QString& text) {
  if (!list->property("OwnHint").isValid()) list->setProperty("OwnHint", list->toolTip());
  const QString own = list->property("OwnHint").toString();
  QPalette p = QApplication::palette(list);
  if (color.isValid()) {
    p.setColor(QPalette::Base, color);
    p.setColor(QPalette::Button, color);
  }
  list->setPalette(p);
  list->setToolTip(text.isEmpty() ? own : (own.isEmpty() ? text : own + '\n' + text));
}

}  // namespace

void TFormVELM::ShowRun(const TDesignDocument& doc) {
  // The fields as the run left them: texts, the relation groups' marks, the stale results.
  for (const TFieldInfo& info : FieldRegistry()) {
    TEditD* field = FFields.value(QString::fromLatin1(info.Code), nullptr);
    if (!field) continue;
    const TValueFieldState& s = doc[info.Field];
    const QString text = QString::fromStdString(s.Text);
    if (field->text() != text) field->setText(text);
    if (field->Color() != s.Color) field->SetColor(s.Color);
    if (field->isReadOnly() != s.ReadOnly) field->setReadOnly(s.ReadOnly);
    if (field->CursorNumber() != s.Cursor) field->SetCursorNumber(s.Cursor);
    field->SetStale(s.Stale);
  }
  if (auto* wetting = Control<QLabel>(QStringLiteral("UmL")))
    wetting->setText(QString::fromStdString(doc.WettingCaption));
  // A method the packing cannot run was set back to "Eckert-Orvik"; the Kf inputs follow it.
  auto* method = Need<QComboBox>(QStringLiteral("MethodD"));
  if (method->currentIndex() != doc.FloodMethodIndex) {
    method->setCurrentIndex(doc.FloodMethodIndex);
    MethodDChange();
  }
  FCase = doc.Case;
  FFindings = doc.Findings;
  FRatingResult = doc.Rating;
  FRating->ShowDocument(doc);
  FColumnInput = doc.ColumnInput;
  FColumnResult = doc.Column;
  FColumn->ShowDocument(doc);
  FAnalysisResult = doc.Analysis;
  FAnalysis->ShowDocument(doc);
  GNeedsRecalc = doc.NeedsRecalc;

  // Each finding on its field; several on one field share it, the most serious colours it.
  QHash<QString, QPair<TFindingLevel, QString>> alerts;
  for (const TFinding& f : FFindings) {
    if (f.Field.empty()) continue;
    const QString name = QString::fromStdString(f.Field);
    const QString line = QString::fromStdString(FindingLine(f));
    if (alerts.contains(name))
      alerts[name].second += '\n' + line;
    else
      alerts.insert(name, {f.Level, line});
  }
  for (TEditD* field : FFields) {
    const auto it = alerts.constFind(field->objectName());
    if (it == alerts.constEnd())
      field->SetAlert(QColor(), QString());
    else
      field->SetAlert(AlertColor(it->first), it->second);
  }
  for (const char* name : {"AfD", "fpercentD"}) {
    auto* list = Control<QComboBox>(QString::fromLatin1(name));
    if (!list) continue;
    const auto it = alerts.constFind(QString::fromLatin1(name));
    if (it == alerts.constEnd())
      SetListAlert(list, QColor(), QString());
    else
      SetListAlert(list, AlertColor(it->first), it->second);
  }

  ShowFindingLines();
  FStatusBar->SetPanelText(1, QString::fromStdString(FindingsSummary(FFindings)));
}

void TFormVELM::ShowFindingLines() {
  // The findings stand at the top of the pane, under its header, in place of the previous ones.
  QStringList lines = FMessages->toPlainText().split(QLatin1Char('\n'));
  qsizetype at = !lines.isEmpty() && lines.front() == kMessagesHeader ? 1 : 0;
  while (at < lines.size() && IsFindingLine(lines[at])) lines.removeAt(at);
  if (lines.size() == 1 && lines.front().isEmpty()) lines.clear();
  QStringList fresh;
  for (const TFinding& f : FFindings) fresh << QString::fromStdString(FindingLine(f));
  for (qsizetype i = 0; i < fresh.size(); ++i) lines.insert(at + i, fresh[i]);
  FMessages->setPlainText(lines.join(QLatin1Char('\n')));
  // The findings stand out from the calculation's own lines: each on the background its level
  // gives the fields it concerns, its level in bold. The text itself stays plain.
  for (qsizetype i = 0; i < fresh.size(); ++i) {
    QTextCursor cursor(FMessages->document()->findBlockByNumber(static_cast<int>(at + i)));
    QTextBlockFormat band;
    band.setBackground(AlertColor(FFindings[static_cast<std::size_t>(i)].Level));
    cursor.setBlockFormat(band);
    const qsizetype label = fresh[i].indexOf(QStringLiteral("】"));
    if (label < 0) continue;
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor,
                        static_cast<int>(label + 1));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.mergeCharFormat(bold);
  }
}

void TFormVELM::AfDChange(QObject* sender) {
  if (GNeedsRecalc) return;
  ProjectDChange();
  LDExit(sender);
}

void TFormVELM::MethodDChange(QObject* sender) {
  const TFloodingMethod& method = FloodingMethodAt(
      FloodingMethodIndex(Need<QComboBox>(QStringLiteral("MethodD"))->currentIndex()));
  for (const char* name : {"CalKf", "KfL", "KfD", "KfU"})
    if (QWidget* w = Control<QWidget>(QString::fromLatin1(name))) w->setEnabled(method.UsesKf());
  if (auto* kpl = Control<QLabel>(QStringLiteral("KpL")))
    kpl->setText(QString::fromUtf8(method.KpCaption()));
  AfDChange(sender);
}

void TFormVELM::ACLMethodDSelect(QObject* sender) {
  ProjectDChange();
  LDExit(sender);
}

void TFormVELM::CalcBasisSelect(QObject* sender) {
  ProjectDChange();
  LDExit(sender);
}

void TFormVELM::FactorClick(const QString& check, const QString& field) {
  QCheckBox* box = nullptr;
  Guard([&] {
    box = Need<QCheckBox>(check);
    TEditD* f = FFields.value(field, nullptr);
    if (!f) throw std::logic_error("窗口中没有控件“" + field.toStdString() + "”");
    if (box->isChecked()) {
      // The calculation computes the factor.
      f->setReadOnly(true);
      f->SetColor(kColorBtnFace);
    } else {
      if (f->text().trimmed().isEmpty()) f->SetValue(60.0);  // 60 1/m
      f->setReadOnly(false);
      f->SetColor(kColorWindow);
    }
  });
  ProjectDChange();
  LDExit(box);
}

void TFormVELM::CalKfClick(QObject*) {
  FactorClick(QStringLiteral("CalKf"), QStringLiteral("KfD"));
}

void TFormVELM::CalKpClick(QObject*) {
  FactorClick(QStringLiteral("CalKp"), QStringLiteral("KpD"));
}

// --- the commands' handlers -------------------------------------------------------------

void TFormVELM::MFile_NewClick() { FFiles.New(); }
void TFormVELM::MFile_OpenClick(QObject* sender) { FFiles.Open(sender); }
void TFormVELM::MFile_SaveClick(QObject* sender) { FFiles.Save(sender); }

void TFormVELM::MReport_SaveClick(QObject*) { FReports.Save(); }
void TFormVELM::MReport_PrintClick(QObject*) { FReports.Print(); }
void TFormVELM::MReport_PdfClick(QObject*) { FReports.Pdf(); }

bool TFormVELM::CalcEnvelopeLoads(double& L, double& V, double& Lmin, double& Vmin, double& L80,
                                  double& V80) {
  return FChart.EnvelopeLoads(L, V, Lmin, Vmin, L80, V80);
}
void TFormVELM::MReport_PerClick() { FChart.Draw(); }
void TFormVELM::MyPaintBoxPaint(QObject*) { FChart.Paint(); }
void TFormVELM::MyPaintBoxMouseown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                   int y) {
  FChart.MouseDown(button, shift, x, y);
}
void TFormVELM::MyPaintBoxMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x,
                                    int y) {
  FChart.MouseMove(buttons, shift, x, y);
}
void TFormVELM::MyPaintBoxMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                  int y) {
  FChart.MouseUp(button, shift, x, y);
}

void TFormVELM::MAboutClick() { FHelp.About(); }
void TFormVELM::MHelp_TopicClick() { FHelp.Topic(); }
void TFormVELM::MHelp_WhatthisClick() { FHelp.WhatsThis(); }
void TFormVELM::MHelp_URLClick() { FHelp.Website(); }
void TFormVELM::MHelp_EmailClick() { FHelp.Email(); }
void TFormVELM::MHELP_UpdateClick() { FHelp.Update(); }
void TFormVELM::FormKeyDown(QWidget* target, QKeyEvent* event) { FHelp.KeyDown(target, event); }
// The window lost the activation (the deactivation comes before the change of the active window
// is announced): the hint of one of its controls goes with it.
void TFormVELM::FormDeactivate() { FHelp.HideKeyHint(); }

void TFormVELM::BHysysClick() { FSimulators.HysysDialog(); }
void TFormVELM::BProiiClick() { FSimulators.ProiiDialog(); }

void TFormVELM::closeEvent(QCloseEvent* event) {
  bool canClose = false;
  Guard([this, &canClose] { canClose = FFiles.CloseQuery(); });
  if (canClose)
    event->accept();
  else
    event->ignore();
}

}  // namespace velm
