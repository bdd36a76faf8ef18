// The chart page of the window: both diagrams for each example project, the load readout under
// the pointer, the commands, a drawing that fails, and the chart as a picture and in batch mode.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <fstream>
#include <memory>
#include <tuple>

#include "app/MainWindow.h"
#include "app/StatusBar.h"
#include "chart/PlotCanvas.h"
#include "cli/ColumnJson.h"
#include "support/FileSizeLimit.h"
#include "units/ValueField.h"

using namespace velm;

class TChartPageTest : public QObject {
  Q_OBJECT

  QStringList FErrors;

  std::unique_ptr<TFormVELM> MakeWindow() {
    TFormVELMSetup setup;
    setup.PackingFile = QStringLiteral(VELM_PACKINGS);
    setup.UseRecentFiles = false;
    setup.ErrorBox = [this](QWidget*, const QString& text) { FErrors << text; };
    setup.MessageBox = [this](QWidget*, const QString& text) { FErrors << text; };
    auto w = std::make_unique<TFormVELM>(nullptr, setup);
    w->resize(1100, 700);
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowExposed(w.get())) return nullptr;
    return w;
  }
  static QString Example(const char* name) {
    return QDir(QStringLiteral(VELM_EXAMPLES)).filePath(QString::fromLatin1(name));
  }
  static QString Readout(TFormVELM& w) { return w.MyStatusBarMain()->PanelText(0); }
  // Pictures of the window for looking at by eye (VELM_CHART_SHOTS=folder).
  static void Shot(TFormVELM& w, const QString& name) {
    const QString dir = qEnvironmentVariable("VELM_CHART_SHOTS");
    if (!dir.isEmpty()) w.grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
  }

 private slots:
  void init() {
    FErrors.clear();
    SetFieldMessageHook([this](const QString& text) { FErrors << text; });
  }
  void cleanup() { SetFieldMessageHook({}); }

  void EachExampleDrawsBothDiagramsAndReadsLoads_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("air-water") << Example("air-water-absorber.vlm");
    QTest::newRow("benzene-toluene") << Example("benzene-toluene-distillation.vlm");
    QTest::newRow("vacuum") << Example("vacuum-ethylbenzene-styrene.vlm");
    QTest::newRow("rating") << Example("air-water-absorber-rating.vlm");
  }
  void EachExampleDrawsBothDiagramsAndReadsLoads() {
    QFETCH(QString, file);
    auto w = MakeWindow();
    QVERIFY(w);
    QVERIFY(w->Files().OpenProject(file));
    w->PageControlMain()->setCurrentIndex(2);  // the user's page change draws
    QVERIFY(FErrors.isEmpty());
    QVERIFY(w->Chart().Envelope());
    Shot(*w, QStringLiteral("page-") + QTest::currentDataTag());
    const TEnvelope& env = *w->Chart().Envelope();
    {
      // The batch mode draws the chart from the project's design document, without a window:
      // the same picture as the window's.
      QTemporaryDir dir;
      QProcess p;
      p.start(QStringLiteral(VELM_EXE), {"--batch", file, "--chart", dir.filePath("c.svg")});
      QVERIFY(p.waitForFinished(60000));
      QCOMPARE(p.exitCode(), 0);
      QFile svg(dir.filePath("c.svg"));
      QVERIFY(svg.open(QIODevice::ReadOnly));
      QCOMPARE(svg.readAll(), ChartSvg(env, w->Chart().Notes()));
    }
    QCOMPARE(int(env.CurvePoints.size()), LastCurveIndex(env.FloodMethod, env.FlowParameter) + 1);
    for (TPaintBox* box : {w->PYPaintBox(), w->MyPaintBox()}) {
      const QImage& p = box->Picture();
      QVERIFY(!p.isNull());
      QCOMPARE(p.pixelColor(0, 0), kChartBorder);
      QCOMPARE(p.pixelColor(30, 330), kChartBackground);
    }

    // The readout follows a drag with the left button, and only that.
    TPaintBox* box = w->MyPaintBox();
    w->MyStatusBarMain()->SetPanelText(0, QString());
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(10, 150));  // in the margin
    QCOMPARE(Readout(*w), QString());
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(10, 150));
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(230, 169));
    const QString first = Readout(*w);
    QVERIFY2(first.startsWith("L=") && first.contains(" V="), qPrintable(first));
    // A rated column's limits are drawn, and the pointer reads its loads by every definition.
    QCOMPARE(env.RatingLines.has_value(), QByteArray(QTest::currentDataTag()) == "rating");
    QCOMPARE(first.contains(QStringLiteral("泛点率(恒定液量)")), env.RatingLines.has_value());
    // The pointer at the middle of the frame reads half the axes' ends.
    const TPlotCanvas::TGraph* g = ModuleCanvas().Graph(1);
    QVERIFY(g);
    const double L = first.mid(2, first.indexOf(' ') - 2).toDouble();
    QVERIFY(std::fabs(L - g->X.End * 170 / 340) < 1e-3 * g->X.End);
    QVERIFY(box->Crosshair());
    QTest::mouseMove(box, QPoint(300, 100));
    QVERIFY(Readout(*w) != first);
    Shot(*w, QStringLiteral("drag-") + QTest::currentDataTag());
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(300, 100));
    QVERIFY(!box->Crosshair());
    const QString last = Readout(*w);
    QTest::mouseMove(box, QPoint(200, 200));
    QCOMPARE(Readout(*w), last);
  }

  void DefaultPercentLabelsAndPictureMatchesTheScreen() {
    auto w = MakeWindow();
    QVERIFY(w);
    QVERIFY(w->Files().OpenProject(Example("benzene-toluene-distillation.vlm")));
    w->Control<QComboBox>("fpercentD")->setEditText("80");
    w->findChild<QAction*>("BDrawper")->trigger();
    QCOMPARE(w->PageControlMain()->currentIndex(), 2);
    QVERIFY(w->Chart().Envelope());
    const TEnvelope& env = *w->Chart().Envelope();
    QCOMPARE(env.Percents.N80, 100);
    QCOMPARE(env.Load80Label.Text, std::string("   80大负荷(100%)"));
    QCOMPARE(env.DesignLabel.Text, std::string("设计负荷(100%)   "));
    // The picture for the clipboard and files is the screen's drawing, pixel for pixel.
    const QImage page = ChartPicture(env, w->Chart().Notes(), 1);
    QCOMPARE(page.copy(QRect(kPressureDropBoxAt, QSize(kChartBoxWidth, kChartBoxHeight))),
             w->PYPaintBox()->Picture().convertToFormat(page.format()));
    QCOMPARE(page.copy(QRect(kLoadBoxAt, QSize(kChartBoxWidth, kChartBoxHeight))),
             w->MyPaintBox()->Picture().convertToFormat(page.format()));
  }

  void NothingHappensWithoutTheLoads() {
    auto w = MakeWindow();
    QVERIFY(w);
    w->findChild<QAction*>("MReport_Per")->trigger();
    QCOMPARE(w->PageControlMain()->currentIndex(), 0);
    QVERIFY(!w->Chart().Envelope());
    QVERIFY(FErrors.isEmpty());
  }

  void AFailedDrawingIsReportedOnceNotOnEveryRepaint() {
    auto w = MakeWindow();
    QVERIFY(w);
    QVERIFY(w->Files().OpenProject(Example("air-water-absorber.vlm")));
    w->Control<QComboBox>("fpercentD")->setEditText("abc");
    w->findChild<QAction*>("BDrawper")->trigger();
    QCOMPARE(FErrors.size(), 1);
    QVERIFY(!w->Chart().Envelope());
    w->MyPaintBox()->repaint();
    QTest::qWait(50);
    QCOMPARE(FErrors.size(), 1);
    // Asking again tries again.
    w->findChild<QAction*>("BDrawper")->trigger();
    QCOMPARE(FErrors.size(), 2);
  }

  // A chart that cannot be written (here: the disk fills up) says so in the program's words,
  // naming the file, for either kind of picture; the old file stays.
  void AFullDiskIsReportedInChinese() {
    auto w = MakeWindow();
    QVERIFY(w);
    QVERIFY(w->Files().OpenProject(Example("air-water-absorber.vlm")));
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("full.png"), QStringLiteral("full.svg")}) {
      const QString path = dir.filePath(name);
      {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
      }
      QString error;
      bool saved;
      {
        const velm::test::TFileSizeLimit full(1024);
        saved = w->Chart().SaveChartTo(path, &error);
      }
      QVERIFY(!saved);
      QVERIFY2(error.contains(path) && error.contains(QStringLiteral("超出了允许的大小")),
               qPrintable(error));
      QFile old(path);
      QVERIFY(old.open(QIODevice::ReadOnly));
      QCOMPARE(old.readAll(), QByteArray("old"));
    }
  }

  void BatchWritesTheChartAsPngAndSvg() {
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("chart.png"), QStringLiteral("chart.svg")}) {
      const QString out = dir.filePath(name);
      QProcess p;
      p.start(QStringLiteral(VELM_EXE),
              {"--batch", Example("air-water-absorber.vlm"), "--chart", out});
      QVERIFY(p.waitForFinished(60000));
      QCOMPARE(p.exitCode(), 0);
      QFile f(out);
      QVERIFY(f.open(QIODevice::ReadOnly));
      const QByteArray bytes = f.readAll();
      if (name.endsWith(".svg")) {
        QVERIFY(bytes.contains("<svg"));
        QVERIFY(QString::fromUtf8(bytes).contains(QStringLiteral("操作性能图")));
      } else {
        QImage image;
        QVERIFY(image.loadFromData(bytes, "PNG"));
        QCOMPARE(image.size(), kChartPageSize * 3);
      }
    }
    // A project that cannot be calculated writes no chart.
    QProcess p;
    p.start(QStringLiteral(VELM_EXE),
            {"--batch", dir.filePath("missing.vlm"), "--chart", dir.filePath("x.png")});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY(p.exitCode() != 0);
    QVERIFY(!QFile::exists(dir.filePath("x.png")));
  }

  // A whole column in batch: a line per stage and per section, the profile picture, the same
  // numbers as velm-calc's JSON; a document that is no column is a wrong input (2).
  void BatchProfileOfAWholeColumn() {
    QTemporaryDir dir;
    const QString column = Example("benzene-toluene-column.json");
    QProcess p;
    p.start(QStringLiteral(VELM_EXE),
            {"--batch", "--profile", column, "--chart", dir.filePath("p.png")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
    QCOMPARE(lines.filter(QRegularExpression("^stage ")).size(), 20);
    QCOMPARE(lines.filter(QRegularExpression("^section ")).size(), 2);
    QImage image;
    QVERIFY(image.load(dir.filePath("p.png")));
    QVERIFY(image.width() > 2 * image.height());
    p.start(QStringLiteral(VELM_EXE), {"--batch", column, "--profile", "--json"});
    QVERIFY(p.waitForFinished(60000));
    std::ifstream f(column.toStdString());
    QVERIFY(nlohmann::json::parse(p.readAllStandardOutput().toStdString()) ==
            velm::RunColumnJson(nlohmann::json::parse(f)));
    p.start(QStringLiteral(VELM_EXE), {"--batch", "--profile", Example("air-water-absorber.json")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
  }

  // A rated project prints each case, the governing case and the window; a project with a whole
  // column its stages and sections; a rating that cannot be made is incomplete (3), not success.
  void BatchPrintsTheRatingAndTheWholeColumn() {
    const auto run = [](const QString& file) {
      QProcess p;
      p.start(QStringLiteral(VELM_EXE), {"--batch", file});
      p.waitForFinished(60000);
      return std::pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
    };
    const QString rated = Example("air-water-absorber-rating.vlm");
    auto [code, out] = run(rated);
    QCOMPARE(code, 0);
    QCOMPARE(out.count(QStringLiteral("\nrating-case ")), 5);
    QVERIFY(out.contains(QStringLiteral("\nrating-governing 改造_+30%")));
    QVERIFY(out.contains(QStringLiteral("\nrating-window maximum=")));
    QTemporaryDir dir;
    QFile source(rated);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    bytes.replace("RatedDiameterD\r\nString\r\nText\r\n1100",
                  "RatedDiameterD\r\nString\r\nText\r\nabc");
    bytes +=
        "ColumnD\r\nString\r\nText\r\nS,1,5,998,0.001,0.072,1.2,1.19,1.8e-5;"
        "S,2,5,998,0.001,0.072,1.3,1.19,1.8e-5\r\n-\r\n";
    QFile broken(dir.filePath("broken.vlm"));
    QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write(bytes) == bytes.size());
    broken.close();
    std::tie(code, out) = run(broken.fileName());
    QCOMPARE(code, 3);
    QVERIFY(!out.contains(QStringLiteral("rating-case")));
    bytes.replace("RatedDiameterD\r\nString\r\nText\r\nabc",
                  "RatedDiameterD\r\nString\r\nText\r\n1100");
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
            broken.write(bytes) == bytes.size());
    broken.close();
    std::tie(code, out) = run(broken.fileName());
    QCOMPARE(code, 0);
    QCOMPARE(out.count(QStringLiteral("\nstage 全塔 ")), 2);
    QVERIFY(out.contains(QStringLiteral("\nsection 全塔 packing=")));
    QVERIFY(out.contains(QStringLiteral("\ncolumn dp=")));
  }

  // The analyses asked for on the command line: a calibration file fits and marks the design,
  // the uncertainty and sweep print their lines; a request that does not read is refused (2).
  void BatchRunsTheAnalysesAskedFor() {
    QTemporaryDir dir;
    QFile points(dir.filePath("points.json"));
    QVERIFY(points.open(QIODevice::WriteOnly));
    points.write(R"({"points": [{"Name": "A", "inputs": {"LiquidFlow": 4, "GasFlow": 1},
                     "Diameter": 1.0, "PressureDrop": 400}]})");
    points.close();
    const auto run = [](const QStringList& args) {
      QProcess p;
      p.start(QStringLiteral(VELM_EXE),
              QStringList{"--batch", Example("air-water-absorber.vlm")} + args);
      p.waitForFinished(60000);
      return std::pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
    };
    const auto [code, out] = run(
        {"--calibrate", points.fileName(), "--uncertainty", "50", "--sweep", "GasFlow:1:1.5:3"});
    QCOMPARE(code, 0);
    QVERIFY(out.contains(QStringLiteral("\ncalibration factor=")) && out.contains(" applied\n"));
    QVERIFY(out.contains(QStringLiteral("\nfinding note calibrated ")));
    QVERIFY(out.contains(QStringLiteral("\nuncertainty samples=50 ")));
    QCOMPARE(out.count(QStringLiteral("\nsweep VD=")), 3);
    for (const QStringList& bad :
         {QStringList{"--uncertainty", "0"}, QStringList{"--sweep", "GasFlow:1:2"},
          QStringList{"--calibrate", dir.filePath("none.json")}})
      QCOMPARE(run(bad).first, 2);
  }

  // At a design of 80 % of flooding the design and 80 % points coincide; their labels must be
  // written on separate lines, not over each other.
  void LabelsOfCoincidingPointsDoNotOverlap() {
    QTemporaryDir dir;
    const QString out = dir.filePath("chart.svg");
    QProcess p;
    p.start(QStringLiteral(VELM_EXE),
            {"--batch", Example("benzene-toluene-distillation.vlm"), "--chart", out});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(f.readAll());
    auto baseline = [&](const QString& start) {
      static const QRegularExpression text(
          QStringLiteral("<text[^>]* y=\"([-0-9.]+)\"[^>]*>([^<]*)<"));
      for (const QRegularExpressionMatch& m : text.globalMatch(svg))
        if (m.captured(2).startsWith(start)) return m.captured(1).toDouble();
      return qQNaN();
    };
    const double design = baseline(QStringLiteral("设计点"));
    // The SVG writer splits a text where its font changes: "80" and "负荷点（泛点率80%）".
    const double load80 = baseline(QStringLiteral("负荷点"));
    QVERIFY(!qIsNaN(design) && !qIsNaN(load80));
    QVERIFY2(std::abs(design - load80) >= 12, qPrintable(QString::number(design - load80)));
  }
};

QTEST_MAIN(TChartPageTest)
#include "ChartPageTest.moc"
