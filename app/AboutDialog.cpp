#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/BuildInfo.h"

namespace velm {

QPixmap ProgramPicture(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 32.0;
  // Column shell.
  p.setPen(QPen(QColor(0, 0, 128), 1.5 * s));
  p.setBrush(QColor(230, 240, 255));
  p.drawRoundedRect(QRectF(9 * s, 2 * s, 14 * s, 28 * s), 3 * s, 3 * s);
  // Packed bed: a few rings.
  p.setPen(QPen(QColor(160, 80, 0), 1.2 * s));
  p.setBrush(Qt::NoBrush);
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 2; ++col) {
      const qreal x = (12.5 + col * 5 + (row % 2) * 1.5) * s;
      const qreal y = (9 + row * 4) * s;
      p.drawEllipse(QPointF(x, y), 1.7 * s, 1.7 * s);
    }
  }
  // Liquid down (blue), gas up (red).
  p.setPen(QPen(QColor(0, 90, 220), 1.5 * s));
  p.drawLine(QPointF(4 * s, 3 * s), QPointF(4 * s, 13 * s));
  p.drawLine(QPointF(4 * s, 13 * s), QPointF(2.5 * s, 10.5 * s));
  p.drawLine(QPointF(4 * s, 13 * s), QPointF(5.5 * s, 10.5 * s));
  p.setPen(QPen(QColor(220, 0, 0), 1.5 * s));
  p.drawLine(QPointF(28 * s, 29 * s), QPointF(28 * s, 19 * s));
  p.drawLine(QPointF(28 * s, 19 * s), QPointF(26.5 * s, 21.5 * s));
  p.drawLine(QPointF(28 * s, 19 * s), QPointF(29.5 * s, 21.5 * s));
  return pixmap;
}

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormAbout"));
  setWindowTitle(QStringLiteral("关于"));
  setModal(true);

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("Image1"));
  picture->setPixmap(ProgramPicture(48));

  auto* title = new QLabel(QStringLiteral("散堆填料塔流体力学(VELM)4.2版"), this);
  title->setObjectName(QStringLiteral("Label1"));
  QFont font = title->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.3);
  title->setFont(font);
  QPalette palette = title->palette();
  palette.setColor(QPalette::WindowText, Qt::red);
  title->setPalette(palette);

  // The version and source revision of this build, under the name.
  const QString build =
      QStringLiteral("程序版本 %1\n构建 %2")
          .arg(QString::fromLatin1(BuildVersion()), QString::fromLatin1(BuildCommit()));
  auto* version = new QLabel(build, this);
  version->setObjectName(QStringLiteral("Label2"));
  version->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addSpacing(12);
  auto* texts = new QVBoxLayout;
  texts->addWidget(title);
  texts->addSpacing(6);
  texts->addWidget(version);
  top->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 20, 20, 14);
  layout->addLayout(top);
  layout->addSpacing(16);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormAbout::showEvent(QShowEvent* event) {
  // Centred on the screen, as a fixed dialog.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect r = frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    move(r.topLeft());
  }
  QDialog::showEvent(event);
}

}  // namespace velm
