#include "cli/CaseJson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "cli/JsonParse.h"
#include "cli/RatingJson.h"
#include "core/Calculate.h"
#include "core/Methods.h"
#include "core/PlainFields.h"
#include "core/RelationGroups.h"
#include "core/Services.h"
#include "core/Validity.h"

namespace velm {

namespace {

using nlohmann::json;

// Shortest text that reads back as exactly the same double.
std::string ExactText(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// The text of a field or list given as a number, a string, or null/missing (empty).
std::string TextOf(const json& v, const std::string& key) {
  if (v.is_null()) return {};
  if (v.is_string()) return v.get<std::string>();
  if (v.is_number()) return ExactText(v.get<double>());
  throw TCaseFormatError("inputs." + key + " must be a number, a string or null");
}

int IndexOf(const json& inputs, const char* key, int dflt, int max) {
  if (!inputs.contains(key) || inputs[key].is_null()) return dflt;
  const json& v = inputs[key];
  if (!v.is_number_integer())
    throw TCaseFormatError(std::string("inputs.") + key + " must be an integer");
  // Checked on the JSON number itself: 4294967297 is not 1.
  const bool inRange = v.is_number_unsigned()
                           ? v.get<std::uint64_t>() <= static_cast<std::uint64_t>(max)
                           : v.get<std::int64_t>() >= 0 && v.get<std::int64_t>() <= max;
  const int i = inRange ? static_cast<int>(v.get<std::int64_t>()) : -1;
  if (!inRange)
    throw TCaseFormatError(std::string("inputs.") + key + " must be between 0 and " +
                           std::to_string(max));
  return i;
}

bool FlagOf(const json& inputs, const char* key, bool dflt) {
  if (!inputs.contains(key)) return dflt;
  const json& v = inputs[key];
  if (v.is_null()) return false;
  if (!v.is_boolean())
    throw TCaseFormatError(std::string("inputs.") + key + " must be true or false");
  return v.get<bool>();
}

json Point(const TOperatingPoint& p) {
  if (!p.Placed) return nullptr;
  return {{"Capacity", p.Capacity}, {"PressureDrop", p.PressureDrop}};
}

// A field of the relation groups over a text of the case, as a window field in its SI unit.
class TPlainRelationField final : public TRelationField {
 public:
  TPlainRelationField(std::string& text, std::string caption, bool resolved, TPlainFields& fields)
      : FText(text), FCaption(std::move(caption)), FResolved(resolved), FFields(fields) {}

  bool IsEmpty() const override { return Trim(FText).empty(); }
  bool IsEnabled() const override { return true; }
  double Value() override {
    const std::string_view t = Trim(FText);
    if (auto v = ParseNumber(t)) return *v;
    const std::string msg = (t.empty() ? EmptyFieldMessage(FCaption) : BadFieldMessage(FCaption)) +
                            "\n" + kRelationGroupWarning;
    FFields.Messages.push_back(msg);
    FFields.AbortMessage = msg;
    FText = " ";
    throw TSilentAbort{};
  }
  std::optional<int> Color() const override { return FMark; }
  bool MyResolved() const override { return FResolved; }
  void SetDerived(double v, int color) override {
    if (!std::isfinite(v)) throw TCalcError("计算错误: " + FCaption + " 不是有限数值");
    FText = FormatField(v);
    FMark = color;
  }
  void ClearDerived() override {
    FText.clear();
    FMark.reset();
  }
  // The value the groups derived, as the field holds it; nothing when they derived none.
  std::optional<double> Derived() const { return FMark ? ParseNumber(Trim(FText)) : std::nullopt; }

 private:
  std::string& FText;
  std::string FCaption;
  bool FResolved;
  TPlainFields& FFields;
  std::optional<int> FMark;  // colour of the group that derived the value
};

// The group warning goes with the message boxes, the notes to the case's notes, each once.
class TPlainRelationReporter final : public TRelationReporter {
 public:
  TPlainRelationReporter(TPlainFields& fields, TCaseRelations& relations)
      : FFields(fields), FRelations(relations) {}
  void Warning(const std::string& text) override { FFields.Messages.push_back(text); }
  void Note(const std::string& field, const std::string& text) override {
    auto& notes = FRelations.Notes;
    const std::pair<std::string, std::string> note{field, text};
    if (std::find(notes.begin(), notes.end(), note) == notes.end()) notes.push_back(note);
  }

 private:
  TPlainFields& FFields;
  TCaseRelations& FRelations;
};

}  // namespace

void DeriveCaseRelations(TParsedCase& parsed, TCaseRelations& relations) {
  if (!parsed.DeriveRelations) return;
  TPlainFields& fields = parsed.Fields;
  // Every field of the groups once; a field of several groups is one object in all of them.
  std::vector<std::pair<std::string, std::unique_ptr<TPlainRelationField>>> all;
  const auto field = [&](const std::string& name) -> TPlainRelationField* {
    for (auto& [n, f] : all)
      if (n == name) return f.get();
    std::unique_ptr<TPlainRelationField> made;
    // The window's required inputs: the groups never derive them.
    const bool resolved = name != "LD" && name != "VD" && name != "DvD" && name != "DlD";
    for (int i = 0; i < kFieldCount && !made; ++i) {
      const auto f = static_cast<TField>(i);
      if (name == FieldName(f))
        made = std::make_unique<TPlainRelationField>(fields[f], fields.DisplayName(f), resolved,
                                                     fields);
    }
    if (!made) throw std::logic_error("relation groups: no plain field " + name);
    all.emplace_back(name, std::move(made));
    return all.back().second.get();
  };
  std::vector<std::vector<TRelationField*>> groups;
  for (const TRelationGroup& g : RelationGroups()) {
    std::vector<TRelationField*> list;
    for (const std::string& name : g.FFields) list.push_back(field(name));
    groups.push_back(std::move(list));
  }
  const auto collect = [&] {
    relations.FlowParameter = field("FpD")->Derived();
    relations.Lambda = field("LmdD")->Derived();
    relations.EquilibriumSlope = field("meD")->Derived();
    relations.RelativeVolatility = field("alfD")->Derived();
  };
  TPlainRelationReporter reporter(fields, relations);
  try {
    RunRelationGroups(groups, reporter);
  } catch (...) {
    collect();
    throw;
  }
  collect();
}

TParsedCase ParseCaseJson(const json& input) {
  if (!input.is_object()) throw TCaseFormatError("the case must be a JSON object");
  const json inputs = input.contains("inputs") ? input["inputs"] : json::object();
  if (!inputs.is_object()) throw TCaseFormatError("\"inputs\" must be an object");

  static const char* const kOptionKeys[] = {
      "FoamingFactor", "FloodPercent",  "FloodMethod",     "AccelMethod",      "CalcKf",
      "CalcKp",        "LegacyMethods", "DeriveRelations", "EquilibriumSlope", "RelativeVolatility",
      "Service",       "Rating"};
  for (auto it = inputs.begin(); it != inputs.end(); ++it) {
    bool known = false;
    for (const TFieldInfo& fi : FieldRegistry())
      known = known || (fi.CaseInput && it.key() == fi.JsonKey);
    for (const char* k : kOptionKeys) known = known || it.key() == k;
    if (!known) throw TCaseFormatError("unknown input \"" + it.key() + "\"");
  }

  TParsedCase parsed;
  TDesignCase& dc = parsed.Case;
  TPlainFields& fields = parsed.Fields;
  for (const TFieldInfo& fi : FieldRegistry())
    if (fi.CaseInput && inputs.contains(fi.JsonKey))
      fields[fi.Field] = TextOf(inputs[fi.JsonKey], fi.JsonKey);
  if (inputs.contains("FoamingFactor"))
    dc.FoamingFactorText = TextOf(inputs["FoamingFactor"], "FoamingFactor");
  if (inputs.contains("FloodPercent"))
    dc.FloodPercentText = TextOf(inputs["FloodPercent"], "FloodPercent");
  dc.FloodMethod =
      IndexOf(inputs, "FloodMethod", 0, static_cast<int>(FloodingMethods().size()) - 1);
  dc.AccelMethod = IndexOf(inputs, "AccelMethod", 0, 3);
  dc.CalcKf = FlagOf(inputs, "CalcKf", true);
  dc.CalcKp = FlagOf(inputs, "CalcKp", true);
  dc.LegacyMethods = FlagOf(inputs, "LegacyMethods", false);
  parsed.DeriveRelations = FlagOf(inputs, "DeriveRelations", false);
  for (auto [key, text] : {std::pair{"EquilibriumSlope", &fields[TField::meD]},
                           std::pair{"RelativeVolatility", &fields[TField::alfD]}}) {
    if (!inputs.contains(key)) continue;
    *text = TextOf(inputs[key], key);
    // Without the groups nothing reads them: refused rather than silently left out.
    if (!text->empty() && !parsed.DeriveRelations)
      throw TCaseFormatError(std::string("inputs.") + key +
                             " is used only with \"DeriveRelations\": true");
  }
  // The service by its key ("VacuumDistillation"), its caption or its index; absent or null:
  // not given.
  if (inputs.contains("Service") && !inputs["Service"].is_null()) {
    const json& s = inputs["Service"];
    dc.Service = s.is_string()
                     ? ServiceIndexOf(s.get<std::string>())
                     : IndexOf(inputs, "Service", 0, static_cast<int>(Services().size()) - 1);
    if (dc.Service < 0) {
      std::string keys;
      for (const TService& sv : Services()) keys += std::string(keys.empty() ? "" : ", ") + sv.Key;
      throw TCaseFormatError("inputs.Service must be one of " + keys);
    }
  }
  if (inputs.contains("Rating") && !inputs["Rating"].is_null()) {
    TRatingRequest rating = ParseRatingJson(inputs["Rating"]);
    dc.GivenDiameter = rating.Diameter;
    parsed.BedHeight = rating.BedHeight;
    parsed.RatingCases = std::move(rating.Cases);
  }
  fields.KpCaption = FloodingMethodAt(dc.FloodMethod).KpCaption();

  if (input.contains("packing") && !input["packing"].is_null()) {
    TPackingRecord packing;
    const json& p = input["packing"];
    if (!p.is_array() || p.size() < TPackingRecord::kRequiredColumns ||
        p.size() > TPackingRecord::kColumns)
      throw TCaseFormatError("\"packing\" must be an array of 15 or 16 texts or null");
    for (size_t i = 0; i < p.size(); ++i) {
      if (p[i].is_string())
        packing.F[i] = p[i].get<std::string>();
      else if (p[i].is_number())
        packing.F[i] = ExactText(p[i].get<double>());
      else if (!p[i].is_null())
        throw TCaseFormatError("packing[" + std::to_string(i) + "] must be a text");
    }
    parsed.Packing = packing;
  }
  return parsed;
}

json RunCaseJson(const json& input) {
  TParsedCase parsed = ParseCaseJson(input);
  TDesignCase& dc = parsed.Case;
  TPlainFields& fields = parsed.Fields;
  TPlainLog log;
  TCaseRelations relations;
  json error = nullptr;
  try {
    // As the window: when the groups fail, the calculation does not run.
    DeriveCaseRelations(parsed, relations);
    Calculate(dc, parsed.Packing ? &*parsed.Packing : nullptr, log, fields);
  } catch (const TSilentAbort&) {
    error = fields.AbortMessage ? json(*fields.AbortMessage) : json(nullptr);
  } catch (const std::exception& e) {
    error = e.what();
  }
  // A run that ended early without an error (no packing, an empty input, no convergence) is
  // not a result: say so, or a script takes the missing values for a calculation.
  if (error.is_null() && !dc.Stopped.empty()) error = dc.Stopped;

  json out;
  out["LegacyMethods"] = dc.LegacyMethods;  // the calculation basis the results were made on
  // Every result the registry names: the design case's named value, else the run's value.
  for (const TFieldInfo& fi : FieldRegistry()) {
    if (fi.Role == TFieldRole::Input || !fi.JsonKey) continue;
    out[fi.JsonKey] = Opt(fi.Member ? dc.*fi.Member : dc.Values[static_cast<size_t>(fi.Field)]);
  }
  out["WettingSufficient"] = Opt(dc.WettingSufficient);
  out["IterationCount"] = Opt(dc.IterationCount);
  out["Converged"] = Opt(dc.Converged);
  out["HydraulicsDone"] = dc.HydraulicsDone;

  const bool curves = dc.CurveCount > 0;
  out["CurveCount"] = curves ? json(dc.CurveCount) : json(nullptr);
  json pd = json::array(), cap = json::array();
  for (int i = 0; i < dc.CurveCount; ++i) {
    pd.push_back(dc.Curves[0][i]);
    cap.push_back(dc.Curves[1][i]);
  }
  out["CurvePressureDrop"] = curves ? pd : json(nullptr);
  out["CurveCapacity"] = curves ? cap : json(nullptr);
  out["FloodPoint"] = Point(dc.FloodPoint);
  out["DesignPoint"] = Point(dc.DesignPoint);
  out["Load80Point"] = Point(dc.Load80Point);
  if (dc.ColumnPoint.Placed) out["ColumnPoint"] = Point(dc.ColumnPoint);

  json writes = json::array();
  for (const auto& w : fields.Writes)
    writes.push_back(w.Caption ? json::array({w.Name, *w.Caption})
                               : json::array({w.Name, w.Value}));
  out["writes"] = writes;
  out["log"] = log.Texts();
  out["messages"] = fields.Messages;
  out["MethodReset"] = fields.MethodReset;
  out["error"] = error;
  json findings = json::array();
  for (const TFinding& f : CheckValidity(dc, parsed.Packing ? &*parsed.Packing : nullptr))
    findings.push_back(
        {{"code", f.Code}, {"level", LevelKey(f.Level)}, {"field", f.Field}, {"text", f.Text}});
  for (const auto& [field, text] : relations.Notes)
    findings.push_back({{"code", "relation-no-solution"},
                        {"level", LevelKey(TFindingLevel::Note)},
                        {"field", field},
                        {"text", text}});
  out["findings"] = findings;
  if (dc.GivenDiameter) {
    out["Rating"] = nullptr;
    if (dc.HydraulicsDone && parsed.Packing) {
      TRatingInput in;
      in.Options = dc;
      in.Inputs = InputValues(fields, &dc.Latest);
      in.Diameter = *dc.GivenDiameter;
      in.BedHeight = parsed.BedHeight;
      in.Cases = parsed.RatingCases;
      out["Rating"] = RatingJson(RateColumn(in, *parsed.Packing));
    }
  }
  if (parsed.DeriveRelations)
    out["derived"] = {{"FlowParameter", Opt(relations.FlowParameter)},
                      {"Lambda", Opt(relations.Lambda)},
                      {"EquilibriumSlope", Opt(relations.EquilibriumSlope)},
                      {"RelativeVolatility", Opt(relations.RelativeVolatility)}};
  return out;
}

}  // namespace velm
