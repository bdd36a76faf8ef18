#include "app/Batch.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstring>
#include <fstream>
#include <optional>
#include <span>

#include "app/ProgramPaths.h"
#include "app/ReportCommands.h"
#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "base/SafeFiles.h"
#include "chart/ChartPage.h"
#include "chart/Profile.h"
#include "cli/AnalysisJson.h"
#include "cli/CaseJson.h"
#include "cli/ColumnJson.h"
#include "cli/JsonParse.h"
#include "cli/RatingJson.h"
#include "core/DesignDocument.h"
#include "core/PlainFields.h"
#include "project/DocumentObjects.h"
#include "project/FileIo.h"
#include "project/ProjectFile.h"
#include "table/PackingList.h"
#include "table/PackingTable.h"
#include "units/UnitEntry.h"
#include "units/ValueField.h"

namespace velm {

namespace {

// Inputs in the order of the window's groups, then the results in the order the calculation
// writes them.
// The codes of registry rows.
std::vector<const char*> Codes(const std::vector<const TFieldInfo*>& rows) {
  std::vector<const char*> codes;
  for (const TFieldInfo* r : rows) codes.push_back(r->Code);
  return codes;
}
const char* const kLists[] = {"AfD",        "fpercentD", "PTD",     "MethodD",
                              "ACLMethodD", "CalcBasis", "ServiceD"};
const char* const kChecks[] = {"CalKf", "CalKp"};

QString OrDash(const QString& s) { return s.isEmpty() ? QStringLiteral("-") : s; }

// The captions a person reads beside the lists and boxes, without inner spaces.
QString ListCaption(const TDesignDocument& doc, const char* name) {
  static const std::pair<const char*, const char*> lists[] = {
      {"AfD", "液体发泡系数"}, {"fpercentD", "泛点预设"},      {"PTD", "填料选择"},
      {"MethodD", "算法选择"}, {"ACLMethodD", "加速收敛算法"}, {"CalcBasis", "计算依据"},
      {"ServiceD", "工况"}};
  for (const auto& [list, caption] : lists)
    if (std::strcmp(list, name) == 0) return QString::fromUtf8(caption);
  if (std::strcmp(name, "CalKf") == 0)
    return QStringLiteral("计算") + QString::fromStdString(doc.Caption(TField::KfD));
  if (std::strcmp(name, "CalKp") == 0)
    return QStringLiteral("计算") + QString::fromStdString(doc.Caption(TField::KpD));
  return {};
}

// The messages of a run as the batch mode reports them: every box to standard error and the
// message list; field messages and errors count as errors.
class TBatchEvents final : public TDocumentEvents {
 public:
  explicit TBatchEvents(std::function<void(const QString&, bool)> echo) : FEcho(std::move(echo)) {}
  void FieldMessage(const std::string& text) override { FEcho(QString::fromStdString(text), true); }
  void MessageBox(const std::string& text) override { FEcho(QString::fromStdString(text), false); }
  void ErrorReport(const std::string& text) override { FEcho(QString::fromStdString(text), true); }

 private:
  std::function<void(const QString&, bool)> FEcho;
};

// Writes the chart of the run document `doc` (from the project `file`) to `chart`, drawn as the
// window's chart page draws it: the envelope of the design, minimum-wetting and 80 % loads at
// the run's results, the notes of its findings. Returns 4 when it could not be written.
int WriteChart(const TDesignDocument& doc, const QString& file, const QString& chart,
               QTextStream& err) {
  QString error;
  try {
    const std::optional<TEnvelope> env = DocumentEnvelope(doc);
    if (!env) {
      err << "velm: 操作性能图无法绘制: 数据不全或计算未完成\n";
      return 4;
    }
    CheckOutputFile(chart, file);
    if (SaveChart(*env, ChartNotesOf(doc.Findings), chart, &error)) return 0;
  } catch (const std::exception& e) {
    error = QString::fromStdString(e.what());
  }
  err << "velm: " << error << '\n';
  return 4;
}

void Usage(QTextStream& err) {
  err << "usage: velm --batch FILE [--json] [--report OUT.xlsx] [--pdf OUT.pdf]\n"
         "                    [--chart OUT.png|OUT.svg] [--calibrate POINTS.json]\n"
         "                    [--uncertainty N] [--sweep KEY:FROM:TO:N]\n"
         "  Opens the project FILE, recalculates it and prints every value field as\n"
         "  \"name caption text unit\" lines (\"-\" for an empty text or unit; \" stale\" after a "
         "result\n"
         "  the recalculation did not reach), the option lists, and the findings on the\n"
         "  results as \"finding level code field text\" lines; --json prints one JSON object\n"
         "  instead; --report also writes the calculation report workbook OUT.xlsx from\n"
         "  the template beside the program; --pdf writes the same report as a one-page PDF;\n"
         "  --chart writes the operating-performance chart (SVG for a .svg name, PNG\n"
         "  otherwise). --calibrate fits the packing factor and HETP to the plant points\n"
         "  (velm-calc's file; each point's LiquidFlow and GasFlow with the project's\n"
         "  properties) and the design uses the fit; --uncertainty runs N Monte Carlo samples\n"
         "  of the project's bands; --sweep runs one input (its JSON key, SI) over N points.\n"
         "  The analyses print \"calibration\", \"uncertainty\", \"method\", \"sensitivity\"\n"
         "  and \"sweep\" lines (--json: an \"analysis\" object as velm-calc's).\n"
         "       velm --batch --profile COLUMN.json [--json] [--chart OUT.png|OUT.svg]\n"
         "  Rates every stage of the whole column COLUMN.json (velm-calc's column document)\n"
         "  and prints a line per stage, per section and for the column (--json: velm-calc's\n"
         "  output); --chart writes the stage profile.\n";
}

// A rating as lines: "rating-case NAME caption=value unit ...", the governing case and the window.
void PrintRating(QTextStream& out, const TRating& rating) {
  const auto num = [](double v, int digits) {
    return QString::fromStdString(FormatGeneral(v, digits));
  };
  for (const TCaseRating& c : rating.Cases) {
    out << "rating-case " << QString::fromStdString(c.Case.Name).replace(' ', '_');
    if (!c.Rated) out << " error=" << QString::fromStdString(c.Error);
    for (const TRatingColumn& col : RatingColumns()) {
      const std::optional<double> v = c.Rated ? col.Value(c) : std::nullopt;
      if (v)
        out << ' ' << QString::fromUtf8(col.Caption) << '=' << num(*v, col.Digits)
            << QString::fromUtf8(col.Unit);
    }
    out << '\n';
  }
  if (rating.Governing >= 0)
    out << "rating-governing "
        << QString::fromStdString(rating.Cases[size_t(rating.Governing)].Case.Name)
               .replace(' ', '_')
        << '\n';
  if (const auto& w = rating.Window)
    out << "rating-window maximum=" << num(100.0 * w->Maximum, 4) << "% ("
        << QString::fromStdString(w->MaximumBy) << ") minimum=" << num(100.0 * w->Minimum, 4)
        << "% (" << QString::fromStdString(w->MinimumBy) << ") turndown=" << num(w->Turndown, 3)
        << '\n';
}

}  // namespace

bool IsBatchCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--batch") == 0) return true;
  }
  return false;
}

bool BatchWritesFiles(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    for (const char* option : {"--report", "--pdf", "--chart"})
      if (std::strcmp(argv[i], option) == 0) return true;
  return false;
}

// The whole column as lines: one per stage, per section (diameter, governing stage, beds) and
// for the column.
void PrintColumn(QTextStream& out, const TColumnResult& r) {
  const auto num = [](double v, int digits) {
    return QString::fromStdString(FormatGeneral(v, digits));
  };
  for (const TSectionResult& s : r.Sections) {
    const QString section = QString::fromStdString(s.Name).replace(' ', '_');
    for (const TStageResult& st : s.Stages) {
      out << "stage " << section << ' '
          << QString::fromStdString(st.Rating.Case.Name).replace(' ', '_');
      if (!st.Rating.Rated) {
        out << " error=" << QString::fromStdString(st.Rating.Error) << '\n';
        continue;
      }
      out << " flood=" << num(st.Rating.FloodPercent, 4)
          << "% dp=" << num(st.Rating.PressureDrop, 4) << "Pa/m";
      if (st.Rating.HETP) out << " hetp=" << num(*st.Rating.HETP, 4) << 'm';
      out << '\n';
    }
    out << "section " << section
        << " packing=" << QString::fromStdString(s.Packing).section(' ', 0, 0)
        << " method=" << QString::fromStdString(s.Method)
        << " diameter=" << num(1000.0 * s.Diameter, 4) << "mm"
        << (s.Designed ? " designed" : " rated");
    if (s.Governing >= 0)
      out << " governing="
          << QString::fromStdString(s.Stages[size_t(s.Governing)].Rating.Case.Name);
    if (s.Beds)
      out << " packed=" << num(s.Beds->PackedHeight, 4) << "m beds=" << s.Beds->Beds
          << " bed=" << num(s.Beds->BedHeight, 4) << "m ("
          << QString::fromStdString(s.Beds->LimitBy) << ") height=" << num(s.Beds->Height, 4)
          << 'm';
    if (!s.Error.empty()) out << " error=" << QString::fromStdString(s.Error);
    out << '\n';
  }
  out << "column dp=" << num(r.PressureDrop, 4) << "Pa packed=" << num(r.PackedHeight, 4)
      << "m height=" << num(r.Height, 4) << "m\n";
}

// The calibration and analyses as lines: "calibration ...", "calibration-point NAME ...",
// "uncertainty ...", "method NAME ...", "sensitivity CODE ..." and "sweep CODE=VALUE RESULT=...".
void PrintAnalysis(QTextStream& out, const TDocumentAnalysis& a) {
  const auto num = [](const std::optional<double>& v, int digits) {
    return v ? QString::fromStdString(FormatGeneral(*v, digits)) : QStringLiteral("-");
  };
  const auto name = [](const std::string& n) {
    return QString::fromStdString(n).replace(' ', '_');
  };
  if (a.Calibration) {
    const TCalibration& c = *a.Calibration;
    out << "calibration factor=" << num(c.FactorRatio, 4) << " hetp=" << num(c.HetpFactor, 4)
        << " rms=" << num(c.RmsResidual, 3) << '%' << (a.CalibrationApplied ? " applied" : "")
        << '\n';
    for (const TPointFit& p : c.Points) {
      out << "calibration-point " << name(p.Name) << " dp=" << num(p.PressureDrop, 4)
          << "Pa/m calculated=" << num(p.Calculated, 4) << "Pa/m residual=" << num(p.Residual, 3)
          << '%';
      if (!p.Error.empty()) out << " error=" << QString::fromStdString(p.Error);
      out << '\n';
    }
  } else if (!a.CalibrationError.empty()) {
    out << "calibration error=" << QString::fromStdString(a.CalibrationError) << '\n';
  }
  if (a.Uncertainty) {
    const TUncertainty& u = *a.Uncertainty;
    out << "uncertainty samples=" << u.Samples << " failed=" << u.Failed
        << " flood-probability=" << num(100.0 * u.FloodProbability, 3) << "%\n";
    for (const TPercentileRow& row : PercentileRows(u))
      if (const std::optional<TPercentiles>& p = *row.Value)
        out << "uncertainty " << row.Word << " p10=" << num(p->P10, 4) << " p50=" << num(p->P50, 4)
            << " p90=" << num(p->P90, 4) << ' ' << row.Unit << '\n';
    for (const TMethodResult& m : u.Methods) {
      out << "method " << QString::fromStdString(m.Method);
      if (m.Error.empty())
        out << " diameter=" << num(m.TheoreticalDiameter, 4) << "m flood=" << num(m.FloodPercent, 3)
            << "% dp=" << num(m.PressureDrop, 4) << "Pa/m hetp=" << num(m.Hetp, 4) << "m\n";
      else
        out << " error=" << QString::fromStdString(m.Error) << '\n';
    }
  }
  for (const TSensitivity& s : a.Sensitivity)
    out << "sensitivity " << (s.Field ? FieldInfo(*s.Field).Code : "Fp")
        << " step=" << num(100.0 * s.Step, 3) << "% diameter=" << num(s.DiameterLow, 3) << "%/"
        << num(s.DiameterHigh, 3) << "% hetp=" << num(s.HetpLow, 3) << "%/" << num(s.HetpHigh, 3)
        << "%\n";
  if (a.SweepSettings)
    for (const TSweepPoint& p : a.Sweep)
      out << "sweep " << FieldInfo(a.SweepSettings->Input).Code << '=' << num(p.Value, 6) << ' '
          << FieldInfo(a.SweepSettings->Result).Code << '='
          << (p.Error.empty() ? num(p.Results[size_t(a.SweepSettings->Result)], 6)
                              : QString::fromStdString(p.Error))
          << '\n';
  if (!a.AnalysisError.empty())
    out << "analysis error=" << QString::fromStdString(a.AnalysisError) << '\n';
}

// A whole column from velm-calc's column document: its stages rated, lines or JSON out, and the
// profile chart. Exit codes as the project batch: 2 a file that is not a column, 3 a stage or
// section without a result, 4 a chart that could not be written.
int RunProfile(const QString& file, bool json, const QString& chart, QTextStream& out,
               QTextStream& err) {
  TColumnInput in;
  try {
    std::ifstream f(QFile::encodeName(file).toStdString(), std::ios::binary);
    if (!f) throw TCaseFormatError("cannot read the file");
    in = ParseColumnJson(ParseJsonDocument(f));
  } catch (const std::exception& e) {
    err << "velm: " << file << ": " << QString::fromStdString(e.what()) << '\n';
    return 2;
  }
  const TColumnResult r = RateWholeColumn(in);
  const nlohmann::json result = ColumnResultJson(r);
  if (json) {
    out << QString::fromStdString(result.dump(2));
    out << '\n';
  } else {
    PrintColumn(out, r);
  }
  out.flush();
  int code = result["error"].is_null() ? 0 : 3;
  if (!chart.isEmpty()) {
    QString error;
    if (!SaveProfile(ProfileOf(in, r), chart, &error)) {
      err << "velm: " << error << '\n';
      code = 4;
    }
  }
  return code;
}

int RunBatch(const QStringList& arguments) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  // Standard error carries the program's own messages: the offscreen platform's remarks about
  // windows nobody sees are dropped; Qt's critical messages still come through.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) QTextStream(stderr) << text << '\n';
  });

  // An output named by an empty text is a slip of the caller, not a wish for no output.
  for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if ((a == QLatin1String("--report") || a == QLatin1String("--pdf") ||
         a == QLatin1String("--chart")) &&
        arguments[i + 1].isEmpty()) {
      err << "velm: " << a << " 后面的文件名是空的\n";
      return 2;
    }
  }

  QString file;
  QString chart;
  bool json = false;
  bool batch = false;
  QString report;
  QString pdf;
  QString calibrate, sweep;
  int samples = 0;
  // --profile, wherever it stands: FILE is a whole column ("--batch --profile FILE" too).
  QStringList args = arguments;
  const bool profile = args.removeAll(QStringLiteral("--profile")) > 0;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1String("--batch") && !batch) {
      batch = true;
      if (i + 1 >= args.size()) break;
      file = args[++i];
    } else if (a == QLatin1String("--json")) {
      json = true;
    } else if (a == QLatin1String("--report") && i + 1 < args.size() && report.isEmpty()) {
      report = args[++i];
    } else if (a == QLatin1String("--pdf") && i + 1 < args.size() && pdf.isEmpty()) {
      pdf = args[++i];
    } else if (a == QLatin1String("--chart") && chart.isEmpty() && i + 1 < args.size()) {
      chart = args[++i];
    } else if (a == QLatin1String("--calibrate") && calibrate.isEmpty() && i + 1 < args.size()) {
      calibrate = args[++i];
    } else if (a == QLatin1String("--sweep") && sweep.isEmpty() && i + 1 < args.size()) {
      sweep = args[++i];
    } else if (a == QLatin1String("--uncertainty") && samples == 0 && i + 1 < args.size()) {
      bool ok = false;
      samples = args[++i].toInt(&ok);
      if (!ok || samples < 1 || samples > kMaximumSamples) {
        err << "velm: --uncertainty needs a whole number from 1 to " << kMaximumSamples << '\n';
        return 2;
      }
    } else {
      err << "velm: unexpected argument \"" << a << "\"\n";
      Usage(err);
      return 2;
    }
  }
  if (file.isEmpty()) {
    err << "velm: --batch needs a project file\n";
    Usage(err);
    return 2;
  }
  // A path that names no file is a wrong command line, not a project that failed to read; a
  // pipe or device is refused before anything could wait on it.
  if (!QFileInfo::exists(file)) {
    err << "velm: no such project file \"" << file << "\"\n";
    return 2;
  }
  if (const auto problem = DocumentProblem(QFile::encodeName(file).toStdString())) {
    err << "velm: " << QString::fromStdString(*problem) << '\n';
    return 2;
  }
  if (profile) {
    if (!report.isEmpty() || !pdf.isEmpty() || !calibrate.isEmpty() || !sweep.isEmpty() ||
        samples > 0) {
      err << "velm: --profile writes no report and makes no analysis\n";
      return 2;
    }
    return RunProfile(file, json, chart, out, err);
  }

  QStringList messages;
  int errors = 0;
  QString lastError;
  auto echo = [&](const QString& text) {
    messages << text;
    err << text << '\n';
    err.flush();
  };
  auto fail = [&](const QString& text) {
    ++errors;
    lastError = text;
    echo(text);
  };

  // The packing table beside the program, and the packing list as the window fills it.
  TMyClientDataSet table;
  try {
    const QString tableFile = TMyAppConst().DataPath() + QStringLiteral("/Packings.cds");
    table.LoadLabelledFile(QFile::encodeName(tableFile).toStdString());
  } catch (const std::exception& e) {
    fail(QString::fromStdString(e.what()));
    err << "velm: the packing table could not be read\n";
    return 1;
  }
  const TPackingList packings = PackingListOf(table);
  const auto packing = [&packings](int index) { return packings.At(index); };

  // The project as a document, opened and recalculated as the window does it; the batch's own
  // run after the open's is the one whose messages count.
  TDesignDocument doc;
  doc.PackingIndex = packings.Items.empty() ? -1 : 0;
  TDocumentObjects objects(doc, static_cast<int>(packings.Items.size()));
  TBatchEvents events([&](const QString& text, bool error) { error ? fail(text) : echo(text); });
  TPlainLog log;
  if (!OpenDocument(doc, objects, file, packing, log, events, packings.Records)) {
    err << "velm: cannot open the project \"" << file << "\"\n";
    return 1;
  }
  // The analyses asked for on the command line, into the project's settings.
  if (!calibrate.isEmpty() || !sweep.isEmpty() || samples > 0) {
    try {
      if (!calibrate.isEmpty()) {
        std::ifstream f(QFile::encodeName(calibrate).toStdString(), std::ios::binary);
        if (!f) throw TCaseFormatError("cannot read the file");
        TCalibrationSettings c;
        for (const TPlantPoint& p : PointsOf(ParseJsonDocument(f))) {
          if (!p.Inputs[size_t(TField::LD)] || !p.Inputs[size_t(TField::VD)])
            throw TCaseFormatError("point " + p.Name + " needs LiquidFlow and GasFlow");
          c.Points.push_back({p.Name, *p.Inputs[size_t(TField::LD)], *p.Inputs[size_t(TField::VD)],
                              p.Diameter, p.PressureDrop, p.BedHeight, p.Stages});
        }
        c.Apply = true;
        doc.CalibrationText = CalibrationText(c);
      }
      TAnalysisSettings a = ParseAnalysisText(doc.AnalysisText);
      if (samples > 0) a.Samples = samples;
      if (!sweep.isEmpty()) {
        const TField result = a.Sweep ? a.Sweep->Result : TField::dpD;
        a.Sweep = ParseSweep(sweep.toStdString());
        a.Sweep->Result = result;
      }
      doc.AnalysisText = AnalysisText(a);
    } catch (const std::exception& e) {
      err << "velm: " << QString::fromStdString(e.what()) << '\n';
      return 2;
    }
  }
  errors = 0;
  RecalculateDocument(doc, packing, log, events, packings.Records);

  int code = 0;
  // A run that ended early without a message (no packing, an empty input, no convergence) is as
  // incomplete as one that reported an error.
  const std::string stopped = doc.Case.Stopped;
  // A rating that gave no table is as incomplete: its results are the cases.
  const bool rated = doc.CalcTypeIndex != 1 || doc.Rating.has_value();
  const bool complete = !doc.NeedsRecalc && errors == 0 && stopped.empty() && rated;
  if (!complete) code = 3;
  if (!stopped.empty()) err << "velm: incomplete: " << QString::fromStdString(stopped) << '\n';
  if (!rated && stopped.empty()) err << "velm: incomplete: the column was not rated\n";

  auto fieldRow = [&](const char* code) {
    const TFieldInfo& info = *FindField(code);
    const TValueFieldState& s = doc[info.Field];
    const QString text = QString::fromStdString(s.Text);
    const auto& units = UnitListFor(info.Unit);
    const QString unitName =
        s.UnitIndex >= 0 && s.UnitIndex < static_cast<int>(units.size())
            ? QString::fromStdString(UnitDisplayName(units[static_cast<size_t>(s.UnitIndex)]))
            : QString();
    std::optional<double> si;
    if (const auto x = ParseNumber(s.Text)) si = s.K * *x + s.B;
    const QString caption = QString::fromStdString(doc.Caption(info.Field)).remove(' ');
    return std::make_tuple(text, unitName, si, s.Stale, caption);
  };
  const auto listText = [&](const char* name) -> QString {
    const std::string_view n(name);
    if (n == "AfD") return QString::fromStdString(doc.FoamingText());
    if (n == "fpercentD") return QString::fromStdString(doc.FloodPercentText);
    if (n == "PTD")
      return doc.PackingIndex >= 0 && doc.PackingIndex < static_cast<int>(packings.Items.size())
                 ? QString::fromStdString(packings.Items[static_cast<size_t>(doc.PackingIndex)])
                 : QString();
    if (n == "MethodD") return QString::fromStdString(doc.FloodMethodText());
    if (n == "ACLMethodD") return QString::fromStdString(doc.AccelerationText());
    if (n == "ServiceD") return QString::fromStdString(doc.ServiceText());
    return QString::fromStdString(doc.BasisText());
  };
  const auto checked = [&](const char* name) {
    return std::string_view(name) == "CalKf" ? doc.CalcKf : doc.CalcKp;
  };

  if (json) {
    QJsonObject jdoc;
    jdoc.insert(QStringLiteral("file"), file);
    jdoc.insert(QStringLiteral("complete"), complete);
    QJsonValue error;
    if (errors > 0)
      error = lastError;
    else if (!stopped.empty())
      error = QString::fromStdString(stopped);
    else if (!complete)
      error = QStringLiteral("the calculation did not finish");
    jdoc.insert(QStringLiteral("error"), error);
    auto fields = [&](const auto& names) {
      QJsonArray rows;
      for (const char* name : names) {
        const auto [text, unitName, si, stale, caption] = fieldRow(name);
        QJsonObject row;
        row.insert(QStringLiteral("name"), QString::fromLatin1(name));
        row.insert(QStringLiteral("caption"), caption);
        row.insert(QStringLiteral("text"), text);
        row.insert(QStringLiteral("unit"), unitName);
        row.insert(QStringLiteral("si"), si ? QJsonValue(*si) : QJsonValue());
        row.insert(QStringLiteral("stale"), stale);
        rows.append(row);
      }
      return rows;
    };
    jdoc.insert(QStringLiteral("inputs"), fields(Codes(InputFields())));
    jdoc.insert(QStringLiteral("results"), fields(Codes(ResultFields())));
    QJsonObject lists;
    for (const char* name : kLists) lists.insert(QString::fromLatin1(name), listText(name));
    jdoc.insert(QStringLiteral("lists"), lists);
    QJsonObject checks;
    for (const char* name : kChecks) checks.insert(QString::fromLatin1(name), checked(name));
    jdoc.insert(QStringLiteral("checks"), checks);
    // The lists' and boxes' captions, by name (the rows carry their own).
    QJsonObject captions;
    for (const auto& names :
         {std::span<const char* const>(kLists), std::span<const char* const>(kChecks)})
      for (const char* name : names)
        captions.insert(QString::fromLatin1(name), ListCaption(doc, name));
    jdoc.insert(QStringLiteral("captions"), captions);
    jdoc.insert(QStringLiteral("messages"), QJsonArray::fromStringList(messages));
    QJsonArray findings;
    for (const TFinding& f : doc.Findings) {
      QJsonObject row;
      row.insert(QStringLiteral("code"), QString::fromStdString(f.Code));
      row.insert(QStringLiteral("level"), QString::fromLatin1(LevelKey(f.Level)));
      row.insert(QStringLiteral("field"), QString::fromStdString(f.Field));
      row.insert(QStringLiteral("text"), QString::fromStdString(f.Text));
      findings.append(row);
    }
    jdoc.insert(QStringLiteral("findings"), findings);
    // A rating: the same object as velm-calc's "Rating" (cli/RatingJson.h).
    if (doc.CalcTypeIndex == 1)
      jdoc.insert(QStringLiteral("rating"),
                  doc.Rating ? QJsonDocument::fromJson(
                                   QByteArray::fromStdString(RatingJson(*doc.Rating).dump()))
                                   .object()
                             : QJsonValue());
    // A whole column: the same object as velm-calc's column output.
    if (doc.Column)
      jdoc.insert(
          QStringLiteral("column"),
          QJsonDocument::fromJson(QByteArray::fromStdString(ColumnResultJson(*doc.Column).dump()))
              .object());
    // The calibration and analyses: the same object as velm-calc's analysis output.
    const TDocumentAnalysis& a = doc.Analysis;
    if (a.Calibration || !a.CalibrationError.empty() || a.Uncertainty || !a.Sensitivity.empty() ||
        a.SweepSettings || !a.AnalysisError.empty())
      jdoc.insert(QStringLiteral("analysis"),
                  QJsonDocument::fromJson(
                      QByteArray::fromStdString(AnalysisResultJson(doc.Analysis).dump()))
                      .object());
    out << QString::fromUtf8(QJsonDocument(jdoc).toJson(QJsonDocument::Indented));
  } else {
    auto print = [&](const auto& names) {
      for (const char* name : names) {
        const auto [text, unitName, si, stale, caption] = fieldRow(name);
        // The text as the window shows it (long numbers in 7 digits); --json keeps all.
        const QString shown = ShortFieldText(text).value_or(text);
        out << name << ' ' << OrDash(caption) << ' ' << OrDash(shown.trimmed()) << ' '
            << OrDash(unitName);
        if (stale) out << " stale";
        out << '\n';
      }
    };
    print(Codes(InputFields()));
    print(Codes(ResultFields()));
    for (const char* name : kLists)
      out << name << ' ' << OrDash(ListCaption(doc, name)) << ' ' << OrDash(listText(name)) << '\n';
    for (const char* name : kChecks)
      out << name << ' ' << OrDash(ListCaption(doc, name)) << ' ' << (checked(name) ? 1 : 0)
          << '\n';
    for (const TFinding& f : doc.Findings)
      out << "finding " << LevelKey(f.Level) << ' ' << QString::fromStdString(f.Code) << ' '
          << OrDash(QString::fromStdString(f.Field)) << ' ' << QString::fromStdString(f.Text)
          << '\n';
    if (doc.Rating) PrintRating(out, *doc.Rating);
    if (doc.Column) PrintColumn(out, *doc.Column);
    PrintAnalysis(out, doc.Analysis);
  }
  out.flush();

  // The report, its PDF and the chart from the document.
  auto write = [&](const QString& path, auto writer) {
    if (path.isEmpty()) return;
    try {
      writer(doc, DefaultReportTemplate(), file, listText("PTD"), path);
    } catch (const TSilentAbort&) {
      code = 4;
    } catch (const std::exception& e) {
      err << "velm: " << QString::fromStdString(e.what()) << '\n';
      code = 4;
    }
  };
  write(report, WriteDesignReport);
  write(pdf, ExportDesignReportPdf);
  if (!chart.isEmpty() && complete) {
    if (const int written = WriteChart(doc, file, chart, err); written != 0) code = written;
  } else if (!chart.isEmpty()) {
    err << "velm: no chart is written for an incomplete calculation\n";
  }
  return code;
}

}  // namespace velm
