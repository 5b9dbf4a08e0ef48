#include "app/menu_table.h"

#include <QRegularExpression>
#include <array>
#include <cstring>

#include "reports/chart_catalog.h"
#include "reports/report_catalog.h"

namespace app {
namespace {

constexpr MenuEntry S(int level) {
  return {level, nullptr, "-", nullptr, kMenuNone};
}

constexpr MenuEntry kEntries[] = {
    {0, "mnuFile", "文件(&F)", nullptr, kMenuSubmenu},
    {1, "mnuOpen", "打开表格文件", nullptr, kMenuNone},
    {1, "ddec", "浏览(&L)", nullptr, kMenuSubmenu},
    {2, "cj", nullptr, nullptr, kMenuNone},
    {2, "jsb", nullptr, nullptr, kMenuNone},
    {2, "sxb", nullptr, nullptr, kMenuNone},
    {2, "tjtable", nullptr, nullptr, kMenuHidden},
    {1, "sjxx", "数据信息(&O)...", nullptr, kMenuSubmenu},
    {2, "cjtjxx", "成绩统计表息", nullptr, kMenuSubmenu},
    {3, "cjbxx", nullptr, nullptr, kMenuNone},
    {3, "cjbschool", nullptr, nullptr, kMenuNone},
    {3, "cjbclass", nullptr, nullptr, kMenuNone},
    {2, "kcbpbxx", "考场编排表信息", nullptr, kMenuNone},
    {2, "fbbxx", "分班表信息", nullptr, kMenuNone},
    S(1),
    {1, "daoru", "导入数据(&D)", nullptr, kMenuSubmenu},
    {2, "cjjs", "成绩及科任教师(&C)", nullptr, kMenuNone},
    {2, "xsfb", "新生分班数据(&F)", nullptr, kMenuNone},
    {2, "kcbp", "考场编排数据(&H)", nullptr, kMenuNone},
    S(1),
    {1, "mnuSave", "保存(&S)", nullptr, kMenuNone},
    {1, "mnuFileSaveAs", "另存为(&A)...", nullptr, kMenuNone},
    {1, "ExcelSave", "输出到Excel(&E)", nullptr, kMenuNone},
    {1, "mnuExportHtml", "输出到HTML ...", nullptr, kMenuNone},
    {1, "mnuExportPdf", "输出到PDF ...", nullptr, kMenuNone},
    {1, "mnuSaveImage", "另存为图片 ...", nullptr, kMenuNone},
    S(1),
    {1, "mnuFilePageSetup", "页面设置(&U)...", nullptr, kMenuNone},
    {1, "mnuPrintPreview", "打印预览(&V)", nullptr, kMenuNone},
    {1, "mnuDirectPrint", "打印(&P)...", nullptr, kMenuNone},
    S(1),
    {1, "mnuFileSend", "发送(&D)...", nullptr, kMenuHidden},
    {1, "mnuFileExit", "退出(&X)", nullptr, kMenuNone},

    {0, "mnuReports", "统计报表&(T)", nullptr, kMenuSubmenu},
    {1, "zfdmbm", nullptr, nullptr, kMenuNone},
    {1, "czzpm", nullptr, nullptr, kMenuNone},
    {1, "zdyzf", nullptr, nullptr, kMenuNone},
    {1, "zdypm1", nullptr, nullptr, kMenuNone},
    S(1),
    {1, "gdktj", nullptr, nullptr, kMenuNone},
    {1, "classtj", nullptr, nullptr, kMenuSubmenu},
    {1, "schooltj", nullptr, nullptr, kMenuSubmenu},
    {1, "teachtj", nullptr, nullptr, kMenuSubmenu},
    S(1),
    {1, "qkjhtj", nullptr, nullptr, kMenuNone},
    {1, "topn", nullptr, nullptr, kMenuNone},
    S(1),
    {1, "mingdan", nullptr, nullptr, kMenuNone},
    S(1),
    {1, "fxbb", "分析报表", nullptr, kMenuSubmenu},
    {2, "yfyd", nullptr, nullptr, kMenuNone},
    {2, "mcfb", nullptr, nullptr, kMenuNone},
    {2, "ljs", nullptr, nullptr, kMenuNone},
    {2, "cjl", nullptr, nullptr, kMenuNone},
    {2, "bzf", nullptr, nullptr, kMenuNone},
    {2, "sjzl", nullptr, nullptr, kMenuNone},
    {2, "djpj", nullptr, nullptr, kMenuNone},
    {2, "djtj", nullptr, nullptr, kMenuNone},
    {1, "ksdb", "考试对比", nullptr, kMenuSubmenu},
    {2, "jtb", nullptr, nullptr, kMenuNone},
    {2, "bjdb", nullptr, nullptr, kMenuNone},
    {2, "gzb", nullptr, nullptr, kMenuNone},
    {1, "jxgz", "发给家长", nullptr, kMenuSubmenu},
    {2, "cjt", nullptr, nullptr, kMenuNone},
    {2, "grbg", nullptr, nullptr, kMenuNone},
    {1, "tbbb", "图表", nullptr, kMenuSubmenu},
    {2, "fsd", nullptr, nullptr, kMenuNone},
    {2, "xxt", nullptr, nullptr, kMenuNone},
    {2, "bjzt", nullptr, nullptr, kMenuNone},
    {2, "yfydt", nullptr, nullptr, kMenuNone},
    {2, "qst", nullptr, nullptr, kMenuNone},

    {0, "mnuEdit", "编辑(&E)", nullptr, kMenuSubmenu},
    {1, "mnuUndo", "撤销(&U)", "Ctrl+Z", kMenuNone},
    {1, "mnuRedo", "重做(&R)", "Ctrl+Y", kMenuNone},
    S(1),
    {1, "mnuCut", "剪切(&X)", "Ctrl+X", kMenuNone},
    {1, "mnuCopy", "复制(&C)", "Ctrl+C", kMenuNone},
    {1, "mnuPaste", "粘贴(&P)", "Ctrl+V", kMenuNone},
    S(1),
    {1, "zdypm", "选定的列排名&(Z)", nullptr, kMenuNone},
    {1, "pm", "选定的列排序", nullptr, kMenuNone},
    {1, "oldstor", "恢复原来顺序", nullptr, kMenuNone},
    {1, "shaixwan", nullptr, nullptr, kMenuNone},
    S(1),
    {1, "mnuMerge", "合并单元格(&M)", nullptr, kMenuNone},
    {1, "mnuUnMerge", "取消合并单元格", nullptr, kMenuNone},
    S(1),
    {1, "mnuInsertRows", "插入行", nullptr, kMenuNone},
    {1, "mnuInsertCols", "插入列", nullptr, kMenuNone},
    S(1),
    {1, "mnuDeleteByRow", "删除行", nullptr, kMenuNone},
    {1, "mnuDeleteByCol", "删除列", nullptr, kMenuNone},
    S(1),
    {1, "mnuHideRows", "隐藏行", nullptr, kMenuNone},
    {1, "mnuHideCols", "隐藏列", nullptr, kMenuNone},

    {0, "mnuFormat", "格式(&O)", nullptr, kMenuSubmenu},
    {1, "mnuSetWrapText", "设置自动换行", nullptr, kMenuNone},
    {1, "mnuCancelWrapText", "取消自动换行", nullptr, kMenuNone},
    S(1),
    {1, "mnuLockCell", "锁定单元格", nullptr, kMenuNone},
    {1, "mnuCancelLockCell", "取消锁定单元格", nullptr, kMenuNone},
    S(1),
    {1, "zdsize", "增大字体", nullptr, kMenuNone},
    {1, "jxsize", "减小字体", nullptr, kMenuNone},

    {0, "mnuView", "视图(&V)", nullptr, kMenuSubmenu},
    {1, "mnuViewToolbar", "工具栏(&T)", nullptr, kMenuChecked},
    {1, "mnuViewStatusBar", "状态栏(&B)", nullptr, kMenuChecked},

    {0, "mnuTools", "工具(&T)", nullptr, kMenuSubmenu},
    {1, "syssz", "分数段设置", nullptr, kMenuNone},
    {1, "qtsz", "其它设置", nullptr, kMenuNone},
    {1, "xufu", "修复系统表", nullptr, kMenuHidden},
    {1, "tjbfm", "制作统计表封面", nullptr, kMenuSubmenu},
    {2, "hxfm", nullptr, nullptr, kMenuNone},
    {2, "zxfm", nullptr, nullptr, kMenuNone},
    {1, "tetable", "制作教师表", nullptr, kMenuHidden},
    S(1),
    {1, "ksgl", "考试管理", nullptr, kMenuNone},
    {1, "absc", "按班输出", nullptr, kMenuNone},

    {0, "mnuWindow", "窗口(&W)", nullptr, kMenuSubmenu},
    {1, "mnuWindowNewWindow", "新建窗口(&N)", nullptr, kMenuNone},
    S(1),
    {1, "mnuWindowCascade", "层叠(&C)", nullptr, kMenuNone},
    {1, "mnuWindowTileHorizontal", "横向平铺(&H)", nullptr, kMenuNone},
    {1, "mnuWindowTileVertical", "纵向平铺(&V)", nullptr, kMenuNone},
    {1, "mnuWindowArrangeIcons", "排列图标(&A)", nullptr, kMenuNone},

    {0, "mnuHelp", "帮助(&H)", nullptr, kMenuSubmenu},
    {1, "mnufileHelp", "帮助(&C)", nullptr, kMenuNone},
    {1, "mnuonlineHelp", "在线帮助(&S)...", nullptr, kMenuNone},
    {1, "houseHelp", "我的主页", nullptr, kMenuNone},
    S(1),
    {1, "mnuHelpAbout", "关于(&A)", nullptr, kMenuNone},
};

constexpr SubjectMenu kSubjectMenus[] = {
    {"classtj", "gbkm"}, {"schooltj", "gxkm"}, {"teachtj", "jskm"}};

constexpr std::array<const char*, 17> kToolbarCommands = {
    nullptr,         "mnuOpen",       "mnuSave",        "mnuDirectPrint", "mnuPrintPreview",
    "mnuCut",        "mnuCopy",       "mnuPaste",       "mnuMerge",       "mnuUnMerge",
    "mnuInsertRows", "mnuInsertCols", "mnuDeleteByRow", "mnuDeleteByCol", nullptr,
    "syssz",         "mnufileHelp"};

}  // namespace

const char* MenuCaption(const MenuEntry& entry) {
  if (entry.caption != nullptr || entry.name == nullptr) return entry.caption;
  const char* kind = entry.name;
  for (const SubjectMenu& m : kSubjectMenus)
    if (std::strcmp(m.submenu, entry.name) == 0) kind = m.items;
  if (const reports::ReportKind* found = reports::FindReportKind(kind)) return found->caption;
  if (const reports::ChartKind* chart = reports::FindChartKind(kind)) return chart->caption;
  return entry.name;
}

std::span<const MenuEntry> MainMenuEntries() {
  return kEntries;
}
std::span<const SubjectMenu> SubjectMenus() {
  return kSubjectMenus;
}

QString StepName(const QString& command) {
  for (const MenuEntry& e : kEntries) {
    if (e.name == nullptr || command != QLatin1String(e.name)) continue;
    QString caption = QString::fromUtf8(e.caption);
    caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)|&\\(.\\)|&|\\.\\.\\.")));
    return caption.trimmed();
  }
  return command;
}

const char* ToolbarCommand(int index) {
  if (index < 0 || index >= static_cast<int>(kToolbarCommands.size())) return nullptr;
  return kToolbarCommands[static_cast<std::size_t>(index)];
}

}  // namespace app
