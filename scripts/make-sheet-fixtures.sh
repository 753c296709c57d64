#!/usr/bin/env bash
# Regenerates the workbooks in tests/fixtures/sheets/, each written by a program other than
# Formulix: LibreOffice converts CSV tables (examples/elevi.csv and tipuri.csv beside the
# fixtures) to .xlsx and .ods with typed cells and saves a password-protected .ods; openpyxl
# writes registru.xlsx and mac1904.xlsx, and LibreOffice saves registru.xlsx as registru.ods.
# parola.xlsx is the container a password-protected workbook is kept in, written by the Python
# below (LibreOffice cannot save one from the command line). The tests expect what these files
# hold: after regenerating, run tst_sheets.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
ensure_packages libreoffice-calc-nogui python3-openpyxl
OUT="$ROOT/tests/fixtures/sheets"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
# A LibreOffice profile of its own, so a running LibreOffice or the user's settings change nothing.
export HOME="$WORK/home"

# CSV:<separator ;>,<quote ">,<UTF-8>,<first line>,<column types: 1 standard, 2 text, 4 day-month-year>
csv_to() {
    local csv="$1" types="$2" format="$3"
    timeout 120 soffice --headless --infilter="CSV:59,34,76,1,$types" --convert-to "$format" --outdir "$WORK" "$csv" >/dev/null
}
cp "$ROOT/examples/elevi.csv" "$WORK/elevi.csv"
cp "$OUT/tipuri.csv" "$WORK/tipuri.csv"
for format in xlsx ods; do
    csv_to "$WORK/elevi.csv" 1/1/2/1/3/4/4/1 "$format"
    csv_to "$WORK/tipuri.csv" 1/1/2/2/3/1/4/1/5/1/6/1/7/1/8/1/9/1/10/1/11/1 "$format"
    cp "$WORK/elevi.$format" "$WORK/tipuri.$format" "$OUT/"
done

# A password is set only through the API: a Basic macro in the profile made above.
cat >"$HOME/.config/libreoffice/4/user/basic/Standard/Module1.xba" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE script:module PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "module.dtd">
<script:module xmlns:script="http://openoffice.org/2000/script" script:name="Module1" script:language="StarBasic">
Sub SaveWithPassword(source As String, target As String)
    Dim load(0) As New com.sun.star.beans.PropertyValue
    load(0).Name = "Hidden" : load(0).Value = True
    doc = StarDesktop.loadComponentFromURL(ConvertToURL(source), "_blank", 0, load())
    Dim save(1) As New com.sun.star.beans.PropertyValue
    save(0).Name = "FilterName" : save(0).Value = "calc8"
    save(1).Name = "Password" : save(1).Value = "parola"
    doc.storeToURL(ConvertToURL(target), save())
    doc.close(True)
End Sub
</script:module>
EOF
timeout 120 soffice --headless "macro:///Standard.Module1.SaveWithPassword(\"$OUT/tipuri.ods\",\"$OUT/parola.ods\")" >/dev/null


/usr/bin/python3 - "$OUT" <<'EOF'
import datetime, struct, sys, zipfile
import openpyxl
from openpyxl.styles import Font
from openpyxl.utils.datetime import CALENDAR_MAC_1904

out = sys.argv[1]

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Elevi"
ws.append(["Nume", "Nota", "Data", "Ora", "Moment", "Suma", "Mare", "Admis", "Procent", None, " nume "])
ws.append(["Ștefan Țăranu", 0.1 + 0.2, datetime.date(2010, 3, 14), datetime.time(10, 30, 15),
           datetime.datetime(2024, 2, 29, 23, 59, 59), 12.5, 1e20, True, 0.125, "x", "y"])
ws.append(["Îonel Brâncuși", None, None, None, None, 1234.5])
ws.append(["Celule unite"])
ws.merge_cells("A4:C4")
ws.append([])
ws.append(["bogat", 10, datetime.date(1900, 3, 1), datetime.time(0, 0, 1), None, -0.004, 123456789012345678, False, 1])
ws["A8"].font = Font(bold=True)  # a formatted empty cell after the last record
for row in range(2, 7):
    ws.cell(row, 3).number_format = "dd/mm/yyyy"
    ws.cell(row, 6).number_format = "#,##0.00"
    ws.cell(row, 9).number_format = "0.00%"
second = wb.create_sheet("Al doilea")
for row in [["Cod", "Denumire"], [1, "Unu"], [2, "Doi", "dincolo de coloane"]]:
    second.append(row)
hidden = wb.create_sheet("Ascunsa")
hidden.append(["Secret"])
hidden.append(["ascuns"])
hidden.sheet_state = "hidden"
wb.save(f"{out}/registru.xlsx")

# openpyxl writes every text inline: the second sheet's texts are made shared, one of them
# rich text with a phonetic guide, as Excel writes them.
path = f"{out}/registru.xlsx"
with zipfile.ZipFile(path) as z:
    parts = {name: z.read(name) for name in z.namelist()}
sheet = parts["xl/worksheets/sheet2.xml"].decode()
shared = ['<si><t>Cod</t></si>', '<si><t>Denumire</t></si>',
          '<si><r><rPr><b/></rPr><t>U</t></r><r><t xml:space="preserve">nu</t></r><rPh sb="0" eb="1"><t>x</t></rPh></si>',
          '<si><t>Doi</t></si>', '<si><t>dincolo de coloane</t></si>']
for index, text in enumerate(["Cod", "Denumire", "Unu", "Doi", "dincolo de coloane"]):
    sheet = sheet.replace(f't="inlineStr"><is><t>{text}</t></is>', f't="s"><v>{index}</v>')
parts["xl/worksheets/sheet2.xml"] = sheet.encode()
parts["xl/sharedStrings.xml"] = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="5" uniqueCount="5">'
                                 + "".join(shared) + "</sst>").encode()
parts["xl/_rels/workbook.xml.rels"] = parts["xl/_rels/workbook.xml.rels"].replace(
    b"</Relationships>", b'<Relationship Id="rIdSst" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>')
parts["[Content_Types].xml"] = parts["[Content_Types].xml"].replace(
    b"</Types>", b'<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
    for name, data in parts.items():
        z.writestr(name, data)

mac = openpyxl.Workbook()
mac.epoch = CALENDAR_MAC_1904
sheet = mac.active
sheet.title = "Mac"
sheet.append(["Data", "Moment"])
sheet.append([datetime.date(2010, 3, 14), datetime.datetime(1904, 1, 1, 12, 0)])
mac.save(f"{out}/mac1904.xlsx")

# A password-protected workbook is an OLE2 compound file holding the encrypted package: the
# container alone, its directory naming the streams, with nothing encrypted in them.
sector = 512
def entry(name, kind, child=0xFFFFFFFF, right=0xFFFFFFFF):
    encoded = (name + "\0").encode("utf-16-le")
    return (encoded.ljust(64, b"\0") + struct.pack("<HBB", len(encoded), kind, 1)
            + struct.pack("<III", 0xFFFFFFFF, right, child) + bytes(16 + 4 + 16) + struct.pack("<IQ", 0xFFFFFFFE, 0))
header = (bytes.fromhex("D0CF11E0A1B11AE1") + bytes(16) + struct.pack("<HHHH", 0x3E, 3, 0xFFFE, 9)
          + struct.pack("<H", 6) + bytes(6) + struct.pack("<IIIIIIIII", 0, 1, 1, 0, 0x1000, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0))
header += struct.pack("<I", 0) + struct.pack("<I", 0xFFFFFFFF) * 108
fat = struct.pack("<II", 0xFFFFFFFD, 0xFFFFFFFE) + struct.pack("<I", 0xFFFFFFFF) * (sector // 4 - 2)
directory = entry("Root Entry", 5, child=1) + entry("EncryptionInfo", 2, right=2) + entry("EncryptedPackage", 2) + bytes(128)
with open(f"{out}/parola.xlsx", "wb") as f:
    f.write(header + fat + directory)
EOF
# The openpyxl workbook as LibreOffice saves it in its own format: sheets, a hidden one, dates,
# formats, a merged range and yes/no carried over.
timeout 120 soffice --headless --convert-to ods --outdir "$OUT" "$OUT/registru.xlsx" >/dev/null

# The page thumbnails LibreOffice adds hold most of an .ods's bytes and nothing read here: out,
# and out of the manifest.
/usr/bin/python3 - "$OUT"/*.ods <<'PY'
import re, sys, zipfile
for path in sys.argv[1:]:
    with zipfile.ZipFile(path) as z:
        members = [(info, z.read(info)) for info in z.infolist() if not info.filename.startswith("Thumbnails/")]
    with zipfile.ZipFile(path, "w") as z:
        for info, data in members:
            if info.filename == "META-INF/manifest.xml":
                data = re.sub(rb'\s*<manifest:file-entry manifest:full-path="Thumbnails/[^>]*/>', b"", data)
            z.writestr(info, data)
PY
ls -l "$OUT"
