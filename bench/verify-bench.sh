#!/usr/bin/env bash
# The served dice, by hand, with a release build: kestar_spar_log --derived writes a spar whose
# answers come from the roll service's epochs.
#   bench/verify-bench.sh BUILD [LINES] [ROUNDS]
# 1. Were they fair? kestar-tally --fairness over some 1,000,000 derived dice each of 6, 20 and
#    100 sides (1,520,000 lines: a third are answers, and the counter totals those of 1 to 4
#    dice): the chi-square line and the plain sentence of each size.
# 2. What does checking cost? kestar-tally --verify against the plain tally on the same served log
#    of LINES lines (default 1,000,000), best of ROUNDS rounds (default 7) each, alternating, and
#    the peak memory of --verify.
set -euo pipefail
BUILD="${1:?the build folder, holding bench/kestar_spar_log and tally/kestar-tally}"
LINES="${2:-1000000}"
ROUNDS="${3:-7}"
TALLY="$BUILD/tally/kestar-tally"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

for sides in 6 20 100; do
  "$BUILD/bench/kestar_spar_log" 1520000 --derived "$sides" >"$WORK/fair.log"
  "$TALLY" --fairness "$WORK/fair.log" | grep -E "^Chi-square|^$sides-sided:"
done

"$BUILD/bench/kestar_spar_log" "$LINES" --derived 100 >"$WORK/served.log"
# One run: elapsed and processor (user and system) seconds, to the millisecond.
measure() {
  local TIMEFORMAT='%3R %3U %3S'
  { time "$@" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}
: >"$WORK/plain.runs"
: >"$WORK/verify.runs"
for _ in $(seq "$ROUNDS"); do
  measure "$TALLY" "$WORK/served.log" >>"$WORK/plain.runs"
  measure "$TALLY" --verify "$WORK/served.log" >>"$WORK/verify.runs"
done
best() { sort -n -k"$1" | head -1 | cut -d' ' -f"$1"; }
plainElapsed=$(best 1 <"$WORK/plain.runs")
plainCpu=$(best 2 <"$WORK/plain.runs")
verifyElapsed=$(best 1 <"$WORK/verify.runs")
verifyCpu=$(best 2 <"$WORK/verify.runs")
peak=$(/usr/bin/time -f '%M' "$TALLY" --verify "$WORK/served.log" 2>&1 >/dev/null | tail -1)
echo "log: $LINES lines, $(stat -c %s "$WORK/served.log") bytes; best of $ROUNDS rounds"
"$TALLY" --verify "$WORK/served.log" | tail -1
echo "kestar-tally:          ${plainElapsed} s elapsed, ${plainCpu} s processor"
echo "kestar-tally --verify: ${verifyElapsed} s elapsed, ${verifyCpu} s processor, peak ${peak} KiB"
awk -v v="$verifyElapsed" -v p="$plainElapsed" -v vc="$verifyCpu" -v pc="$plainCpu" 'BEGIN {
  printf "ratio: %.2f elapsed, %.2f processor\n", v / p, vc / pc }'
