#pragma once
// The report's second sheet, "计算过程": the sheet a checker signs. It is written from the trace
// of the latest run (core/CalcTrace.h), never by calculating again: the method and calculation
// basis, the two diagrams of the operating-performance chart as pictures, every step with its
// equation, source, inputs, intermediate values and results (each number kept whole in its cell
// and shown to engineering precision), the findings with their sources, and lines to sign.
#include <QString>

#include "automation/Variant.h"
#include "core/DesignDocument.h"

namespace velm {

// The name of the sheet in the report template, and of the whole column's sheet the report adds
// (a copy of the calculation sheet's layout) when the design has a whole column.
inline constexpr const char* kCalculationSheetName = "计算过程";
inline constexpr const char* kColumnSheetName = "全塔核算";

// Significant digits a report shows for a field: inputs as typed, results to engineering
// precision (percentages three, the rest four).
int ReportDigits(const TFieldInfo& field);

// Writes a number into cell (row, column) of a worksheet (an automation object): the full value,
// shown with `digits` significant digits.
void PutNumber(const TVariant& sheet, int row, int column, double value, int digits);

// Fills the calculation sheet. pictureFolder is a folder for the chart pictures on their way
// into the workbook. Errors of the spreadsheet are thrown.
void WriteCalculationSheet(const TVariant& sheet, const TDesignDocument& doc,
                           const QString& packingText, const QString& pictureFolder);
// Fills the whole column's sheet: the stage profile, each section's packing, method, column,
// governing stage and beds, and every stage's flood fraction, pressure drop and HETP.
void WriteColumnSheet(const TVariant& sheet, const TDesignDocument& doc,
                      const QString& pictureFolder);

}  // namespace velm
