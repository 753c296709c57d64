#!/usr/bin/env bash
# check_fuzzers.sh SOURCE_DIR FUZZ_BUILD_DIR
# Configures and builds every fuzz target with clang (kept in FUZZ_BUILD_DIR, so a later run only
# builds what changed), then runs each for 200 inputs grown from its seeds.
set -euo pipefail
source_dir="$1"
build="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v clang++ >/dev/null || fail "clang++ is missing (Debian packages clang and libclang-rt-14-dev)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# -O1: the sanitizers want some optimisation, and a build that is quicker than -O2's.
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build" -DFORMULIX_FUZZ=ON -DCMAKE_BUILD_TYPE=Fuzz \
        -DCMAKE_CXX_FLAGS_FUZZ="-O1 -g" >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configure"; }
else
    # Regenerated, so a target added since the folder was made is known to make.
    cmake "$build" >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configure"; }
fi
targets=(schema_fuzz mdb_fuzz csv_fuzz xlsx_fuzz ods_fuzz xls_fuzz picture_fuzz)
cmake --build "$build" --target "${targets[@]}" -j2 >"$work/build.log" 2>&1 || { tail -40 "$work/build.log"; fail "build"; }

# Each target's seeds, copied: the fuzzer adds what it finds to its first folder.
seeds() {
    local dir="$work/$1"
    mkdir -p "$dir"
    case "$1" in
        schema_fuzz) cp "$source_dir/examples/certificat.tip" "$source_dir"/tests/fuzz/schema-{extended,json}.tip "$dir/" ;;
        mdb_fuzz) cp "$source_dir/examples/elevi.mdb" "$dir/" ;;
        csv_fuzz) cp "$source_dir/examples/elevi.csv" "$dir/" ;;
        xlsx_fuzz) cp "$source_dir"/tests/fixtures/sheets/{registru,tipuri}.xlsx "$dir/" ;;
        ods_fuzz) cp "$source_dir"/tests/fixtures/sheets/{registru,tipuri}.ods "$dir/" ;;
        xls_fuzz) cp "$source_dir/tests/fixtures/sheets/foi.xls" "$dir/" ;;
        picture_fuzz)
            cp "$source_dir/examples/certificat.jpg" "$dir/"
            # A 2 x 1 BMP of 24-bit pixels.
            printf 'BM\076\0\0\0\0\0\0\0\066\0\0\0\050\0\0\0\002\0\0\0\001\0\0\0\001\0\030\0\0\0\0\0\010\0\0\0\023\013\0\0\023\013\0\0\0\0\0\0\0\0\0\0\377\0\0\0\377\0\0\0' >"$dir/small.bmp"
            ;;
    esac
    echo "$dir"
}
for target in "${targets[@]}"; do
    corpus="$(seeds "$target")"
    # libfreexl leaks a little on some files it refuses: that is its own, not the target's.
    (cd "$work" && LSAN_OPTIONS="suppressions=$source_dir/tests/fuzz/lsan.supp" "$build/fuzz/$target" -runs=200 -max_total_time=30 -close_fd_mask=2 -artifact_prefix="$work/$target-" "$corpus") \
        >"$work/$target.log" 2>&1 || { tail -40 "$work/$target.log"; fail "$target found a fault (its log is above)"; }
    grep -E "^Done [0-9]+ runs" "$work/$target.log" || fail "$target did not run: $(tail -5 "$work/$target.log")"
done
echo "every fuzz target built and ran on its seeds"
