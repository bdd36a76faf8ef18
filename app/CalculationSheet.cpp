#include "app/CalculationSheet.h"

#include <QDir>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/NumberFormat.h"
#include "chart/AnalysisChart.h"
#include "chart/ChartPage.h"
#include "chart/Envelope.h"
#include "chart/Profile.h"
#include "core/CalcTrace.h"
#include "core/Validity.h"

namespace velm {

namespace {

// Columns of the sheet: headings, labels and symbols, names and texts, numbers, units, kinds.
constexpr int kHeading = 2, kLabel = 3, kText = 4, kNumber = 5, kUnit = 6, kKind = 7;
// The width of columns D to G in the template [characters of a digit]; a CJK character takes two.
constexpr int kTextWidth = 76;

// The steps in the order a checker follows them; steps not named here come after them.
constexpr const char* kOrder[] = {"packing",
                                  "flow-parameter",
                                  "factor-flooding",
                                  "factor-pressure-drop",
                                  "chart-reading",
                                  "iteration",
                                  "placement-flood",
                                  "design-velocity",
                                  "diameter",
                                  "column",
                                  "placement-column",
                                  "pressure-drop",
                                  "placement-design",
                                  "placement-80",
                                  "holdup",
                                  "wetting",
                                  "wetted-area",
                                  "kL",
                                  "kG",
                                  "htu",
                                  "hetp"};

// Lines of at most `width` display columns (a character beyond ASCII takes two), broken after
// the punctuation of a clause where there is one near the end, else at the width.
std::vector<std::string> Wrap(const std::string& text, int width) {
  std::vector<std::string> lines;
  std::string line;
  int used = 0;
  std::size_t lastBreak = std::string::npos;  // byte position after a good break in `line`
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
    const std::string ch = text.substr(i, len);
    i += len;
    if (ch == "\n") {
      lines.push_back(line);
      line.clear();
      used = 0;
      lastBreak = std::string::npos;
      continue;
    }
    const int w = len == 1 ? 1 : 2;
    if (used + w > width && !line.empty()) {
      std::string rest;
      if (lastBreak != std::string::npos && lastBreak > line.size() / 2) {
        rest = line.substr(lastBreak);
        line.resize(lastBreak);
      }
      lines.push_back(line);
      line = rest;
      used = 0;
      for (unsigned char r : rest)
        if ((r & 0xC0) != 0x80) used += r < 0x80 ? 1 : 2;
      lastBreak = std::string::npos;
    }
    line += ch;
    used += w;
    if (ch == "，" || ch == "；" || ch == "。" || ch == "：" || ch == "、" || ch == " " ||
        ch == ",")
      lastBreak = line.size();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

class TSheetWriter {
 public:
  explicit TSheetWriter(const TVariant& sheet) : FSheet(sheet) {}
  const TVariant& Sheet() const { return FSheet; }

  int Row() const { return FRow; }
  void Skip(int rows = 1) { FRow += rows; }
  void Text(int column, const std::string& text) {
    if (!text.empty()) FSheet.Put("Cells", {FRow, column}, text);
  }
  // A heading in column B.
  void Heading(const std::string& text) {
    Text(kHeading, text);
    Skip();
  }
  // A label in column C and a text from column D on, over as many rows as it needs.
  void Paragraph(const std::string& label, const std::string& text) {
    bool first = true;
    for (const std::string& line : Wrap(text, kTextWidth)) {
      if (first) Text(kLabel, label);
      first = false;
      Text(kText, line);
      Skip();
    }
  }
  // Pictures side by side across columns B to G from the current row, each saved as a PNG file
  // into `folder` under its name (the picture's description in the workbook), each as wide as
  // its share of the row (of `shares` shares when more); the rows they cover are skipped.
  void Pictures(const std::vector<std::pair<QImage, QString>>& pictures, const QString& folder,
                size_t shares = 0) {
    shares = std::max(shares, pictures.size());
    const double left = FSheet.Get("Cells", {FRow, kHeading}).Get("Left").ToDouble();
    const double top = FSheet.Get("Cells", {FRow, kHeading}).Get("Top").ToDouble();
    const double right = FSheet.Get("Cells", {FRow, kKind + 1}).Get("Left").ToDouble();
    const double gap = 6;
    const double width = (right - left - gap * double(shares - 1)) / double(shares);
    const TVariant shapes = FSheet.Get("Shapes");
    double tallest = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
      const auto& [picture, name] = pictures[i];
      const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
      // A light compression: the pictures are flat colours, and a strong one costs most of the
      // report's time for a few kilobytes.
      if (!picture.save(file, "PNG", 80))
        throw std::runtime_error("无法保存图片“" + name.toStdString() + "”");
      const double height = width * picture.height() / picture.width();
      shapes.Call("AddPicture", {file.toStdString(), false, true, left + double(i) * (width + gap),
                                 top, width, height});
      tallest = std::max(tallest, height);
    }
    Skip(int(std::ceil(tallest / 15.0)) + 1);
  }
  void Value(const TTraceValue& v, const char* kind) {
    Text(kLabel, v.Symbol);
    Text(kText, v.Name);
    PutNumber(FSheet, FRow, kNumber, v.Value, v.Digits);
    Text(kUnit, v.Unit);
    Text(kKind, kind);
    Skip();
  }

 private:
  const TVariant& FSheet;
  int FRow = 3;
};

// The envelope of the chart for the document's latest run, when its hydraulic part is current.
std::optional<TEnvelope> ReportEnvelope(const TDesignDocument& doc) {
  try {
    return DocumentEnvelope(doc);
  } catch (const std::exception&) {
    return std::nullopt;  // nothing to draw: the sheet goes on without the pictures
  }
}

void WriteSteps(TSheetWriter& out, const TCalcTrace& trace) {
  std::vector<const TTraceStep*> steps;
  for (const char* id : kOrder)
    if (const TTraceStep* s = trace.Find(id)) steps.push_back(s);
  for (const TTraceStep& s : trace.Steps())
    if (std::find(steps.begin(), steps.end(), &s) == steps.end()) steps.push_back(&s);
  int n = 0;
  for (const TTraceStep* s : steps) {
    out.Heading(std::to_string(++n) + ". " + s->Title);
    // Each clause of the equation on a line of its own.
    std::string equation = s->Equation;
    for (std::size_t at; (at = equation.find("；")) != std::string::npos;)
      equation.replace(at, std::string_view("；").size(), "\n");
    out.Paragraph("公式", equation);
    if (*s->Source) out.Paragraph("来源", s->Source);
    for (const TTraceValue& v : s->Inputs) out.Value(v, "输入");
    for (const TTraceValue& v : s->Values) out.Value(v, "中间值");
    for (const TTraceValue& v : s->Results) out.Value(v, "结果");
    if (!s->Note.empty()) out.Paragraph("说明", s->Note);
    out.Skip();
  }
}

// A rated column: each load case by every capacity definition (with its source), the governing
// case and the operating window.
void WriteRating(TSheetWriter& out, const TRating& rating) {
  const auto num = [](double v, int digits) { return FormatGeneral(v, digits); };
  out.Heading("核算：已有塔的负荷工况");
  out.Paragraph("塔", "塔径 " + num(rating.Diameter * 1000.0, 4) + " mm" +
                          (rating.BedHeight ? "，填料层高度 " + num(*rating.BedHeight, 4) + " m"
                                            : std::string()));
  for (const TCaseRating& c : rating.Cases) {
    out.Paragraph("工况", c.Case.Name + "（液相 " + num(c.Case.LiquidPercent, 4) + " %，气相 " +
                              num(c.Case.GasPercent, 4) + " % 的设计负荷）");
    if (!c.Rated) {
      out.Paragraph("", "无结果：" + c.Error);
      continue;
    }
    for (const TRatingColumn& col : RatingColumns()) {
      const std::optional<double> v = col.Value(c);
      if (!v) continue;
      out.Text(kText, col.Caption);
      PutNumber(out.Sheet(), out.Row(), kNumber, *v, col.Digits);
      out.Text(kUnit, col.Unit);
      out.Text(kKind, col.Source ? col.Source : "");
      out.Skip();
    }
    for (const TFinding& f : c.Findings)
      out.Paragraph(std::string("【") + LevelLabel(f.Level) + "】", f.Text);
  }
  if (rating.Governing >= 0) {
    const TCaseRating& g = rating.Cases[size_t(rating.Governing)];
    out.Paragraph("控制工况",
                  g.Case.Name + "：泛点率（恒定液气比）" + num(g.FloodPercent, 3) + " %");
  }
  if (const auto& w = rating.Window)
    out.Paragraph("操作区间",
                  "沿第一工况的操作线（液气比不变）：最大负荷 " + num(100.0 * w->Maximum, 3) +
                      " %（" + w->MaximumBy + "），最小负荷 " + num(100.0 * w->Minimum, 3) +
                      " %（" + w->MinimumBy + "），" +
                      (w->Turndown > 0.0 ? "操作弹性 " + num(w->Turndown, 3) + " : 1"
                                         : std::string("没有可行的操作区间")) +
                      "。最大操作能力取泛点的 90 %（Kister 1992），最小气相负荷取泛点的 40 %"
                      "（经验值），最小喷淋密度按 Morris & Jackson。");
  out.Skip();
}

// The calibration to plant data and the analyses: the fit with every point's residual, the
// bands' percentiles, the chance that the built column floods, the methods side by side, the
// accuracy figures used, and the tornado chart and sweep as pictures.
void WriteAnalysis(TSheetWriter& out, const TDocumentAnalysis& a, const QString& pictureFolder) {
  const auto num = [](const std::optional<double>& v, int digits) {
    return v ? FormatGeneral(*v, digits) : std::string("—");
  };
  out.Heading("校准与不确定性");
  if (a.Calibration) {
    const TCalibration& c = *a.Calibration;
    out.Paragraph("校准", "填料因子 = 表值 × " + num(c.FactorRatio, 4) +
                              "（污垢或沉降指数），HETP 系数 " + num(c.HetpFactor, 4) +
                              "，实测压降残差均方根 " + num(c.RmsResidual, 3) + " %；" +
                              (a.CalibrationApplied ? "本设计按校准结果计算" : "本设计未采用"));
    out.Text(kText, "实测点：实测压降 Pa/m、计算压降 Pa/m、残差 %");
    out.Skip();
    for (const TPointFit& p : c.Points) {
      out.Text(kText, p.Name + (p.Error.empty() ? std::string() : "：" + p.Error));
      if (p.PressureDrop) PutNumber(out.Sheet(), out.Row(), kNumber, *p.PressureDrop, 4);
      if (p.Calculated) PutNumber(out.Sheet(), out.Row(), kUnit, *p.Calculated, 4);
      if (p.Residual) PutNumber(out.Sheet(), out.Row(), kKind, *p.Residual, 3);
      out.Skip();
    }
    out.Paragraph("依据", FindingSource("calibrated"));
  } else if (!a.CalibrationError.empty()) {
    out.Paragraph("校准", a.CalibrationError);
  }
  if (a.Uncertainty) {
    const TUncertainty& u = *a.Uncertainty;
    out.Paragraph("不确定性", std::to_string(u.Samples) + " 次蒙特卡洛抽样（" +
                                  std::to_string(u.Failed) + " 次未算出），建成的塔液泛的概率 " +
                                  FormatGeneral(100.0 * u.FloodProbability, 3) + " %");
    out.Text(kText, "结果：P10、P50、P90");
    out.Skip();
    for (const TPercentileRow& row : PercentileRows(u)) {
      const std::optional<TPercentiles>& p = *row.Value;
      if (!p) continue;
      out.Text(kText, std::string(row.Caption) + " " + row.Unit);
      PutNumber(out.Sheet(), out.Row(), kNumber, p->P10, 4);
      PutNumber(out.Sheet(), out.Row(), kUnit, p->P50, 4);
      PutNumber(out.Sheet(), out.Row(), kKind, p->P90, 4);
      out.Skip();
    }
    std::string methods;
    for (const TMethodResult& m : u.Methods)
      methods += (methods.empty() ? "" : "；") + MethodResultText(m);
    out.Paragraph("各算法", methods);
    for (const std::string& source : u.Sources) out.Paragraph("精度依据", source);
  }
  if (!a.AnalysisError.empty()) out.Paragraph("注意", a.AnalysisError);
  std::vector<std::pair<QImage, QString>> pictures;
  if (!a.Sensitivity.empty())
    pictures.emplace_back(TornadoPicture(a.Sensitivity, 1.5), QStringLiteral("敏感性"));
  if (!pictures.empty()) out.Pictures(pictures, pictureFolder);
  if (a.SweepSettings && !a.Sweep.empty())
    out.Pictures({{SweepPicture(a.Sweep, a.SweepSettings->Input, a.SweepSettings->Result, 1.5),
                   QStringLiteral("参数扫描")}},
                 pictureFolder, 2);
  out.Skip();
}

// The whole column: the stage profile as a picture, each section's column, governing stage and
// beds, and every stage's flood fraction, pressure drop and HETP.
void WriteColumn(TSheetWriter& out, const TVariant& sheet, const TDesignDocument& doc,
                 const QString& pictureFolder) {
  const TColumnResult& col = *doc.Column;
  const auto num = [](double v, int digits) { return FormatGeneral(v, digits); };
  out.Paragraph("项目", doc.Texts[0] + (doc.Texts[1].empty() ? "" : "  " + doc.Texts[1]) +
                            (doc.Texts[2].empty() ? "" : "  " + doc.Texts[2]));
  out.Skip();
  out.Heading("各块理论板的负荷分布");
  out.Pictures(
      {{ProfilePicture(ProfileOf(*doc.ColumnInput, col), 1.5), QStringLiteral("全塔负荷分布")}},
      pictureFolder);
  for (const TSectionResult& s : col.Sections) {
    std::string line = s.Name + "：";
    if (!s.Error.empty()) {
      out.Paragraph("段", line + s.Error);
      continue;
    }
    line += s.Packing + "，" + s.Method + "，塔径 " + num(1000.0 * s.Diameter, 4) + " mm（" +
            (s.Designed ? "按需要最大塔径的板设计" : "核算") + "）";
    if (s.Governing >= 0) {
      const TCaseRating& g = s.Stages[size_t(s.Governing)].Rating;
      line += "，控制板 " + g.Case.Name + "（泛点率 " + num(g.FloodPercent, 3) + " %）";
    }
    if (s.Beds)
      line += "，填料高度 " + num(s.Beds->PackedHeight, 4) + " m，分 " +
              std::to_string(s.Beds->Beds) + " 床（" + s.Beds->LimitBy + "），" +
              std::to_string(s.Beds->Redistributors) + " 个再分布器，高度 " +
              num(s.Beds->Height, 4) + " m";
    out.Paragraph("段", line + "，压降 " + num(s.PressureDrop, 4) + " Pa");
    out.Text(kText, "理论板：泛点率 %、湿塔压降 Pa/m、HETP m");
    out.Skip();
    for (const TStageResult& st : s.Stages) {
      const TCaseRating& k = st.Rating;
      out.Text(kText, k.Case.Name + (k.Rated ? std::string() : "：无结果，" + k.Error));
      if (k.Rated) {
        PutNumber(sheet, out.Row(), kNumber, k.FloodPercent, 3);
        PutNumber(sheet, out.Row(), kUnit, k.PressureDrop, 4);
        if (k.HETP) PutNumber(sheet, out.Row(), kKind, *k.HETP, 3);
      }
      out.Skip();
    }
  }
  out.Paragraph("全塔", "压降 " + num(col.PressureDrop, 4) + " Pa，填料高度 " +
                            num(col.PackedHeight, 4) + " m，含再分布器 " + num(col.Height, 4) +
                            " m；每块理论板的填料高度为 HETP × 设计系数 " +
                            num(doc.ColumnInput->Beds.DesignFactor, 4) +
                            "；每床不超过约 10 块理论板、"
                            "拉西环 3 倍 / 其他散堆填料 8 倍塔径、6 m（Sinnott 2005, 11.14）");
  out.Skip();
}

}  // namespace

int ReportDigits(const TFieldInfo& field) {
  if (field.Role == TFieldRole::Input) return kInputDigits;
  switch (field.Unit) {
    case TUnitFamily::Percent:
    case TUnitFamily::Holdup:
      return 3;
    default:
      return kResultDigits;
  }
}

void PutNumber(const TVariant& sheet, int row, int column, double value, int digits) {
  const TVariant cell = sheet.Get("Cells", {row, column});
  cell.Put("NumberFormat", DisplayFormatCode(value, digits));
  cell.Put("Value", value);
}

void WriteCalculationSheet(const TVariant& sheet, const TDesignDocument& doc,
                           const QString& packingText, const QString& pictureFolder) {
  TSheetWriter out(sheet);
  const TCalcTrace* trace = doc.Case.Trace.get();

  out.Heading("计算方法与依据");
  out.Paragraph("项目", doc.Texts[0] + (doc.Texts[1].empty() ? "" : "  " + doc.Texts[1]) +
                            (doc.Texts[2].empty() ? "" : "  " + doc.Texts[2]));
  out.Paragraph("泛点关联", trace ? trace->FloodMethod : doc.FloodMethodText());
  out.Paragraph("传质关联", trace ? trace->MassTransferMethod : std::string("Onda"));
  const bool legacy = trace ? trace->Basis != CalculationBasisItems()[0] : doc.Case.LegacyMethods;
  out.Paragraph("计算依据",
                (trace ? trace->Basis : doc.BasisText()) +
                    (legacy ? "：重现早期版本的算法，供核对旧的计算"
                            : "：按发表的关联式计算（Kister 容量参数用运动粘度，Onda 传质以润湿"
                              "面积为基准，在实际塔径下计算）"));
  out.Paragraph("加速收敛", trace ? trace->Acceleration : doc.AccelerationText());
  out.Paragraph("填料", packingText.toStdString());
  out.Paragraph("物理量",
                "均为国际单位制（SI），与各式所用单位一致；表中数值按工程精度显示，"
                "单元格保留计算所用的全部位数");
  if (!trace || !doc.Case.Stopped.empty() || doc.NeedsRecalc)
    out.Paragraph("注意", !trace ? std::string("没有计算记录：请先完成一次计算")
                                 : "最近一次计算未完成" +
                                       (doc.Case.Stopped.empty() ? std::string()
                                                                 : "（" + doc.Case.Stopped + "）") +
                                       "，下面只列出已完成的步骤");
  out.Skip();

  if (const auto env = ReportEnvelope(doc)) {
    out.Heading("操作性能图");
    const auto [pressureDrop, load] = DiagramPictures(*env, ChartNotesOf(doc.Findings), 1.5);
    out.Pictures(
        {{pressureDrop, QStringLiteral("压降-容量图")}, {load, QStringLiteral("负荷性能图")}},
        pictureFolder);
  }

  if (doc.Rating) WriteRating(out, *doc.Rating);
  const TDocumentAnalysis& a = doc.Analysis;
  if (a.Calibration || !a.CalibrationError.empty() || a.Uncertainty || !a.Sensitivity.empty() ||
      !a.AnalysisError.empty())
    WriteAnalysis(out, a, pictureFolder);
  if (doc.Column && doc.ColumnInput) {
    out.Heading("全塔");
    out.Paragraph("", std::string("各块理论板的核算、各段的床层与负荷分布图见工作表“") +
                          kColumnSheetName + "”");
    out.Skip();
  }

  if (trace) {
    out.Heading("计算步骤");
    out.Skip();
    WriteSteps(out, *trace);
  }

  out.Heading("校核结论");
  if (doc.Findings.empty()) out.Paragraph("", "未发现问题");
  for (const TFinding& f : doc.Findings) {
    out.Paragraph(std::string("【") + LevelLabel(f.Level) + "】", f.Text);
    if (*FindingSource(f.Code)) out.Paragraph("", std::string("依据：") + FindingSource(f.Code));
  }
  out.Skip();
  out.Text(kLabel, "计算：");
  out.Text(kNumber, "校核：");
  out.Skip(2);
  out.Text(kLabel, "审核：");
  out.Text(kNumber, "日期：");
}

void WriteColumnSheet(const TVariant& sheet, const TDesignDocument& doc,
                      const QString& pictureFolder) {
  sheet.Put("Cells", {1, kHeading}, std::string(kColumnSheetName));
  if (!doc.Column || !doc.ColumnInput) return;
  TSheetWriter out(sheet);
  WriteColumn(out, sheet, doc, pictureFolder);
}

}  // namespace velm
