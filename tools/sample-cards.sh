#!/usr/bin/env bash
# Writes sample cards of invented families to $1, in the card file's own bytes:
# seventeen quoted items per card, each ending in CR LF, in Windows-1252. $2
# names the set: "start" (the default), the four cards a new card folder
# starts with, or "tree", the seven cards linked over four generations that
# the README's printed pages are made from. The family is kept, for these
# scripts and for the tests alike, in tests/support/sample-family.txt.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$1
set=${2:-start}
awk -F'|' -v set="$set" '
  /^#/ || NF == 0 { next }
  NF != 18 { print "sample-cards.sh: line " NR " has " NF - 1 " fields, not 17" > "/dev/stderr"; exit 1 }
  index(" " $1 " ", " " set " ") {
    for (i = 2; i <= NF; i++) {
      field = $i
      gsub(/\\n/, "\r\n", field)
      printf "\"%s\"\r\n", field
    }
  }
' "$root/tests/support/sample-family.txt" | iconv -f UTF-8 -t WINDOWS-1252 >"$out.tmp"
mv "$out.tmp" "$out"
