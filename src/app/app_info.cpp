#include "app/app_info.h"

namespace app {

QString AppTitle() {
  return QStringLiteral("成绩统计");
}

QString VersionText() {
  return QStringLiteral("%1.%2.%3")
      .arg(SCORESTAT_VERSION_MAJOR)
      .arg(SCORESTAT_VERSION_MINOR)
      .arg(SCORESTAT_VERSION_PATCH);
}

QString HomePageAddress() {
  return QStringLiteral(SCORESTAT_HOMEPAGE);
}

QString OnlineHelpAddress() {
  return QStringLiteral(SCORESTAT_HELP_URL);
}

QString ContactMail() {
  return QStringLiteral(SCORESTAT_CONTACT_MAIL);
}

}  // namespace app
