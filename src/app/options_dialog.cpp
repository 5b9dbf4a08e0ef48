#include "app/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <string_view>

#include "app/app_info.h"
#include "app/dialog_commands.h"
#include "app/dialog_util.h"
#include "app/document_window.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/qt_convert.h"
#include "app/ui_services.h"

namespace app {
namespace {

// The window's texts.
constexpr const char* kCaption = "设置";
constexpr const char* kPageCaptions[] = {"1.合计设置", "2.排名设置", "分数段设置", "其它设置"};
constexpr const char* kTotalsHeaders[] = {"科目", "是否合计", "合计比例%", "合计在此列右"};
constexpr const char* kRankingHeaders[] = {"科目", "是否排段名", "是否排校名", "是否排班名",
                                           "排名方式"};
constexpr const char* kRankingModes[] = {"1", "2"};
constexpr const char* kTotalNameLabel = "合计列名";
constexpr const char* kWeightsFrame = "综合分=";
constexpr const char* kWeightLabels[] = {"平均分X", "%+优秀率X", "%+优良率X", "+%及格率X"};
constexpr const char* kSegmentsFrame = "分数段";
constexpr const char* kSubjectSegment = "单科分数段： 每段";
constexpr const char* kTotalSegment = "总分分数段   每段";
constexpr const char* kPoints = "分";
constexpr const char* kExamFrame = "成绩表属性";
constexpr const char* kTitlesFrame = "打印表格标题";
constexpr const char* kTitleLabels[] = {"学校",   "学年度",   "年级段",  "考试类型",
                                        "主标题", "副标题左", "副标题右"};
constexpr const char* kPlusReportName = " + 表名";
constexpr const char* kRetotal = "再合计";
constexpr const char* kNextStep = "下一步(&N)";
constexpr const char* kCancel = "取消";
constexpr const char* kOK = "确定(&O)";
constexpr const char* kNoReport = "没有打开的成绩报表窗口，请先打开一个成绩表再设置。";

constexpr const char* kSegmentBoxNames[] = {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"};
constexpr const char* kTitleBoxNames[] = {"xxTex",  "ndTex",    "njTex",    "ksTex",
                                          "zbtTex", "fleftTex", "frightTex"};

// Grid1's look: Tahoma 8 and the three blues.
constexpr const char* kGridStyle =
    "QTableWidget { background: rgb(239, 243, 255); gridline-color: rgb(148, 190, 231); }"
    "QHeaderView::section { background: rgb(231, 235, 247); border: 1px solid rgb(148, 190, 231);"
    " padding: 1px; }";

int PageIndex(settings::OptionsPage page) {
  return static_cast<int>(page);
}

QTableWidget* NewGrid(QWidget* parent, const char* name, int cols) {
  auto* grid = new QTableWidget(0, cols, parent);
  grid->setObjectName(QString::fromLatin1(name));
  grid->setFont(QtFontOf("Tahoma", 8, false, false, false));
  grid->setStyleSheet(QString::fromLatin1(kGridStyle));
  grid->verticalHeader()->setFixedWidth(20);
  grid->verticalHeader()->setDefaultSectionSize(20);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  return grid;
}

void SetHeaders(QTableWidget* grid, const char* const* headers, int count) {
  QStringList labels;
  for (int i = 0; i < count; ++i) labels << Qs(headers[i]);
  grid->setHorizontalHeaderLabels(labels);
  grid->setColumnWidth(0, 60);
  for (int c = 1; c < count; ++c) grid->setColumnWidth(c, 80);
}

QTableWidgetItem* TextItem(const std::string& text) {
  auto* item = new QTableWidgetItem(Qs(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

QTableWidgetItem* CheckItem(bool ticked) {
  auto* item = new QTableWidgetItem;
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  return item;
}

bool Ticked(const QTableWidget* grid, int row, int col) {
  const QTableWidgetItem* item = grid->item(row, col);
  return item != nullptr && item->checkState() == Qt::Checked;
}

QComboBox* ListCell(const std::vector<std::string>& items, const std::string& text, bool editable) {
  auto* box = new QComboBox;
  box->setEditable(editable);
  box->setInsertPolicy(QComboBox::NoInsert);
  SetComboItems(box, items);
  SetComboText(box, text);
  return box;
}

std::string CellText(const QTableWidget* grid, int row, int col) {
  if (auto* box = qobject_cast<QComboBox*>(grid->cellWidget(row, col)))
    return Std(box->currentText());
  return {};
}

QLineEdit* NewBox(QWidget* parent, const char* name, int width = 0) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  if (width > 0) box->setFixedWidth(width);
  return box;
}

// The custom totals and rankings report on the dialog's own bar.
class BarProgress : public common::ProgressSink {
 public:
  explicit BarProgress(QProgressBar* bar) : bar_(bar) {}
  void Report(long long value, long long maximum, std::string_view) override {
    bar_->setMaximum(static_cast<int>(std::max(1LL, maximum)));
    bar_->setValue(static_cast<int>(std::min(value, maximum)));
    bar_->repaint();
  }

 private:
  QProgressBar* bar_;
};

}  // namespace

OptionsDialog::OptionsDialog(MainWindow& main, settings::OptionsModel dialog)
    : QDialog(&main, Qt::Dialog), main_(main), dialog_(std::move(dialog)) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(Qs(kCaption));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  ask_ = [this](const std::string& text, const std::string& title) {
    return QMessageBox::question(this, Qs(title), Qs(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  };

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("SSTab1"));
  tabs_->addTab(BuildTotalsPage(), Qs(kPageCaptions[0]));
  tabs_->addTab(BuildRankingPage(), Qs(kPageCaptions[1]));
  tabs_->addTab(BuildSegmentPage(), Qs(kPageCaptions[2]));
  tabs_->addTab(BuildTitlePage(), Qs(kPageCaptions[3]));

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ProgressBar1"));
  progress_->setValue(0);
  progress_->setTextVisible(false);
  progress_->setFixedHeight(12);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(progress_);
  layout->addLayout(BuildButtons());

  ShowTotals();
  ShowRanking();
  ShowTexts();
  ShowPages();
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index >= 0) dialog_.page = static_cast<settings::OptionsPage>(index);
  });
  resize(560, 400);
}

QWidget* OptionsDialog::BuildTotalsPage() {
  auto* page = new QWidget;
  totals_grid_ = NewGrid(page, "Grid1_0", 4);
  SetHeaders(totals_grid_, kTotalsHeaders, 4);
  connect(totals_grid_, &QTableWidget::cellChanged, this, &OptionsDialog::OnTotalsItemChanged);
  auto* label = new QLabel(Qs(kTotalNameLabel), page);
  label->setObjectName(QStringLiteral("Label1"));
  total_name_ = new QComboBox(page);
  total_name_->setObjectName(QStringLiteral("Combo1"));
  total_name_->setEditable(true);
  total_name_->setInsertPolicy(QComboBox::NoInsert);
  total_name_->setMinimumWidth(120);
  auto* name_line = new QHBoxLayout;
  name_line->addWidget(label);
  name_line->addWidget(total_name_);
  name_line->addStretch();
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(totals_grid_);
  layout->addLayout(name_line);
  return page;
}

QWidget* OptionsDialog::BuildRankingPage() {
  auto* page = new QWidget;
  auto* legend = new QLabel(Qs(settings::kRankingLegend), page);
  legend->setObjectName(QStringLiteral("Labpmfs"));
  ranking_grid_ = NewGrid(page, "Grid1_1", 5);
  SetHeaders(ranking_grid_, kRankingHeaders, 5);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(legend);
  layout->addWidget(ranking_grid_);
  return page;
}

QWidget* OptionsDialog::BuildSegmentPage() {
  auto* page = new QWidget;
  auto* weights = new QGroupBox(Qs(kWeightsFrame), page);
  weights->setObjectName(QStringLiteral("Frame1"));
  auto* weight_line = new QHBoxLayout(weights);
  for (int i = 0; i < 4; ++i) {
    weight_line->addWidget(new QLabel(Qs(kWeightLabels[i]), weights));
    segment_boxes_[i] = NewBox(weights, kSegmentBoxNames[i], 40);
    weight_line->addWidget(segment_boxes_[i]);
  }
  weight_line->addStretch();

  auto* segments = new QGroupBox(Qs(kSegmentsFrame), page);
  segments->setObjectName(QStringLiteral("Frame2"));
  auto* grid = new QGridLayout(segments);
  const char* labels[] = {kSubjectSegment, kTotalSegment};
  for (int i = 0; i < 2; ++i) {
    segment_boxes_[4 + i] = NewBox(segments, kSegmentBoxNames[4 + i], 40);
    grid->addWidget(new QLabel(Qs(labels[i]), segments), i, 0);
    grid->addWidget(segment_boxes_[4 + i], i, 1);
    grid->addWidget(new QLabel(Qs(kPoints), segments), i, 2);
  }
  all_total_label_ = new QLabel(segments);
  all_total_label_->setObjectName(QStringLiteral("zfLab"));
  main_total_label_ = new QLabel(segments);
  main_total_label_->setObjectName(QStringLiteral("zkzflab"));
  grid->addWidget(all_total_label_, 2, 0, 1, 4);
  grid->addWidget(main_total_label_, 3, 0, 1, 4);
  grid->setColumnStretch(3, 1);
  scale_lines_ = new QCheckBox(QStringLiteral("三线按满分折算"), page);
  scale_lines_->setObjectName(QStringLiteral("chkSxzs"));
  scale_lines_->setToolTip(QStringLiteral(
      "选中时，各班（各校、各教师）单科统计和全科统计以“满分×三线百分数”为三线，与统计表一致"));

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(weights);
  layout->addWidget(segments);
  layout->addWidget(scale_lines_);
  layout->addStretch();
  return page;
}

QWidget* OptionsDialog::BuildTitlePage() {
  auto* page = new QWidget;
  for (int i = 0; i < 7; ++i) title_boxes_[i] = NewBox(page, kTitleBoxNames[i]);
  auto label = [page](int i) { return new QLabel(Qs(kTitleLabels[i]), page); };

  auto* exam = new QGroupBox(Qs(kExamFrame), page);
  exam->setObjectName(QStringLiteral("Frame3"));
  auto* exam_grid = new QGridLayout(exam);
  exam_grid->addWidget(label(0), 0, 0);
  exam_grid->addWidget(title_boxes_[0], 0, 1, 1, 3);
  exam_grid->addWidget(label(1), 1, 0);
  exam_grid->addWidget(title_boxes_[1], 1, 1, 1, 3);
  exam_grid->addWidget(label(2), 2, 0);
  exam_grid->addWidget(title_boxes_[2], 2, 1);
  exam_grid->addWidget(label(3), 2, 2);
  exam_grid->addWidget(title_boxes_[3], 2, 3);

  auto* titles = new QGroupBox(Qs(kTitlesFrame), page);
  titles->setObjectName(QStringLiteral("Frame4"));
  auto* title_grid = new QGridLayout(titles);
  title_grid->addWidget(label(4), 0, 0);
  title_grid->addWidget(title_boxes_[4], 0, 1);
  title_grid->addWidget(new QLabel(Qs(kPlusReportName), titles), 0, 2);
  title_grid->addWidget(label(5), 1, 0);
  title_grid->addWidget(title_boxes_[5], 1, 1);
  title_grid->addWidget(label(6), 2, 0);
  title_grid->addWidget(title_boxes_[6], 2, 1);
  show_date_ = new QCheckBox(titles);
  show_date_->setObjectName(QStringLiteral("Check1"));
  title_grid->addWidget(show_date_, 2, 2);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(exam);
  layout->addWidget(titles);
  layout->addWidget(BuildFamilyGroup(page));
  layout->addStretch();
  return page;
}

QLayout* OptionsDialog::BuildButtons() {
  retotal_ = DialogButton(this, "Comzhj", kRetotal);
  next_step_ = DialogButton(this, "cmdApply", kNextStep);
  QPushButton* cancel = DialogButton(this, "cmdCancel", kCancel);
  QPushButton* ok = DialogButton(this, "cmdOK", kOK);
  connect(retotal_, &QPushButton::clicked, this, &OptionsDialog::OnRetotal);
  connect(next_step_, &QPushButton::clicked, this, &OptionsDialog::OnNextStep);
  connect(cancel, &QPushButton::clicked, this, &QWidget::close);
  connect(ok, &QPushButton::clicked, this, &OptionsDialog::OnOK);
  return ButtonRow({retotal_, next_step_, cancel, ok});
}

void OptionsDialog::ShowPages() {
  for (int i = 0; i < tabs_->count(); ++i) {
    const auto page = static_cast<settings::OptionsPage>(i);
    tabs_->setTabVisible(i, std::find(dialog_.available.begin(), dialog_.available.end(), page) !=
                                dialog_.available.end());
  }
  const QSignalBlocker block(tabs_);
  tabs_->setCurrentIndex(PageIndex(dialog_.page));
  retotal_->setVisible(dialog_.retotal_visible);
  next_step_->setVisible(dialog_.apply_visible);
  next_step_->setEnabled(dialog_.apply_enabled);
  // The bar follows a total or ranking worked out over the report; on the
  // other pages nothing runs long, and an idle bar is an empty frame.
  const auto& pages = dialog_.available;
  progress_->setVisible(std::any_of(pages.begin(), pages.end(), [](settings::OptionsPage page) {
    return page == settings::OptionsPage::kTotals || page == settings::OptionsPage::kRanking;
  }));
}

void OptionsDialog::ShowTotals() {
  const QSignalBlocker block(totals_grid_);
  const std::vector<std::string> percents(settings::kPercentItems.begin(),
                                          settings::kPercentItems.end());
  const auto& rows = dialog_.totals.rows;
  totals_grid_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    totals_grid_->setItem(r, 0, TextItem(rows[r].subject));
    totals_grid_->setItem(r, 1, CheckItem(rows[r].in_total));
    totals_grid_->setCellWidget(r, 2, ListCell(percents, rows[r].percent, true));
    totals_grid_->setItem(r, 3, CheckItem(rows[r].right_of));
  }
  SetComboItems(total_name_, {settings::kTotalNameItems.begin(), settings::kTotalNameItems.end()});
  SetComboText(total_name_, dialog_.totals.column_name);
}

void OptionsDialog::ShowRanking() {
  const auto& rows = dialog_.ranking;
  ranking_grid_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    ranking_grid_->setItem(r, 0, TextItem(rows[r].subject));
    ranking_grid_->setItem(r, 1, CheckItem(rows[r].grade));
    ranking_grid_->setItem(r, 2, CheckItem(rows[r].school));
    ranking_grid_->setItem(r, 3, CheckItem(rows[r].klass));
    ranking_grid_->setCellWidget(
        r, 4, ListCell({std::begin(kRankingModes), std::end(kRankingModes)}, rows[r].mode, false));
  }
}

void OptionsDialog::ShowTexts() {
  for (int i = 0; i < 6; ++i) segment_boxes_[i]->setText(Qs(dialog_.segments.texts[i]));
  scale_lines_->setChecked(dialog_.segments.scale_lines != 0);
  const settings::TitlePage& t = dialog_.titles;
  const std::string* texts[] = {&t.school,     &t.school_year,   &t.grade_level,   &t.exam_type,
                                &t.main_title, &t.left_subtitle, &t.right_subtitle};
  for (int i = 0; i < 7; ++i) title_boxes_[i]->setText(Qs(*texts[i]));
  show_date_->setChecked(t.show_date != 0);
  show_date_->setText(Qs(t.show_date_caption));
  mask_names_->setChecked(t.mask_names != 0);
  no_rank_->setChecked(t.no_rank != 0);
  letter_footer_->setText(Qs(t.letter_footer));
  letter_trend_->setChecked(t.letter_trend != 0);
  all_total_label_->setText(Qs(dialog_.all_total_label));
  main_total_label_->setText(Qs(dialog_.main_total_label));
}

void OptionsDialog::GatherGrids() {
  auto& totals = dialog_.totals.rows;
  for (int r = 0; r < static_cast<int>(totals.size()) && r < totals_grid_->rowCount(); ++r) {
    totals[r].in_total = Ticked(totals_grid_, r, 1);
    totals[r].percent = CellText(totals_grid_, r, 2);
    totals[r].right_of = Ticked(totals_grid_, r, 3);
  }
  dialog_.totals.column_name = Std(total_name_->currentText());
  auto& ranking = dialog_.ranking;
  for (int r = 0; r < static_cast<int>(ranking.size()) && r < ranking_grid_->rowCount(); ++r) {
    ranking[r].grade = Ticked(ranking_grid_, r, 1);
    ranking[r].school = Ticked(ranking_grid_, r, 2);
    ranking[r].klass = Ticked(ranking_grid_, r, 3);
    ranking[r].mode = CellText(ranking_grid_, r, 4);
  }
}

void OptionsDialog::GatherTexts() {
  for (int i = 0; i < 6; ++i) dialog_.segments.texts[i] = Std(segment_boxes_[i]->text());
  dialog_.segments.scale_lines = scale_lines_->isChecked() ? 1 : 0;
  settings::TitlePage& t = dialog_.titles;
  std::string* texts[] = {&t.school,     &t.school_year,   &t.grade_level,   &t.exam_type,
                          &t.main_title, &t.left_subtitle, &t.right_subtitle};
  for (int i = 0; i < 7; ++i) *texts[i] = Std(title_boxes_[i]->text());
  t.show_date = show_date_->isChecked() ? 1 : 0;
  t.mask_names = mask_names_->isChecked() ? 1 : 0;
  t.no_rank = no_rank_->isChecked() ? 1 : 0;
  t.letter_footer = Std(letter_footer_->text());
  t.letter_trend = letter_trend_->isChecked() ? 1 : 0;
}

// 合计在此列右 holds one tick: touching a row's box ticks it and clears the rest.
void OptionsDialog::OnTotalsItemChanged(int row, int column) {
  if (column != 3 || row < 0 || row >= static_cast<int>(dialog_.totals.rows.size())) return;
  reports::TickRightOf(dialog_.totals, row);
  const QSignalBlocker block(totals_grid_);
  for (int r = 0; r < totals_grid_->rowCount(); ++r)
    if (QTableWidgetItem* item = totals_grid_->item(r, 3))
      item->setCheckState(r == row ? Qt::Checked : Qt::Unchecked);
}

void OptionsDialog::OnNextStep() {
  GatherGrids();
  DocumentWindow* doc = main_.ActiveDocument();
  const grid::ReportGrid empty(1, 1);
  settings::NextStep(dialog_, doc ? doc->grid() : empty,
                     main_.state().subject_lines.FirstSubjectCol);
  ShowRanking();
  ShowPages();
}

void OptionsDialog::OnRetotal() {
  DocumentWindow* doc = main_.ActiveDocument();
  const grid::ReportGrid empty(1, 1);
  settings::BackToTotals(dialog_, doc ? doc->grid() : empty,
                         main_.state().subject_lines.FirstSubjectCol);
  ShowTotals();
  ShowPages();
}

void OptionsDialog::OnOK() {
  GatherGrids();
  GatherTexts();
  const bool on_report = dialog_.page == settings::OptionsPage::kTotals ||
                         dialog_.page == settings::OptionsPage::kRanking;
  DocumentWindow* doc = main_.ActiveDocument();
  if (on_report && doc == nullptr) {
    main_.services().Message(this, AppTitle(), Qs(kNoReport));
    return;
  }
  BarProgress progress(progress_);
  bool accepted = false;
  auto accept = [&] {
    accepted = settings::AcceptOptions(dialog_, main_.state(), doc ? &doc->document() : nullptr,
                                       ask_, progress);
  };
  try {
    // A total or ranking added to the report is one undoable step.
    if (on_report) {
      const bool totals = dialog_.page == settings::OptionsPage::kTotals;
      doc->history().Record(StepName(totals ? QStringLiteral("zdyzf") : QStringLiteral("zdypm1")),
                            accept);
    } else {
      accept();
    }
    if (!accepted) return;
  } catch (const std::exception& e) {
    main_.services().Message(this, AppTitle(), QString::fromUtf8(e.what()), QMessageBox::Warning);
    return;
  }
  if (on_report) doc->SyncFromDocument();
  close();
}

namespace {

OptionsDialog* ShowOptions(MainWindow& main, settings::OptionsModel dialog) {
  delete main.findChild<OptionsDialog*>(QString(), Qt::FindDirectChildrenOnly);
  auto* window = new OptionsDialog(main, std::move(dialog));
  window->show();
  window->raise();
  return window;
}

settings::OptionsModel LoadDialog(MainWindow& main, settings::OptionsMode mode) {
  DocumentWindow* doc = main.ActiveDocument();
  return settings::LoadOptionsModel(main.state(), doc ? &doc->grid() : nullptr, mode);
}

}  // namespace

OptionsDialog* OpenOptions(MainWindow& main, settings::OptionsMode mode) {
  return ShowOptions(main, LoadDialog(main, mode));
}

OptionsDialog* OpenOptionsAfterImport(MainWindow& main) {
  settings::OptionsModel dialog = LoadDialog(main, settings::OptionsMode::kTitles);
  settings::OfferSegmentPage(dialog, main.state());
  return ShowOptions(main, std::move(dialog));
}

}  // namespace app
