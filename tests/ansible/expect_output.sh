#!/usr/bin/env bash
# Usage: expect_output.sh <regex> <command...>: passes when the command exits 0, its output (both
# streams, read as one text) matches <regex>, and it holds no WARNING and no ERROR.
set -uo pipefail
pattern=$1
shift
out=$("$@" 2>&1)
rc=$?
printf '%s\n' "$out"
((rc == 0)) || { echo "expect_output: exit code $rc" && exit 1; }
grep -qzE -- "$pattern" <<<"$out" || { echo "expect_output: no match for $pattern" && exit 1; }
if grep -qE 'WARNING|ERROR' <<<"$out"; then echo "expect_output: a warning or error" && exit 1; fi
