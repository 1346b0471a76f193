#!/usr/bin/env bash
# Writes a small card file of seven invented cards that link into four
# generations to $1, in the card file's own bytes (seventeen quoted items per
# card, each ending in CR LF): the printed sheets and charts of the README are
# made from it.
set -euo pipefail
out=$1
: >"$out"
card() {
  for field in "$@"; do printf '"%s"\r\n' "$field" >>"$out"; done
}
card "Jonas Ashworth" "3 MAR 1821" "Leeds, Yorkshire" "14 JUN 1846" "Bradford" "9 NOV 1890" "Leeds" \
     "William Ashworth" "Mary Holt" "Ellen Pryce" "22 JAN 1825" "Wrexham" "2 FEB 1899" "Leeds" \
     "Owen Pryce" "Ann Lloyd" $'Weaver at the Bank Mills.\r\nSeven children, five survived; the two eldest sons are buried at St. Peter’s, Leeds.'
card "John Whitfield" "ABT 1824" "Halifax" "1849" "Halifax" "1880" "Halifax" \
     "" "" "Martha Crabtree" "1827" "Heptonstall" "1901" "Halifax" "" "" ""
card "Thomas Ashworth" "8 AUG 1850" "Leeds, Yorkshire" "1 MAY 1875" "Halifax" "30 DEC 1921" "Halifax" \
     "Jonas Ashworth" "Ellen Pryce" "Sarah Whitfield" "12 APR 1853" "Halifax" "1934" "Bradford" \
     "John Whitfield" "Martha Crabtree" "Emigration papers searched, none found."
card "Henrik Dahlberg" "ABT 1848" "Växjö, Sweden" "20 OCT 1872" "Minneapolis" "4 JUL 1915" "Minneapolis" \
     "Anders Dahlberg" "Brita Nilsdotter" "Karin Lindqvist" "1851" "Kalmar" "1930" "St. Paul" \
     "Per Lindqvist" "Ingrid Olsdotter" ""
card "George Lister" "1847" "Otley" "2 FEB 1870" "Leeds" "" "" \
     "Robert Lister" "" "Margaret Ashworth" "15 SEP 1848" "Leeds" "" "" "Jonas Ashworth" "Ellen Pryce" ""
card "Edward Ashworth" "about 1878" "Halifax" "June 1902" "Göteborg" "1917" "in the war" \
     "Thomas Ashworth" "Sarah Whitfield" "Elsa Dahlberg" "3 MAR 1880" "Minneapolis" "1958" "Leeds" \
     "Henrik Dahlberg" "Karin Lindqvist" $'Met in Göteborg, where Elsa visited her aunt in the Königstraße; called ”Elsie” at home.\r\nShe inherited a ½ share of the Kalmar farm.\r\nThe family Bible was valued at €300 in 2004.'
card "Arthur Ashworth" "11 NOV 1905" "Leeds" "8 AUG 1931" "Leeds" "1989" "Harrogate" \
     "Edward Ashworth" "Elsa Dahlberg" "Doris Kemp" "1908" "York" "1995" "Harrogate" \
     "Walter Kemp" "Ivy Barnes" ""
# The card file is Windows-1252, the sample text is UTF-8 above.
iconv -f UTF-8 -t WINDOWS-1252 "$out" >"$out.tmp" && mv "$out.tmp" "$out"
