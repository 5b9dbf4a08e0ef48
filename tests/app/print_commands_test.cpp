#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include "app/page_setup_dialog.h"
#include "app/print_commands.h"
#include "app_fixture.h"
#include "grid/export.h"
#include "grid/grid_file.h"
#include "print_fixture.h"
#include "render/print.h"

namespace app_test {
namespace {

class PrintCommandsTest : public PrintHooked<AppFixture> {
 protected:
  // A small report in a new window.
  app::DocumentWindow* SampleReport() {
    Win();
    app::DocumentWindow* doc = NewReport(4, 3);
    grid::ReportGrid& g = doc->grid();
    g.SetCellText(0, 1, "姓名");
    g.SetCellText(0, 2, "语文");
    g.SetCellText(1, 1, "张三");
    g.SetCellText(1, 2, "87.5");
    g.SetCellText(2, 1, "李四");
    g.SetCellText(2, 2, "92");
    g.PageSetup().orientation = grid::kLandscape;
    g.PageSetup().top_margin = 0.5;
    doc->document().caption = "成绩表";
    doc->document().title = "成绩表 [共有 2 个记录]";
    doc->SyncFromDocument();
    return doc;
  }
};

TEST_F(PrintCommandsTest, SaveAsThenOpenRestoresTheReport) {
  app::DocumentWindow* doc = SampleReport();
  services.file_to_save = Path("期中");  // the ending is added
  Trigger("mnuFileSaveAs");
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].caption, QStringLiteral("提示"));
  EXPECT_EQ(services.messages[0].text, QStringLiteral("保存成功。"));
  // The grid file's own ending, which the file manager knows as this
  // program's; the .json of earlier versions opens all the same.
  EXPECT_TRUE(QFile::exists(Path("期中.scg")));
  EXPECT_EQ(app::GridFilePathOf(*doc), Path("期中.scg"));
  ASSERT_TRUE(QFile::copy(Path("期中.scg"), Path("期中.json")));

  app::DocumentWindow* fresh = Win().NewDocument();
  services.file_to_open = Path("期中.json");
  Trigger("mnuOpen");
  ASSERT_EQ(Win().ActiveDocument(), fresh);
  const grid::ReportGrid& g = fresh->grid();
  EXPECT_EQ(g.Rows(), 4);
  EXPECT_EQ(g.CellText(2, 1), "李四");
  EXPECT_EQ(g.CellText(1, 2), "87.5");
  EXPECT_EQ(g.PageSetup(), doc->grid().PageSetup());
  EXPECT_EQ(fresh->document().caption, "成绩表");
  EXPECT_EQ(fresh->windowTitle(), QStringLiteral("成绩表"));
  EXPECT_EQ(fresh->document().title, "成绩表 [共有 2 个记录]");

  // 保存 writes back to the file the report came from, without asking, and
  // does not let the user think the database changed.
  fresh->grid().SetCellText(2, 2, "95");
  Trigger("mnuSave");
  EXPECT_EQ(services.save_dialogs, 1);
  const QString said = services.messages.back().text;
  EXPECT_TRUE(said.contains(QDir::toNativeSeparators(Path("期中.json")))) << said.toStdString();
  EXPECT_TRUE(said.contains(QStringLiteral("成绩数据库没有改动"))) << said.toStdString();
  grid::GridDocument reread;
  ASSERT_TRUE(grid::OpenGridFile(Path("期中.json").toStdString(), reread));
  EXPECT_EQ(reread.grid.CellText(2, 2), "95");
}

TEST_F(PrintCommandsTest, ExportsWriteTheirFormatAndSayHowItWent) {
  SampleReport();
  struct Case {
    const char* command;
    const char* file;
    const char* filter;
  } cases[] = {
      {"ExcelSave", "out.xlsx", "Excel 工作簿 (*.xlsx)"},
      {"mnuExportHtml", "out.html", "网页文件 (*.html *.htm)"},
      {"mnuExportPdf", "out.pdf", "PDF 文件 (*.pdf)"},
  };
  for (const Case& c : cases) {
    services.messages.clear();
    services.file_to_save = Path(c.file);
    Run(c.command);
    EXPECT_EQ(services.last_save_filter, QString::fromUtf8(c.filter));
    EXPECT_TRUE(QFile::exists(services.file_to_save)) << c.command;
    ASSERT_EQ(services.messages.size(), 1u) << c.command;
    EXPECT_EQ(services.messages[0].text, QStringLiteral("输出成功。"));
  }
  QFile html(Path("out.html"));
  ASSERT_TRUE(html.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(html.readAll()).contains(QStringLiteral("李四")));

  // A cancelled dialog says nothing; a failed write says why.
  services.messages.clear();
  services.file_to_save.clear();
  Run("ExcelSave");
  EXPECT_TRUE(services.messages.empty());
  services.file_to_save = Path("no-such-folder/out.xlsx");
  Run("ExcelSave");
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_NE(services.messages[0].text, QStringLiteral("输出成功。"));
  EXPECT_FALSE(services.messages[0].text.isEmpty());
}

TEST_F(PrintCommandsTest, OpeningABrokenFileLeavesTheReport) {
  app::DocumentWindow* doc = SampleReport();
  QFile broken(Path("broken.json"));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("{\"version\": 1, \"cells\": [");
  broken.close();
  services.file_to_open = broken.fileName();
  Run("mnuOpen");
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(doc->grid().CellText(1, 1), "张三");
  EXPECT_TRUE(app::GridFilePathOf(*doc).isEmpty());
}

TEST_F(PrintCommandsTest, DirectPrint) {
  SampleReport();
  Run("mnuDirectPrint");  // no printer installed
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_TRUE(services.messages[0].text.contains(QStringLiteral("没有安装打印机")));

  printer = std::make_unique<QPrinter>();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(Path("printed.pdf"));
  Run("mnuDirectPrint");
  EXPECT_EQ(services.messages.size(), 1u);
  QFile pdf(Path("printed.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
  // Landscape A4 with the page setup's orientation: wider than high.
  EXPECT_TRUE(pdf.readAll().contains("/MediaBox [0 0 842.000000 595.000000]"));
}

// Printing goes the way 输出到PDF does: a progress window whose 取消 stops
// the job between two pages (a PDF printer stands for a real one here).
TEST_F(PrintCommandsTest, PrintingShowsProgressAndStopsAtCancel) {
  app::DocumentWindow* doc = SampleReport();
  for (int r = 0; r < 400; ++r) doc->grid().AddItem("\t学生\t80");
  const int pages = render::PageCount(doc->grid());
  ASSERT_GT(pages, 3);
  printer = std::make_unique<QPrinter>();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(Path("stopped.pdf"));
  QString stage;
  QTimer poll;
  poll.setInterval(0);
  QObject::connect(&poll, &QTimer::timeout, [this, &poll, &stage] {
    for (QWidget* w : Win().findChildren<QWidget*>(QStringLiteral("Progfrm"))) {
      auto* label = w->findChild<QLabel*>();
      auto* cancel = w->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
      if (label && cancel && label->text() == QStringLiteral("打印")) {
        stage = label->text();
        cancel->click();
        poll.stop();
      }
    }
  });
  poll.start();
  Run("mnuDirectPrint");
  EXPECT_EQ(stage, QStringLiteral("打印"));
  EXPECT_TRUE(services.messages.empty());
  QFile pdf(Path("stopped.pdf"));
  if (pdf.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = pdf.readAll();
    EXPECT_LT(bytes.count("/Type /Page\n"), pages) << "stopped before the last page";
  }
}

TEST_F(PrintCommandsTest, PageSetupAndPreviewWorkOnTheActiveGrid) {
  app::DocumentWindow* doc = SampleReport();
  on_dialog = [](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmPageSetup"));
    auto* top = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("txtTopMargin"));
    EXPECT_EQ(top->value(), 0.5);
    top->setValue(2.2);
    dialog.findChild<QPushButton*>(QStringLiteral("mnn"))->click();
  };
  Trigger("mnuFilePageSetup");
  EXPECT_DOUBLE_EQ(doc->grid().PageSetup().top_margin, 2.2);

  for (int r = 0; r < 200; ++r) doc->grid().AddItem("\t学生\t80");
  int previewed = -1;
  on_dialog = [&previewed](QDialog& dialog) {
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    EXPECT_NE(preview, nullptr);
    if (preview != nullptr) {
      preview->updatePreview();
      previewed = preview->pageCount();
    }
  };
  Trigger("mnuPrintPreview");
  EXPECT_GT(previewed, 1);
  EXPECT_EQ(previewed, render::PageCount(doc->grid()));
}

}  // namespace
}  // namespace app_test
