// The window shown while the program starts (frmsplash1).
#pragma once

#include <QWidget>

namespace app {

class SplashWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SplashWindow(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace app
