#!/usr/bin/env bash
# Start-up with a remembered collection of 32,767 entries, from the process start to the shown
# window; prints the median of five runs. Usage: bench/startup.sh [path/to/vlm]
set -eu
source "$(dirname "$0")/common.sh"
make_collection ${ENTRIES:-32767}
times=()
for _ in 1 2 3 4 5; do
    write_options "lastfile=$work/c.vlk" "index=0" "hide=0" "start=0" "cas=30" "jednotky=minut"
    begin=$(date +%s%N)
    "$vlm" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1; do sleep 0.005; done
    end=$(date +%s%N)
    times+=($(( (end - begin) / 1000000 )))
    kill "$pid"; wait "$pid" 2>/dev/null || true
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
echo "start-up to the shown window, ${ENTRIES:-32767} entries: median ${median} ms (runs: ${times[*]})"
