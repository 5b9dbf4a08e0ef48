#!/usr/bin/python3
"""Writes the import-habit fixtures into tests/fixtures/habits:

    /usr/bin/python3 tools/make_import_fixtures.py

Each workbook is shaped the way teachers really make them (a title row above
the header, merged school cells, percentages in the lines sheet, ...) and is
saved by the program the habit comes from: python3-openpyxl writes the
source, LibreOffice (libreoffice-calc, headless) calculates it and saves it
as .xls, .xlsx or .ods; gnumeric's ssconvert writes Excel 95 in GBK
(WINDOWS_LANGUAGE=zh_CN); openpyxl and python3-xlwt write the files whose
formulas were never calculated. tests/data/habits_test.cpp imports each one.
These programs are needed only to regenerate the fixtures, not to build or
test: the outputs are committed."""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "fixtures", "habits")

HEADER = ["学校", "学号", "班级", "姓名", "语文", "数学", "英语"]
# 语文 and 数学 out of 150, 英语 out of 100; lines as percentages.
LINES = [["项目", "语文", "数学", "英语"], ["满分", 150, 150, 100], ["优秀", 85, 85, 90],
         ["优良", 75, 75, 80], ["及格", 60, 60, 60], ["主科", 1, 1, 0], ["权重", 100, 100, 50]]
TEACHERS = [["学校", "班级", "语文", "数学", "英语"],
            ["城关中学", "高一(1)班", "王老师", "李老师", "张老师"],
            ["城关中学", "高一(2)班", "赵老师", "钱老师", "孙老师"],
            ["实验中学", "高一(1)班", "周老师", "吴老师", "郑老师"]]


def students():
    """Six students whose totals are easy to check by hand."""
    return [["城关中学", 2024001, "高一(1)班", "甲", 120, 130, 90],
            ["城关中学", 2024002, "高一(1)班", "乙", 100, 90.5, 80],
            ["城关中学", 2024003, "高一(2)班", "丙", 127.5, 60, None],
            ["城关中学", 2024004, "高一(2)班", "丁", 80, 140, 95],
            ["实验中学", 2024005, "高一(1)班", "戊", 150, 150, 100],
            ["实验中学", 2024006, "高一(1)班", "己", 90, 0, 59]]


def book(sheets):
    import openpyxl
    wb = openpyxl.Workbook()
    wb.remove(wb.active)
    for name, rows, tweak in sheets:
        ws = wb.create_sheet(name)
        for row in rows:
            ws.append(row)
        if tweak:
            tweak(ws)
    return wb


def exam(scores=None, teachers=None, lines=None, names=("Sheet1", "Sheet2", "Sheet3"),
         tweak_scores=None, tweak_teachers=None, tweak_lines=None, extra_first=None):
    sheets = []
    if extra_first:
        sheets.append(extra_first)
    sheets += [(names[0], scores if scores is not None else [HEADER] + students(), tweak_scores),
               (names[1], teachers if teachers is not None else TEACHERS, tweak_teachers),
               (names[2], lines if lines is not None else LINES, tweak_lines)]
    return book(sheets)


def save(wb, name, work):
    """Saves `wb` as tests/fixtures/habits/`name`, through LibreOffice for
    .xls/.ods/lo_*.xlsx, through gnumeric for *_biff7.xls, as openpyxl wrote
    it for openpyxl_*.xlsx."""
    source = os.path.join(work, "source.xlsx")
    wb.save(source)
    target = os.path.join(OUT, name)
    if name.startswith("openpyxl_"):
        shutil.copy(source, target)
        return
    if name.endswith("_biff7.xls"):
        ods = os.path.join(work, "source.ods")
        subprocess.run(["soffice", "--headless", "--convert-to", "ods", "--outdir", work, source],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        env = dict(os.environ, WINDOWS_LANGUAGE="zh_CN")
        subprocess.run(["ssconvert", "-T", "Gnumeric_Excel:excel_biff7", ods, target], check=True,
                       env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return
    ext = os.path.splitext(name)[1][1:]
    if ext == "xlsx":
        # LibreOffice's own .xlsx: calculated, through its .ods.
        subprocess.run(["soffice", "--headless", "--convert-to", "ods", "--outdir", work, source],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        source = os.path.join(work, "source.ods")
        out_dir = os.path.join(work, "x")
    else:
        out_dir = work
    subprocess.run(["soffice", "--headless", "--convert-to", ext, "--outdir", out_dir, source],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shutil.copy(os.path.join(out_dir, "source." + ext), target)


def formulas(ws):
    """Scores as formulas (=80+5, =SUM, =IF) the way teachers add marks."""
    ws["E2"] = "=100+20"
    ws["F3"] = "=SUM(80,10.5)"
    ws["G4"] = '=IF(E4>0,"",0)'  # "" is an absence: 英语 of 丙 stays empty
    ws["G7"] = "=59"


def title_rows(rows):
    return [["高一期中考试成绩"], ["2024年4月"], []] + rows


def merged_schools(ws):
    # 城关中学 over rows 2-5, 高一(2)班 over rows 4-5; 实验中学 over 6-7.
    for cell in ("A3", "A4", "A5", "A7", "C5"):
        ws[cell] = None
    ws.merge_cells("A2:A5")
    ws.merge_cells("C4:C5")
    ws.merge_cells("A6:A7")


def merged_teacher_school(ws):
    ws["A3"] = None
    ws.merge_cells("A2:A3")
    ws["C3"] = None  # one teacher of 语文 for both classes
    ws.merge_cells("C2:C3")


def two_row_header():
    rows = [["学校", "学号", "班级", "姓名", "成绩", None, None],
            [None, None, None, None, "语文", "数学", "英语"]] + students()

    def tweak(ws):
        ws.merge_cells("E1:G1")
        for col in "ABCD":
            ws.merge_cells("%s1:%s2" % (col, col))
    return rows, tweak


def stray_spaces():
    rows = [HEADER] + students()
    rows[1][2] = "高一(1)班 "
    rows[2][2] = "\u3000高一(1)班"
    rows[3][0] = "城关中学\u00a0"
    rows[4][3] = " 丁 "
    rows[1][4] = "１２０"
    rows[2][5] = "９０．５"
    return rows


def summary_rows():
    rows = [HEADER] + students()
    rows.append(["平均分", None, None, None, "=AVERAGE(E2:E7)", "=AVERAGE(F2:F7)", None])
    rows.append([None, None, "合计", None, "=SUM(E2:E7)", "=SUM(F2:F7)", "=SUM(G2:G7)"])
    rows.append([])
    rows.append(["最高分", None, None, None, "=MAX(E2:E7)", None, None])
    return rows


def percent_lines(ws):
    for col in "BCD":
        for row in (3, 4, 5, 7):
            cell = ws["%s%d" % (col, row)]
            cell.value = cell.value / 100
            cell.number_format = "0%"


def fraction_lines():
    lines = [list(r) for r in LINES]
    lines[2][1] = 0.85
    return lines


def reordered_lines():
    return [["项目", "语文", "数学", "英语"], ["权重%", 100, 100, 50], ["是否主科", 1, 1, 0],
            ["满分", 150, 150, 100], ["及格率%", 60, 60, 60], ["优秀率%", 85, 85, 90],
            ["优良率%", 75, 75, 80]]


def date_score(ws):
    ws["F4"] = datetime.date(2024, 3, 15)
    ws["F4"].number_format = "yyyy-mm-dd"


def main():
    os.makedirs(OUT, exist_ok=True)
    work = tempfile.mkdtemp()
    try:
        save(exam(), "plain_biff7.xls", work)
        save(exam(tweak_scores=formulas), "formulas.xls", work)
        save(exam(tweak_scores=formulas), "formulas.ods", work)
        save(exam(tweak_scores=formulas), "openpyxl_formulas.xlsx", work)
        save(exam(scores=title_rows([HEADER] + students())), "title_rows.xlsx", work)
        rows, tweak = two_row_header()
        save(exam(scores=rows, tweak_scores=tweak), "two_row_header.xls", work)
        save(exam(tweak_scores=merged_schools, tweak_teachers=merged_teacher_school),
             "merged_schools.ods", work)
        save(exam(tweak_scores=merged_schools, tweak_teachers=merged_teacher_school),
             "merged_schools.xls", work)
        save(exam(scores=stray_spaces()), "stray_spaces.xlsx", work)
        empty_class = [HEADER] + students()
        empty_class[3][2] = None
        empty_class[5][2] = " "
        save(exam(scores=empty_class), "empty_class.xlsx", work)
        save(exam(scores=summary_rows()), "summary_rows.xlsx", work)
        save(exam(tweak_lines=percent_lines), "percent_lines.xls", work)
        save(exam(lines=fraction_lines()), "fraction_line.xlsx", work)
        save(exam(lines=reordered_lines()), "reordered_lines.ods", work)
        missing_label = reordered_lines()
        missing_label[2][0] = "备注"
        save(exam(lines=missing_label), "lines_label_missing.xlsx", work)
        save(exam(tweak_scores=date_score), "date_score.xlsx", work)
        save(exam(names=("成绩", "任课教师", "三线表"), extra_first=("说明", [["本表说明"]], None)),
             "chinese_sheet_names.xlsx", work)
        save(exam(names=("学生", "老师", "设置")), "sheets_by_content.xls", work)
        duplicate_ids = [HEADER] + students()
        duplicate_ids[4][1] = 2024001
        save(exam(scores=duplicate_ids), "duplicate_ids.xlsx", work)
        save(exam(teachers=TEACHERS + [TEACHERS[1]]), "duplicate_class.xlsx", work)
        a = [HEADER] + students()[:4]
        b = [HEADER] + students()[4:]
        save(exam(scores=a, teachers=TEACHERS[:3]), "school_a.xlsx", work)
        save(exam(scores=b, teachers=[TEACHERS[0], TEACHERS[3]]), "school_b.xls", work)
        other_lines = [list(r) for r in LINES]
        other_lines[2][2] = 80
        save(exam(scores=b, teachers=[TEACHERS[0], TEACHERS[3]], lines=other_lines),
             "school_b_other_lines.ods", work)
        save(exam(scores=[HEADER] + students()[3:], teachers=[TEACHERS[0], TEACHERS[3]]),
             "school_b_same_student.ods", work)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    sys.exit(main())
