// The relation groups over real value fields: what gets derived, recomputed and cleared.
#include <QGridLayout>
#include <QtTest>

#include "base/Errors.h"
#include "units/ColorTable.h"
#include "units/RelationGroups.h"
#include "units/ValueField.h"

using velm::TEditD;

class TRelationGroupsTest : public QObject {
  Q_OBJECT

 private:
  QWidget* FWindow = nullptr;
  std::vector<std::vector<TEditD*>> FGroups;
  QStringList FShown;  // field messages and group warnings, in order

  TEditD* F(const char* name) { return FWindow->findChild<TEditD*>(name); }
  void Set(const char* name, const QString& text) { F(name)->setText(text); }
  void Run() { velm::RunRelationGroups(FGroups); }
  void ExpectDerived(const char* name, int color) {
    QCOMPARE(F(name)->Color(), color);
    QVERIFY(F(name)->isReadOnly());
    QCOMPARE(F(name)->CursorNumber(), velm::kCursorNotAllowed);
  }
  void ExpectInput(const char* name) {
    QCOMPARE(F(name)->Color(), velm::kColorWindow);
    QVERIFY(!F(name)->isReadOnly());
    QCOMPARE(F(name)->CursorNumber(), velm::kCursorDefault);
  }

 private slots:
  void init() {
    FWindow = new QWidget;
    auto* layout = new QGridLayout(FWindow);
    int row = 0;
    for (const char* name : {"LD", "VD", "DvD", "DlD", "FpD", "dpD", "dD", "UpD", "UlsD", "UvsD",
                             "alfD", "meD", "LmdD"}) {
      auto* f = new TEditD(FWindow);
      f->setObjectName(name);
      layout->addWidget(f, row++, 0);
    }
    // The flows and densities are required inputs, never derived.
    for (const char* name : {"LD", "VD", "DvD", "DlD"}) F(name)->SetMyResolved(false);
    FWindow->show();
    FGroups = velm::FindGroupFields(*FWindow);
    FShown.clear();
    velm::SetFieldMessageHook([this](const QString& t) { FShown << t; });
    velm::SetRelationWarningHook(
        [this](const std::string& t) { FShown << QString::fromStdString(t); });
  }
  void cleanup() {
    velm::SetFieldMessageHook(nullptr);
    velm::SetRelationWarningHook(nullptr);
    delete FWindow;
  }

  void AlphaDerivesSlopeThenStrippingFactor() {
    Set("alfD", "2");
    Set("VD", "3");
    Set("LD", "1.5");
    Run();
    QCOMPARE(F("meD")->text(), QString("0.947368421052632"));
    ExpectDerived("meD", velm::kColorOlive);
    QCOMPARE(F("LmdD")->text(), QString("1.89473684210526"));
    ExpectDerived("LmdD", velm::kColorSilver);
    ExpectInput("alfD");
    QVERIFY(FShown.isEmpty());
  }

  void ClearingLiquidFlowClearsDerivedLambdaOnly() {
    AlphaDerivesSlopeThenStrippingFactor();
    F("LD")->clear();
    Run();
    QCOMPARE(F("LmdD")->text(), QString());
    ExpectInput("LmdD");
    ExpectDerived("meD", velm::kColorOlive);  // group D is untouched
    // L and lambda both empty now: group E waits.
    Run();
    QCOMPARE(F("LmdD")->text(), QString());
    ExpectInput("LmdD");
    Set("LD", "3");
    Run();
    QCOMPARE(F("LmdD")->text(), QString("0.947368421052632"));
  }

  void ChangedInputRecomputesDerivedFieldUnlessTiny() {
    AlphaDerivesSlopeThenStrippingFactor();
    Set("VD", "3.000001");  // relative 3.3e-7: lambda is left alone
    Run();
    QCOMPARE(F("LmdD")->text(), QString("1.89473684210526"));
    Set("VD", "6");
    Run();
    QCOMPARE(F("LmdD")->text(), QString("3.78947368421053"));
    ExpectDerived("LmdD", velm::kColorSilver);
  }

  void SlopeByHandDerivesAlpha() {
    Set("meD", "0.5");
    Run();
    // a = 0.1 m / (0.9 (1 - m))
    QVERIFY(qAbs(F("alfD")->Value() - 0.05 / 0.45) < 1e-12);
    ExpectDerived("alfD", velm::kColorOlive);
    ExpectInput("meD");
  }

  void TwoEmptyFieldsDeriveNothing() {
    Set("dpD", "0.8");
    Set("UpD", "2");  // d and Uvs empty in group C
    Set("LD", "1");   // V, rhoV, rhoL, FP empty in group A
    Run();
    for (const char* name : {"dD", "UvsD", "alfD", "meD", "LmdD", "FpD"}) {
      QCOMPARE(F(name)->text(), QString());
      ExpectInput(name);
    }
  }

  void RequiredInputIsNeverDerived() {
    Set("VD", "1");
    Set("DvD", "1.2");
    Set("DlD", "1000");
    Set("FpD", "0.1");  // only L empty in group A, and L is a required input
    Run();
    QCOMPARE(F("LD")->text(), QString());
    ExpectInput("FpD");
  }

  void FlowParameterAndLoadsChain() {
    Set("LD", "2");
    Set("VD", "1");
    Set("DvD", "1.2");
    Set("DlD", "1000");
    Set("dpD", "0.8");
    Set("dD", "1");
    Set("UpD", "2");
    Run();
    QVERIFY(qAbs(F("FpD")->Value() - 2 * std::sqrt(0.0012)) < 1e-13);
    ExpectDerived("FpD", velm::kColorRed);
    QVERIFY(qAbs(F("UlsD")->Value() - 0.64 * 2 * 0.0012 * 2) < 1e-15);
    ExpectDerived("UlsD", velm::kColorSkyBlue);
    QCOMPARE(F("UvsD")->text(), QString("1.28"));
    ExpectDerived("UvsD", velm::kColorMoneyGreen);
  }

  void DerivedFieldIsShownInItsOwnUnit() {
    F("meD")->SetK(0.01);  // a field in per cent of the SI value
    Set("alfD", "2");
    Run();
    QCOMPARE(F("meD")->text(), QString("94.7368421052632"));
  }

  void MarkFromProjectFileIsRecomputed() {
    // A derived value stored with the group's colour is brought back in line with its group.
    Set("alfD", "2");
    Set("meD", "0.3");
    F("meD")->SetColor(velm::kColorOlive);
    Run();
    QCOMPARE(F("meD")->text(), QString("0.947368421052632"));
  }

  void ZeroGasFlowWarnsAndPassesTheErrorOn() {
    Set("LD", "2");
    Set("VD", "0");
    Set("DvD", "1.2");
    Set("DlD", "1000");
    try {
      Run();
      QFAIL("V = 0 accepted");
    } catch (const velm::TCalcError& e) {
      QVERIFY2(QString::fromUtf8(e.what()).contains("V = 0"), e.what());
    }
    QCOMPARE(FShown, QStringList{QStringLiteral("发现错误，可能是输入数据错误！")});
    QCOMPARE(F("FpD")->text(), QString());
    ExpectInput("FpD");
  }

  void ZeroDiameterInGasLoad() {
    Set("dpD", "1");
    Set("dD", "0");
    Set("UpD", "2");
    QVERIFY_THROWS_EXCEPTION(velm::TCalcError, Run());
    QCOMPARE(FShown.size(), 1);
    QCOMPARE(F("UvsD")->text(), QString());
  }

  void BadTextShowsFieldMessageWithTheWarningInOneBoxAndAbortsSilently() {
    Set("alfD", "abc");
    QVERIFY_THROWS_EXCEPTION(velm::TSilentAbort, Run());
    QCOMPARE(FShown,
             (QStringList{QStringLiteral("alfD是错误数据\n发现错误，可能是输入数据错误！")}));
    QCOMPARE(F("meD")->text(), QString());
  }

  void ApplyDerivedKeepsNearlyEqualValue() {
    TEditD* f = F("LmdD");
    f->setText("1");
    QCOMPARE(velm::ApplyDerived(f, velm::kColorSilver, 1.0000009), nullptr);
    ExpectInput("LmdD");
    QCOMPARE(velm::ApplyDerived(f, velm::kColorSilver, 1.000002), f);
    ExpectDerived("LmdD", velm::kColorSilver);
    // Against an old value of 0 the difference is absolute.
    f->setText("0");
    QCOMPARE(velm::ApplyDerived(f, velm::kColorSilver, 5e-7), nullptr);
    QCOMPARE(velm::ClearDerived(f), f);
    QCOMPARE(velm::ClearDerived(f), nullptr);
  }

  void MissingFieldIsNamed() {
    delete F("UvsD");
    QVERIFY_THROWS_EXCEPTION(std::logic_error, velm::FindGroupFields(*FWindow));
  }
};

QTEST_MAIN(TRelationGroupsTest)
#include "RelationGroupsTest.moc"
