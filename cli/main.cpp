// velm-calc: the calculation without a window, for scripting and for checking the results.
//
//   velm-calc [FILE]          one case from FILE (or standard input), one JSON object out; a
//                             document with "column" rates every stage of a whole column
//   velm-calc --jsonl         one case per line on standard input, one result per line out
//   velm-calc --version
//   velm-calc --screen [--table T] [--stages N] [FILE]
//                             the case on every packing of a table, one line per packing, ranked
//   velm-calc [--calibrate POINTS] [--uncertainty N] [--sensitivity] [--sweep KEY:FROM:TO:N] FILE
//                             how sure the case's design is (cli/AnalysisJson.h)
//
// Exit status: 0 every run went through to the end; 2 an input that is not a case (bad JSON,
// a wrong type, a file that cannot be read); 3 a run that ended early ("error" in its result).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "base/DataFiles.h"
#include "base/VelmVersion.h"
#include "cli/AnalysisJson.h"
#include "cli/CaseJson.h"
#include "cli/ColumnJson.h"
#include "cli/JsonParse.h"
#include "cli/ScreenJson.h"
#include "core/Analysis.h"

namespace {

const char* kUsage =
    "usage: velm-calc [--pretty] [FILE]   calculate one case (JSON) from FILE or standard input\n"
    "       velm-calc --jsonl             one case per input line, one result per output line\n"
    "       velm-calc --version           the version and the commit it was built from\n"
    "       velm-calc --screen [--table TABLE] [--stages N] [FILE]\n"
    "                                     the case on every packing of TABLE (.csv or .cds; "
    "default\n"
    "                                     the shipped Packings.cds), one JSON line per packing, "
    "best\n"
    "                                     first; N theoretical stages give the packed height (10)\n"
    "         [--rank-by volume|pressure-drop-per-stage|diameter]\n"
    "                                     what the packings are ranked by (default: by the\n"
    "                                     case's Service, pressure drop per stage for vacuum)\n"
    "       velm-calc [--calibrate POINTS.json] [--uncertainty N] [--sensitivity]\n"
    "                 [--sweep KEY:FROM:TO:N] [FILE]\n"
    "                                     the packing factor and HETP fitted to plant points,\n"
    "                                     N Monte Carlo samples (bands from the case's\n"
    "                                     \"analysis\"), one-at-a-time sensitivities, a sweep of\n"
    "                                     an input (its JSON key, SI values) over N points\n";

constexpr int kIncomplete = 3;

int StatusOf(const nlohmann::json& result) { return result["error"].is_null() ? 0 : kIncomplete; }

int RunOne(std::istream& in, const std::string& where, bool pretty) {
  nlohmann::json input;
  try {
    input = velm::ParseJsonDocument(in);
  } catch (const std::exception& e) {
    // parse_error, and out_of_range for a number beyond double ("1e999").
    std::cerr << "velm-calc: " << where << ": not valid JSON: " << e.what() << "\n";
    return 2;
  }
  nlohmann::json result;
  try {
    // A whole column ("column": stages and sections) or one design case.
    result = input.is_object() && input.contains("column") ? velm::RunColumnJson(input)
                                                           : velm::RunCaseJson(input);
  } catch (const std::exception& e) {
    std::cerr << "velm-calc: " << where << ": " << e.what() << "\n";
    return 2;
  }
  std::cout << result.dump(pretty ? 2 : -1, ' ', false, nlohmann::json::error_handler_t::replace)
            << "\n";
  const int status = StatusOf(result);
  if (status != 0)
    std::cerr << "velm-calc: " << where << ": incomplete: " << result["error"].dump() << "\n";
  return status;
}

int RunLines(std::istream& in) {
  int status = 0;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      const nlohmann::json result = velm::RunCaseJson(velm::ParseJsonDocument(line));
      std::cout << result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
      if (StatusOf(result) != 0 && status == 0) status = kIncomplete;
    } catch (const std::exception& e) {
      // Keep one output line per input line, so results stay aligned with their cases.
      std::cout << nlohmann::json(
                       {{"error", std::string("line ") + std::to_string(number) + ": " + e.what()},
                        {"invalid", true}})
                       .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                << "\n";
      std::cerr << "velm-calc: line " << number << ": " << e.what() << "\n";
      status = 2;
    }
  }
  return status;
}

// The shipped packing table, where the data files of this installation are; in a build folder
// the table lies beside the window program (build/app), not beside this one (build/cli).
std::string DefaultTable() {
  const std::filesystem::path shipped = velm::DataDirectory() / "Packings.cds";
  const std::filesystem::path build = velm::ProgramDirectory() / ".." / "app" / "Packings.cds";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(shipped, ec) && std::filesystem::is_regular_file(build, ec))
    return build.lexically_normal().string();
  return shipped.string();
}

int Screen(std::istream& in, const std::string& where, const std::string& tablePath, double stages,
           velm::TScreenCriterion criterion, bool pretty) {
  nlohmann::json input;
  try {
    input = velm::ParseJsonDocument(in);
  } catch (const std::exception& e) {
    std::cerr << "velm-calc: " << where << ": not valid JSON: " << e.what() << "\n";
    return 2;
  }
  std::vector<velm::TPackingRecord> table;
  try {
    table = velm::ReadPackingTable(tablePath);
  } catch (const std::exception& e) {
    std::cerr << "velm-calc: packing table: " << e.what() << "\n";
    return 2;
  }
  nlohmann::json rows;
  try {
    rows = velm::ScreenCaseJson(input, table, stages, criterion);
  } catch (const std::exception& e) {
    std::cerr << "velm-calc: " << where << ": " << e.what() << "\n";
    return 2;
  }
  const auto replace = nlohmann::json::error_handler_t::replace;
  if (pretty) {
    std::cout << rows.dump(2, ' ', false, replace) << "\n";
  } else {
    for (const auto& row : rows) std::cout << row.dump(-1, ' ', false, replace) << "\n";
  }
  return 0;
}

int Analyse(std::istream& in, const std::string& where, const velm::TAnalysisRequest& request,
            bool pretty) {
  nlohmann::json result;
  try {
    result = velm::RunAnalysisJson(velm::ParseJsonDocument(in), request);
  } catch (const std::exception& e) {
    std::cerr << "velm-calc: " << where << ": " << e.what() << "\n";
    return 2;
  }
  std::cout << result.dump(pretty ? 2 : -1, ' ', false, nlohmann::json::error_handler_t::replace)
            << "\n";
  return StatusOf(result);
}

int Main(int argc, char** argv) {
  velm::TAnalysisRequest analysis;
  bool analyse = false;
  bool jsonl = false, pretty = false, screen = false;
  std::string file, table;
  double stages = 10;
  velm::TScreenCriterion criterion = velm::TScreenCriterion::ByService;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--jsonl") {
      jsonl = true;
    } else if (a == "--pretty") {
      pretty = true;
    } else if (a == "--screen") {
      screen = true;
    } else if (a == "--table" && i + 1 < argc) {
      table = argv[++i];
    } else if (a == "--stages" && i + 1 < argc) {
      char* end = nullptr;
      stages = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end != '\0' || !(stages >= 0) || stages > 10000) {
        std::cerr << "velm-calc: --stages needs a number from 0 to 10000\n";
        return 2;
      }
    } else if (a == "--rank-by" && i + 1 < argc) {
      const std::string by = argv[++i];
      if (by == "volume") {
        criterion = velm::TScreenCriterion::PackedVolume;
      } else if (by == "pressure-drop-per-stage") {
        criterion = velm::TScreenCriterion::PressureDropPerStage;
      } else if (by == "diameter") {
        criterion = velm::TScreenCriterion::Diameter;
      } else {
        std::cerr << "velm-calc: --rank-by takes volume, pressure-drop-per-stage or diameter\n";
        return 2;
      }
    } else if (a == "--calibrate" && i + 1 < argc) {
      std::ifstream points(argv[++i], std::ios::binary);
      try {
        if (!points) throw std::runtime_error("cannot open the file");
        analysis.Points = velm::ParseJsonDocument(points);
      } catch (const std::exception& e) {
        std::cerr << "velm-calc: " << argv[i] << ": " << e.what() << "\n";
        return 2;
      }
      analyse = true;
    } else if (a == "--uncertainty" && i + 1 < argc) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || n < 1 || n > velm::kMaximumSamples) {
        std::cerr << "velm-calc: --uncertainty needs a whole number from 1 to "
                  << velm::kMaximumSamples << "\n";
        return 2;
      }
      analysis.Samples = static_cast<int>(n);
      analyse = true;
    } else if (a == "--sensitivity") {
      analysis.Sensitivity = analyse = true;
    } else if (a == "--sweep" && i + 1 < argc) {
      analysis.Sweep = argv[++i];
      analyse = true;
    } else if (a == "-h" || a == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (a == "--version") {
      std::cout << "velm-calc " << velm::kVelmVersion << " (commit " << velm::kVelmCommit << ")\n";
      return 0;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      std::cerr << "velm-calc: unknown option " << a << "\n" << kUsage;
      return 2;
    } else if (file.empty()) {
      file = a;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (jsonl) return RunLines(std::cin);
  if (screen && table.empty()) table = DefaultTable();
  if (analyse && (jsonl || screen)) {
    std::cerr << "velm-calc: the analyses take one case, not --jsonl or --screen\n";
    return 2;
  }
  if (analyse && (file.empty() || file == "-"))
    return Analyse(std::cin, "standard input", analysis, pretty);
  if (file.empty() || file == "-")
    return screen ? Screen(std::cin, "standard input", table, stages, criterion, pretty)
                  : RunOne(std::cin, "standard input", pretty);
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    std::cerr << "velm-calc: " << file << " is a folder, not a file\n";
    return 2;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "velm-calc: cannot open " << file << "\n";
    return 2;
  }
  if (analyse) return Analyse(in, file, analysis, pretty);
  return screen ? Screen(in, file, table, stages, criterion, pretty) : RunOne(in, file, pretty);
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing may end the program with an uncaught exception: a script gets a message and 2.
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "velm-calc: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "velm-calc: unknown error\n";
  }
  return 2;
}
