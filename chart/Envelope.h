#pragma once
// The numbers of the operating-performance chart: the envelope loads of the column from the
// minimum wetting load to flooding, the load percentages written in the labels, the sampled
// pressure-drop curve of the chosen flooding method with its flooding extension, the axis
// extents of both diagrams and the sides of the load labels. Everything is recomputed for each
// drawing; nothing here is kept between two.
//
// Plain C++: the chart page reads the field values and the design case and hands them in.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/DesignCase.h"
#include "core/DesignDocument.h"
#include "core/Rating.h"

namespace velm {

// Loads of the operating line [kg/s]. Every load keeps the design ratio V/L, so all points lie on
// one ray through the origin.
struct TEnvelopeLoads {
  double L = 0, V = 0;        // design
  double Lmin = 0, Vmin = 0;  // minimum wetting load
  double L80 = 0, V80 = 0;    // 80 % of flooding
  double Lf = 0, Vf = 0;      // flooding
};

// Loads from the design loads L, V [kg/s], the wetting percentage Um [%] (liquid load as a
// percentage of the minimum wetting load) and the design percentage of flooding f [%]:
//   Lmin = 100 L / Um, Vmin = V Lmin / L, L80 = 80 L / f, V80 = 80 V / f, Lf = 1.25 L80, Vf = 1.25
//   V80.
// A zero or non-finite operand, or a non-finite load, throws TCalcError naming the quantity.
TEnvelopeLoads EnvelopeLoads(double L, double V, double Um, double f);

// Load percentages of the labels: each 100 x load / design load, rounded half to even.
struct TLoadPercents {
  int Nmin = 0;  // minimum load (= 10000 / Um)
  int N80 = 0;   // 80 % load (= 8000 / f)
  int Nf = 0;    // flooding load (= 10000 / f)
};
TLoadPercents LoadPercents(const TEnvelopeLoads& loads);

// Index of the last point of the pressure-drop curve drawn for a flooding method (TFloodMethod)
// at the flow parameter FP [-]: Eckert-Orvik 10 up to FP 0.25, 9 up to 1, else 8; Kister-Orvik 5.
int LastCurveIndex(int floodMethod, double FP);

// One point of a diagram in data units.
struct TChartPoint {
  double X = 0, Y = 0;
};

// Axis ends of the pressure-drop/capacity diagram (both axes start at 0).
struct TPressureDropAxes {
  double PressureDropEnd = 0;  // [Pa/m]: max(2000, dPf) for Eckert-Orvik, max(1300, dPf) else
  double CapacityEnd = 0;      // max(Cp of the top curve point, Cpf) + 0.001
  double PressureDropHint = 10;
  double CapacityHint = 0.01;
};

// Axis ends and interval hints of the load diagram [kg/s]: 1.1 x flooding load, hint a tenth of it.
struct TLoadAxes {
  double LEnd = 0, VEnd = 0, LHint = 0, VHint = 0;
};

// Where a label stands beside its point.
enum class TLabelSide {
  Left,        // right-aligned, ending left of the point, centred vertically
  RightBelow,  // left-aligned, right of the point, its top at the point
  RightAbove,  // left-aligned, right of the point, its bottom at the point
};

// A load label: its anchor, side and text (UTF-8). Leading or trailing blanks are part of the text.
struct TLoadLabel {
  TChartPoint At;
  TLabelSide Side = TLabelSide::Left;
  std::string Text;
};

// Everything both diagrams are drawn from.
struct TEnvelope {
  int FloodMethod = 0;  // stored index of the flooding method (core/Methods.h)
  double FlowParameter = 0;
  int LastIndex = 0;                      // a: curve points 0 ... a are drawn
  std::vector<TChartPoint> CurvePoints;   // (dP [Pa/m], Cp), a + 1 of them
  std::vector<TChartPoint> CurveSamples;  // 51 samples from point 0 to point a
  bool FloodExtension = false;            // dashed segment from point a to the flooding point
  TChartPoint Design, Flood, Load80;      // operating points (dP [Pa/m], Cp)
  bool Rated = false;                     // Design is a rated column's operating point
  TPressureDropAxes PressureDropAxes;
  TEnvelopeLoads Loads;
  TLoadPercents Percents;
  TLoadAxes LoadAxes;
  TLoadLabel MinLabel, DesignLabel, Load80Label, FloodLabel;
  // A rated column: its limits on the load diagram and the operating window along the line
  // (core/Rating.h); the operating points are then at the column's own flood fraction.
  std::optional<TLoadLines> RatingLines;
  std::optional<TOperatingWindow> Window;
};

// Builds the envelope from the loads and the design case of the last complete run (curve set and
// operating points). Throws TCalcError when the case holds no usable curve for the method (too few
// points, operating points not placed) or a sample is not finite.
TEnvelope BuildEnvelope(const TDesignCase& dc, const TEnvelopeLoads& loads);

// The envelope of a run document, as the window's chart page draws it: the loads from the
// shown liquid and gas flows, wetting percentage and design percentage (a rated column: its own
// flood fraction, and its limits and window), the curves of the run.
// Nothing when the run did not give the hydraulic results (a field empty or stale). Throws
// TCalcError when a load cannot be formed.
std::optional<TEnvelope> DocumentEnvelope(const TDesignDocument& doc);

// Chart number texts: 4 significant digits; exponentDigits pads an exponent (0: none).
std::string ChartNumber(double value, int exponentDigits = 0);

}  // namespace velm
