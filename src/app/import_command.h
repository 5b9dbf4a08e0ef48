// 导入数据 > 成绩及科任教师: choose a workbook, import it with the progress
// window, report the result.
#pragma once

namespace app {

class MainWindow;

void ImportWorkbook(MainWindow& window);

}  // namespace app
