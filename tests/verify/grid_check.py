"""Running one report through scorestat-cli and comparing its grid file with expected rows.

An expected row is a list of cells: a text compared as it is, or Num(value, decimals) compared
as the text the user reads (the column's display format applied to the program's text).
Rows that share an order key may come in any order among themselves.
"""

import csv
import json
import os
import subprocess
from decimal import Decimal, InvalidOperation

from exam_model import display

FORMAT_DECIMALS = {"0": 0, "0.0": 1, "####0.0": 1, "0.00": 2, "##,##0.00": 2}


class Num:
    def __init__(self, value, decimals=None):
        self.value = value  # Fraction, Decimal or float; None shows as empty
        self.decimals = decimals  # None: compared as a plain number

    def expected_text(self):
        if self.value is None:
            return ""
        if self.decimals is None:
            return self.value
        return display(self.value, self.decimals)


def shown(text, fmt):
    """What the program's cell shows under its column's display format."""
    if fmt in FORMAT_DECIMALS and text.strip() != "":
        try:
            return display(text, FORMAT_DECIMALS[fmt])
        except InvalidOperation:
            return text
    return text


def cell_matches(cell, text, fmt):
    if isinstance(cell, Num):
        want = cell.expected_text()
        if cell.decimals is None and want != "":
            try:
                return abs(Decimal(text) - Decimal(str(float(want)))) <= Decimal("1e-6") * max(
                    1, abs(Decimal(str(float(want)))))
            except InvalidOperation:
                return False
        return shown(text, fmt) == want
    return text == str(cell)


class Checker:
    def __init__(self, cli, workdir):
        self.cli = cli
        self.workdir = workdir
        self.failures = []
        self.reports = 0
        self.exported = set()

    def run(self, db, args, allow_fail=False):
        proc = subprocess.run([self.cli, "--db", db] + args, capture_output=True, text=True)
        if proc.returncode != 0 and not allow_fail:
            raise RuntimeError(f"scorestat-cli {' '.join(args)} 失败: {proc.stderr.strip()}")
        return proc

    def grid(self, db, kind, options):
        out = os.path.join(self.workdir, "out.json")
        if os.path.exists(out):
            os.remove(out)
        self.run(db, ["report", kind] + options + ["-o", out])
        with open(out, encoding="utf-8") as f:
            return json.load(f)

    def fail(self, where, message):
        self.failures.append(f"{where}: {message}")

    def check(self, label, db, kind, options, header, rows, keys=None):
        """Compares the report with the expected header and rows.

        keys, when given, holds one order key per expected row; program rows in a run of equal
        keys are matched in any order.
        """
        self.reports += 1
        where = f"[{label}] report {kind} {' '.join(options)}"
        try:
            g = self.grid(db, kind, options)
        except RuntimeError as e:
            self.fail(where, str(e))
            return None
        cells = g["cells"]
        fmts = [c.get("format", "") for c in g["columns"]]
        if (label, kind) not in self.exported:
            self.exported.add((label, kind))
            self.check_export(where, db, kind, options, cells, fmts)
        got_header = cells[0][1:]
        if got_header != header:
            self.fail(where, f"列标题 {got_header} ≠ {header}")
            return g
        body = [r for r in cells[1:] if any(t != "" for t in r)]
        if len(body) != len(rows):
            self.fail(where, f"{len(body)} 行 ≠ 预期 {len(rows)} 行")
        keys = keys if keys is not None else list(range(len(rows)))
        i = 0
        while i < min(len(rows), len(body)):
            j = i
            while j < len(rows) and keys[j] == keys[i]:
                j += 1
            j = min(j, len(body))
            pending = list(range(i, j))
            for r in range(i, j):
                got = body[r][1:]
                hit = next((e for e in pending if all(
                    cell_matches(rows[e][c], got[c], fmts[c + 1]) for c in range(len(header)))), None)
                if hit is not None:
                    pending.remove(hit)
                    continue
                e = pending[0] if pending else r
                diffs = [f"{header[c]}: 程序 {got[c]!r}（显示 {shown(got[c], fmts[c + 1])!r}）"
                         f" 预期 {self._want(rows[e][c])!r}"
                         for c in range(len(header))
                         if not cell_matches(rows[e][c], got[c], fmts[c + 1])]
                self.fail(where, f"第 {r + 1} 行 {got[:4]}: " + "; ".join(diffs[:6]))
                if len(self.failures) > 200:
                    raise SystemExit("\n".join(self.failures))
            i = j
        return g

    def check_export(self, where, db, kind, options, cells, fmts):
        """The exported .csv shows what the user reads: each cell under its display format."""
        out = os.path.join(self.workdir, "out.csv")
        self.run(db, ["report", kind] + options + ["-o", out])
        with open(out, encoding="utf-8-sig", newline="") as f:
            rows = list(csv.reader(f))
        for r, row in enumerate(cells[1:], start=1):
            if r >= len(rows) or not any(row):
                break
            want = [shown(t, fmts[c]) for c, t in enumerate(row)][1:]
            if rows[r] != want:
                self.fail(where, f".csv 第 {r} 行显示 {rows[r]} ≠ 按格式 {want}")
                return

    @staticmethod
    def _want(cell):
        return cell.expected_text() if isinstance(cell, Num) else cell
