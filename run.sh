#!/usr/bin/env bash
# Sets up what is missing, builds the editor (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B build/release "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTONECREST_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --parallel "$(nproc)"

editor=$(find build/release -type f -name Tonecrest -perm -u+x 2>/dev/null | head -n 1)
if [[ -z "$editor" ]]; then
    echo "The editor application is not built yet: the device-side library was built."
    exit 0
fi
exec "$editor" "$@"
