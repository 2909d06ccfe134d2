#!/usr/bin/env bash
# vdrtool.exe under Wine in the Japanese code page (932): a text longer than
# its field is cut before a double-byte character, never between its bytes,
# and the long name the same way.
#   code_page_test.sh WINE_RUN VDRTOOL_EXE WORK_FOLDER
set -euo pipefail
wine_run=$1 vdrtool=$2 work=$3
rm -rf "$work"
mkdir -p "$work/locale"
# Wine takes its code page from the locale, which glibc must have.
if ! localedef -i ja_JP -f UTF-8 "$work/locale/ja_JP.UTF-8" >/dev/null 2>&1; then
  echo "skipped: glibc cannot make the ja_JP.UTF-8 locale here"
  exit 77
fi
run() { LOCPATH="$work/locale" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$wine_run" "$vdrtool" "$@"; }
db="Z:${work//\//\\}\\j.vdr"
# A "Text, 4 Chars" field holds 3 bytes, a "Text, 16 Chars" one 15.
run create "$db" 10 11 --name "$(printf 'n%.0s' $(seq 299))あ"
run set "$db" 1 1 "あいう"
run set "$db" 1 2 "aあいうえおかきくけこ"
got=$(run list "$db" | od -v -An -tx1 | tr -s ' \n' ' ')
# Index 0, record 1, status 10, then the fields in code page 932.
want=" 30 09 31 09 31 30 09 82 a0 09 61 82 a0 82 a2 82 a4 82 a6 82 a8 82 a9 82 ab 0d 0a "
if [ "$got" != "$want" ]; then
  echo "fields: got$got"
  echo "wanted$want"
  exit 1
fi
name=$(run name "$db" | od -v -An -tx1 | tr -d ' \n')
if [ "$name" != "$(printf '6e%.0s' $(seq 299))0d0a" ]; then
  echo "long name: got $name"
  exit 1
fi
echo "cuts keep double-byte characters whole"
