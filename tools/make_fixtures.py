#!/usr/bin/python3
"""Writes the workbook fixtures of tests/data into tests/fixtures:

    /usr/bin/python3 tools/make_fixtures.py [UCI_DATA_DIR]

UCI_DATA_DIR holds student-mat.csv and student-por.csv of the UCI "Student
Performance" data set (CC BY 4.0, P. Cortez and A. Silva, 2008); without it
the UCI fixtures are left as they are. Every other fixture is hand-written
XML packaged by tools/xlsx_min.py."""

import csv
import io
import os
import struct
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import xlsx_min  # noqa: E402
from xlsx_min import DECL, NS, NS_R  # noqa: E402

OUT = os.path.join(HERE, "..", "tests", "fixtures")


def worksheet(body, prefix=""):
    if prefix:
        ns = 'xmlns:%s="http://schemas.openxmlformats.org/spreadsheetml/2006/main"' % prefix
        return DECL + "<{p}:worksheet {ns} {r}><{p}:sheetData>{b}</{p}:sheetData></{p}:worksheet>".format(
            p=prefix, ns=ns, r=NS_R, b=body)
    return DECL + "<worksheet %s %s><sheetData>%s</sheetData></worksheet>" % (NS, NS_R, body)


def sst(items):
    return DECL + '<sst %s count="%d" uniqueCount="%d">%s</sst>' % (
        NS, len(items), len(items), "".join(items))


def cells_fixture():
    """Markup that writers really produce and a reader must get right."""
    strings = sst([
        "<si><t>学校</t></si>",
        # Rich text: the runs join; the phonetic run is not part of the text.
        '<si><r><rPr><b/></rPr><t>高一</t></r><r><t xml:space="preserve">(3)班</t></r>'
        '<rPh sb="0" eb="2"><t>コウイチ</t></rPh><phoneticPr fontId="1"/></si>',
        "<si><t>a_x000D_b_x005F_x0041_c</t></si>",
        "<si><t>&amp;&lt;&#x4E2D;&#25991;&quot;</t></si>",
        "<si/>",
        "<si><t>O'Brien</t></si>",
    ])
    typed = (
        '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>'
        '<c r="C1" t="s"><v>2</v></c><c r="D1" t="s"><v>3</v></c><c r="E1" t="s"><v>5</v></c></row>'
        '<row r="2"><c r="A2" t="inlineStr"><is><t>内联</t></is></c>'
        '<c r="B2" t="inlineStr"><is><r><t>富</t></r><r><t>文本</t></r></is></c>'
        '<c r="C2" t="b"><v>1</v></c><c r="D2" t="b"><v>0</v></c>'
        '<c r="E2" t="e"><v>#DIV/0!</v></c><c r="F2" t="str"><f>A1&amp;"x"</f><v>学校x</v></c>'
        '<c r="G2" t="d"><v>2024-03-05T12:00:00</v></c><c r="H2" s="1"><v>45356</v></c>'
        '<c r="I2"><f>1/3</f><v>0.33333333333333331</v></c><c r="J2" t="n"><v>-1.5E3</v></c>'
        '<c r="K2" s="3"/><c r="L2" t="s"><v>4</v></c></row>')
    # Gaps between rows and columns; cells and rows without r.
    gaps = (
        '<row r="1"><c r="A1"><v>1</v></c><c r="C1"><v>3</v></c></row>'
        '<row r="4"><c><v>41</v></c><c><v>42</v></c><c r="E4"><v>45</v></c><c><v>46</v></c></row>'
        '<row><c><v>51</v></c></row>'
        '<row r="7" spans="1:3"><c r="B7" t="inlineStr"><is><t>x</t></is></c></row>'
        '<row r="9" customHeight="1" ht="20"/>')
    prefixed = '<x:row r="1"><x:c r="A1" t="s"><x:v>5</x:v></x:c><x:c r="B1"><x:v>2</x:v></x:c></x:row>'
    # Tab order differs from the part numbers, and one target is absolute.
    xlsx_min.package(
        os.path.join(OUT, "cells.xlsx"),
        [("类型", worksheet(typed)), ("间隔", worksheet(gaps)),
         ("前缀 & 'q'", worksheet(prefixed, "x"))],
        strings,
        targets=["worksheets/sheet3.xml", "worksheets/sheet1.xml", "/xl/worksheets/sheet2.xml"])


def invalid_fixtures():
    body = '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>2</v></c></row>'
    xlsx_min.package(os.path.join(OUT, "bad_sst_index.xlsx"), [("Sheet1", worksheet(body))],
                     sst(["<si><t>a</t></si>", "<si><t>b</t></si>"]))
    xlsx_min.package(
        os.path.join(OUT, "bad_refs.xlsx"),
        [("列", worksheet('<row r="1"><c r="XFE1"><v>1</v></c></row>')),
         ("行", worksheet('<row r="1048577"><c r="A1048577"><v>1</v></c></row>')),
         ("远", worksheet('<row r="1048576"><c r="XFD1048576"><v>1</v></c></row>')),
         ("断", worksheet('<row r="1"><c r="A1"><v>1</v></c>')[:-40])])


def billion_laughs():
    doctype = '<!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol1 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">'
    for i in range(2, 10):
        doctype += '<!ENTITY lol%d "%s">' % (i, ("&lol%d;" % (i - 1)) * 10)
    doctype += "]>"
    sheet = worksheet('<row r="1"><c r="A1" t="inlineStr"><is><t>&lol9;</t></is></c>'
                      '<c r="B1" t="s"><v>0</v></c></row>').replace(DECL, DECL + doctype)
    strings = sst(["<si><t>&lol9;</t></si>"]).replace(DECL, DECL + doctype)
    xlsx_min.package(os.path.join(OUT, "billion_laughs.xlsx"), [("Sheet1", sheet)], strings)


def zip_bombs():
    """Two sheets whose XML inflates far beyond the compressed file: "大" is
    honest about its size (64 MiB of blanks), "谎" declares a small size but
    inflates to as much."""
    filler = " " * (64 << 20)
    big = worksheet('<row r="1"><c r="A1"><v>1</v></c></row>' + filler)
    path = os.path.join(OUT, "zip_bomb.xlsx")
    xlsx_min.package(path, [("大", big), ("谎", big)])
    with open(path, "rb") as f:
        data = bytearray(f.read())
    # Patch the size of xl/worksheets/sheet2.xml in its local header and in
    # the central directory.
    name = b"xl/worksheets/sheet2.xml"
    for signature, size_at in ((b"PK\x03\x04", 22), (b"PK\x01\x02", 24)):
        at = data.find(signature)
        while at >= 0:
            name_len = struct.unpack_from("<H", data, at + (26 if signature == b"PK\x03\x04" else 28))[0]
            start = at + (30 if signature == b"PK\x03\x04" else 46)
            if bytes(data[start:start + name_len]) == name:
                struct.pack_into("<I", data, at + size_at, 4096)
            at = data.find(signature, at + 4)
    with open(path, "wb") as f:
        f.write(data)


def xls_dates():
    """Dates, times and a long text in an .xls: FreeXL hands dates over as text."""
    import datetime
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("日期")
    sheet.write(0, 0, datetime.date(2024, 3, 5), xlwt.easyxf(num_format_str="YYYY-MM-DD"))
    sheet.write(0, 1, datetime.datetime(2024, 3, 5, 12, 0, 0),
                xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM:SS"))
    sheet.write(0, 2, datetime.time(6, 0, 0), xlwt.easyxf(num_format_str="HH:MM:SS"))
    sheet.write(1, 0, "长" * 300)
    sheet.write(1, 3, -0.125)
    book.save(os.path.join(OUT, "dates.xls"))


def read_uci(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f, delimiter=";"))


KEY = ["school", "sex", "age", "address", "famsize", "Pstatus", "Medu", "Fedu", "Mjob", "Fjob",
       "reason", "nursery", "internet"]
SCHOOLS = {"GP": "Gabriel Pereira", "MS": "Mousinho da Silveira"}


def uci_rows(directory):
    """One row per student of the two files, paired by the data set's 13
    identifying attributes in file order; a student in one file only has an
    empty cell for the other subject."""
    mat = read_uci(os.path.join(directory, "student-mat.csv"))
    por = read_uci(os.path.join(directory, "student-por.csv"))
    unpaired = {}
    for i, row in enumerate(mat):
        unpaired.setdefault(tuple(row[k] for k in KEY), []).append(i)
    students = []  # (por row or None, mat row or None)
    for row in por:
        rows = unpaired.get(tuple(row[k] for k in KEY))
        students.append((row, mat[rows.pop(0)] if rows else None))
    leftover = sorted(i for rows in unpaired.values() for i in rows)
    students += [(None, mat[i]) for i in leftover]
    header = ["学校", "学号", "班级", "姓名", "数学", "葡语"]
    rows = [header]
    for n, (p, m) in enumerate(students, 1):
        any_row = p or m
        klass = "高一(%d)班" % (1 if any_row["address"] == "U" else 2)
        rows.append([SCHOOLS[any_row["school"]], float(n), klass, "学生%d" % n,
                     float(m["G3"]) if m else None, float(p["G3"]) if p else None])
    teachers = [["学校", "班级", "数学", "葡语"]]
    for school in SCHOOLS.values():
        for k in (1, 2):
            teachers.append([school, "高一(%d)班" % k, "数学老师", "葡语老师"])
    lines = [["项目", "数学", "葡语"], ["满分", 20.0, 20.0], ["优秀", 85.0, 85.0],
             ["优良", 75.0, 75.0], ["及格", 60.0, 60.0], ["主科", 1.0, 1.0], ["权重", 100.0, 100.0]]
    return [("Sheet1", rows), ("Sheet2", teachers), ("Sheet3", lines)]


def main():
    cells_fixture()
    invalid_fixtures()
    billion_laughs()
    zip_bombs()
    xls_dates()
    if len(sys.argv) > 1:
        import make_samples
        named_rows = uci_rows(sys.argv[1])
        xlsx_min.write_rows(os.path.join(OUT, "uci_students.xlsx"), named_rows)
        make_samples.write_xls(os.path.join(OUT, "uci_students.xls"), named_rows)


if __name__ == "__main__":
    main()
