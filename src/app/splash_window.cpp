#include "app/splash_window.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app_info.h"

namespace app {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("frmsplash1"));
  auto make = [this](const char* name, const QString& text, int pixel_size, bool bold) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("color: white"));
    return label;
  };
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 24, 24, 24);
  layout->addWidget(make("lblProductName", AppTitle(), 36, true));
  layout->addWidget(make("lblVersion", QStringLiteral("V ") + VersionText(), 16, false));
  layout->addStretch();
  layout->addWidget(make("lblWarning", QStringLiteral("轻松工作"), 18, false));
  layout->addWidget(make("lblCompany", QStringLiteral("快乐生活"), 18, false));
  setFixedSize(420, 260);
  if (QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - rect().center());
}

void SplashWindow::Present() {
  show();
  raise();
  shown_.start();
  QCoreApplication::processEvents();
}

void SplashWindow::CloseAfterMinimumTime() {
  const qint64 left = shown_.isValid() ? kMinimumShownMs - shown_.elapsed() : 0;
  if (left <= 0) {
    hide();
    return;
  }
  raise();
  QTimer::singleShot(static_cast<int>(left), this, &QWidget::hide);
}

void SplashWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient gradient(0, 0, 0, height());
  gradient.setColorAt(0, QColor(40, 90, 170));
  gradient.setColorAt(1, QColor(20, 50, 110));
  painter.fillRect(rect(), gradient);
}

}  // namespace app
