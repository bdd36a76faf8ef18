#pragma once
// The application object and the stand-in main window that the project readers' harnesses
// share: made once, on the offscreen platform.
#include <QApplication>

#include "tests/project/TestForm.h"

namespace velm::fuzz {

inline void NeedApplication() {
  static int argc = 1;
  static char name[] = "velm-fuzz";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
  }
}

// A form reused from input to input (making its seventy widgets each time would cost most of
// the run); the round-trip checks compare whole stored states, so what an earlier input left
// in it does not matter.
inline test::TTestForm& Form(int which) {
  NeedApplication();
  static test::TTestForm* forms[2] = {new test::TTestForm, new test::TTestForm};
  return *forms[which];
}

}  // namespace velm::fuzz
