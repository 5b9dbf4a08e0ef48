#!/usr/bin/env python3
"""Recomputes the analysis and exam-comparison reports from the workbooks and compares every cell
of scorestat-cli's grid files with the recomputation.

Usage: verify_reports.py --cli PATH --source DIR [--work DIR] [--full] [--library] [--data DIR]
Exit status 0 when every report agrees, 1 with the differences listed, 77 when python3-openpyxl
is missing (ctest shows the test as skipped).
"""

import argparse
import os
import shutil
import sys
import tempfile

# The modules beside this script are loaded from the source tree, which stays clean.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

try:
    import openpyxl  # noqa: F401
except ImportError:
    print("跳过：需要 python3-openpyxl（apt-get install python3-openpyxl）")
    sys.exit(77)

import analysis_checks  # noqa: E402
import comparison_checks  # noqa: E402
import workbooks  # noqa: E402
from exam_model import Exam  # noqa: E402
from grid_check import Checker  # noqa: E402


def import_series(chk, db, paths):
    """Imports the workbooks in turn into a fresh library (its own folder: the library lives
    beside the score database); returns each exam's id and name."""
    folder = os.path.dirname(db)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for path in paths:
        chk.run(db, ["import", path])
    lines = chk.run(db, ["exams"]).stdout.strip().splitlines()[1:]
    return [(int(f[0]), f[1]) for f in (line.split("\t") for line in lines)]


def run_library(chk, work, data):
    """jtb, bjdb and gzb over the hand-made pair of exams and, given the data, three UCI terms."""
    base_path, cur_path = os.path.join(work, "hand.xlsx"), os.path.join(work, "hand-next.xlsx")
    workbooks.hand_made_next(cur_path)
    series = [("hand", [base_path, cur_path], ["语文", "英语", "体育"])]
    if data:
        series.append(("uci", [os.path.join(work, f"uci-{t}.xlsx") for t in ("G1", "G2", "G3")],
                       ["数学", "葡语"]))
    for label, paths, subjects in series:
        db = os.path.join(work, f"library-{label}", "scores.db")
        listed = import_series(chk, db, paths)
        exams = [Exam(p) for p in paths]
        cur = exams[-1]
        for (exam_id, name), base in zip(listed[:-1], exams[:-1]):
            comparison_checks.run_pair(chk, f"{label} 对比 {name}", db, cur, base, exam_id, name,
                                       subjects)
        comparison_checks.run_tracking(chk, label, db, exams, listed)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--source", required=True, help="the repository (examples/, shared data)")
    ap.add_argument("--data", help="the UCI student-mat.csv and student-por.csv, for three terms")
    ap.add_argument("--work")
    ap.add_argument("--full", action="store_true", help="larger generated exams, every option")
    ap.add_argument("--library", action="store_true", help="also jtb, bjdb and gzb")
    args = ap.parse_args()
    work = args.work or tempfile.mkdtemp(prefix="verify-")
    os.makedirs(work, exist_ok=True)
    chk = Checker(args.cli, work)

    exams = [("sample", os.path.join(args.source, "examples", "sample.xlsx"))]
    made = os.path.join(work, "hand.xlsx")
    workbooks.hand_made(made)
    exams.append(("hand", made))
    numeric = os.path.join(work, "numeric.xlsx")
    workbooks.numeric_classes(numeric)
    exams.append(("numeric", numeric))
    mixed = os.path.join(work, "mixed.xlsx")
    workbooks.numeric_classes(mixed, mixed=True)
    exams.append(("mixed", mixed))
    sizes = [(300, 1, 2), (800, 7, 3)] + ([(5000, 11, 4)] if args.full else [])
    for students, seed, schools in sizes:
        path = os.path.join(work, f"gen{students}-{seed}.xlsx")
        chk.run(os.path.join(work, "gen.db"), ["generate", path, "--students", str(students),
                                               "--schools", str(schools), "--seed", str(seed)])
        exams.append((f"generate {students}/{seed}", path))
    exams.append(("uci", os.path.join(args.source, "tests", "fixtures", "uci_students.xlsx")))
    if args.data:
        for term in ("G1", "G2", "G3"):
            path = os.path.join(work, f"uci-{term}.xlsx")
            workbooks.uci_exam(path, args.data, term)
            exams.append((f"uci {term}", path))

    for n, (label, path) in enumerate(exams):
        db = os.path.join(work, f"exam{n}", "scores.db")
        import_series(chk, db, [path])
        exam = Exam(path)
        analysis_checks.run_all(chk, label, db, exam, quick=not args.full and label != "hand")

    help_text = chk.run(db, ["report", "--help"], allow_fail=True).stdout
    if args.library and "jtb" in help_text:
        run_library(chk, work, args.data)
    else:
        print("考试对比报表（jtb、bjdb、gzb）未检查")

    print(f"{chk.reports} 张报表，{len(exams)} 次考试")
    if chk.failures:
        print("\n".join(chk.failures))
        print(f"文件留在 {work}")
        return 1
    if not args.work:
        shutil.rmtree(work)
    print("全部一致")
    return 0


if __name__ == "__main__":
    sys.exit(main())
