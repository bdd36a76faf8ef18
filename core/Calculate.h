#pragma once
// One calculation run: flooding iteration, column diameter and loads, pressure drop at the
// operating points, holdup and wetting, transfer units and HETP.
#include <string>

#include "core/DesignCase.h"
#include "core/MessageLog.h"

namespace velm {

// Runs the design case. packing is the record of the selected packing, or nullptr when the table
// has none (the run then ends silently). Inputs are read lazily from fields and results written
// back in a fixed order as they are found, so a run that ends early (TSilentAbort from a field,
// TInputError for a text that is not a number, TCalcError for an arithmetic failure) leaves exactly
// the writes made so far. Diagnostics go to log.
void Calculate(TDesignCase& dc, const TPackingRecord* packing, TMessageLog& log,
               TFieldAccess& fields);

// The two steps of a run, for callers that need one of them. The hydraulic step (flooding
// iteration, diameter and loads of the rounded column, holdup, wetting and pressure drop) returns
// true when it went through to the end; the mass-transfer step then reads its further inputs and
// writes the heights. Errors and early ends as Calculate.
bool CalculateHydraulics(TDesignCase& dc, const TPackingRecord& packing,
                         const TPackingNumbers& numbers, TMessageLog& log, TFieldAccess& fields);
void CalculateMassTransfer(TDesignCase& dc, const TPackingNumbers& numbers, TFieldAccess& fields);

// True when every listed field has non-empty text.
bool AllFilled(TFieldAccess& fields, std::initializer_list<TField> list);

// Caption of the wetting result's label.
inline const char* WettingCaption(bool sufficient) {
  return sufficient ? "饱和喷淋" : "饱和喷淋[不够]";
}

// Message when the Kister-type method is chosen but the packing has no experimental factor.
inline constexpr const char* kNoExperimentalFactorMessage =
    "你选择的是 Kister 算法，但是没有“实验填料因子数据。”";

}  // namespace velm
