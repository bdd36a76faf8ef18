#pragma once
// Packing screening for the headless calculator: the case of a JSON document run on every
// packing of a table, one JSON object per packing in ranked order.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/DesignCase.h"
#include "core/Screening.h"

namespace velm {

// Screens the case of `input` (the document velm-calc takes; its "packing" is ignored) on every
// packing of `table`, with the packed height for `stages` theoretical stages. Returns the rows
// ranked by `criterion` (by default what suits the case's service), best first; a rejected row
// has no rank. Throws TCaseFormatError for a document that cannot be a case.
nlohmann::json ScreenCaseJson(const nlohmann::json& input, const std::vector<TPackingRecord>& table,
                              double stages,
                              TScreenCriterion criterion = TScreenCriterion::ByService);

// Reads a packing table: a CSV file (first row the titles; a last column "来源" is left out) or
// a labelled table file. Throws with a message naming the file when it cannot be read.
std::vector<TPackingRecord> ReadPackingTable(const std::string& path);

}  // namespace velm
