// velm-calc: the calculation without a window, for scripting and for checking the results.
//
//   velm-calc [FILE]          one case from FILE (or standard input), one JSON object out
//   velm-calc --jsonl         one case per line on standard input, one result per line out
//   velm-calc --version
//
// Exit status: 0 every run went through to the end; 2 an input that is not a case (bad JSON,
// a wrong type, a file that cannot be read); 3 a run that ended early ("error" in its result).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "base/VelmVersion.h"
#include "cli/CaseJson.h"

namespace {

const char* kUsage =
    "usage: velm-calc [--pretty] [FILE]   calculate one case (JSON) from FILE or standard input\n"
    "       velm-calc --jsonl             one case per input line, one result per output line\n"
    "       velm-calc --version           the version and the commit it was built from\n";

constexpr int kIncomplete = 3;

int StatusOf(const nlohmann::json& result) { return result["error"].is_null() ? 0 : kIncomplete; }

int RunOne(std::istream& in, const std::string& where, bool pretty) {
  nlohmann::json input;
  try {
    input = nlohmann::json::parse(in);
  } catch (const std::exception& e) {
    // parse_error, and out_of_range for a number beyond double ("1e999").
    std::cerr << "velm-calc: " << where << ": not valid JSON: " << e.what() << "\n";
    return 2;
  }
  nlohmann::json result;
  try {
    result = velm::RunCaseJson(input);
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
      const nlohmann::json result = velm::RunCaseJson(nlohmann::json::parse(line));
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

int Main(int argc, char** argv) {
  bool jsonl = false, pretty = false;
  std::string file;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--jsonl") {
      jsonl = true;
    } else if (a == "--pretty") {
      pretty = true;
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
  if (file.empty() || file == "-") return RunOne(std::cin, "standard input", pretty);
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
  return RunOne(in, file, pretty);
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
