// What the program says about itself: its title, its version and the
// addresses it was built with. The addresses come from the build
// (cmake -DSCORESTAT_HOMEPAGE=... -DSCORESTAT_HELP_URL=...
// -DSCORESTAT_CONTACT_MAIL=...); each is empty when none was given, and the
// windows then leave out whatever would show it.
#pragma once

#include <QString>

namespace app {

// The main window's caption and the key of the settings store.
QString AppTitle();
// "major.minor.revision".
QString VersionText();
QString HomePageAddress();
QString OnlineHelpAddress();
QString ContactMail();

}  // namespace app
