#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/) with clang into a folder of
# their own and runs each for a bounded time from a copy of its seed corpus
# in tests/fuzz/corpus/. Any crash, leak, sanitizer report or broken
# property fails; the input that did it is kept in BUILD_DIR/fuzz-artifacts/.
# Usage: tools/fuzz.sh [SECONDS [BUILD_DIR]]
#   SECONDS per target, else $KRUMLIX_FUZZ_SECONDS, else 30;
#   BUILD_DIR defaults to build-fuzz/.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-${KRUMLIX_FUZZ_SECONDS:-30}}
build=${2:-$top/build-fuzz}
"$top/tools/install-deps.sh" tests

# The release's own clang (clang 14 on Debian 12, 19 on Debian 13).
cxx=$(command -v clang++) || { echo "fuzz: no clang++ (package clang) installed" >&2; exit 1; }
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$cxx" -DKRUMLIX_FUZZ=ON -DBUILD_TESTING=ON -DKRUMLIX_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target krumlix_fuzzers

export QT_QPA_PLATFORM=offscreen
# A leak is matched to its suppression by its whole stack, which only the
# slow unwinder follows through libraries built without frame pointers.
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:fast_unwind_on_malloc=0
export LSAN_OPTIONS=suppressions=$top/tests/faults/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
symbolizer=$(command -v llvm-symbolizer || true)
[ -n "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
failed=()
for corpus in settings highscores scheme jpeg wave; do
    target=fuzz_$corpus
    cp -r "$top/tests/fuzz/corpus/$corpus" "$work/$corpus"
    # The files the game ships are seeds too, as they stand today.
    case $corpus in
    settings) cp "$top/settings/default/setup.ini" "$work/$corpus/shipped.ini" ;;
    highscores) cp "$top/highscore/default/tarvil.hig" "$work/$corpus/shipped.hig" ;;
    scheme) cp "$top/sound/default/default.snd" "$work/$corpus/shipped.snd" ;;
    esac
    echo "== $target for ${seconds}s from $(ls "$work/$corpus" | wc -l) seeds"
    if "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
        -artifact_prefix="$artifacts/$target-" -print_final_stats=1 \
        "$work/$corpus" >"$work/$target.log" 2>&1; then
        grep -E '^(#[0-9]+.*DONE|Done [0-9]+ runs|stat::number_of_executed_units|stat::new_units_added)' \
            "$work/$target.log" || true
    else
        tail -n 60 "$work/$target.log"
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: FAILED: ${failed[*]} (inputs in $artifacts)"
    exit 1
fi
echo "fuzz: all targets ran ${seconds}s without a finding"
