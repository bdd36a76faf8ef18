#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/CaseJson.h"
#include "cli/ColumnJson.h"
#include "cli/ScreenJson.h"
#include "core/Methods.h"
#include "support/TempDir.h"

using nlohmann::json;
using velm::RunCaseJson;

namespace {

json Example() {
  std::ifstream in(std::string(VELM_SOURCE_DIR) + "/examples/air-water-absorber.json");
  return json::parse(in);
}

struct TProcess {
  int Status;
  std::string Out;
};

// Runs velm-calc with `args`, feeding `input` on standard input.
TProcess RunCalc(const std::string& args, const std::string& input) {
  // A private input file: ctest runs the tests of this program in parallel processes.
  const velm::test::TTempDir temp;
  const std::string inFile = temp.File("in.json");
  std::ofstream(inFile, std::ios::binary) << input;
  const std::string cmd = std::string(VELM_CALC) + " " + args + " < " + inFile + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int status = pclose(p);
  return {WEXITSTATUS(status), out};
}

}  // namespace

TEST(CaseJson, ExampleGivesEveryResultAndTheOrderedWrites) {
  const json out = RunCaseJson(Example());
  EXPECT_TRUE(out["error"].is_null());
  EXPECT_TRUE(out["Converged"].get<bool>());
  for (const char* key : {"FloodVelocity", "DesignVelocity", "TheoreticalDiameter", "Diameter",
                          "GasLoad", "LiquidLoad", "WetPressureDrop", "Holdup", "WettingPercent",
                          "HTUV", "HTUL", "HTUOV", "HETP", "Kf", "Kp", "FlowParameter"})
    EXPECT_TRUE(out[key].is_number()) << key;
  EXPECT_EQ(out["CurveCount"], 11);
  EXPECT_EQ(out["CurveCapacity"].size(), 11u);
  EXPECT_TRUE(out["DesignPoint"]["PressureDrop"].is_number());
  const json& writes = out["writes"];
  ASSERT_GE(writes.size(), 14u);
  EXPECT_EQ(writes[writes.size() - 1][0], "HETPD");
  EXPECT_EQ(writes[writes.size() - 5][0], "UmL");
  EXPECT_TRUE(writes[writes.size() - 5][1].is_string());
  EXPECT_EQ(out["log"].back(), "RN=" + std::to_string(out["IterationCount"].get<int>()));
}

TEST(CaseJson, CalculationBasisIsEchoedAndDefaultsToTheLiterature) {
  json c = Example();
  const json literature = RunCaseJson(c);
  EXPECT_EQ(literature["LegacyMethods"], false);
  c["inputs"]["LegacyMethods"] = true;
  const json legacy = RunCaseJson(c);
  EXPECT_EQ(legacy["LegacyMethods"], true);
  // Onda's heights on the wetted area of the column are taller than the legacy ones.
  EXPECT_GT(literature["HETP"].get<double>(), legacy["HETP"].get<double>());
}

TEST(CaseJson, MissingAndNullInputsAreEmptyFields) {
  json c = Example();
  c["inputs"].erase("LiquidDensity");
  c["inputs"]["GasDiffusivity"] = nullptr;
  json out = RunCaseJson(c);
  EXPECT_TRUE(out["FloodVelocity"].is_null());
  EXPECT_TRUE(out["writes"].empty());
  EXPECT_FALSE(out["HydraulicsDone"].get<bool>());

  c = Example();
  c["inputs"]["GasDiffusivity"] = nullptr;
  out = RunCaseJson(c);
  EXPECT_EQ(out["error"], "警告:“气相扩散系数”是空白,请补充.");
  EXPECT_EQ(out["messages"], json::array({"警告:“气相扩散系数”是空白,请补充."}));
  EXPECT_TRUE(out["HETP"].is_null());
  EXPECT_TRUE(out["HydraulicsDone"].get<bool>());
}

TEST(CaseJson, ZeroLiquidFlowEndsTheRunBeforeAnyCurveExists) {
  // log10 of a zero flow parameter fails before the curve set is filled: no curves are reported.
  json c = Example();
  c["inputs"]["LiquidFlow"] = 0;
  const json out = RunCaseJson(c);
  EXPECT_FALSE(out["error"].is_null());
  EXPECT_TRUE(out["CurveCount"].is_null());
  EXPECT_TRUE(out["CurveCapacity"].is_null());
  EXPECT_TRUE(out["FloodPoint"].is_null());
}

TEST(CaseJson, StringInputsAreTheFieldTextAsTyped) {
  json c = Example();
  c["inputs"]["LiquidFlow"] = " 5 ";
  EXPECT_TRUE(RunCaseJson(c)["error"].is_null());
  c["inputs"]["LiquidFlow"] = "abc";
  EXPECT_EQ(RunCaseJson(c)["error"], "液相质量流量是错误数据");
  c["inputs"]["LiquidFlow"] = " ";  // filled, but not a number
  EXPECT_EQ(RunCaseJson(c)["error"], "警告:“液相质量流量”是空白,请补充.");
}

TEST(CaseJson, KpReadBackUnderKisterIsNamedByItsCaption) {
  json c = Example();
  c["inputs"]["FloodMethod"] = 1;
  c["inputs"]["CalcKp"] = false;
  c["inputs"].erase("Kp");
  EXPECT_EQ(RunCaseJson(c)["error"], "警告:“实验填料因子”是空白,请补充.");
}

TEST(CaseJson, NoPackingAndMissingExperimentalFactor) {
  json c = Example();
  c["packing"] = nullptr;
  json out = RunCaseJson(c);
  EXPECT_TRUE(out["writes"].empty());
  EXPECT_TRUE(out["log"].empty());
  EXPECT_EQ(out["error"], "no packing");  // not a complete run with every result null

  c = Example();
  c["inputs"]["FloodMethod"] = 1;
  c["packing"][14] = "";
  out = RunCaseJson(c);
  EXPECT_TRUE(out["MethodReset"].get<bool>());
  EXPECT_EQ(out["messages"].size(), 1u);
  EXPECT_NE(out["error"].get<std::string>().find("experimental"), std::string::npos);

  c = Example();
  c["inputs"].erase("LiquidFlow");
  c["inputs"].erase("GasDensity");
  EXPECT_EQ(RunCaseJson(c)["error"], "empty input LD, DvD");
  c = Example();
  c["inputs"]["SurfaceTension"] = nullptr;  // hydraulics complete, mass transfer not
  out = RunCaseJson(c);
  EXPECT_FALSE(out["Diameter"].is_null());
  EXPECT_EQ(out["error"], "empty input SLD");
}

// The nominal size is the whole number the size text starts with.
TEST(CaseJson, PackingSizeIsTheLeadingNumberOfItsText) {
  json c = Example();
  c["packing"][2] = "100";
  const json plain = RunCaseJson(c);
  c["packing"][2] = "100mm";
  EXPECT_EQ(RunCaseJson(c)["Holdup"], plain["Holdup"]);
  c["packing"][2] = "10";
  EXPECT_NE(RunCaseJson(c)["Holdup"], plain["Holdup"]);
  c["packing"][2] = "8";
  const json eight = RunCaseJson(c);
  c["packing"][2] = "8mm";
  EXPECT_EQ(RunCaseJson(c)["Holdup"], eight["Holdup"]);
  EXPECT_EQ(RunCaseJson(c)["error"], eight["error"]);
  c["packing"][2] = "mm";
  EXPECT_NE(RunCaseJson(c)["error"].get<std::string>().find("“mm”"), std::string::npos);
}

// Exit status: 0 complete, 2 not a case (nothing on standard output), 3 a run that ended early.
TEST(VelmCalc, ExitStatusForBadInputAndIncompleteRuns) {
  json noPacking = Example();
  noPacking["packing"] = nullptr;
  const std::pair<std::string, int> cases[] = {
      {Example().dump(), 0},
      {noPacking.dump(), 3},
      {R"({"inputs": {"LiquidFlow": 1e999}})", 2},  // beyond double
      {"", 2},
      {std::string("{\"inputs\": {\"LiquidFlow\": \"\xff\xfe\"}}"), 2},  // not UTF-8
  };
  for (const auto& [input, status] : cases) {
    SCOPED_TRACE(input.substr(0, 60));
    const TProcess p = RunCalc("", input);
    EXPECT_EQ(p.Status, status);
    EXPECT_EQ(p.Out.empty(), status == 2);
  }
  EXPECT_EQ(RunCalc("--jsonl", noPacking.dump() + "\n").Status, 3);
  // A folder given as the input file.
  EXPECT_EQ(RunCalc(testing::TempDir(), "").Status, 2);
}

TEST(CaseJson, WrongTypesAreRejectedWithTheirKey) {
  const std::pair<const char*, json> bad[] = {{"LiquidFlow", json::array({1})},
                                              {"FloodMethod", velm::FloodingMethods().size()},
                                              {"AccelMethod", "Aitken"},
                                              {"FloodMethod", 4294967297ULL},
                                              {"AccelMethod", -1},
                                              {"CalcKf", 1},
                                              {"NoSuchInput", 1.0},
                                              {"LegacyMethods", "yes"},
                                              {"Rating", json{{"Diameter", -1}}},
                                              {"Rating", json{{"Diameter", 1}, {"Cases", 5}}},
                                              {"Rating", json{{"Diameter", 1}, {"Z", 5}}}};
  for (const auto& [key, value] : bad) {
    json c = Example();
    c["inputs"][key] = value;
    try {
      RunCaseJson(c);
      ADD_FAILURE() << key << " accepted";
    } catch (const velm::TCaseFormatError& e) {
      EXPECT_NE(std::string(e.what()).find(key), std::string::npos) << e.what();
    }
  }
  json c = Example();
  c["packing"].erase(0);
  EXPECT_THROW(RunCaseJson(c), velm::TCaseFormatError);
  EXPECT_THROW(RunCaseJson(json::array()), velm::TCaseFormatError);
}

TEST(VelmCalc, MalformedJsonExitsNonZeroWithoutOutput) {
  const TProcess p = RunCalc("", "{\"inputs\": ");
  EXPECT_NE(p.Status, 0);
  EXPECT_EQ(p.Out, "");
  EXPECT_NE(RunCalc("", "[1, 2]").Status, 0);
}

// Nesting far beyond what a case needs, and beyond the fuzzers' input length: refused with a
// message instead of overflowing the stack; in a stream the next line is still calculated.
TEST(VelmCalc, DeeplyNestedInputIsRefusedAndTheStreamGoesOn) {
  const std::string deep =
      "{\"inputs\": {\"LiquidFlow\": " + std::string(150000, '[') + std::string(150000, ']') + "}}";
  const TProcess one = RunCalc("", deep);
  EXPECT_EQ(one.Status, 2);
  EXPECT_EQ(one.Out, "");
  const TProcess lines = RunCalc("--jsonl", deep + "\n" + Example().dump() + "\n");
  EXPECT_EQ(lines.Status, 2);
  std::istringstream out(lines.Out);
  std::string l1, l2;
  std::getline(out, l1);
  std::getline(out, l2);
  EXPECT_NE(l1.find("64"), std::string::npos) << l1;
  EXPECT_EQ(json::parse(l2)["DesignVelocity"], RunCaseJson(Example())["DesignVelocity"]);
  EXPECT_EQ(RunCalc("--screen", deep).Status, 2);
}

TEST(VelmCalc, JsonLinesGiveOneResultPerCaseInOrder) {
  json a = Example(), b = Example();
  b["inputs"]["FloodPercent"] = 50;
  const TProcess p = RunCalc("--jsonl", a.dump() + "\n" + "not json\n" + b.dump() + "\n");
  EXPECT_NE(p.Status, 0);  // one bad line
  std::istringstream lines(p.Out);
  std::string l1, l2, l3;
  std::getline(lines, l1);
  std::getline(lines, l2);
  std::getline(lines, l3);
  EXPECT_EQ(json::parse(l1)["DesignVelocity"], RunCaseJson(a)["DesignVelocity"]);
  EXPECT_TRUE(json::parse(l2)["invalid"].get<bool>());
  EXPECT_LT(json::parse(l3)["DesignVelocity"].get<double>(),
            json::parse(l1)["DesignVelocity"].get<double>());
}

TEST(CaseJson, FindingsCarryCodeLevelFieldAndText) {
  json c = Example();
  c["inputs"]["FloodPercent"] = "150";
  const json out = RunCaseJson(c);
  ASSERT_TRUE(out["findings"].is_array());
  const json& first = out["findings"].front();
  EXPECT_EQ(first["level"], "error");
  EXPECT_EQ(first["code"], "flood-percent-over");
  EXPECT_EQ(first["field"], "fpercentD");
  EXPECT_FALSE(first["text"].get<std::string>().empty());
  bool flooding = false;
  for (const json& f : out["findings"]) flooding = flooding || f["code"] == "column-flooding";
  EXPECT_TRUE(flooding);
  // The example is a sound design; its one note says the results are the built column's.
  const json sound = RunCaseJson(Example())["findings"];
  ASSERT_EQ(sound.size(), 1u) << sound;
  EXPECT_EQ(sound[0]["code"], "built-column");
  EXPECT_EQ(sound[0]["level"], "note");
}

TEST(CaseJson, ServiceByKeyCaptionOrIndexJudgesThePressureDrop) {
  auto codes = [](const json& service) {
    json c = Example();
    c["inputs"]["Service"] = service;
    std::set<std::string> s;
    const json out = RunCaseJson(c);
    for (const json& f : out["findings"]) s.insert(f["code"].get<std::string>());
    return s;
  };
  // The example's 570 Pa/m suits distillation, not a vacuum column (82-163 Pa/m).
  EXPECT_FALSE(codes(nullptr).count("pressure-drop-high"));
  EXPECT_FALSE(codes("Distillation").count("pressure-drop-high"));
  for (const json& vacuum : {json("VacuumDistillation"), json("减压精馏"), json(2)})
    EXPECT_TRUE(codes(vacuum).count("pressure-drop-high")) << vacuum;
  for (const json& bad : {json("Vacuum"), json(99), json(true)}) {
    json c = Example();
    c["inputs"]["Service"] = bad;
    EXPECT_THROW(RunCaseJson(c), velm::TCaseFormatError) << bad;
  }
}

// The relation groups before the calculation, on the example's L = 5 kg/s, V = 1.2 kg/s,
// rhoV = 1.19 and rhoL = 998 kg/m3 with the given lambda taken out.
TEST(CaseJson, DeriveRelationsCompletesLambdaSlopeAndVolatilityAsTheWindow) {
  const double fp = 5.0 / 1.2 * std::sqrt(1.19 / 998.0);
  const double n = std::nan("");  // not derived: null
  struct TRow {
    json Inputs;
    double Lambda, Slope, Volatility;
    bool Note;  // no positive volatility for the slope
  } rows[] = {
      // m = 0.9 a / (0.9 a + 0.1), then lambda = m V / L.
      {{{"RelativeVolatility", 2.45}}, 2.205 / 2.305 * 1.2 / 5, 2.205 / 2.305, n, false},
      // a = 0.1 m / (0.9 (1 - m)) from a slope below 1.
      {{{"EquilibriumSlope", 0.93}}, 0.93 * 1.2 / 5, n, 0.093 / 0.063, false},
      {{{"EquilibriumSlope", "1.2"}}, 1.2 * 1.2 / 5, n, n, true},
      // A given lambda gives the slope m = lambda L / V >= 1: no volatility.
      {{{"Lambda", 0.8}}, n, 0.8 * 5 / 1.2, n, true},
      // Everything given: nothing to derive but the flow parameter.
      {{{"Lambda", 0.8}, {"EquilibriumSlope", 0.5}, {"RelativeVolatility", 7}}, n, n, n, false},
  };
  const auto expect = [](const json& v, double x, const std::string& what) {
    if (std::isnan(x)) {
      EXPECT_TRUE(v.is_null()) << what << ": " << v;
    } else {
      ASSERT_TRUE(v.is_number()) << what;
      EXPECT_NEAR(v.get<double>(), x, 1e-13 * std::fabs(x)) << what;
    }
  };
  for (const TRow& r : rows) {
    json c = Example();
    c["inputs"].erase("Lambda");
    c["inputs"]["DeriveRelations"] = true;
    c["inputs"].update(r.Inputs);
    const json out = RunCaseJson(c);
    const std::string what = r.Inputs.dump();
    EXPECT_TRUE(out["error"].is_null()) << what << out["error"];
    const json& d = out["derived"];
    expect(d["FlowParameter"], fp, what);
    expect(out["FlowParameter"], fp, what);  // the calculation's own agrees
    expect(d["Lambda"], r.Lambda, what);
    expect(d["EquilibriumSlope"], r.Slope, what);
    expect(d["RelativeVolatility"], r.Volatility, what);
    const json last = out["findings"].empty() ? json() : out["findings"].back();
    EXPECT_EQ(!last.is_null() && last["code"] == "relation-no-solution", r.Note) << what;
    if (r.Note) {
      EXPECT_EQ(last["field"], "alfD");
    }
    // The calculation ran on the derived lambda: the same as with that lambda typed.
    if (!std::isnan(r.Lambda)) {
      json typed = Example();
      typed["inputs"]["Lambda"] = d["Lambda"];
      EXPECT_EQ(out["HETP"], RunCaseJson(typed)["HETP"]) << what;
    }
  }
  // Screening derives lambda once for every packing.
  json c = Example();
  c["inputs"].erase("Lambda");
  c["inputs"]["RelativeVolatility"] = 2.45;
  c["inputs"]["DeriveRelations"] = true;
  velm::TPackingRecord packing;
  for (size_t i = 0; i < c["packing"].size(); ++i) packing.F[i] = c["packing"][i];
  const json screened = velm::ScreenCaseJson(c, {packing}, 10);
  EXPECT_TRUE(screened[0]["error"].is_null()) << screened[0]["error"];
  EXPECT_TRUE(screened[0]["HETP"].is_number());
}

TEST(CaseJson, DeriveRelationsErrorsStopBeforeTheCalculationAndOldCallersSeeNoChange) {
  const std::string warning = "发现错误，可能是输入数据错误！";
  json c = Example();
  c["inputs"]["DeriveRelations"] = true;
  c["inputs"]["RelativeVolatility"] = "abc";
  json out = RunCaseJson(c);
  EXPECT_EQ(out["error"], "相对挥发度是错误数据\n" + warning);
  EXPECT_TRUE(out["writes"].empty());
  EXPECT_TRUE(out["HETP"].is_null());

  c["inputs"]["RelativeVolatility"] = nullptr;
  c["inputs"]["GasFlow"] = 0;
  out = RunCaseJson(c);
  EXPECT_NE(out["error"].get<std::string>().find("V = 0"), std::string::npos) << out["error"];
  EXPECT_EQ(out["messages"], json::array({warning}));
  EXPECT_TRUE(out["writes"].empty());

  // Without the flag: no "derived", and the inputs only the groups read are refused.
  EXPECT_FALSE(RunCaseJson(Example()).contains("derived"));
  for (const char* key : {"EquilibriumSlope", "RelativeVolatility"}) {
    json plain = Example();
    plain["inputs"][key] = 0.5;
    EXPECT_THROW(RunCaseJson(plain), velm::TCaseFormatError) << key;
  }
}

// A rated column: the run is made at the given diameter and every load case is rated, the
// first at the run's own flood fraction; without a packing there is nothing to rate.
TEST(CaseJson, RatingRatesEveryCaseAtTheGivenColumn) {
  json c = Example();
  c["inputs"]["Rating"] = {
      {"Diameter", 1.1},
      {"BedHeight", 6},
      {"Cases", {{{"Name", "设计"}}, {{"Name", "+30%"}, {"GasPercent", 130}}}}};
  const json out = RunCaseJson(c);
  ASSERT_TRUE(out["error"].is_null()) << out["error"];
  EXPECT_EQ(out["Diameter"], 1.1);
  const json& r = out["Rating"];
  ASSERT_EQ(r["Cases"].size(), 2u);
  EXPECT_DOUBLE_EQ(r["Cases"][0]["FloodPercent"].get<double>(),
                   100.0 * out["FloodFraction"].get<double>());
  EXPECT_EQ(r["Governing"], 1);
  EXPECT_DOUBLE_EQ(r["Cases"][1]["GasFlow"].get<double>(), 1.3 * 1.2);
  EXPECT_TRUE(r["Window"].is_object());
  c["packing"] = nullptr;
  EXPECT_TRUE(RunCaseJson(c)["Rating"].is_null());
}

// A whole column: every stage of both sections rated at its section's designed column, the
// totals the sums of the sections; a document that cannot be a column says where.
TEST(CaseJson, WholeColumnRatesEveryStageOfEachSection) {
  std::ifstream f(std::string(VELM_SOURCE_DIR) + "/examples/benzene-toluene-column.json");
  const json column = json::parse(f);
  const json out = velm::RunColumnJson(column);
  ASSERT_TRUE(out["error"].is_null()) << out["error"];
  ASSERT_EQ(out["Sections"].size(), 2u);
  double dp = 0, height = 0;
  int stages = 0;
  for (const json& s : out["Sections"]) {
    EXPECT_TRUE(s["Designed"].get<bool>());
    EXPECT_EQ(s["Governing"], s["DesignStage"]);  // the widest stage is the closest to flooding
    dp += s["PressureDrop"].get<double>();
    height += s["Beds"]["Height"].get<double>();
    stages += static_cast<int>(s["Stages"].size());
  }
  EXPECT_EQ(stages, int(column["column"]["stages"].size()));
  EXPECT_DOUBLE_EQ(out["PressureDrop"].get<double>(), dp);
  EXPECT_DOUBLE_EQ(out["Height"].get<double>(), height);
  const std::pair<const char*, json> bad[] = {
      {"column.sections[0].Last", json{{"Last", 99}}},
      {"column.sections[0].packing", json{{"packing", nullptr}}},
      {"column.sections[0].Diameter", json{{"Diameter", -1}}}};
  for (const auto& [where, patch] : bad) {
    json c = column;
    c["column"]["sections"][0].update(patch);
    try {
      velm::RunColumnJson(c);
      ADD_FAILURE() << where << " accepted";
    } catch (const velm::TCaseFormatError& e) {
      EXPECT_NE(std::string(e.what()).find(where), std::string::npos) << e.what();
    }
  }
}

// The analyses of a case from the command line: each asked-for part in the output, and a
// request that cannot be read refused with status 2 rather than answered with defaults.
TEST(VelmCalc, AnalysesOfACaseAndTheirBadRequests) {
  json c = Example();
  c["analysis"] = {
      {"Bands", {{"LiquidDensity", 0.05}}}, {"PackingFactorBand", 0.2}, {"Stages", 10}};
  const TProcess ok =
      RunCalc("--uncertainty 200 --sensitivity --sweep GasFlow:0.6:1.8:4", c.dump());
  ASSERT_EQ(ok.Status, 0) << ok.Out;
  const json out = json::parse(ok.Out);
  EXPECT_LT(out["Uncertainty"]["Hetp"]["P10"], out["Uncertainty"]["Hetp"]["P90"]);
  EXPECT_EQ(out["Sweep"].size(), 4u);
  EXPECT_EQ(out["Sensitivity"].size(), 11u);
  json badBand = c;
  badBand["analysis"]["Bands"] = {{"Nothing", 0.1}};
  for (const auto& [args, input] :
       {std::pair<std::string, std::string>{"--uncertainty 0", c.dump()},
        {"--sweep GasFlow:1:2", c.dump()},
        {"--sweep GasFlow:1:2:1", c.dump()},
        {"--sweep Nothing:1:2:3", c.dump()},
        {"--uncertainty 10", badBand.dump()},
        {"--uncertainty 10 --screen", c.dump()}})
    EXPECT_EQ(RunCalc(args, input).Status, 2) << args;
}
