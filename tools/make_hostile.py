#!/usr/bin/python3
"""Writes the hostile-workbook corpus into tests/fixtures/hostile:

    /usr/bin/python3 tools/make_hostile.py

Workbooks as a county office receives them: made by other programs, half
filled, renamed, damaged or crafted. tests/data/hostile_test.cpp imports each
one and checks the message the user sees. The outputs are committed; rerun
after changing a case (the cells are fixed, so a rerun gives the same bytes).
Needs python3-xlwt for the .xls files."""

import os
import re
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_samples  # noqa: E402
import xlsx_min  # noqa: E402
from xlsx_min import DECL, NS, NS_R  # noqa: E402

OUT = os.path.join(HERE, "..", "tests", "fixtures", "hostile")

HEADER = ["学校", "学号", "班级", "姓名", "语文", "数学"]
TEACHER_HEADER = ["学校", "班级", "语文", "数学"]
LINES = [["项目", "语文", "数学"], ["满分", 150.0, 100.0], ["优秀", 85.0, 85.0],
         ["优良", 75.0, 75.0], ["及格", 60.0, 60.0], ["主科", 1.0, 1.0], ["权重", 100.0, 100.0]]


def students(n=6, school="城关中学"):
    rows = [list(HEADER)]
    for i in range(n):
        rows.append([school, float(2024001 + i), "初三(%d)班" % (i % 2 + 1), "学生%d" % (i + 1),
                     float(60 + 13 * i % 90), float(40 + 7 * i % 60)])
    return rows


def teachers(school="城关中学"):
    return [list(TEACHER_HEADER),
            [school, "初三(1)班", "王老师", "李老师"], [school, "初三(2)班", "赵老师", "钱老师"]]


def exam(scores=None, teacher_rows=None, lines=None, names=("Sheet1", "Sheet2", "Sheet3")):
    return [(names[0], scores if scores is not None else students()),
            (names[1], teacher_rows if teacher_rows is not None else teachers()),
            (names[2], lines if lines is not None else [list(r) for r in LINES])]


def path(name):
    return os.path.join(OUT, name)


def write_xlsx(name, named_rows):
    xlsx_min.write_rows(path(name), named_rows)


def write_xls(name, named_rows):
    make_samples.write_xls(path(name), named_rows)


def write_bytes(name, data):
    with open(path(name), "wb") as f:
        f.write(data)


def read_bytes(name):
    with open(path(name), "rb") as f:
        return f.read()


def worksheet(body):
    return DECL + "<worksheet %s %s><sheetData>%s</sheetData></worksheet>" % (NS, NS_R, body)


def plain_sheets(named_rows):
    """(name, XML) with inline strings, for cases that edit the XML."""
    out = []
    for name, rows in named_rows:
        sst = xlsx_min.SharedStrings()
        out.append((name, xlsx_min.sheet_xml(rows, sst), sst))
    return out


def patch_zip_sizes(data, entry, size):
    """Sets the uncompressed size of `entry` in its local header and in the
    central directory, leaving the compressed bytes as they are."""
    data = bytearray(data)
    name = entry.encode()
    for signature, name_len_at, start_at, size_at in ((b"PK\x03\x04", 26, 30, 22),
                                                      (b"PK\x01\x02", 28, 46, 24)):
        at = data.find(signature)
        while at >= 0:
            name_len = struct.unpack_from("<H", data, at + name_len_at)[0]
            if bytes(data[at + start_at:at + start_at + name_len]) == name:
                struct.pack_into("<I", data, at + size_at, size)
            at = data.find(signature, at + 4)
    return bytes(data)


def set_zip_flag(data, flag):
    """Sets a general-purpose flag bit on every entry (bit 0: encrypted)."""
    data = bytearray(data)
    for signature, flag_at in ((b"PK\x03\x04", 6), (b"PK\x01\x02", 8)):
        at = data.find(signature)
        while at >= 0:
            old = struct.unpack_from("<H", data, at + flag_at)[0]
            struct.pack_into("<H", data, at + flag_at, old | flag)
            at = data.find(signature, at + 4)
    return bytes(data)


def biff_records(stream):
    at = 0
    while at + 4 <= len(stream):
        kind, length = struct.unpack_from("<HH", stream, at)
        yield at, kind, length
        at += 4 + length


def with_filepass(xls):
    """An .xls whose workbook stream says it is RC4-encrypted: the
    WRITEACCESS record (xlwt writes 112 bytes) becomes a FILEPASS record of
    the same length, so every later record stays where it was."""
    data = bytearray(xls)
    at = data.find(b"\x5c\x00\x70\x00")  # WRITEACCESS, length 112
    if at < 0:
        raise SystemExit("no WRITEACCESS record to turn into FILEPASS")
    payload = struct.pack("<HHH", 1, 1, 1) + bytes(range(48)) + b"\0" * (112 - 54)
    data[at:at + 116] = struct.pack("<HH", 0x002F, 112) + payload
    return bytes(data)


def without_workbook_stream(xls):
    """An OLE2 file without a "Workbook" stream, as an encrypted .xlsx is
    (its streams are EncryptionInfo and EncryptedPackage): the directory
    entry is renamed in place."""
    data = bytearray(xls)
    old = "Workbook".encode("utf-16-le")
    at = data.find(old)
    if at < 0:
        raise SystemExit("no Workbook directory entry")
    new = "EncryptedPackage".encode("utf-16-le") + b"\0\0"
    data[at:at + 64] = new + b"\0" * (64 - len(new))
    struct.pack_into("<H", data, at + 64, len(new))
    return bytes(data)


def long_directory_name(xls):
    """An OLE2 directory entry that claims a 8027-byte name where 64 bytes
    fit (FreeXL 1.0.6 read past its buffer on such a file)."""
    data = bytearray(xls)
    at = data.find("Root Entry".encode("utf-16-le"))
    struct.pack_into("<H", data, at + 64, 8027)
    return bytes(data)


def sst_string_overrun(xls):
    """A shared string whose character count (65531) runs past the SST and
    its CONTINUE records (FreeXL 1.0.6 copied past its buffer)."""
    data = bytearray(xls)
    at = data.find(b"\xfc\x00")  # the SST record; its first string follows 8 bytes of counts
    struct.pack_into("<HB", data, at + 12, 0xFFFB, 0x0C)
    return bytes(data)


def broken_sector_chain(xls):
    """The workbook stream's sector chain leads out of the file (FreeXL
    1.0.6 read on from wherever it pointed)."""
    data = bytearray(xls)
    fat_sector = struct.unpack_from("<I", data, 0x4C)[0]
    directory = (struct.unpack_from("<I", data, 0x30)[0] + 1) * 512
    first = struct.unpack_from("<I", data, directory + 128 + 116)[0]  # the Workbook entry's start
    struct.pack_into("<I", data, (fat_sector + 1) * 512 + 4 * first, 0x7FFF)
    return bytes(data)


def huge_stream_size(xls):
    """The workbook stream's directory entry declares 4 GB."""
    data = bytearray(xls)
    directory = (struct.unpack_from("<I", data, 0x30)[0] + 1) * 512
    struct.pack_into("<I", data, directory + 128 + 120, 0xFFFFF000)
    return bytes(data)


def second_dimensions_record(xls):
    """A sheet with a second DIMENSIONS record (its WINDOW2 retyped); FreeXL
    1.0.6 read past its cell table on such sheets."""
    data = bytearray(xls)
    at = data.find(b"\x3e\x02\x12\x00")  # WINDOW2, 18 bytes, of the first sheet
    struct.pack_into("<H", data, at, 0x0200)
    return bytes(data)


def lying_bomb(name, inflated_mib, declared):
    filler = " " * (inflated_mib << 20)
    big = worksheet('<row r="1"><c r="A1"><v>1</v></c></row>' + filler)
    sheets = plain_sheets(exam())
    xlsx_min.package(path(name), [("Sheet1", big), sheets[1][:2], sheets[2][:2]],
                     None)
    write_bytes(name, patch_zip_sizes(read_bytes(name), "xl/worksheets/sheet1.xml", declared))


def inline_row(r, values):
    cells = []
    for c, v in enumerate(values):
        ref = "%s%d" % (xlsx_min.column_letters(c), r)
        if isinstance(v, str):
            cells.append('<c r="%s" t="inlineStr"><is><t xml:space="preserve">%s</t></is></c>'
                         % (ref, xlsx_min.escape(v)))
        else:
            cells.append('<c r="%s"><v>%r</v></c>' % (ref, v))
    return '<row r="%d">%s</row>' % (r, "".join(cells))


def inline_sheet(rows, extra=""):
    return worksheet("".join(inline_row(i + 1, row) for i, row in enumerate(rows)) + extra)


def package_inline(name, sheet1_xml, strings=None):
    """Sheet1 from the caller's XML, Sheet2 and Sheet3 the usual ones."""
    sheets = exam()
    xlsx_min.package(path(name), [("Sheet1", sheet1_xml),
                                  ("Sheet2", inline_sheet(sheets[1][1])),
                                  ("Sheet3", inline_sheet(sheets[2][1]))], strings)


# Texts that SQL built by joining pieces, HTML export and the grid must all
# carry as they are.
NASTY = ["O'Brien", 'say "hi"', "a;b", "x -- y", "<script>alert(1)</script>", "tab\there",
         "two\nlines", "😀学生🎓", "'; DROP TABLE 教师表; --", "]) OR 1=1 --", "%_*?"]


def nasty_exam():
    scores = [list(HEADER)]
    for i, text in enumerate(NASTY):
        scores.append([NASTY[(i + 3) % len(NASTY)], float(3000 + i), NASTY[(i + 5) % len(NASTY)],
                       text, float(50 + i), float(30 + i)])
    teacher_rows = [list(TEACHER_HEADER)]
    for i, text in enumerate(NASTY):
        teacher_rows.append([NASTY[(i + 3) % len(NASTY)], NASTY[(i + 5) % len(NASTY)], text,
                             NASTY[(i + 1) % len(NASTY)]])
    return exam(scores, teacher_rows)


def main():
    os.makedirs(OUT, exist_ok=True)

    # The exam every test database holds before the hostile import, and its
    # .xls twin as the base of the damaged .xls files.
    write_xlsx("previous.xlsx", exam(students(8, "实验中学"), teachers("实验中学")))
    write_xls("base.xls", exam())
    write_xlsx("base.xlsx", exam())
    base_xls = read_bytes("base.xls")
    base_xlsx = read_bytes("base.xlsx")

    # Not a workbook at all.
    text = "学校,学号,班级,姓名,语文\n城关中学,1,初三(1)班,张三,90\n".encode("utf-8")
    write_bytes("text_renamed.xls", text)
    write_bytes("text_renamed.xlsx", text)
    png = (b"\x89PNG\r\n\x1a\n" + struct.pack(">I", 13) + b"IHDR" +
           struct.pack(">IIBBBBB", 1, 1, 8, 0, 0, 0, 0))
    png += struct.pack(">I", zlib.crc32(png[12:29]))
    png += struct.pack(">I", 0) + b"IEND" + struct.pack(">I", zlib.crc32(b"IEND"))
    write_bytes("picture.xls", png)
    write_bytes("empty.xls", b"")
    write_bytes("empty.xlsx", b"")
    write_bytes("html_saved_as.xls",
                "<html><body><table><tr><td>学校</td></tr></table></body></html>".encode())

    # Damaged: cut at several places.
    for cut in (8, 512, len(base_xls) // 2, len(base_xls) - 700):
        write_bytes("truncated_%d.xls" % cut, base_xls[:cut])
    for cut in (4, 100, len(base_xlsx) // 2, len(base_xlsx) - 30):
        write_bytes("truncated_%d.xlsx" % cut, base_xlsx[:cut])

    # Password protected.
    write_bytes("encrypted.xls", with_filepass(base_xls))
    write_bytes("encrypted_package.xlsx", without_workbook_stream(base_xls))
    write_bytes("zip_encrypted.xlsx", set_zip_flag(base_xlsx, 1))
    write_bytes("directory_name_too_long.xls", long_directory_name(base_xls))
    write_bytes("shared_string_overrun.xls", sst_string_overrun(base_xls))
    write_bytes("broken_sector_chain.xls", broken_sector_chain(base_xls))
    write_bytes("huge_stream_size.xls", huge_stream_size(base_xls))
    write_bytes("second_dimensions_record.xls", second_dimensions_record(base_xls))

    # Crafted .xlsx parts.
    lying_bomb("zip_bomb_declared_huge.xlsx", 4, 0xFFFFFFF0)
    lying_bomb("zip_bomb_lying_size.xlsx", 16, 4096)
    doctype = ('<!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol1 "%s">'
               % ("&lol;" * 10))
    for i in range(2, 10):
        doctype += '<!ENTITY lol%d "%s">' % (i, ("&lol%d;" % (i - 1)) * 10)
    doctype += "]>"
    rows = students()
    rows[1][3] = "&lol9;"
    laughs = inline_sheet(rows).replace(xlsx_min.escape("&lol9;"), "&lol9;")
    package_inline("billion_laughs.xlsx", laughs.replace(DECL, DECL + doctype))
    sst = xlsx_min.SharedStrings()
    body = xlsx_min.sheet_xml(students(), sst).replace(
        '<c r="D3" t="s"><v>%d</v>' % sst.index["学生2"], '<c r="D3" t="s"><v>99999</v>')
    package_inline("sst_index_out_of_range.xlsx", body, sst.xml())
    package_inline("cell_ref_zzzz.xlsx", inline_sheet(
        students(), '<row r="99999999"><c r="ZZZZ99999999"><v>1</v></c></row>'))
    package_inline("sheet_xml_cut.xlsx", inline_sheet(students())[:-60])
    write_bytes("no_workbook_part.xlsx", strip_entry(base_xlsx, "xl/workbook.xml"))

    # Sheet names.
    write_xlsx("sheet_names_lower.xlsx", exam(names=("sheet1", "sheet2", "SHEET3")))
    write_xlsx("sheet_names_blanks.xlsx", exam(names=(" Sheet1 ", "Sheet2", "Sheet3")))
    write_xls("missing_sheet2.xls", exam(names=("Sheet1", "教师", "Sheet3")))
    write_xlsx("missing_sheet3.xlsx", exam()[:2])

    # Half-filled and ill-formed sheets.
    write_xlsx("empty_sheet1.xlsx", exam(scores=[]))
    write_xls("header_only.xls", exam(scores=[list(HEADER)]))
    dup = students()
    dup[0][5] = "语文"
    write_xlsx("duplicate_header.xlsx", exam(scores=dup))
    gap = students()
    for row in gap:
        row.insert(4, None)
    gap[1][4] = 1.0
    write_xlsx("empty_header.xlsx", exam(scores=gap))
    bracket = students()
    bracket[0].append("备注[1]")
    write_xlsx("bracket_in_header.xlsx", exam(scores=bracket))
    no_id = [[c for i, c in enumerate(r) if i != 1] for r in students()]
    write_xlsx("missing_xuehao_column.xlsx", exam(scores=no_id))
    extra_subject = [list(r) for r in LINES]
    extra_subject[0].append("英语")
    for r in extra_subject[1:]:
        r.append(r[1])
    write_xlsx("subject_not_in_sheet1.xlsx", exam(lines=extra_subject))
    write_xlsx("lines_five_rows.xlsx", exam(lines=[list(r) for r in LINES[:6]]))
    write_xlsx("lines_no_subject.xlsx", exam(lines=[[r[0]] for r in LINES]))
    text_mark = [list(r) for r in LINES]
    text_mark[1][1] = "一百五"
    write_xlsx("full_mark_text.xlsx", exam(lines=text_mark))
    zero_mark = [list(r) for r in LINES]
    zero_mark[1][2] = 0.0
    write_xls("full_mark_zero.xls", exam(lines=zero_mark))
    quote_subject = [list(r) for r in LINES]
    quote_subject[0][2] = "数'学"
    quoted_scores = students()
    quoted_scores[0][5] = "数'学"
    write_xlsx("subject_with_quote.xlsx", exam(scores=quoted_scores, lines=quote_subject))

    # Scores.
    odd = students()
    odd[1][4] = -5.0
    odd[2][4] = 200.0
    odd[3][5] = None
    odd[4][5] = "85"
    write_xls("scores_negative_over_text_number.xls", exam(scores=odd))
    absent = students()
    absent[3][4] = "缺考"
    write_xlsx("score_text_absent.xlsx", exam(scores=absent))
    error_value = re.sub(r'<c r="F4"><v>[^<]*</v></c>', '<c r="F4" t="e"><v>#N/A</v></c>',
                         inline_sheet(students()))
    package_inline("score_error_value.xlsx", error_value)

    # Sizes at the limits of the old format and of the new.
    big = [list(HEADER)]
    for i in range(65535):
        # Every student has a school and a class (an empty one is refused).
        big.append(["城关中学", float(i + 1), "初三(%d)班" % (i % 2 + 1), None, float(i % 151), None])
    write_xls("rows_65536.xls", exam(scores=big))
    wide_header = list(HEADER) + ["备注%d" % i for i in range(16384 - len(HEADER))]
    wide_row = students()[1] + [None] * (16384 - len(HEADER) - 1) + [1.0]
    write_xlsx("cols_16384.xlsx", exam(scores=[wide_header, wide_row]))

    # Names that must arrive as they are.
    write_xlsx("names_injection.xlsx", nasty_exam())
    write_xls("names_injection.xls", nasty_exam())
    long_name = students()
    long_name[1][3] = "长" * 32767
    write_xlsx("long_text.xlsx", exam(scores=long_name))
    emoji_subject = [list(r) for r in LINES]
    emoji_subject[0][2] = "数学😀"
    emoji_scores = students()
    emoji_scores[0][5] = "数学😀"
    write_xlsx("subject_emoji.xlsx", exam(scores=emoji_scores, lines=emoji_subject))


def strip_entry(data, entry):
    import io
    import zipfile
    src = zipfile.ZipFile(io.BytesIO(data))
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as dst:
        for info in src.infolist():
            if info.filename != entry:
                dst.writestr(info, src.read(info.filename))
    return out.getvalue()


if __name__ == "__main__":
    main()
