// Errors that escape an event handler reach the one error report; the program goes on.
#include <QTimer>
#include <QtTest>
#include <stdexcept>

#include "app/Application.h"
#include "base/Errors.h"
#include "units/ValueField.h"

namespace {

class TThrower : public QObject {
 public:
  enum TKind { Error, Silent };
  TKind FKind = Error;
  int FEvents = 0;
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    ++FEvents;
    if (FKind == Silent) throw velm::TSilentAbort{};
    throw velm::TCalcError("计算错误: 除数为零");
  }
};

}  // namespace

class TApplicationTest : public QObject {
  Q_OBJECT
 private slots:
  void UncaughtErrorsReachTheReportAndSilentAbortsShowNothing() {
    QStringList reports;
    velm::SetErrorReportHook([&](const QString& t) { reports << t; });
    TThrower t;
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&t, &e);
    QCOMPARE(reports, QStringList{QStringLiteral("计算错误: 除数为零")});
    t.FKind = TThrower::Silent;
    QCoreApplication::sendEvent(&t, &e);
    QCOMPARE(reports.size(), 1);
    // Posted events go through the event loop, which keeps running.
    t.FKind = TThrower::Error;
    QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
    QTRY_COMPARE(t.FEvents, 3);
    QCOMPARE(reports.size(), 2);
    velm::SetErrorReportHook({});
  }
};

int main(int argc, char** argv) {
  velm::TApplication app(argc, argv);
  TApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "ApplicationTest.moc"
