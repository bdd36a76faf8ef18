#pragma once
// The about window: a fixed dialog with the program's picture, its name and version in red bold,
// and an OK button. Created hidden at start and shown modally by the about command.
#include <QDialog>

namespace velm {

class TFormAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAbout(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

// The program's picture (a packed column), drawn so that no image file has to be shipped.
QPixmap ProgramPicture(int size);

}  // namespace velm
