#pragma once
// Whether the results of the latest run can be trusted: the range of the flooding correlation,
// the flooding of the rounded column, the pressure drop, wetting, the wall effect and inputs
// that cannot be physical. One list of findings serves every place that shows results: the
// window, the chart, the report, the headless calculator and the batch output.
//
// Only what the latest run read and wrote (TDesignCase::Latest) is judged; results kept from an
// earlier run are stale and not looked at.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DesignCase.h"

namespace velm {

enum class TFindingLevel {
  Error,    // the result is not a design
  Warning,  // check it
  Note
};

struct TFinding {
  std::string Code;  // stable identifier, e.g. "column-flooding"
  TFindingLevel Level;
  std::string Field;  // value field concerned, e.g. "dD"; empty when none
  std::string Text;   // what is wrong and what to do (Chinese)
};

// The findings on the latest run of `c`. packing is the record the run used, or nullptr; without
// it the checks that need the packing are skipped. Errors first, then warnings, then notes.
std::vector<TFinding> CheckValidity(const TDesignCase& c, const TPackingRecord* packing);

// Records an input field's value [SI] in the case as if the latest run had read it, so that the
// input checks judge it. For a caller whose run never started (the window's relation groups
// failed on the inputs): the non-physical inputs are still found. Fields that are not inputs
// are ignored.
void RecordInput(TDesignCase& c, TField f, double si);

// The literature a finding rests on (author, year), for a calculation sheet; empty for the
// checks of plain arithmetic and of the inputs.
const char* FindingSource(std::string_view code);

// "错误", "警告", "提示".
const char* LevelLabel(TFindingLevel level);
// "error", "warning", "note" (the key used in JSON output).
const char* LevelKey(TFindingLevel level);
// The most serious level of the list; nothing when it is empty.
std::optional<TFindingLevel> WorstLevel(const std::vector<TFinding>& findings);
// Number of findings of one level.
int CountLevel(const std::vector<TFinding>& findings, TFindingLevel level);
// One line for a message list: "【警告】" + text.
std::string FindingLine(const TFinding& f);
// Short count for a status line, e.g. "错误 1，警告 2"; "结果未见问题" for none.
std::string FindingsSummary(const std::vector<TFinding>& findings);

}  // namespace velm
