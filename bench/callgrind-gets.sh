#!/usr/bin/env bash
# Instructions per routed GET, counted by callgrind: exact, and the same from run to run whatever
# the machine's load, so two builds compare to the instruction (a build with the change and one
# without, say).
#
#   bench/callgrind-gets.sh host BUILD [BUILD...]
#     BUILD/host/lobby-host (any preset's; the shipping one is build/i386) runs in the parties
#     world: a party lobby made, then GETS GETs of one script. Instructions per GET are those of
#     the whole process (the host's reading, printing and reply handling included) with the GETs,
#     less those of the same run without them, divided by GETS. Scripts: lobby (GET
#     /jyx-lobby/v2/lobby), party-active (GET /jyx-lobby/v2/party-active) and mix (GET
#     /jyx-lobby/v2/lobby, /jyx-lobby/v1/lobby/invitations, /jyx-lobby/v2/received-invitations
#     in turn). Every call must answer without an error.
#   bench/callgrind-gets.sh bench BUILD [BUILD...]
#     BUILD/bench/bench_lobby_gate (release preset) makes CALLS calls of each of its benchmarks
#     (--calls), counted in its call loop alone: instructions and blocks allocated per call,
#     with the plugin's gate and without, and how much the gate adds.
#
# GETS (default 1200, a multiple of 3) and CALLS (default 2000) set the counts. Prints one line
# per script or benchmark and build; with several builds, each figure's ratio to the first
# build's follows it (for the benchmarks, that of the figure with the gate).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-}
shift || true
if [[ ($mode != host && $mode != bench) || $# -eq 0 ]]; then
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
fi
gets=${GETS:-1200}
calls=${CALLS:-2000}
if ! [[ $gets =~ ^[1-9][0-9]*$ && $((gets % 3)) -eq 0 && $calls =~ ^[1-9][0-9]*$ ]]; then
  echo "callgrind-gets: GETS must be a positive multiple of 3 and CALLS a positive count" >&2
  exit 2
fi
if ! command -v valgrind >/dev/null; then
  echo "callgrind-gets: needs valgrind (Debian's package valgrind)" >&2
  exit 1
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Instructions callgrind counted in a run: callgrind ARGS...
instructions() {
  valgrind --tool=callgrind --callgrind-out-file="$tmp/out" "$@" >"$tmp/stdout" 2>"$tmp/log" || {
    cat "$tmp/log" >&2
    echo "callgrind-gets: the run failed: $*" >&2
    exit 1
  }
  awk '/^(summary|totals):/ { print $2; exit }' "$tmp/out"
}

# Prints one line: KEY, BUILD and TEXT, then FIGURE's ratio to the first build's figure of KEY.
declare -A first
report() {  # KEY BUILD FIGURE TEXT
  local key=$1 build=$2 figure=$3 text=$4 ratio=""
  if [[ -z ${first[$key]:-} ]]; then
    first[$key]=$figure
  else
    ratio=$(awk -v a="$figure" -v b="${first[$key]}" 'BEGIN { printf "  (%.3f of the first)", a / b }')
  fi
  printf '%-36s %-24s %s%s\n' "$key" "$build" "$text" "$ratio"
}

if [[ $mode == host ]]; then
  setup='POST /jyx-lobby/v2/lobby {"queueId":420}'
  declare -A scripts=(
    [lobby]='GET /jyx-lobby/v2/lobby'
    [party-active]='GET /jyx-lobby/v2/party-active'
    [mix]=$'GET /jyx-lobby/v2/lobby\nGET /jyx-lobby/v1/lobby/invitations\nGET /jyx-lobby/v2/received-invitations')
  echo "$setup" >"$tmp/none.txt"
  for name in lobby party-active mix; do
    per=$(printf '%s\n' "${scripts[$name]}" | wc -l)
    { echo "$setup"; for ((i = 0; i < gets / per; i++)); do printf '%s\n' "${scripts[$name]}"; done; } >"$tmp/$name.txt"
  done
  for build in "$@"; do
    host="$build/host/lobby-host"
    [[ -x $host ]] || { echo "callgrind-gets: no $host" >&2; exit 1; }
    run=("$host" --world "$root/host/worlds/parties.json")
    base=$(instructions "${run[@]}" "$tmp/none.txt")
    for name in lobby party-active mix; do
      total=$(instructions "${run[@]}" "$tmp/$name.txt")
      answered=$(grep -c '^{"status":[0-9]*,"error":null,' "$tmp/stdout" || true)
      if ((answered != gets + 1)); then
        echo "callgrind-gets: $build: $((gets + 1 - answered)) calls of $name answered an error" >&2
        exit 1
      fi
      per=$(((total - base) / gets))
      report "$name" "$build" "$per" "$per instructions per GET"
    done
  done
else
  for build in "$@"; do
    bench="$build/bench/bench_lobby_gate"
    [[ -x $bench ]] || { echo "callgrind-gets: no $bench" >&2; exit 1; }
    for kind in entry offered; do
      for route in lobby party-active; do
        declare -A ir=() blocks=()
        for gate in gate nogate; do
          total=$(instructions --toggle-collect='*OfferCalls*' "$bench" --calls "$calls" \
            "$kind/$route/$gate")
          ir[$gate]=$((total / calls))
          blocks[$gate]=$(sed -n 's/.* \([0-9.]*\) blocks per call.*/\1/p' "$tmp/stdout")
          entries=$(sed -n 's/.*entries offered per call: \([0-9]*\).*/\1/p' "$tmp/stdout")
        done
        report "$kind/$route (entries: $entries)" "$build" "${ir[gate]}" "$(
          awk -v g="${ir[gate]}" -v n="${ir[nogate]}" -v bg="${blocks[gate]}" -v bn="${blocks[nogate]}" \
            'BEGIN { printf "instructions %d gate, %d without (%+.1f%%); blocks %g gate, %g without", g, n, 100 * (g - n) / n, bg, bn }')"
      done
    done
  done
fi
