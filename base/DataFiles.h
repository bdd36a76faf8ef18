#pragma once
// Where the program finds the files shipped with it: the packing table, the report template, the
// help file and the example projects. One rule for every caller:
//   - in a build folder or a portable copy they lie beside the program;
//   - in the installed layout the program is PREFIX/bin/velm and they lie in PREFIX/share/velm.
#include <filesystem>
#include <string>

namespace velm {

// Name of the shipped-files folder under PREFIX/share.
inline constexpr char kDataFolderName[] = "velm";

// The folder of the running program (from the process's own executable); empty when the
// system does not tell.
std::filesystem::path ProgramDirectory();

// The shipped-files folder of a program that lives in `programDir`: PREFIX/share/velm when
// `programDir` is PREFIX/bin and that folder exists, otherwise `programDir` itself.
std::filesystem::path DataDirectory(const std::filesystem::path& programDir);

// The same for the running program.
std::filesystem::path DataDirectory();

// True when the shipped files lie beside the program in `programDir` (a build folder or a
// portable copy), false in the installed layout.
bool IsPortableLayout(const std::filesystem::path& programDir);

}  // namespace velm
