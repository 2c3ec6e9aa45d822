#!/usr/bin/env bash
# End-to-end checks of qxindex as a user runs it: exact outputs and exit codes.
set -u
qx="$1"
root="$2"
bars="$root/data/aapl_2013_2018.csv"
failures=0
passes=0

expect() {  # expect NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        passes=$((passes + 1))
    else
        failures=$((failures + 1))
        printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    fi
}

contains() {  # contains NAME NEEDLE HAYSTACK
    case "$3" in
        *"$2"*) passes=$((passes + 1)) ;;
        *) failures=$((failures + 1)); printf 'FAIL %s\n  missing: %s\n  in: %s\n' "$1" "$2" "$3" ;;
    esac
}

# tokens
out=$("$qx" tokens -e 'A:C>O&&(C>1);'); rc=$?
expect "tokens error 15" "error 15 at line 1, column 5" "$(printf '%s' "$out" | tail -n 1)"
expect "tokens error exit" 1 "$rc"
out=$("$qx" tokens -e 'A:-C;')
contains "tokens unary zero" "statement 1 (line 1): a:0-c" "$out"
out=$("$qx" tokens -e 'A:C*-1;')
expect "tokens merged sign" 1 "$(printf '%s\n' "$out" | grep -c '^ *6003 ')"

# check: the script byte for byte, errors with the library's own numbers
expect "check script" "$(printf 'ma5=ma(close,5);\r\n.curveline(ma5,RGB(254,254,254),1);\r\n' | od -c)" \
    "$("$qx" check --script -e 'MA5:MA(CLOSE,5),COLORRED;' | od -c)"
expect "check script with parameter" \
    "$(printf 'a=ma(close,n);\r\n.column(cltVolStick,0,a(n),RGB(254,254,254));\r\n' | od -c)" \
    "$("$qx" check --script --param n=5 -e 'A:MA(CLOSE,N),VOLSTICK;' | od -c)"
code() { "$qx" check --json -e "$1" | sed -n 's/.*"code": \([0-9]*\).*/\1/p'; }
expect "code 24" 24 "$(code 'A:C; A:O;')"
expect "code 28" 28 "$(code 'A:=A+1;')"
expect "code 22" 22 "$(code 'A:MA(CLOSE);')"
expect "code 21" 21 "$(code 'A:MA CLOSE,5;')"
expect "code 12" 12 "$(code 'A:C==O;')"
expect "code 26" 26 "$(code '')"
out=$("$qx" check --json -e $'A:C;\nB:O;\nX:Q;')
contains "third line" '"line": 2' "$out"
contains "third line column" '"column": 3' "$out"
out=$("$qx" check -e 'A:=A+1;')
expect "self-reference text" "error 28 at line 1, column 3: 非法的指标自引用" "$out"
for f in "$root"/examples/*.txt; do
    "$qx" check "$f" > /dev/null
    expect "example $(basename "$f")" 0 "$?"
done

# calc
out=$("$qx" calc -e 'A:(C+O)/2; B:A*2-1; D:C/0;' --bars "$bars")
expect "calc header" "bar,date,a,b,d" "$(printf '%s\n' "$out" | head -n 1)"
expect "calc rows" 1261 "$(printf '%s\n' "$out" | wc -l)"
expect "calc D is 0" 1260 "$(printf '%s\n' "$out" | tail -n +2 | awk -F, '$5 == "0"' | wc -l)"
expect "calc first row" "0,2013-05-13,64.7321435,128.464287,0" "$(printf '%s\n' "$out" | sed -n 2p)"
out=$("$qx" calc -e 'A:(C+O)/2;' --bars "$bars" --from 5 --to 7)
expect "calc range" "bar,date,a 5,2013-05-20,62.488571 6,2013-05-21,62.700714000000005 7,2013-05-22,63.242857" \
    "$(printf '%s' "$out" | tr '\n' ' ')"

# scan over the bundled bars
out=$("$qx" scan -e 'MA20:MA(C,20); UP:C>MA20;' "$root/data" --csv); rc=$?
expect "scan data exit" 0 "$rc"
expect "scan data" "symbol,date,ma20,up aapl_2013_2018,2018-05-11,174.88200134999994,1" \
    "$(printf '%s' "$out" | tr '\n' ' ')"
out=$("$qx" scan -e 'UP:C<MA(C,20);' "$root/data" --at 2018-04-20 --csv)
expect "scan data at a date" "symbol,date,up aapl_2013_2018,2018-04-20,1" "$(printf '%s' "$out" | tr '\n' ' ')"

# usage errors exit 2 with a message
"$qx" calc -e 'A:C;' --bars /nonexistent.csv > /dev/null 2>&1
expect "missing bars exit" 2 "$?"
"$qx" check /nonexistent.txt > /dev/null 2>&1
expect "missing formula exit" 2 "$?"
"$qx" calc -e 'A:C;' --bars "$bars" --from 5000 > /dev/null 2>&1
expect "bad range exit" 2 "$?"

# a parameter before the formula file takes one value and leaves the file alone
out=$("$qx" check --param N=10 "$root/examples/boll.txt"); rc=$?
expect "param before file exit" 0 "$rc"
contains "param before file value" "n = 10" "$(printf '%s\n' "$out" | sed -n '/^params:/,$p')"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
