#include "app/Batch.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTextStream>
#include <cstring>
#include <optional>
#include <span>

#include "app/UnitMain.h"
#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/SafeFiles.h"
#include "units/ComboBoxU.h"
#include "units/EditD.h"

namespace velm {

namespace {

// Inputs in the order of the window's groups, then the results in the order the calculation
// writes them.
const char* const kInputFields[] = {"LD",  "DlD", "MlD",  "SLD",  "DlfD", "VD",
                                    "DvD", "MvD", "DvfD", "LmdD", "meD",  "alfD"};
const char* const kLists[] = {"AfD", "fpercentD", "PTD", "MethodD", "ACLMethodD", "CalcBasis"};
const char* const kChecks[] = {"CalKf", "CalKp"};

// Every message box that opens is answered at once (as if closed with Escape) and its text
// written to standard error: nobody is there to read it.
class TMessageBoxEcho : public QObject {
 public:
  explicit TMessageBoxEcho(std::function<void(const QString&)> echo) : FEcho(std::move(echo)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* box = qobject_cast<QMessageBox*>(watched)) {
        QString text = box->text();
        if (!box->informativeText().isEmpty()) text += '\n' + box->informativeText();
        FEcho(text);
        QPointer<QMessageBox> guard(box);
        QMetaObject::invokeMethod(
            box,
            [guard] {
              if (guard) guard->reject();
            },
            Qt::QueuedConnection);
      }
    }
    return false;
  }

 private:
  std::function<void(const QString&)> FEcho;
};

QString OrDash(const QString& s) { return s.isEmpty() ? QStringLiteral("-") : s; }

// The caption a person reads beside a control: the text of the label that names it (its buddy),
// without accelerator marks and inner spaces, so that a line still splits into its parts at the
// spaces. A "计算" box is captioned by the factor it computes ("计算泛点填料因子").
QString CaptionOf(const TFormVELM& window, const QString& name) {
  const QWidget* control = window.Control<QWidget>(name);
  if (!control) return {};
  if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
    const QString factor =
        name == QLatin1String("CalKf") ? QStringLiteral("KfD") : QStringLiteral("KpD");
    return box->text().remove(QLatin1Char('&')) + CaptionOf(window, factor);
  }
  for (const QLabel* label : window.findChildren<QLabel*>())
    if (label->buddy() == control)
      return label->text().remove(QLatin1Char('&')).remove(QLatin1Char(' '));
  return {};
}

void Usage(QTextStream& err) {
  err << "usage: velm --batch FILE [--json] [--report OUT.xlsx] [--pdf OUT.pdf]\n"
         "                    [--chart OUT.png|OUT.svg]\n"
         "  Opens the project FILE, recalculates it and prints every value field as\n"
         "  \"name caption text unit\" lines (\"-\" for an empty text or unit; \" stale\" after a "
         "result\n"
         "  the recalculation did not reach), the option lists, and the findings on the\n"
         "  results as \"finding level code field text\" lines; --json prints one JSON object\n"
         "  instead; --report also writes the calculation report workbook OUT.xlsx from\n"
         "  the template beside the program; --pdf writes the same report as a one-page PDF;\n"
         "  --chart writes the operating-performance chart (SVG for a .svg name, PNG\n"
         "  otherwise).\n";
}

}  // namespace

bool IsBatchCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--batch") == 0) return true;
  }
  return false;
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
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--batch") && !batch) {
      batch = true;
      if (i + 1 >= arguments.size()) break;
      file = arguments[++i];
    } else if (a == QLatin1String("--json")) {
      json = true;
    } else if (a == QLatin1String("--report") && i + 1 < arguments.size() && report.isEmpty()) {
      report = arguments[++i];
    } else if (a == QLatin1String("--pdf") && i + 1 < arguments.size() && pdf.isEmpty()) {
      pdf = arguments[++i];
    } else if (a == QLatin1String("--chart") && chart.isEmpty() && i + 1 < arguments.size()) {
      chart = arguments[++i];
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

  QStringList messages;
  int errors = 0;
  QString lastError;
  auto echo = [&](const QString& text) {
    messages << text;
    err << text << '\n';
    err.flush();
  };
  TMessageBoxEcho boxes(echo);
  qApp->installEventFilter(&boxes);
  SetFieldMessageHook([&](const QString& text) {
    ++errors;
    lastError = text;
    echo(text);
  });

  TFormVELMSetup setup;
  setup.ErrorBox = [&](QWidget*, const QString& text) {
    ++errors;
    lastError = text;
    echo(text);
  };
  setup.MessageBox = [&](QWidget*, const QString& text) { echo(text); };
  // Nobody can answer a question or pick a file; the list of recent files is left alone.
  setup.AskSaveBox = [](QWidget*) { return int(QMessageBox::Cancel); };
  setup.OpenDialog = [](QWidget*, const QString&) { return QString(); };
  setup.SaveDialog = [](QWidget*, const QString&, const QString&, const QString&) {
    return QString();
  };
  setup.UseRecentFiles = false;

  int code = 0;
  {
    TFormVELM window(nullptr, setup);
    if (!window.PackingsLoaded()) {
      err << "velm: the packing table could not be read\n";
      code = 1;
    } else if (!window.OpenProject(file)) {
      err << "velm: cannot open the project \"" << file << "\"\n";
      code = 1;
    } else {
      errors = 0;  // what the open's own run reported is repeated by the run below
      SetNeedsRecalc(true);
      window.Guard([&window] { window.LDExit(nullptr); });
      // A run that ended early without a message (no packing, an empty input, no convergence)
      // is as incomplete as one that reported an error.
      const std::string stopped = window.DesignCase().Stopped;
      const bool complete = !NeedsRecalc() && errors == 0 && stopped.empty();
      if (!complete) code = 3;
      if (!stopped.empty()) err << "velm: incomplete: " << QString::fromStdString(stopped) << '\n';

      auto fieldRow = [&](const char* name) {
        auto* field = window.Control<TEditD>(QString::fromLatin1(name));
        auto* unit =
            window.Control<TComboBoxU>(QString::fromLatin1(name).chopped(1) + QLatin1Char('U'));
        const QString text = field ? field->text() : QString();
        const QString unitName = unit ? unit->GetUnit() : QString();
        std::optional<double> si;
        if (field) {
          if (const auto x = ParseNumber(text.toStdString())) si = field->K() * *x + field->B();
        }
        const bool stale = field && field->Stale();
        return std::make_tuple(text, unitName, si, stale);
      };

      if (json) {
        QJsonObject doc;
        doc.insert(QStringLiteral("file"), file);
        doc.insert(QStringLiteral("complete"), complete);
        QJsonValue error;
        if (errors > 0)
          error = lastError;
        else if (!stopped.empty())
          error = QString::fromStdString(stopped);
        else if (!complete)
          error = QStringLiteral("the calculation did not finish");
        doc.insert(QStringLiteral("error"), error);
        auto fields = [&](const auto& names) {
          QJsonArray rows;
          for (const char* name : names) {
            const auto [text, unitName, si, stale] = fieldRow(name);
            QJsonObject row;
            row.insert(QStringLiteral("name"), QString::fromLatin1(name));
            row.insert(QStringLiteral("caption"), CaptionOf(window, QString::fromLatin1(name)));
            row.insert(QStringLiteral("text"), text);
            row.insert(QStringLiteral("unit"), unitName);
            row.insert(QStringLiteral("si"), si ? QJsonValue(*si) : QJsonValue());
            row.insert(QStringLiteral("stale"), stale);
            rows.append(row);
          }
          return rows;
        };
        doc.insert(QStringLiteral("inputs"), fields(kInputFields));
        doc.insert(QStringLiteral("results"), fields(kResultFields));
        QJsonObject lists;
        for (const char* name : kLists) {
          if (auto* list = window.Control<QComboBox>(QString::fromLatin1(name)))
            lists.insert(QString::fromLatin1(name), list->currentText());
        }
        doc.insert(QStringLiteral("lists"), lists);
        QJsonObject checks;
        for (const char* name : kChecks) {
          if (auto* box = window.Control<QCheckBox>(QString::fromLatin1(name)))
            checks.insert(QString::fromLatin1(name), box->isChecked());
        }
        doc.insert(QStringLiteral("checks"), checks);
        // The lists' and boxes' captions, by name (the rows carry their own).
        QJsonObject captions;
        for (const auto& names :
             {std::span<const char* const>(kLists), std::span<const char* const>(kChecks)})
          for (const char* name : names)
            captions.insert(QString::fromLatin1(name),
                            CaptionOf(window, QString::fromLatin1(name)));
        doc.insert(QStringLiteral("captions"), captions);
        doc.insert(QStringLiteral("messages"), QJsonArray::fromStringList(messages));
        QJsonArray findings;
        for (const TFinding& f : window.Findings()) {
          QJsonObject row;
          row.insert(QStringLiteral("code"), QString::fromStdString(f.Code));
          row.insert(QStringLiteral("level"), QString::fromLatin1(LevelKey(f.Level)));
          row.insert(QStringLiteral("field"), QString::fromStdString(f.Field));
          row.insert(QStringLiteral("text"), QString::fromStdString(f.Text));
          findings.append(row);
        }
        doc.insert(QStringLiteral("findings"), findings);
        out << QString::fromUtf8(QJsonDocument(doc).toJson(QJsonDocument::Indented));
      } else {
        auto print = [&](const auto& names) {
          for (const char* name : names) {
            const auto [text, unitName, si, stale] = fieldRow(name);
            // The text as the window shows it (long numbers in 7 digits); --json keeps all.
            const auto* field = window.Control<TEditD>(QString::fromLatin1(name));
            const QString shown = field ? field->ShortText().value_or(text) : text;
            out << name << ' ' << OrDash(CaptionOf(window, QString::fromLatin1(name))) << ' '
                << OrDash(shown.trimmed()) << ' ' << OrDash(unitName);
            if (stale) out << " stale";
            out << '\n';
          }
        };
        print(kInputFields);
        print(kResultFields);
        for (const char* name : kLists) {
          if (auto* list = window.Control<QComboBox>(QString::fromLatin1(name)))
            out << name << ' ' << OrDash(CaptionOf(window, QString::fromLatin1(name))) << ' '
                << OrDash(list->currentText()) << '\n';
        }
        for (const char* name : kChecks) {
          if (auto* box = window.Control<QCheckBox>(QString::fromLatin1(name)))
            out << name << ' ' << OrDash(CaptionOf(window, QString::fromLatin1(name))) << ' '
                << (box->isChecked() ? 1 : 0) << '\n';
        }
        for (const TFinding& f : window.Findings())
          out << "finding " << LevelKey(f.Level) << ' ' << QString::fromStdString(f.Code) << ' '
              << OrDash(QString::fromStdString(f.Field)) << ' ' << QString::fromStdString(f.Text)
              << '\n';
      }
      out.flush();

      // The report of what the window now shows, through the window's own code.
      auto write = [&](const QString& path, void (TFormVELM::*writer)(const QString&)) {
        if (path.isEmpty()) return;
        try {
          (window.*writer)(path);
        } catch (const TSilentAbort&) {
          code = 4;
        } catch (const std::exception& e) {
          err << "velm: " << QString::fromStdString(e.what()) << '\n';
          code = 4;
        }
      };
      write(report, &TFormVELM::WriteReport);
      write(pdf, &TFormVELM::ExportReportPdf);
      if (!chart.isEmpty() && complete) {
        QString error;
        if (!window.SaveChartTo(chart, &error)) {
          err << "velm: " << error << '\n';
          code = 4;
        }
      } else if (!chart.isEmpty()) {
        err << "velm: no chart is written for an incomplete calculation\n";
      }
    }
  }
  SetFieldMessageHook({});
  qApp->removeEventFilter(&boxes);
  return code;
}

}  // namespace velm
