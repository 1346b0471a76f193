#!/usr/bin/env bash
# Redraws the README's pictures of every window into docs/ from the real
# window classes.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KINFOLIO_BUILD_DIR:-$root/build}
"$root/tools/setup"
cmake --build "$build" --target kinfolio-screenshots -j2
QT_QPA_PLATFORM=offscreen "$build/tools/screenshots/kinfolio-screenshots" "$root/docs"
