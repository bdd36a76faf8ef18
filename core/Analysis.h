#pragma once
// How sure a design is: the packing factor and HETP fitted to plant data, uncertainty bands by
// Monte Carlo through the same calculation, one-at-a-time sensitivity and sweeps.
//
// Deviations of the chart methods from measured pressure drops tend to be systematic rather than
// random (Kister, Scherffius, Afshar & Abkar, "GPDC interpolation: use, misuse and updates", AIChE
// Spring Meeting, 2007), so a packing factor fitted to the plant's own pressure drops is the
// better anchor near the measured loads (Kister, Distillation Design, 1992, Sec. 10.1); the fit
// is local, and the farther a design lies from the measured points the less it says.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/DesignCase.h"
#include "core/PackingRecord.h"

namespace velm {

// The packing with its packing factor multiplied by `ratio`: for the chart methods the factor of
// both fits (columns 7 and 10 hold log10 F) and the published factor (column 14); for
// Billet-Schultes the dry pressure-drop constant C_P,0 (column 15's Cp). A method reads only its
// own, so one record serves every method.
TPackingRecord ScaledPacking(const TPackingRecord& packing, double ratio);

// One measured operating point of the plant: loads and properties (SI, by field), the column's
// diameter, the measured wet pressure drop, and optionally the theoretical stages measured over
// a bed height.
struct TPlantPoint {
  std::string Name;
  std::array<std::optional<double>, kFieldCount> Inputs;
  double Diameter = 0;                 // [m]
  std::optional<double> PressureDrop;  // [Pa/m]
  std::optional<double> BedHeight;     // [m]
  std::optional<double> Stages;        // theoretical stages over BedHeight
};

struct TPointFit {
  std::string Name;
  std::string Error;                               // why the point has no calculated values
  std::optional<double> PressureDrop, Calculated;  // measured and fitted [Pa/m]
  std::optional<double> Residual;                  // (calculated - measured) / measured [%]
  std::optional<double> Hetp, HetpCalculated;      // measured Z/N and calculated (x factor) [m]
};

struct TCalibration {
  // Fitted ÷ table packing factor (a fouling or settling index); empty without pressure drops.
  std::optional<double> FactorRatio;
  // Measured ÷ calculated HETP (geometric mean); empty without measured stages.
  std::optional<double> HetpFactor;
  std::vector<TPointFit> Points;
  std::optional<double> RmsResidual;  // of the pressure drops at the fit [%]
};

// Fits the packing factor ratio by least squares on the logarithms of the pressure drops (golden
// section over ratios 0.1 to 10) and the HETP multiplier at the fitted ratio. Points whose run
// fails keep their error and do not count. Throws TInputError when no point can be used.
TCalibration Calibrate(const TDesignCase& options, const TPackingRecord& packing,
                       const std::vector<TPlantPoint>& points);

// A calibration applied to a design: its packing with the fitted factor.
TPackingRecord CalibratedPacking(const TPackingRecord& packing, const TCalibration& c);

// The inputs an uncertainty, sensitivity or sweep varies: properties and loads.
const std::vector<TField>& VariedFields();

struct TUncertaintyInput {
  TDesignCase Options;  // only the option members are used
  std::array<std::optional<double>, kFieldCount> Inputs;
  double Diameter = 0;           // [m] the column that is built
  std::optional<double> Stages;  // theoretical stages, for the packed height
  // ± of each input and of the packing factor as fractions (0.1 = ±10 %), read as the 95 %
  // range of a log-normal spread about the value.
  std::array<double, kFieldCount> Band{};
  double PackingFactorBand = 0;
  bool CorrelationBands = true;  // the methods' published accuracy (CorrelationSpread)
  double HetpFactor = 1.0;       // a calibration's HETP multiplier
  int Samples = 1000;
  std::uint64_t Seed = 1;
};

// The published accuracy of a method as the log-normal spread of its flooding velocity, pressure
// drop and HETP (standard deviations of the logarithm), with the source of each figure.
struct TCorrelationSpread {
  double Flood = 0, PressureDrop = 0, Hetp = 0;
  std::vector<std::string> Sources;
};
TCorrelationSpread CorrelationSpread(int floodMethod);

struct TPercentiles {
  double P10 = 0, P50 = 0, P90 = 0;
};

struct TMethodResult {
  std::string Method;
  std::string Error;
  std::optional<double> TheoreticalDiameter, FloodPercent, PressureDrop, Hetp;
};

struct TUncertainty {
  int Samples = 0, Failed = 0;
  // [m], [%] of the built column, [Pa/m], [m], [m]
  std::optional<TPercentiles> TheoreticalDiameter, FloodPercent, PressureDrop, Hetp, PackedHeight;
  double FloodProbability = 0;         // share of the samples whose built column floods
  std::vector<TMethodResult> Methods;  // every method that runs, at the nominal inputs
  std::vector<std::string> Sources;
};

// The percentile rows of an uncertainty, in the order every output lists them: the batch word,
// the caption, the SI unit and the percentiles (empty where no sample gave the result).
struct TPercentileRow {
  const char* Word;     // "diameter"
  const char* Caption;  // "理论塔径"
  const char* Unit;     // "m"
  const std::optional<TPercentiles>* Value;
};
std::array<TPercentileRow, 5> PercentileRows(const TUncertainty& u);

// One method's line of the comparison at the nominal inputs, as the window and the report show
// it: "Eckert-Orvik 理论塔径 1.115 m、泛点率 62.2 %、HETP 0.546 m", or "… 不能计算".
std::string MethodResultText(const TMethodResult& m);

// Samples the inputs and the packing factor, runs each sample at the built column, and spreads
// the results by the correlation's accuracy. Reproducible: the same seed gives the same bands.
TUncertainty RunUncertainty(const TUncertaintyInput& in, const TPackingRecord& packing);

// One input's effect: the results at the input -/+ its step, as % change from the nominal.
struct TSensitivity {
  std::optional<TField> Field;                                         // empty: the packing factor
  double Step = 0;                                                     // fraction
  std::optional<double> DiameterLow, DiameterHigh, HetpLow, HetpHigh;  // [%]
};
// Every varied input and the packing factor, each moved by its band (or `step` where it has
// none), largest effect on the theoretical diameter first (a tornado chart's order).
std::vector<TSensitivity> RunSensitivity(const TUncertaintyInput& in, const TPackingRecord& packing,
                                         double step = 0.1);

// `field` from `from` to `to` in `points` equal steps (SI), each run at the built column (at a
// designed one when in.Diameter is 0): the value and the run's results by field.
struct TSweepPoint {
  double Value = 0;
  std::string Error;
  std::array<std::optional<double>, kFieldCount> Results;
};
std::vector<TSweepPoint> RunSweep(const TUncertaintyInput& in, const TPackingRecord& packing,
                                  TField field, double from, double to, int points);
inline constexpr int kMaximumSweepPoints = 10000;
inline constexpr int kMaximumSamples = 1000000;

// The calibration as a project keeps it: plant points measured on the design's system (its
// properties), each with its own loads, column and measurements, and whether the design uses the
// fit. As text, records joined by ";": a point "P,name,L,V,D,dp,Z,N" (L, V [kg/s], D [m],
// dp [Pa/m], Z [m], N stages; dp, Z and N may be empty) and "U" when the fit is used.
struct TCalibrationSettings {
  struct TPoint {
    std::string Name;
    double LiquidFlow = 0, GasFlow = 0, Diameter = 0;
    std::optional<double> PressureDrop, BedHeight, Stages;
    bool operator==(const TPoint&) const = default;
  };
  std::vector<TPoint> Points;
  bool Apply = false;
  bool operator==(const TCalibrationSettings&) const = default;
};
inline constexpr size_t kMaximumPlantPoints = 1000;
std::string CalibrationText(const TCalibrationSettings& c);
// Throws TInputError naming the record that does not read (loads and diameter positive, the
// measurements positive where given).
TCalibrationSettings ParseCalibrationText(std::string_view text);
// The points with the design's inputs (properties) and each point's loads.
std::vector<TPlantPoint> PlantPoints(const TCalibrationSettings& c,
                                     const std::array<std::optional<double>, kFieldCount>& design);

// The analyses a project asks for. As text, records joined by ";": a band "B,CODE,fraction"
// (CODE a field code, "Fp" the packing factor), "N,samples" (0 or none: no uncertainty run),
// "S,seed", "H,stages" (theoretical stages for the packed height) and a sweep
// "W,CODE,from,to,points,RESULT" (SI values; RESULT the field code the chart shows).
struct TAnalysisSettings {
  std::array<double, kFieldCount> Band{};
  double PackingFactorBand = 0;
  int Samples = 0;
  std::uint64_t Seed = 1;
  std::optional<double> Stages;
  struct TSweep {
    TField Input = TField::VD;
    double From = 0, To = 0;
    int Points = 0;
    TField Result = TField::dpD;
    bool operator==(const TSweep&) const = default;
  };
  std::optional<TSweep> Sweep;
  bool operator==(const TAnalysisSettings&) const = default;
};
std::string AnalysisText(const TAnalysisSettings& a);
// Throws TInputError naming the record that does not read.
TAnalysisSettings ParseAnalysisText(std::string_view text);

}  // namespace velm
