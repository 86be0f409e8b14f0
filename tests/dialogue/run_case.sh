#!/bin/bash
# Runs the program in a fresh temporary folder holding the case's files, with the case's
# answers on standard input (after the case's setup.sh, if any, has run there), and compares
# the screen, the exit status and every expected output file. With UPDATE=1 it writes the actual texts into the case instead (review them!).
set -u
program=$(realpath "$1")
case_dir=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -d "$case_dir/files" ]; then cp -r "$case_dir/files/." "$work/"; fi
cd "$work" || exit 2
# Files too large to keep in the repository are made by the case's own setup script.
if [ -f "$case_dir/setup.sh" ]; then bash "$case_dir/setup.sh" || exit 2; fi
"$program" < "$case_dir/answers.txt" > "$work/.screen" 2>&1
status=$?
expected_status=0
if [ -f "$case_dir/status" ]; then expected_status=$(cat "$case_dir/status"); fi

if [ "${UPDATE:-0}" = 1 ]; then
  cp "$work/.screen" "$case_dir/screen.txt"
  echo "$status" > "$case_dir/status"
  if [ -d "$case_dir/expected" ]; then
    for f in "$case_dir"/expected/*; do cp "$work/$(basename "$f")" "$f"; done
  fi
  exit 0
fi

failed=0
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"
  failed=1
fi
diff -u "$case_dir/screen.txt" "$work/.screen" || failed=1
if [ -d "$case_dir/expected" ]; then
  for f in "$case_dir"/expected/*; do
    name=$(basename "$f")
    if [ ! -f "$work/$name" ]; then
      echo "missing output file $name"
      failed=1
    else
      diff -u "$f" "$work/$name" || failed=1
    fi
  done
fi
exit $failed
