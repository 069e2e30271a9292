#!/usr/bin/env bash
# Sets up what is missing, builds and runs every test: first the device-side library under
# ThreadSanitizer, then everything under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

if [[ -z "${DISPLAY:-}" ]]; then
    export DISPLAY=:97
    Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
fi

unset TONECREST_WIRE_TRACE
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/Tests/lsan-suppressions.txt:print_suppressions=0}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

echo "== Device-side library under ThreadSanitizer"
cmake -S . -B build/tsan "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTONECREST_CORE_ONLY=ON -DTONECREST_SANITIZE=thread >/dev/null
cmake --build build/tsan --parallel "$jobs"
(cd build/tsan && ctest --output-on-failure --parallel "$jobs")

echo "== Fuzz targets, a short bounded run each"
./scripts/fuzz.sh "${TONECREST_FUZZ_SECONDS:-10}"

echo "== Everything under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/test "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug \
    -DTONECREST_SANITIZE=address,undefined >/dev/null
cmake --build build/test --parallel "$jobs"
cd build/test
ctest --output-on-failure --parallel "$jobs"
