#pragma once
#include <string>
#include <vector>

#include "core/Calculate.h"
#include "core/PlainFields.h"

namespace velm::test {

// 25 mm ceramic Raschig rings: a = 190 m2/m3, F = 509 1/m; Kp linear in the liquid load with
// the slope of Robbins' correlation, Kf constant; sigma_c = 61 mN/m (ceramic, Onda 1968).
TPackingRecord CeramicRaschig25();
// 25 mm metal Pall rings with the constants of Seader & Henley Table 6.8.
TPackingRecord MetalPall25();

// One run over plain fields.
struct TRun {
  TDesignCase Case;
  TPlainFields Fields;
  TPlainLog Log;
  std::string Error;  // what ended the run early ("" when nothing did)

  // Air/water absorber, every input filled, Eckert-Orvik with both factors computed.
  TRun();
  void Run(const TPackingRecord* packing);
  void Run() {
    const TPackingRecord p = CeramicRaschig25();
    Run(&p);
  }
  std::vector<std::string> WriteNames() const;
  int Writes(const std::string& name) const;
};

}  // namespace velm::test
