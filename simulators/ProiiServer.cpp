#include "simulators/ProiiServer.h"

#include <map>
#include <memory>

#include "automation/AutoObject.h"
#include "automation/Servers.h"
#include "simulators/ProiiSnapshot.h"

namespace velm {
namespace {

using TSnap = std::shared_ptr<const TProiiSnapshot>;

// A stream created in the database: empty until a tray's phase is copied into it.
struct TStreamState {
  bool Filled = false;
  bool Vapour = false;
  bool Calculated = false;
  TProiiPhase Phase;
};

// Objects answer GetAttribute(name[, index]) from a table of readers.
class TAttributeObject : public TDispatch {
 public:
  using TReader = std::function<TVariant(const TArgs&)>;
  explicit TAttributeObject(std::string type) : TDispatch(std::move(type)) {
    DefineMethod("GetAttribute", [this](const TArgs& a) {
      const std::string name = Arg("GetAttribute", a, 0).ToString();
      auto it = FAttributes.find(name);
      if (it == FAttributes.end()) Fail("没有属性“" + name + "”");
      return it->second(TArgs(a.begin() + 1, a.end()));
    });
  }

 protected:
  void Attribute(const std::string& name, TReader reader) { FAttributes[name] = std::move(reader); }
  // Element `index` (from 0) of a list of `count` entries, or the server's error.
  size_t Index(const std::string& attribute, const TArgs& a, size_t count) const {
    const std::int64_t i = Arg(attribute, a, 0).ToInt64();
    if (i < 0 || static_cast<size_t>(i) >= count)
      Fail(attribute + " 的索引 " + std::to_string(i) + " 超出范围（共 " + std::to_string(count) +
           " 项）");
    return static_cast<size_t>(i);
  }

 private:
  std::map<std::string, TReader, TNoCaseLess> FAttributes;
};

class TColumnObject : public TAttributeObject {
 public:
  TColumnObject(TSnap s, const TProiiColumn* c) : TAttributeObject("Column“" + c->Name + "”") {
    Attribute("NumberOfTrays", [s, c](const TArgs&) { return TVariant(c->NumberOfTrays); });
    Attribute("RefluxRatio", [s, c](const TArgs&) { return TVariant(c->RefluxRatio); });
    Attribute("NumberOfHeaters",
              [s, c](const TArgs&) { return TVariant(static_cast<int>(c->Heaters.size())); });
    Attribute("HeaterNames", [this, s, c](const TArgs& a) {
      return TVariant(c->Heaters[Index("HeaterNames", a, c->Heaters.size())].Name);
    });
    Attribute("HeaterDuties", [this, s, c](const TArgs& a) {
      return TVariant(c->Heaters[Index("HeaterDuties", a, c->Heaters.size())].Duty);
    });
  }
};

class TColumnInObject : public TAttributeObject {
 public:
  TColumnInObject(TSnap s, const TProiiColumn* c) : TAttributeObject("ColumnIn“" + c->Name + "”") {
    Attribute("CurrentFeeds",
              [s, c](const TArgs&) { return TVariant(static_cast<int>(c->Feeds.size())); });
    Attribute("FeedTrays", [this, s, c](const TArgs& a) {
      return TVariant(c->Feeds[Index("FeedTrays", a, c->Feeds.size())].Tray);
    });
  }
};

class TStreamObject : public TAttributeObject {
 public:
  TStreamObject(std::shared_ptr<TStreamState> st, const std::string& name)
      : TAttributeObject("Stream“" + name + "”") {
    const auto phase = [this, st](double TProiiPhase::*member) {
      if (!st->Filled) Fail("物流是空的，没有数据");
      return TVariant(st->Phase.*member);
    };
    Attribute("Temperature", [phase](const TArgs&) { return phase(&TProiiPhase::Temperature); });
    Attribute("Pressure", [phase](const TArgs&) { return phase(&TProiiPhase::Pressure); });
    Attribute("TotalMolarRate", [phase](const TArgs&) { return phase(&TProiiPhase::MolarRate); });
  }
};

class TBulkPropObject : public TAttributeObject {
 public:
  TBulkPropObject(std::shared_ptr<TStreamState> st, const std::string& name)
      : TAttributeObject("SrBulkProp“" + name + "”") {
    struct TProp {
      const char* Suffix;
      double TProiiPhase::*Member;
    };
    static const TProp props[] = {{"DensityAct", &TProiiPhase::Density},
                                  {"Viscosity", &TProiiPhase::Viscosity},
                                  {"SurfTension", &TProiiPhase::SurfaceTension},
                                  {"ThermalCond", &TProiiPhase::ThermalCond},
                                  {"MwOfPhase", &TProiiPhase::MolecularWeight}};
    for (bool vapour : {false, true})
      for (const TProp& p : props)
        Attribute(std::string(vapour ? "Vap" : "Liq") + p.Suffix,
                  [this, st, vapour, m = p.Member](const TArgs&) {
                    if (!st->Calculated) Fail("物流的性质尚未计算");
                    if (st->Vapour != vapour)
                      Fail(std::string("物流中没有") + (vapour ? "汽相" : "液相"));
                    return TVariant(st->Phase.*m);
                  });
  }
};

class TDatabase : public TDispatch {
 public:
  explicit TDatabase(TSnap s) : TDispatch("Database"), FSnap(std::move(s)) {
    DefineGet("Status", [this](const TArgs&) { return TVariant(FSnap->Status); });
    DefineMethod("GetObjectCount", [this](const TArgs& a) {
      RequireColumnClass("GetObjectCount", a);
      return TVariant(static_cast<int>(FSnap->Columns.size()));
    });
    DefineMethod("GetObjectNames", [this](const TArgs& a) {
      RequireColumnClass("GetObjectNames", a);
      const std::int64_t i = Arg("GetObjectNames", a, 1).ToInt64();
      if (i < 0 || static_cast<size_t>(i) >= FSnap->Columns.size())
        Fail("Column 的索引 " + std::to_string(i) + " 超出范围");
      return TVariant(FSnap->Columns[static_cast<size_t>(i)].Name);
    });
    DefineMethod("CalculateUnitProps", [this](const TArgs& a) {
      FindColumn(Arg("CalculateUnitProps", a, 0).ToString());
      return TVariant();
    });
    DefineMethod("ActivateObject", [this](const TArgs& a) { return Activate(a); });
    DefineMethod("CreateObject", [this](const TArgs& a) {
      RequireStreamClass("CreateObject", a);
      const std::string name = Arg("CreateObject", a, 1).ToString();
      // A stream left over from a read that stopped part-way is replaced by the new, empty
      // one; refusing the name would make every later tray read of this file fail.
      if (!FStreams.count(name) && FStreams.size() >= 100) Fail("临时物流太多");
      FStreams[name] = std::make_shared<TStreamState>();
      return TVariant(true);
    });
    DefineMethod("DeleteObject", [this](const TArgs& a) {
      RequireStreamClass("DeleteObject", a);
      const std::string name = Arg("DeleteObject", a, 1).ToString();
      if (!FStreams.erase(name)) Fail("没有物流“" + name + "”");
      return TVariant(true);
    });
    DefineMethod("CopyTrayToStream", [this](const TArgs& a) {
      const TProiiColumn& c = FindColumn(Arg("CopyTrayToStream", a, 0).ToString());
      const std::int64_t tray = Arg("CopyTrayToStream", a, 1).ToInt64();
      const std::int64_t phase = Arg("CopyTrayToStream", a, 2).ToInt64();
      const auto& stream = FindStream(Arg("CopyTrayToStream", a, 5).ToString());
      if (tray < 1 || tray > c.NumberOfTrays)
        Fail("塔器“" + c.Name + "”没有第 " + std::to_string(tray) + " 块塔板（共 " +
             std::to_string(c.NumberOfTrays) + " 块）");
      if (phase != 1 && phase != 2)
        Fail("相态代码 " + std::to_string(phase) + " 无效（1 汽相，2 液相）");
      const TProiiTray& t = c.Trays[static_cast<size_t>(tray - 1)];
      *stream = {true, phase == 1, false, phase == 1 ? t.Vapour : t.Liquid};
      return TVariant(true);
    });
    DefineMethod("CalculateStreamProps", [this](const TArgs& a) {
      const auto& stream = FindStream(Arg("CalculateStreamProps", a, 0).ToString());
      if (!stream->Filled) Fail("物流是空的，无法计算性质");
      stream->Calculated = true;
      return TVariant(true);
    });
  }

 private:
  void RequireColumnClass(const std::string& member, const TArgs& a) const {
    const std::string cls = Arg(member, a, 0).ToString();
    if (!SameTextNoCase(cls, "Column")) Fail("不支持的对象类“" + cls + "”");
  }
  void RequireStreamClass(const std::string& member, const TArgs& a) const {
    const std::string cls = Arg(member, a, 0).ToString();
    if (!SameTextNoCase(cls, "Stream")) Fail("不支持的对象类“" + cls + "”");
  }
  const TProiiColumn& FindColumn(const std::string& name) const {
    for (const auto& c : FSnap->Columns)
      if (SameTextNoCase(c.Name, name)) return c;
    Fail("没有塔器“" + name + "”");
  }
  const std::shared_ptr<TStreamState>& FindStream(const std::string& name) const {
    auto it = FStreams.find(name);
    if (it == FStreams.end()) Fail("没有物流“" + name + "”");
    return it->second;
  }
  TVariant Activate(const TArgs& a) {
    const std::string cls = Arg("ActivateObject", a, 0).ToString();
    const std::string name = Arg("ActivateObject", a, 1).ToString();
    if (SameTextNoCase(cls, "Column"))
      return TVariant(std::make_shared<TColumnObject>(FSnap, &FindColumn(name)));
    if (SameTextNoCase(cls, "ColumnIn"))
      return TVariant(std::make_shared<TColumnInObject>(FSnap, &FindColumn(name)));
    if (SameTextNoCase(cls, "Stream"))
      return TVariant(std::make_shared<TStreamObject>(FindStream(name), name));
    if (SameTextNoCase(cls, "SrBulkProp"))
      return TVariant(std::make_shared<TBulkPropObject>(FindStream(name), name));
    Fail("不支持的对象类“" + cls + "”");
  }

  TSnap FSnap;
  std::map<std::string, std::shared_ptr<TStreamState>, TNoCaseLess> FStreams;
};

class TServer : public TDispatch {
 public:
  TServer() : TDispatch("SimSciDbs.Database") {
    DefineMethod("Initialize", [this](const TArgs&) {
      FReady = true;
      return TVariant(true);
    });
    DefineMethod("SetOption", [this](const TArgs& a) {
      FOptions[Arg("SetOption", a, 0).ToString()] = Arg("SetOption", a, 1).ToString();
      return TVariant(true);
    });
    DefineMethod("OpenDatabase", [this](const TArgs& a) {
      if (!FReady) Fail("服务器尚未初始化");
      const std::string path = Arg("OpenDatabase", a, 0).ToString();
      try {
        return TVariant(std::make_shared<TDatabase>(
            std::make_shared<const TProiiSnapshot>(ReadProiiSnapshot(path))));
      } catch (const TAutomationError&) {
        throw;
      } catch (const std::exception& e) {
        throw TAutomationError(e.what(), TypeName());
      }
    });
  }

 private:
  bool FReady = false;
  std::map<std::string, std::string, TNoCaseLess> FOptions;
};

}  // namespace

TVariant MakeProiiServer() { return TVariant(std::make_shared<TServer>()); }

void RegisterProiiServer() {
  RegisterServer(kProiiServerName, {.Attach = {}, .Create = [] { return MakeProiiServer(); }});
}

}  // namespace velm
