#include "app/browser_window.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"
#include "common/program_files.h"

namespace app {
namespace {

QString Caption() {
  return QStringLiteral("浏览器");
}
QString MissingHelpText() {
  return QStringLiteral("帮助文件不存在。");
}
QString ExternalPage(const QString& address) {
  return QStringLiteral(
             "<h3>%1</h3><p>该网页需要在系统浏览器中打开：</p><p><a href=\"%1\">%1</a></p>")
      .arg(address.toHtmlEscaped());
}

QUrl UrlOf(const QString& address) {
  if (QFileInfo::exists(address)) return QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath());
  return QUrl::fromUserInput(address);
}

}  // namespace

BrowserWindow::BrowserWindow(const QString& start_address, QWidget* parent)
    : QWidget(parent, Qt::Window), home_(start_address) {
  setObjectName(QStringLiteral("frmBrowser"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(Caption());
  address_ = new QComboBox(this);
  address_->setObjectName(QStringLiteral("cboAddress"));
  address_->setEditable(true);
  address_->setInsertPolicy(QComboBox::NoInsert);
  tool_bar_ = new QToolBar(this);
  tool_bar_->setObjectName(QStringLiteral("tbToolBar"));
  page_ = new QTextBrowser(this);
  page_->setObjectName(QStringLiteral("brwWebBrowser"));
  page_->setOpenExternalLinks(true);

  auto add = [this](const char* key, const QString& caption, auto slot) {
    QAction* a = tool_bar_->addAction(caption, this, slot);
    a->setObjectName(QString::fromLatin1(key));
  };
  add("Back", QStringLiteral("后退"), [this] { page_->backward(); });
  add("Forward", QStringLiteral("前进"), [this] { page_->forward(); });
  add("Refresh", QStringLiteral("刷新"), [this] { page_->reload(); });
  add("Home", QStringLiteral("主页"), [this] { Navigate(home_); });
  add("Stop", QStringLiteral("停止"), [this] { setWindowTitle(page_->documentTitle()); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(tool_bar_);
  layout->addWidget(address_);
  layout->addWidget(page_, 1);
  connect(address_, &QComboBox::textActivated, this, &BrowserWindow::Navigate);
  connect(page_, &QTextBrowser::sourceChanged, this, &BrowserWindow::OnSourceChanged);
  resize(760, 560);
  if (!start_address.isEmpty()) Navigate(start_address);
}

void BrowserWindow::Navigate(const QString& address) {
  const QUrl url = UrlOf(address);
  if (url.isLocalFile() || url.scheme() == QStringLiteral("qrc")) {
    page_->setSource(url);
  } else {
    page_->setHtml(ExternalPage(address));
    OnSourceChanged(url);
  }
}

void BrowserWindow::OnSourceChanged(const QUrl& url) {
  const QString address = url.isLocalFile() ? url.toLocalFile() : url.toString();
  const int existing = address_->findText(address);
  if (existing >= 0) address_->removeItem(existing);
  address_->insertItem(0, address);
  address_->setCurrentIndex(0);
  const QString title = page_->documentTitle();
  setWindowTitle(title.isEmpty() ? Caption() : title);
}

BrowserWindow* OpenBrowser(QWidget* parent, const QString& address) {
  auto* browser = new BrowserWindow(address, parent);
  browser->show();
  return browser;
}

void ShowHelp(MainWindow& window) {
  QString path = window.options().help_path;
  if (path.isEmpty()) path = Qs(common::ProgramFilesFolder()) + QStringLiteral("/help/index.html");
  if (!QFileInfo::exists(path)) {
    window.services().Message(&window, QStringLiteral("提示"), MissingHelpText(),
                              QMessageBox::Warning);
    return;
  }
  OpenBrowser(&window, path);
}

}  // namespace app
