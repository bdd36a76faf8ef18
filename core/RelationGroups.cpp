#include "core/RelationGroups.h"

#include <cmath>
#include <stdexcept>

#include "base/Errors.h"
#include "base/NumberFormat.h"

namespace velm {

namespace {

std::string Num(double v) {
  if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v > 0 ? "+INF" : "-INF");
  return FormatGeneral(v, 15);
}

// a / b, refusing a zero divisor with a text that names the quantity.
double Div(double a, double b, const char* group, const char* divisor) {
  if (b == 0.0)
    throw TCalcError(std::string("关系组") + group + "：" + divisor + " = 0，不能作除数");
  return a / b;
}

double Sqrt(double a, const char* group, const char* what) {
  if (a < 0.0)
    throw TCalcError(std::string("关系组") + group + "：" + what + " = " + Num(a) +
                     " 为负数，不能开平方");
  return std::sqrt(a);
}

// Group A: flow parameter FP = (L / V) sqrt(rhoV / rhoL).
double FlowParameterResidual(const std::vector<double>& v) {
  const double l = v[0], g = v[1], rhoV = v[2], rhoL = v[3], fp = v[4];
  return Div(l, g, "A", "V") * Sqrt(Div(rhoV, rhoL, "A", "ρL"), "A", "ρV/ρL") - fp;
}

// Group B: liquid load of the rounded column Uls = (dp / d)^2 (L / V) (rhoV / rhoL) Up.
double LiquidLoadResidual(const std::vector<double>& v) {
  const double l = v[0], g = v[1], rhoV = v[2], rhoL = v[3], dp = v[4], d = v[5], up = v[6],
               uls = v[7];
  const double ratio = Div(dp, d, "B", "d");
  return ratio * ratio * Div(l, g, "B", "V") * Div(rhoV, rhoL, "B", "ρL") * up - uls;
}

// Group C: gas load of the rounded column Uvs = (dp / d)^2 Up (same gas flow, larger area).
double GasLoadResidual(const std::vector<double>& v) {
  const double dp = v[0], d = v[1], up = v[2], uvs = v[3];
  const double ratio = Div(dp, d, "C", "d");
  return ratio * ratio * up - uvs;
}

// Group D: slope of the equilibrium line from the relative volatility, m = 0.9 a / (0.9 a + 0.1).
double EquilibriumSlopeResidual(const std::vector<double>& v) {
  const double alpha = v[0], m = v[1];
  return 0.9 * alpha - (0.9 * alpha + 0.1) * m;
}

// Group E: stripping factor lambda = m V / L.
double StrippingFactorResidual(const std::vector<double>& v) {
  const double m = v[0], g = v[1], l = v[2], lambda = v[3];
  return Div(m * g, l, "E", "L") - lambda;
}

// Group D has a positive relative volatility only for 0 < m < 1: alpha = m / (9 (1 - m)).
std::string EquilibriumNoSolution(const std::vector<double>& v, std::size_t p) {
  if (p != 0) return {};
  const double m = v[1];
  if (m > 0.0 && m < 1.0) return {};
  return "平衡线斜率 m = " + FormatGeneral(m, 6) +
         " 时相对挥发度 α 无正解（m = 0.9α/(0.9α+0.1) 只在 0 < m < 1 时有解），α 留空；"
         "α 不参与计算。";
}

}  // namespace

const std::vector<TRelationGroup>& RelationGroups() {
  static const std::vector<TRelationGroup> groups{
      {"A", kColorRed, {"LD", "VD", "DvD", "DlD", "FpD"}, FlowParameterResidual, 1.2345},
      {"B",
       kColorSkyBlue,
       {"LD", "VD", "DvD", "DlD", "dpD", "dD", "UpD", "UlsD"},
       LiquidLoadResidual,
       1.2345},
      {"C", kColorMoneyGreen, {"dpD", "dD", "UpD", "UvsD"}, GasLoadResidual, 1.2345},
      {"D", kColorOlive, {"alfD", "meD"}, EquilibriumSlopeResidual, 0.2345, EquilibriumNoSolution},
      {"E", kColorSilver, {"meD", "VD", "LD", "LmdD"}, StrippingFactorResidual, 1.2345},
  };
  return groups;
}

double NewtonSolve(std::vector<double> values, std::size_t p, const TRelation& relation,
                   double x0) {
  if (p >= values.size()) throw std::out_of_range("NewtonSolve: position outside the values");
  values[p] = x0;
  double lambda = 1.0;  // damping
  const double h = 1e-6;
  int hits = 0, rounds = 0;
  const auto f = [&](double at) {
    values[p] = at;
    const double r = relation(values);
    if (!std::isfinite(r)) throw TCalcError("关系式的残差不是有限数值（x = " + Num(at) + "）");
    return r;
  };
  do {
    const double x = values[p];
    const double fm2 = f(x - 2 * h), fm1 = f(x - h), f0 = f(x), fp1 = f(x + h), fp2 = f(x + 2 * h);
    const double d = (fm2 - 8 * fm1 + 8 * fp1 - fp2) / (12 * h);
    const double delta = std::fabs(d) > 1e-50 ? lambda * f0 / d : 0.0;
    // The damping enters twice: the applied step is lambda^2 f / f'.
    values[p] = x - lambda * delta;
    if (!std::isfinite(values[p])) throw TCalcError("关系式的牛顿迭代发散（x = " + Num(x) + "）");
    const double r = std::fabs(x) <= 1e-8 ? std::fabs(x) : std::fabs(lambda * delta / x);
    if (r < 1e-5) ++hits;  // counted over the whole run, not necessarily in a row
    if (++rounds > 20) {
      rounds = 0;
      lambda /= 2;
      values[p] = x0;
    }
  } while (hits < 2);
  return values[p];
}

bool ApplyDerived(TRelationField& field, int color, double v) {
  if (!field.IsEmpty()) {
    const double old = field.Value();
    const double diff = old == 0.0 ? std::fabs(v - old) : std::fabs((v - old) / old);
    if (diff < 1e-6) return false;
  }
  field.SetDerived(v, color);
  return true;
}

TRelationField* SolveGroup(const TRelationGroup& group, const std::vector<TRelationField*>& fields,
                           TRelationReporter& reporter) {
  if (fields.size() != group.FFields.size())
    throw std::logic_error("relation group " + group.FName + ": wrong number of fields");
  int empties = 0;
  std::size_t empty = 0;
  TRelationField* derived = nullptr;
  std::size_t derivedAt = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    TRelationField* f = fields[i];
    if (f->IsEmpty() && f->IsEnabled()) {
      ++empties;
      empty = i;
    }
    if (f->Color() == group.FColor && f->MyResolved()) {
      derived = f;
      derivedAt = i;
    }
  }
  if (empties > 1) return nullptr;

  const auto noSolution = [&](const std::vector<double>& values, std::size_t p) {
    if (!group.FNoSolution) return false;
    const std::string text = group.FNoSolution(values, p);
    if (text.empty()) return false;
    reporter.Note(group.FFields[p], text);
    return true;
  };
  const auto apply = [&](TRelationField* f, double v) {
    return ApplyDerived(*f, group.FColor, v) ? f : nullptr;
  };
  // Clearing a field with the group's mark always changes it.
  const auto clear = [](TRelationField* f) {
    f->ClearDerived();
    return f;
  };
  try {
    std::vector<double> values(fields.size(), 0.0);
    const auto read = [&] {
      for (std::size_t i = 0; i < fields.size(); ++i)
        if (!fields[i]->IsEmpty()) values[i] = fields[i]->Value();
    };
    read();
    if (empties == 1) {
      if (derived) return clear(derived);  // an input went: wait for the user
      if (!fields[empty]->MyResolved()) return nullptr;
      if (noSolution(values, empty)) return nullptr;
      return apply(fields[empty], NewtonSolve(values, empty, group.FResidual, group.FGuess));
    }
    if (derived) {
      read();
      if (noSolution(values, derivedAt)) return clear(derived);
      return apply(derived, NewtonSolve(values, derivedAt, group.FResidual, values[derivedAt]));
    }
    return nullptr;
  } catch (const TSilentAbort&) {
    throw;  // the field's message carried the warning
  } catch (...) {
    reporter.Warning(kRelationGroupWarning);
    throw;
  }
}

void RunRelationGroups(const std::vector<std::vector<TRelationField*>>& fields,
                       TRelationReporter& reporter) {
  const auto& groups = RelationGroups();
  if (fields.size() != groups.size())
    throw std::logic_error("relation groups: wrong number of field lists");
  // Each pass that changes a field starts again at A. Derived marks settle within a few passes;
  // a limit keeps inconsistent marks (e.g. from a damaged project file) from looping forever.
  for (int pass = 0; pass < 100; ++pass) {
    SolveGroup(groups[0], fields[0], reporter);  // its result is not looked at
    bool changed = false;
    for (std::size_t g = 1; g < groups.size() && !changed; ++g)
      changed = SolveGroup(groups[g], fields[g], reporter) != nullptr;
    if (!changed) return;
  }
  throw TCalcError("关系组反复修改字段，无法得到一致的输入");
}

}  // namespace velm
