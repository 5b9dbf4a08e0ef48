#!/usr/bin/python3
"""Writes an .xls from tab-separated sheets, for the readers' benchmark:

    /usr/bin/python3 tools/tsv_to_xls.py OUT.xls NAME=SHEET.tsv ...

A field that reads as a number is written as one; an empty field is left
empty. An .xls holds at most 65,536 rows per sheet."""

import sys

import xlwt


def value(field):
    if field == "":
        return None
    try:
        number = float(field)
    except ValueError:
        return field
    return int(number) if number.is_integer() and abs(number) < 2**31 else number


def main():
    book = xlwt.Workbook(encoding="utf-8")
    for item in sys.argv[2:]:
        name, path = item.split("=", 1)
        sheet = book.add_sheet(name)
        with open(path, encoding="utf-8") as f:
            for r, line in enumerate(f):
                for c, field in enumerate(line.rstrip("\n").split("\t")):
                    v = value(field)
                    if v is not None:
                        sheet.write(r, c, v)
    book.save(sys.argv[1])


if __name__ == "__main__":
    main()
