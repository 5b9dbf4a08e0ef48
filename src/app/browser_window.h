// The built-in browser (frmBrowser): an address box with the visited
// addresses, back, forward, refresh, home and stop buttons, and the page.
// Local pages (the help) are shown in the window; web addresses are offered
// as a link to the system browser.
#pragma once

#include <QUrl>
#include <QWidget>

class QComboBox;
class QTextBrowser;
class QToolBar;

namespace app {

class MainWindow;

class BrowserWindow : public QWidget {
  Q_OBJECT
 public:
  explicit BrowserWindow(const QString& start_address, QWidget* parent = nullptr);
  void Navigate(const QString& address);
  QTextBrowser* page() const { return page_; }
  QComboBox* addressBox() const { return address_; }

 private:
  void OnSourceChanged(const QUrl& url);

  QComboBox* address_;
  QToolBar* tool_bar_;
  QTextBrowser* page_;
  QString home_;
};

// Opens a browser window on `address`, without waiting.
BrowserWindow* OpenBrowser(QWidget* parent, const QString& address);
// 帮助: the help page in a browser window, or "帮助文件不存在。".
void ShowHelp(MainWindow& window);

}  // namespace app
