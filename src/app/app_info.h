// What the program says about itself: title, version, addresses.
#pragma once

#include <QString>

namespace app {

// The main window's caption and the key of the settings store.
inline QString AppTitle() {
  return QStringLiteral("成绩统计");
}
inline QString VersionText() {
  return QStringLiteral("%1.%2.%3")
      .arg(SCORESTAT_VERSION_MAJOR)
      .arg(SCORESTAT_VERSION_MINOR)
      .arg(SCORESTAT_VERSION_PATCH);
}
inline QString HomePageAddress() {
  return QStringLiteral("https://scorestat.example.org/");
}
inline QString OnlineHelpAddress() {
  return QStringLiteral("https://scorestat.example.org/help/");
}
inline QString ContactMail() {
  return QStringLiteral("support@scorestat.example.org");
}

}  // namespace app
