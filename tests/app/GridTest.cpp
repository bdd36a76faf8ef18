// The constants grid and its item model, driven offscreen with real mouse and key events.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "app/PackingGrid.h"

using namespace velm;

namespace {

// 12 fields like a short packing table: key, caption, a numeric column whose values fall as
// the keys rise (so a sort by it reverses the records), and nine text columns.
TMyClientDataSet MakeTable(int records) {
  TMyClientDataSet t;
  std::vector<TFieldDef> fields;
  for (int i = 0; i < 12; ++i)
    fields.push_back(
        {TMyClientDataSet::DefaultFieldName(i), i == 2 ? TFieldKind::Number : TFieldKind::Text});
  t.DefineFields(std::move(fields));
  for (int r = 0; r < records; ++r) {
    char key[16];
    std::snprintf(key, sizeof key, "%02d", r + 1);
    TMyClientDataSet::TRecord rec(12, "x");
    rec[0] = key;
    rec[1] = "填料" + std::string(key);
    rec[2] = std::to_string(1000 - 10 * r);
    t.AppendRecord(std::move(rec));
  }
  t.SetDisplayTitle(0, "编号");
  return t;
}

}  // namespace

class TGridTest : public QObject {
  Q_OBJECT

 private slots:
  void BandRuleStartsSecondColourAtRecordFive();
  void DefaultsAreThoseOfTheMainWindowGrid();
  void BandsArePaintedExceptOnTheCurrentRow();
  void EmptySortListBecomesAllPositionsOnlyWithATable();
  void TitleClickSortsListedColumnsOnly();
  void SortKeepsPersistentIndexesOnTheirRecords();
  void TypingIntoACellChangesTheTable();
  void NumericCellRefusesText();
  void ReadOnlyTableSelectsWholeRows();
  void ModelValidatesIndexesAndHeaders();
  void ModelPassesTheItemModelTester();
};

void TGridTest::BandRuleStartsSecondColourAtRecordFive() {
  // n = 5: records 1-4 first colour, 5-9 second, 10-14 first, 15 second.
  QString pattern;
  for (int r = 1; r <= 15; ++r) pattern += BandUsesColor1(r, 5) ? '1' : '2';
  QCOMPARE(pattern, QStringLiteral("222211111222221"));
  QCOMPARE(BandUsesColor1(1, 1), true);
  QCOMPARE(BandUsesColor1(2, 1), false);
  // A band of no rows would divide by zero; it is taken as one row.
  QCOMPARE(BandUsesColor1(3, 0), BandUsesColor1(3, 1));
  QCOMPARE(BandUsesColor1(3, -4), BandUsesColor1(3, 1));
}

void TGridTest::DefaultsAreThoseOfTheMainWindowGrid() {
  TMyDBGrid grid;
  QCOMPARE(grid.property("MyBandColor").toBool(), true);
  QCOMPARE(grid.property("MyBandColor1").value<QColor>(), QColor(218, 255, 254));
  QCOMPARE(grid.property("MyBandColor2").value<QColor>(), QColor(255, 240, 221));
  QCOMPARE(grid.property("MyBandRowNum").toInt(), 5);
  QCOMPARE(grid.property("MySortFields").toBool(), true);
  QCOMPARE(grid.property("MySortList").toString(), QString());
  QCOMPARE(grid.property("MyRowSelectReadonly").toBool(), true);
  QVERIFY(grid.setProperty("MyBandRowNum", 0));
  QCOMPARE(grid.MyBandRowNum(), 1);
}

void TGridTest::BandsArePaintedExceptOnTheCurrentRow() {
  TMyClientDataSet table = MakeTable(12);
  TMyDBGrid grid;
  grid.setTable(&table);
  grid.resize(700, 500);
  grid.setColumnWidth(1, 150);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  grid.setCurrentIndex(grid.model()->index(0, 0));
  grid.clearSelection();

  auto pixel = [&](int row) {
    const QImage image = grid.viewport()->grab().toImage();
    const QRect cell = grid.visualRect(grid.model()->index(row, 1));
    return QColor(image.pixel(cell.right() - 3, cell.bottom() - 2));
  };
  QCOMPARE(pixel(3), grid.MyBandColor2());   // record 4
  QCOMPARE(pixel(4), grid.MyBandColor1());   // record 5: first of the second colour
  QCOMPARE(pixel(8), grid.MyBandColor1());   // record 9
  QCOMPARE(pixel(9), grid.MyBandColor2());   // record 10
  QVERIFY(pixel(0) != grid.MyBandColor2());  // current row: drawn without a band

  grid.setCurrentIndex(grid.model()->index(4, 0));
  grid.clearSelection();
  QCOMPARE(pixel(0), grid.MyBandColor2());
  QVERIFY(pixel(4) != grid.MyBandColor1());

  grid.SetMyBandColor(false);
  QVERIFY(pixel(3) != grid.MyBandColor2());
  QVERIFY(!grid.BandBackground(3).isValid());
}

void TGridTest::EmptySortListBecomesAllPositionsOnlyWithATable() {
  TMyDBGrid grid;
  grid.SetMySortList(QString());
  QCOMPARE(grid.MySortList(), QString());

  TMyClientDataSet table = MakeTable(3);
  grid.setTable(&table);
  grid.setProperty("MySortList", QString());
  QCOMPARE(grid.MySortList(), QStringLiteral("00;01;02;03;04;05;06;07;08;09;10;11"));
  grid.SetMySortList(QStringLiteral("03;5"));
  QCOMPARE(grid.MySortList(), QStringLiteral("03;5"));

  QVERIFY(DefaultSortList(101).endsWith(QStringLiteral(";98;99;100")));
  QCOMPARE(DefaultSortList(0), QString());
}

void TGridTest::TitleClickSortsListedColumnsOnly() {
  TMyClientDataSet table = MakeTable(12);
  TMyDBGrid grid;
  grid.setTable(&table);
  grid.resize(900, 400);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  QHeaderView* header = grid.horizontalHeader();
  auto clickTitle = [&](int column) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
  };

  // The main window's grid: an empty list, so clicks do not sort.
  clickTitle(2);
  QCOMPARE(QString::fromStdString(table.Value(0, 0)), QStringLiteral("01"));

  grid.SetMySortList(QStringLiteral("00;01"));
  clickTitle(2);
  QCOMPARE(QString::fromStdString(table.Value(0, 0)), QStringLiteral("01"));

  grid.SetMySortList(QString());  // all columns
  clickTitle(2);
  QCOMPARE(QString::fromStdString(table.Value(0, 0)), QStringLiteral("12"));
  QCOMPARE(grid.model()->index(0, 0).data().toString(), QStringLiteral("12"));
  QCOMPARE(QString::fromStdString(table.IndexFieldNames()), QStringLiteral("F002"));

  // Entries are whole positions: "101" does not make column 1 sortable.
  grid.SetMySortList(QStringLiteral("101"));
  clickTitle(1);
  QCOMPARE(QString::fromStdString(table.Value(0, 0)), QStringLiteral("12"));

  grid.SetMySortList(QStringLiteral("00"));
  grid.SetMySortFields(false);
  clickTitle(0);
  QCOMPARE(QString::fromStdString(table.Value(0, 0)), QStringLiteral("12"));
  grid.SetMySortFields(true);
  clickTitle(0);
  QCOMPARE(QString::fromStdString(table.Value(0, 0)), QStringLiteral("01"));
}

void TGridTest::SortKeepsPersistentIndexesOnTheirRecords() {
  TMyClientDataSet table = MakeTable(6);
  TClientDataSetModel model;
  model.SetDataSet(&table);
  QPersistentModelIndex third(model.index(2, 1));
  QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
  model.SortByField(2);
  QCOMPARE(layout.count(), 1);
  QCOMPARE(third.row(), 3);
  QCOMPARE(third.data().toString(), QStringLiteral("填料03"));
  model.SortByField(99);  // ignored
  QCOMPARE(layout.count(), 1);
}

void TGridTest::TypingIntoACellChangesTheTable() {
  TMyClientDataSet table = MakeTable(3);
  TMyDBGrid grid;
  grid.setTable(&table);
  grid.show();
  grid.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&grid));
  QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);

  grid.setFocus();
  grid.setCurrentIndex(grid.model()->index(1, 1));
  QTest::keyClick(&grid, Qt::Key_F2);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  QVERIFY(editor);
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("Pall ring 25mm"));
  QTest::keyClick(editor, Qt::Key_Return);  // the delegate commits from a queued call

  QTRY_COMPARE(QString::fromStdString(table.Value(1, 1)), QStringLiteral("Pall ring 25mm"));
  QCOMPARE(changed.count(), 1);
  const auto args = changed.takeFirst();
  QCOMPARE(args.at(0).toModelIndex(), grid.model()->index(1, 1));
  const auto roles = args.at(2).value<QList<int>>();
  QVERIFY(roles.contains(Qt::DisplayRole));
  QVERIFY(roles.contains(Qt::EditRole));
}

void TGridTest::NumericCellRefusesText() {
  TMyClientDataSet table = MakeTable(3);
  TClientDataSetModel model;
  model.SetDataSet(&table);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  QVERIFY(!model.setData(model.index(0, 2), QStringLiteral("12,5")));
  QCOMPARE(QString::fromStdString(table.Value(0, 2)), QStringLiteral("1000"));
  QVERIFY(model.setData(model.index(0, 2), QStringLiteral("1.25E3")));
  QCOMPARE(QString::fromStdString(table.Value(0, 2)), QStringLiteral("1.25E3"));
  QCOMPARE(changed.count(), 1);
  QVERIFY(!model.setData(model.index(0, 2), QStringLiteral("7"), Qt::DisplayRole));
}

void TGridTest::ReadOnlyTableSelectsWholeRows() {
  TMyClientDataSet table = MakeTable(3);
  TMyDBGrid grid;
  grid.setTable(&table);
  QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectItems);
  QVERIFY(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable);

  table.SetReadOnly(true);
  grid.setTable(&table);
  QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
  QVERIFY(!(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable));
  QVERIFY(!grid.model()->setData(grid.model()->index(0, 1), QStringLiteral("new")));
  grid.SetMyRowSelectReadonly(false);
  QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectItems);
}

void TGridTest::ModelValidatesIndexesAndHeaders() {
  TMyClientDataSet table = MakeTable(3);
  TClientDataSetModel model;
  QCOMPARE(model.rowCount(), 0);
  QVERIFY(!model.headerData(0, Qt::Horizontal).isValid());
  model.SetDataSet(&table);
  QCOMPARE(model.rowCount(), 3);
  QCOMPARE(model.columnCount(), 12);
  QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("编号"));
  QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("F001"));
  QCOMPARE(model.headerData(2, Qt::Vertical).toInt(), 3);
  QVERIFY(!model.headerData(12, Qt::Horizontal).isValid());
  QVERIFY(!model.headerData(-1, Qt::Vertical).isValid());
  QCOMPARE(model.data(model.index(2, 1)).toString(), QStringLiteral("填料03"));
  QVERIFY(!model.index(3, 0).isValid());

  // An index of another model is not ours to read or write.
  TClientDataSetModel other;
  TMyClientDataSet big = MakeTable(10);
  other.SetDataSet(&big);
  const QModelIndex foreign = other.index(8, 0);
  QVERIFY(!model.data(foreign).isValid());
  QVERIFY(!model.setData(foreign, QStringLiteral("x")));
  QCOMPARE(model.flags(foreign), Qt::NoItemFlags);
  QCOMPARE(model.rowCount(model.index(0, 0)), 0);
}

void TGridTest::ModelPassesTheItemModelTester() {
  TMyClientDataSet table = MakeTable(8);
  TMyClientDataSet other = MakeTable(2);
  TClientDataSetModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
  model.SetDataSet(&table);
  model.SortByField(2);
  QVERIFY(model.setData(model.index(3, 4), QStringLiteral("changed")));
  model.SetDataSet(&other);
  TMyClientDataSet::TRecord extra(12, "y");
  extra[2] = "5";
  table.AppendRecord(extra);
  model.SetDataSet(&table);
  model.Reload();
  model.SetDataSet(nullptr);
  QCOMPARE(model.rowCount(), 0);
}

QTEST_MAIN(TGridTest)
#include "GridTest.moc"
