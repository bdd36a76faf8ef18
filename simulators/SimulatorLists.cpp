#include "simulators/SimulatorLists.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <charconv>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "units/ValueField.h"

namespace velm {
namespace {

TSimulatorMessageHook GHook;

}  // namespace

int TStrings::IndexOfNoCase(const std::string& text) const {
  const QString t = QString::fromStdString(text);
  for (int i = 0; i < Count(); ++i)
    if (QString::fromStdString(Strings(i)).compare(t, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

int TListBoxStrings::Count() const { return FList->count(); }

std::string TListBoxStrings::Strings(int index) const {
  return FList->item(index)->text().toStdString();
}

void TListBoxStrings::Add(const std::string& line) { FList->addItem(QString::fromStdString(line)); }

void TListBoxStrings::Clear() { FList->clear(); }

void SetSimulatorMessageHook(TSimulatorMessageHook hook) { GHook = std::move(hook); }

void ShowSimulatorMessage(const QString& text, const QString& detail) {
  if (GHook) {
    GHook(text, detail);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                  QMessageBox::Ok, QApplication::activeWindow());
  if (!detail.isEmpty()) box.setInformativeText(detail);
  box.exec();
}

void GuardSimulatorHandler(const std::function<void()>& body) {
  try {
    body();
  } catch (const TSilentAbort&) {
  } catch (const std::exception& e) {
    ReportError(QString::fromStdString(e.what()));
  } catch (...) {
    ReportError(QStringLiteral("未知错误"));
  }
}

int StrToInt(const std::string& text) {
  const std::string_view t = Trim(text);
  int value = 0;
  const char* first = t.data();
  const char* last = t.data() + t.size();
  if (!t.empty() && *first == '+' && t.size() > 1 && t[1] != '-') ++first;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (t.empty() || ec != std::errc() || end != last || first == last)
    throw TInputError("“" + text + "”不是有效的整数");
  return value;
}

}  // namespace velm
