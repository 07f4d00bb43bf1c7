#!/usr/bin/env bash
# Times kestar-tally against grep on the same generated log, side by side: both read the whole
# file and write about as much. Each runs ROUNDS times, alternating, and the fastest round of each
# counts (the others were slowed by whatever else the machine did); peak memory is the tally's
# largest over the rounds. Run by hand from a release build folder:
#   bench/tally-vs-grep.sh BUILD [LINES] [ROUNDS]
# e.g. bench/tally-vs-grep.sh build-release 1000000 7
set -euo pipefail
BUILD="${1:?the build folder, holding bench/kestar_spar_log and tally/kestar-tally}"
LINES="${2:-1000000}"
ROUNDS="${3:-7}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

"$BUILD/bench/kestar_spar_log" "$LINES" >"$WORK/spar.log"
# TALLY=another/kestar-tally measures that one instead, e.g. an earlier build.
TALLY="${TALLY:-$BUILD/tally/kestar-tally}"

# One run: elapsed seconds, processor seconds (user and system) and peak memory in KiB.
measure() {
  local out="$1"
  shift
  /usr/bin/time -f '%e %U %S %M' -o "$WORK/time" "$@" >"$out"
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$WORK/time"
}

best() { sort -n -k"$1" | head -1 | cut -d' ' -f"$1"; }

: >"$WORK/grep.runs"
: >"$WORK/tally.runs"
for _ in $(seq "$ROUNDS"); do
  measure "$WORK/grep.out" grep rolled "$WORK/spar.log" >>"$WORK/grep.runs"
  measure "$WORK/tally.out" "$TALLY" "$WORK/spar.log" >>"$WORK/tally.runs"
done

grepElapsed=$(best 1 <"$WORK/grep.runs")
grepCpu=$(best 2 <"$WORK/grep.runs")
tallyElapsed=$(best 1 <"$WORK/tally.runs")
tallyCpu=$(best 2 <"$WORK/tally.runs")
tallyPeak=$(sort -n -k3 "$WORK/tally.runs" | tail -1 | cut -d' ' -f3)

echo "log: $LINES lines, $(stat -c %s "$WORK/spar.log") bytes; best of $ROUNDS rounds"
echo "grep rolled:  $(stat -c %s "$WORK/grep.out") bytes out, ${grepElapsed} s elapsed, ${grepCpu} s processor"
echo "kestar-tally: $(stat -c %s "$WORK/tally.out") bytes out, ${tallyElapsed} s elapsed, ${tallyCpu} s processor, peak ${tallyPeak} KiB"
awk -v t="$tallyElapsed" -v g="$grepElapsed" -v tc="$tallyCpu" -v gc="$grepCpu" 'BEGIN {
  printf "ratio to grep: %.2f elapsed, %.2f processor\n", t / g, (gc > 0 ? tc / gc : 0) }'
sha256sum "$WORK/tally.out" | cut -d' ' -f1 | sed 's/^/tally output sha256: /'
