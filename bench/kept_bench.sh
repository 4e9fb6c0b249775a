#!/usr/bin/env bash
# The watching copy's CPU time over an idle time, with the kept settings of FILE.reg (default: the
# 150 of kept_bench's own key) against the same copy with none kept, read from /proc, since Wine
# reports no CPU time of another process; then kept_bench.exe for the rest. Run in the Wine prefix
# that WINEPREFIX names, with a display.
# Usage: kept_bench.sh PROGRAM_FOLDER KEPT_BENCH_EXE [IDLE_SECONDS] [kept_bench options...]
set -euo pipefail
folder=$(cd "$1" && pwd) bench=$2 idle=${3:-60}
shift $(( $# < 3 ? $# : 3 ))
ticks=$(getconf CLK_TCK)

# The CPU time in ms that the copy uses in idle seconds, from five seconds after its start.
idle_cpu() {
  wine "$folder/LumivantaManager.exe" -hidden & local started=$!
  sleep 5
  local pid candidate
  # This prefix's copy: other Wine sessions may run theirs.
  for candidate in $(pgrep -f 'LumivantaManager.exe -hidden'); do
    tr '\0' '\n' <"/proc/$candidate/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && pid=$candidate
  done
  local before after
  before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  sleep "$idle"
  after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  echo "  (the copy's whole time, its start included: $(( after * 1000 / ticks )) ms)" >&2
  kill "$pid" "$started" 2>/dev/null || true
  wait "$started" 2>/dev/null || true
  echo $(( (after - before) * 1000 / ticks ))
}

none=$(idle_cpu)
wine "$bench" "$(winepath -w "$folder")" --apply-only "$@" | tr -d '\r' | grep -v '^Applied: '
kept=$(idle_cpu)
echo "(a) CPU over $idle idle s: $kept ms with the settings kept, $none ms with none kept;" \
     "scaled to 10 min: $(( kept * 600 / idle )) ms (goal 50; the clock counts in $((1000 / ticks)) ms ticks)"
wine "$bench" "$(winepath -w "$folder")" "$@" | tr -d '\r'
