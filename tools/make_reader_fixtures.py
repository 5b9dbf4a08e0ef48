#!/usr/bin/python3
"""Writes the workbook-reader fixtures of tests/data into tests/fixtures/readers:

    /usr/bin/python3 tools/make_reader_fixtures.py

Each fixture is made by the program whose files it stands for, so that the
readers are tested on what those programs really write:
  - python3-openpyxl writes the source .xlsx (formulas without results, as
    scripts leave them) and LibreOffice (libreoffice-calc, headless) opens it,
    calculates it and saves it as .xls (BIFF8), .xlsx and .ods;
  - gnumeric's ssconvert writes the Excel 95 (BIFF7) copy in GBK, with
    WINDOWS_LANGUAGE=zh_CN;
  - python3-xlwt writes an .xls whose formulas have no saved results.
These programs are needed only to regenerate the fixtures, not to build or
test: the outputs are committed."""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "fixtures", "readers")


def habits_source(path):
    """Formulas of every result type, merged cells, date and percent
    formats, and enough distinct texts for the shared strings of an .xls to
    run over several CONTINUE records."""
    import openpyxl
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "成绩"
    ws.append(["高一期中考试成绩"])
    ws.merge_cells("A1:F1")
    ws.append(["学校", "学号", "班级", "姓名", "语文", "数学", "总分", "比例", "日期",
               "双倍", "文字", "及格", "错误"])
    scores = [(80, 90.5), (None, 89.25), (127.5, 0), (-3, 1e-7), (99999.99, 12345678)]
    for i, (chinese, maths) in enumerate(scores):
        r = ws.max_row + 1
        ws.append(["城关中学" if i < 3 else "实验中学", 2024001 + i, "高一(%d)班" % (i % 2 + 1),
                   "学生%d" % i, chinese, maths, "=E%d+F%d" % (r, r), 0.85 + i / 100,
                   datetime.date(2024, 3, 5 + i), '=IF(E%d="","",E%d*2)' % (r, r),
                   '="第"&B%d' % r, "=E%d>=60" % r, "=E%d/0" % r])
        ws.cell(r, 8).number_format = "0.0%"
        ws.cell(r, 9).number_format = 'yyyy"年"m"月"d"日"'
    ws.merge_cells("A3:A5")
    ws.merge_cells("A6:A7")
    texts = wb.create_sheet("文本")
    for i in range(3000):
        texts.append(["name%05d-abcdefghij" % i if i % 3 == 0 else "学生%05d号" % i, i])
    wb.save(path)


def libreoffice(source, fmt, out_dir):
    subprocess.run(["soffice", "--headless", "--convert-to", fmt, "--outdir", out_dir, source],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def xlwt_formulas(path):
    import xlwt
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Sheet1")
    for c, v in enumerate(["学号", "语文", "数学", "总分"]):
        ws.write(0, c, v)
    ws.write(1, 0, 2024001)
    ws.write(1, 1, 80)
    ws.write(1, 2, 90)
    ws.write(1, 3, xlwt.Formula("B2+C2"))
    ws.write(2, 0, 2024002)
    ws.write(2, 1, True)
    ws.write_merge(3, 4, 0, 1, "合并")
    wb.save(path)


def main():
    os.makedirs(OUT, exist_ok=True)
    work = tempfile.mkdtemp()
    try:
        source = os.path.join(work, "habits.xlsx")
        habits_source(source)
        shutil.copy(source, os.path.join(OUT, "openpyxl_habits.xlsx"))
        for fmt, name in (("xls", "habits.xls"), ("ods", "habits.ods")):
            libreoffice(source, fmt, work)
            shutil.copy(os.path.join(work, name), os.path.join(OUT, "lo_" + name))
        # LibreOffice's .xlsx of the calculated sheet (from its own .ods).
        libreoffice(os.path.join(work, "habits.ods"), "xlsx", os.path.join(work, "lo"))
        shutil.copy(os.path.join(work, "lo", "habits.xlsx"), os.path.join(OUT, "lo_habits.xlsx"))
        env = dict(os.environ, WINDOWS_LANGUAGE="zh_CN")
        subprocess.run(["ssconvert", "-T", "Gnumeric_Excel:excel_biff7",
                        os.path.join(work, "habits.ods"),
                        os.path.join(OUT, "gnumeric_habits_biff7.xls")],
                       check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        xlwt_formulas(os.path.join(OUT, "xlwt_formulas.xls"))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    sys.exit(main())
