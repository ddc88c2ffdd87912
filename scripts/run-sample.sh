#!/usr/bin/env bash
# The main job on a fresh Debian 12 machine: installs what is missing, builds the program
# (build/linux, the native tree of scripts/test-all.sh) and scans the sample machine in
# examples/sample-machine with the default boxes and the shortcut scan, printing the results.
#
#   scripts/run-sample.sh        (from anywhere)
#   HW_JOBS=4 scripts/run-sample.sh
#
# The output is the results listing, the summary counters and the final caption; it equals
# examples/sample-machine/expected/scan-default.txt.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build/linux"
JOBS=${HW_JOBS:-2}
SAMPLE="$ROOT/examples/sample-machine"
# What configuring and building the program needs (the configure step also wants GoogleTest's
# sources, because build/linux is the tree the tests are built in too).
PACKAGES=(cmake ninja-build g++ libcli11-dev nlohmann-json3-dev googletest)

note() { printf '\n==== %s\n' "$*" >&2; }

install_missing_packages() {
    note "Packages"
    local missing=() p
    for p in "${PACKAGES[@]}"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != installed ]; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "all ${#PACKAGES[@]} packages are installed" >&2
        return 0
    fi
    echo "missing: ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update >&2
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >&2
}

build_program() {
    note "Build $BUILD (target hivewarden)"
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >&2
    cmake --build "$BUILD" -j "$JOBS" --target hivewarden >&2
}

scan_sample() {
    note "Scan of $SAMPLE"
    local env=() line
    while IFS= read -r line || [ -n "$line" ]; do
        line=${line%$'\r'}
        case $line in "" | "#"*) continue ;; esac
        env+=("--env=$line")
    done <"$SAMPLE/machine.env"
    "$BUILD/src/cli/hivewarden" scan \
        --registry "$SAMPLE/registry/HKLM.reg" --registry "$SAMPLE/registry/HKCU.reg" \
        --drive "C=$SAMPLE/drive_c" --windows-dir 'C:\Windows' "${env[@]}" \
        --program-folder "$SAMPLE/program"
}

main() {
    install_missing_packages
    build_program
    scan_sample
}

main "$@"
