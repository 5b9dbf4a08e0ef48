#include <cstdio>
#include <map>

#include "grid/display_format.h"
#include "grid/export.h"

namespace grid {
namespace {

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '\n':
        out += "<br>";
        break;
      case '\r':
        break;
      default:
        out += ch;
    }
  }
  return out;
}

std::string CssColor(Color c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06X", c & 0xFFFFFFu);
  return buf;
}

// Font names go inside a quoted CSS string: keep them from closing it.
std::string CssFontName(std::string_view name) {
  std::string out;
  for (char ch : name)
    if (ch != '"' && ch != '\'' && ch != '\\' && ch != '<' && ch != '>' && ch != ';' && ch != '}')
      out += ch;
  return out;
}

std::string FontCss(const Font& f) {
  // Single quotes: the rule also goes into style="…" attributes.
  std::string css = "font-family:'" + CssFontName(f.name) +
                    "';font-size:" + std::to_string(static_cast<int>(f.size)) + "pt;";
  if (f.bold) css += "font-weight:bold;";
  if (f.italic) css += "font-style:italic;";
  if (f.underline) css += "text-decoration:underline;";
  return css;
}

std::string BorderCss(const char* side, int style) {
  if (style == kLineNone) return {};
  return std::string("border-") + side +
         (style == kLineThick ? ":2px solid #000;" : ":1px solid #000;");
}

// The style of a cell as CSS, from its resolved style and whether it holds
// a number (general alignment puts numbers right).
std::string CellCss(const CellStyle& s, bool number) {
  Font f;
  f.name = s.font_name;
  f.size = s.font_size;
  f.bold = s.bold;
  f.italic = s.italic;
  f.underline = s.underline;
  std::string css = FontCss(f);
  if (s.fore_color != kBlack) css += "color:" + CssColor(s.fore_color) + ";";
  if (s.back_color != kWhite) css += "background-color:" + CssColor(s.back_color) + ";";
  switch (HorizontalOf(s.alignment)) {
    case HAlign::kGeneral:
      css += number ? "text-align:right;" : "text-align:left;";
      break;
    case HAlign::kLeft:
      css += "text-align:left;";
      break;
    case HAlign::kCenter:
      css += "text-align:center;";
      break;
    case HAlign::kRight:
      css += "text-align:right;";
  }
  VAlign v = VerticalOf(s.alignment);
  css += v == VAlign::kTop      ? "vertical-align:top;"
         : v == VAlign::kBottom ? "vertical-align:bottom;"
                                : "vertical-align:middle;";
  css += s.wrap_text ? "white-space:pre-wrap;" : "white-space:nowrap;";
  css += BorderCss("left", s.borders[kEdgeLeft]) + BorderCss("top", s.borders[kEdgeTop]) +
         BorderCss("right", s.borders[kEdgeRight]) + BorderCss("bottom", s.borders[kEdgeBottom]);
  return css;
}

class HtmlWriter {
 public:
  explicit HtmlWriter(const ReportGrid& grid) : g_(grid) {}

  std::string Write(std::string_view page_title) {
    cols_ = ExportedColumns(g_, false);
    rows_ = ExportedRows(g_, false);
    std::string body =
        Band(g_.PageSetup().header) + Titles() + Table() + Band(g_.PageSetup().footer);
    std::string out = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                      Escape(page_title) + "</title>\n<style>\n" +
                      "table{border-collapse:collapse;table-layout:fixed}\n"
                      "td{padding:1px 3px;overflow:hidden}\n"
                      ".title{display:flex;justify-content:center}\n"
                      ".title.split{justify-content:space-between}\n";
    if (g_.PageSetup().print_gridlines) out += "td{border:1px solid #c0c0c0}\n";
    for (const auto& [css, name] : classes_) out += "." + name + "{" + css + "}\n";
    out += "</style>\n</head>\n<body>\n" + body + "</body>\n</html>\n";
    return out;
  }

 private:
  std::string Titles() {
    std::string out;
    for (const auto& t : g_.ReportTitles().items()) {
      auto [left, right] = t.Parts();
      std::string style = FontCss(t.font);
      if (t.HasRightPart())
        out += "<div class=\"title split\" style=\"" + style + "\"><span>" + Escape(left) +
               "</span><span>" + Escape(right) + "</span></div>\n";
      else
        out += "<div class=\"title\" style=\"" + style + "\"><span>" + Escape(left) +
               "</span></div>\n";
    }
    return out;
  }

  // The page header or footer; a web page is one page, so "&n" and "&p" are 1.
  std::string Band(const HeaderFooter& band) {
    if (band.text.empty()) return {};
    std::string text;
    for (size_t i = 0; i < band.text.size(); ++i) {
      const char next = i + 1 < band.text.size() ? band.text[i + 1] : '\0';
      if (band.text[i] == '&' && (next == 'n' || next == 'p' || next == 'N' || next == 'P')) {
        text += '1';
        ++i;
      } else {
        text += band.text[i];
      }
    }
    static const char* const kAlign[] = {"left", "center", "right"};
    const char* align = kAlign[band.alignment >= 0 && band.alignment <= 2 ? band.alignment : 1];
    return "<div class=\"band\" style=\"text-align:" + std::string(align) + ";" +
           FontCss(band.font) + "\">" + Escape(text) + "</div>\n";
  }

  std::string ClassOf(int r, int c, bool number) {
    std::string css = CellCss(g_.ResolvedStyle(r, c), number);
    auto it = classes_.find(css);
    if (it == classes_.end())
      it = classes_.emplace(css, "s" + std::to_string(classes_.size())).first;
    return it->second;
  }

  // Counts the exported rows (or columns) within [first, last].
  static int CountIn(const std::vector<int>& list, int first, int last) {
    int n = 0;
    for (int v : list) n += (v >= first && v <= last) ? 1 : 0;
    return n;
  }
  static int FirstIn(const std::vector<int>& list, int first, int last) {
    for (int v : list)
      if (v >= first && v <= last) return v;
    return -1;
  }

  std::string Cell(int r, int c) {
    int anchor_r = r, anchor_c = c;
    std::string spans;
    if (auto m = g_.MergeAt(r, c)) {
      // A merge is written once, at its first exported cell.
      if (r != FirstIn(rows_, m->first_row, m->last_row) ||
          c != FirstIn(cols_, m->first_col, m->last_col))
        return {};
      anchor_r = m->first_row;
      anchor_c = m->first_col;
      int rs = CountIn(rows_, m->first_row, m->last_row);
      int cs = CountIn(cols_, m->first_col, m->last_col);
      if (rs > 1) spans += " rowspan=\"" + std::to_string(rs) + "\"";
      if (cs > 1) spans += " colspan=\"" + std::to_string(cs) + "\"";
    }
    std::string text = g_.DisplayText(anchor_r, anchor_c);
    bool number = IsNumberText(text);
    return "<td class=\"" + ClassOf(anchor_r, anchor_c, number) + "\"" + spans + ">" +
           Escape(text) + "</td>";
  }

  std::string Table() {
    std::string out = "<table>\n<colgroup>";
    for (int c : cols_) out += "<col style=\"width:" + std::to_string(g_.ColWidth(c)) + "px\">";
    out += "</colgroup>\n";
    for (int r : rows_) {
      out += "<tr style=\"height:" + std::to_string(g_.RowHeight(r)) + "px\">";
      for (int c : cols_) out += Cell(r, c);
      out += "</tr>\n";
    }
    out += "</table>\n";
    return out;
  }

  const ReportGrid& g_;
  std::vector<int> cols_;
  std::vector<int> rows_;
  std::map<std::string, std::string> classes_;
};

}  // namespace

std::string HtmlText(const ReportGrid& grid, std::string_view page_title) {
  return HtmlWriter(grid).Write(page_title);
}

Status ExportToHtml(const ReportGrid& grid, const std::string& path, std::string_view page_title) {
  try {
    return WriteTextFile(path, HtmlText(grid, page_title));
  } catch (const std::exception& e) {
    return Status::Error(std::string("输出 HTML 失败：") + e.what());
  }
}

}  // namespace grid
