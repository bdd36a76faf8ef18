#include "core/CalcTrace.h"

#include <algorithm>
#include <array>

#include "core/Correlations.h"
#include "core/DesignCase.h"
#include "core/DesignDocument.h"
#include "core/Methods.h"

namespace velm {

namespace {

// Sources, as the help's list of references gives them.
constexpr const char* kEckert = "Eckert, Chem. Eng. Prog. 66(3), 39 (1970)，通用压降关联图";
constexpr const char* kKisterGill =
    "Kister & Gill, Chem. Eng. Prog. 87(2), 32 (1991)；Strigle, Packed Tower Design, 2nd ed. "
    "(1994)，通用压降关联图";
constexpr const char* kKister2007 =
    "Kister, Scherffius, Afshar & Abkar, Chem. Eng. Prog. (2007)，容量参数用运动粘度 ν = μL/ρL";
constexpr const char* kOnda = "Onda, Takeuchi & Okumoto, J. Chem. Eng. Japan 1, 56 (1968)";
constexpr const char* kBuchanan = "Buchanan, Ind. Eng. Chem. Fundam. (1969)，环形填料持液量";
constexpr const char* kMorrisJackson = "Morris & Jackson, Absorption Towers (1953)，最小润湿速率";
constexpr const char* kPacking = "填料表（本程序）";

// The source of the chart a flooding method reads; empty for a method of its own correlations.
const char* ChartSource(const TCalcTrace& trace) {
  if (trace.FloodMethod == "Eckert-Orvik") return kEckert;
  if (trace.FloodMethod == "Kister-Orvik") return kKisterGill;
  return "";
}

// Values of a step, written as they are read.
TTraceValue In(const char* symbol, const char* name, double v, const char* unit) {
  return {symbol, name, v, unit, kInputDigits};
}
TTraceValue Mid(const char* symbol, const char* name, double v, const char* unit) {
  return {symbol, name, v, unit, kValueDigits};
}
TTraceValue Out(const char* symbol, const char* name, double v, const char* unit) {
  return {symbol, name, v, unit, kResultDigits};
}
// A constant of a fitted curve, to ten digits (the cell keeps them all).
TTraceValue Constant(const char* symbol, const char* name, double v) {
  return {symbol, name, v, "", 10};
}

constexpr std::array<const char*, 8> kCoefficient = {"c0", "c1", "c2", "c3",
                                                     "c4", "c5", "c6", "c7"};
constexpr std::array<const char*, 4> kPointX = {"x1", "x2", "x3", "x4"};
constexpr std::array<const char*, 4> kPointY = {"y1", "y2", "y3", "y4"};

// The chart points of a fit window: n points, row 0 the pressure drops [Pa/m], row 1 the
// capacities; and the fitted polynomial's coefficients (highest power first) as c_degree .. c0.
void AddWindow(TTraceStep& step, const mnMatrix& window, int n, const mnMatrix& coef, int degree) {
  for (int j = 0; j < n && j < 4; ++j) {
    step.Values.push_back(Mid(kPointX[size_t(j)], "曲线点：纵坐标", window[1][size_t(j)], ""));
    step.Values.push_back(Mid(kPointY[size_t(j)], "曲线点：压降", window[0][size_t(j)], "Pa/m"));
  }
  for (int k = 0; k <= degree && k < int(coef.size()); ++k)
    step.Values.push_back(
        Constant(kCoefficient[size_t(degree - k)], "插值多项式系数", coef[size_t(k)][0]));
}

}  // namespace

void TCalcTrace::Put(TTraceStep step) {
  for (TTraceStep& s : FSteps)
    if (std::string_view(s.Id) == step.Id) {
      s = std::move(step);
      return;
    }
  FSteps.push_back(std::move(step));
}

const TTraceStep* TCalcTrace::Find(std::string_view id) const {
  for (const TTraceStep& s : FSteps)
    if (id == s.Id) return &s;
  return nullptr;
}

const TTraceValue* TCalcTrace::Value(std::string_view id, std::string_view symbol) const {
  const TTraceStep* step = Find(id);
  if (!step) return nullptr;
  for (const auto* list : {&step->Results, &step->Values, &step->Inputs})
    for (const TTraceValue& v : *list)
      if (symbol == v.Symbol) return &v;
  return nullptr;
}

void TraceRunStart(TCalcTrace* trace, const TDesignCase& dc, const TPackingNumbers& pk,
                   const char* packingFactorText) {
  if (!trace) return;
  trace->FloodMethod = FloodingMethodAt(dc.FloodMethod).Name();
  const TMassTransferMethod* own = FloodingMethodAt(dc.FloodMethod).MassTransfer(pk);
  trace->MassTransferMethod = (own ? *own : MassTransferMethodAt(0)).Name();
  trace->Basis = CalculationBasisItems()[dc.LegacyMethods ? 1 : 0];
  const auto& accel = AccelerationItems();
  trace->Acceleration = dc.AccelMethod >= 0 && dc.AccelMethod < int(accel.size())
                            ? accel[size_t(dc.AccelMethod)]
                            : std::string();
  TTraceStep s;
  s.Id = "packing";
  s.Title = "填料数据";
  s.Equation = "取自所选填料的数据行";
  s.Source = kPacking;
  s.Inputs = {In("dn", "公称尺寸", pk.NominalSize, "m"),
              In("a", "比表面积", pk.SpecificArea, "m2/m3"),
              In("σc", "临界表面张力", pk.CriticalSurfaceTension, "N/m"),
              Constant("Af", "泛点因子拟合常数 A", pk.KfA),
              Constant("Bf", "泛点因子拟合斜率 B", pk.KfB),
              Constant("Ap", "压降因子拟合常数 A", pk.KpA),
              Constant("Bp", "压降因子拟合斜率 B", pk.KpB)};
  s.Note =
      std::string("泛点因子拟合：") + (pk.KfLogForm ? "t = B·lg X" : "t = B·X") +
      "；压降因子拟合：" + (pk.KpLogForm ? "t = B·lg X" : "t = B·X") +
      (packingFactorText && *packingFactorText ? std::string("；实测填料因子：") + packingFactorText
                                               : std::string());
  trace->Put(std::move(s));
}

void TraceFlowParameter(TCalcTrace* trace, double L, double V, double rhoL, double rhoV,
                        double FP) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "flow-parameter";
  s.Title = "流动参数";
  s.Equation = "FP = (L/V)·(ρV/ρL)^0.5";
  s.Source = kEckert;
  s.Inputs = {In("L", "液相质量流量", L, "kg/s"), In("V", "气相质量流量", V, "kg/s"),
              In("ρL", "液相密度", rhoL, "kg/m3"), In("ρV", "气相密度", rhoV, "kg/m3")};
  s.Results = {Out("FP", "流动参数", FP, "")};
  trace->Put(std::move(s));
}

void TraceFactor(TCalcTrace* trace, bool flooding, TFactorOrigin origin, double A, double B,
                 bool logForm, double X, double K) {
  if (!trace) return;
  TTraceStep s;
  s.Id = flooding ? "factor-flooding" : "factor-pressure-drop";
  s.Title = flooding ? "泛点湿填料因子" : "压降湿填料因子";
  const char* symbol = flooding ? "Kf" : "Kp";
  switch (origin) {
    case TFactorOrigin::Fitted:
      s.Equation = std::string(symbol) + " = 10^(A + sign(t)·min(A/2, |t|))，" +
                   (logForm ? "t = B·lg X" : "t = B·X");
      s.Source = kPacking;
      s.Inputs = {Constant("A", "拟合常数", A), Constant("B", "拟合斜率", B),
                  In("X", "泛点液相负荷（末次迭代）", X, "m3/(m2·h)")};
      s.Note = "湿填料因子随泛点液相负荷变化，在泛点迭代中与 X 一起求得";
      break;
    case TFactorOrigin::Experimental:
      s.Equation = std::string(symbol) + " = 实测填料因子";
      s.Source = "填料表：实测（干）填料因子；Kister, Distillation Design (1992), Ch. 8";
      break;
    case TFactorOrigin::Given:
      s.Equation = std::string(symbol) + " = 输入值";
      s.Source = "用户输入";
      break;
  }
  s.Results = {Out(symbol, s.Title, K, "1/m")};
  trace->Put(std::move(s));
}

void TraceEckertFlood(TCalcTrace* trace, const TFloodingState& st, double Yflood, double Uf) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "chart-reading";
  s.Title = "关联图读数：泛点线";
  s.Equation =
      "ln Yf = Σ cj·u^j（u = lg FP，泛点线拟合）；Uf = [Yf·9.807 / "
      "(Kf·(1000/ρL)·(ρV/ρL)·μL^0.2)]^0.5";
  s.Source = kEckert;
  s.Inputs = {In("FP", "流动参数", st.FP, ""), In("Kf", "泛点湿填料因子", st.Kf, "1/m"),
              In("ρL", "液相密度", st.rhoL, "kg/m3"), In("ρV", "气相密度", st.rhoV, "kg/m3"),
              In("μL", "液相粘度", st.muL, "Pa·s")};
  const auto line = EckertFloodLine();
  for (size_t j = 0; j < line.size(); ++j)
    s.Values.push_back(Constant(kCoefficient[j], "泛点线系数", line[j]));
  s.Values.push_back(Mid("Yf", "泛点线纵坐标", Yflood, ""));
  s.Results = {Out("Uf", "泛点气速", Uf, "m/s")};
  trace->Put(std::move(s));
}

void TraceKisterFlood(TCalcTrace* trace, const TFloodingState& st, double dPflood,
                      const mnMatrix& window, const mnMatrix& coef, double CPflood, double Uf) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "chart-reading";
  s.Title = "关联图读数：泛点压降下的容量参数";
  s.Equation = std::string("ΔPf = ") + (st.Legacy ? "40.196" : "40.91") +
               "·Kp^0.7；CPf 在 FP 处两条等压降线之间直线插值：CPf = c1·ΔPf + c0；" +
               "Uf = CPf·(Kp·ρV/(ρL − ρV))^−0.5·" + (st.Legacy ? "μL^−0.05" : "ν^−0.05");
  s.Source = kKisterGill;
  s.Inputs = {In("FP", "流动参数", st.FP, ""), In("Kp", "实验填料因子", st.Kp, "1/m"),
              In("ρL", "液相密度", st.rhoL, "kg/m3"), In("ρV", "气相密度", st.rhoV, "kg/m3"),
              In("μL", "液相粘度", st.muL, "Pa·s")};
  s.Values.push_back(Mid("ΔPf", "泛点压降", dPflood, "Pa/m"));
  // The window runs along the pressure drops here: x is the pressure drop, y the capacity.
  for (int j = 0; j < 2; ++j) {
    s.Values.push_back(Mid(kPointX[size_t(j)], "曲线点：压降", window[0][size_t(j)], "Pa/m"));
    s.Values.push_back(Mid(kPointY[size_t(j)], "曲线点：容量参数", window[1][size_t(j)], ""));
  }
  for (int k = 0; k <= 1 && k < int(coef.size()); ++k)
    s.Values.push_back(Constant(kCoefficient[size_t(1 - k)], "插值直线系数", coef[size_t(k)][0]));
  s.Values.push_back(Mid("CPf", "泛点容量参数", CPflood, ""));
  s.Results = {Out("Uf", "泛点气速", Uf, "m/s")};
  s.Note = st.Legacy ? "旧版算法：常数 40.196，容量参数用动力粘度 μL [Pa·s]" : kKister2007;
  trace->Put(std::move(s));
}

void TracePlacement(TCalcTrace* trace, std::string_view resultName, double x,
                    const mnMatrix& window, const mnMatrix& coef, double dP) {
  if (!trace) return;
  TTraceStep s;
  if (resultName == "△Pf") {
    s.Id = "placement-flood";
    s.Title = "泛点在压降曲线上的位置";
  } else if (resultName == "△P") {
    s.Id = "placement-design";
    s.Title = "设计点的压降";
  } else if (resultName == "△Pm") {
    s.Id = "placement-80";
    s.Title = "80 % 负荷点的压降";
  } else {
    s.Id = "placement-column";
    s.Title = "实际塔径操作点的压降";
  }
  s.Equation = "ΔP = c3·x³ + c2·x² + c1·x + c0，过纵坐标 x 两侧四个曲线点 (xi, yi) 的三次插值";
  s.Source = ChartSource(*trace);
  s.Inputs = {In("x", "关联图纵坐标", x, "")};
  AddWindow(s, window, 4, coef, 3);
  s.Results = {Out("ΔP", "压降", dP, "Pa/m")};
  s.Note =
      "纵坐标随气速变化：Eckert 型 x = (U/Uf)²·xf，Kister 型 x = (U/Uf)·xf（xf 为泛点的纵坐标）";
  trace->Put(std::move(s));
}

void TraceIteration(TCalcTrace* trace, double loadPerVelocity, double Uf, double X, int steps,
                    bool converged) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "iteration";
  s.Title = "泛点迭代";
  s.Equation = "X = (L/V)·(ρV/ρL)·Uf·3600，直到相邻两次 X 之差 ≤ 0.0001 m3/(m2·h)";
  s.Inputs = {In("Uf", "泛点气速", Uf, "m/s")};
  s.Values = {Mid("(L/V)·(ρV/ρL)", "液气体积比", loadPerVelocity, "")};
  s.Results = {Out("X", "泛点液相负荷", X, "m3/(m2·h)")};
  s.Note = "加速方法 " + trace->Acceleration + "，迭代 " + std::to_string(steps) + " 次" +
           (converged ? "，已收敛" : "，未收敛");
  trace->Put(std::move(s));
}

void TraceDesignVelocity(TCalcTrace* trace, double percent, double foaming, double f, double Uf,
                         double Up) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "design-velocity";
  s.Title = "设计气速";
  s.Equation = "f = 泛点预设 × 发泡系数 / 100；Up = f·Uf";
  s.Inputs = {In("泛点预设", "泛点预设", percent, "%"), In("发泡系数", "液体发泡系数", foaming, ""),
              In("Uf", "泛点气速", Uf, "m/s")};
  s.Values = {Mid("f", "设计泛点分率", f, "")};
  s.Results = {Out("Up", "设计气速（空速）", Up, "m/s")};
  trace->Put(std::move(s));
}

void TraceDiameter(TCalcTrace* trace, double V, double Up, double rhoV, double dp, double D,
                   bool legacy, bool given) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "diameter";
  s.Title = given ? "理论塔径与核算塔径" : "塔径及圆整";
  s.Equation = given ? "dp = [4V/(π·Up·ρV)]^0.5；D = 核算塔径（给定）"
                     : "dp = [4V/(π·Up·ρV)]^0.5；D = 标准塔径";
  s.Inputs = {In("V", "气相质量流量", V, "kg/s"), In("Up", "设计气速", Up, "m/s"),
              In("ρV", "气相密度", rhoV, "kg/m3")};
  s.Results = {Out("dp", "理论塔径", dp, "m"), Out("D", "实际塔径", D, "m")};
  s.Note = given ? "核算：按已有塔的直径计算，dp 为设计泛点率所需的塔径，仅供比较"
           : legacy ? "旧版算法：取最近的标准尺寸（可小于 dp）"
                    : "取不小于 dp 的标准尺寸：100 mm 以下每 10 mm，1000 mm 以下每 50 mm，"
                      "其上每 100 mm";
  trace->Put(std::move(s));
}

void TraceColumn(TCalcTrace* trace, double V, double D, double rhoV, double Uvs, double Uf,
                 double F, double loadPerVelocity, double Uls) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "column";
  s.Title = "实际塔径下的负荷与泛点率";
  s.Equation = "Uvs = 4V/(π·D²·ρV)；F = Uvs/Uf；Uls = (L/V)·(ρV/ρL)·Uvs";
  s.Inputs = {In("V", "气相质量流量", V, "kg/s"), In("D", "实际塔径", D, "m"),
              In("ρV", "气相密度", rhoV, "kg/m3"), In("Uf", "泛点气速", Uf, "m/s"),
              In("(L/V)·(ρV/ρL)", "液气体积比", loadPerVelocity, "")};
  s.Results = {Out("Uvs", "气相负荷", Uvs, "m/s"), Out("F", "实际泛点率", 100.0 * F, "%"),
               Out("Uls", "液相负荷", Uls, "m/s")};
  trace->Put(std::move(s));
}

void TracePressureDrop(TCalcTrace* trace, bool legacy, double F, const TOperatingPoint& point) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "pressure-drop";
  s.Title = "湿塔压降";
  s.Equation = legacy ? "ΔP = 设计点的压降" : "ΔP = 实际塔径操作点的压降（泛点率 F）";
  s.Source = ChartSource(*trace);
  s.Inputs = {In("F", "实际泛点率", 100.0 * F, "%"), In("x", "关联图纵坐标", point.Capacity, "")};
  s.Results = {Out("ΔP", "湿塔压降（每米）", point.PressureDrop, "Pa/m")};
  trace->Put(std::move(s));
}

void TraceHoldup(TCalcTrace* trace, double muL, double Uls, double rhoL, double dn, double h) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "holdup";
  s.Title = "持液量";
  s.Equation = "h = 2.2·[μL·Uls/(g·ρL·dn²)]^(1/3) + 1.8·[Uls²/(g·dn)]^(1/2)，g = 9.81 m/s2";
  s.Source = kBuchanan;
  s.Inputs = {In("μL", "液相粘度", muL, "Pa·s"), In("Uls", "液相负荷", Uls, "m/s"),
              In("ρL", "液相密度", rhoL, "kg/m3"), In("dn", "公称尺寸", dn, "m")};
  s.Results = {Out("h", "持液量", h, "m3/m3")};
  trace->Put(std::move(s));
}

void TraceWetting(TCalcTrace* trace, double Uls, double a, double dn, double minimumRate,
                  double percent) {
  if (!trace) return;
  TTraceStep s;
  s.Id = "wetting";
  s.Title = "润湿率";
  s.Equation =
      "饱和喷淋 = 100·(Uls·3600)/(MWR·a)，取整（0.5 取偶）；MWR = 0.08 m3/(m·h)（dn < "
      "75 mm），否则 0.12";
  s.Source = kMorrisJackson;
  s.Inputs = {In("Uls", "液相负荷", Uls, "m/s"), In("a", "比表面积", a, "m2/m3"),
              In("dn", "公称尺寸", dn, "m")};
  s.Values = {Mid("MWR", "最小润湿速率", minimumRate, "m3/(m·h)")};
  s.Results = {Out("饱和喷淋", "喷淋密度/最小喷淋密度", percent, "%")};
  trace->Put(std::move(s));
}

void TraceOnda(TCalcTrace* trace, const TMassTransferState& st, double Lw, double Gw,
               const TOndaResult& film, double enhanceL, double enhanceG, double area,
               const THeights& h) {
  if (!trace) return;
  const TPackingNumbers& pk = *st.Packing;
  const char* velocityNote = st.Legacy ? "旧版算法：Lw = X·ρL/3600（泛点），Gw = (V/L)·Lw"
                                       : "Lw = 4L/(π·D²)，Gw = 4V/(π·D²)（实际塔径）";
  {
    TTraceStep s;
    s.Id = "wetted-area";
    s.Title = "润湿面积 aw";
    s.Equation =
        "aw/a = 1 − exp[−1.45·(σc/σL)^0.75·(Lw/(a·μL))^0.1·(Lw²·a/(ρL²·g))^−0.05·(Lw²/(ρL·σL·a))"
        "^0.2]，g = 9.807 m/s2";
    s.Source = kOnda;
    s.Inputs = {In("Lw", "液相质量速度", Lw, "kg/(m2·s)"),
                In("a", "比表面积", pk.SpecificArea, "m2/m3"),
                In("σc", "临界表面张力", pk.CriticalSurfaceTension, "N/m"),
                In("σL", "液相表面张力", st.sigmaL, "N/m"),
                In("μL", "液相粘度", st.muL, "Pa·s"),
                In("ρL", "液相密度", st.rhoL, "kg/m3")};
    s.Results = {Out("aw/a", "润湿比", film.WettedRatio, ""),
                 Out("aw", "润湿面积", film.WettedRatio * pk.SpecificArea, "m2/m3")};
    s.Note = velocityNote;
    trace->Put(std::move(s));
  }
  {
    TTraceStep s;
    s.Id = "kL";
    s.Title = "液膜传质系数 kL";
    s.Equation = "kL = 0.0051·(Lw/(aw·μL))^(2/3)·(μL/(ρL·DL))^(−1/2)·(μL·g/ρL)^(1/3)·(a·dn)^0.4";
    s.Source = kOnda;
    s.Inputs = {In("Lw", "液相质量速度", Lw, "kg/(m2·s)"),
                In("aw", "润湿面积", film.WettedRatio * pk.SpecificArea, "m2/m3"),
                In("μL", "液相粘度", st.muL, "Pa·s"),
                In("ρL", "液相密度", st.rhoL, "kg/m3"),
                In("DL", "液相扩散系数", st.DL, "m2/s"),
                In("dn", "公称尺寸", pk.NominalSize, "m")};
    s.Results = {Out("kL", "液膜传质系数", film.kL, "m/s")};
    if (st.Legacy) {
      s.Values = {Mid("EL", "液膜增强系数 1 + 2.6(F − 0.5)^2.2", enhanceL, "")};
      s.Results.push_back(Out("kL·EL", "增强后的 kL", film.kL * enhanceL, "m/s"));
      s.Note = "旧版算法：F > 0.5 时乘以增强系数（无文献依据）";
    }
    trace->Put(std::move(s));
  }
  {
    TTraceStep s;
    s.Id = "kG";
    s.Title = "气膜传质系数 kG";
    s.Equation =
        "kG = C·(Gw/(a·μV))^0.7·(μV/(ρV·DV))^(1/3)·(a·DV)·(a·dn)^−2，C = 5.23（dn > "
        "15 mm），否则 2.0";
    s.Source = kOnda;
    s.Inputs = {
        In("Gw", "气相质量速度", Gw, "kg/(m2·s)"), In("a", "比表面积", pk.SpecificArea, "m2/m3"),
        In("μV", "气相粘度", st.muV, "Pa·s"),      In("ρV", "气相密度", st.rhoV, "kg/m3"),
        In("DV", "气相扩散系数", st.DV, "m2/s"),   In("dn", "公称尺寸", pk.NominalSize, "m")};
    s.Results = {Out("kG", "气膜传质系数", film.kG, "m/s")};
    if (st.Legacy) {
      s.Values = {Mid("EG", "气膜增强系数 1 + 9.5(F − 0.5)^1.4", enhanceG, "")};
      s.Results.push_back(Out("kG·EG", "增强后的 kG", film.kG * enhanceG, "m/s"));
      s.Note = "旧版算法：F > 0.5 时乘以增强系数（无文献依据）";
    }
    trace->Put(std::move(s));
  }
  {
    TTraceStep s;
    s.Id = "htu";
    s.Title = "传质单元高度";
    s.Equation =
        "Gm = 4V/(π·D²)，Lm = 4L/(π·D²)；HTUV = Gm/(kG·a′·ρV)；HTUL = Lm/(kL·a′·ρL)；"
        "HTUOV = HTUV + λ·HTUL";
    s.Source = kOnda;
    s.Inputs = {In("V", "气相质量流量", st.V, "kg/s"),
                In("L", "液相质量流量", st.L, "kg/s"),
                In("D", "实际塔径", st.D, "m"),
                In("kG", "气膜传质系数", film.kG * enhanceG, "m/s"),
                In("kL", "液膜传质系数", film.kL * enhanceL, "m/s"),
                In("a′", "传质面积", area, "m2/m3"),
                In("ρV", "气相密度", st.rhoV, "kg/m3"),
                In("ρL", "液相密度", st.rhoL, "kg/m3"),
                In("λ", "参数λ", st.lambda, "")};
    s.Results = {Out("HTUV", "气相传质单元高度", h.HTUV, "m"),
                 Out("HTUL", "液相传质单元高度", h.HTUL, "m"),
                 Out("HTUOV", "总传质单元高度", h.HTUOV, "m")};
    s.Note = st.Legacy ? "旧版算法：a′ = a（总比表面积）" : "a′ = aw（膜系数以润湿面积为基准）";
    trace->Put(std::move(s));
  }
  {
    TTraceStep s;
    s.Id = "hetp";
    s.Title = "等板高度";
    s.Equation = "HETP = HTUOV·ln λ/(λ − 1)（λ 取不小于 0.01；λ = 1 时 HETP = HTUOV）";
    s.Source = "Perry's Chemical Engineers' Handbook, Sec. 14：由 HTUOV 求 HETP";
    s.Inputs = {In("HTUOV", "总传质单元高度", h.HTUOV, "m"),
                In("λ", "参数λ", std::max(st.lambda, 0.01), "")};
    s.Results = {Out("HETP", "等板高度", h.HETP, "m")};
    trace->Put(std::move(s));
  }
}

}  // namespace velm
