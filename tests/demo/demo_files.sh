#!/usr/bin/env bash
# The demo over a table of generated files. A file it can read must come through the scripted
# session with every step taking effect; a bad one must give its message and a failing status.
# usage: demo_files.sh EMULATOR... norv_demo.exe   (run in a scratch folder)
set -u
dir=demo_files
mkdir -p "$dir"
# gen NAME AWK-BODY: records from awk, with a fixed seed
gen() { awk "BEGIN { srand(7); $2 }" >"$dir/$1"; }
pick() { echo "substr(\"$1\", 1 + int(rand() * $2) * $3, $3)"; }

# The first column numeric: the sort must go by it, largest first.
gen numeric_first.csv 'print "Id,Kind,Colour,Label";
  for (i = 0; i < 300; i++) print int(rand() * 100000) "," '"$(pick abcd 4 1)"' "," \
    '"$(pick "redgrnblu" 3 3)"' ",item " i'
# The only number column beyond the window's right edge, and a column almost empty.
gen far_number.csv 'h = ""; for (k = 0; k < 10; k++) h = h "Description " k ",";
  print h "Notes,Group,Kind,Amount";
  for (i = 0; i < 200; i++) { r = ""; for (k = 0; k < 10; k++) r = r "a long descriptive text " i "-" k ",";
    print r (i == 5 ? "odd one" : "") "," '"$(pick NSEW 4 1)"' "," '"$(pick xyz 3 1)"' "," int(rand() * 5000) }'
# Dates with times, blanks in a grouped column, negative decimals.
gen "weather data.csv" 'print "Date/Time,Station,Temp (C),Weather"; split("|Rain|Snow|Fog", w, "|");
  for (i = 0; i < 500; i++) printf "2010-11-%02d %02d:00,%s,%.1f,%s\n", 1 + i % 28, i % 24, \
    '"$(pick "OTTTORMTLVAN" 4 3)"', rand() * 40 - 20, w[1 + int(rand() * 4)]'
# UTF-16 with a byte-order mark, names in other scripts, a record short of a field.
printf 'Country,Native name,Continent,Population\nRussia,Россия,Europe,144\nGreece,Ελλάδα,Europe,10.4\nEgypt,مصر,Africa,109\nIsrael,ישראל,Asia,9.5\nChina,中国,Asia,1412\nKenya,Kenya,Africa\n' |
  iconv -f UTF-8 -t UTF-16BE | { printf '\xFE\xFF'; cat; } >"$dir/countries.csv"
# Bad files.
head -c 4000 /dev/urandom | tr -d '\n\r' | tr '\000-\011' '\000' >"$dir/binary.csv"
printf 'Name,City\nJos\xe9,M\xe1laga\n' >"$dir/latin1.csv"
: >"$dir/empty.csv"

status=0
expect() { # FILE WANTED-STATUS(0 or fail) PATTERN...
  local out code pattern
  out=$("${demo[@]}" --snapshot "$dir/shot.png" "$dir/$1" 2>&1)
  code=$?
  if { [ "$2" = 0 ] && [ $code -ne 0 ]; } || { [ "$2" = fail ] && [ $code -eq 0 ]; } ||
     grep -q "no effect" <<<"$out"; then
    echo "FAILED $1 (exit $code, wanted $2):"; echo "$out"; status=1; return
  fi
  for pattern in "${@:3}"; do
    if grep -Eq "$pattern" <<<"$out"; then echo "ok     $1: $(grep -Eo "$pattern" <<<"$out" | head -1)"
    else echo "FAILED $1: no /$pattern/ in:"; echo "$out"; status=1; fi
  done
}
demo=("$@")
every='^([0-9]+) of \1 steps took effect'
expect numeric_first.csv 0 "$every" "plan: group by Colour, then Kind; sort by Id"
expect far_number.csv 0 "$every" "plan: group by Kind, then Group; sort by Amount"
expect "weather data.csv" 0 "$every" "plan: group by Weather, then Station; sort by Temp"
expect countries.csv 0 "$every" "1 record has fewer fields than the header"
expect binary.csv fail "norv_demo: .*binary.csv: not a text file"
expect latin1.csv fail "norv_demo: .*latin1.csv: not a text file"
expect empty.csv fail "norv_demo: .*empty.csv: the file holds no records"
exit $status
