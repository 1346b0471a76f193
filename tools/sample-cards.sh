#!/usr/bin/env bash
# Writes a small card file of four invented families to $1, in the card file's
# own bytes: seventeen quoted items per card, each ending in CR LF.
set -euo pipefail
out=$1
: >"$out"
card() {
  for field in "$@"; do printf '"%s"\r\n' "$field" >>"$out"; done
}
card "Jonas Ashworth" "3 MAR 1821" "Leeds, Yorkshire" "14 JUN 1846" "Bradford" "9 NOV 1890" "Leeds" \
     "William Ashworth" "Mary Holt" "Ellen Pryce" "22 JAN 1825" "Wrexham" "2 FEB 1899" "Leeds" \
     "Owen Pryce" "Ann Lloyd" $'Weaver at the Bank Mills.\r\nSeven children, five survived.'
card "Thomas Ashworth" "8 AUG 1850" "Leeds, Yorkshire" "1 MAY 1875" "Halifax" "30 DEC 1921" "Halifax" \
     "Jonas Ashworth" "Ellen Pryce" "Sarah Whitfield" "12 APR 1853" "Halifax" "" "" \
     "John Whitfield" "Martha Crabtree" "Emigration papers searched, none found."
card "Henrik Dahlberg" "ABT 1848" "Växjö, Sweden" "20 OCT 1872" "Minneapolis" "4 JUL 1915" "Minneapolis" \
     "Anders Dahlberg" "Brita Nilsdotter" "Karin Lindqvist" "1851" "Kalmar" "1930" "St. Paul" \
     "Per Lindqvist" "Ingrid Olsdotter" ""
card "Samuel Whitcombe" "" "Bristol" "" "" "" "" \
     "" "" "Hannah Cole" "" "" "" "" "" "" "Parents unknown; check the parish registers."
# The card file is Windows-1252, the sample text is UTF-8 above.
iconv -f UTF-8 -t WINDOWS-1252 "$out" >"$out.tmp" && mv "$out.tmp" "$out"
