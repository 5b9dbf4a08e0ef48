"""An exam read straight from its workbook, with the import's derived fields recomputed.

Nothing here asks the program: the totals, ranks and lines are worked out again from the
three sheets so that the reports can be checked against an independent source.
"""

import struct
from decimal import ROUND_HALF_UP, Decimal, getcontext
from fractions import Fraction

import openpyxl

getcontext().prec = 50

TOTAL_ALL = "全科总分"
TOTAL_MAIN = "主科总分"


def float32(x):
    """The value a SINGLE column keeps of a double."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def number_text(v):
    """A workbook cell as the program shows it: whole numbers without a decimal point."""
    if v is None:
        return ""
    if isinstance(v, float) and v.is_integer():
        return str(int(v))
    return str(v)


def ranks_desc(values):
    """Competition ranks, highest first: ties share, the next rank skips (1, 2, 2, 4)."""
    order = sorted(range(len(values)), key=lambda i: -values[i])
    ranks = [0] * len(values)
    for pos, i in enumerate(order):
        if pos > 0 and values[i] == values[order[pos - 1]]:
            ranks[i] = ranks[order[pos - 1]]
        else:
            ranks[i] = pos + 1
    return ranks


def display(value, decimals):
    """The text a report shows: halves away from zero, on the shortest decimal text."""
    if isinstance(value, str):
        if value.strip() == "":
            return ""
        value = Decimal(value)
    elif isinstance(value, Fraction):
        value = Decimal(value.numerator) / Decimal(value.denominator)
    elif isinstance(value, Decimal):
        pass
    else:
        value = Decimal(repr(float(value)))
    q = Decimal(1).scaleb(-decimals)
    sign = -1 if value < 0 else 1
    text = str((abs(value)).quantize(q, rounding=ROUND_HALF_UP) * sign)
    return "0" + text[2:] if text.startswith("-0") and Decimal(text) == 0 else text


def exact(x):
    return Fraction(x)


class Subject:
    def __init__(self, name, fm, ex, gd, ps, main, weight):
        self.name = name
        self.full_mark = int(fm)
        self.pcts = {"优秀": int(ex), "优良": int(gd), "及格": int(ps)}
        self.main = int(main) == 1
        self.weight = int(weight)

    def line(self, level):
        # 满分 × percentage is an integer product; the division is real (150 × 85 / 100 = 127.5).
        return Fraction(self.full_mark * self.pcts[level], 100)


class Student:
    def __init__(self, row_no, school, sid, klass, name, scores):
        self.row_no = row_no
        self.school = school
        self.sid = sid
        self.klass = klass
        self.name = name
        self.scores = scores  # subject name → float or None (absent)


class Exam:
    def __init__(self, path):
        wb = openpyxl.load_workbook(path, read_only=True, data_only=True)
        sheets = {ws.title: list(ws.iter_rows(values_only=True)) for ws in wb.worksheets}
        s1, s2, s3 = sheets["Sheet1"], sheets["Sheet2"], sheets["Sheet3"]
        header = [h for h in s3[0] if h is not None]
        self.subjects = []
        for c, name in enumerate(header[1:], start=1):
            col = [s3[r][c] for r in range(1, 7)]
            self.subjects.append(Subject(name, *col))
        self.by_name = {s.name: s for s in self.subjects}
        head = list(s1[0])
        idx = {h: i for i, h in enumerate(head)}
        rows = [r for r in s1[1:] if any(v is not None for v in r)]
        klass_numeric = all(isinstance(r[idx["班级"]], (int, float)) for r in rows
                            if r[idx["班级"]] is not None)
        self.klass_numeric = klass_numeric
        self.students = []
        for n, r in enumerate(rows):
            scores = {}
            for s in self.subjects:
                v = r[idx[s.name]]
                scores[s.name] = None if v is None or v == "" else float(v)
            klass = r[idx["班级"]]
            klass_key = float(klass) if klass_numeric else number_text(klass)
            self.students.append(Student(n, number_text(r[idx["学校"]]), number_text(r[idx["学号"]]),
                                         klass_key, number_text(r[idx["姓名"]]), scores))
        self.teachers = {}
        head2 = list(s2[0])
        for r in s2[1:]:
            if all(v is None for v in r):
                continue
            rec = dict(zip(head2, r))
            k = rec["班级"]
            key = (number_text(rec["学校"]), float(k) if klass_numeric else number_text(k))
            self.teachers[key] = {h: number_text(v) for h, v in rec.items()}
        self._derive()

    def _derive(self):
        for st in self.students:
            for kind, subjects in ((TOTAL_ALL, self.subjects),
                                   (TOTAL_MAIN, [s for s in self.subjects if s.main])):
                acc = 0.0
                for s in subjects:
                    v = st.scores[s.name]
                    acc += (0.0 if v is None else v) * (s.weight / 100)
                st.scores[kind] = float32(acc)
        for kind, rank_name in ((TOTAL_ALL, "全科排名"), (TOTAL_MAIN, "主科排名")):
            ranks = ranks_desc([st.scores[kind] for st in self.students])
            for st, r in zip(self.students, ranks):
                setattr(st, "rank_all" if kind == TOTAL_ALL else "rank_main", r)

    def klass_text(self, klass):
        return number_text(klass) if self.klass_numeric else klass

    def classes(self):
        """Every (学校, 班级) with its students, ordered by 学校 then 班级."""
        groups = {}
        for st in self.students:
            groups.setdefault((st.school, st.klass), []).append(st)
        return sorted(groups.items(), key=lambda kv: kv[0])

    def sat(self, subject, students=None):
        """The students with a score in the subject; for a total, every student."""
        students = self.students if students is None else students
        if subject in (TOTAL_ALL, TOTAL_MAIN):
            return list(students)
        return [st for st in students if st.scores[subject] is not None]


def mean(values):
    return sum((exact(v) for v in values), Fraction(0)) / len(values)


def variance(values, sample):
    n = len(values)
    m = mean(values)
    ss = sum(((exact(v) - m) ** 2 for v in values), Fraction(0))
    return ss / (n - 1 if sample else n)


def to_decimal(f):
    return Decimal(f.numerator) / Decimal(f.denominator)


def sqrt_fraction(f):
    """A square root to 50 digits, so that only a true half decides the displayed digit."""
    return to_decimal(f).sqrt()
