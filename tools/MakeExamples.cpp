// Writes the example projects of examples/: each design is entered into a real main window (units
// picked first, then the numbers typed), recalculated, and stored with the program's own writer:
// one plain form-record file, one compressed, and one in the older positional format (which the
// program reads but never writes; the positional writer here follows the reader's layout).
//
//   velm_make_examples PACKINGS.cds OUTPUT_DIR
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTextEdit>
#include <cstdio>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "base/NumberFormat.h"
#include "base/TextCodec.h"
#include "project/FileIo.h"
#include "project/FormRecord.h"
#include "units/UnitSelector.h"
#include "units/ValueField.h"

using namespace velm;

namespace {

enum class TLayout { Plain, Compressed, Legacy };

struct TInput {
  const char* Field;
  const char* Unit;  // display name of the unit the number is typed in
  const char* Text;
};

struct TExample {
  const char* File;
  TLayout Layout;
  const char* Project[8];  // ProjectD, DevicenameD, DeviceNoD, ProjPD, Edit1..Edit4
  const char* Comment;
  std::vector<TInput> Inputs;
  std::vector<TInput> ResultUnits;  // units the results are shown in (text unused)
  const char* Foaming;
  const char* FloodPercent;
  const char* Packing;  // key in the packing table
  int Method;
  int Acceleration;
  // A rating of a given column: the service, the column's diameter [mm] and bed height [m].
  int Service = 0;
  const char* RatedDiameter = nullptr;
  const char* BedHeight = nullptr;
};

// Physical properties: water and air at 20 °C, 101.3 kPa (Perry's Chemical Engineers'
// Handbook, 8th ed., Tables 2-305 and 2-312); NH3 diffusivities (Cussler, Diffusion, 3rd ed.,
// Tables 5.1-1 and 5.2-1); benzene/toluene near 85 °C and ethylbenzene/styrene at 13.3 kPa
// near 75 °C from Yaws, Chemical Properties Handbook (1999), gas diffusivities by
// Fuller-Schettler-Giddings, liquid ones by Wilke-Chang.
const std::vector<TExample>& Examples() {
  static const std::vector<TExample> examples = {
      {"air-water-absorber.vlm",
       TLayout::Plain,
       {"合成氨尾气处理", "氨吸收塔", "T-101", "基础设计", "", "", "", ""},
       "空气中的氨用清水吸收，20 °C，101.3 kPa。\n平衡线斜率取稀溶液的亨利常数 m = 0.93。",
       {{"LD", "kg/h", "18000"},
        {"DlD", "kg/m3", "998.2"},
        {"MlD", "cp", "1.002"},
        {"SLD", "dyn/cm", "72.8"},
        {"DlfD", "m2/s", "1.76e-9"},
        {"VD", "kg/h", "4500"},
        {"DvD", "kg/m3", "1.205"},
        {"MvD", "cp", "0.0181"},
        {"DvfD", "cm2/s", "0.22"},
        {"meD", "无量纲", "0.93"}},
       {{"dU", "mm", ""}, {"UlsU", "m3/m2.h", ""}},
       "1.0",
       "70",
       "28",
       0,
       1},
      {"air-water-absorber-rating.vlm",
       TLayout::Plain,
       {"合成氨尾气处理", "氨吸收塔", "T-101", "改造核算", "", "", "", ""},
       "已有吸收塔 DN1100、填料层 6 m "
       "的核算：设计、最大、最小和两个改造负荷工况。\n空气中的氨用清水吸收，20 °C，101.3 kPa，m = "
       "0.93。",
       {{"LD", "kg/h", "18000"},
        {"DlD", "kg/m3", "998.2"},
        {"MlD", "cp", "1.002"},
        {"SLD", "dyn/cm", "72.8"},
        {"DlfD", "m2/s", "1.76e-9"},
        {"VD", "kg/h", "4500"},
        {"DvD", "kg/m3", "1.205"},
        {"MvD", "cp", "0.0181"},
        {"DvfD", "cm2/s", "0.22"},
        {"meD", "无量纲", "0.93"}},
       {{"dU", "mm", ""}, {"UlsU", "m3/m2.h", ""}},
       "1.0",
       "70",
       "28",
       0,
       1,
       3,
       "1100",
       "6"},
      {"benzene-toluene-distillation.vlm",
       TLayout::Compressed,
       {"苯-甲苯分离", "苯塔精馏段", "T-201", "详细设计", "回流比 3", "", "", ""},
       "常压精馏，精馏段顶部约 85 °C。\n相对挥发度 2.45，平衡线斜率由相对挥发度推出。\nKister "
       "法用填料的实验填料因子。",
       {{"LD", "kg/h", "10500"},
        {"DlD", "kg/m3", "812"},
        {"MlD", "cp", "0.29"},
        {"SLD", "dyn/cm", "21"},
        {"DlfD", "m2/s", "5.5e-9"},
        {"VD", "t/h", "14"},
        {"DvD", "kg/m3", "2.72"},
        {"MvD", "cp", "0.009"},
        {"DvfD", "m2/s", "5.0e-6"},
        {"alfD", "无量纲", "2.45"}},
       {{"dU", "mm", ""}, {"dPwaterU", "mmH2O", ""}},
       "0.9",
       "80",
       "21",
       1,
       2},
      {"vacuum-ethylbenzene-styrene.vlm",
       TLayout::Legacy,
       {"苯乙烯精制", "乙苯/苯乙烯分离塔", "T-301", "可行性研究", "", "", "", ""},
       "减压操作，塔顶 13.3 kPa (100 mmHg)，约 75 °C。\n低压下气相密度小，气相扩散系数大。",
       {{"LD", "kg/h", "5400"},
        {"DlD", "kg/m3", "830"},
        {"MlD", "cp", "0.38"},
        {"SLD", "dyn/cm", "23"},
        {"DlfD", "m2/s", "3.5e-9"},
        {"VD", "kg/h", "6000"},
        {"DvD", "kg/m3", "0.484"},
        {"MvD", "cp", "0.0078"},
        {"DvfD", "m2/s", "2.6e-5"},
        {"alfD", "无量纲", "1.38"}},
       {{"dU", "mm", ""}},
       "1.0",
       "75",
       "26",
       0,
       3},
  };
  return examples;
}

int SelectUnit(TComboBoxU* unit, const QString& name) {
  for (int i = 0; i < unit->count(); ++i) {
    unit->setCurrentIndex(i);
    if (unit->GetUnit() == name) {
      // As the user picks it: the field takes the unit's factor.
      emit unit->activated(i);
      return i;
    }
  }
  std::fprintf(stderr, "no unit %s in %s\n", qPrintable(name), qPrintable(unit->objectName()));
  return -1;
}

// The older positional layout, in the window's component order.
std::string LegacyText(TFormVELM& w) {
  const char* const order[] = {
      "FpD V",   "FpU U",   "KfD V",   "KfU U",      "UfD V",         "UfU U",       "UpD V",
      "UpU U",   "dpD V",   "dpU U",   "dD V",       "dU U",          "UlsD V",      "UlsU U",
      "UvsD V",  "UvsU U",  "KpD V",   "KpU U",      "dPwaterD V",    "dPwaterU U",  "LD V",
      "LU U",    "DlD V",   "DlU U",   "MlD V",      "MlU U",         "SLD V",       "SLU U",
      "DlfD V",  "DlfU U",  "AfD C",   "DvfD V",     "MvD V",         "DvD V",       "VD V",
      "VU U",    "DvU U",   "MvU U",   "DvfU U",     "fpercentD C",   "PTD C",       "LmdD V",
      "LmdU U",  "meD V",   "meU U",   "alfD V",     "alfU U",        "MethodD C",   "ACLMethodD C",
      "HTUVD V", "HTUVU U", "HTULD V", "HTULU U",    "HTUOVD V",      "HTUOVU U",    "HETPD V",
      "HETPU U", "UmD V",   "UmU U",   "ProjectD T", "DevicenameD T", "DeviceNoD T", "ProjPD T",
      "Edit1 T", "Edit2 T", "Edit3 T", "Edit4 T",    "CommentD R",    "HTD V",       "HTU U"};
  std::string out;
  auto line = [&out](const QString& s) { out += s.toStdString() + "\r\n"; };
  for (const char* entry : order) {
    const QString e = QString::fromLatin1(entry);
    const QString name = e.section(' ', 0, 0);
    const QChar kind = e.section(' ', 1, 1)[0];
    if (kind == 'V') {
      auto* f = w.Control<TEditD>(name);
      line(f->text());
      line(QString::fromStdString(FormatField(f->K())));
      line(f->isReadOnly() ? "1" : "0");
      line(QString::number(f->Color()));
      line(f->text());
    } else if (kind == 'U') {
      const QString index = QString::number(w.Control<TComboBoxU>(name)->currentIndex());
      line(index);
      line(index);
    } else if (kind == 'C') {
      line(QString::number(w.Control<QComboBox>(name)->currentIndex()));
    } else if (kind == 'T') {
      line(w.Control<QLineEdit>(name)->text());
    } else {
      const QStringList lines = w.Control<QTextEdit>(name)->toPlainText().split('\n');
      line(QString::number(lines.size()));
      for (const QString& l : lines) line(l);
    }
  }
  return Utf8ToGb(out);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: velm_make_examples PACKINGS.cds OUTPUT_DIR\n");
    return 2;
  }
  const QString packings = QString::fromLocal8Bit(argv[1]);
  const QDir out(QString::fromLocal8Bit(argv[2]));
  int failures = 0;
  for (const TExample& ex : Examples()) {
    TFormVELMSetup setup;
    setup.PackingFile = packings;
    setup.UseRecentFiles = false;
    setup.ErrorBox = [&failures](QWidget*, const QString& text) {
      ++failures;
      std::fprintf(stderr, "error: %s\n", qPrintable(text));
    };
    setup.MessageBox = [](QWidget*, const QString& text) {
      std::fprintf(stderr, "message: %s\n", qPrintable(text));
    };
    TFormVELM w(nullptr, setup);

    const char* const texts[] = {"ProjectD", "DevicenameD", "DeviceNoD", "ProjPD",
                                 "Edit1",    "Edit2",       "Edit3",     "Edit4"};
    for (int i = 0; i < 8; ++i)
      w.Control<QLineEdit>(QString::fromLatin1(texts[i]))
          ->setText(QString::fromUtf8(ex.Project[i]));
    w.Control<QTextEdit>("CommentD")->setPlainText(QString::fromUtf8(ex.Comment));

    auto* af = w.Control<QComboBox>("AfD");
    af->setCurrentIndex(af->findText(QString::fromLatin1(ex.Foaming)));
    auto* fp = w.Control<QComboBox>("fpercentD");
    fp->setCurrentIndex(fp->findText(QString::fromLatin1(ex.FloodPercent)));
    auto* ptd = w.Control<QComboBox>("PTD");
    for (int i = 0; i < ptd->count(); ++i) {
      if (ptd->itemText(i).startsWith(QString::fromLatin1(ex.Packing) + ';'))
        ptd->setCurrentIndex(i);
    }
    w.Control<QComboBox>("MethodD")->setCurrentIndex(ex.Method);
    w.MethodDChange();
    w.Control<QComboBox>("ACLMethodD")->setCurrentIndex(ex.Acceleration);

    for (const TInput& in : ex.Inputs) {
      const QString field = QString::fromLatin1(in.Field);
      SelectUnit(w.Control<TComboBoxU>(field.chopped(1) + 'U'), QString::fromUtf8(in.Unit));
      w.Control<TEditD>(field)->setText(QString::fromLatin1(in.Text));
    }
    for (const TInput& in : ex.ResultUnits)
      SelectUnit(w.Control<TComboBoxU>(QString::fromLatin1(in.Field)), QString::fromUtf8(in.Unit));
    if (ex.RatedDiameter) {
      w.Control<QComboBox>("ServiceD")->setCurrentIndex(ex.Service);
      w.Control<QComboBox>("CalcTypeD")->setCurrentIndex(1);
      w.Control<QLineEdit>("RatedDiameterD")->setText(QString::fromLatin1(ex.RatedDiameter));
      w.Control<QLineEdit>("BedHeightD")->setText(QString::fromLatin1(ex.BedHeight));
    }
    SetNeedsRecalc(true);
    w.LDExit();
    if (NeedsRecalc()) {
      std::fprintf(stderr, "%s: the calculation did not complete\n", ex.File);
      ++failures;
    }
    // The results shown in the chosen units: a second run after the unit changes.
    SetNeedsRecalc(true);
    w.LDExit();

    const QString path = out.filePath(QString::fromLatin1(ex.File));
    switch (ex.Layout) {
      case TLayout::Plain:
        WriteWholeFile(path, BuildRecordText(&w));
        break;
      case TLayout::Compressed:
        if (!w.Files().SaveProject(path)) ++failures;
        break;
      case TLayout::Legacy:
        WriteWholeFile(path, LegacyText(w));
        break;
    }
    std::printf("%s: dD %s %s\n", ex.File, qPrintable(w.Control<TEditD>("dD")->text()),
                qPrintable(w.Control<TComboBoxU>("dU")->GetUnit()));
    SetModified(false);
  }
  return failures == 0 ? 0 : 1;
}
