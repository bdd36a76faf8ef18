#include "simulators/PROIIInterface.h"

#include <QString>
#include <algorithm>
#include <cctype>

#include "automation/Servers.h"
#include "automation/Settings.h"
#include "base/Decimal.h"
#include "base/NumberFormat.h"

namespace velm {

std::string ProiiServerVersion;
TVariant ProiiServer;
TVariant ProiiDatabase;
bool ProiiConnected = false;
TStringList ProiiColumnData;

std::string FindProiiServerVersion() {
  const TSettings settings = TSettings::Load();
  const std::string prefix = kProiiProgIdPrefix;
  for (const std::string& id : settings.SubKeys("CLSID")) {
    const std::string progId = settings.Value("CLSID\\" + id + "\\ProgID").value_or("");
    if (progId.compare(0, prefix.size(), prefix) == 0) return progId.substr(prefix.size(), 4);
  }
  return {};
}

void StartProiiInterface() {
  ProiiServerVersion = FindProiiServerVersion();
  ProiiColumnData.Clear();
}

bool ConnectProii() {
  ProiiConnected = true;
  try {
    if (ProiiServer.IsObject()) {
      ProiiServer.Call("Initialize");
      ProiiServer.Clear();
    }
    ProiiServer = CreateInstance(kProiiProgIdPrefix + ProiiServerVersion);
    ProiiServer.Call("Initialize");
    ProiiServer.Call("SetOption", {"DoublePrecision", "1"});
  } catch (const std::exception& e) {
    ProiiConnected = false;
    ShowSimulatorMessage(QStringLiteral("PROII错误！"), QString::fromStdString(e.what()));
  }
  return ProiiConnected;
}

void OpenProiiDatabase(const std::string& path) {
  ProiiDatabase.Clear();
  if (!ProiiConnected) return;
  ProiiDatabase = ProiiServer.Call("OpenDatabase", {path});
  if (ProiiDatabase.Get("Status").ToInt() > 0)
    ShowSimulatorMessage(QStringLiteral("模拟文件包含错误/警告信息！"));
}

void GetProiiColumns(const TVariant& database, TStrings& list) {
  if (!database.IsObject()) return;
  const int count = database.Call("GetObjectCount", {"Column"}).ToInt();
  list.Clear();
  for (int i = 0; i < count; ++i)
    list.Add(database.Call("GetObjectNames", {"Column", i}).ToString());
}

void GetProiiColumnData(const TVariant& database, const std::string& column, TStrings& list) {
  if (!database.IsObject()) return;
  list.Clear();
  database.Call("CalculateUnitProps", {column});
  TVariant col = database.Call("ActivateObject", {"Column", column});
  list.Add("NumberOfTrays=" + std::to_string(col.Call("GetAttribute", {"NumberOfTrays"}).ToInt()));
  list.Add("RefluxRatio=" + FormatField(col.Call("GetAttribute", {"RefluxRatio"}).ToDouble()));
  const int heaters = col.Call("GetAttribute", {"NumberOfHeaters"}).ToInt();
  for (int i = 0; i < heaters; ++i) {
    const std::string name = col.Call("GetAttribute", {"HeaterNames", i}).ToString();
    const double duty = col.Call("GetAttribute", {"HeaterDuties", i}).ToDouble();
    list.Add(name + "=" + FormatField(duty));
  }
  col.Clear();
  TVariant in = database.Call("ActivateObject", {"ColumnIn", column});
  const int feeds = in.Call("GetAttribute", {"CurrentFeeds"}).ToInt();
  for (int i = 0; i < feeds; ++i)
    list.Add("FeedT" + std::to_string(i) + "=" +
             std::to_string(in.Call("GetAttribute", {"FeedTrays", i}).ToInt()));
}

void GetProiiTrayData(const TVariant& database, const std::string& column, int tray,
                      TStrings& list) {
  if (!database.IsObject()) return;
  database.Call("CalculateUnitProps", {column});
  const TVariant col = database.Call("ActivateObject", {"Column", column});  // held to the end
  list.Clear();
  const auto attr = [](const TVariant& obj, const char* name) {
    return obj.Call("GetAttribute", {name}).ToDouble();
  };
  const auto line = [&list](const char* name, double value) {
    list.Add(std::string(name) + "=" + FormatField(value));
  };

  // The liquid leaving the tray.
  database.Call("CreateObject", {"Stream", "TmpStream"});
  database.Call("CopyTrayToStream", {column, tray, 2, 0, 2, "TmpStream"});
  database.Call("CalculateStreamProps", {"TmpStream"});
  TVariant stream = database.Call("ActivateObject", {"Stream", "TmpStream"});
  TVariant bulk = database.Call("ActivateObject", {"SrBulkProp", "TmpStream"});
  list.Add("============ALL==========================");
  line("Temperature", attr(stream, "Temperature") - 273.15);  // K -> °C
  line("Pressure", attr(stream, "Pressure"));
  list.Add("============Liquid=======================");
  for (const char* name : {"LiqDensityAct", "LiqViscosity", "LiqSurfTension", "LiqThermalCond"})
    line(name, attr(bulk, name));
  const double liquidMoles = attr(stream, "TotalMolarRate");
  line("LiqTotalMolarRate", liquidMoles);
  line("LiqTotalMassRate", liquidMoles * attr(bulk, "LiqMwOfPhase"));
  database.Call("DeleteObject", {"Stream", "TmpStream"});

  // The vapour leaving the tray.
  list.Add("============Vapuid=======================");
  database.Call("CreateObject", {"Stream", "TmpStream1"});
  database.Call("CopyTrayToStream", {column, tray, 1, 0, 2, "TmpStream1"});
  database.Call("CalculateStreamProps", {"TmpStream1"});
  stream = database.Call("ActivateObject", {"Stream", "TmpStream1"});
  bulk = database.Call("ActivateObject", {"SrBulkProp", "TmpStream1"});
  for (const char* name : {"VapDensityAct", "VapViscosity", "VapSurfTension", "VapThermalCond"})
    line(name, attr(bulk, name));
  const double vapourMoles = attr(stream, "TotalMolarRate");
  line("VapTotalMolarRate", vapourMoles);
  line("VapTotalMassRate", vapourMoles * attr(bulk, "VapMwOfPhase"));
  database.Call("DeleteObject", {"Stream", "TmpStream1"});
}

double GetListValue(const TStrings& list, const std::string& name) {
  const QString wanted = QString::fromStdString(name);
  for (int i = 0; i < list.Count(); ++i) {
    const std::string line = list.Strings(i);
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (QString::fromStdString(line.substr(0, eq)).compare(wanted, Qt::CaseInsensitive) == 0)
      return StrToFloat(line.substr(eq + 1));
  }
  return StrToFloat("");
}

TProiiColumnStages GetProiiColumnStages(const TVariant& database, const std::string& column) {
  TProiiColumnStages out;
  TStringList data;
  GetProiiColumnData(database, column, data);
  const int trays = static_cast<int>(GetListValue(data, "NumberOfTrays"));
  // Feeds, and whether the column has a condenser (tray 1) and a reboiler (the last tray): its
  // heaters are named so.
  bool condenser = false, reboiler = false;
  for (const std::string& line : data.Lines()) {
    if (line.rfind("FeedT", 0) == 0)
      out.FeedTrays.push_back(static_cast<int>(StrToFloat(line.substr(line.find('=') + 1))));
    std::string name = line.substr(0, line.find('='));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    condenser = condenser || name.find("CONDENSER") != std::string::npos;
    reboiler = reboiler || name.find("REBOILER") != std::string::npos;
  }
  for (int tray = 1; tray <= std::min(trays, 1000); ++tray) {
    TStringList t;
    GetProiiTrayData(database, column, tray, t);
    TStageLoads s;
    s.Name = condenser && tray == 1      ? std::string("Condenser")
             : reboiler && tray == trays ? std::string("Reboiler")
                                         : std::to_string(tray);
    s.LiquidFlow = GetListValue(t, "LiqTotalMassRate");
    s.LiquidDensity = GetListValue(t, "LiqDensityAct");
    s.LiquidViscosity = GetListValue(t, "LiqViscosity");
    s.SurfaceTension = GetListValue(t, "LiqSurfTension");
    s.GasFlow = GetListValue(t, "VapTotalMassRate");
    s.GasDensity = GetListValue(t, "VapDensityAct");
    s.GasViscosity = GetListValue(t, "VapViscosity");
    out.Stages.push_back(std::move(s));
  }
  return out;
}

void ReleaseProii() {
  ProiiDatabase.Clear();
  ProiiServer.Clear();
}

}  // namespace velm
