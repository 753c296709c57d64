#!/usr/bin/env bash
# Makes the Excel 97-2003 workbooks in tests/fixtures/sheets/ with LibreOffice, so the tests read
# files a spreadsheet program wrote. Run again only to change them; the tests use the committed ones.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
ensure_packages libreoffice-calc-nogui
OUT="$ROOT/tests/fixtures/sheets"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT"
# A profile of our own: another LibreOffice running meanwhile must not be disturbed.
office() { timeout 120 soffice -env:UserInstallation="file://$WORK/profile" --headless "$@" >/dev/null 2>&1; }

# The demo table, read with the Romanian regional settings so its dates become dates.
cp "$ROOT/examples/elevi.csv" "$WORK/"
office --infilter="CSV:59,34,76,1,,1048" --convert-to xls --outdir "$WORK" "$WORK/elevi.csv"

# Every kind of value a CSV import makes, formulas evaluated.
cat > "$WORK/tipuri.csv" <<'EOF'
Text;Intreg;Zecimal;Suma;Data;DataOra;Ora;Gol
Ștefan Țăran;42;3,75;=0.1+0.2;14.03.2010;14.03.2010 08:30:15;08:30:15;
înșirat, âșa;-7;-0,5;=1/3;29.02.2000;01.01.1999 00:00:00;23:59:59;x
;1000000;1234567,891;=2^53+1;01.03.1900;;00:00:00;
EOF
office --infilter="CSV:59,34,76,1,,1048,false,true,false,false,false,-1,true" --convert-to xls --outdir "$WORK" "$WORK/tipuri.csv"

# Three sheets: formulas of every result, number formats, a header with empty and repeated names,
# formatting past the values, a sheet with nothing in it.
# A text too long for one record of the shared strings.
LONG="$(printf 'ă%.0s' $(seq 5000))"
cat > "$WORK/foi.fods" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:date-style style:name="N1"><number:day number:style="long"/><number:text>.</number:text><number:month number:style="long"/><number:text>.</number:text><number:year number:style="long"/></number:date-style>
  <number:time-style style:name="N2"><number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/><number:text>:</number:text><number:seconds number:style="long"/></number:time-style>
  <number:date-style style:name="N3"><number:day number:style="long"/><number:text>.</number:text><number:month number:style="long"/><number:text>.</number:text><number:year number:style="long"/><number:text> </number:text><number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/></number:date-style>
  <number:percentage-style style:name="N4"><number:number number:decimal-places="0" number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
  <style:style style:name="ce1" style:family="table-cell" style:data-style-name="N1"/>
  <style:style style:name="ce2" style:family="table-cell" style:data-style-name="N2"/>
  <style:style style:name="ce3" style:family="table-cell" style:data-style-name="N3"/>
  <style:style style:name="ce4" style:family="table-cell" style:data-style-name="N4"/>
  <style:style style:name="ce5" style:family="table-cell"><style:table-cell-properties fo:background-color="#ffff00"/></style:style>
 </office:automatic-styles>
 <office:body>
  <office:spreadsheet>
   <table:table table:name="Clasa a V-a">
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>Nume</text:p></table:table-cell>
     <table:table-cell/>
     <table:table-cell office:value-type="string"><text:p>Nota</text:p></table:table-cell>
     <table:table-cell office:value-type="string"><text:p>nota</text:p></table:table-cell>
     <table:table-cell office:value-type="string"><text:p> Data </text:p></table:table-cell>
     <table:table-cell office:value-type="string"><text:p>Calcul</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>Ștefan Țăran</text:p></table:table-cell>
     <table:table-cell office:value-type="float" office:value="10"/>
     <table:table-cell office:value-type="float" office:value="9.5"/>
     <table:table-cell table:style-name="ce4" office:value-type="percentage" office:value="0.05"/>
     <table:table-cell table:style-name="ce1" office:value-type="date" office:date-value="2010-03-14"/>
     <table:table-cell table:formula="of:=0.1+0.2"/>
    </table:table-row>
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>Îngrid Ânghel</text:p></table:table-cell>
     <table:table-cell/>
     <table:table-cell office:value-type="float" office:value="-1234567.891"/>
     <table:table-cell office:value-type="float" office:value="5100314121012"/>
     <table:table-cell table:style-name="ce3" office:value-type="date" office:date-value="1999-12-31T23:59:00"/>
     <table:table-cell table:formula="of:=&quot;Ion &quot;&amp;&quot;Pop&quot;"/>
    </table:table-row>
    <table:table-row>
     <table:table-cell/>
     <table:table-cell office:value-type="float" office:value="0.000001234"/>
     <table:table-cell office:value-type="float" office:value="1E+20"/>
     <table:table-cell table:style-name="ce2" office:value-type="time" office:time-value="PT08H30M15S"/>
     <table:table-cell table:style-name="ce1" table:formula="of:=DATE(2024;2;29)"/>
     <table:table-cell table:formula="of:=1/0"/>
    </table:table-row>
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>x</text:p></table:table-cell>
     <table:table-cell table:formula="of:=1&gt;0"/>
     <table:table-cell table:formula="of:=&quot;&quot;"/>
     <table:table-cell table:formula="of:=1/3"/>
     <table:table-cell table:style-name="ce3" table:formula="of:=DATE(2024;2;29)+0.5"/>
     <table:table-cell table:formula="of:=REPT(&quot;ș&quot;;5000)"/>
    </table:table-row>
    <table:table-row table:number-rows-repeated="3"><table:table-cell table:number-columns-repeated="6"/></table:table-row>
    <table:table-row><table:table-cell table:number-columns-repeated="7"/><table:table-cell table:style-name="ce5"/></table:table-row>
   </table:table>
   <table:table table:name="Profesori și săli">
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>Profesor</text:p></table:table-cell>
     <table:table-cell office:value-type="string"><text:p>Sala</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>Doamna Ionescu</text:p></table:table-cell>
     <table:table-cell office:value-type="float" office:value="12"/>
    </table:table-row>
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>$LONG</text:p></table:table-cell>
    </table:table-row>
   </table:table>
   <table:table table:name="Goala">
    <table:table-row><table:table-cell/></table:table-row>
   </table:table>
  </office:spreadsheet>
 </office:body>
</office:document>
EOF
office --convert-to xls --outdir "$WORK" "$WORK/foi.fods"

# The demo table saved with a password (its content encrypted), through a macro in our profile.
cat > "$WORK/profile/user/basic/Standard/Module1.xba" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE script:module PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "module.dtd">
<script:module xmlns:script="http://openoffice.org/2000/script" script:name="Module1" script:language="StarBasic">
Sub SaveWithPassword(source As String, target As String)
    Dim load(0) As New com.sun.star.beans.PropertyValue
    load(0).Name = &quot;Hidden&quot;
    load(0).Value = True
    doc = StarDesktop.loadComponentFromURL(ConvertToURL(source), &quot;_blank&quot;, 0, load())
    Dim store(1) As New com.sun.star.beans.PropertyValue
    store(0).Name = &quot;FilterName&quot;
    store(0).Value = &quot;MS Excel 97&quot;
    store(1).Name = &quot;Password&quot;
    store(1).Value = &quot;secret&quot;
    doc.storeToURL(ConvertToURL(target), store())
    doc.close(True)
End Sub
</script:module>
EOF
office "macro:///Standard.Module1.SaveWithPassword(\"$WORK/elevi.xls\",\"$WORK/parola.xls\")"

cp "$WORK/elevi.xls" "$WORK/tipuri.xls" "$WORK/foi.xls" "$WORK/parola.xls" "$OUT/"
ls -l "$OUT"/*.xls
