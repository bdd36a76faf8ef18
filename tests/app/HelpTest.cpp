// Help, hints and about on the main window: F1 and the what's-this pointer on the calculation
// page, the key hint window, every help number a control uses, the index by the fields' names,
// the help menu and the about box. Offscreen, with real keys and clicks.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QHelpEngine>
#include <QHelpLink>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/AboutDialog.h"
#include "app/BuildInfo.h"
#include "app/HelpCommands.h"
#include "app/MainWindow.h"
#include "help/ApplicationHelp.h"
#include "help/HelpFile.h"
#include "help/HelpNumbers.h"
#include "help/HelpViewer.h"
#include "help/HintWindow.h"
#include "units/ValueField.h"

using velm::TFormVELM;

class THelpTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  QStringList FErrors;
  QStringList FMessages;
  QList<QUrl> FOpened;  // links handed to the desktop

  std::unique_ptr<TFormVELM> MakeWindow() {
    FErrors.clear();
    FMessages.clear();
    velm::TFormVELMSetup setup;
    setup.PackingFile = QStringLiteral(VELM_PACKINGS);
    setup.HelpFile = QStringLiteral(VELM_HELP_QCH);
    setup.UseRecentFiles = false;
    setup.ErrorBox = [this](QWidget*, const QString& text) { FErrors << text; };
    setup.MessageBox = [this](QWidget*, const QString& text) { FMessages << text; };
    auto w = std::make_unique<TFormVELM>(nullptr, setup);
    w->ApplicationHelp1()->SetCollectionDirectory(FDir.filePath("cache"));
    w->resize(1366, 740);
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.get())) return nullptr;
    return w;
  }
  // Moves the window so that `control`'s top-left corner is at (200, 200) on the screen, away
  // from the screen's edges.
  static QPoint PlaceControl(TFormVELM& w, QWidget* control) {
    w.move(w.pos() + QPoint(200, 200) - control->mapToGlobal(QPoint(0, 0)));
    QTest::qWait(1);
    return control->mapToGlobal(QPoint(0, 0));
  }
  static bool Visible(QWidget* w) { return w && w->isVisible(); }

 public slots:
  void OpenUrl(const QUrl& url) { FOpened << url; }

 private slots:
  void initTestCase() {
    QVERIFY(FDir.isValid());
    // No settings file: the contact addresses are not configured.
    qputenv("VELM_SETTINGS", QFile::encodeName(FDir.filePath("none.ini")));
    for (const char* scheme : {"mailto", "https", "http"})
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "OpenUrl");
  }

  // F1 in UpD (hint, number 42), dD (hint, no number), LD (neither) and what's-this on LmdD.
  void F1AndWhatsThisOnTheCalculationPage() {
    auto w = MakeWindow();
    QVERIFY(w);
    velm::TApplicationHelp* help = w->ApplicationHelp1();
    QCOMPARE(help->ShowModal(), velm::TShowModal::smHelp);
    QCOMPARE(help->Pause(), 3000);

    auto* up = w->Control<velm::TEditD>("UpD");
    QPoint corner = PlaceControl(*w, up);
    up->setFocus();
    QTest::keyClick(up, Qt::Key_F1);
    QTRY_VERIFY(Visible(help->Popup()));
    QCOMPARE(help->Popup()->text(), QString("理论空塔速度"));
    QCOMPARE(help->Popup()->Foreground(), QColor(255, 0, 0));
    QCOMPARE(help->Popup()->Background(), QColor(255, 255, 0));
    QCOMPARE(help->Popup()->pos(), corner);
    QVERIFY(!Visible(velm::KeyHintWindow()));
    QTest::keyClick(help->Popup(), Qt::Key_Escape);
    QTRY_VERIFY(!help->Popup()->isVisible());
    w->activateWindow();  // the offscreen platform does not give it back by itself
    QVERIFY(QTest::qWaitForWindowActive(w.get()));

    auto* d = w->Control<velm::TEditD>("dD");
    corner = PlaceControl(*w, d);
    d->setFocus();
    QTest::keyClick(d, Qt::Key_F1);
    velm::THintWindow* key = velm::KeyHintWindow();
    QVERIFY(key->isVisible());
    QCOMPARE(key->text(), QString("圆整后的塔径"));
    QCOMPARE(key->pos(), corner + QPoint(25, -25));
    QVERIFY(key->width() <= 400);
    QVERIFY(!Visible(help->Popup()));
    QTest::keyClick(d, Qt::Key_Right);
    QVERIFY(!key->isVisible());

    auto* l = w->Control<velm::TEditD>("LD");
    l->setFocus();
    velm::SetModified(false);
    QTest::keyClick(l, Qt::Key_F1);
    QTest::qWait(20);
    QVERIFY(!key->isVisible());
    QVERIFY(!Visible(help->Popup()));
    QVERIFY(!help->Viewer());
    QVERIFY(!velm::Modified());  // the help key is no edit

    auto* lmd = w->Control<velm::TEditD>("LmdD");
    w->findChild<QAction*>("MHelp_Whatthis")->trigger();
    QVERIFY(help->InWhatsThisMode());
    QTest::mouseClick(lmd, Qt::LeftButton);
    QTRY_VERIFY(Visible(help->Popup()));
    QCOMPARE(help->Popup()->text(), QString("和气液平衡有关的常数，建议你不要直接填写该数据"));
    help->Popup()->close();

    // The method selector opens its topic.
    auto* method = w->Control<QComboBox>("MethodD");
    method->setFocus();
    QTest::keyClick(method, Qt::Key_F1);
    QVERIFY(help->Viewer() && help->Viewer()->isVisible());
    QCOMPARE(help->Viewer()->CurrentUrl().fileName(), QString("flooding.html"));
    QVERIFY(FErrors.isEmpty());
  }

  // A key hint goes away when another window becomes active.
  void KeyHintHidesOnAnotherWindow() {
    auto w = MakeWindow();
    QVERIFY(w);
    auto* d = w->Control<velm::TEditD>("dD");
    d->setFocus();
    QTest::keyClick(d, Qt::Key_F1);
    QVERIFY(velm::KeyHintWindow()->isVisible());
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_VERIFY(!velm::KeyHintWindow()->isVisible());
  }

  // Every help number a control of the window uses resolves to its hint, topic or popup, and
  // the index finds every input and result by its caption.
  void HelpNumbersAndIndexResolve() {
    auto w = MakeWindow();
    QVERIFY(w);
    velm::THelpFile* file = w->ApplicationHelp1()->HelpFile();
    QVERIFY(file);
    int topics = 0, popups = 0;
    for (QWidget* c : w->findChildren<QWidget*>()) {
      const int h = c->property("HelpContext").toInt();
      if (h <= 0) continue;
      const QString name = c->objectName() + " " + QString::number(h);
      if (h < 1000) {
        QVERIFY2(!c->toolTip().isEmpty(), qPrintable(name));
      } else if (h < 2000) {
        QVERIFY2(file->Topic(h).isValid(), qPrintable(name));
        ++topics;
      } else {
        QVERIFY2(!file->Popup(h).isEmpty(), qPrintable(name));
        ++popups;
      }
    }
    QVERIFY(topics >= 4);
    QVERIFY(popups >= 2);
    QVERIFY(w->Control<QWidget>("MethodD")->property("HelpContext").toInt() ==
            velm::help::kTopicFlooding);

    int captions = 0;
    for (QLabel* label : w->Control<QWidget>("TabSheetCal")->findChildren<QLabel*>()) {
      QWidget* buddy = label->buddy();
      if (!qobject_cast<velm::TEditD*>(buddy) && !qobject_cast<QComboBox*>(buddy)) continue;
      QVERIFY2(!file->Engine()->documentsForKeyword(label->text()).isEmpty(),
               qPrintable(label->text()));
      ++captions;
    }
    QVERIFY(captions >= 30);
  }

  void HelpMenuAndAbout() {
    auto w = MakeWindow();
    QVERIFY(w);
    for (const char* name :
         {"MAbout", "MHelp_Topic", "MHelp_Whatthis", "MHelp_URL", "MHelp_Email", "MHELP_Update"})
      QVERIFY2(w->findChild<QAction*>(name)->isEnabled(), name);

    w->findChild<QAction*>("MHelp_Topic")->trigger();
    velm::THelpViewer* viewer = w->ApplicationHelp1()->Viewer();
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(viewer->CurrentUrl().fileName(), QString("index.html"));

    // No web site configured: the local page about this program; no mail address: a message.
    w->findChild<QAction*>("MHelp_URL")->trigger();
    QCOMPARE(viewer->CurrentUrl().fileName(), QString("about.html"));
    w->findChild<QAction*>("MHelp_Email")->trigger();
    QCOMPARE(FMessages.size(), 1);
    QVERIFY(FMessages[0].contains("没有配置联系地址"));
    QVERIFY(FOpened.isEmpty());

    // Configured: the desktop opens them.
    QFile ini(FDir.filePath("contact.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Contact]\nWebsite=https://example.org/velm\nEmail=help@example.org\n");
    ini.close();
    qputenv("VELM_SETTINGS", QFile::encodeName(ini.fileName()));
    w->findChild<QAction*>("MHelp_URL")->trigger();
    w->findChild<QAction*>("MHelp_Email")->trigger();
    qputenv("VELM_SETTINGS", QFile::encodeName(FDir.filePath("none.ini")));
    QCOMPARE(FOpened,
             (QList<QUrl>{QUrl("https://example.org/velm"), QUrl("mailto:help@example.org")}));

    w->findChild<QAction*>("MHELP_Update")->trigger();
    QCOMPARE(FMessages.size(), 2);
    QVERIFY(FMessages[1].contains(QString::fromLatin1(velm::BuildVersion())));

    // About: the welcome box, then the about window, both modal.
    QStringList seen;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen << box->windowTitle() << box->text();
        box->accept();
      } else if (modal->objectName() == "FormAbout") {
        seen << modal->findChild<QLabel*>("Label1")->text()
             << modal->findChild<QLabel*>("Label2")->text();
        static_cast<QDialog*>(modal)->accept();
      }
    });
    closer.start(20);
    w->findChild<QAction*>("MAbout")->trigger();
    closer.stop();
    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen[0], QString("欢迎使用"));
    QVERIFY(seen[1].startsWith("散堆填料塔流体力学(VELM) V2017.05.01.41\n"));
    QVERIFY(seen[1].contains(QString::fromLatin1(velm::BuildCommit())));
    QCOMPARE(seen[2], QString("散堆填料塔流体力学(VELM)4.2版"));
    QVERIFY(seen[3].contains(QString::fromLatin1(velm::BuildVersion())));
  }
};

QTEST_MAIN(THelpTest)
#include "HelpTest.moc"
