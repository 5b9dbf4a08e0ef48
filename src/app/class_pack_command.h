// 工具 > 按班输出 (absc): every class's folder of slips, parent letters,
// statistics and student list, into a folder the user chooses, with a
// progress window that can be cancelled between two runs of classes.
#pragma once

namespace app {

class MainWindow;

void RegisterPackCommand(MainWindow& window);

}  // namespace app
