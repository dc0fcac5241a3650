#!/usr/bin/env bash
# Builds the fuzz targets on the host (clang, libFuzzer, AddressSanitizer, UBSan) and runs
# each one after its committed seeds and regression inputs:
#   tools/fuzz.sh [SECONDS] [TARGET...]       each target for SECONDS (default 5); 0 runs
#                                             only the committed inputs
#   FUZZ_RUNS=N tools/fuzz.sh [SECONDS] ...   each target for N executions (or SECONDS,
#                                             whichever ends first; 0 for no time limit)
# FUZZ_BUILD names the build folder (default build-fuzz), so a long run can go on apart.
# Exits non-zero when a target crashes, leaks, trips a sanitizer or fails one of its
# checks; the input that did it is kept in the build folder, under crashes/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift $(($# > 0 ? 1 : 0))
build=${FUZZ_BUILD:-build-fuzz}

cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" >"$build/build.log" 2>&1 || { cat "$build/build.log"; echo "fuzz: build FAILED"; exit 1; }

targets=("$@")
((${#targets[@]})) || mapfile -t targets <"$build/targets.txt"
limit=()
[ -n "${FUZZ_RUNS:-}" ] && limit+=(-runs="$FUZZ_RUNS")
((seconds > 0)) && limit+=(-max_total_time="$seconds")
((${#limit[@]})) || limit=(-runs=0)
# A few hundred bytes hold several page rows, settings lines, escapes or rich-text groups,
# which is all the units look at together: longer inputs find nothing new, only slow each run.
limit+=(-max_len=256)
# One input running this long is a hang: the run fails instead of waiting for it.
limit+=(-timeout=10)

passed=0
failed=0
for target in "${targets[@]}"; do
    # New inputs a run finds go to a scratch folder: the committed corpus stays small.
    scratch=$(mktemp -d)
    inputs=("$scratch" "tests/fuzz/corpus/$target")
    [ -d "tests/fuzz/regressions/$target" ] && inputs+=("tests/fuzz/regressions/$target")
    crashes="$build/crashes/$target"
    log="$build/$target.log"
    mkdir -p "$crashes"
    if "$build/fuzz_$target" "${limit[@]}" -artifact_prefix="$crashes/" "${inputs[@]}" >"$log" 2>&1; then
        echo "fuzz: $target clean, $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" | tail -n 1)"
        passed=$((passed + 1))
    else
        tail -n 40 "$log"
        echo "fuzz: $target FAILED: the input is in $crashes/, the whole log in $log"
        failed=$((failed + 1))
    fi
    rm -rf "$scratch"
done
echo "fuzz: $passed passed, $failed failed"
((failed == 0))
