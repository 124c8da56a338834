#!/usr/bin/env bash
# Starts moistrel-sim, probes its three ports with moistrel-probe and checks the reports and exit codes.
set -u
sim=$1
probe=$2
dir=$(mktemp -d)
. "$(dirname "$0")/check.sh" || exit 1

"$sim" --dir "$dir/links" --fast --pump-init 0 >"$dir/sim.out" 2>&1 &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null; rm -rf "$dir"' EXIT

# Every probe below needs all three links: without one there is nothing to test, so stop here.
# Up to 20 s, for slow builds (ThreadSanitizer) on a busy machine.
for link in pump mfc-a mfc-b; do
    for _ in $(seq 200); do
        [ -e "$dir/links/$link" ] && break
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -e "$dir/links/$link" ]; then
        echo "FAIL: the link $dir/links/$link of the virtual instruments did not appear; moistrel-sim said:"
        cat "$dir/sim.out"
        exit 1
    fi
done

export MOISTREL_SERIAL_PORTS="$dir/links/pump:$dir/links/mfc-a:$dir/links/mfc-b"
check "ports lists the links" 0 "$dir/links/mfc-b" "$probe" ports
check "MFC A identified" 0 " -> Gas         : O2" "$probe" mfc "$dir/links/mfc-a"
check "MFC B identified at address 2" 0 " -> Serial: " "$probe" mfc "$dir/links/mfc-b" --address 2
check "wrong address finds nothing" 1 " -> Nothing found on this port" "$probe" mfc "$dir/links/mfc-b"
check "pump found and on standby" 0 " -> Pump is OK and on standby." "$probe" pump "$dir/links/pump"
check "no pump on an MFC port" 1 " -> No pump found on this port" "$probe" pump "$dir/links/mfc-a"
check "missing port" 1 "Failed to setup Com port, port in use" "$probe" pump "$dir/links/none"
check "usage error" 2 "moistrel-probe:" "$probe" mfc
check "diagnostics on standard error" 0 "LUT 2 ID: Air" "$probe" --diag mfc "$dir/links/mfc-a"
exit $fail
