// The tray import against small snapshots, and the server-version lookup.
#include <gtest/gtest.h>

#include <QString>
#include <cstdlib>
#include <functional>

#include "automation/Automation.h"
#include "automation/Settings.h"
#include "base/Errors.h"
#include "simulators/HysysCase.h"
#include "simulators/PROIIInterface.h"
#include "simulators/ProiiServer.h"
#include "simulators/ProiiSnapshot.h"
#include "support/Pipe.h"
#include "support/TempDir.h"
#include "tests/simulators/ProiiTestSnapshot.h"

namespace velm {
namespace {

using test::SnapshotJson;
using test::TTestColumn;

class ProiiInterface : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    FSettings = QDir(FDir.path()).filePath("settings.ini").toStdString();
    setenv("VELM_SETTINGS", FSettings.c_str(), 1);
    RegisterProiiServer();
    SetSimulatorMessageHook(
        [this](const QString& t, const QString&) { FMessages.push_back(t.toStdString()); });
  }
  void TearDown() override {
    SetSimulatorMessageHook({});
    ReleaseProii();
    ProiiConnected = false;
    unsetenv("VELM_SETTINGS");
  }
  void Settings(const std::string& text) { test::WriteFile(FDir, "settings.ini", text); }
  // Connects to a registered server and opens a snapshot with these columns.
  void Open(const std::vector<TTestColumn>& columns, int status = 0) {
    Settings(test::ServerSettings("SimSciDbs.Database.95"));
    StartProiiInterface();
    ASSERT_TRUE(ConnectProii());
    OpenProiiDatabase(test::WriteFile(FDir, "s.json", SnapshotJson(columns, status)).toStdString());
  }
  QTemporaryDir FDir;
  std::string FSettings;
  std::vector<std::string> FMessages;
};

TEST_F(ProiiInterface, ServerVersionFromTheFirstMatchingClassEntry) {
  const std::pair<std::string, std::string> cases[] = {
      {"[CLSID\\{B}\\ProgID]\n@=SimSciDbs.Database.92\n[CLSID\\{A}\\ProgID]\n@=SimSciDbs.Database."
       "100\n",
       "92"},  // registry order, not the higher version
      {"[CLSID\\{A}\\ProgID]\n@=Other.Server.1\n[CLSID\\{B}\\InprocServer32]\n@=x\n"
       "[CLSID\\{C}\\ProgID]\n@=SimSciDbs.Database.ABCDEF\n",
       "ABCD"},  // no ProgID read as empty; six characters cut to four
      {"[CLSID\\{A}\\ProgID]\n@=SimSciDbs.Database.\n", ""},
      {"", ""},
  };
  for (const auto& [settings, suffix] : cases) {
    Settings(settings);
    EXPECT_EQ(FindProiiServerVersion(), suffix) << settings;
  }
}

TEST_F(ProiiInterface, ConnectFailsWithoutARegisteredServer) {
  Settings("");
  StartProiiInterface();
  EXPECT_FALSE(ConnectProii());
  EXPECT_EQ(FMessages, std::vector<std::string>{"PROII错误！"});
  OpenProiiDatabase("/nonexistent.json");  // nothing is opened
  EXPECT_FALSE(ProiiDatabase.IsObject());
}

TEST_F(ProiiInterface, ColumnAndTrayLists) {
  Open({{"T1", 12, {8, 3, 12}, {{"COND", -1.5e6}, {"REB", 2e6}}}, {"bare", 1, {}, {}}});
  EXPECT_TRUE(FMessages.empty());
  TStringList columns, data, trays;
  GetProiiColumns(ProiiDatabase, columns);
  EXPECT_EQ(columns.Lines(), (std::vector<std::string>{"T1", "bare"}));

  GetProiiColumnData(ProiiDatabase, "bare", data);
  EXPECT_EQ(data.Lines(), (std::vector<std::string>{"NumberOfTrays=1", "RefluxRatio=2.5"}));
  GetProiiColumnData(ProiiDatabase, "T1", data);
  EXPECT_EQ(data.Lines(),
            (std::vector<std::string>{"NumberOfTrays=12", "RefluxRatio=2.5", "COND=-1500000",
                                      "REB=2000000", "FeedT0=8", "FeedT1=3", "FeedT2=12"}));
  EXPECT_NEAR(GetListValue(data, "numberoftrays"), 12, 0);
  EXPECT_NEAR(GetListValue(data, "FEEDT1"), 3, 0);
  EXPECT_THROW(GetListValue(data, "FeedT3"), TInputError);

  // Tray 73.15 K above 300: the liquid at 373.15 K shows 100 °C; 0.5 kmol/s x 18 = 9 kg/s.
  Open({{"T1", 80, {8}, {}}});
  for (int pass = 0; pass < 2; ++pass) {  // the temporary streams are gone after each read
    GetProiiTrayData(ProiiDatabase, "t1", 73, trays);
    EXPECT_EQ(trays.Lines(),
              (std::vector<std::string>{
                  "============ALL==========================", "Temperature=100", "Pressure=101325",
                  "============Liquid=======================", "LiqDensityAct=958",
                  "LiqViscosity=0.00028", "LiqSurfTension=0.0589", "LiqThermalCond=0.68",
                  "LiqTotalMolarRate=0.5", "LiqTotalMassRate=9",
                  "============Vapuid=======================", "VapDensityAct=0.95",
                  "VapViscosity=2.15E-5", "VapSurfTension=0", "VapThermalCond=0.031",
                  "VapTotalMolarRate=0.25", "VapTotalMassRate=7.25"}));
  }
  EXPECT_NEAR(GetListValue(trays, "liqtotalmassrate"), 9, 1e-12);

  // A tray the column does not have: the server's error; the list keeps what was appended.
  try {
    GetProiiTrayData(ProiiDatabase, "T1", 0, trays);
    ADD_FAILURE();
  } catch (const TAutomationError& e) {
    EXPECT_NE(std::string(e.what()).find("0"), std::string::npos);
  }
  EXPECT_EQ(trays.Count(), 0);
  // The liquid stream of the abandoned read is left behind; the next read still works.
  GetProiiTrayData(ProiiDatabase, "T1", 73, trays);
  EXPECT_EQ(trays.Count(), 17);
}

TEST_F(ProiiInterface, NoDatabaseLeavesTheListsAlone) {
  TStringList list;
  list.Add("kept=1");
  const TVariant none;
  GetProiiColumns(none, list);
  GetProiiColumnData(none, "T1", list);
  GetProiiTrayData(none, "T1", 2, list);
  EXPECT_EQ(list.Lines(), std::vector<std::string>{"kept=1"});
}

TEST_F(ProiiInterface, RecordedWarningsAreShownAndTheFileStaysOpen) {
  Open({{"T1", 3, {2}, {}}}, 2);
  EXPECT_EQ(FMessages, std::vector<std::string>{"模拟文件包含错误/警告信息！"});
  TStringList columns;
  GetProiiColumns(ProiiDatabase, columns);
  EXPECT_EQ(columns.Count(), 1);
}

// A named pipe given as a case file, a snapshot or the settings file is refused at once (the
// settings then read as empty), never waited on.
TEST(SimulatorFiles, PipesAreRefusedUnread) {
  const velm::test::TTempDir dir;
  const velm::test::TPipe pipe(dir.File("case.json"));
  for (const auto& read : std::initializer_list<std::function<void()>>{
           [&] { ReadProiiSnapshot(pipe.Path()); }, [&] { ReadHysysCase(pipe.Path()); }}) {
    try {
      read();
      ADD_FAILURE() << "read";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("命名管道"), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(TSettings::LoadFile(pipe.Path()).SubKeys("").empty());
  EXPECT_FALSE(pipe.WaitedOn());
}

TEST(ProiiSnapshotFile, RejectsWhatIsNotASnapshot) {
  const std::string head = R"({"format":"velm-proii-snapshot","formatVersion":1,"columns":)";
  const std::pair<std::string, const char*> bad[] = {
      {std::string("PK\x03\x04\0\0binary", 12), ".prz"},
      {"", ".prz"},
      {head + R"([{"name":"T","numberOfTrays":2,"refluxRatio":1,"trays":[]}]})", "trays"},
      {head + R"([{"name":"T","numberOfTrays":0,"refluxRatio":1,"trays":[]}]})", "numberOfTrays"},
      {head +
           R"([{"name":"T","numberOfTrays":2,"refluxRatio":1,"feeds":[{"tray":3}],"trays":[]}]})",
       "feeds[0].tray"},
      {head +
           R"([{"name":"T","numberOfTrays":1,"refluxRatio":1,"trays":[{"tray":1,"liquid":{},"vapour":{}}]}]})",
       "liquid"},
      {head + "[]", "JSON"},
  };
  for (const auto& [text, where] : bad) {
    try {
      ParseProiiSnapshot(text, "s.prz");
      ADD_FAILURE() << where;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(where), std::string::npos) << e.what();
    }
  }
  const TProiiSnapshot s = ReadProiiSnapshot(VELM_EXAMPLES "/simulator-snapshot.json");
  ASSERT_EQ(s.Columns.size(), 1u);
  EXPECT_EQ(s.Columns[0].Trays.size(), 22u);
}

}  // namespace
}  // namespace velm
