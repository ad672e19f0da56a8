#!/usr/bin/env python3
"""Workbooks for the workbook tests, written and read by programs other than ours.

  workbooks.py make DIR           writes the test workbooks (openpyxl, odfpy and by hand at the XML
                                  level), each with its table as CSV beside it (CASE.csv)
  workbooks.py read FILE SHEET    prints the sheet's rows as JSON (openpyxl, odfpy)
  workbooks.py changed IN OUT     prints the zip entries whose content differs, one a line
  workbooks.py inspect FILE       prints where the results stand and what covers them (JSON)
"""
import datetime
import json
import pathlib
import sys
import zipfile

HEADER = ["Parcela", "Výměra [m2]", "Měřítko", "Poznámka"]
# Each row: the cells as the workbook holds them, and the same as a CSV table writes them.
ROWS = [
    (["1/1", 2500, "1:2880", "a"], ["1/1", "2500", "1:2880", "a"]),
    (["2", 1234.5, 5000, None], ["2", "1234,5", "5000", ""]),
    (["3", "2 500,5", "1 : 1 440", "text"], ["3", "2 500,5", "1 : 1 440", "text"]),
    (["4", 0.125, "1:1000", "desetiny"], ["4", "0,125", "1:1000", "desetiny"]),
    (["5", "abc", "1:1000", "text"], ["5", "abc", "1:1000", "text"]),
    (["6", None, "1:1000", "prázdná"], ["6", "", "1:1000", "prázdná"]),
    (["7", -5, "1:1000", "záporná"], ["7", "-5", "1:1000", "záporná"]),
    (["8", 99999999.5, "1:2000", "velká"], ["8", "99999999,5", "1:2000", "velká"]),
]


def write_csv(path, rows):
    with open(path, "w", encoding="utf-8", newline="") as f:
        for row in rows:
            f.write(";".join(row) + "\r\n")


def make_openpyxl(folder):
    import openpyxl
    from openpyxl.styles import Font

    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Parcely"
    ws.append(HEADER)
    for cells, _ in ROWS:
        ws.append(cells)
    ws.append(["9", datetime.date(2024, 5, 1), "1:1000", "datum"])
    ws.append(["10", True, "1:1000", "pravda"])
    ws["A1"].font = Font(bold=True)
    ws.column_dimensions["D"].width = 30
    ws.merge_cells("E1:F1")
    second = wb.create_sheet("Druhý")
    second.append(["Výměra"])
    second.append([100])
    wb.save(folder / "openpyxl.xlsx")
    csv = [HEADER] + [c for _, c in ROWS] + [["9", "2024-05-01", "1:1000", "datum"],
                                             ["10", "PRAVDA", "1:1000", "pravda"]]
    write_csv(folder / "openpyxl.csv", csv)


def make_handmade(folder):
    """Shared and inline strings, formulas with and without a stored result, no dimension, cells out
    of order, a second sheet."""
    ns = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
    rns = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
    shared = ["Parcela", "Výměra", "Pozn", "tučně", " kurzíva"]
    sst = "".join(f"<si><t>{s}</t></si>" for s in shared[:4])
    sst += '<si><r><t>rich</t></r><r><rPr><i/></rPr><t xml:space="preserve"> kurzíva</t></r>' \
           '<rPh sb="0" eb="1"><t>x</t></rPh></si>'
    sheet1 = (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet {ns}>'
              '<sheetData>'
              '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>'
              '<c r="C1" t="s"><v>2</v></c></row>'
              '<row r="2"><c r="A2" t="inlineStr"><is><t>1</t></is></c><c r="C2" t="s"><v>4</v></c>'
              '<c r="B2"><v>2500</v></c></row>'
              '<row r="3"><c r="A3" t="inlineStr"><is><t>2</t></is></c>'
              '<c r="B3"><f>B2/2</f><v>1250</v></c><c r="C3" t="s"><v>3</v></c></row>'
              '<row r="5"><c r="A5" t="inlineStr"><is><t>3</t></is></c>'
              '<c r="B5"><f>B2*2</f></c></row>'
              '<row r="6"><c r="A6" t="inlineStr"><is><t>4</t></is></c>'
              '<c r="B6" t="e"><v>#DIV/0!</v></c></row>'
              '<row r="7"><c r="A7" t="inlineStr"><is><t>5</t></is></c>'
              '<c r="B7" t="str"><f>TEXT(1,"0")</f><v>845,5</v></c></row>'
              '</sheetData></worksheet>')
    sheet2 = (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet {ns}>'
              '<dimension ref="A1:A2"/><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>'
              'Výměra</t></is></c></row><row r="2"><c r="A2"><v>100</v></c></row></sheetData>'
              '</worksheet>')
    workbook = (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><workbook {ns} {rns}>'
                '<sheets><sheet name="Hlavní" sheetId="1" r:id="rId1"/>'
                '<sheet name="Druhý" sheetId="2" r:id="rId2"/></sheets></workbook>')
    rels_type = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
    workbook_rels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns='
                     '"http://schemas.openxmlformats.org/package/2006/relationships">'
                     f'<Relationship Id="rId1" Type="{rels_type}/worksheet" '
                     'Target="worksheets/sheet1.xml"/>'
                     f'<Relationship Id="rId2" Type="{rels_type}/worksheet" '
                     'Target="worksheets/sheet2.xml"/>'
                     f'<Relationship Id="rId3" Type="{rels_type}/sharedStrings" '
                     'Target="sharedStrings.xml"/>'
                     f'<Relationship Id="rId4" Type="{rels_type}/styles" Target="styles.xml"/>'
                     '</Relationships>')
    styles = (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><styleSheet {ns}>'
              '<fonts count="1"><font><sz val="11"/></font></fonts>'
              '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
              '<borders count="1"><border/></borders>'
              '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/>'
              '</cellStyleXfs><cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" '
              'borderId="0" xfId="0"/></cellXfs></styleSheet>')
    content_types = (
        '<?xml version="1.0" encoding="UTF-8"?><Types xmlns='
        '"http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.'
        'relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-'
        'officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.'
        'openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.'
        'openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-'
        'officedocument.spreadsheetml.sharedStrings+xml"/>'
        '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-'
        'officedocument.spreadsheetml.styles+xml"/></Types>')
    root_rels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns='
                 '"http://schemas.openxmlformats.org/package/2006/relationships">'
                 f'<Relationship Id="rId1" Type="{rels_type}/officeDocument" '
                 'Target="xl/workbook.xml"/></Relationships>')
    def write(name, sheet, shared):
        with zipfile.ZipFile(folder / name, "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("[Content_Types].xml", content_types)
            z.writestr("_rels/.rels", root_rels)
            z.writestr("xl/workbook.xml", workbook)
            z.writestr("xl/_rels/workbook.xml.rels", workbook_rels)
            z.writestr("xl/worksheets/sheet1.xml", sheet)
            z.writestr("xl/worksheets/sheet2.xml", sheet2)
            z.writestr("xl/sharedStrings.xml", shared)
            z.writestr("xl/styles.xml", styles)

    write("handmade.xlsx", sheet1, f'<?xml version="1.0" encoding="UTF-8"?><sst {ns}>{sst}</sst>')
    write_csv(folder / "handmade.csv", [["Parcela", "Výměra", "Pozn"], ["1", "2500", "rich kurzíva"],
                                        ["2", "1250", "tučně"], [], ["3", "", ""],
                                        ["4", "#DIV/0!", ""], ["5", "845,5", ""]])

    # An area as text whose shared string stands across the reader's 256 KiB pieces of the part.
    head = f'<?xml version="1.0" encoding="UTF-8"?><sst {ns}><si><t>Parcela</t></si>' \
           '<si><t>Výměra</t></si><si><t>'
    middle = '</t></si><si><t>'
    pad = (1 << 18) - 2 - len((head + middle).encode())
    shared = head + "x" * pad + middle + "2500</t></si></sst>"
    assert shared.encode().index(b"2500") == (1 << 18) - 2
    sheet = (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet {ns}><sheetData>'
             '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c></row>'
             '<row r="2"><c r="A2"><v>1</v></c><c r="B2" t="s"><v>3</v></c></row>'
             '</sheetData></worksheet>')
    write("boundary.xlsx", sheet, shared)
    write_csv(folder / "boundary.csv", [["Parcela", "Výměra"], ["1", "2500"]])


def make_odfpy(folder):
    from odf.opendocument import OpenDocumentSpreadsheet
    from odf.table import Table, TableColumn, TableRow, TableCell
    from odf.text import P

    doc = OpenDocumentSpreadsheet()
    table = Table(name="Parcely")
    table.addElement(TableColumn(numbercolumnsrepeated=4))

    def row(cells, repeated=1):
        r = TableRow(numberrowsrepeated=repeated) if repeated > 1 else TableRow()
        for value in cells:
            if isinstance(value, bool):
                c = TableCell(valuetype="boolean", booleanvalue="true" if value else "false")
            elif isinstance(value, (int, float)):
                c = TableCell(valuetype="float", value=value)
                c.addElement(P(text=str(value)))
            elif isinstance(value, datetime.date):
                c = TableCell(valuetype="date", datevalue=value.isoformat())
            elif value is None:
                c = TableCell()
            else:
                c = TableCell(valuetype="string")
                c.addElement(P(text=value))
            r.addElement(c)
        # Empty cells to the end of the sheet, as LibreOffice writes a formatted row.
        r.addElement(TableCell(numbercolumnsrepeated=1020))
        table.addElement(r)

    row(HEADER)
    csv = [HEADER]
    for cells, text in ROWS:
        row(cells)
        csv.append(text)
    row(["9", 400, "1:1000", "třikrát"], repeated=3)
    csv += [["9", "400", "1:1000", "třikrát"]] * 3
    row([None, None, None, None], repeated=1000)
    doc.spreadsheet.addElement(table)
    second = Table(name="Druhý")
    r = TableRow()
    c = TableCell(valuetype="string")
    c.addElement(P(text="Výměra"))
    r.addElement(c)
    second.addElement(r)
    doc.spreadsheet.addElement(second)
    doc.save(str(folder / "odfpy.ods"))
    write_csv(folder / "odfpy.csv", csv)


def read(path, sheet):
    rows = []
    if path.endswith(".xlsx"):
        import openpyxl

        wb = openpyxl.load_workbook(path)
        ws = wb[sheet] if sheet in wb.sheetnames else wb.worksheets[int(sheet) - 1]
        for r in ws.iter_rows(values_only=True):
            rows.append(["" if v is None else (repr(v) if isinstance(v, float) else str(v))
                         for v in r])
    else:
        from odf.opendocument import load
        from odf.table import Table, TableRow, TableCell
        from odf.text import P

        doc = load(path)
        tables = doc.spreadsheet.getElementsByType(Table)
        table = next((t for t in tables if t.getAttribute("name") == sheet), None)
        table = table or tables[int(sheet) - 1]
        for r in table.getElementsByType(TableRow):
            cells = []
            for c in r.getElementsByType(TableCell):
                count = int(c.getAttribute("numbercolumnsrepeated") or 1)
                value = c.getAttribute("value")
                value = repr(float(value)) if value else "".join(
                    str(p) for p in c.getElementsByType(P))
                # Empty runs as long as they are, up to what a test table spans.
                cells += [value] * (count if value else min(count, 64))
            while cells and cells[-1] == "":
                cells.pop()
            rows += [cells] * int(r.getAttribute("numberrowsrepeated") or 1)
    print(json.dumps(rows, ensure_ascii=False))


def make_large(folder):
    """More text than the look-ahead holds, the sheet's dimension right; and the same with a last
    row wider than its dimension states."""
    import openpyxl

    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Velký"
    ws.append(HEADER)
    csv = [HEADER]
    for i in range(12000):
        cells, text = ROWS[i % len(ROWS)]
        note = f"{i} " + "poznámka " * 12
        ws.append([str(i), cells[1], cells[2], note])
        csv.append([str(i), text[1], text[2], note])
    wb.save(folder / "large.xlsx")
    write_csv(folder / "large.csv", csv)
    ws.cell(row=ws.max_row, column=6, value="navíc")
    wb.save(folder / "understated.xlsx")
    with zipfile.ZipFile(folder / "understated.xlsx") as z:
        parts = {name: z.read(name) for name in z.namelist()}
    sheet = parts["xl/worksheets/sheet1.xml"].decode()
    parts["xl/worksheets/sheet1.xml"] = sheet.replace(f'ref="A1:F{ws.max_row}"',
                                                      f'ref="A1:D{ws.max_row}"').encode()
    with zipfile.ZipFile(folder / "understated.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in parts.items():
            z.writestr(name, data)


def make_straddle(folder):
    """A row whose bytes stand across the end of the reader's first 256 KiB piece of the sheet, at
    every offset within the row: straddle-K.xlsx has the piece end K bytes into row 2."""
    ns = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
    head = f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet {ns}><sheetData>' \
           '<row r="1"><c r="A1" t="inlineStr"><is><t>Parcela</t></is></c>' \
           '<c r="B1" t="inlineStr"><is><t>Výměra</t></is></c><c r="C1" t="inlineStr"><is><t>'
    pad_end = '</t></is></c></row>'
    row2 = ('<row r="2" spans="1:3"><c r="A2" t="inlineStr"><is><t>1</t></is></c>'
            '<c r="B2" s="0" t="n"><v>2500</v></c><c r="C2" t="inlineStr"><is><t>x</t></is></c></row>')
    tail = '</sheetData></worksheet>'
    wb_xml = (f'<?xml version="1.0" encoding="UTF-8"?><workbook {ns} xmlns:r="http://schemas.'
              'openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="P" '
              'sheetId="1" r:id="rId1"/></sheets></workbook>')
    rels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.'
            'openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://'
            'schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
            'Target="worksheets/sheet1.xml"/></Relationships>')
    root = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.'
            'openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://'
            'schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
            'Target="xl/workbook.xml"/></Relationships>')
    types = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.'
             'org/package/2006/content-types"><Default Extension="rels" ContentType="application/'
             'vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" '
             'ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType='
             '"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
             '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.'
             'openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>')
    for k in range(len(row2.encode())):
        pad = (1 << 18) - k - len((head + pad_end).encode())
        sheet = head + "p" * pad + pad_end + row2 + tail
        assert sheet.encode().index(row2.encode()) == (1 << 18) - k
        with zipfile.ZipFile(folder / f"straddle-{k}.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("[Content_Types].xml", types)
            z.writestr("_rels/.rels", root)
            z.writestr("xl/workbook.xml", wb_xml)
            z.writestr("xl/_rels/workbook.xml.rels", rels)
            z.writestr("xl/worksheets/sheet1.xml", sheet)


def make_long(folder):
    """A number with thousands of spaces around it, and a field longer than any number: the same
    cells as a CSV table, Excel's Unicode text and both workbooks."""
    import openpyxl
    from odf.opendocument import OpenDocumentSpreadsheet
    from odf.table import Table, TableRow, TableCell
    from odf.text import P

    rows = [["Parcela", "Výměra"], ["1", " " * 3000 + "2500" + " " * 3000], ["2", "7" * 4100]]
    write_csv(folder / "long.csv", rows)
    with open(folder / "long.txt", "w", encoding="utf-16", newline="") as f:
        for row in rows:
            f.write("\t".join(row) + "\r\n")
    wb = openpyxl.Workbook()
    for row in rows:
        wb.active.append(row)
    wb.save(folder / "long.xlsx")
    doc = OpenDocumentSpreadsheet()
    table = Table(name="List1")
    for row in rows:
        r = TableRow()
        for value in row:
            c = TableCell(valuetype="string")
            c.addElement(P(text=value))
            r.addElement(c)
        table.addElement(r)
    doc.spreadsheet.addElement(table)
    doc.save(str(folder / "long.ods"))


def make_placement(folder):
    """A sheet as a user formats it: its header styled across to Z, the unused columns E to J
    hidden, a list validation and a conditional format over the columns beside the data."""
    import openpyxl
    from openpyxl.formatting.rule import CellIsRule
    from openpyxl.styles import Font, PatternFill
    from openpyxl.worksheet.datavalidation import DataValidation

    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Data"
    ws.append(["Parcela", "Výměra", "Druh"])
    ws.append(["101", 2500, "orná"])
    ws.append(["102", 845.5, "les"])
    for col in range(1, 27):
        ws.cell(row=1, column=col).fill = PatternFill("solid", fgColor="FFFF00")
        ws.cell(row=1, column=col).font = Font(bold=True)
    for c in "EFGHIJ":
        ws.column_dimensions[c].hidden = True
    dv = DataValidation(type="list", formula1='"ano,ne"', allow_blank=True)
    ws.add_data_validation(dv)
    dv.add("C2:F100")
    ws.conditional_formatting.add(
        "A1:Z100", CellIsRule(operator="greaterThan", formula=["5"],
                              fill=PatternFill("solid", fgColor="FF0000")))
    wb.save(folder / "placement.xlsx")


def write_alike(folder, name, rows, texts=True):
    """The same rows as Czech Excel's CSV (Windows-1250, semicolons, CRLF), Excel's Unicode text
    (UTF-16, tabs), .xlsx (openpyxl) and .ods (odfpy); a cell of digits as a number cell, a triple
    (formula, value, OpenDocument formula) as a formula in a workbook, its value in a text table."""
    import openpyxl
    from odf.opendocument import OpenDocumentSpreadsheet
    from odf.table import Table, TableRow, TableCell
    from odf.text import P

    def shown(row):
        return [v[1] if isinstance(v, tuple) else v for v in row]

    if texts:
        with open(folder / f"{name}.csv", "w", encoding="cp1250", newline="") as f:
            for row in rows:
                f.write(";".join(shown(row)) + "\r\n")
        with open(folder / f"{name}.txt", "w", encoding="utf-16", newline="") as f:
            for row in rows:
                f.write("\t".join(shown(row)) + "\r\n")

    def typed(value):
        if isinstance(value, tuple):
            return value
        try:
            return float(value.replace(",", ".")) if value.strip() else None
        except ValueError:
            return value

    wb = openpyxl.Workbook()
    wb.active.title = "Data"
    for row in rows:
        # openpyxl writes a formula without its value, as a program that never calculated does.
        wb.active.append([v[0] if isinstance(v, tuple) else typed(v) for v in row])
    wb.save(folder / f"{name}.xlsx")
    doc = OpenDocumentSpreadsheet()
    table = Table(name="Data")
    for row in rows:
        r = TableRow()
        for value in map(typed, row):
            if isinstance(value, tuple):
                # As LibreOffice stores it: the formula in its own grammar, and its value.
                c = TableCell(valuetype="float", value=float(value[1]), formula=value[2])
                c.addElement(P(text=value[1]))
            elif isinstance(value, float):
                c = TableCell(valuetype="float", value=value)
                c.addElement(P(text=str(value)))
            elif value is None:
                c = TableCell()
            else:
                c = TableCell(valuetype="string")
                c.addElement(P(text=value))
            r.addElement(c)
        table.addElement(r)
    doc.spreadsheet.addElement(table)
    doc.save(str(folder / f"{name}.ods"))


def make_alike(folder):
    """Tables as they come, each in the four formats."""
    write_alike(folder, "again", [["Parcela", "Výměra", "Pozn"], ["1", "2500", "a"],
                                  ["2", "abc", "b"]])
    write_alike(folder, "scales", [["Parcela", "Výměra", "Měřítko mapy", "Způsob"],
                                   ["1", "2500", "1:2880", "graficky"],
                                   ["2", "1234,5", "2000", "číselně"]])
    write_alike(folder, "units", [["Parcela", "Výměra [ha]", "Výměra"], ["1", "0,25", "2500"]])
    # Total rows: by their word (a note that says it later is no total), and a workbook's by the
    # sum formula in the area.
    write_alike(folder, "totals", [["Parcela", "Výměra", "Poznámka"], ["1", "2500", "a"],
                                   ["2", "900", "celkem za obě"],
                                   ["Celkem:", ("=SUBTOTAL(9,B2:B3)", "3400", "of:=SUBTOTAL(9;[.B2:.B3])"), ""],
                                   ["  úhrn za obec", "", ""]])
    write_alike(folder, "sums", [["Parcela", "Výměra"], ["1", "2500"], ["2", "900"],
                                 ["", ("=SUM(B2:B3)", "3400", "of:=SUM([.B2:.B3])")]], texts=False)


def make_cover(folder):
    """A cover sheet first, the parcels on the second sheet "Data" (in "cover-titled" below a
    title row)."""
    write_cover(folder, "cover", [])
    write_cover(folder, "cover-titled", [["Geometrický plán č. 123/2024"]])


def write_cover(folder, name, titles):
    import openpyxl
    from odf.opendocument import OpenDocumentSpreadsheet
    from odf.table import Table, TableRow, TableCell
    from odf.text import P

    sheets = [("Úvod", [["Seznam parcel"], ["Zpracoval: geodet"]]),
              ("Data", titles + [["Parcela", "Výměra"], ["1", 2500], ["2", 120]])]
    wb = openpyxl.Workbook()
    wb.remove(wb.active)
    for title, rows in sheets:
        ws = wb.create_sheet(title)
        for row in rows:
            ws.append(row)
    wb.save(folder / f"{name}.xlsx")
    doc = OpenDocumentSpreadsheet()
    for title, rows in sheets:
        table = Table(name=title)
        for row in rows:
            r = TableRow()
            for value in row:
                if isinstance(value, int):
                    c = TableCell(valuetype="float", value=value)
                else:
                    c = TableCell(valuetype="string")
                c.addElement(P(text=str(value)))
                r.addElement(c)
            table.addElement(r)
        doc.spreadsheet.addElement(table)
    doc.save(str(folder / f"{name}.ods"))


def inspect(path):
    """Where a sheet's results stand and what covers them, as JSON."""
    import openpyxl

    ws = openpyxl.load_workbook(path).active
    header = [c.value for c in ws[1]]
    first = header.index("Mezní odchylka") + 1
    columns = [openpyxl.utils.get_column_letter(first + i) for i in range(5)]
    dims = ws.column_dimensions
    print(json.dumps({
        "first": columns[0],
        "hidden": [c for c in columns if dims[c].hidden],
        "widths": [dims[c].width for c in columns],
        "validations": [str(v.sqref) for v in ws.data_validations.dataValidation],
        "formats": [str(r.sqref) for r in ws.conditional_formatting],
    }))


def changed(before, after):
    with zipfile.ZipFile(before) as a, zipfile.ZipFile(after) as b:
        if a.namelist() != b.namelist():
            print("(the entries themselves)")
        for name in a.namelist():
            if name in b.namelist() and a.read(name) != b.read(name):
                print(name)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "make":
        folder = pathlib.Path(sys.argv[2])
        folder.mkdir(parents=True, exist_ok=True)
        make_openpyxl(folder)
        make_handmade(folder)
        make_odfpy(folder)
        make_large(folder)
        make_straddle(folder)
        make_long(folder)
        make_placement(folder)
        make_alike(folder)
        make_cover(folder)
    elif command == "inspect":
        inspect(sys.argv[2])
    elif command == "read":
        read(sys.argv[2], sys.argv[3])
    elif command == "changed":
        changed(sys.argv[2], sys.argv[3])
