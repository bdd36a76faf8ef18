// Packing screening from the window: the dialog's rows are the core's screening of the window's
// duty, rejected rows stay last whichever way a column is sorted, and "应用" gives the main
// window the numbers of the row.
#include <QAction>
#include <QComboBox>
#include <QTableView>
#include <QTest>

#include "app/PackingScreening.h"
#include "app/UnitMain.h"
#include "units/EditD.h"

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
    QVERIFY(FWindow->OpenProject(QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm")));
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
