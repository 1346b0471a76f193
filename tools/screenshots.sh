#!/usr/bin/env bash
# Redraws the README's pictures of every window into docs/ from the real
# window classes.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KINFOLIO_BUILD_DIR:-$root/build}
"$root/tools/setup" test
cmake --build "$build" --target kinfolio-screenshots -j2
QT_QPA_PLATFORM=offscreen "$build/tools/screenshots/kinfolio-screenshots" "$root/docs"

# The printed pages: a family group sheet and a pedigree chart made by
# kinfolio-sheets from the linked sample cards, turned into PNG by pdftoppm.
cmake --build "$build" --target kinfolio_sheets_cli -j2
pages=$(mktemp -d)
trap 'rm -rf "$pages"' EXIT
"$root/tools/sample-cards.sh" "$pages/Kinfolio.dat" tree
"$build/dist/kinfolio-sheets" "$pages/Kinfolio.dat" "$pages/sheet.pdf" --card 1
"$build/dist/kinfolio-sheets" "$pages/Kinfolio.dat" "$pages/chart.pdf" --card 7
last=$(pdfinfo "$pages/chart.pdf" | awk '/^Pages:/ {print $2}')
pdftoppm -png -r 75 -singlefile -f 1 -l 1 "$pages/sheet.pdf" "$root/docs/family-group-sheet"
pdftoppm -png -r 75 -singlefile -f "$last" -l "$last" "$pages/chart.pdf" "$root/docs/pedigree-chart"
echo "wrote $root/docs/family-group-sheet.png and $root/docs/pedigree-chart.png"
