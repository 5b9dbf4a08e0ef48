// The window shown while the program starts (frmsplash1). It stays on top
// until the main window is shown and has been visible for about a second,
// so that it is seen even when the main window loads at once.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

namespace app {

class SplashWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SplashWindow(QWidget* parent = nullptr);

  static constexpr int kMinimumShownMs = 1000;

  // Shows the window and lets it paint before the main window loads.
  void Present();
  // Hides it once it has been shown for kMinimumShownMs, at once if it has.
  void CloseAfterMinimumTime();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QElapsedTimer shown_;
};

}  // namespace app
