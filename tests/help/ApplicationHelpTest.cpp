// The help component's routing by help number and keyword, the compiled help file (map,
// popups, index, search) and the help window, on the help file the build compiles.
#include <QHelpEngine>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

#include "help/ApplicationHelp.h"
#include "help/HelpFile.h"
#include "help/HelpViewer.h"
#include "help/HintWindow.h"

using velm::TApplicationHelp;

class TApplicationHelpTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FCache;
  QStringList FErrors;

  // A window with controls carrying help numbers, a keyword and hints.
  struct TOwner {
    std::unique_ptr<QWidget> Window;
    TApplicationHelp* Help = nullptr;
    QWidget* Add(const char* name, int help, const QString& hint = {}) {
      auto* edit = new QLineEdit(Window.get());
      edit->setObjectName(QString::fromLatin1(name));
      edit->setGeometry(20, 20 + 30 * Window->findChildren<QLineEdit*>().size(), 120, 24);
      if (help) edit->setProperty("HelpContext", help);
      edit->setToolTip(hint);
      return edit;
    }
  };
  TOwner MakeOwner() {
    TOwner o;
    o.Window = std::make_unique<QWidget>();
    o.Window->resize(400, 400);
    o.Help = new TApplicationHelp(o.Window.get());
    o.Help->SetHelpFileName(QStringLiteral(VELM_HELP_QCH));
    o.Help->SetCollectionDirectory(FCache.path());
    o.Help->SetErrorReport([this](const QString& text) { FErrors << text; });
    return o;
  }

 private slots:
  void initTestCase() { QVERIFY(FCache.isValid()); }
  void init() { FErrors.clear(); }

  void MapAndPopupTextsParse() {
    const QMap<int, QString> map =
        velm::ParseHelpMap("# comment\n1000 index.html\n\n1100  inputs.html#LD \nx 1 bad\n1200\n");
    QCOMPARE(map.size(), 2);
    QCOMPARE(map.value(1100), QString("inputs.html#LD"));
    const QMap<int, QString> popups =
        velm::ParsePopups("ignored\n.topic 2001\r\nfirst\r\nsecond\r\n\n.topic 2500\nthird\n");
    QCOMPARE(popups.value(2001), QString("first\nsecond"));
    QCOMPARE(popups.value(2500), QString("third"));
    QCOMPARE(velm::PlainTextOfPage("<html><head><title>T</title><style>p{}</style></head>"
                                   "<body><p>泛点&amp;气速</p></body></html>"),
             QString("泛点&气速"));
  }

  // Every mapped number opens an existing page, every popup has a text, and the search finds
  // Chinese words in the pages.
  void CompiledHelpResolvesAndSearches() {
    QString error;
    auto file = velm::THelpFile::Open(QStringLiteral(VELM_HELP_QCH), FCache.path(), &error);
    QVERIFY2(file, qPrintable(error));
    QVERIFY(file->Map().size() >= 20);
    for (auto it = file->Map().begin(); it != file->Map().end(); ++it) {
      QVERIFY2(it.key() >= 1000 && it.key() < 2000, qPrintable(it.value()));
      QVERIFY2(file->Topic(it.key()).isValid(), qPrintable(it.value()));
    }
    QVERIFY(!file->Popups().isEmpty());
    for (auto it = file->Popups().begin(); it != file->Popups().end(); ++it)
      QVERIFY2(it.key() >= 2000 && !it.value().isEmpty(), qPrintable(QString::number(it.key())));
    QVERIFY(!file->Topic(1999).isValid());

    const QList<velm::THelpSearchHit> hits = file->Search(QStringLiteral("最小润湿速率 Morris"));
    QVERIFY(!hits.isEmpty());
    QCOMPARE(hits.first().Url.fileName(), QString("holdup.html"));
    QVERIFY(file->Search(QStringLiteral("泛点 不存在的词语")).isEmpty());
    QVERIFY(!file->Engine()->documentsForKeyword(QStringLiteral("HETP")).isEmpty());
  }

  void MissingOrBrokenHelpFileIsReported() {
    QTemporaryDir dir;
    QFile junk(dir.filePath("junk.qch"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a help file");
    junk.close();
    for (const QString& name : {dir.filePath("missing.qch"), dir.filePath("junk.qch")}) {
      QString error;
      QVERIFY(!velm::THelpFile::Open(name, FCache.path(), &error));
      QVERIFY2(error.contains(name), qPrintable(error));
    }
    // Through the component: the request is answered by the report, nothing else shows.
    TOwner o = MakeOwner();
    o.Help->SetHelpFileName(dir.filePath("missing.qch"));
    o.Add("Topic", 1500);
    QVERIFY(o.Help->OnHelp(1500));
    QCOMPARE(FErrors.size(), 1);
    QVERIFY(!o.Help->Viewer());
  }

  // The routing by help number: topics, popups, hints, keywords and the default.
  void HelpNumbersRouteToTopicPopupOrHint() {
    TOwner o = MakeOwner();
    QWidget* topic = o.Add("Topic", 1500, "topic hint");
    QWidget* popup = o.Add("Popup", 2500);
    QWidget* hint = o.Add("Hint", 42, "理论空塔速度");
    QWidget* silent = o.Add("Silent", 7);
    QWidget* keyword = o.Add("Keyword", 0);
    keyword->setProperty("HelpType", "keyword");
    keyword->setProperty("HelpKeyword", "持液量");
    QWidget* none = o.Add("None", 0, "no number");
    o.Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(o.Window.get()));

    // 1000..1999: the mapped topic in the help window.
    QVERIFY(o.Help->HelpRequest(topic));
    QVERIFY(o.Help->Viewer() && o.Help->Viewer()->isVisible());
    QCOMPARE(o.Help->Viewer()->CurrentUrl(), o.Help->HelpFile()->Topic(1500));
    QCOMPARE(o.Help->Viewer()->CurrentUrl().fileName(), QString("basis.html"));
    QCOMPARE(o.Help->HelpContext(), 1500);
    QCOMPARE(o.Help->CHint(), QString("topic hint"));

    // 2000 and up: the help file's popup at the control's corner, default colours.
    QVERIFY(o.Help->HelpRequest(popup));
    velm::THelpPopup* shown = o.Help->Popup();
    QVERIFY(shown && shown->isVisible());
    QCOMPARE(shown->text(), o.Help->HelpFile()->Popup(2500));
    QCOMPARE(shown->pos(), popup->mapToGlobal(QPoint(0, 0)));
    QVERIFY(shown->Foreground() != QColor(255, 0, 0));
    shown->close();

    // Below 1000 with smHelp: the hint, red on yellow.
    o.Help->SetShowModal(velm::TShowModal::smHelp);
    QVERIFY(o.Help->HelpRequest(hint));
    QCOMPARE(o.Help->Popup()->text(), QString("理论空塔速度"));
    QCOMPARE(o.Help->Popup()->Foreground(), QColor(255, 0, 0));
    QCOMPARE(o.Help->Popup()->Background(), QColor(255, 255, 0));
    QCOMPARE(o.Help->Popup()->pos(), hint->mapToGlobal(QPoint(0, 0)));
    o.Help->Popup()->close();

    // Below 1000 with smHint: the own hint window above the control for Pause ms.
    o.Help->SetShowModal(velm::TShowModal::smHint);
    o.Help->SetPause(150);
    QCOMPARE(o.Help->Pause(), 150);
    QVERIFY(o.Help->HelpRequest(hint));
    QVERIFY(o.Help->HintWindow()->isVisible());
    QCOMPARE(o.Help->HintWindow()->pos(),
             hint->mapToGlobal(QPoint(0, 0)) - QPoint(0, hint->height()));
    QVERIFY(o.Help->HintWindow()->width() <= 300);
    QTRY_VERIFY_WITH_TIMEOUT(!o.Help->HintWindow()->isVisible(), 2000);

    // No hint, hints switched off, or no control at all: the default (nothing shown).
    QVERIFY(!o.Help->HelpRequest(silent));
    o.Help->SetIncludeHint(false);
    QVERIFY(!o.Help->HelpRequest(hint));
    QVERIFY(!o.Help->OnHelp(1234));
    QVERIFY(!o.Help->HelpRequest(none));

    // A keyword opens the index there.
    QVERIFY(o.Help->HelpRequest(keyword));
    QCOMPARE(o.Help->HelpType(), velm::THelpType::htKeyword);
    QCOMPARE(o.Help->Viewer()->Tabs()->currentIndex(), 1);
    QTRY_COMPARE(o.Help->Viewer()->IndexFilter()->text(), QString("持液量"));
    QTRY_COMPARE(o.Help->Viewer()->CurrentUrl().fileName(), QString("results.html"));
    QVERIFY(FErrors.isEmpty());
  }

  // F1 on a focused control, and the what's-this pointer's next click, ask for its help; a
  // list's text box asks through its list.
  void F1AndWhatsThisAskForTheControlsHelp() {
    TOwner o = MakeOwner();
    o.Help->SetShowModal(velm::TShowModal::smHelp);
    QWidget* hint = o.Add("Hint", 23, "和气液平衡有关的常数");
    QWidget* other = o.Add("Other", 0);
    o.Window->show();
    o.Window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(o.Window.get()));

    hint->setFocus();
    QTest::keyClick(hint, Qt::Key_F1);
    QTRY_VERIFY(o.Help->Popup() && o.Help->Popup()->isVisible());
    QCOMPARE(o.Help->Popup()->text(), QString("和气液平衡有关的常数"));
    QTest::keyClick(o.Help->Popup(), Qt::Key_Escape);
    QTRY_VERIFY(!o.Help->Popup()->isVisible());

    o.Help->StartWhatsThis();
    QVERIFY(o.Help->InWhatsThisMode());
    QTest::mouseClick(hint, Qt::LeftButton);
    QVERIFY(!o.Help->InWhatsThisMode());
    QTRY_VERIFY(o.Help->Popup()->isVisible());
    QCOMPARE(o.Help->Popup()->text(), QString("和气液平衡有关的常数"));
    o.Help->Popup()->close();

    // Esc leaves the mode; the next click is an ordinary click.
    o.Help->StartWhatsThis();
    QTest::keyClick(other, Qt::Key_Escape);
    QVERIFY(!o.Help->InWhatsThisMode());
  }

  // Back and forward, the index filter and the search tab of the help window.
  void HelpWindowNavigates() {
    TOwner o = MakeOwner();
    o.Help->ShowHelpFile();
    velm::THelpViewer* viewer = o.Help->Viewer();
    QVERIFY(viewer);
    QCOMPARE(viewer->CurrentUrl().fileName(), QString("index.html"));
    QVERIFY(viewer->Browser()->toPlainText().contains("快速入门"));
    o.Help->ShowTopic(1300);
    QCOMPARE(viewer->CurrentUrl().fileName(), QString("flooding.html"));
    viewer->Browser()->backward();
    QCOMPARE(viewer->CurrentUrl().fileName(), QString("index.html"));
    viewer->Browser()->forward();
    QCOMPARE(viewer->CurrentUrl().fileName(), QString("flooding.html"));

    viewer->ShowSearch(QStringLiteral("Buchanan"));
    QCOMPARE(viewer->Tabs()->currentIndex(), 2);
    QVERIFY(viewer->SearchResults()->count() >= 1);
    QListWidgetItem* first = viewer->SearchResults()->item(0);
    emit viewer->SearchResults()->itemClicked(first);
    QCOMPARE(viewer->CurrentUrl(), first->data(Qt::UserRole).toUrl());
  }
};

QTEST_MAIN(TApplicationHelpTest)
#include "ApplicationHelpTest.moc"
