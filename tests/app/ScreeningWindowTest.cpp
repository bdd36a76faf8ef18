// Packing screening from the window: the dialog's rows are the core's screening of the window's
// duty, rejected rows stay last whichever way a column is sorted, and "应用" gives the main
// window the numbers of the row.
#include <QAction>
#include <QComboBox>
#include <QTableView>
#include <QTest>

#include "app/MainWindow.h"
#include "app/PackingScreening.h"
#include "cli/ScreenJson.h"
#include "core/Calculate.h"
#include "units/ValueField.h"

using namespace velm;

class TScreeningWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TFormVELM> FWindow;
  QStringList FErrors;

  TFormScreening* OpenDialog() {
    FWindow->findChild<QAction*>(QStringLiteral("MReport_Screen"))->trigger();
    return FWindow->findChild<TFormScreening*>(QStringLiteral("FormScreening"));
  }

 private slots:
  void init() {
    TFormVELMSetup setup;
    setup.PackingFile = QStringLiteral(VELM_PACKINGS);
    setup.ErrorBox = [this](QWidget*, const QString& t) { FErrors << t; };
    setup.MessageBox = [](QWidget*, const QString&) {};
    setup.UseRecentFiles = false;
    FWindow = std::make_unique<TFormVELM>(nullptr, setup);
    FWindow->show();
    QVERIFY(FWindow->Files().OpenProject(QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm")));
    FErrors.clear();
  }
  void cleanup() { FWindow.reset(); }

  void RowsAreTheCoreScreeningAndApplyGivesTheirNumbers() {
    TFormScreening* dialog = OpenDialog();
    QVERIFY(dialog);
    QVERIFY2(FErrors.isEmpty(), qPrintable(FErrors.join('\n')));
    const std::vector<TPackingRecord> table = PackingTableRecords(*FWindow);
    QCOMPARE(dialog->Model().rowCount(), static_cast<int>(table.size()));

    // The same duty screened by the core alone ranks the same packings in the same order.
    std::vector<TScreenRow> expected = ScreenPackings(ScreenCaseFromWindow(*FWindow, 10), table);
    RankScreening(expected, 10);
    for (size_t i = 0; i < expected.size(); ++i) {
      QCOMPARE(dialog->Model().Rows()[i].Index, expected[i].Index);
      QCOMPARE(dialog->Model().Rows()[i].Diameter, expected[i].Diameter);
    }

    // velm-calc --screen on the same duty lists the same packings in the same order with the
    // same numbers.
    {
      const TScreenCase duty = ScreenCaseFromWindow(*FWindow, 10);
      nlohmann::json inputs = nlohmann::json::object();
      const std::pair<const char*, TField> keys[] = {
          {"LiquidFlow", TField::LD},          {"LiquidDensity", TField::DlD},
          {"LiquidViscosity", TField::MlD},    {"SurfaceTension", TField::SLD},
          {"LiquidDiffusivity", TField::DlfD}, {"GasFlow", TField::VD},
          {"GasDensity", TField::DvD},         {"GasViscosity", TField::MvD},
          {"GasDiffusivity", TField::DvfD},    {"Lambda", TField::LmdD}};
      for (const auto& [key, f] : keys) inputs[key] = duty.Inputs[static_cast<size_t>(f)];
      inputs["FoamingFactor"] = duty.Options.FoamingFactorText;
      inputs["FloodPercent"] = duty.Options.FloodPercentText;
      inputs["FloodMethod"] = duty.Options.FloodMethod;
      inputs["LegacyMethods"] = duty.Options.LegacyMethods;
      const nlohmann::json rows = ScreenCaseJson({{"inputs", inputs}}, table, 10);
      QCOMPARE(rows.size(), expected.size());
      for (size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(rows[i]["Key"].get<std::string>(), expected[i].Packing.F[0]);
        if (expected[i].Diameter)
          QCOMPARE(rows[i]["Diameter"].get<double>(), *expected[i].Diameter);
        if (expected[i].HETP) QCOMPARE(rows[i]["HETP"].get<double>(), *expected[i].HETP);
      }
    }

    // Rejected rows stay last in both directions of any column.
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
      dialog->View()->sortByColumn(kScrPressureDrop, order);
      bool seenRejected = false;
      for (int r = 0; r < dialog->Proxy().rowCount(); ++r) {
        const int source = dialog->Proxy().mapToSource(dialog->Proxy().index(r, 0)).row();
        const bool rejected = dialog->Model().Rows()[static_cast<size_t>(source)].Rejected();
        QVERIFY2(!(seenRejected && !rejected), "a sound row after a rejected one");
        seenRejected = seenRejected || rejected;
      }
    }

    // Apply the best row: the window selects that packing and shows the row's diameter and HETP.
    dialog->View()->sortByColumn(kScrRank, Qt::AscendingOrder);
    dialog->View()->setCurrentIndex(dialog->Proxy().index(0, 0));
    const TScreenRow best = dialog->Model().Rows().front();
    QVERIFY(!best.Rejected());
    QVERIFY(dialog->ApplyClick());
    QCOMPARE(FWindow->SelectedPackingKey(), QString::fromStdString(best.Packing.F[0]));
    QVERIFY(!NeedsRecalc());
    QCOMPARE(FWindow->DesignCase().Diameter, best.Diameter);
    QCOMPARE(FWindow->DesignCase().HETP, best.HETP);
    QVERIFY(Modified());

    // The CSV has the header and one line per shown row; a material filter narrows the rows.
    QCOMPARE(dialog->ShownCsv().count('\n'), dialog->Proxy().rowCount() + 1);
    auto* material = dialog->findChild<QComboBox*>(QStringLiteral("MaterialFilter"));
    QVERIFY(material->count() > 2);
    material->setCurrentIndex(1);
    QVERIFY(dialog->Proxy().rowCount() < dialog->Model().rowCount());
    for (int r = 0; r < dialog->Proxy().rowCount(); ++r)
      QCOMPARE(dialog->Proxy().index(r, kScrMaterial).data().toString(), material->currentText());
    if (qEnvironmentVariableIsSet("VELM_SHOTS")) {
      material->setCurrentIndex(0);
      dialog->grab().save(qEnvironmentVariable("VELM_SHOTS") + "/screening.png");
    }
  }
};

QTEST_MAIN(TScreeningWindowTest)
#include "ScreeningWindowTest.moc"
