#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "automation/Automation.h"

namespace velm {
namespace {

// A small server: a counter with a default value, an indexed property, a read-only property
// and a method that fails with its own text.
class TCounter : public TDispatch {
 public:
  TCounter() : TDispatch("Counter") {
    DefineGet("", [this](const TArgs&) { return TVariant(FCount); });
    DefineGet("Count", [this](const TArgs&) { return TVariant(FCount); });
    DefinePut("Count", [this](const TArgs&, const TVariant& v) { FCount = v.ToInt(); });
    DefineGet("Item", [this](const TArgs& a) {
      return TVariant(std::to_string(Arg("Item", a, 0).ToInt() * 10));
    });
    DefineGet("Version", [](const TArgs&) { return TVariant("16.0"); });
    DefineMethod("Self", [this](const TArgs&) { return TVariant(shared_from_this()); });
    DefineMethod("Explode",
                 [](const TArgs&) -> TVariant { throw TAutomationError("磁盘已满，无法保存"); });
  }

 private:
  int FCount = 3;
};

TEST(AutomationVariant, ConvertsAsLateBindingDoes) {
  struct TCase {
    TVariant v;
    double d;
    std::string s;
  };
  const TCase cases[] = {
      {TVariant(), 0, ""},
      {TVariant(true), -1, "True"},
      {TVariant(7), 7, "7"},
      {TVariant(0.0005), 0.0005, "0.0005"},
      {TVariant(1.0 / 3), 1.0 / 3, "0.333333333333333"},
      {TVariant(" 12.5e1 "), 125, " 12.5e1 "},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.v.ToDouble(), c.d, 1e-15) << c.s;
    EXPECT_EQ(c.v.ToString(), c.s);
  }
  // Whole numbers round halves to the even neighbour.
  EXPECT_EQ(TVariant(2.5).ToInt(), 2);
  EXPECT_EQ(TVariant(3.5).ToInt(), 4);
  EXPECT_EQ(TVariant("-0.5").ToInt(), 0);
  EXPECT_THROW(TVariant("12,5").ToDouble(), TAutomationError);
  EXPECT_THROW(TVariant(3e10).ToInt(), TAutomationError);
  EXPECT_THROW(TVariant(5).Get("Count"), TAutomationError);  // not an object
}

TEST(AutomationObject, MembersByNameWithoutRegardToCase) {
  TVariant c(std::make_shared<TCounter>());
  EXPECT_EQ(c.Get("count").ToInt(), 3);
  c.Put("COUNT", 41);
  EXPECT_EQ(c.ToInt(), 41);                           // through the default member
  EXPECT_EQ(c.Call("Item", {4}).ToString(), "40");    // a property called as a method
  EXPECT_EQ(c.Get("self").Get("Count").ToInt(), 41);  // a method read as a property
  EXPECT_NEAR(c.Get("Version").ToDouble(), 16, 0);

  try {
    c.Call("Explode");
    FAIL();
  } catch (const TAutomationError& e) {
    EXPECT_STREQ(e.what(), "磁盘已满，无法保存");  // the server's own text, unchanged
  }
  const std::pair<const char*, std::function<void()>> failures[] = {
      {"Nope", [&] { c.Get("Nope"); }},
      {"Version", [&] { c.Put("Version", "1"); }},
      {"Item", [&] { c.Get("Item"); }},
  };
  for (const auto& [member, call] : failures) {
    try {
      call();
      ADD_FAILURE() << member;
    } catch (const TAutomationError& e) {
      EXPECT_NE(std::string(e.what()).find(member), std::string::npos) << e.what();
      EXPECT_EQ(e.Source(), "Counter");
    }
  }
}

class AutomationServers : public ::testing::Test {
 protected:
  void SetUp() override {
    FPath = std::filesystem::temp_directory_path() /
            ("velm-settings-" + std::to_string(::getpid()) + ".ini");
    setenv("VELM_SETTINGS", FPath.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("VELM_SETTINGS");
    std::filesystem::remove(FPath);
    UnregisterServer("Test.Counter");
    UnregisterServer("velm-counter");
  }
  void WriteSettings(const std::string& text) { std::ofstream(FPath) << text; }
  std::filesystem::path FPath;
};

TEST_F(AutomationServers, AttachAndCreateByProgId) {
  EXPECT_THROW(AttachToRunning("Test.Counter"), TAutomationError);  // unknown ProgID
  std::shared_ptr<TCounter> running;
  RegisterServer("Test.Counter", {.Attach = [&] { return TVariant(running); },
                                  .Create = [] { return TVariant(std::make_shared<TCounter>()); }});
  EXPECT_THROW(AttachToRunning("Test.Counter"), TAutomationError);  // none running
  running = std::make_shared<TCounter>();
  EXPECT_EQ(AttachToRunning("test.counter").ToObject(), running);
  EXPECT_NE(CreateInstance("Test.Counter").ToObject(), running);
}

TEST_F(AutomationServers, CreatesThroughClassEntryOfTheSettings) {
  RegisterServer("velm-counter", {.Create = [] { return TVariant(std::make_shared<TCounter>()); }});
  EXPECT_THROW(CreateInstance("Vendor.Counter.7"), TAutomationError);
  WriteSettings(
      "[CLSID\\{A}\\ProgID]\n@=Vendor.Other.1\n"
      "[CLSID\\{B}\\ProgID]\n@=Vendor.Counter.7\n[CLSID\\{B}\\InprocServer32]\n@=velm-counter\n"
      "[CLSID\\{C}\\ProgID]\n@=Vendor.Broken.1\n[CLSID\\{C}\\InprocServer32]\n@=missing\n");
  EXPECT_EQ(CreateInstance("vendor.counter.7").Get("Count").ToInt(), 3);
  try {
    CreateInstance("Vendor.Broken.1");
    FAIL();
  } catch (const TAutomationError& e) {
    EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos);
  }
  UnregisterServer("velm-counter");
  EXPECT_THROW(CreateInstance("Vendor.Counter.7"), TAutomationError);
}

TEST(AutomationSettings, KeysValuesAndOrder) {
  const TSettings s = TSettings::FromText(
      "\xEF\xBB\xBF; comment\n"
      "[CLSID\\{Z}\\ProgID]\r\n@=Late.1\r\n"
      "[CLSID\\{A}\\ProgID]\n@=\"Early.2\"\n"
      "[clsid\\{z}\\progid]\nDefault=x\n@=Late.3\n"
      "[Broken\nLost=1\n"
      "[Simulators]\nHysysCase = /tmp/a b.json \nnot an entry\n");
  EXPECT_EQ(s.SubKeys("CLSID"), (std::vector<std::string>{"{Z}", "{A}"}));  // file order
  EXPECT_EQ(s.SubKeys(""), (std::vector<std::string>{"CLSID", "Simulators"}));
  EXPECT_EQ(s.Value("CLSID\\{Z}\\ProgID"), "Late.3");  // a later line wins
  EXPECT_EQ(s.Value("CLSID/{A}/ProgID/", "@"), "Early.2");
  EXPECT_EQ(s.Value("clsid\\{z}\\progid", "default"), "x");
  EXPECT_EQ(s.Value("simulators", "hysyscase"), "/tmp/a b.json");
  EXPECT_FALSE(s.Value("Broken", "Lost"));
  EXPECT_FALSE(s.Value("Simulators", "not an entry"));
  EXPECT_TRUE(s.HasKey("CLSID\\{A}"));
  EXPECT_FALSE(s.HasKey("CLSID\\{B}"));

  // A file beyond the size bound is not read at all; a missing file is empty.
  const auto path = std::filesystem::temp_directory_path() / "velm-settings-big.ini";
  std::ofstream(path) << "[A]\nB=1\n" << std::string(TSettings::MaxFileSize, ';');
  EXPECT_FALSE(TSettings::LoadFile(path.string()).HasKey("A"));
  // ... and says so, naming the file, where a missing entry is reported.
  EXPECT_NE(TSettings::LoadFile(path.string()).Problem().find(path.string() + "”大于 1 MB"),
            std::string::npos);
  std::filesystem::remove(path);
  EXPECT_TRUE(TSettings::LoadFile("/nonexistent/settings.ini").SubKeys("").empty());
}

}  // namespace
}  // namespace velm
