#!/usr/bin/env bash
# Times kestar-tally against grep on the same generated log, side by side: both read the whole
# file and write about as much to a file. Each runs ROUNDS times, alternating, and the fastest
# round of each counts (the others were slowed by whatever else the machine did). Peak memory is
# the tally's, from /usr/bin/time (Debian's package "time"). Run by hand with a release build:
#   bench/tally-vs-grep.sh BUILD [LINES] [ROUNDS]
# e.g. bench/tally-vs-grep.sh build-release 1000000 15
# TALLY=another/kestar-tally measures that one instead, e.g. an earlier build.
set -euo pipefail
BUILD="${1:?the build folder, holding bench/kestar_spar_log and tally/kestar-tally}"
LINES="${2:-1000000}"
ROUNDS="${3:-15}"
TALLY="${TALLY:-$BUILD/tally/kestar-tally}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

"$BUILD/bench/kestar_spar_log" "$LINES" >"$WORK/spar.log"

# One run: elapsed and processor (user and system) seconds, to the millisecond.
measure() {
  local out="$1"
  shift
  local TIMEFORMAT='%3R %3U %3S'
  { time "$@" >"$out" 2>/dev/null; } 2>"$WORK/time"
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$WORK/time"
}

best() { sort -n -k"$1" | head -1 | cut -d' ' -f"$1"; }

: >"$WORK/grep.runs"
: >"$WORK/tally.runs"
for _ in $(seq "$ROUNDS"); do
  measure "$WORK/grep.out" grep rolled "$WORK/spar.log" >>"$WORK/grep.runs"
  measure "$WORK/tally.out" "$TALLY" "$WORK/spar.log" >>"$WORK/tally.runs"
done
peak=$(/usr/bin/time -f '%M' "$TALLY" "$WORK/spar.log" 2>&1 >/dev/null | tail -1)

grepElapsed=$(best 1 <"$WORK/grep.runs")
grepCpu=$(best 2 <"$WORK/grep.runs")
tallyElapsed=$(best 1 <"$WORK/tally.runs")
tallyCpu=$(best 2 <"$WORK/tally.runs")

echo "log: $LINES lines, $(stat -c %s "$WORK/spar.log") bytes; best of $ROUNDS rounds"
echo "grep rolled:  $(stat -c %s "$WORK/grep.out") bytes out, ${grepElapsed} s elapsed," \
  "${grepCpu} s processor"
echo "kestar-tally: $(stat -c %s "$WORK/tally.out") bytes out, ${tallyElapsed} s elapsed," \
  "${tallyCpu} s processor, peak ${peak} KiB"
awk -v t="$tallyElapsed" -v g="$grepElapsed" -v tc="$tallyCpu" -v gc="$grepCpu" 'BEGIN {
  printf "ratio to grep: %.2f elapsed, %.2f processor\n", t / g, tc / gc }'
echo "tally output sha256: $(sha256sum "$WORK/tally.out" | cut -d' ' -f1)"
