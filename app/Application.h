#pragma once
// The application object. Every event handler's error that no handler caught ends here: the
// error's text goes to the one application-wide error report and the program goes on; a silent
// abort (the field has told the user already) ends the handler quietly. No exception crosses
// Qt's event loop.
#include <QApplication>

namespace velm {

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace velm
