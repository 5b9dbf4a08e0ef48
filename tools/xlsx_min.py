"""A minimal .xlsx packager: enough parts for a workbook that the program's
reader and common spreadsheet programs open, with the sheet XML under the
caller's control so that test fixtures can hold unusual but valid markup."""

import zipfile
from xml.sax.saxutils import escape

NS = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
NS_R = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'


def column_letters(col):
    letters = ""
    n = col + 1
    while n:
        n, rem = divmod(n - 1, 26)
        letters = chr(65 + rem) + letters
    return letters


def attr(text):
    return escape(text, {'"': "&quot;"})


class SharedStrings:
    def __init__(self):
        self.index = {}
        self.items = []

    def add(self, text):
        if text not in self.index:
            self.index[text] = len(self.items)
            self.items.append(text)
        return self.index[text]

    def xml(self):
        body = "".join(
            '<si><t xml:space="preserve">%s</t></si>' % escape(t) for t in self.items)
        return DECL + '<sst %s count="%d" uniqueCount="%d">%s</sst>' % (
            NS, len(self.items), len(self.items), body)


def sheet_xml(rows, sst):
    """rows: lists of None, numbers or str; texts go to the shared strings."""
    out = []
    width = max((len(r) for r in rows), default=0)
    ref = "A1:%s%d" % (column_letters(max(width - 1, 0)), max(len(rows), 1))
    for r, row in enumerate(rows):
        cells = []
        for c, value in enumerate(row):
            where = "%s%d" % (column_letters(c), r + 1)
            if value is None:
                continue
            if isinstance(value, str):
                cells.append('<c r="%s" t="s"><v>%d</v></c>' % (where, sst.add(value)))
            else:
                cells.append('<c r="%s"><v>%s</v></c>' % (where, repr(value)))
        out.append('<row r="%d">%s</row>' % (r + 1, "".join(cells)))
    return DECL + '<worksheet %s %s><dimension ref="%s"/><sheetData>%s</sheetData></worksheet>' % (
        NS, NS_R, ref, "".join(out))


def part_name(target):
    """The zip entry of a relationship target relative to xl/ or absolute."""
    return target[1:] if target.startswith("/") else "xl/" + target


def package(path, sheets, shared_strings=None, targets=None, extra=None):
    """sheets: (name, sheet XML) in tab order. targets: part names per sheet
    (default xl/worksheets/sheetN.xml). extra: further (name, bytes) entries."""
    targets = targets or ["worksheets/sheet%d.xml" % (i + 1) for i in range(len(sheets))]
    types = ['<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>',
             '<Default Extension="xml" ContentType="application/xml"/>',
             '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>',
             '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>']
    rels = ['<Relationship Id="rIdStyles" Type="%s/styles" Target="styles.xml"/>' % REL]
    tabs = []
    for i, (name, _) in enumerate(sheets):
        types.append('<Override PartName="/%s" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>' % part_name(targets[i]))
        rels.append('<Relationship Id="rId%d" Type="%s/worksheet" Target="%s"/>' % (i + 1, REL, targets[i]))
        tabs.append('<sheet name="%s" sheetId="%d" r:id="rId%d"/>' % (attr(name), i + 1, i + 1))
    if shared_strings is not None:
        types.append('<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>')
        rels.append('<Relationship Id="rIdSst" Type="%s/sharedStrings" Target="sharedStrings.xml"/>' % REL)
    styles = (DECL + '<styleSheet %s><fonts count="1"><font><sz val="11"/><name val="宋体"/></font></fonts>'
              '<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>'
              '<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>'
              '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
              '<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>'
              '</styleSheet>') % NS
    entries = [
        ("[Content_Types].xml", DECL + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">%s</Types>' % "".join(types)),
        ("_rels/.rels", DECL + '<Relationships xmlns="%s"><Relationship Id="rId1" Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % (PKG_REL, REL)),
        ("xl/workbook.xml", DECL + '<workbook %s %s><sheets>%s</sheets></workbook>' % (NS, NS_R, "".join(tabs))),
        ("xl/_rels/workbook.xml.rels", DECL + '<Relationships xmlns="%s">%s</Relationships>' % (PKG_REL, "".join(rels))),
        ("xl/styles.xml", styles),
    ]
    for i, (_, xml) in enumerate(sheets):
        entries.append((part_name(targets[i]), xml))
    if shared_strings is not None:
        entries.append(("xl/sharedStrings.xml", shared_strings))
    entries += list(extra or [])
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, body in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, body if isinstance(body, bytes) else body.encode("utf-8"))


def write_rows(path, named_rows):
    """named_rows: (sheet name, rows) in tab order; texts shared."""
    sst = SharedStrings()
    sheets = [(name, sheet_xml(rows, sst)) for name, rows in named_rows]
    package(path, sheets, sst.xml())
