#!/usr/bin/env bash
# Remakes the text tables under tests/fixtures/csv from examples/elevi.csv, as other programs
# write them: a spreadsheet's "Unicode text" (LibreOffice Calc: UTF-16 little endian with a byte
# order mark, tabs) and the same in big endian (iconv).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
ensure_packages libreoffice-calc-nogui
OUT="$ROOT/tests/fixtures/csv"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT"
cp "$ROOT/examples/elevi.csv" "$WORK/elevi.csv"
# Read as semicolons (59), quotes (34), UTF-8 (76), from line 1; written as tabs (9), quotes,
# UTF-16 (65535, which Calc writes little endian with a mark).
soffice -env:UserInstallation="file://$WORK/profile" --headless --infilter="CSV:59,34,76,1" \
    --convert-to 'txt:Text - txt - csv (StarCalc):9,34,65535' --outdir "$WORK/out" "$WORK/elevi.csv" >/dev/null
cp "$WORK/out/elevi.txt" "$OUT/elevi-unicode.txt"
{ printf '\xfe\xff'; iconv -f UTF-16 -t UTF-16BE "$OUT/elevi-unicode.txt"; } >"$OUT/elevi-utf16be.txt"
head -c 2 "$OUT/elevi-unicode.txt" | od -An -tx1 | grep -q 'ff fe' || { echo "elevi-unicode.txt is not UTF-16 LE" >&2; exit 1; }
