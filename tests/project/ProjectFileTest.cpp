// Opening a project: the form-record reader first, the legacy reader for what it declines.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <vector>

#include "TestForm.h"
#include "base/TextCodec.h"
#include "project/FileIo.h"
#include "project/FormRecord.h"
#include "project/ProjectFile.h"
#include "project/RecentFiles.h"
#include "support/Pipe.h"

namespace velm {
namespace {

using test::DataFile;
using test::ReadBytes;
using test::TTestForm;
using test::WriteTemp;

TEST(ProjectFileOpen, FormRecordFirstLegacyForTheRest) {
  TTestForm form;
  EXPECT_EQ(ReadProjectFile(&form, DataFile("ld_kgh_compressed.vlm")), TProjectFormat::FormRecord);
  EXPECT_EQ(form.Field("LD")->text(), "3600");

  TTestForm other;
  EXPECT_EQ(ReadProjectFile(&other, DataFile("legacy_full.txt")), TProjectFormat::Legacy);
  EXPECT_EQ(other.Field("LD")->text(), "3600");
}

// Damaged and foreign files: none opens, none changes the window, each says why.
TEST(ProjectFileOpen, DamagedAndForeignFilesAreRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"wrong_author.vlm", "不是有效的项目文件"},  // another header, and not of the legacy shape
      {"truncated_compressed.vlm", "不是有效的项目文件"},
      {"bad_empty.vlm", "文件是空的"},
      {"bad_random.vlm", "不是有效的项目文件"},
      {"bad_bitflip.vlm", "不是有效的项目文件"},
      {"bad_json.vlm", "不是有效的项目文件"},
      {"bad_text.vlm", "不是有效的项目文件"},
      {"bad_bomb.vlm", "解压后超过"},
      {"bad_compressed_no_header.vlm", "不以项目文件头开始"},
      {"bad_long_comment.vlm", "超过上限"},
      {"legacy_stops_after_ld.txt", "缺少 LU"},
      {"nonnumeric_float.vlm", "LD.k"},
  };
  for (const auto& [name, reason] : cases) {
    SCOPED_TRACE(name);
    TTestForm form;
    try {
      ReadProjectFile(&form, DataFile(name));
      ADD_FAILURE() << "opened";
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
    EXPECT_TRUE(form.FEvents.isEmpty()) << form.FEvents.join(",").toStdString();
  }
}

// A plain project cut short inside a record is refused, wherever the cut falls: reading it
// would keep the window's earlier values for everything after the cut. A header followed by
// nothing readable is not a project either. The same file with LF line ends or saved as UTF-8
// with a byte-order mark opens as itself.
TEST(ProjectFileOpen, CutShortProjectsAreRefusedReencodedOnesOpen) {
  const QString example = DataFile("../../../examples/air-water-absorber.vlm");
  const std::string whole = ReadBytes(example);
  TTestForm reference;
  ReadProjectFile(&reference, example);
  const std::string state = BuildRecordText(&reference);

  // Where records end: after the three header lines, every fifth line end.
  std::vector<size_t> boundaries;
  int lines = 0;
  for (size_t at = whole.find("\r\n"); at != std::string::npos; at = whole.find("\r\n", at + 2))
    if (++lines >= 3 && (lines - 3) % 5 == 0) boundaries.push_back(at + 2);
  ASSERT_GT(boundaries.size(), 40u);
  for (int i = 1; i <= 40; ++i) {
    const size_t cut = boundaries.front() + (whole.size() - boundaries.front()) * i / 41;
    if (std::find(boundaries.begin(), boundaries.end(), cut) != boundaries.end()) continue;
    SCOPED_TRACE(cut);
    TTestForm form;
    try {
      ReadProjectFile(&form, WriteTemp(whole.substr(0, cut)));
      ADD_FAILURE() << "opened";
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find("被截断"), std::string::npos) << e.what();
    }
  }
  TTestForm garbage;
  EXPECT_THROW(
      ReadProjectFile(&garbage, WriteTemp(whole.substr(0, boundaries.front()) + "a\r\nb\r\n")),
      std::exception);
  EXPECT_THROW(ReadProjectFile(&garbage, WriteTemp(whole.substr(0, boundaries.front()))),
               std::exception);

  std::string lf = whole;
  for (size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at))
    lf.erase(at, 1);
  const std::string variants[] = {lf, "\xEF\xBB\xBF" + GbToUtf8(whole)};
  for (const std::string& bytes : variants) {
    TTestForm form;
    EXPECT_EQ(ReadProjectFile(&form, WriteTemp(bytes)), TProjectFormat::FormRecord);
    EXPECT_TRUE(BuildRecordText(&form) == state);
  }
}

TEST(ProjectFileOpen, FilesLargerThanAProjectAreNotRead) {
  QTemporaryDir dir;
  const QString path = dir.filePath("huge.vlm");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_TRUE(f.resize(kMaxProjectFileSize + 1));  // sparse: costs no disk
  f.close();
  TTestForm form;
  try {
    ReadProjectFile(&form, path);
    FAIL() << "opened";
  } catch (const TFileError& e) {
    EXPECT_NE(std::string(e.what()).find("不是有效的项目文件"), std::string::npos) << e.what();
  }
  // A folder is not a project either.
  EXPECT_THROW(ReadProjectFile(&form, dir.path()), TFileError);
}

// A named pipe as the project (command line, hand-over, open dialog) or as the recent-files
// list is refused at once, naming it, instead of freezing the window.
TEST(ProjectFileOpen, PipesAreRefusedUnread) {
  QTemporaryDir dir;
  const test::TPipe pipe(dir.filePath("p.vlm").toStdString());
  const QString path = QString::fromStdString(pipe.Path());
  TTestForm form;
  for (const auto& read : std::initializer_list<std::function<void()>>{
           [&] { ReadProjectFile(&form, path); }, [&] { TRecentFiles().Load(path); }}) {
    try {
      read();
      ADD_FAILURE() << "read";
    } catch (const TFileError& e) {
      EXPECT_NE(std::string(e.what()).find("命名管道"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("p.vlm"), std::string::npos) << e.what();
    }
  }
  EXPECT_FALSE(pipe.WaitedOn());
}

TEST(ProjectFileOpen, DeletedFileIsFileNotFound) {
  TTestForm form;
  try {
    ReadProjectFile(&form, DataFile("deleted.vlm"));
    FAIL() << "no error";
  } catch (const TFileError& e) {
    EXPECT_NE(std::string(e.what()).find("找不到文件"), std::string::npos) << e.what();
  }
}

TEST(ProjectFileCaption, PathFollowsTheFirstDash) {
  EXPECT_EQ(ProjectCaption("散堆填料塔流体力学-空白项目", "/p/a-b.vlm"),
            "散堆填料塔流体力学-/p/a-b.vlm");
  EXPECT_EQ(ProjectCaption("散堆填料塔流体力学-/old-x.vlm", "/new.vlm"),
            "散堆填料塔流体力学-/new.vlm");
  EXPECT_EQ(ProjectCaption("no dash", "/p.vlm"), "/p.vlm");
}

}  // namespace
}  // namespace velm
