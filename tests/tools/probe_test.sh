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

# The program gives an MFC 10 + 50 ms to start its reply and the pump 333 + 1000 ms. On a busy
# machine the virtual instruments, a process among many, now and then answer later than that: the
# reply then arrives after the read has given up, and the identification loses a table. The checks
# that want an answer give the instruments the time a loaded machine needs; the checks that want no
# answer keep the program's own waits, as lateness cannot change their outcome.
mfc_wait=(--readout 1000)
pump_wait=(--readout 3000)

export MOISTREL_SERIAL_PORTS="$dir/links/pump:$dir/links/mfc-a:$dir/links/mfc-b"
check "ports lists the links" 0 "$dir/links/mfc-b" "$probe" ports
check "MFC A identified" 0 " -> Gas         : O2" "$probe" mfc "$dir/links/mfc-a" "${mfc_wait[@]}"
check "MFC B identified at address 2" 0 " -> Serial: " "$probe" mfc "$dir/links/mfc-b" --address 2 "${mfc_wait[@]}"
check "wrong address finds nothing" 1 " -> Nothing found on this port" "$probe" mfc "$dir/links/mfc-b"
check "pump found and on standby" 0 " -> Pump is OK and on standby." "$probe" pump "$dir/links/pump" "${pump_wait[@]}"
check "no pump on an MFC port" 1 " -> No pump found on this port" "$probe" pump "$dir/links/mfc-a"
check "missing port" 1 "Failed to setup Com port, port in use" "$probe" pump "$dir/links/none"
check "usage error" 2 "moistrel-probe:" "$probe" mfc
check "no read-out time of 0" 2 "the read-out time must be 1 to 60000 ms" "$probe" mfc "$dir/links/mfc-a" --readout 0
check "no pump read-out time of 0" 2 "the read-out time must be 1 to 60000 ms" "$probe" pump "$dir/links/pump" --readout 0
check "diagnostics on standard error" 0 "LUT 2 ID: Air" "$probe" --diag mfc "$dir/links/mfc-a" "${mfc_wait[@]}"
exit $fail
