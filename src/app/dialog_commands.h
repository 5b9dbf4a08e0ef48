// The commands that open the statistics dialogs (设置, 综合统计, 符合条件的
// 学生名单, 筛选), and what those dialogs share: showing a finished report
// in a new window and mirroring lists into combo boxes.
#pragma once

#include <string>
#include <vector>

#include "output/document.h"

class QComboBox;

namespace app {

class DocumentWindow;
class MainWindow;

void RegisterDialogCommands(MainWindow& window);

// A report a dialog built, in a new report window that becomes the active one.
DocumentWindow* ShowInNewWindow(MainWindow& window, output::Document document);

// Replaces the items of `box` without emitting its signals.
void SetComboItems(QComboBox* box, const std::vector<std::string>& items);
// Shows `text`: the matching item when there is one, else the text itself in
// an editable box, else no selection.
void SetComboText(QComboBox* box, const std::string& text);

}  // namespace app
