"""Expected rows of the analysis reports (yfyd, mcfb, ljs, cjl, bzf, sjzl, djpj, djtj), worked
out from the exam as the teachers' questions define them."""

import math
from fractions import Fraction

from exam_model import (TOTAL_ALL, TOTAL_MAIN, exact, mean, ranks_desc, sqrt_fraction,
                        to_decimal, variance)
from grid_check import Num

TOTAL_ROW = ["合计", ""]


def percent(part, whole):
    return Num(Fraction(part * 100, whole) if whole else None, 2)


def class_label(exam, key):
    return [key[0], exam.klass_text(key[1])]


def yfyd(exam, subject=TOTAL_ALL, step=1, school=None):
    pool = [st for st in exam.students if school is None or st.school == school]
    values = [st.scores[subject] for st in exam.sat(subject, pool)]
    header = ["分数", "人数", "累计人数", "累计百分比"]
    if not values:
        return header, []
    bands = {}
    for v in values:
        b = math.floor(exact(v) / step) * step
        bands[b] = bands.get(b, 0) + 1
    rows, cum = [], 0
    for b in range(max(bands), min(bands) - 1, -step):
        cum += bands.get(b, 0)
        rows.append([str(b), str(bands.get(b, 0)), str(cum), percent(cum, len(values))])
    return header, rows


def subject_ranks(exam, by):
    """Each student's rank under --by, None for one who did not sit the subject."""
    if by == "全科":
        return {id(st): st.rank_all for st in exam.students}
    if by == "主科":
        return {id(st): st.rank_main for st in exam.students}
    sat = exam.sat(by)
    return {id(st): r for st, r in zip(sat, ranks_desc([st.scores[by] for st in sat]))}


def mcfb(exam, by="全科", ns=(50, 100, 200, 300)):
    ranks = subject_ranks(exam, by)
    header = ["学校", "班级", "人数"] + [f"前{n}名" for n in ns] + [f"前{n}名率" for n in ns]

    def row(label, students):
        counted = [st for st in students if id(st) in ranks]
        tops = [sum(1 for st in counted if ranks[id(st)] <= n) for n in ns]
        return label + [str(len(counted))] + [str(t) for t in tops] + [
            percent(t, len(counted)) for t in tops]

    rows = [row(TOTAL_ROW, exam.students)]
    rows += [row(class_label(exam, key), sts) for key, sts in exam.classes()]
    return header, rows


def ljs_line(exam, subject, level="及格", band=5):
    line = exam.by_name[subject].line(level)
    header = ["学校", "班级", "学号", "姓名", "成绩", "线", "差"]
    picked = [st for st in exam.sat(subject) if line - band <= exact(st.scores[subject]) < line]
    rows, keys = [], []
    for st in sorted(picked, key=lambda s: (s.school, s.klass, line - exact(s.scores[subject]))):
        gap = line - exact(st.scores[subject])
        rows.append([st.school, exam.klass_text(st.klass), st.sid, st.name,
                     Num(st.scores[subject]), Num(line), Num(gap)])
        keys.append((st.school, st.klass, gap))
    return header, rows, keys


def ljs_rank(exam, n, band):
    totals = sorted((st.scores[TOTAL_ALL] for st in exam.students), reverse=True)
    at_n = exact(totals[n - 1])
    header = ["学校", "班级", "学号", "姓名", TOTAL_ALL, "全科排名", "差"]
    picked = [st for st in exam.students if n + 1 <= st.rank_all <= n + band]
    rows, keys = [], []
    for st in sorted(picked, key=lambda s: (s.school, s.klass, at_n - exact(s.scores[TOTAL_ALL]))):
        gap = at_n - exact(st.scores[TOTAL_ALL])
        rows.append([st.school, exam.klass_text(st.klass), st.sid, st.name,
                     Num(st.scores[TOTAL_ALL]), str(st.rank_all), Num(gap)])
        keys.append((st.school, st.klass, gap))
    return header, rows, keys


def cjl(exam, subject=None):
    field = subject or TOTAL_ALL
    values = [st.scores[field] for st in exam.sat(field)]
    grade = mean(values) if values else None
    classes = exam.classes()
    means = {}
    for key, sts in classes:
        vs = [st.scores[field] for st in exam.sat(field, sts)]
        if vs:
            means[key] = mean(vs)
    keys_with = list(means)
    rank = dict(zip(keys_with, ranks_desc([means[k] for k in keys_with])))

    def stats(vs, m):
        return [str(len(vs)), Num(m, 2), Num(grade, 2),
                Num((m - grade) / grade * 100 if m is not None and grade else None, 2),
                Num(m / grade if m is not None and grade else None, 2),
                Num(sqrt_fraction(variance(vs, True)) if len(vs) > 1 else None, 2)]

    rows = [TOTAL_ROW + ([""] if subject else []) + stats(values, grade) + [""]]
    for key, sts in classes:
        vs = [st.scores[field] for st in exam.sat(field, sts)]
        teacher = [exam.teachers.get(key, {}).get(subject, "")] if subject else []
        rows.append(class_label(exam, key) + teacher + stats(vs, means.get(key)) +
                    [str(rank[key]) if key in rank else ""])
    header = ["学校", "班级"] + (["教师"] if subject else []) + [
        "人数", "平均分", "年级平均分", "超均率", "比均率", "标准差", "排名"]
    return header, rows


def t_scores(values):
    """T = 50 + 10 × (x − mean) / population sd, to 50 digits; 50 when every value is equal."""
    m = mean(values)
    sd = sqrt_fraction(variance(values, False))
    if sd == 0:
        return lambda x: Fraction(50)
    return lambda x: 50 + 10 * to_decimal(exact(x) - m) / sd


def bzf(exam):
    header = ["学校", "学号", "班级", "姓名"] + [s.name for s in exam.subjects] + ["总分T"]
    fields = [s.name for s in exam.subjects] + [TOTAL_ALL]
    t = {}
    for f in fields:
        vs = [st.scores[f] for st in exam.sat(f)]
        t[f] = t_scores(vs) if vs else None
    rows = []
    for st in exam.students:
        rows.append([st.school, st.sid, exam.klass_text(st.klass), st.name] + [
            Num(t[f](st.scores[f]) if st.scores[f] is not None else None, 1) for f in fields])
    return header, rows


def correlation(xs, ys):
    mx, my = mean(xs), mean(ys)
    sxy = sum(((exact(x) - mx) * (exact(y) - my) for x, y in zip(xs, ys)), Fraction(0))
    sxx = sum(((exact(x) - mx) ** 2 for x in xs), Fraction(0))
    syy = sum(((exact(y) - my) ** 2 for y in ys), Fraction(0))
    if sxx == 0 or syy == 0:
        return None
    return to_decimal(sxy) / sqrt_fraction(sxx * syy)


def sjzl(exam):
    header = ["科目", "满分", "人数", "平均分", "难度", "区分度", "标准差", "差异系数", "最高分",
              "最低分", "相关系数"]
    rows = []
    for s in exam.subjects:
        sat = exam.sat(s.name)
        vs = [st.scores[s.name] for st in sat]
        n = len(vs)
        if n == 0:
            rows.append([s.name, str(s.full_mark), "0"] + [Num(None)] * 8)
            continue
        m = mean(vs)
        k = max(1, math.floor(Fraction(n * 27, 100) + Fraction(1, 2)))
        ordered = sorted(vs, reverse=True)
        spread = (mean(ordered[:k]) - mean(ordered[-k:])) / s.full_mark
        sd = sqrt_fraction(variance(vs, True)) if n > 1 else None
        rows.append([s.name, str(s.full_mark), str(n), Num(m, 2), Num(m / s.full_mark, 2),
                     Num(spread, 2), Num(sd, 2),
                     Num(sd / to_decimal(m) if sd is not None and m else None, 2),
                     Num(max(vs)), Num(min(vs)),
                     Num(correlation(vs, [st.scores[TOTAL_ALL] for st in sat]), 2)])
    return header, rows


def letter(subject, score):
    if score is None:
        return "缺"
    for level, mark in (("优秀", "A"), ("优良", "B"), ("及格", "C")):
        if exact(score) >= subject.line(level):
            return mark
    return "D"


def overall_letter(rank, count, ratio):
    for cut, mark in zip(ratio, "ABC"):
        if rank * 100 <= cut * count:
            return mark
    return "D"


def djpj(exam, ratio=(15, 50, 85)):
    header = ["学校", "学号", "班级", "姓名"] + [s.name for s in exam.subjects] + ["总评"]
    n = len(exam.students)
    rows = [[st.school, st.sid, exam.klass_text(st.klass), st.name] +
            [letter(s, st.scores[s.name]) for s in exam.subjects] +
            [overall_letter(st.rank_all, n, ratio)] for st in exam.students]
    return header, rows


def djtj(exam, with_overall=False):
    header = ["学校", "班级"] + [f"{s.name}{m}" for s in exam.subjects for m in "ABCD"]
    if with_overall:
        header += [f"总评{m}" for m in "ABCD"]
    n = len(exam.students)

    def row(label, sts):
        cells = list(label)
        for s in exam.subjects:
            letters = [letter(s, st.scores[s.name]) for st in sts]
            cells += [str(letters.count(m)) for m in "ABCD"]
        if with_overall:
            letters = [overall_letter(st.rank_all, n, (15, 50, 85)) for st in sts]
            cells += [str(letters.count(m)) for m in "ABCD"]
        return cells

    return header, [row(TOTAL_ROW, exam.students)] + [
        row(class_label(exam, key), sts) for key, sts in exam.classes()]


def run_all(chk, label, db, exam, quick=False):
    """Every analysis kind with each of its options on one exam."""
    subjects = [s.name for s in exam.subjects]
    sat_subjects = [s for s in subjects if exam.sat(s)]
    first = sat_subjects[0]
    schools = sorted({st.school for st in exam.students})
    for subject, step, school in [(TOTAL_ALL, 1, None), (TOTAL_MAIN, 10, None),
                                  (first, 1, None), (sat_subjects[-1], 5, schools[-1]),
                                  (TOTAL_ALL, 7, schools[0])]:
        opts = ["--subject", subject, "--step", str(step)] + (["--school", school] if school else [])
        chk.check(label, db, "yfyd", opts, *yfyd(exam, subject, step, school))
    chk.check(label, db, "yfyd", [], *yfyd(exam))
    for subject in subjects:
        if subject not in sat_subjects:
            chk.check(label, db, "yfyd", ["--subject", subject], *yfyd(exam, subject))
            chk.check(label, db, "mcfb", ["--by", subject], *mcfb(exam, subject))
    n = len(exam.students)
    small = sorted({1, 2, 3, max(1, n // 4), max(1, n // 2)})
    for by, ns in [("全科", (50, 100, 200, 300)), ("主科", tuple(small)), (first, tuple(small))]:
        opts = ["--by", by] + (["--n", ",".join(map(str, ns))] if ns != (50, 100, 200, 300) else [])
        chk.check(label, db, "mcfb", opts, *mcfb(exam, by, ns))
    chk.check(label, db, "mcfb", [], *mcfb(exam))
    for subject in subjects[: 2 if quick else len(subjects)]:
        for level, band in [("及格", 5), ("优秀", 10), ("优良", 0.5)]:
            header, rows, keys = ljs_line(exam, subject, level, band)
            chk.check(label, db, "ljs", ["--subject", subject, "--line", level, "--band", f"{band:g}"],
                      header, rows, keys)
    header, rows, keys = ljs_line(exam, first)
    chk.check(label, db, "ljs", ["--subject", first], header, rows, keys)
    for rank_n, band in sorted({(1, 3), (max(1, n // 3), 5), (max(1, n - 2), 5)}):
        header, rows, keys = ljs_rank(exam, rank_n, band)
        chk.check(label, db, "ljs", ["--rank", str(rank_n), "--band", str(band)], header, rows, keys)
    for subject in [None] + subjects[: 2 if quick else len(subjects)]:
        chk.check(label, db, "cjl", ["--subject", subject] if subject else [], *cjl(exam, subject))
    chk.check(label, db, "bzf", [], *bzf(exam))
    chk.check(label, db, "sjzl", [], *sjzl(exam))
    for ratio in [(15, 50, 85), (10, 30, 60), (20, 50, 100)][: 2 if quick else 3]:
        opts = [] if ratio == (15, 50, 85) else ["--ratio", ",".join(map(str, ratio))]
        chk.check(label, db, "djpj", opts, *djpj(exam, ratio))
    g = chk.grid(db, "djtj", [])
    chk.check(label, db, "djtj", [], *djtj(exam, "总评A" in g["cells"][0]))
