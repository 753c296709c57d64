#!/usr/bin/env bash
# check_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source_dir="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb="$(ls "$work"/out/formulix_*.deb)"
contents="$(dpkg-deb -c "$deb")"
for path in ./usr/bin/formulix \
            ./usr/lib/formulix/formulix_pdf.so \
            ./usr/lib/formulix/formulix_printsupport.so \
            ./usr/share/applications/ro.formulix.Formulix.desktop \
            ./usr/share/metainfo/ro.formulix.Formulix.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/ro.formulix.Formulix.svg \
            ./usr/share/icons/hicolor/48x48/apps/ro.formulix.Formulix.png \
            ./usr/share/icons/hicolor/256x256/apps/ro.formulix.Formulix.png \
            ./usr/share/formulix/examples/certificat.tip \
            ./usr/share/formulix/examples/elevi.mdb \
            ./usr/share/formulix/examples/elevi.csv; do
    grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"
done
depends="$(dpkg-deb -f "$deb" Depends)"
for needed in libqt6widgets6 libqt6printsupport6 libmdb3 libjpeg62-turbo libexif12 libtiff6 libfreexl1 libpoppler-qt6-3 libcups2 libzip4 qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || fail "the package does not depend on $needed: $depends"
done

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/ro.formulix.Formulix.desktop" || fail "desktop entry"
grep -q '^Categories=Office;' "$work/root/usr/share/applications/ro.formulix.Formulix.desktop" || fail "not in Office"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/ro.formulix.Formulix.metainfo.xml" || fail "metainfo"

# The packaged program, on the packaged examples, with no display.
examples="$work/root/usr/share/formulix/examples"
out="$(env -u DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/bin/formulix" --pdf "$work/clasa.pdf" --records 1-3 \
       "$examples/certificat.tip")" || fail "the packaged program: $out"
grep -q "3 pagini" <<<"$out" || fail "the packaged program said: $out"
# Its modules, opened from where the package put them: that PDF as a template, on the default
# printer's paper.
out="$(env -u DISPLAY -u QT_QPA_PLATFORM LD_DEBUG=files LD_DEBUG_OUTPUT="$work/loaded" "$work/root/usr/bin/formulix" \
       --pdf "$work/proof.pdf" --records 1 --template "$work/clasa.pdf" "$examples/certificat.tip" 2>&1)" \
    || fail "a PDF template in the packaged program: $out"
grep -q "1 pagina" <<<"$out" || fail "the packaged program, on a PDF template, said: $out"
grep -q "calling init: $work/root/usr/bin/../lib/formulix/formulix_pdf.so" "$work"/loaded.* \
    || fail "the packaged program did not open the packaged PDF module"
grep -q "calling init: $work/root/usr/bin/../lib/formulix/formulix_printsupport.so" "$work"/loaded.* \
    || fail "the packaged program did not open the packaged print module"
# Without its module, a PDF template is refused with a message, not a crash.
rm "$work/root/usr/lib/formulix/formulix_pdf.so"
if out="$(env -u DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/bin/formulix" --pdf "$work/none.pdf" --records 1 \
          --template "$work/clasa.pdf" "$examples/certificat.tip" 2>&1)"; then
    fail "a PDF template without the module was taken: $out"
fi
grep -q "modulul PDF al programului lipseste" <<<"$out" || fail "without the module the program said: $out"
echo "package $(basename "$deb"): contents, metadata and program are as they should be"
