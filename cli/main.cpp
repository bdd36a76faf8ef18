// velm-calc: the calculation without a window, for scripting and for checking the results.
//
//   velm-calc [FILE]          one case from FILE (or standard input), one JSON object out
//   velm-calc --jsonl         one case per line on standard input, one result per line out
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/CaseJson.h"

namespace {

const char* kUsage =
    "usage: velm-calc [--pretty] [FILE]   calculate one case (JSON) from FILE or standard input\n"
    "       velm-calc --jsonl             one case per input line, one result per output line\n";

int RunOne(std::istream& in, const std::string& where, bool pretty) {
  nlohmann::json input;
  try {
    input = nlohmann::json::parse(in);
  } catch (const nlohmann::json::parse_error& e) {
    std::cerr << "velm-calc: " << where << ": not valid JSON: " << e.what() << "\n";
    return 2;
  }
  try {
    std::cout << velm::RunCaseJson(input).dump(pretty ? 2 : -1) << "\n";
  } catch (const std::exception& e) {
    std::cerr << "velm-calc: " << where << ": " << e.what() << "\n";
    return 2;
  }
  return 0;
}

int RunLines(std::istream& in) {
  int status = 0;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      std::cout << velm::RunCaseJson(nlohmann::json::parse(line)).dump() << "\n";
    } catch (const std::exception& e) {
      // Keep one output line per input line, so results stay aligned with their cases.
      std::cout << nlohmann::json({{"error", std::string("line ") + std::to_string(number) +
                                                 ": " + e.what()},
                                   {"invalid", true}})
                       .dump()
                << "\n";
      std::cerr << "velm-calc: line " << number << ": " << e.what() << "\n";
      status = 2;
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
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
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "velm-calc: cannot open " << file << "\n";
    return 2;
  }
  return RunOne(in, file, pretty);
}
