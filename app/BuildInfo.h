#pragma once
// Version and source revision of this build for the about box and the help menu. They live in
// their own small library, so that a new commit recompiles one file, not the window.
namespace velm {

// The program's version, e.g. "0.1".
const char* BuildVersion();
// The commit of the sources this program was built from ("unknown" outside a checkout).
const char* BuildCommit();

}  // namespace velm
