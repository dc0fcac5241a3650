#!/usr/bin/env bash
# Mutation testing: does a test fail when a guard of the code is broken?
#   tools/mutate.sh LIST [PATH-FILTER]
# LIST has one mutant a line: path <TAB> code as it stands <TAB> code to put in its place
# <TAB> ctest -R pattern ('#' starts a comment). PATH-FILTER (a grep -E pattern) keeps the
# mutants whose path matches it. Each mutant replaces the first exact occurrence of the code,
# builds what the pattern's test programs need, runs them and puts the file back. A line a
# mutant: killed (a test failed, or the mutant did not build), survived (every test passed)
# or gone (the code is not there any more); exits 1 when any survived or is gone.
# Runs in a checkout that tools/test.sh has built once. MUTATE_BASELINE=0 skips the first
# run of each pattern's tests without a mutant (a test that fails anyway kills every mutant).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
(($# >= 1 && $# <= 2)) || { echo "usage: tools/mutate.sh LIST [PATH-FILTER]" >&2; exit 2; }
list=$1
filter=${2:-}
[ -f "$list" ] || { echo "mutate: no list $list" >&2; exit 2; }
[ -f build/build.ninja ] || { echo "mutate: build the tree first (bash tools/test.sh)" >&2; exit 2; }

# The file under mutation, kept whole until it is back: after a hard kill the next run puts
# it back first.
state=build/mutate
mkdir -p "$state/logs"
kept=$state/original
kept_path=$state/original.path

put_back() {
    [ -f "$kept_path" ] || return 0
    local path
    path=$(cat "$kept_path")
    cp "$kept" "$path"
    # Newer than the mutant's objects, so that the next build makes them again.
    touch "$path"
    rm -f "$kept_path" "$kept"
}
put_back

# Replaces the first exact occurrence; fails when the code is not there.
mutate() {
    python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, before, after = sys.argv[1:]
text = open(path, encoding="utf-8", newline="").read()
at = text.find(before)
if at < 0:
    sys.exit(1)
open(path, "w", encoding="utf-8", newline="").write(text[:at] + after + text[at + len(before):])
EOF
}

paths=() befores=() afters=() patterns=()
while IFS= read -r line || [ -n "$line" ]; do
    [[ -z "${line//[[:space:]]/}" || $line == \#* ]] && continue
    # Fields split on every tab: the code put in place may be empty.
    fields=()
    readarray -t -d $'\t' fields < <(printf '%s' "$line")
    if ((${#fields[@]} != 4)) || [ -z "${fields[0]}" ] || [ -z "${fields[1]}" ] || [ -z "${fields[3]}" ]; then
        echo "mutate: $list: a line needs four fields separated by tabs: $line" >&2
        exit 2
    fi
    path=${fields[0]} before=${fields[1]} after=${fields[2]} pattern=${fields[3]}
    [ -n "$filter" ] && ! grep -qE -- "$filter" <<<"$path" && continue
    [ -f "$path" ] || { echo "mutate: $list: no file $path" >&2; exit 2; }
    paths+=("$path") befores+=("$before") afters+=("$after") patterns+=("$pattern")
done <"$list"
((${#paths[@]})) || { echo "mutate: no mutant in $list matches '$filter'" >&2; exit 2; }

# What the tests of a pattern need built: the files of this build their commands name (a
# test program, the updater, the installer); building one builds what its target depends on
# (main.exe for an end-to-end test). A test that names none gets the whole tree.
declare -A outputs_of
outputs_for() {
    local pattern=$1
    [ -n "${outputs_of[$pattern]+x}" ] && return
    local listed
    listed=$(ctest --test-dir build --show-only=json-v1 -R "$pattern" | python3 -c '
import json, os, sys
build = os.path.abspath("build") + "/"
tests = json.load(sys.stdin)["tests"]
if not tests:
    sys.exit(1)
names = set()
for test in tests:
    files = [a for a in test.get("command", []) if a.startswith(build) and os.path.isfile(a)]
    if not files:
        print("ALL")
        sys.exit(0)
    names.update(os.path.relpath(f, build) for f in files)
print(" ".join(sorted(names)))
') || { echo "mutate: no test matches -R '$pattern'" >&2; exit 2; }
    outputs_of[$pattern]=$listed
}
for pattern in "${patterns[@]}"; do outputs_for "$pattern"; done

source tools/test-session.sh

# Builds and tests run in the background, each in a process group of its own, so that a
# signal is handled at once and ends all of it (no compiler writes a mutant's object after
# the file is back).
child=
stop_child() {
    [ -n "$child" ] || return 0
    kill -- -"$child" 2>/dev/null
    for _ in $(seq 100); do
        kill -0 -- -"$child" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL -- -"$child" 2>/dev/null
    child=
}
finish() {
    stop_child
    put_back
    end_test_session
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

run() {
    setsid "$@" &
    child=$!
    wait "$child"
    local status=$?
    child=
    return $status
}

build_for() {
    if [ "${outputs_of[$1]}" = ALL ]; then
        run cmake --build --preset mingw
    else
        # shellcheck disable=SC2086
        run cmake --build --preset mingw --target ${outputs_of[$1]}
    fi
}

# The tests' names that failed, from a ctest log.
failed_tests() {
    sed -n '/The following tests FAILED/,$p' "$1" | sed -n 's/.* - \([^ ]*\) (.*/\1/p' | paste -sd' ' -
}

hold_default_desktop

if [ "${MUTATE_BASELINE:-1}" != 0 ]; then
    declare -A checked
    for pattern in "${patterns[@]}"; do
        [ -n "${checked[$pattern]+x}" ] && continue
        checked[$pattern]=1
        log=$state/logs/baseline.log
        if ! build_for "$pattern" >"$log" 2>&1 || ! run ctest --preset mingw -R "$pattern" >>"$log" 2>&1; then
            echo "mutate: without a mutant, -R '$pattern' fails already ($(failed_tests "$log")); see $log" >&2
            exit 2
        fi
    done
fi

killed=0 survived=0 gone=0
for i in "${!paths[@]}"; do
    path=${paths[$i]} before=${befores[$i]} after=${afters[$i]} pattern=${patterns[$i]}
    what="$path: $before -> $after"
    log=$state/logs/$((i + 1)).log
    cp "$path" "$kept.new" && mv "$kept.new" "$kept"
    echo "$path" >"$kept_path.new" && mv "$kept_path.new" "$kept_path"
    if ! mutate "$path" "$before" "$after"; then
        rm -f "$kept_path" "$kept"
        echo "gone      $path: $before"
        gone=$((gone + 1))
        continue
    fi
    started=$SECONDS
    if ! build_for "$pattern" >"$log" 2>&1; then
        verdict="killed    $what (it does not build)"
    elif ! run ctest --preset mingw -R "$pattern" >>"$log" 2>&1; then
        verdict="killed    $what (by $(failed_tests "$log"))"
    else
        verdict="survived  $what (-R '$pattern'; see $log)"
    fi
    put_back
    echo "$verdict [$((SECONDS - started)) s]"
    case $verdict in killed*) killed=$((killed + 1)) ;; *) survived=$((survived + 1)) ;; esac
done

# Nothing of the last mutant stays in the tree's programs.
declare -A rebuilt
for pattern in "${patterns[@]}"; do
    [ -n "${rebuilt[$pattern]+x}" ] && continue
    rebuilt[$pattern]=1
    build_for "$pattern" >"$state/logs/rebuild.log" 2>&1 || echo "mutate: rebuilding without mutants failed; see $state/logs/rebuild.log" >&2
done

echo "mutants: ${#paths[@]}, killed $killed, survived $survived, gone $gone"
((survived == 0 && gone == 0))
