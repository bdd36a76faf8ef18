#pragma once
// The design case most benchmarks run: air and water at 20 °C in an absorber, in SI units.
#include "core/PlainFields.h"

namespace velm::bench {

inline TPlainFields AbsorberFields() {
  TPlainFields f;
  f[TField::LD] = "2";
  f[TField::DlD] = "998";
  f[TField::MlD] = "0.001";
  f[TField::SLD] = "0.072";
  f[TField::DlfD] = "1.9e-9";
  f[TField::VD] = "1.2";
  f[TField::DvD] = "1.19";
  f[TField::MvD] = "1.8e-5";
  f[TField::DvfD] = "2.3e-5";
  f[TField::LmdD] = "0.8";
  return f;
}

}  // namespace velm::bench
