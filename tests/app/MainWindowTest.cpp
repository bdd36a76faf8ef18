// The main window: its controls, menus and tool bar, the start-up with and without a packing
// table, and the key handling that marks the document modified. Offscreen, with real key and
// mouse events where the user would type or click.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <map>
#include <memory>

#include "app/MainWindow.h"
#include "app/PackingGrid.h"
#include "app/StatusBar.h"
#include "base/Errors.h"
#include "units/UnitSelector.h"
#include "units/ValueField.h"

using velm::TComboBoxU;
using velm::TEditD;
using velm::TFormVELM;

namespace {

QStringList ActionTexts(const QList<QAction*>& actions) {
  QStringList texts;
  for (const QAction* a : actions) texts << (a->isSeparator() ? QString("-") : a->text());
  return texts;
}

}  // namespace

class TMainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  QString FTable;  // a small packing table: an empty-key record first, then 01, 02, 03
  QStringList FErrors;
  QString FSettings = FDir.filePath("window.ini");  // the window's settings, private to the test

  std::unique_ptr<TFormVELM> MakeWindow(const QString& packingFile) {
    FErrors.clear();
    velm::TFormVELMSetup setup;
    setup.PackingFile = packingFile;
    setup.ErrorBox = [this](QWidget*, const QString& text) { FErrors << text; };
    setup.SettingsFile = FSettings;
    return std::make_unique<TFormVELM>(nullptr, setup);
  }
  void ShowActive(QWidget* w) {
    w->resize(1366, 740);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
  }
  // Opens the file menu with a mouse click on its title; returns whether "&S 保存" was enabled.
  bool SaveEnabledWhenFileMenuOpens(TFormVELM& w) {
    QMenuBar* bar = w.menuBar();
    QMenu* file = w.MFile();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
    if (!QTest::qWaitFor([&] { return file->isVisible(); })) return false;
    const bool enabled = w.findChild<QAction*>("MFile_Save")->isEnabled();
    file->hide();
    return enabled;
  }

 private slots:
  void initTestCase() {
    QVERIFY(FDir.isValid());
    // The program's own font, so that sizes are those the user sees.
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    velm::TMyClientDataSet table;
    table.DefineFields(15);
    auto record = [](const std::string& key, const std::string& name) {
      velm::TMyClientDataSet::TRecord r(15);
      r[0] = key;
      r[1] = name;
      r[2] = "25mm";
      r[3] = "拉西环";
      r[4] = "190";
      r[14] = key == "03" ? "120 (1/m)" : "";
      return r;
    };
    table.AppendRecord(record("", "无编号"));
    table.AppendRecord(record("01", "陶瓷"));
    table.AppendRecord(record("02", "金属"));
    table.AppendRecord(record("", "空"));
    table.AppendRecord(record("03", "塑料"));
    FTable = FDir.filePath("Packings.cds");
    table.SaveLabelledFile(QFile::encodeName(FTable).toStdString());
  }

  void init() {
    velm::SetModified(false);
    velm::SetNeedsRecalc(false);
  }

  void FieldsHaveTheirLabelRoleHintAndHelpNumber_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("help");
    const QString diff = "计算传质时需要填写此数据,只计算塔径不必填写.";
    struct TRow {
      const char* Name;
      const char* Caption;
      const char* Role;
      QString Hint;
      int Help;
    };
    const TRow rows[] = {
        {"LD", "液相质量流量", "R", "", 0},
        {"DlD", "液相密度", "R", "", 0},
        {"MlD", "液相粘度", "R", "", 0},
        {"SLD", "液相表面张力", "R", "", 0},
        {"DlfD", "液相扩散系数", "R", diff, 1},
        {"VD", "气相质量流量", "R", "", 0},
        {"DvD", "气相密度", "R", "", 0},
        {"MvD", "气相粘度", "R", "", 0},
        {"DvfD", "气相扩散系数", "R", diff, 11},
        {"LmdD", "参数λ", "I", "和气液平衡有关的常数，建议你不要直接填写该数据", 23},
        {"meD", "平衡线斜率", "I", "亨利定律:y=mx中的m", 21},
        {"alfD", "相对挥发度", "I", "y=ax/[1+(a-1)x]中的a", 22},
        {"FpD", "流动参数", "O", "", 0},
        {"KfD", "泛点湿填料因子", "O", "", 0},
        {"UfD", "泛点气速", "O", "", 0},
        {"UpD", "空速", "O", "理论空塔速度", 42},
        {"dpD", "理论塔径", "O", "", 0},
        {"dD", "实际塔径", "O", "圆整后的塔径", 0},
        {"UlsD", "液相负荷", "O", "也就是喷淋密度", 43},
        {"UvsD", "气相负荷", "O", "", 0},
        {"KpD", "压降湿填料因子", "O", "", 0},
        {"dPwaterD", "湿塔压降(每米)", "O", "", 0},
        {"HTD", "持液量", "O", "", 0},
        {"UmD", "饱和喷淋", "O", "喷淋密度占最小喷淋密度之百分数，小于100%不正常.", 31},
        {"HTUVD", "HTUV", "O", "气相传质单元高度.", 32},
        {"HTULD", "HTUL", "O", "液相传质单元高度.", 33},
        {"HTUOVD", "HTUOV", "O", "总传质单元高度.", 34},
        {"HETPD", "HETP(等板高度)", "O", "等板高度,即一个理论板需要的填料高度.", 35},
    };
    for (const TRow& r : rows)
      QTest::newRow(r.Name) << r.Name << QString(r.Caption) << r.Role << r.Hint << r.Help;
  }
  void FieldsHaveTheirLabelRoleHintAndHelpNumber() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, role);
    QFETCH(QString, hint);
    QFETCH(int, help);
    auto w = MakeWindow(FTable);

    const QList<TEditD*> found = w->findChildren<TEditD*>(name);
    QCOMPARE(found.size(), 1);
    TEditD* field = found.first();
    const QString stem = name.chopped(1);
    auto* label = w->findChild<QLabel*>(stem + "L");
    QVERIFY(label);
    QCOMPARE(label->text(), caption);
    QCOMPARE(field->MyResolved(), role != "R");
    QCOMPARE(field->isReadOnly(), role == "O");
    QVERIFY(field->text().isEmpty());
    QCOMPARE(field->toolTip(), hint);
    QCOMPARE(field->property("HelpContext").toInt(), help);

    // Result labels red; three of them underlined.
    const QColor labelColor = label->palette().color(QPalette::WindowText);
    QCOMPARE(labelColor == QColor(255, 0, 0), role == "O");
    QCOMPARE(label->font().underline(), name == "dD" || name == "KpD" || name == "dPwaterD");
    // Blue digits, except for λ, m and α.
    const QColor blue(0, 0, 255);
    QCOMPARE(field->palette().color(QPalette::Text) == blue, role != "I");

    // The unit selector converts for this field and starts on the first (SI) unit.
    auto* unit = w->findChild<TComboBoxU*>(stem + "U");
    QVERIFY(unit);
    QCOMPARE(unit->Associated(), field);
    QVERIFY(unit->count() > 0);
    QCOMPARE(unit->currentIndex(), 0);
    QCOMPARE(field->Kb(), unit->itemText(0));
  }

  void FactorFieldsCarryTheirLabelAndComputeBoxes() {
    auto w = MakeWindow(FTable);
    for (const char* stem : {"Kf", "Kp"}) {
      auto* check = w->findChild<QCheckBox*>(QString("Cal") + stem);
      QVERIFY(check);
      QCOMPARE(check->text(), QString("计算"));
      QVERIFY(check->isChecked());
      auto* field = w->findChild<TEditD*>(QString(stem) + "D");
      QCOMPARE(field->MyLabel(), w->findChild<QLabel*>(QString(stem) + "L"));
      QCOMPARE(field->DisplayName(), w->findChild<QLabel*>(QString(stem) + "L")->text());
    }
    // Every value field is named in messages by its label's caption.
    for (TEditD* field : w->findChildren<TEditD*>()) {
      auto* label = w->findChild<QLabel*>(field->objectName().chopped(1) + "L");
      QVERIFY2(label && field->MyLabel() == label, qPrintable(field->objectName()));
    }
    QCOMPARE(w->findChild<TEditD*>("LD")->DisplayName(), QString("液相质量流量"));
  }

  void OptionListsAndProjectFields() {
    auto w = MakeWindow(FTable);
    auto* af = w->findChild<QComboBox*>("AfD");
    QCOMPARE(af->count(), 9);
    QCOMPARE(af->itemText(0), QString("0.2"));
    QCOMPARE(af->itemText(8), QString("1.0"));
    QCOMPARE(af->currentText(), QString("0.8"));
    QCOMPARE(af->property("HelpContext").toInt(), 2);
    QCOMPARE(af->toolTip(), QString("高泡沫选0.5,中泡沫选0.8,无泡沫选1.0.其它酌情选取."));

    auto* fp = w->findChild<QComboBox*>("fpercentD");
    QVERIFY(fp->isEditable());
    QCOMPARE(fp->count(), 13 + 20);
    QCOMPARE(fp->itemText(0), QString("80"));
    QCOMPARE(fp->itemText(7), QString("100"));
    QCOMPARE(fp->itemText(12), QString("40"));
    QCOMPARE(fp->itemText(13), QString("39"));
    QCOMPARE(fp->itemText(32), QString("20"));
    QCOMPARE(fp->currentText(), QString("80"));
    QCOMPARE(fp->property("HelpContext").toInt(), 12);
    QCOMPARE(w->findChild<QLabel*>("fpercentL")->text(), QString("泛点预设"));

    auto* method = w->findChild<QComboBox*>("MethodD");
    QCOMPARE(method->count(), 3);
    QCOMPARE(method->currentText(), QString("Eckert-Orvik"));
    QCOMPARE(method->itemText(1), QString("Kister-Orvik"));
    QCOMPARE(method->itemText(2), QString("Billet-Schultes"));
    auto* acl = w->findChild<QComboBox*>("ACLMethodD");
    QCOMPARE(acl->count(), 4);
    QCOMPARE(acl->currentText(), QString("Normal"));
    QCOMPARE(acl->itemText(2), QString("Orvik Talvsen"));
    QCOMPARE(acl->itemText(3), QString("OTV2"));
    // Their help numbers are their own: a help number picks the first control that has it.
    QVERIFY(method->property("HelpContext").toInt() != af->property("HelpContext").toInt());
    QVERIFY(acl->property("HelpContext").toInt() != af->property("HelpContext").toInt());

    for (const char* name :
         {"ProjectD", "DevicenameD", "DeviceNoD", "ProjPD", "Edit1", "Edit2", "Edit3", "Edit4"})
      QVERIFY2(w->findChild<QLineEdit*>(name) && !w->findChild<TEditD*>(name), name);
    QVERIFY(w->findChild<QTextEdit*>("CommentD"));
    QCOMPARE(w->findChild<QLabel*>("ProjectL")->text(), QString("项目名称"));
    QCOMPARE(w->findChild<QLabel*>("Edit3L")->text(), QString("备用"));
  }

  void PagesMessagesAndStatusBar() {
    auto w = MakeWindow(FTable);
    QCOMPARE(w->windowTitle(), QString("散堆填料塔流体力学-空白项目[*]"));
    QTabWidget* pages = w->findChild<QTabWidget*>("PageControlMain");
    QVERIFY(pages);
    QCOMPARE(pages->count(), 3);
    const QStringList names{"TabSheetCal", "TabSheetConst", "TabSheetPer"};
    const QStringList captions{"计算", "常量", "操作性能图"};
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(pages->widget(i)->objectName(), names[i]);
      QCOMPARE(pages->tabText(i), captions[i]);
    }
    QCOMPARE(pages->currentIndex(), 0);

    auto* grid = pages->widget(1)->findChild<velm::TMyDBGrid*>("MyDBGrid1");
    QVERIFY(grid);
    QCOMPARE(grid->model()->rowCount(), 5);
    QCOMPARE(grid->MySortList(), QString());
    QCOMPARE(pages->widget(2)->findChild<QWidget*>("PYPaintBox")->geometry(),
             QRect(11, 8, 460, 360));
    QCOMPARE(pages->widget(2)->findChild<QWidget*>("MyPaintBox")->geometry(),
             QRect(516, 8, 460, 360));

    auto* messages = w->findChild<QPlainTextEdit*>("MMessages");
    QVERIFY(messages && messages->isReadOnly());
    QCOMPARE(messages->document()->firstBlock().text(), QString("====Messages===="));
    QCOMPARE(qobject_cast<QSplitter*>(messages->parentWidget()),
             qobject_cast<QSplitter*>(pages->parentWidget()));

    auto* status = w->findChild<velm::TMyStatusBar*>("MyStatusBarMain");
    QVERIFY(status);
    QCOMPARE(status->PanelCount(), 3);
    ShowActive(w.get());
    QVERIFY(status->isVisible());  // its first panel carries the chart's readout
  }

  void PagesAreUsableFromSmallToWideScreens_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("1024x600") << QSize(1024, 600);
    QTest::newRow("1366x768 less title and task bar") << QSize(1366, 698);
    QTest::newRow("1920x1080 maximised") << QSize(1920, 1050);
  }
  void PagesAreUsableFromSmallToWideScreens() {
    QFETCH(QSize, size);
    auto w = MakeWindow(FTable);
    w->resize(size);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->size(), size);  // nothing forces the window larger than the screen

    auto* area = w->findChild<QScrollArea*>("TabSheetCal");
    QVERIFY(area);
    QCOMPARE(area->horizontalScrollBar()->maximum(), 0);  // the page scrolls up and down only
    const QFontMetrics metrics(w->font());
    QWidget* page = area->widget();
    for (const QLabel* label : page->findChildren<QLabel*>()) {
      QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
      QVERIFY2(label->height() >= label->sizeHint().height(), qPrintable(label->objectName()));
    }
    // Every input and result can be scrolled into view, whole, and none is stretched across
    // a wide screen.
    QList<QWidget*> controls;
    for (QWidget* c : page->findChildren<QWidget*>())
      if (qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) ||
          qobject_cast<QTextEdit*>(c) || qobject_cast<QCheckBox*>(c))
        if (!qobject_cast<QComboBox*>(c->parentWidget())) controls << c;
    QVERIFY(controls.size() > 40);
    for (QWidget* c : controls) {
      const QRect inPage(c->mapTo(page, QPoint(0, 0)), c->size());
      area->ensureVisible(inPage.center().x(), inPage.center().y(), inPage.width() / 2 + 1,
                          inPage.height() / 2 + 1);
      const QRect r(c->mapTo(area->viewport(), QPoint(0, 0)), c->size());
      QVERIFY2(area->viewport()->rect().contains(r), qPrintable(c->objectName()));
      if (qobject_cast<TEditD*>(c)) {
        QVERIFY2(c->height() >= c->sizeHint().height(), qPrintable(c->objectName()));
        QVERIFY2(c->width() <= metrics.horizontalAdvance(QString(40, '0')),
                 qPrintable(c->objectName()));
      }
    }
    // The chart's two boxes lie inside the scrolled chart page.
    auto* chart = w->findChild<QScrollArea*>("TabSheetPer");
    for (const char* name : {"PYPaintBox", "MyPaintBox"})
      QVERIFY2(chart->widget()->rect().contains(w->findChild<QWidget*>(name)->geometry()), name);
  }

  void MessagesPaneKeepsTheHeightTheUserDragsItTo() {
    QFile::remove(FSettings);
    auto open = [this] {
      auto w = MakeWindow(FTable);
      w->resize(1366, 698);
      w->show();
      return w;
    };
    auto w = open();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    auto* splitter = w->findChild<QSplitter*>("Splitter1");
    const int lineHeight = QFontMetrics(w->MMessages()->font()).lineSpacing();
    const int start = w->MMessages()->height();
    QVERIFY2(start >= 9 * lineHeight && start <= 12 * lineHeight,
             qPrintable(QString::number(start)));

    // Dragging the divider up by 120 pixels gives the pane 120 pixels.
    QSplitterHandle* handle = splitter->handle(1);
    const QPoint from = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, from);
    QTest::mouseMove(handle, from - QPoint(0, 120));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, from - QPoint(0, 120));
    QCOMPARE(w->MMessages()->height(), start + 120);
    QVERIFY(w->close());

    w = open();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->MMessages()->height(), start + 120);

    // A damaged or absurd stored height gives the default again.
    for (const QByteArray& stored : {QByteArray("abc"), QByteArray("-5"), QByteArray("99999")}) {
      w.reset();
      QFile ini(FSettings);
      QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
      ini.write("[MainWindow]\nMessagesHeight=" + stored + "\n");
      ini.close();
      w = open();
      QVERIFY(QTest::qWaitForWindowExposed(w.get()));
      QVERIFY2(w->MMessages()->height() == start, stored.constData());
    }
  }

  void MenusAndToolBarHaveTheirCaptionsAndOnlyFileCommandsWork() {
    auto w = MakeWindow(FTable);
    QStringList top;
    for (QAction* a : w->menuBar()->actions()) top << a->text();
    QCOMPARE(top, QStringList({"&F 文件", "&R 报表", "&A 关于...", "&H 帮助中心"}));
    QCOMPARE(ActionTexts(w->MFile()->actions()),
             QStringList({"&N 新建", "&O 打开", "-", "&S 保存", "&A 另存为", "-", "&E 结束"}));
    // The recent files go in at position 6, before "&E 结束".
    QCOMPARE(w->Files().RecentFirst(), 6);
    QCOMPARE(w->Files().RecentCount(), 0);
    QCOMPARE(w->Files().RecentMax(), 9);
    QCOMPARE(w->MFile()->actions().at(w->Files().RecentFirst())->objectName(), QString("MExit"));
    QCOMPARE(ActionTexts(w->findChild<QMenu*>("MReport")->actions()),
             QStringList({"&S 保存报表", "&P 打印报表", "&F 导出PDF", "-", "&D 操作性能图",
                          "&C 复制操作性能图", "&G 保存操作性能图...", "&K 填料筛选"}));
    QCOMPARE(ActionTexts(w->findChild<QMenu*>("MHelp")->actions()),
             QStringList({"&T 帮助主题", "&W 这是什么?", "&H 官方网站", "&E 联系我们", "-",
                          "&U 下载升级包"}));

    const QStringList buttons{"BNew",   "BOpen",    "BSave",  "BSaveas", "BReport",
                              "BPrint", "BDrawper", "BHysys", "BProii"};
    const QStringList captions{"新建", "打开",       "保存",      "另存为",   "保存报表",
                               "打印", "操作性能图", "连接Hysys", "连接Proii"};
    for (int i = 0; i < buttons.size(); ++i) {
      auto* b = w->findChild<QToolButton*>(buttons[i]);
      QVERIFY2(b, qPrintable(buttons[i]));
      QCOMPARE(b->text(), captions[i]);
      QCOMPARE(b->toolTip(), captions[i]);
      QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
      QVERIFY(!b->icon().isNull());
      // Every command of the tool bar is part of this window.
      QVERIFY(b->isEnabled());
    }
    for (const char* name :
         {"MFile_New", "MFile_Open", "MFile_Saveas", "MAbout", "MHelp_Topic", "MReport_Save",
          "MReport_Print", "MReport_Pdf", "MReport_Per", "MReport_PerCopy", "MReport_PerSave"})
      QVERIFY2(w->findChild<QAction*>(name)->isEnabled(), name);

    ShowActive(w.get());
    auto* exit = w->findChild<QAction*>("MExit");
    QVERIFY(exit->isEnabled());
    exit->trigger();
    QVERIFY(!w->isVisible());
  }

  void SaveIsEnabledOnlyAfterAKeyPressInAField() {
    auto w = MakeWindow(FTable);
    ShowActive(w.get());
    QVERIFY(!velm::Modified());
    QVERIFY(!SaveEnabledWhenFileMenuOpens(*w));

    // Tab only moves on: nothing typed, nothing modified.
    auto* ld = w->findChild<TEditD*>("LD");
    ld->setFocus();
    QTRY_VERIFY(ld->hasFocus());
    QTest::keyClick(ld, Qt::Key_Tab);
    QVERIFY(!velm::Modified());
    QVERIFY(!SaveEnabledWhenFileMenuOpens(*w));

    ld->setFocus();
    QTRY_VERIFY(ld->hasFocus());
    QTest::keyClick(ld, Qt::Key_5);
    QCOMPARE(ld->text(), QString("5"));
    QVERIFY(velm::Modified());
    QVERIFY(velm::NeedsRecalc());
    QVERIFY(SaveEnabledWhenFileMenuOpens(*w));
  }

  void OnlyKeysThatChangeSomethingMarkTheProjectModified() {
    auto w = MakeWindow(FTable);
    ShowActive(w.get());
    struct TKey {
      const char* Control;
      int Key;
      Qt::KeyboardModifiers Mods;
      bool Edits;
    };
    const TKey keys[] = {
        {"LD", Qt::Key_Escape, {}, false},    {"LD", Qt::Key_F2, {}, false},
        {"LD", Qt::Key_Left, {}, false},      {"LD", Qt::Key_Up, {}, false},
        {"LD", Qt::Key_Home, {}, false},      {"LD", Qt::Key_C, Qt::ControlModifier, false},
        {"dD", Qt::Key_Backspace, {}, false}, {"dD", Qt::Key_5, {}, false},
        {"LD", Qt::Key_5, {}, true},          {"LD", Qt::Key_V, Qt::ControlModifier, true},
        {"LD", Qt::Key_Backspace, {}, true},  {"AfD", Qt::Key_Down, {}, true},
        {"fpercentD", Qt::Key_Up, {}, true},  {"fpercentD", Qt::Key_Left, {}, false},
    };
    for (const TKey& k : keys) {
      velm::SetModified(false);
      velm::SetNeedsRecalc(false);
      auto* target = w->findChild<QWidget*>(k.Control);
      QVERIFY(target);
      target->setFocus();
      QTRY_VERIFY(target->hasFocus() || target->isAncestorOf(QApplication::focusWidget()));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key(k.Key), k.Mods);
      QVERIFY2(velm::Modified() == k.Edits, k.Control);
      QCOMPARE(velm::NeedsRecalc(), k.Edits);
    }
    // The file commands carry the platform's shortcuts; F5 is the window's recalculation.
    QCOMPARE(w->findChild<QAction*>("MFile_Save")->shortcut(), QKeySequence(QKeySequence::Save));
    QCOMPARE(w->findChild<QAction*>("MExit")->shortcut(), QKeySequence(QKeySequence::Quit));
    QCOMPARE(w->findChild<QAction*>("ARecalc")->shortcut(), QKeySequence(Qt::Key_F5));
  }

  void EnterMovesToTheNextFieldExceptInTheComment() {
    auto w = MakeWindow(FTable);
    ShowActive(w.get());
    auto* ld = w->findChild<TEditD*>("LD");
    ld->setFocus();
    QTRY_VERIFY(ld->hasFocus());
    QTest::keyClick(ld, Qt::Key_Return);
    QTRY_VERIFY(!ld->hasFocus());
    QVERIFY(!velm::Modified());

    auto* comment = w->findChild<QTextEdit*>("CommentD");
    comment->setFocus();
    QTRY_VERIFY(comment->hasFocus());
    QTest::keyClicks(comment, "ab");
    QTest::keyClick(comment, Qt::Key_Return);
    QTest::keyClicks(comment, "c");
    QVERIFY(comment->hasFocus());
    QCOMPARE(comment->toPlainText(), QString("ab\nc"));
    // A change of the comment is a change of the document.
    QVERIFY(velm::Modified());
  }

  void ErrorsOfHandlersAndUnitWidgetsReachTheOneErrorReport() {
    auto w = MakeWindow(FTable);
    w->Guard([] { throw velm::TSilentAbort{}; });
    QVERIFY(FErrors.isEmpty());
    w->Guard([] { throw velm::TCalcError("“dD”不能显示数值 inf"); });
    w->Guard([] { throw std::out_of_range("record 7"); });
    velm::ReportError("单位换算失败");
    QCOMPARE(FErrors, QStringList({"“dD”不能显示数值 inf", "record 7", "单位换算失败"}));
  }

  void GridAndPackingHintTellWhereThePackingFactorComesFrom() {
    auto w = MakeWindow(FTable);
    const velm::TClientDataSetModel* model =
        w->findChild<velm::TMyDBGrid*>("MyDBGrid1")->TableModel();
    std::map<QString, int> row;
    for (int r = 0; r < model->rowCount(); ++r) row[model->index(r, 0).data().toString()] = r;
    // 01 has no experimental factor, 03 has one.
    QCOMPARE(model->index(row["01"], 14).data().toString(), QString("估算"));
    QCOMPARE(model->index(row["01"], 14).data(Qt::EditRole).toString(), QString());
    QVERIFY(model->index(row["01"], 14).data(Qt::ToolTipRole).toString().contains("估算值"));
    QCOMPARE(model->index(row["03"], 14).data().toString(), QString("120 (1/m)"));
    QVERIFY(model->index(row["03"], 14).data(Qt::ToolTipRole).toString().contains("公开发表"));
    QVERIFY(!model->index(row["03"], 4).data(Qt::ToolTipRole).isValid());

    auto* ptd = w->findChild<QComboBox*>("PTD");
    QVERIFY(ptd->currentText().startsWith("01;"));
    QVERIFY(ptd->toolTip().contains("估算值"));
    ptd->setCurrentIndex(ptd->findText("03", Qt::MatchStartsWith));
    QVERIFY(ptd->toolTip().contains("120 (1/m)"));
  }

  void TabWalksTheInputsInReadingOrderAndSkipsTheUnitSelectors() {
    auto w = MakeWindow(FTable);
    ShowActive(w.get());
    const QStringList order{"DlD", "MlD",  "SLD",  "DlfD", "AfD",       "LD",
                            "DvD", "MvD",  "DvfD", "VD",   "fpercentD", "ServiceD",
                            "PTD", "LmdD", "meD",  "alfD", "MethodD"};
    QWidget* start = w->findChild<QWidget*>(order.first());
    start->setFocus();
    QTRY_VERIFY(start->hasFocus());
    for (qsizetype i = 1; i < order.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focus = QApplication::focusWidget();
      // An editable list has its line edit focused.
      if (focus && focus->objectName().isEmpty()) focus = focus->parentWidget();
      QVERIFY(focus);
      QCOMPARE(focus->objectName(), order[i]);
    }
    QVERIFY(!velm::Modified());
  }

  void PackingListSkipsEmptyKeysAndSelectsTheFirst() {
    auto w = MakeWindow(FTable);
    QVERIFY(FErrors.isEmpty());
    QVERIFY(w->PackingsLoaded());
    auto* ptd = w->findChild<QComboBox*>("PTD");
    QCOMPARE(ptd->count(), 3);
    QCOMPARE(ptd->itemText(0), QString("01;陶瓷;25mm;拉西环"));
    QCOMPARE(ptd->itemText(2), QString("03;塑料;25mm;拉西环"));
    QCOMPARE(ptd->currentIndex(), 0);
    QCOMPARE(w->SelectedPackingKey(), QString("01"));
    // Filling the list is not a change of the document.
    QVERIFY(!velm::Modified());

    std::optional<velm::TPackingRecord> record = w->SelectedPackingRecord();
    QVERIFY(record);
    QCOMPARE(record->F[0], std::string("01"));
    QCOMPARE(record->F[4], std::string("190"));
    QCOMPARE(record->F[14], std::string());

    ptd->setCurrentIndex(2);
    record = w->SelectedPackingRecord();
    QVERIFY(record);
    QCOMPARE(record->F[1], std::string("塑料"));
    QCOMPARE(record->F[14], std::string("120 (1/m)"));
  }

  void UnreadablePackingTableOpensWithAnEmptyListAndOneMessage_data() {
    QTest::addColumn<QByteArray>("content");  // empty: no file at all
    QTest::newRow("missing") << QByteArray();
    // Announces a 1000-byte table block and ends after four.
    QTest::newRow("short") << QByteArray("\xe8\x03\0\0\0\0\0\0abcd", 12);
  }
  void UnreadablePackingTableOpensWithAnEmptyListAndOneMessage() {
    QFETCH(QByteArray, content);
    QString file = FDir.filePath("missing.cds");
    if (!content.isEmpty()) {
      file = FDir.filePath("short.cds");
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(content);
    }
    auto w = MakeWindow(file);
    QCOMPARE(FErrors.size(), 1);
    QVERIFY(!FErrors.first().isEmpty());
    QVERIFY(!w->PackingsLoaded());
    QCOMPARE(w->findChild<QComboBox*>("PTD")->count(), 0);
    QVERIFY(!w->SelectedPackingRecord());
    QCOMPARE(w->findChild<velm::TMyDBGrid*>("MyDBGrid1")->model()->rowCount(), 0);
    // The window is complete and usable.
    QVERIFY(w->findChild<TEditD*>("HETPD"));
    ShowActive(w.get());
    QVERIFY(!SaveEnabledWhenFileMenuOpens(*w));
  }
};

QTEST_MAIN(TMainWindowTest)
#include "MainWindowTest.moc"
