#include "app/WindowFields.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <stdexcept>

#include "app/MainWindow.h"
#include "units/ValueField.h"

namespace velm {

TWindowFields::TWindowFields(TFormVELM& form, std::function<void(const QString&)> messageBox,
                             std::function<void()> resetMethod)
    : FMessageBox(std::move(messageBox)), FResetMethod(std::move(resetMethod)) {
  for (int i = 0; i < kFieldCount; ++i) {
    const auto f = static_cast<TField>(i);
    FFields[static_cast<size_t>(i)] = form.Control<TEditD>(QString::fromLatin1(FieldName(f)));
  }
  FWettingLabel = form.Control<QLabel>(QStringLiteral("UmL"));
}

TEditD& TWindowFields::Field(TField f) {
  TEditD* field = FFields[static_cast<size_t>(f)];
  if (!field) throw std::logic_error(std::string("the window has no field ") + FieldName(f));
  return *field;
}

bool TWindowFields::IsFilled(TField f) { return !Field(f).text().isEmpty(); }

double TWindowFields::Value(TField f) { return Field(f).Value(); }

void TWindowFields::SetValue(TField f, double si) { Field(f).SetValue(si); }

void TWindowFields::SetWettingCaption(const std::string& caption) {
  if (FWettingLabel) FWettingLabel->setText(QString::fromStdString(caption));
}

void TWindowFields::ResetFloodMethod() {
  if (FResetMethod) FResetMethod();
}

void TWindowFields::ShowMessage(const std::string& text) {
  if (FMessageBox) FMessageBox(QString::fromStdString(text));
}

int TMemoLog::Count() const {
  // An empty memo holds no line (the document still has its one empty block).
  const QTextDocument* doc = FMemo->document();
  if (doc->blockCount() == 1 && doc->firstBlock().text().isEmpty()) return 0;
  return doc->blockCount();
}

void TMemoLog::Clear() { FMemo->clear(); }

void TMemoLog::Add(const TLogLine& line) {
  // A plain line, whatever the format of the line before it (the findings are coloured) or of
  // the place the user last clicked.
  QScrollBar* bar = FMemo->verticalScrollBar();
  const bool atBottom = bar->value() >= bar->maximum();
  QTextCursor cursor(FMemo->document());
  cursor.movePosition(QTextCursor::End);
  if (Count() > 0) cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
  cursor.insertText(QString::fromStdString(line.Text()), QTextCharFormat());
  if (atBottom) bar->setValue(bar->maximum());
}

}  // namespace velm
