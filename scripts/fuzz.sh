#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target, default 20] [target name filter]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
filter=${2:-}
build=build/fuzz
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

CC=clang CXX=clang++ cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTONECREST_BUILD_TESTS=OFF -DTONECREST_FUZZ=ON \
    -DTONECREST_SANITIZE="address,undefined,fuzzer-no-link" >/dev/null
targets=$(cd Fuzz && ls fuzz_*.cpp 2>/dev/null | sed 's/\.cpp$//' | grep -e "$filter" || true)
[[ -n "$targets" ]] || { echo "No fuzz targets."; exit 0; }
cmake --build "$build" --parallel "$(nproc)" --target $targets

status=0
for target in $targets; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    seeds=()
    [[ -d "Fuzz/corpus/$target" ]] && seeds=("Fuzz/corpus/$target")
    echo "== fuzzing $target for ${seconds}s"
    if ! "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix="$build/$target-" -print_final_stats=0 "$corpus" "${seeds[@]}" >"$build/$target.log" 2>&1; then
        echo "FUZZ FAILURE in $target:"; tail -n 40 "$build/$target.log"; status=1
    else
        grep -E '^#[0-9]+.*DONE' "$build/$target.log" | tail -n 1 || true
    fi
done
exit $status
