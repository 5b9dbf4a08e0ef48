#!/usr/bin/python3
"""Writes examples/sample.xls and examples/sample.xlsx: one examination of
three schools in the import's layout, the same cells in both files.

    /usr/bin/python3 tools/make_samples.py [OUTPUT_DIR]

Needs python3-xlwt (Debian) for the .xls; the .xlsx is packaged by
tools/xlsx_min.py. The data is seeded, so a rerun gives the same cells."""

import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xlsx_min  # noqa: E402

SUBJECTS = [  # name, full mark, main, weight %
    ("语文", 150, 1, 100), ("数学", 150, 1, 100), ("英语", 150, 1, 100),
    ("物理", 100, 0, 100), ("化学", 100, 0, 100), ("生物", 100, 0, 100),
    ("政治", 100, 0, 100), ("历史", 100, 0, 100), ("地理", 100, 0, 50),
]
SCHOOLS = ["第一中学", "第二中学", "实验中学"]
CLASSES_PER_SCHOOL = 10
STUDENTS_PER_CLASS = 50
SURNAMES = "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋"
GIVEN = "伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚英华玉萍红鹏辉晨宇欣怡浩婷雪思佳俊博文琳嘉睿涵轩"


def person(rng):
    name = rng.choice(SURNAMES) + rng.choice(GIVEN)
    return name + rng.choice(GIVEN) if rng.random() < 0.7 else name


def class_name(k):
    return "高一(%d)班" % (k + 1)


def scores_sheet(rng):
    rows = [["学校", "学号", "班级", "姓名"] + [s[0] for s in SUBJECTS]]
    number = 0
    for school_index, school in enumerate(SCHOOLS):
        for k in range(CLASSES_PER_SCHOOL):
            for seat in range(STUDENTS_PER_CLASS):
                number += 1
                name = person(rng)
                if number == 8:
                    name = "艾力·阿卜杜'拉"  # a quote that SQL built from texts must survive
                ability = rng.gauss(0, 1) + 0.15 * school_index - 0.1 * (k % 4)
                row = [school, 20240000 + number, class_name(k), name]
                for _, full, _, _ in SUBJECTS:
                    score = round(full * (0.66 + 0.14 * ability + 0.07 * rng.gauss(0, 1)))
                    row.append(float(min(max(score, 0), full)))
                rows.append(row)
    # Absences: five students miss one subject, two miss the whole examination.
    for r in rng.sample(range(1, len(rows)), 7)[:5]:
        rows[r][4 + rng.randrange(len(SUBJECTS))] = None
    for r in (123, 1001):
        rows[r][4:] = [None] * len(SUBJECTS)
    # One half mark, so that readers keep fractions.
    rows[42][4] = 118.5
    return rows


def teachers_sheet(rng):
    rows = [["学校", "班级"] + [s[0] for s in SUBJECTS]]
    for school in SCHOOLS:
        # One teacher takes two neighbouring classes of a subject.
        teachers = [[person(rng) for _ in SUBJECTS] for _ in range(CLASSES_PER_SCHOOL // 2)]
        for k in range(CLASSES_PER_SCHOOL):
            rows.append([school, class_name(k)] + teachers[k // 2])
    return rows


def lines_sheet():
    rows = [["项目"] + [s[0] for s in SUBJECTS]]
    rows.append(["满分"] + [float(s[1]) for s in SUBJECTS])
    rows.append(["优秀"] + [85.0] * len(SUBJECTS))
    rows.append(["优良"] + [75.0] * len(SUBJECTS))
    rows.append(["及格"] + [60.0] * len(SUBJECTS))
    rows.append(["主科"] + [float(s[2]) for s in SUBJECTS])
    rows.append(["权重"] + [float(s[3]) for s in SUBJECTS])
    return rows


def write_xls(path, named_rows):
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    for name, rows in named_rows:
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if isinstance(value, float) and value.is_integer():
                    value = int(value)  # stored as a compact RK record
                if value is not None:
                    sheet.write(r, c, value)
    book.save(path)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "examples")
    rng = random.Random(20240601)
    named_rows = [("Sheet1", scores_sheet(rng)), ("Sheet2", teachers_sheet(rng)),
                  ("Sheet3", lines_sheet())]
    write_xls(os.path.join(out, "sample.xls"), named_rows)
    xlsx_min.write_rows(os.path.join(out, "sample.xlsx"), named_rows)


if __name__ == "__main__":
    main()
