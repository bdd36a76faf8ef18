// The analysis pictures: a bar for every result the sensitivity has and none for one it lacks, a
// sweep line broken where a run failed, captions written, a page that says so when there is
// nothing to draw. Counted in the SVG document, which is read back as XML.
#include <QImage>
#include <QMap>
#include <QTest>
#include <QXmlStreamReader>
#include <limits>

#include "chart/AnalysisChart.h"

Q_DECLARE_METATYPE(velm::TField)
Q_DECLARE_METATYPE(std::vector<velm::TSensitivity>)
Q_DECLARE_METATYPE(std::vector<velm::TSweepPoint>)

namespace velm {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
using TRows = std::vector<TSensitivity>;
using TPoints = std::vector<TSweepPoint>;

// What an SVG document draws: its text in document order, filled rectangles by colour, circles
// (the sweep's markers) and lines two pixels wide (the sweep's curve).
struct TDrawn {
  bool Valid = false;
  QString Text;
  QMap<QString, int> Rects;
  int Circles = 0, ThickLines = 0;
};

TDrawn Read(const QByteArray& svg) {
  TDrawn d;
  QXmlStreamReader xml(svg);
  QList<QXmlStreamAttributes> groups;
  bool text = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      const QStringView name = xml.name();
      if (name == u"g") groups.append(xml.attributes());
      const QXmlStreamAttributes g = groups.isEmpty() ? QXmlStreamAttributes() : groups.last();
      text = name == u"text";
      if (name == u"rect") ++d.Rects[g.value("fill").toString()];
      if (name == u"circle") ++d.Circles;
      if (name == u"polyline" && g.value("stroke-width") == u"2") ++d.ThickLines;
    } else if (xml.isEndElement()) {
      text = false;
      if (xml.name() == u"g" && !groups.isEmpty()) groups.removeLast();
    } else if (xml.isCharacters() && text) {
      d.Text += xml.text();
    }
  }
  d.Valid = !xml.hasError();
  return d;
}

TSweepPoint Point(double value, std::optional<double> diameter, const char* error = "") {
  TSweepPoint p;
  p.Value = value;
  p.Error = error;
  p.Results[size_t(TField::dpD)] = diameter;
  return p;
}

}  // namespace

class TAnalysisChartTest : public QObject {
  Q_OBJECT

 private slots:
  void TornadoHasABarForEveryResult_data() {
    QTest::addColumn<TRows>("rows");
    QTest::addColumn<int>("low");  // bars of the low step, and of the high one
    QTest::addColumn<int>("high");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("every result") << TRows{{TField::VD, 0.1, -5.0, 4.8, 1.0, -1.0},
                                           {TField::DlD, 0.05, 1.0, -1.0, 0.2, -0.3}}
                                  << 4 << 4
                                  << QStringList{"气相质量流量 ±10 %", "液相密度 ±5 %",
                                                 "理论塔径变化 %", "HETP 变化 %"};
    QTest::newRow("runs that failed")
        << TRows{{TField::VD, 0.1, -5.0, kNaN, std::nullopt, 2.0},
                 {std::nullopt, 0.2, std::nullopt, 3.0, std::nullopt, std::nullopt}}
        << 1 << 2 << QStringList{"填料因子 ±20 %", "未算出"};
    QTest::newRow("no HETP") << TRows{{TField::VD, 0.1, -5.0, 4.8, {}, {}}} << 1 << 1
                             << QStringList{"没有 HETP 结果"};
    QTest::newRow("nothing") << TRows{} << 0 << 0 << QStringList{"没有敏感性结果"};
  }

  void TornadoHasABarForEveryResult() {
    QFETCH(TRows, rows);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(QStringList, texts);
    const TDrawn d = Read(TornadoSvg(rows));
    QVERIFY(d.Valid);
    // The legend's swatch is a rectangle of each colour too.
    const int legend = rows.empty() ? 0 : 1;
    QCOMPARE(d.Rects.value("#3c64dc"), low + legend);
    QCOMPARE(d.Rects.value("#e64628"), high + legend);
    for (const QString& t : texts) QVERIFY2(d.Text.contains(t), qPrintable(t));
    const QImage image = TornadoPicture(rows, 2);
    QVERIFY(!image.isNull() && image.width() > 1800);
    QVERIFY(TornadoPicture(rows, 0).isNull());
  }

  void SweepLeavesFailedPointsOut_data() {
    QTest::addColumn<TPoints>("points");
    QTest::addColumn<TField>("result");
    QTest::addColumn<int>("markers");
    QTest::addColumn<int>("segments");
    QTest::addColumn<QStringList>("texts");
    const QStringList axes{"气相质量流量 (kg/s)", "理论塔径 (m)"};
    QTest::newRow("every run") << TPoints{Point(1, 0.8), Point(2, 0.9), Point(3, 1.0)}
                               << TField::dpD << 3 << 2 << axes;
    QTest::newRow("failed runs") << TPoints{Point(1, 0.8),          Point(2, 0.9, "计算没有完成"),
                                            Point(3, 1.0),          Point(4, kNaN),
                                            Point(5, std::nullopt), Point(kNaN, 1.1),
                                            Point(6, 1.2),          Point(7, 1.3)}
                                 << TField::dpD << 4 << 1 << axes + QStringList{"4 个点未算出"};
    QTest::newRow("nothing") << TPoints{} << TField::dpD << 0 << 0 << QStringList{"没有扫描结果"};
    QTest::newRow("no such result")
        << TPoints{Point(1, 0.8)} << TField::Count << 0 << 0 << QStringList{"没有扫描结果"};
  }

  void SweepLeavesFailedPointsOut() {
    QFETCH(TPoints, points);
    QFETCH(TField, result);
    QFETCH(int, markers);
    QFETCH(int, segments);
    QFETCH(QStringList, texts);
    const TDrawn d = Read(SweepSvg(points, TField::VD, result));
    QVERIFY(d.Valid);
    QCOMPARE(d.Circles, markers);
    QCOMPARE(d.ThickLines, segments);
    for (const QString& t : texts) QVERIFY2(d.Text.contains(t), qPrintable(t));
    QVERIFY(!SweepPicture(points, TField::VD, result, 1).isNull());
  }
};

}  // namespace velm

QTEST_MAIN(velm::TAnalysisChartTest)
#include "AnalysisChartTest.moc"
