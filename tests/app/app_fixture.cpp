#include "app_fixture.h"

#include <QAction>
#include <QLabel>

namespace app_test {

void AppFixture::Trigger(const char* name) {
  auto* action = Window().findChild<QAction*>(QString::fromLatin1(name));
  ASSERT_NE(action, nullptr) << name;
  action->trigger();
}

QString AppFixture::Panel(int n) {
  auto* label = Window().findChild<QLabel*>(QStringLiteral("Panel%1").arg(n));
  return label ? label->text() : QStringLiteral("<no panel>");
}

}  // namespace app_test
