#include "TestForm.h"

#include <sys/fsuid.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "project/FormRecord.h"
#include "units/UnitEntry.h"

namespace velm::test {

const std::vector<std::pair<const char*, const char*>> kFieldsAndSelectors = {
    {"FpD", "FpU"},       {"KfD", "KfU"},
    {"UfD", "UfU"},       {"UpD", "UpU"},
    {"dpD", "dpU"},       {"dD", "dU"},
    {"UlsD", "UlsU"},     {"UvsD", "UvsU"},
    {"KpD", "KpU"},       {"dPwaterD", "dPwaterU"},
    {"LD", "LU"},         {"DlD", "DlU"},
    {"MlD", "MlU"},       {"SLD", "SLU"},
    {"DlfD", "DlfU"},     {"DvfD", "DvfU"},
    {"MvD", "MvU"},       {"DvD", "DvU"},
    {"VD", "VU"},         {"LmdD", "LmdU"},
    {"meD", "meU"},       {"alfD", "alfU"},
    {"HTUVD", "HTUVU"},   {"HTULD", "HTULU"},
    {"HTUOVD", "HTUOVU"}, {"HETPD", "HETPU"},
    {"UmD", "UmU"},       {"HTD", "HTU"},
};

const std::vector<const char*> kTextFields = {"ProjectD", "DevicenameD", "DeviceNoD", "ProjPD",
                                              "Edit1",    "Edit2",       "Edit3",     "Edit4"};

namespace {
QComboBox* MakeList(QWidget* parent, const char* name, const QStringList& items, int index) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  list->addItems(items);
  list->setCurrentIndex(index);
  return list;
}
}  // namespace

TTestForm::TTestForm() {
  setObjectName("FormVELM");
  for (const auto& [fieldName, selectorName] : kFieldsAndSelectors) {
    auto* field = new TEditD(this);
    field->setObjectName(fieldName);
    auto* selector = new TComboBoxU(this);
    selector->setObjectName(selectorName);
    selector->SetEntries(UnitListFor(selectorName));
    selector->SetAssociated(field);
    selector->Loaded();
    const QString name = fieldName;
    QObject::connect(field, &TEditD::Change, this, [this, name] { FEvents << name; });
    const QString sname = selectorName;
    QObject::connect(selector, &TComboBoxU::Change, this, [this, sname] { FEvents << sname; });
  }
  FAfD = MakeList(this, "AfD", {"0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0"}, 6);
  FfpercentD = MakeList(this, "fpercentD", {"80", "75", "70", "65", "60", "55", "50"}, 0);
  FfpercentD->setEditable(true);
  FPTD = MakeList(this, "PTD", {"拉西环 25", "鲍尔环 38", "阶梯环 50"}, 0);
  FMethodD = MakeList(this, "MethodD", {"Eckert-Orvik", "Kister-Orvik"}, 0);
  FACLMethodD = MakeList(this, "ACLMethodD", {"Normal", "Aitken", "Orvik Talvsen", "OTV2"}, 0);
  for (QComboBox* list : {FAfD, FfpercentD, FPTD, FMethodD, FACLMethodD}) {
    const QString name = list->objectName();
    QObject::connect(list, &QComboBox::currentIndexChanged, this,
                     [this, name] { FEvents << name; });
  }
  for (const char* name : kTextFields) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
  }
  FCommentD = new QTextEdit(this);
  FCommentD->setObjectName("CommentD");
  FCalKf = new QCheckBox(this);
  FCalKf->setObjectName("CalKf");
  FCalKf->setChecked(true);
  FCalKp = new QCheckBox(this);
  FCalKp->setObjectName("CalKp");
  FCalKp->setChecked(true);
  for (QCheckBox* box : {FCalKf, FCalKp}) {
    const QString name = box->objectName();
    QObject::connect(box, &QCheckBox::toggled, this, [this, name] { FEvents << name; });
  }
  FCheckList = new QListWidget(this);
  FCheckList->setObjectName("CheckList1");
  for (const char* text : {"一", "二"}) {
    auto* item = new QListWidgetItem(QString::fromUtf8(text), FCheckList);
    item->setCheckState(Qt::Unchecked);
  }
  FEvents.clear();
}

void FillSaveLoopProject(TTestForm& form, bool second) {
  int n = second ? 1000 : 0;
  for (const auto& [fieldName, selectorName] : kFieldsAndSelectors)
    form.Field(fieldName)->setText(QString::number(++n));
  QString comment;
  for (int i = 0; i < 20000; ++i) comment += QString::number((i * 7919 + n) % 100003) + ' ';
  form.FCommentD->setPlainText(comment);
}

void SaveLoop(const QString& path) {
  TTestForm a, b;
  FillSaveLoopProject(a, false);
  FillSaveLoopProject(b, true);
  for (;;) {
    WriteFormRecordFile(&b, path);
    WriteFormRecordFile(&a, path);
  }
}

QString WriteTemp(const std::string& bytes) {
  static QTemporaryDir dir;
  static int n = 0;
  const QString path = dir.filePath(QStringLiteral("t%1.vlm").arg(++n));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return path;
}

QString DataFile(const char* name) {
  return QDir(QStringLiteral(VELM_PROJECT_TEST_DATA)).filePath(QString::fromLatin1(name));
}

std::string ReadBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray b = f.readAll();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

TAsOrdinaryUser::TAsOrdinaryUser() {
  if (geteuid() == 0) setfsuid(65534);
}
TAsOrdinaryUser::~TAsOrdinaryUser() {
  if (geteuid() == 0) setfsuid(0);
}

}  // namespace velm::test
