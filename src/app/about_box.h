// 关于 (frmAbout): version, title, what the program does, and the home page
// and mail address when the build set them.
#pragma once

#include <QDialog>

class QLabel;

namespace app {

class AboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit AboutBox(QWidget* parent = nullptr);
  static QString Description();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* home_label_ = nullptr;  // none when no home page is set
};

}  // namespace app
