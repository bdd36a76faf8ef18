#pragma once
// The program's command line, read before the application object exists: asking for help or
// the version needs no display, and a wrong command line is refused before any window opens.
//
//   velm [PROJECT]                     the window, opening PROJECT (handed to the running
//                                      window when there is one)
//   velm --batch PROJECT [--json] [--chart OUT]  headless run (Batch.h checks its arguments)
//   velm --help | --version
#include <string>
#include <vector>

namespace velm {

struct TCommandLine {
  enum class TMode { Window, Batch, Help, Version, Error };
  TMode Mode = TMode::Window;
  // Window: the project path as given (empty: none).
  std::string Project;
  // Error: what is wrong, for standard error.
  std::string Error;
};

// Reads the arguments after the program name. --help and --version win over everything else.
// A project path that names no file is an error, as is an unknown option or a second path.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string CommandLineUsage();

}  // namespace velm
