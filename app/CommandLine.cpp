#include "app/CommandLine.h"

#include <filesystem>

#include "base/SafeFiles.h"

namespace velm {

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  for (const std::string& a : arguments) {
    if (a == "--") break;
    if (a == "--help" || a == "-h") return {TCommandLine::TMode::Help, {}, {}};
    if (a == "--version" || a == "-v") return {TCommandLine::TMode::Version, {}, {}};
  }
  auto error = [](const std::string& text) {
    return TCommandLine{TCommandLine::TMode::Error, {}, text};
  };
  for (const std::string& a : arguments) {
    if (a == "--") break;
    // The batch mode reads and checks its own arguments (Batch.h).
    if (a == "--batch") return {TCommandLine::TMode::Batch, {}, {}};
  }
  bool optionsEnd = false;
  std::vector<std::string> paths;
  for (const std::string& a : arguments) {
    if (!optionsEnd && a == "--")
      optionsEnd = true;
    else if (!optionsEnd && a.size() > 1 && a[0] == '-')
      return error("unknown option \"" + a + "\"");
    else
      paths.push_back(a);
  }
  if (paths.size() > 1) return error("more than one project given (\"" + paths[1] + "\")");
  if (!paths.empty()) {
    std::error_code ec;
    const auto status = std::filesystem::status(paths[0], ec);
    if (!std::filesystem::exists(status)) return error("no such project file \"" + paths[0] + "\"");
    if (std::filesystem::is_directory(status))
      return error("\"" + paths[0] + "\" is a folder, not a project file");
    if (const auto problem = DocumentProblem(paths[0])) return error(*problem);
    return {TCommandLine::TMode::Window, paths[0], {}};
  }
  return {};
}

std::string CommandLineUsage() {
  return "usage: velm [PROJECT.vlm]\n"
         "       velm --batch PROJECT.vlm [--json] [--report OUT.xlsx] [--pdf OUT.pdf]\n"
         "                                [--chart OUT.png|OUT.svg]\n"
         "       velm --batch --profile COLUMN.json [--json] [--chart OUT.png|OUT.svg]\n"
         "       velm --help | --version\n"
         "\n"
         "Without --batch: opens the window, with PROJECT.vlm open. When the window is already\n"
         "running, the project is opened there (after asking about unsaved changes).\n"
         "\n"
         "  --batch FILE  open FILE without a window, recalculate it and print every value\n"
         "                field as \"name text unit\" lines (\"-\" for an empty text or unit)\n"
         "  --json        with --batch: one JSON object instead\n"
         "  --report OUT  with --batch: also write the calculation report workbook to OUT\n"
         "  --pdf OUT     with --batch: also write the report as a one-page PDF to OUT\n"
         "  --chart OUT   with --batch: also write the operating-performance chart to OUT\n"
         "                (SVG for a .svg name, PNG otherwise)\n"
         "  --profile     with --batch: FILE is a whole column (velm-calc's column document);\n"
         "                every stage is rated, a line per stage, section and column, and\n"
         "                --chart writes the stage profile\n"
         "  --help        this text\n"
         "  --version     the version and the commit it was built from\n"
         "\n"
         "Exit codes: 0 done; 1 a file could not be read; 2 wrong command line (also a project\n"
         "file that does not exist); 3 (--batch) the recalculation did not complete; 4 (--report,\n"
         "--pdf, --chart) an output could not be made or written.\n";
}

}  // namespace velm
