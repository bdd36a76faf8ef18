// The one safe writer: where an output really goes, what it refuses, and names at the file
// system's limit.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/SafeFiles.h"
#include "support/Pipe.h"
#include "support/TempDir.h"

namespace velm {
namespace {

namespace fs = std::filesystem;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Only regular files are documents; anything else is refused at once, naming the file and what
// it is, never waited on.
TEST(Document, OnlyRegularFilesAreReadAndNothingWaits) {
  const test::TTempDir dir;
  const test::TPipe pipe(dir.File("pipe"));
  fs::create_directory(dir.File("folder"));
  std::ofstream(dir.File("file")) << "bytes";
  const std::pair<std::string, const char*> refused[] = {
      {pipe.Path(), "命名管道"},
      {"/dev/null", "字符设备"},
      {dir.File("folder"), "文件夹"},
      {dir.File("missing"), "找不到文件"},
  };
  for (const auto& [path, reason] : refused) {
    SCOPED_TRACE(path);
    try {
      ReadDocument(path);
      ADD_FAILURE() << "read";
    } catch (const TFileError& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_TRUE(DocumentProblem(path));
  }
  EXPECT_FALSE(pipe.WaitedOn());
  EXPECT_EQ(ReadDocument(dir.File("file")), "bytes");
  EXPECT_EQ(ReadDocument(dir.File("file"), 2), "byt");  // the limit and one byte more
  EXPECT_FALSE(DocumentProblem(dir.File("file")));
}

// Outputs that must not be written, each with a word of its reason.
TEST(OutputPath, NamesThatWouldDoHarmAreRefusedWithTheirReason) {
  const test::TTempDir dir;
  const std::string project = dir.File("p.vlm");
  std::ofstream(project) << "project";
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
  fs::create_symlink(project, dir.File("link-to-project"));
  fs::create_directory(dir.File("folder"));
  const std::pair<std::string, const char*> cases[] = {
      {"", "没有给出"},
      {dir.File("folder"), "文件夹"},
      {dir.File("pipe"), "命名管道"},
      {project, "打开的项目"},
      {dir.File("link-to-project"), "打开的项目"},
      {dir.Path() + "/folder/../p.vlm", "打开的项目"},
  };
  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(path);
    try {
      ResolveOutputPath(path, {project});
      ADD_FAILURE() << "accepted";
    } catch (const TFileError& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
  }
  // Every writer refuses what is not a regular file, whatever the project.
  for (const char* name : {"pipe", "folder"})
    EXPECT_THROW(WriteFileAtomically(dir.File(name), "x"), TFileError) << name;
  EXPECT_THROW(WriteFileAtomically("", "x"), TFileError);
  EXPECT_EQ(Contents(project), "project");
  EXPECT_TRUE(fs::is_fifo(dir.File("pipe")));
}

// A link is followed: its target gets the bytes, the link stays a link; a dangling link
// creates the file it names.
TEST(OutputPath, SymbolicLinksWriteTheirTarget) {
  const test::TTempDir dir;
  std::ofstream(dir.File("target")) << "old";
  fs::create_symlink("target", dir.File("link"));
  fs::create_symlink(dir.File("new"), dir.File("dangling"));
  WriteFileAtomically(dir.File("link"), "new bytes");
  WriteFileAtomically(dir.File("dangling"), "made");
  EXPECT_TRUE(fs::is_symlink(dir.File("link")));
  EXPECT_EQ(Contents(dir.File("target")), "new bytes");
  EXPECT_EQ(Contents(dir.File("new")), "made");
}

// A name of 255 bytes (the usual limit) still gets a temporary name that fits; temporary names
// are never used twice.
TEST(OutputPath, NamesAtTheLengthLimitAndUniqueTemporaries) {
  const test::TTempDir dir;
  for (const size_t length : {236, 250, 255}) {
    std::string name(length - 5, 'r');
    name += ".xlsx";
    WriteFileAtomically(dir.File(name), "report");
    EXPECT_EQ(Contents(dir.File(name)), "report");
  }
  // 85 three-byte characters: cut only between characters.
  std::string chinese;
  for (int i = 0; i < 85; ++i) chinese += "报";
  const std::string temp = TemporaryNameFor(dir.File(chinese));
  EXPECT_LE(fs::path(temp).filename().string().size(), 255u);
  EXPECT_NE(temp, TemporaryNameFor(dir.File(chinese)));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 3);
}

// Temporary files of a save that was cut short are removed by the next save of that file; those
// of a process still running (this one), and other files, stay.
TEST(OutputPath, LeftoversOfInterruptedSavesAreRemovedByTheNextSave) {
  const test::TTempDir dir;
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);  // a process id that has ended
  const std::string dead = dir.File(".p.vlm." + std::to_string(child) + "-3.velm-tmp");
  const std::string alive = dir.File(".p.vlm." + std::to_string(::getpid()) + "-9.velm-tmp");
  const std::string other = dir.File(".q.vlm." + std::to_string(child) + "-3.velm-tmp");
  for (const std::string& f : {dead, alive, other}) std::ofstream(f) << "half a save";
  WriteFileAtomically(dir.File("p.vlm"), "project");
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(alive));
  EXPECT_TRUE(fs::exists(other));
  EXPECT_EQ(Contents(dir.File("p.vlm")), "project");
}

}  // namespace
}  // namespace velm
