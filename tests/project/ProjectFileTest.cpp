// Opening a project: the form-record reader first, the legacy reader for what it declines.
#include <gtest/gtest.h>

#include "TestForm.h"
#include "project/FileIo.h"
#include "project/ProjectFile.h"

namespace velm {
namespace {

using test::DataFile;
using test::TTestForm;

TEST(ProjectFileOpen, FormRecordFirstLegacyForTheRest) {
  TTestForm form;
  EXPECT_EQ(ReadProjectFile(&form, DataFile("ld_kgh_compressed.vlm")), TProjectFormat::FormRecord);
  EXPECT_EQ(form.Field("LD")->text(), "3600");

  TTestForm other;
  EXPECT_EQ(ReadProjectFile(&other, DataFile("legacy_full.txt")), TProjectFormat::Legacy);
  EXPECT_EQ(other.Field("LD")->text(), "3600");
  // Another author's header is not ours: its lines are read by position.
  TTestForm third;
  EXPECT_EQ(ReadProjectFile(&third, DataFile("wrong_author.vlm")), TProjectFormat::Legacy);
  // FpD takes the first line as its text; the second is no factor and ends its group.
  EXPECT_TRUE(third.Field("FpD")->text().startsWith("CFR File Format"));
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
