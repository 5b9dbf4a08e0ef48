"""Expected rows of the reports on two or more exams of the library (jtb, bjdb, gzb), worked out
from the workbooks of both exams."""

from collections import Counter
from fractions import Fraction

from exam_model import TOTAL_ALL, TOTAL_MAIN, exact, mean, ranks_desc
from grid_check import Num, cell_matches

UNMATCHED_ROW = "未能对应的学生"


def match_students(cur, base):
    """Pairs current students with base students: by 学号 when it is non-empty and unique in
    both exams, else by 学校 + 姓名 when that pair is unique in both exams. 重名 is never guessed."""
    ids_cur = Counter(st.sid for st in cur.students if st.sid)
    ids_base = Counter(st.sid for st in base.students if st.sid)
    base_by_id = {st.sid: st for st in base.students if st.sid}
    pairs, used = {}, set()
    for st in cur.students:
        if st.sid and ids_cur[st.sid] == 1 and ids_base.get(st.sid) == 1:
            pairs[id(st)] = base_by_id[st.sid]
            used.add(id(base_by_id[st.sid]))
    names_cur = Counter((st.school, st.name) for st in cur.students)
    names_base = Counter((st.school, st.name) for st in base.students)
    base_by_name = {(st.school, st.name): st for st in base.students}
    for st in cur.students:
        key = (st.school, st.name)
        if id(st) in pairs or names_cur[key] != 1 or names_base.get(key) != 1:
            continue
        other = base_by_name[key]
        if id(other) not in used:
            pairs[id(st)] = other
            used.add(id(other))
    return pairs


def class_ranks(exam, field):
    """Each student's rank by the total within 学校 + 班级 (1, 2, 2, 4)."""
    out = {}
    for _, sts in exam.classes():
        for st, r in zip(sts, ranks_desc([st.scores[field] for st in sts])):
            out[id(st)] = r
    return out


def jtb(cur, base, by_main=False):
    field = TOTAL_MAIN if by_main else TOTAL_ALL
    rank_of = (lambda st: st.rank_main) if by_main else (lambda st: st.rank_all)
    pairs = match_students(cur, base)
    cls_cur, cls_base = class_ranks(cur, field), class_ranks(base, field)
    header = ["学校", "学号", "班级", "姓名", "本次总分", "本次名次", "上次总分", "上次名次", "名次变化",
              "进退步系数", "本次班名", "上次班名", "班名变化"]
    order = sorted(cur.students, key=lambda s: (s.school, s.klass, rank_of(s)))
    rows, keys = [], []
    for st in order:
        if id(st) not in pairs:
            continue
        b = pairs[id(st)]
        change = rank_of(b) - rank_of(st)
        rows.append([st.school, st.sid, cur.klass_text(st.klass), st.name, Num(st.scores[field]),
                     str(rank_of(st)), Num(b.scores[field]), str(rank_of(b)), str(change),
                     Num(Fraction(change, rank_of(b)), 2), str(cls_cur[id(st)]),
                     str(cls_base[id(b)]), str(cls_base[id(b)] - cls_cur[id(st)])])
        keys.append((st.school, st.klass, rank_of(st)))
    # The heading row stays when everyone is paired: it tells the teacher nobody was left out.
    rows.append([UNMATCHED_ROW] + [""] * (len(header) - 1))
    keys.append(("~",))
    for st in order:
        if id(st) not in pairs:
            rows.append([st.school, st.sid, cur.klass_text(st.klass), st.name, Num(st.scores[field]),
                         str(rank_of(st)), "", "", "", Num(None), str(cls_cur[id(st)]), "", ""])
            keys.append(("~~", st.school, st.klass, rank_of(st)))
    return header, rows, keys, len(pairs)


def gbkm_rate(count, n):
    """count × 10000 / n rounded to an integer as the engine's CInt does (halves to even), / 100."""
    if n == 0:
        return None
    return Fraction(round(Fraction(count * 10000, n)), 100)


def subject_side(exam, students, subject, scaled):
    s = exam.by_name[subject]
    vs = [st.scores[subject] for st in students if st.scores[subject] is not None]
    lines = [s.line(lv) if scaled else s.pcts[lv] for lv in ("优秀", "及格")]
    m = mean(vs) if vs else None
    return len(vs), m, [gbkm_rate(sum(1 for v in vs if exact(v) >= line), len(vs))
                        for line in lines]


def bjdb(cur, base, subject=None, scaled=False, ns=(50, 100, 200)):
    cur_classes, base_classes = dict(cur.classes()), dict(base.classes())
    both = [k for k in sorted(cur_classes) if k in base_classes]
    if subject is None:
        header = ["学校", "班级"] + [f"{side}{c}" for side in ("本次", "上次") for c in
                                   ["人数", "平均分"] + [f"前{n}名" for n in ns]] + ["平均分变化"]

        def side(sts):
            m = mean([st.scores[TOTAL_ALL] for st in sts]) if sts else None
            return m, [str(len(sts)), Num(m, 2)] + [str(sum(1 for st in sts if st.rank_all <= n))
                                                   for n in ns]

        def row(label, a, b):
            ma, ca = side(a)
            mb, cb = side(b)
            return label[:2] + ca + cb + [Num(ma - mb if ma is not None and mb is not None else None, 2)]
    else:
        header = ["学校", "班级", "教师"] + [f"{s}{c}" for s in ("本次", "上次") for c in
                                         ("人数", "平均分", "优秀率", "及格率")] + [
            "平均分变化", "优秀率变化", "及格率变化"]

        def row(label, a, b):
            na, ma, ra = subject_side(cur, a, subject, scaled)
            nb, mb, rb = subject_side(base, b, subject, scaled)
            diff = [x - y if x is not None and y is not None else None
                    for x, y in zip([ma] + ra, [mb] + rb)]
            teacher = "" if label[0] == "合计" else cur.teachers.get(
                (label[0], label[2]), {}).get(subject, "")
            return label[:2] + [teacher, str(na), Num(ma, 2)] + [Num(r, 2) for r in ra] + [
                str(nb), Num(mb, 2)] + [Num(r, 2) for r in rb] + [Num(d, 2) for d in diff]
    rows = [row(["合计", "", None], cur.students, base.students)]
    for k in both:
        rows.append(row([k[0], cur.klass_text(k[1]), k[1]], cur_classes[k], base_classes[k]))
    return header, rows


def check_title(chk, label, grid, base_name, matched):
    second = grid["titles"][1]["text"] if len(grid.get("titles", [])) > 1 else ""
    if base_name not in second or str(matched) not in second:
        chk.fail(f"[{label}] jtb", f"副标题 {second!r} 未写明对比考试 {base_name!r} 与对应人数 {matched}")


def run_pair(chk, label, db, cur, base, base_id, base_name, subjects):
    """jtb and bjdb of the current exam against the exam base_id, with each of their options."""
    for by_main in (False, True):
        header, rows, keys, matched = jtb(cur, base, by_main)
        opts = ["--base", str(base_id)] + (["--by", "主科"] if by_main else [])
        g = chk.check(label, db, "jtb", opts, header, rows, keys)
        if g is not None:
            check_title(chk, label, g, base_name, matched)
    chk.check(label, db, "bjdb", ["--base", str(base_id)], *bjdb(cur, base))
    for subject in subjects:
        chk.check(label, db, "bjdb", ["--base", str(base_id), "--subject", subject],
                  *bjdb(cur, base, subject))
    chk.run(db, ["settings", "三线折算=1"])
    chk.check(label + " 三线折算", db, "bjdb", ["--base", str(base_id), "--subject", subjects[0]],
              *bjdb(cur, base, subjects[0], scaled=True))
    chk.run(db, ["settings", "三线折算=0"])


def tracking_cell(column, exam, students, klass_ranks, class_rank):
    """One figure of a gzb row, found by its heading; None when the heading is not a figure.
    students is the one tracked student (empty when not found in that exam) or a class."""
    if class_rank is None:
        one = students[0] if students else None
        if column in exam.by_name:
            return Num(one.scores[column] if one else None)
        if column == TOTAL_ALL:
            return Num(one.scores[TOTAL_ALL] if one else None)
        if column == "全科排名":
            return str(one.rank_all) if one else ""
        if column == "班名":
            return str(klass_ranks[id(one)]) if one else ""
        return None
    if not students:
        return Num(None) if column in exam.by_name or column in ("人数", TOTAL_ALL, "全科排名") else None
    if column == "人数":
        return str(len(students))
    if column in exam.by_name:
        vs = [st.scores[column] for st in students if st.scores[column] is not None]
        return Num(mean(vs) if vs else None, 2)
    if column == TOTAL_ALL:
        return Num(mean([st.scores[TOTAL_ALL] for st in students]), 2)
    if column == "全科排名":
        return str(class_rank)
    return None


def run_tracking(chk, label, db, exams, listed):
    """gzb for a few students and classes: one row per exam of the library, figure by figure.
    A student is found in the other exams by the same pairing as jtb."""
    cur = exams[-1]
    picks = [st for st in cur.students if st.sid][:2] + [cur.students[-1]]
    for st in picks:
        expected = []
        for exam, (_, name) in zip(exams, listed):
            if exam is cur:
                found = [st]
            else:
                pair = match_students(cur, exam).get(id(st))
                found = [pair] if pair else []
            expected.append((exam, name, found, class_ranks(exam, TOTAL_ALL), None))
        compare_tracking(chk, label, db, ["--student", st.sid], expected)
    current = [k for k, _ in cur.classes()]
    gone = [k for k, _ in exams[0].classes() if k not in current]
    for school, klass in current[:3] + gone[:1]:
        expected = []
        for exam, (_, name) in zip(exams, listed):
            groups = exam.classes()
            means = [mean([st.scores[TOTAL_ALL] for st in sts]) for _, sts in groups]
            ranks = dict(zip([k for k, _ in groups], ranks_desc(means)))
            sts = dict(groups).get((school, klass), [])
            expected.append((exam, name, sts, None, ranks.get((school, klass), "")))
        compare_tracking(chk, label, db, ["--class", f"{school}/{cur.klass_text(klass)}"], expected)


def compare_tracking(chk, label, db, options, expected):
    chk.reports += 1
    where = f"[{label}] report gzb {' '.join(options)}"
    try:
        g = chk.grid(db, "gzb", options)
    except RuntimeError as e:
        chk.fail(where, str(e))
        return
    header = g["cells"][0]
    fmts = [c.get("format", "") for c in g["columns"]]
    body = [r for r in g["cells"][1:] if any(t != "" for t in r)]
    if len(body) != len(expected):
        chk.fail(where, f"{len(body)} 行 ≠ 预期 {len(expected)} 行（{[e[1] for e in expected]}）")
    for row, (exam, name, students, klass_ranks, class_rank) in zip(body, expected):
        if name not in row:
            chk.fail(where, f"行 {row[:3]} 不是考试 {name!r}（按日期排列）")
        for c, column in enumerate(header):
            want = tracking_cell(column, exam, students, klass_ranks, class_rank)
            if want is not None and not cell_matches(want, row[c], fmts[c]):
                shown = want.expected_text() if isinstance(want, Num) else want
                chk.fail(where, f"{name} {column}: 程序 {row[c]!r} 预期 {shown!r}")
