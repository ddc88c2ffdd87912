#!/usr/bin/env bash
# Wine-side speed comparisons of the Windows build against Wine's own registry tools, in one
# throwaway prefix: the whole-registry scan against `reg query /s` of HKLM and HKCU, and the
# text search against a `regedit /e` export of the whole registry. Builds nothing.
# Every registry call is a round trip to wineserver, so on a virtual machine the absolute times
# swing with how fast an idle CPU wakes up (here 8-9 times slower when the other CPU was idle
# than when it was busy). Compare ratios, not times across runs; without HW_BENCH_CPU even one
# run's ratio swings when the load changes between its two sides.
#
# HW_BENCH_CPU=N runs everything (server, Wine's tools, the program) on CPU N alone: each round
# trip is then a switch on one CPU instead of a wake-up of another, the times hold within a few
# per cent from run to run, and both sides of a comparison meet the same conditions.
#
# Usage: bench/wine_bench.sh [path/to/hivewarden.exe]   (default: build/win64/src/cli/hivewarden.exe)
# Environment: HW_BENCH_RUNS (default 3), HW_BENCH_TIMEOUT seconds per command (default 900),
#              HW_BENCH_TERMS the three search texts (default "notepad winemenubuilder
#              hivewarden-no-such-text"), HW_BENCH_ONLY=scan or search runs that comparison
#              alone, HW_BENCH_CPU=N pins the whole run to CPU N (see above),
#              HW_BENCH_KEEP_LOG=1 keeps the work folder's logs.
set -euo pipefail
shopt -s inherit_errexit

if [[ -n ${HW_BENCH_CPU:-} && -z ${HW_BENCH_PINNED:-} ]]; then
    command -v taskset >/dev/null || { echo "wine_bench: taskset is missing" >&2; exit 1; }
    HW_BENCH_PINNED=1 exec taskset -c "$HW_BENCH_CPU" "$0" "$@"
fi

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=${1:-$repo/build/win64/src/cli/hivewarden.exe}
[[ -f $exe ]] || { echo "wine_bench: no such program: $exe" >&2; exit 1; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
runs=${HW_BENCH_RUNS:-3}
limit=${HW_BENCH_TIMEOUT:-900}
read -r -a terms <<<"${HW_BENCH_TERMS:-notepad winemenubuilder hivewarden-no-such-text}"
only=${HW_BENCH_ONLY:-}
[[ -z $only || $only == scan || $only == search ]] ||
    { echo "wine_bench: HW_BENCH_ONLY is scan or search, not $only" >&2; exit 1; }

wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine)
for tool in wineboot wineserver timeout; do
    command -v "$tool" >/dev/null || { echo "wine_bench: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/hw-wine-bench.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY  # console programs only; regedit /e needs no window

cleanup() {
    # Only this prefix's server: -k and -w act on WINEPREFIX alone.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
    if [[ ${HW_BENCH_KEEP_LOG:-0} == 1 ]]; then
        rm -rf "$WINEPREFIX"
        echo "logs kept in $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

now_ns() { date +%s%N; }

echo "Prefix: $WINEPREFIX"
started=$(now_ns)
timeout 300 wineboot -i </dev/null >/dev/null 2>&1
timeout 120 wineserver -w </dev/null >/dev/null 2>&1  # wineboot's services settle and exit
# One persistent server for the whole run; its fds closed so that no reader waits on it.
wineserver -p </dev/null >/dev/null 2>&1
timeout 120 "$wine" cmd /c exit </dev/null >/dev/null 2>&1  # services come up now
echo "Prefix ready in $(( ($(now_ns) - started) / 1000000 )) ms"

# Runs one wine command with its output to /dev/null; prints the elapsed milliseconds.
# Standard error goes to a file: on a character device such as /dev/null the program would
# take it for a terminal and draw its progress line. A command that fails or times out ends
# the bench: its time would mean nothing.
timed() {
    local name=$1 t0 t1 rc=0
    shift
    t0=$(now_ns)
    timeout "$limit" "$@" </dev/null >/dev/null 2>"$work/$name.err" || rc=$?
    t1=$(now_ns)
    if (( rc != 0 )); then
        echo "wine_bench: $name failed with exit code $rc:" >&2
        head -20 "$work/$name.err" >&2
        exit 1
    fi
    echo $(( (t1 - t0) / 1000000 ))
}

scan() { timed scan "$wine" "$exe" scan --entire-registry --no-shortcuts; }
listings() {
    local a b
    a=$(timed reg-hklm "$wine" reg query HKLM /s)
    b=$(timed reg-hkcu "$wine" reg query HKCU /s)
    echo $(( a + b ))
}
search() { timed search "$wine" "$exe" search "${terms[@]}"; }
export_all() {
    rm -f "$WINEPREFIX/drive_c/export.reg"
    local ms
    ms=$(timed export "$wine" regedit /e 'C:\export.reg')
    [[ -s $WINEPREFIX/drive_c/export.reg ]] || { echo "wine_bench: regedit wrote no export" >&2; exit 1; }
    echo "$ms"
}

# Median and spread (max - min, also as a share of the median) of the numbers given.
stats() {
    printf '%s\n' "$@" | sort -n | awk '
        { v[NR] = $1 }
        END {
            med = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%d %d %.0f", med, v[NR] - v[1], (med > 0 ? 100 * (v[NR] - v[1]) / med : 0)
        }'
}

# Runs the two sides alternately, `runs` times, and prints each run with its own ratio, the
# medians, the ratio of the medians and the median of the runs' ratios. The two sides of one
# run meet the same machine load, so the runs' ratios swing less than the times do.
compare() {
    local title=$1 left=$2 leftName=$3 right=$4 rightName=$5 target=$6 i l r
    local -a lefts=() rights=() ratios=()
    echo
    echo "== $title"
    for (( i = 1; i <= runs; ++i )); do
        l=$($left)
        r=$($right)
        lefts+=("$l")
        rights+=("$r")
        ratios+=("$(( r > 0 ? 1000 * l / r : 0 ))")
        printf '  run %d: %-28s %7d ms   %-28s %7d ms   ratio %.2f\n' "$i" "$leftName" "$l" \
            "$rightName" "$r" "$(awk -v p="${ratios[-1]}" 'BEGIN { print p / 1000 }')"
    done
    local lm ls lp rm rs rp
    read -r lm ls lp <<<"$(stats "${lefts[@]}")"
    read -r rm rs rp <<<"$(stats "${rights[@]}")"
    printf '  median: %-27s %7d ms (spread %d ms, %d%%)\n' "$leftName" "$lm" "$ls" "$lp"
    printf '  median: %-27s %7d ms (spread %d ms, %d%%)\n' "$rightName" "$rm" "$rs" "$rp"
    local verdict=missed
    (( lm < rm )) && verdict=met
    awk -v l="$lm" -v r="$rm" -v t="$target" -v v="$verdict" \
        'BEGIN { printf "  ratio: %.2f (target: %s; %s)\n", (r > 0 ? l / r : 0), t, v }'
    local pm ps
    read -r pm ps _ <<<"$(stats "${ratios[@]}")"
    awk -v m="$pm" -v s="$ps" 'BEGIN {
        printf "  median of the runs\047 ratios: %.2f (spread %.2f)\n", m / 1000, s / 1000
    }'
}

echo "Program: $exe"
echo "Runs: $runs; search texts: ${terms[*]}; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
if [[ $only != search ]]; then
    compare "Whole-registry scan against reg query /s of HKLM and HKCU" \
        scan "hivewarden scan" listings "reg query HKLM+HKCU /s" "scan below 1.00"
fi
if [[ $only != scan ]]; then
    compare "Search against a regedit /e export of the whole registry" \
        search "hivewarden search" export_all "regedit /e" "search below 1.00"
fi
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine skews the times)"
