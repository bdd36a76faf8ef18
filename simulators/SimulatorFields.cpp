#include "simulators/SimulatorFields.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include "base/Errors.h"
#include "simulators/SimulatorLists.h"
#include "units/ValueField.h"

namespace velm {

void WriteFieldValue(QWidget* owner, const char* name, double value) {
  TEditD* field = owner ? owner->findChild<TEditD*>(QString::fromLatin1(name)) : nullptr;
  if (!field) throw TInputError(std::string("主窗口没有字段 ") + name);
  field->SetValue(value);
}

TImportButtons SetUpImportDialog(QDialog* dialog, const QString& name, const QString& title,
                                 std::function<void()> ok) {
  dialog->setObjectName(name);
  dialog->setWindowTitle(title);
  dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
  dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  dialog->setModal(true);
  dialog->setAttribute(Qt::WA_DeleteOnClose);

  TImportButtons b{new QPushButton(QStringLiteral("获得数据"), dialog),
                   new QPushButton(QStringLiteral("确定"), dialog),
                   new QPushButton(QStringLiteral("取消"), dialog), new QHBoxLayout};
  b.GetData->setObjectName(QStringLiteral("BGetData"));
  b.OK->setObjectName(QStringLiteral("BOK"));
  b.Cancel->setObjectName(QStringLiteral("BCancel"));
  for (QPushButton* button : {b.GetData, b.OK, b.Cancel}) button->setAutoDefault(false);
  b.Row->addWidget(b.GetData);
  b.Row->addStretch(1);
  b.Row->addWidget(b.OK);
  b.Row->addWidget(b.Cancel);
  QObject::connect(b.OK, &QPushButton::clicked, dialog, [dialog, ok = std::move(ok)] {
    GuardSimulatorHandler(ok);
    dialog->accept();
  });
  QObject::connect(b.Cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return b;
}

}  // namespace velm
