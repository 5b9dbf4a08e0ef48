#include "app/page_setup_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <tuple>
#include <utility>

#include "app/dialog_util.h"
#include "app/edit_history.h"
#include "app/qt_convert.h"

namespace app {

namespace {

// The dialog's texts, in one place.
namespace text {
const QString kCaption = QStringLiteral("页面设置");
const QString kTabPaper = QStringLiteral(" 页面 ");
const QString kTabMargin = QStringLiteral(" 页边距 ");
const QString kTabHeaderFooter = QStringLiteral("页眉/页脚");
const QString kAlignments[] = {QStringLiteral("左对齐"), QStringLiteral("居中对齐"),
                               QStringLiteral("右对齐")};
const QString kMarginNames[] = {QStringLiteral("上(&T):"),   QStringLiteral("下(&B):"),
                                QStringLiteral("左(&L):"),   QStringLiteral("右(&R):"),
                                QStringLiteral("页眉(&H):"), QStringLiteral("页脚(&F):")};
const char* const kMarginObjects[] = {"txtTopMargin",   "txtBottomMargin", "txtLeftMargin",
                                      "txtRightMargin", "txtHeaderMargin", "txtFooterMargin"};
}  // namespace text

enum Margin { kTop, kBottom, kLeft, kRight, kHeader, kFooter };

QFont EditorFont(const grid::Font& f) {
  QFont font = QtFontOf(f);
  font.setStrikeOut(f.strikethrough);
  return font;
}

void SetRange(QSpinBox* box, const RangedValue& v) {
  box->setRange(static_cast<int>(v.min), static_cast<int>(v.max));
  box->setValue(static_cast<int>(v.value));
}

void SetRange(QDoubleSpinBox* box, const RangedValue& v) {
  box->setRange(v.min, v.max);
  box->setValue(v.value);
}

RangedValue ValueOf(const QSpinBox* box) {
  return {static_cast<double>(box->value()), static_cast<double>(box->minimum()),
          static_cast<double>(box->maximum())};
}

RangedValue ValueOf(const QDoubleSpinBox* box) {
  return {box->value(), box->minimum(), box->maximum()};
}

Qt::Alignment EditorAlignment(int index) {
  if (index == 0) return Qt::AlignLeft | Qt::AlignVCenter;
  if (index == 2) return Qt::AlignRight | Qt::AlignVCenter;
  return Qt::AlignHCenter | Qt::AlignVCenter;
}

}  // namespace

// The small page picture of the margin page: one line per margin, the one
// being edited drawn in black, and a block of table where centring puts it.
class MarginPicture : public QWidget {
 public:
  explicit MarginPicture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("imgGrid"));
    setFixedSize(150, 190);
  }
  void Set(const std::array<double, 6>& margins, bool center_h, bool center_v) {
    margins_ = margins;
    center_h_ = center_h;
    center_v_ = center_v;
    update();
  }
  void Highlight(int margin) {
    highlighted_ = margin;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QRectF page(25, 10, 100, 141);  // A4 in proportion, 1 cm = 4.76 px
    const double cm = page.width() / 21.0;
    p.fillRect(page.translated(3, 3), QColor(128, 128, 128));
    p.fillRect(page, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(page);
    double top = page.top() + margins_[kTop] * cm;
    double bottom = page.bottom() - margins_[kBottom] * cm;
    double left = page.left() + margins_[kLeft] * cm;
    double right = page.right() - margins_[kRight] * cm;
    QRectF table(0, 0, (right - left) * 0.6, (bottom - top) * 0.4);
    table.moveLeft(center_h_ ? left + (right - left - table.width()) / 2 : left);
    table.moveTop(center_v_ ? top + (bottom - top - table.height()) / 2 : top);
    p.setPen(QColor(160, 160, 160));
    for (int i = 1; i < 4; ++i) {
      double y = table.top() + table.height() * i / 4;
      p.drawLine(QPointF(table.left(), y), QPointF(table.right(), y));
      double x = table.left() + table.width() * i / 4;
      p.drawLine(QPointF(x, table.top()), QPointF(x, table.bottom()));
    }
    p.drawRect(table);
    const double positions[] = {top,
                                bottom,
                                left,
                                right,
                                page.top() + margins_[kHeader] * cm,
                                page.bottom() - margins_[kFooter] * cm};
    for (int m = 0; m < 6; ++m) {
      p.setPen(
          QPen(m == highlighted_ ? QColor(Qt::black) : QColor(192, 192, 192), 1, Qt::DashLine));
      if (m == kLeft || m == kRight)
        p.drawLine(QPointF(positions[m], page.top()), QPointF(positions[m], page.bottom()));
      else
        p.drawLine(QPointF(page.left(), positions[m]), QPointF(page.right(), positions[m]));
    }
  }

 private:
  std::array<double, 6> margins_{2.5, 2.5, 2, 2, 1.5, 1.5};
  bool center_h_ = false;
  bool center_v_ = false;
  int highlighted_ = -1;
};

PageSetupDialog::PageSetupDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmPageSetup"));
  setWindowTitle(text::kCaption);
  tabs_ = Named<QTabWidget>(this, "TabStrip1");
  tabs_->addTab(BuildPaperPage(), text::kTabPaper);
  tabs_->addTab(BuildMarginPage(), text::kTabMargin);
  tabs_->addTab(BuildHeaderFooterPage(), text::kTabHeaderFooter);
  // Modal, so OK stays the default button that Enter presses.
  auto* ok = Named<QPushButton>(this, "mnn", QStringLiteral("确定"));
  auto* cancel = Named<QPushButton>(this, "cmdCancel", QStringLiteral("取消"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &PageSetupDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &PageSetupDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addLayout(ButtonRow({ok, cancel}));
  ShowForm(LoadPageSetupForm(grid::PageSettings{}));
}

// 纸张: the paper sizes and, for a user-defined size, its width and height.
QGroupBox* PageSetupDialog::BuildPaperSizeBox(QWidget* page) {
  auto* paper_box = new QGroupBox(QStringLiteral("纸张"), page);
  paper_ = Named<QComboBox>(paper_box, "cboPaperSize");
  auto* size_label = new QLabel(QStringLiteral("大小(&S):"), paper_box);
  size_label->setBuddy(paper_);
  auto* validator =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]*")), this);
  paper_width_ = Named<QLineEdit>(paper_box, "txtPaperWidth");
  paper_height_ = Named<QLineEdit>(paper_box, "txtPaperHeight");
  paper_width_label_ = Named<QLabel>(paper_box, "Label20", QStringLiteral("宽度(&W):"));
  paper_height_label_ = Named<QLabel>(paper_box, "Label21", QStringLiteral("高度(&H):"));
  for (QLineEdit* box : {paper_width_, paper_height_}) {
    box->setValidator(validator);
    box->installEventFilter(this);
  }
  paper_width_label_->setBuddy(paper_width_);
  paper_height_label_->setBuddy(paper_height_);
  auto* pl = new QGridLayout(paper_box);
  pl->addWidget(size_label, 0, 0);
  pl->addWidget(paper_, 0, 1, 1, 3);
  pl->addWidget(paper_width_label_, 1, 0);
  pl->addWidget(paper_width_, 1, 1);
  pl->addWidget(paper_height_label_, 1, 2);
  pl->addWidget(paper_height_, 1, 3);
  connect(paper_, &QComboBox::activated, this, &PageSetupDialog::OnPaperChosen);
  return paper_box;
}

QWidget* PageSetupDialog::BuildPaperPage() {
  auto* page = Named<QWidget>(nullptr, "fraPaper");
  QGroupBox* paper_box = BuildPaperSizeBox(page);

  auto* orient_box = new QGroupBox(QStringLiteral("方向"), page);
  portrait_ = Named<QRadioButton>(orient_box, "optPortrait", QStringLiteral("纵向(&T)"));
  landscape_ = Named<QRadioButton>(orient_box, "optLandscape", QStringLiteral("横向(&L)"));
  auto* ol = new QHBoxLayout(orient_box);
  ol->addWidget(portrait_);
  ol->addWidget(landscape_);

  auto* zoom_box = new QGroupBox(QStringLiteral("缩放"), page);
  zoom_ = Named<QSpinBox>(zoom_box, "txtZoom");
  auto* zoom_label = new QLabel(QStringLiteral("缩放比例(&Z):"), zoom_box);
  zoom_label->setBuddy(zoom_);
  auto* zl = new QHBoxLayout(zoom_box);
  zl->addWidget(zoom_label);
  zl->addWidget(zoom_);
  zl->addWidget(new QLabel(QStringLiteral("% 正常尺寸"), zoom_box));
  zl->addStretch();

  auto* title_box = new QGroupBox(QStringLiteral("标题"), page);
  auto* tl = new QGridLayout(title_box);
  auto add_count = [&](const char* name, const QString& caption, int row) {
    auto* box = Named<QSpinBox>(title_box, name);
    auto* label = new QLabel(caption, title_box);
    label->setBuddy(box);
    tl->addWidget(label, row, 0);
    tl->addWidget(box, row, 1);
    return box;
  };
  title_rows_ = add_count("txtPrintTitleRows", QStringLiteral("标题行数(&I):"), 0);
  title_columns_ = add_count("txtPrintTitleColumns", QStringLiteral("标题列数(&O):"), 1);
  bottom_title_rows_ = add_count("txtPrintBottomTitleRows", QStringLiteral("底部标题行数(&B):"), 2);

  auto* content_box = new QGroupBox(QStringLiteral("内容"), page);
  fixed_row_ = Named<QCheckBox>(content_box, "chkPrintFixedRow", QStringLiteral("打印固定行(&R)"));
  fixed_column_ =
      Named<QCheckBox>(content_box, "chkPrintFixedColumn", QStringLiteral("打印固定列(&C)"));
  gridlines_ = Named<QCheckBox>(content_box, "chkPrintGridlines", QStringLiteral("打印网格线(&G)"));
  black_and_white_ =
      Named<QCheckBox>(content_box, "chkBlackAndWhite", QStringLiteral("单色打印(&W)"));
  auto* cl = new QVBoxLayout(content_box);
  for (QCheckBox* box : {fixed_row_, fixed_column_, gridlines_, black_and_white_})
    cl->addWidget(box);

  auto* layout = new QGridLayout(page);
  layout->addWidget(paper_box, 0, 0, 1, 2);
  layout->addWidget(orient_box, 1, 0);
  layout->addWidget(zoom_box, 1, 1);
  layout->addWidget(title_box, 2, 0);
  layout->addWidget(content_box, 2, 1);
  return page;
}

QWidget* PageSetupDialog::BuildMarginPage() {
  auto* page = Named<QWidget>(nullptr, "fraMargin");
  auto* grid = new QGridLayout;
  for (int m = 0; m < 6; ++m) {
    auto* box = Named<QDoubleSpinBox>(page, text::kMarginObjects[m]);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->installEventFilter(this);
    auto* label = new QLabel(text::kMarginNames[m], page);
    label->setBuddy(box);
    grid->addWidget(label, m / 2, (m % 2) * 2);
    grid->addWidget(box, m / 2, (m % 2) * 2 + 1);
    margins_[m] = box;
    connect(box, &QDoubleSpinBox::valueChanged, this, &PageSetupDialog::UpdatePicture);
  }
  auto* center_box = new QGroupBox(QStringLiteral("居中方式"), page);
  center_h_ = Named<QCheckBox>(center_box, "chkCenterHorizontally", QStringLiteral("水平居中(&Z)"));
  center_v_ = Named<QCheckBox>(center_box, "chkCenterVertically", QStringLiteral("垂直居中(&V)"));
  auto* cl = new QHBoxLayout(center_box);
  cl->addWidget(center_h_);
  cl->addWidget(center_v_);
  connect(center_h_, &QCheckBox::toggled, this, &PageSetupDialog::UpdatePicture);
  connect(center_v_, &QCheckBox::toggled, this, &PageSetupDialog::UpdatePicture);
  picture_ = new MarginPicture(page);
  auto* left = new QVBoxLayout;
  left->addLayout(grid);
  left->addWidget(center_box);
  left->addStretch();
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(left);
  layout->addWidget(picture_, 0, Qt::AlignTop);
  return page;
}

QWidget* PageSetupDialog::BuildHeaderFooterPage() {
  auto* page = Named<QWidget>(nullptr, "fraHeaderFooter");
  auto* layout = new QGridLayout(page);
  auto add_line = [&](int which, const char* edit_name, const char* align_name,
                      const QString& caption) {
    auto* edit = Named<QLineEdit>(page, edit_name);
    auto* label = new QLabel(caption, page);
    label->setBuddy(edit);
    auto* align = Named<QComboBox>(page, align_name);
    for (const QString& a : text::kAlignments) align->addItem(a);
    auto* font = new QPushButton(QStringLiteral("设置字体"), page);
    font->setObjectName(QStringLiteral("cmdSetFont%1").arg(which));
    connect(align, &QComboBox::activated, edit,
            [edit](int index) { edit->setAlignment(EditorAlignment(index)); });
    connect(font, &QPushButton::clicked, this, [this, which] { ChooseFont(which); });
    int row = which * 2;
    layout->addWidget(label, row, 0);
    layout->addWidget(edit, row, 1, 1, 3);
    layout->addWidget(align, row + 1, 1);
    layout->addWidget(font, row + 1, 2);
    return std::make_pair(edit, align);
  };
  std::tie(header_, header_align_) =
      add_line(0, "txtHeader", "cboHeaderAlign", QStringLiteral("页眉(&H):"));
  std::tie(footer_, footer_align_) =
      add_line(1, "txtFooter", "cboFooterAlign", QStringLiteral("页脚(&F):"));
  layout->setColumnStretch(3, 1);
  layout->setRowStretch(4, 1);
  return page;
}

void PageSetupDialog::SetGrid(grid::ReportGrid& grid) {
  grid_ = &grid;
  loaded_ = grid.PageSetup();
  ShowForm(LoadPageSetupForm(loaded_));
}

void PageSetupDialog::ShowForm(const PageSetupForm& form) {
  paper_names_ = form.paper_names;
  paper_->clear();
  for (const std::string& name : form.paper_names) paper_->addItem(Qs(name));
  paper_->setCurrentIndex(form.paper_index);
  paper_width_->setText(Qs(form.paper_width));
  paper_height_->setText(Qs(form.paper_height));
  for (QWidget* w : std::initializer_list<QWidget*>{paper_width_, paper_height_, paper_width_label_,
                                                    paper_height_label_})
    w->setVisible(form.CustomPaperChosen());
  (form.portrait ? portrait_ : landscape_)->setChecked(true);
  SetRange(zoom_, form.zoom);
  SetRange(title_rows_, form.title_rows);
  SetRange(title_columns_, form.title_columns);
  SetRange(bottom_title_rows_, form.bottom_title_rows);
  fixed_row_->setChecked(form.print_fixed_row);
  fixed_column_->setChecked(form.print_fixed_column);
  gridlines_->setChecked(form.print_gridlines);
  black_and_white_->setChecked(form.black_and_white);
  const RangedValue* margins[] = {&form.top_margin,   &form.bottom_margin, &form.left_margin,
                                  &form.right_margin, &form.header_margin, &form.footer_margin};
  for (int m = 0; m < 6; ++m) SetRange(margins_[m], *margins[m]);
  center_h_->setChecked(form.center_horizontally);
  center_v_->setChecked(form.center_vertically);
  header_font_ = form.header.font;
  footer_font_ = form.footer.font;
  header_->setText(Qs(form.header.text));
  footer_->setText(Qs(form.footer.text));
  header_->setFont(EditorFont(header_font_));
  footer_->setFont(EditorFont(footer_font_));
  header_align_->setCurrentIndex(form.header.alignment);
  footer_align_->setCurrentIndex(form.footer.alignment);
  header_->setAlignment(EditorAlignment(form.header.alignment));
  footer_->setAlignment(EditorAlignment(form.footer.alignment));
  UpdatePicture();
}

PageSetupForm PageSetupDialog::Form() const {
  PageSetupForm f;
  f.portrait = portrait_->isChecked();
  f.paper_names = paper_names_;
  f.paper_index = paper_->currentIndex();
  f.paper_width = Std(paper_width_->text());
  f.paper_height = Std(paper_height_->text());
  f.zoom = ValueOf(zoom_);
  f.title_rows = ValueOf(title_rows_);
  f.title_columns = ValueOf(title_columns_);
  f.bottom_title_rows = ValueOf(bottom_title_rows_);
  f.print_fixed_row = fixed_row_->isChecked();
  f.print_fixed_column = fixed_column_->isChecked();
  f.print_gridlines = gridlines_->isChecked();
  f.black_and_white = black_and_white_->isChecked();
  f.top_margin = ValueOf(margins_[kTop]);
  f.bottom_margin = ValueOf(margins_[kBottom]);
  f.left_margin = ValueOf(margins_[kLeft]);
  f.right_margin = ValueOf(margins_[kRight]);
  f.header_margin = ValueOf(margins_[kHeader]);
  f.footer_margin = ValueOf(margins_[kFooter]);
  f.center_horizontally = center_h_->isChecked();
  f.center_vertically = center_v_->isChecked();
  f.header = {Std(header_->text()), header_align_->currentIndex(), header_font_};
  f.footer = {Std(footer_->text()), footer_align_->currentIndex(), footer_font_};
  return f;
}

void PageSetupDialog::accept() {
  if (grid_ != nullptr) {
    auto store = [this] { StorePageSetupForm(Form(), grid_->PageSetup()); };
    if (history_ != nullptr)
      history_->Record(windowTitle(), store);
    else
      store();
  }
  grid_ = nullptr;
  QDialog::accept();
}

void PageSetupDialog::OnPaperChosen(int index) {
  PageSetupForm form = Form();
  ChoosePaper(form, index, loaded_);
  paper_width_->setText(Qs(form.paper_width));
  paper_height_->setText(Qs(form.paper_height));
  for (QWidget* w : std::initializer_list<QWidget*>{paper_width_, paper_height_, paper_width_label_,
                                                    paper_height_label_})
    w->setVisible(form.CustomPaperChosen());
}

void PageSetupDialog::ChooseFont(int which) {
  grid::Font& font = which == 0 ? header_font_ : footer_font_;
  QLineEdit* edit = which == 0 ? header_ : footer_;
  QFont initial(InstalledFamily(font.name));
  initial.setPointSizeF(font.size);
  initial.setBold(font.bold);
  initial.setItalic(font.italic);
  initial.setUnderline(font.underline);
  initial.setStrikeOut(font.strikethrough);
  bool ok = false;
  QFont chosen = QFontDialog::getFont(&ok, initial, this, QStringLiteral("字体"));
  if (!ok || chosen.family().isEmpty()) return;
  // Keep the grid's own name when the user left the face as it was, so a
  // report made with 宋体 still says 宋体.
  if (chosen.family() != initial.family()) font.name = Std(chosen.family());
  if (chosen.pointSizeF() > 0) font.size = chosen.pointSizeF();
  font.bold = chosen.bold();
  font.italic = chosen.italic();
  font.underline = chosen.underline();
  font.strikethrough = chosen.strikeOut();
  edit->setFont(EditorFont(font));
}

void PageSetupDialog::UpdatePicture() {
  std::array<double, 6> cm{};
  for (int m = 0; m < 6; ++m) cm[m] = margins_[m]->value();
  picture_->Set(cm, center_h_->isChecked(), center_v_->isChecked());
}

bool PageSetupDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    bool in = event->type() == QEvent::FocusIn;
    for (int m = 0; m < 6; ++m)
      if (watched == margins_[m]) picture_->Highlight(in ? m : -1);
    if (in && (watched == paper_width_ || watched == paper_height_)) {
      auto* edit = static_cast<QLineEdit*>(watched);
      // A mouse click places the cursor after the focus event; select later.
      QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace app
