#!/bin/bash
# Runs one command-line example of examples/: the arguments in NAME.command, run in examples/,
# standard output compared with expected/NAME.screen.
set -u
program=$(realpath "$1")
cd "$2" || exit 2
name=$3
read -r -a arguments < "$name.command"
screen=$(mktemp)
"$program" "${arguments[@]}" > "$screen"
status=$?
diff -u "expected/$name.screen" "$screen"
same=$?
rm -f "$screen"
[ "$status" = 0 ] && [ "$same" = 0 ]
