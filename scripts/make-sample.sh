#!/bin/sh
# Build the sample working folder for ピルモ英語:
#   sample/eigo.dat  question file made from scripts/sample-questions.txt
#   sample/help.txt  settings file (magic, window title, menu caption)
# Both are written in Shift-JIS (CP932) with CR LF after every line.
#
# Layout of the question source (UTF-8, LF): 7 header lines, then records
# of 7 lines each (category, question, answer, three wrong answers,
# explanation).  Header line 3 (index 2) holds the number of records.
#
# Usage: sh scripts/make-sample.sh        (run from anywhere)
set -eu

cd "$(dirname "$0")/.."
src=scripts/sample-questions.txt
out=sample
mkdir -p "$out"

fail() { echo "make-sample: $*" >&2; exit 1; }

[ -s "$src" ] || fail "$src is missing or empty"
[ "$(tail -c 1 "$src" | od -An -c | tr -d ' ')" = '\n' ] \
    || fail "$src must end with a line break"
if LC_ALL=C grep -q "$(printf '\r')" "$src"; then
    fail "$src must use LF line ends only"
fi
if grep -n '^[[:space:]]*$' "$src" >&2; then
    fail "$src has empty lines (shown above)"
fi

lines=$(wc -l < "$src" | tr -d ' ')
[ $((lines % 7)) -eq 0 ] || fail "$lines lines is not a multiple of 7"
records=$((lines / 7 - 1))
[ "$records" -ge 1 ] || fail "no records"
count=$(sed -n 3p "$src")
case "$count" in
    ''|*[!0-9]*) fail "header line 3 must be a decimal number, got '$count'" ;;
esac
[ "$count" -eq "$records" ] \
    || fail "header says $count records but the file has $records"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# to_dos_sjis IN OUT: UTF-8 text to CP932 with CR LF.  iconv fails on
# anything CP932 cannot encode (kept out of a pipe so the error counts).
# Shift-JIS trail bytes never equal CR or LF, so adding CR byte-wise is safe.
to_dos_sjis() {
    iconv -f UTF-8 -t CP932 < "$1" > "$tmp/sjis" || return 1
    LC_ALL=C sed 's/$/\r/' "$tmp/sjis" > "$2"
}

to_dos_sjis "$src" "$tmp/eigo.dat" || fail "cannot convert $src to CP932"

# Every line must stay shorter than 120 bytes (CR LF not counted).
LC_ALL=C awk 'length($0) - 1 >= 120 { printf "line %d is %d bytes\n", NR, length($0) - 1; bad = 1 }
              END { exit bad }' "$tmp/eigo.dat" >&2 || fail "lines too long (shown above)"

printf '%s\n' \
    '3480' \
    '★柚木塾  英語ドリル' \
    ' ★ピルモ英語 Ver2.0' > "$tmp/help.utf8"
to_dos_sjis "$tmp/help.utf8" "$tmp/help.txt" || fail "cannot convert help.txt to CP932"

mv "$tmp/eigo.dat" "$out/eigo.dat"
mv "$tmp/help.txt" "$out/help.txt"
echo "make-sample: wrote $out/eigo.dat ($records records) and $out/help.txt"
