// velm-cds: converts the packing table between its editable CSV source and the labelled table
// file the program loads.
//
//   velm-cds to-cds in.csv out.cds   CSV (UTF-8, first row = column titles) to a labelled file;
//                                    a last column titled "来源" (the sources of the numbers)
//                                    stays in the CSV only
//   velm-cds to-csv in.cds out.csv   labelled file to CSV (titles from the labels)
//
// Exit status: 0 done, 1 the conversion failed (the reason on stderr), 2 wrong usage.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/SafeFiles.h"
#include "core/PackingRecord.h"
#include "table/PackingTable.h"

namespace {

constexpr const char* kSourceColumnTitle = "来源";

// The columns the calculation converts: the nominal size (column 2) must start with a number,
// the specific area, the fit constants and the critical surface tension (4, 6 to 11, 13) must
// be numbers, the experimental packing factor (14) empty or starting with one, the Billet &
// Schultes constants (15, where the table has the column) empty or readable. Rows with an
// empty key (column 0) are not packings and are not checked.
void CheckPackingColumns(const velm::TMyClientDataSet& table, const std::string& where) {
  const auto fail = [&](int record, int column, const std::string& value, const char* what) {
    throw velm::TTableError(where + ", row " + std::to_string(record + 2) + ", column " +
                            std::to_string(column) + " (" + table.DisplayTitle(column) + "): \"" +
                            value + "\" " + what);
  };
  for (int r = 0; r < table.RecordCount(); ++r) {
    if (table.FieldCount() < 15) break;
    if (velm::Trim(table.Value(r, 0)).empty()) continue;
    for (int c : {4, 6, 7, 8, 9, 10, 11, 13})
      if (!velm::ParseNumber(velm::Trim(table.Value(r, c))))
        fail(r, c, table.Value(r, c), "is not a number");
    if (!velm::NominalSizeMm(table.Value(r, 2)))
      fail(r, 2, table.Value(r, 2), "does not start with a number");
    const std::string& kp = table.Value(r, 14);
    if (!velm::Trim(kp).empty() && !velm::ParseNumber(velm::LeadingNumber(kp)))
      fail(r, 14, kp, "does not start with a number");
    if (table.FieldCount() <= 15) continue;
    try {
      velm::ParseBilletSchultes(table.Value(r, 15));
    } catch (const velm::TInputError& e) {
      fail(r, 15, table.Value(r, 15), e.what());
    }
  }
}

int Usage() {
  std::cerr << "usage: velm-cds to-cds in.csv out.cds\n"
               "       velm-cds to-csv in.cds out.csv\n";
  return 2;
}

void WriteTextFile(const std::string& fileName, const std::string& text) {
  try {
    velm::WriteFileAtomically(fileName, text);
  } catch (const velm::TFileError& e) {
    throw velm::TTableError(e.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  const std::string command = argv[1];
  const std::string in = argv[2];
  const std::string out = argv[3];
  try {
    velm::TMyClientDataSet table;
    if (command == "to-cds") {
      std::ifstream csv(in, std::ios::binary);
      if (!csv) throw velm::TTableError(in + ": cannot open the file for reading");
      table.LoadCsv(csv, in, kSourceColumnTitle);
      CheckPackingColumns(table, in);
      table.SaveLabelledFile(out);
    } else if (command == "to-csv") {
      table.LoadLabelledFile(in);
      std::ostringstream csv;
      table.SaveCsv(csv);
      WriteTextFile(out, csv.str());
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    std::cerr << "velm-cds: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
