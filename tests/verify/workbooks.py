"""Small exams made by hand, and the real UCI data, written as import workbooks.

The hand-made exam puts students on every cut point: scores exactly on and just under each line,
equal totals across rank cuts, absent students, a subject nobody sat, a subject everyone scored the
same in, a class of one, two schools with the same class names, and students sharing a name.
"""

import csv
import os

import openpyxl

SUBJECT_HEAD = ["项目", "满分", "优秀", "优良", "及格", "主科", "权重"]


def write_workbook(path, students, subjects, teachers=None):
    """students: (学校, 学号, 班级, 姓名, {科目: 分}); subjects: (名, 满分, 优秀, 优良, 及格, 主科, 权重)."""
    wb = openpyxl.Workbook()
    s1 = wb.active
    s1.title = "Sheet1"
    names = [s[0] for s in subjects]
    s1.append(["学校", "学号", "班级", "姓名"] + names)
    for school, sid, klass, name, scores in students:
        s1.append([school, sid, klass, name] + [scores.get(n) for n in names])
    s2 = wb.create_sheet("Sheet2")
    s2.append(["学校", "班级"] + names)
    seen = []
    for school, _, klass, _, _ in students:
        if (school, klass) not in seen:
            seen.append((school, klass))
    for school, klass in seen:
        s2.append([school, klass] + [(teachers or {}).get((school, klass, n), f"{n}老师{klass}")
                                     for n in names])
    s3 = wb.create_sheet("Sheet3")
    s3.append([SUBJECT_HEAD[0]] + names)
    for row in range(1, 7):
        s3.append([SUBJECT_HEAD[row]] + [s[row] for s in subjects])
    wb.save(path)


HAND_SUBJECTS = [("语文", 150, 80, 70, 60, 1, 100),   # lines 120, 105, 90
                 ("数学", 150, 80, 70, 60, 1, 100),
                 ("英语", 50, 90, 80, 60, 0, 50),     # lines 45, 40, 30; half weight
                 ("体育", 100, 85, 75, 60, 0, 100),   # nobody sat
                 ("信息", 100, 85, 75, 60, 0, 100)]   # one score for all: zero spread


def with_score(rows, subject, score_of):
    """The rows with one more subject, scored by 学号."""
    return [(school, sid, klass, name, dict(sc, **{subject: score_of(sid)}))
            for school, sid, klass, name, sc in rows]


def hand_made(path):
    rows = [
        ("一中", 1001, "1班", "张伟", {"语文": 120, "数学": 90, "英语": 45}),
        ("一中", 1002, "1班", "王芳", {"语文": 119.5, "数学": 89.5, "英语": 44.5}),
        ("一中", 1003, "1班", "张伟", {"语文": 115, "数学": 85, "英语": 40}),
        ("一中", 1004, "1班", "李娜", {"语文": 105, "数学": 105, "英语": 30}),
        ("一中", 1005, "2班", "刘洋", {"语文": 90, "数学": None, "英语": 29.5}),
        ("一中", 1006, "2班", "陈静", {"语文": 89.5, "数学": 120, "英语": None}),
        ("一中", 1007, "2班", "杨磊", {"语文": 85, "数学": 125, "英语": 50}),
        ("一中", 1008, "2班", "赵敏", {"语文": None, "数学": None, "英语": None}),
        ("二中", 2001, "1班", "张伟", {"语文": 105, "数学": 105, "英语": 30}),
        ("二中", 2002, "1班", "孙丽", {"语文": 104.5, "数学": 104.5, "英语": 31}),
        ("二中", 2003, "1班", "周强", {"语文": 150, "数学": 150, "英语": 50}),
        ("二中", 2004, "2班", "吴刚", {"语文": 0, "数学": 0, "英语": 0}),
        ("二中", 2005, "3班", "郑洁", {"语文": 60, "数学": 140, "英语": 35}),
        ("二中", 2006, "2班", "王芳", {"语文": 100, "数学": 110, "英语": 30}),
        ("二中", 2007, "2班", "冯雪", {"语文": 110, "数学": 100, "英语": 30}),
        ("二中", 2008, "2班", "钱进", {"语文": 95, "数学": 95, "英语": 40}),
    ]
    write_workbook(path, with_score(rows, "信息", lambda sid: 80), HAND_SUBJECTS)


def numeric_classes(path, mixed=False):
    """班级 as numbers (1, 2, 10: numeric order differs from text order), 学号 as text; mixed puts
    a text 班级 among the numbers, has no main subject (主科总分 0 for all) and weighs 科学 0."""
    main = 0 if mixed else 1
    subjects = [("语文", 120, 85, 75, 60, main, 100), ("数学", 120, 85, 75, 60, main, 100),
                ("科学", 80, 85, 75, 60, 0, 0 if mixed else 100)]
    students = []
    scores = [(100, 96, 70), (96, 100, 70), (72, 72, 48), (72, 72, 48), (71.5, 110, 60),
              (60, 60, 40), (102, 101.5, 68), (90, 90, 60), (50, 40, 20), (118, 119, 79)]
    for i, (a, b, c) in enumerate(scores):
        klass = [1, 2, "10班" if mixed else 10][i % 3]
        students.append(("实验中学", f"S{i:03d}", klass, f"学生{i % 7}",
                         {"语文": a, "数学": b, "科学": c if i != 4 else None}))
    write_workbook(path, students, subjects)


def read_uci(folder, name):
    with open(os.path.join(folder, name), newline="", encoding="utf-8") as f:
        return list(csv.DictReader(f, delimiter=";"))


UCI_KEY = ["school", "sex", "age", "address", "famsize", "Pstatus", "Medu", "Fedu", "Mjob", "Fjob",
           "reason", "nursery", "internet"]


def uci_students(folder):
    """The 674 students of both files, paired by the data set's 13 attributes in file order."""
    mat, por = read_uci(folder, "student-mat.csv"), read_uci(folder, "student-por.csv")
    students = [{"key": tuple(r[k] for k in UCI_KEY), "mat": r, "por": None} for r in mat]
    free = {}
    for s in students:
        free.setdefault(s["key"], []).append(s)
    for r in por:
        key = tuple(r[k] for k in UCI_KEY)
        if free.get(key):
            free[key].pop(0)["por"] = r
        else:
            students.append({"key": key, "mat": None, "por": r})
    return students


def uci_exam(path, folder, grade):
    """One term (G1, G2 or G3) as an exam: 数学 and 葡语 out of 20; 班级 is the age, numbers."""
    subjects = [("数学", 20, 85, 75, 60, 1, 100), ("葡语", 20, 85, 75, 60, 1, 100)]
    rows = []
    for i, s in enumerate(uci_students(folder)):
        base = s["mat"] or s["por"]
        scores = {"数学": float(s["mat"][grade]) if s["mat"] else None,
                  "葡语": float(s["por"][grade]) if s["por"] else None}
        rows.append((base["school"], 10000 + i, int(base["age"]), f"{base['sex']}{i % 97}", scores))
    write_workbook(path, rows, subjects)


def hand_made_next(path):
    """The hand-made exam a term later: a student left, one is new, 学号 changed or missing (found
    again by 学校 + 姓名), one 学号 given twice, a changed 学号 behind a 重名 (never guessed), a
    class gone and a class new."""
    rows = [
        ("一中", 1001, "1班", "张伟", {"语文": 110, "数学": 100, "英语": 40}),
        ("一中", None, "1班", "王芳", {"语文": 125, "数学": 95, "英语": 46}),
        ("一中", 1013, "1班", "张伟", {"语文": 100, "数学": 80, "英语": 35}),
        ("一中", 1004, "1班", "李娜", {"语文": 105, "数学": 105, "英语": 30}),
        ("一中", 1005, "2班", "刘洋", {"语文": 95, "数学": 70, "英语": 31}),
        ("一中", 1006, "2班", "陈静", {"语文": 89.5, "数学": 121, "英语": 20}),
        ("一中", 1007, "2班", "杨磊", {"语文": None, "数学": 130, "英语": 50}),
        ("一中", 1009, "2班", "新生", {"语文": 130, "数学": 130, "英语": 45}),
        ("二中", 2101, "1班", "张伟", {"语文": 100, "数学": 110, "英语": 30}),
        ("二中", 2002, "1班", "孙丽", {"语文": 114.5, "数学": 104.5, "英语": 31}),
        ("二中", 2002, "4班", "林涛", {"语文": 90, "数学": 90, "英语": 30}),
        ("二中", 2003, "1班", "周强", {"语文": 140, "数学": 150, "英语": 48}),
        ("二中", 2004, "2班", "吴刚", {"语文": 30, "数学": 20, "英语": 10}),
        ("二中", 2005, "2班", "郑洁", {"语文": 70, "数学": 135, "英语": 35}),
        ("二中", 2006, "2班", "王芳", {"语文": 100, "数学": 110, "英语": 30}),
        ("二中", 2007, "2班", "冯雪", {"语文": 110, "数学": 100, "英语": 30}),
        ("二中", 2008, "4班", "钱进", {"语文": 96, "数学": 94, "英语": 41}),
    ]
    write_workbook(path, with_score(rows, "信息", lambda sid: 90 if sid == 2004 else 70),
                   HAND_SUBJECTS)
