#!/bin/bash
# Runs one shipped example session (examples/NAME.answers) in a temporary copy of examples/
# and compares its screen and output file with examples/expected/NAME.screen and the output
# file of the same name under examples/expected/. With UPDATE=1 it writes them instead.
set -u
program=$1
examples=$2
name=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$examples"/*.dat "$examples/$name.answers" "$work/"
cd "$work" || exit 2
"$program" < "$name.answers" > "$work/.screen" 2>&1
status=$?
outputs=$(ls *.out 2>/dev/null)
if [ "${UPDATE:-0}" = 1 ]; then
  mkdir -p "$examples/expected"
  cp "$work/.screen" "$examples/expected/$name.screen"
  for f in $outputs; do cp "$f" "$examples/expected/$f"; done
  exit 0
fi
failed=0
[ "$status" = 0 ] || { echo "exit status $status"; failed=1; }
diff -u "$examples/expected/$name.screen" "$work/.screen" || failed=1
[ -n "$outputs" ] || { echo "no output file written"; failed=1; }
for f in $outputs; do diff -u "$examples/expected/$f" "$f" || failed=1; done
exit $failed
