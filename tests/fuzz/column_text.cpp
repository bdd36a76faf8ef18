// The project's records of a whole column, the load cases, a calibration's plant points and the
// analyses' settings: any text either reads or is refused with a TInputError, and what reads
// writes back to a text that reads the same.
#include "FuzzCheck.h"
#include "base/Errors.h"
#include "core/Analysis.h"
#include "core/Column.h"
#include "core/Rating.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = velm::fuzz::Bytes(data, size);
  std::vector<velm::TStageLoads> stages, again;
  std::vector<velm::TSectionRange> sections, sectionsAgain;
  try {
    velm::ParseColumnText(text, stages, sections);
    velm::ParseColumnText(velm::ColumnText(stages, sections), again, sectionsAgain);
    FUZZ_CHECK(again.size() == stages.size() && sectionsAgain.size() == sections.size());
  } catch (const velm::TInputError&) {
  }
  try {
    const std::vector<velm::TLoadCase> cases = velm::ParseLoadCases(text);
    FUZZ_CHECK(!cases.empty() &&
               velm::ParseLoadCases(velm::LoadCasesText(cases)).size() == cases.size());
  } catch (const velm::TInputError&) {
  }
  try {
    const velm::TCalibrationSettings c = velm::ParseCalibrationText(text);
    const std::string written = velm::CalibrationText(c);
    FUZZ_CHECK(velm::ParseCalibrationText(written).Points.size() == c.Points.size());
    FUZZ_CHECK(velm::CalibrationText(velm::ParseCalibrationText(written)) == written);
  } catch (const velm::TInputError&) {
  }
  try {
    const std::string written = velm::AnalysisText(velm::ParseAnalysisText(text));
    FUZZ_CHECK(velm::AnalysisText(velm::ParseAnalysisText(written)) == written);
  } catch (const velm::TInputError&) {
  }
  return 0;
}
