#include "simulators/HysysServer.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "automation/AutoObject.h"
#include "automation/Servers.h"
#include "automation/Settings.h"

namespace velm {
namespace {

using TCase = std::shared_ptr<const THysysCase>;

// A number with its own object, as the simulator hands out measured variables.
class TRealVariable : public TDispatch {
 public:
  explicit TRealVariable(double value) : TDispatch("RealVariable") {
    DefineGet("", [value](const TArgs&) { return TVariant(value); });
    DefineGet("Value", [value](const TArgs&) { return TVariant(value); });
  }
};

TVariant Real(double value) { return TVariant(std::make_shared<TRealVariable>(value)); }

// A collection of objects made on demand.
class TCollection : public TDispatch {
 public:
  TCollection(std::string type, std::vector<std::string> names,
              std::function<TVariant(size_t)> make)
      : TDispatch(std::move(type)), FNames(std::move(names)), FMake(std::move(make)) {
    DefineGet("Count", [this](const TArgs&) { return TVariant(static_cast<int>(FNames.size())); });
    DefineGet("Item", [this](const TArgs& a) { return Item(Arg("Item", a, 0)); });
    DefineGet("", [this](const TArgs& a) { return Item(Arg("Item", a, 0)); });
  }

 private:
  TVariant Item(const TVariant& key) {
    if (key.Kind() == TVariant::TKind::Text) {
      const std::string name = key.ToString();
      for (size_t i = 0; i < FNames.size(); ++i)
        if (SameTextNoCase(FNames[i], name)) return FMake(i);
      Fail("没有名为“" + name + "”的对象");
    }
    const std::int64_t i = key.ToInt64();
    if (i < 0 || i >= static_cast<std::int64_t>(FNames.size()))
      Fail("索引 " + std::to_string(i) + " 超出范围（共 " + std::to_string(FNames.size()) +
           " 项，从 0 起计）");
    return FMake(static_cast<size_t>(i));
  }

  std::vector<std::string> FNames;
  std::function<TVariant(size_t)> FMake;
};

class TPhase : public TDispatch {
 public:
  TPhase(TCase c, const THysysStream* s, std::string where) : TDispatch(std::move(where)) {
    DefineGet("Viscosity", [c, s, this](const TArgs&) {
      if (!s || !s->Viscosity) Fail("粘度未知");
      return Real(*s->Viscosity);
    });
    DefineGet("SurfaceTension", [c, s, this](const TArgs&) {
      if (!s || !s->SurfaceTension) Fail("表面张力未知");
      return Real(*s->SurfaceTension);
    });
  }
};

class TStream : public TDispatch {
 public:
  TStream(TCase c, const THysysStream* s, bool vapour, std::string where) : TDispatch(where) {
    DefineGet("Name", [where](const TArgs&) { return TVariant(where); });
    DefineGet("MassFlow", [c, s](const TArgs&) { return Real(s->MassFlow); });
    DefineGet("MassDensity", [c, s](const TArgs&) { return Real(s->MassDensity); });
    // Each stream offers every phase; only its own phase carries properties.
    DefineGet("VapourPhase", [c, s, vapour, where](const TArgs&) {
      return TVariant(std::make_shared<TPhase>(c, vapour ? s : nullptr, where + " 汽相"));
    });
    DefineGet("LightLiquidPhase", [c, s, vapour, where](const TArgs&) {
      return TVariant(std::make_shared<TPhase>(c, vapour ? nullptr : s, where + " 轻液相"));
    });
  }
};

class TStage : public TDispatch {
 public:
  TStage(TCase c, const THysysStage* st, std::string where) : TDispatch(where) {
    DefineGet("Name", [st](const TArgs&) { return TVariant(st->Name); });
    DefineGet("SeparationStage", [c, st, where](const TArgs&) {
      return TVariant(std::make_shared<TSeparation>(c, st, where));
    });
  }

 private:
  class TSeparation : public TDispatch {
   public:
    TSeparation(TCase c, const THysysStage* st, const std::string& where)
        : TDispatch(where + " SeparationStage") {
      DefineGet("Vapour", [c, st, where](const TArgs&) {
        return TVariant(std::make_shared<TStream>(c, &st->Vapour, true, where + " 汽相出料"));
      });
      DefineGet("Liquid", [c, st, where](const TArgs&) {
        return TVariant(std::make_shared<TStream>(c, &st->Liquid, false, where + " 液相出料"));
      });
    }
  };
};

class TOperation : public TDispatch {
 public:
  TOperation(TCase c, const THysysOperation* op) : TDispatch(op->Type + "“" + op->Name + "”") {
    DefineGet("Name", [op](const TArgs&) { return TVariant(op->Name); });
    DefineGet("TypeName", [op](const TArgs&) { return TVariant(op->Type); });
    if (!op->IsColumn) return;  // other operations offer no column members
    DefineGet("ColumnFlowsheet", [c, op](const TArgs&) {
      auto fs = std::make_shared<TColumnFlowsheet>(c, op);
      return TVariant(fs);
    });
  }

 private:
  class TColumnFlowsheet : public TDispatch {
   public:
    TColumnFlowsheet(TCase c, const THysysOperation* op)
        : TDispatch("塔器“" + op->Name + "”的子流程") {
      DefineGet("Name", [op](const TArgs&) { return TVariant(op->Name); });
      DefineGet("ColumnStages", [c, op](const TArgs&) {
        std::vector<std::string> names;
        for (const auto& s : op->Stages) names.push_back(s.Name);
        return TVariant(std::make_shared<TCollection>(
            "塔器“" + op->Name + "”的塔板", std::move(names), [c, op](size_t i) {
              return TVariant(std::make_shared<TStage>(
                  c, &op->Stages[i], "塔器“" + op->Name + "”第 " + std::to_string(i) + " 块板"));
            }));
      });
    }
  };
};

class TFlowsheet : public TDispatch {
 public:
  explicit TFlowsheet(TCase c) : TDispatch("Flowsheet") {
    DefineGet("Name", [](const TArgs&) { return TVariant("Case (Main)"); });
    DefineGet("Operations", [c](const TArgs& a) {
      const std::string type = a.empty() || a[0].IsEmpty() ? std::string() : a[0].ToString();
      std::vector<size_t> index;
      std::vector<std::string> names;
      for (size_t i = 0; i < c->Operations.size(); ++i)
        if (type.empty() || SameTextNoCase(c->Operations[i].Type, type)) {
          index.push_back(i);
          names.push_back(c->Operations[i].Name);
        }
      const std::string what = type.empty() ? "操作" : type + " 操作";
      return TVariant(std::make_shared<TCollection>(what, std::move(names), [c, index](size_t k) {
        return TVariant(std::make_shared<TOperation>(c, &c->Operations[index[k]]));
      }));
    });
  }
};

class TDocument : public TDispatch {
 public:
  explicit TDocument(TCase c) : TDispatch("SimulationCase") {
    DefineGet("Title", [c](const TArgs&) { return TVariant(c->Title); });
    DefineGet("Flowsheet", [c](const TArgs&) { return TVariant(std::make_shared<TFlowsheet>(c)); });
  }
};

class THysysApplication : public TDispatch {
 public:
  explicit THysysApplication(TCase c) : TDispatch(kHysysProgId) {
    DefineGet("Version", [](const TArgs&) { return TVariant("case-file 1"); });
    DefineGet("Name", [](const TArgs&) { return TVariant(kHysysProgId); });
    DefineGet("ActiveDocument",
              [c](const TArgs&) { return TVariant(std::make_shared<TDocument>(c)); });
  }
};

// The case last read, kept while its file is unchanged.
struct TCached {
  std::string Path;
  std::filesystem::file_time_type Time;
  std::uintmax_t Size = 0;
  TCase Case;
};

TCase LoadCase(const std::string& path) {
  static TCached cache;
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path, ec);
  const auto size = ec ? 0 : std::filesystem::file_size(path, ec);
  if (!ec && cache.Case && cache.Path == path && cache.Time == time && cache.Size == size)
    return cache.Case;
  auto c = std::make_shared<const THysysCase>(ReadHysysCase(path));
  if (!ec) cache = {path, time, size, c};
  return c;
}

}  // namespace

TVariant MakeHysysApplication(std::shared_ptr<const THysysCase> hysysCase) {
  return TVariant(std::make_shared<THysysApplication>(std::move(hysysCase)));
}

std::string HysysCasePath(std::string* problem) {
  if (const char* p = std::getenv("VELM_HYSYS_CASE"); p && *p) return p;
  const TSettings settings = TSettings::Load();
  if (problem) *problem = settings.Problem();
  std::string path = settings.Value("Simulators", "HysysCase").value_or(std::string());
  // A relative path is taken from the folder of the settings file.
  if (!path.empty() && std::filesystem::path(path).is_relative())
    path = (std::filesystem::path(TSettings::DefaultPath()).parent_path() / path).string();
  return path;
}

void RegisterHysysServer() {
  RegisterServer(kHysysProgId, {.Attach =
                                    [] {
                                      std::string problem;
                                      const std::string path = HysysCasePath(&problem);
                                      if (path.empty())
                                        throw TAutomationError(
                                            "HYSYS 没有运行：设置中没有指定案例文件" +
                                                (problem.empty() ? "" : "（" + problem + "）"),
                                            kHysysProgId);
                                      try {
                                        return MakeHysysApplication(LoadCase(path));
                                      } catch (const TAutomationError&) {
                                        throw;
                                      } catch (const std::exception& e) {
                                        throw TAutomationError(e.what(), kHysysProgId);
                                      }
                                    },
                                .Create = {}});
}

}  // namespace velm
