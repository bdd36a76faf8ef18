// The stage profile: each rated stage's numbers at its own place, gaps where a stage has none,
// sections and governing stages as the result names them; the picture is written whole or not at
// all.
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "chart/Profile.h"

namespace velm {

class TProfileTest : public QObject {
  Q_OBJECT

 private slots:
  void ProfileKeepsEachStageAtItsPlace() {
    TColumnInput in;
    in.Stages.resize(4);
    for (int i = 0; i < 4; ++i) in.Stages[size_t(i)].Name = std::to_string(i + 1);
    in.Sections.resize(2);
    in.Sections[0].Name = "上";
    in.Sections[0].First = 1;
    in.Sections[0].Last = 2;
    in.Sections[1].Name = "下";
    in.Sections[1].First = 3;
    in.Sections[1].Last = 3;
    TColumnResult r;
    r.Sections.resize(2);
    for (int i : {1, 2}) {
      TStageResult st;
      st.Stage = i;
      st.Rating.Rated = i == 2;  // stage 2 has no result
      st.Rating.FloodPercent = 50.0 + i;
      st.Rating.PressureDrop = 100.0 * i;
      st.Rating.HETP = 0.5;
      r.Sections[0].Stages.push_back(st);
    }
    r.Sections[0].Governing = 1;
    const TProfile p = ProfileOf(in, r);
    QCOMPARE(p.Flood.size(), size_t(4));
    QVERIFY(std::isnan(p.Flood[0]) && std::isnan(p.Flood[1]) && std::isnan(p.Flood[3]));
    QCOMPARE(p.Flood[2], 52.0);
    QCOMPARE(p.PressureDrop[2], 200.0);
    QCOMPARE(p.Sections.size(), size_t(2));
    QCOMPARE(p.Sections[0].Governing, 2);
    QCOMPARE(p.Sections[1].Governing, -1);

    QTemporaryDir dir;
    QString error;
    QVERIFY(SaveProfile(p, dir.filePath("p.png"), &error));
    QImage image(dir.filePath("p.png"));
    QCOMPARE(image.size(), ProfilePicture(p, 2).size());
    QVERIFY(SaveProfile(p, dir.filePath("p.SVG"), &error));
    QFile svg(dir.filePath("p.SVG"));
    QVERIFY(svg.open(QIODevice::ReadOnly) && svg.readAll().contains("<svg"));
    QVERIFY(!SaveProfile(p, dir.filePath("none/p.png"), &error));
    QVERIFY(error.contains("none"));
  }
};

}  // namespace velm

QTEST_MAIN(velm::TProfileTest)
#include "ProfileTest.moc"
