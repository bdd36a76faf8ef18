// The stage import against small in-test cases, and the case-file reader.
#include <gtest/gtest.h>

#include <QString>
#include <cstdlib>
#include <fstream>

#include "automation/Automation.h"
#include "simulators/HysysInterface.h"
#include "simulators/HysysServer.h"

namespace velm {
namespace {

THysysStage Stage(double fv, double fl, double dv = 2.5, double dl = 800) {
  THysysStage s;
  s.Vapour = {fv, dv, 0.009, std::nullopt};
  s.Liquid = {fl, dl, 0.5, 20.0};
  return s;
}

THysysOperation Column(const std::string& name, std::vector<THysysStage> stages) {
  return {name, "ColumnOp", true, std::move(stages)};
}

class HysysInterface : public ::testing::Test {
 protected:
  void SetUp() override {
    ReleaseHysys();
    SetSimulatorMessageHook([this](const QString& t, const QString& d) {
      FMessages.push_back(t.toStdString());
      FDetails.push_back(d.toStdString());
    });
  }
  void TearDown() override {
    SetSimulatorMessageHook({});
    UnregisterServer(kHysysProgId);
    ReleaseHysys();
  }
  // A running simulator with this case open.
  void Run(std::vector<THysysOperation> ops) {
    auto c = std::make_shared<THysysCase>();
    c->Operations = std::move(ops);
    RegisterServer(kHysysProgId, {.Attach = [c] { return MakeHysysApplication(c); }, .Create = {}});
  }
  std::vector<std::string> FMessages, FDetails;
};

TEST_F(HysysInterface, NotRunningShowsTheMessageAndTouchesNothing) {
  TStringList list;
  list.Add("kept");
  EXPECT_FALSE(GetHysysColumns(list));
  GetHysysStageData("T-100", -1, &list);
  EXPECT_EQ(list.Lines(), std::vector<std::string>{"kept"});
  EXPECT_EQ(FMessages, (std::vector<std::string>{"Hysys错误！", "Hysys错误！"}));
  EXPECT_FALSE(FDetails[0].empty());  // the reason goes beneath the message

  // A failed attach keeps the reference of the last successful one.
  Run({});
  ASSERT_TRUE(ConnectHysys());
  const auto before = HysysApp.ToObject();
  UnregisterServer(kHysysProgId);
  EXPECT_FALSE(ConnectHysys());
  EXPECT_EQ(HysysApp.ToObject(), before);
}

TEST_F(HysysInterface, ColumnsOnceEachWithoutRegardToCase) {
  Run({Column("T-100", {}),
       {"P-100", "PumpOp", false, {}},
       Column("t-100", {}),
       Column("A-100", {})});
  TStringList list;
  ASSERT_TRUE(GetHysysColumns(list));
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"T-100", "A-100"}));
  EXPECT_TRUE(FMessages.empty());
}

TEST_F(HysysInterface, StageDataLists) {
  // Vapour flows 0, 5, 7, 7, 2 and liquid flows 9, 1, 3, 8, 0 at indices 0 to 4.
  std::vector<THysysStage> five;
  const double fv[] = {0, 5, 7, 7, 2}, fl[] = {9, 1, 3, 8, 0};
  for (int i = 0; i < 5; ++i) five.push_back(Stage(fv[i], fl[i], 2 + i, 800 + i));
  struct TCase {
    const char* Name;
    int Index;
    std::vector<std::string> Lines;
    const char* Message;  // what the user is told when no stage supplies a side
  };
  const std::vector<std::string> found = {"MaxVNo=2", "Fv=7", "Dv=4",   "Vv=9E-6",   "  ",
                                          "MaxLNo=3", "Fl=8", "Dl=803", "Vl=0.0005", "Sl=0.02"};
  const TCase cases[] = {
      // Automatic: 1 to 3 scanned; the first of two equal flows wins; the two sides come from
      // different stages; cP and dyn/cm divided by 1000.
      {"T-5", -1, found, nullptr},
      // Any negative number is automatic; the name is found without regard to case.
      {"t-5", -7, found, nullptr},
      // A side that no stage supplies lists nothing (zeros would be imported) and says why:
      // a given stage without liquid, stage 0 (not skipped when given) without vapour, and a
      // column of fewer than three stages, where the automatic scan has nothing to scan.
      {"T-5", 4, {}, "第 4 块塔板的液相流量不大于零"},
      {"T-5", 0, {}, "第 0 块塔板的气相流量不大于零"},
      {"T-2", -1, {}, "共有 2 块塔板"},
  };
  Run({Column("T-5", five), Column("T-2", {Stage(3, 3), Stage(4, 4)})});
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(c.Index));
    FMessages.clear();
    TStringList list;
    GetHysysStageData(c.Name, c.Index, &list);
    EXPECT_EQ(list.Lines(), c.Lines);
    if (c.Message) {
      ASSERT_EQ(FMessages.size(), 1u);
      EXPECT_NE(FMessages[0].find(c.Message), std::string::npos) << FMessages[0];
      EXPECT_NE(FMessages[0].find("没有读取任何数据"), std::string::npos) << FMessages[0];
    } else {
      EXPECT_TRUE(FMessages.empty());
    }
  }
  EXPECT_NO_THROW(GetHysysStageData("T-5", -1, nullptr));
}

TEST_F(HysysInterface, ServerErrorsReachTheCallerAndTheListStaysEmpty) {
  Run({Column("T-5", {Stage(1, 1), Stage(2, 2), Stage(3, 3)}), {"P-1", "PumpOp", false, {}}});
  const std::pair<const char*, int> failing[] = {
      {"T-5", 3},   // beyond the stages
      {"T-9", -1},  // no such column
      {"P-1", -1},  // a pump has no column flowsheet
  };
  for (const auto& [name, index] : failing) {
    TStringList list;
    try {
      GetHysysStageData(name, index, &list);
      ADD_FAILURE() << name;
    } catch (const TAutomationError& e) {
      EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_EQ(list.Count(), 0) << name;
  }
  // A vapour stream offers no surface tension: asking for it is the server's error.
  THysysStage s = Stage(1, 1);
  s.Liquid.SurfaceTension.reset();
  Run({Column("T-3", {Stage(1, 1), s, Stage(1, 1)})});
  TStringList list;
  EXPECT_THROW(GetHysysStageData("T-3", 1, &list), TAutomationError);
  EXPECT_EQ(list.Count(), 0);
}

TEST(HysysCaseFile, RejectsMalformedFilesWithTheirPlace) {
  const std::string head = R"({"format":"velm-hysys-case","formatVersion":1,)";
  const std::string stage =
      R"({"vapour":{"massFlow_kg_s":1,"massDensity_kg_m3":2},"liquid":{"massFlow_kg_s":1,"massDensity_kg_m3":800}})";
  const std::pair<std::string, const char*> bad[] = {
      {"{\"format\":", "JSON"},
      {R"({"format":"other","formatVersion":1,"operations":[]})", "format"},
      {R"({"format":"velm-hysys-case","formatVersion":2,"operations":[]})", "formatVersion"},
      {head + R"("operations":{}})", "operations"},
      {head + R"("operations":[{"name":"T","type":"ColumnOp"}]})", "stages"},
      {head + R"("operations":[{"name":"","type":"PumpOp"}]})", "operations[0].name"},
      {head + R"("operations":[{"name":"T","type":"ColumnOp","stages":[)" + stage + "," +
           R"({"vapour":{"massFlow_kg_s":1},"liquid":{}}]}]})",
       "operations[0].stages[1].vapour"},
      {head +
           R"("operations":[{"name":"T","type":"ColumnOp","stages":[{"vapour":{"massFlow_kg_s":"7","massDensity_kg_m3":2},"liquid":{}}]}]})",
       "massFlow_kg_s"},
      {head +
           R"("operations":[{"name":"T","type":"ColumnOp","stages":[{"vapour":{"massFlow_kg_s":1,"massDensity_kg_m3":-2},"liquid":{}}]}]})",
       "massDensity_kg_m3"},
      {head + "\"operations\":" + std::string(100, '[') + std::string(100, ']') + "}", "嵌套"},
      {head + R"("operations":[{"name":")" + std::string(300, 'x') + R"(","type":"PumpOp"}]})",
       "name"},
  };
  for (const auto& [text, where] : bad) {
    try {
      ParseHysysCase(text, "c.json");
      ADD_FAILURE() << where;
    } catch (const std::runtime_error& e) {
      const std::string m = e.what();
      EXPECT_NE(m.find("c.json"), std::string::npos) << m;
      EXPECT_NE(m.find(where), std::string::npos) << m;
    }
  }
  std::string many = head + R"("operations":[{"name":"T","type":"ColumnOp","stages":[)";
  for (size_t i = 0; i <= THysysCaseLimits::MaxStages; ++i) many += (i ? "," : "") + stage;
  EXPECT_THROW(ParseHysysCase(many + "]}]}", "c.json"), std::runtime_error);
  EXPECT_THROW(ReadHysysCase("/nonexistent/case.json"), std::runtime_error);
}

TEST(HysysCaseFile, ShippedExampleRunsWhenNamed) {
  RegisterHysysServer();
  setenv("VELM_SETTINGS", "/nonexistent/settings.ini", 1);
  unsetenv("VELM_HYSYS_CASE");
  EXPECT_THROW(AttachToRunning(kHysysProgId), TAutomationError);  // nothing named: not running
  setenv("VELM_HYSYS_CASE", VELM_EXAMPLES "/simulator-case.json", 1);
  SetSimulatorMessageHook([](const QString& t, const QString& d) {
    ADD_FAILURE() << t.toStdString() << d.toStdString();
  });
  TStringList columns, data;
  ASSERT_TRUE(GetHysysColumns(columns));
  EXPECT_EQ(columns.Lines(), (std::vector<std::string>{"T-100", "A-100"}));
  GetHysysStageData("T-100", -1, &data);
  ASSERT_EQ(data.Count(), 10);
  // The bottom stage carries the largest flows of the column: 20 stages between condenser and
  // reboiler.
  EXPECT_EQ(data.Strings(0), "MaxVNo=20");
  EXPECT_EQ(data.Strings(5), "MaxLNo=20");
  SetSimulatorMessageHook({});
  unsetenv("VELM_HYSYS_CASE");
  unsetenv("VELM_SETTINGS");
  UnregisterServer(kHysysProgId);
  ReleaseHysys();
}

}  // namespace
}  // namespace velm
