// The recent-files list: its ordering rules, its file, and its place in the file menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include "TestForm.h"
#include "base/Errors.h"
#include "project/FileIo.h"
#include "project/RecentFiles.h"

namespace velm {
namespace {

TRecentFiles Opened(std::initializer_list<const char*> paths) {
  TRecentFiles list;
  for (const char* p : paths) list.Add(QString::fromUtf8(p));
  return list;
}

TEST(RecentFilesRules, ReopeningMovesToTheTopWithoutDuplicate) {
  EXPECT_EQ(Opened({"A", "B", "A"}).Entries(), QStringList({"A", "B"}));
  EXPECT_EQ(Opened({"A", "B", "C", "A"}).Entries(), QStringList({"A", "C", "B"}));
  EXPECT_EQ(Opened({"A", "B", " B "}).Entries(), QStringList({" B ", "A"}));  // trimmed compare
}

TEST(RecentFilesRules, PathsDifferingInCaseAreSeparate) {
  EXPECT_EQ(Opened({"/p/a.vlm", "/p/A.vlm"}).Count(), 2);
}

TEST(RecentFilesRules, TenthProjectDropsTheOldest) {
  TRecentFiles list = Opened({"1", "2", "3", "4", "5", "6", "7", "8", "9"});
  ASSERT_EQ(list.Count(), 9);
  list.Add("10");
  EXPECT_EQ(list.Entries(), QStringList({"10", "9", "8", "7", "6", "5", "4", "3", "2"}));
  list.Add("5");  // a listed one still just moves
  EXPECT_EQ(list.Entries().first(), "5");
  EXPECT_EQ(list.Count(), 9);
}

TEST(RecentFilesRules, ListLongerThanItsMaximumKeepsGrowing) {
  TRecentFiles list;
  list.Parse("3\r\n5\r\na\r\nb\r\nc\r\nd\r\ne\r\n");
  EXPECT_EQ(list.Maximum(), 3);
  EXPECT_EQ(list.Entries(), QStringList({"e", "d", "c", "b", "a"}));
  list.Add("f");
  EXPECT_EQ(list.Count(), 6);
}

TEST(RecentFilesRules, MaximumBelowOneKeepsNothing) {
  for (const char* file : {"0\r\n0\r\n", "-1\r\n0\r\n"}) {
    TRecentFiles list;
    list.Parse(file);
    list.Add("a");
    EXPECT_EQ(list.Count(), 0);
  }
}

TEST(RecentFilesFile, WriteAndReadBackKeepTheOrder) {
  const TRecentFiles list = Opened({"/old/一.vlm", "/mid/b.vlm", "/new/c.vlm"});
  QTemporaryDir dir;
  const QString path = dir.filePath("velm.opt");
  list.Save(path);
  // Oldest first, CR LF, GB2312 (一 is D2 BB).
  EXPECT_EQ(test::ReadBytes(path), "9\r\n3\r\n/old/\xD2\xBB.vlm\r\n/mid/b.vlm\r\n/new/c.vlm\r\n");
  TRecentFiles back;
  back.Load(path);
  EXPECT_EQ(back.Entries(), list.Entries());
  EXPECT_EQ(back.Maximum(), 9);
}

TEST(RecentFilesFile, MissingFileKeepsTheStartValues) {
  TRecentFiles list;
  list.Load("/no/such/velm.opt");
  EXPECT_EQ(list.Maximum(), 9);
  EXPECT_EQ(list.Count(), 0);
}

TEST(RecentFilesFile, BrokenNumbersAreErrorsAndChangeNothing) {
  for (const char* file : {"", "nine\r\n0\r\n", "9\r\n\r\n", "9\r\n2.5\r\na\r\n"}) {
    SCOPED_TRACE(file);
    TRecentFiles list = Opened({"kept"});
    EXPECT_THROW(list.Parse(file), TInputError);
    EXPECT_EQ(list.Entries(), QStringList({"kept"}));
  }
}

TEST(RecentFilesFile, CountBeyondTheFileStopsAtItsEnd) {
  TRecentFiles list;
  list.Parse("9\r\n2000000000\r\nonly\r\n");
  EXPECT_EQ(list.Entries(), QStringList({"only"}));
}

TEST(RecentFilesFile, SaveIntoReadOnlyFolderFailsAndKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("velm.opt");
  Opened({"old"}).Save(path);
  const std::string before = test::ReadBytes(path);
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  bool failed = false;
  {
    test::TAsOrdinaryUser asUser;
    try {
      Opened({"new"}).Save(path);
    } catch (const TFileError&) {
      failed = true;
    }
  }
  QFile::setPermissions(dir.path(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  EXPECT_TRUE(failed);
  EXPECT_EQ(test::ReadBytes(path), before);
}

TEST(RecentFilesFile, PathBesideTheProgram) {
  EXPECT_EQ(RecentFilesPath("/opt/velm/bin/velm"), "/opt/velm/bin/velm.opt");
  EXPECT_EQ(RecentFilesPath("C:/VELM/VELM.exe"), "C:/VELM/VELM.opt");
}

// The file menu as the window builds it.
QMenu* FileMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  for (const char* text : {"&N 新建", "&O 打开", "", "&S 保存", "&A 另存为", "", "&E 结束"}) {
    if (*text)
      menu->addAction(QString::fromUtf8(text));
    else
      menu->addSeparator();
  }
  return menu;
}

QStringList Layout(const QMenu* menu) {
  QStringList s;
  for (const QAction* a : menu->actions())
    s << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + ":" + a->text());
  return s;
}

TEST(RecentFilesMenu, EntriesGoAfterSaveAsNewestFirstWithOneSeparator) {
  QWidget window;
  QMenu* menu = FileMenu(&window);
  QStringList opened;
  const auto open = [&](const QString& p) { opened << p; };
  TRecentFiles list = Opened({"/a.vlm", "/b&c.vlm"});
  ShowRecentFiles(menu, list, open);
  EXPECT_EQ(Layout(menu), QStringList({":&N 新建", ":&O 打开", "-", ":&S 保存", ":&A 另存为", "-",
                                       "I1:/b&&c.vlm", "I0:/a.vlm", "-", ":&E 结束"}));
  list.Add("/a.vlm");
  ShowRecentFiles(menu, list, open);  // shown again: replaces, does not add
  EXPECT_EQ(menu->actions().size(), 10);
  QAction* top = menu->actions()[TRecentFiles::kFirstPosition];
  EXPECT_TRUE(IsRecentFileAction(top));
  EXPECT_FALSE(IsRecentFileAction(menu->actions()[0]));
  top->trigger();
  EXPECT_EQ(opened, QStringList({"/a.vlm"}));
  ShowRecentFiles(menu, TRecentFiles(), open);
  EXPECT_EQ(menu->actions().size(), 7);
}

}  // namespace
}  // namespace velm
