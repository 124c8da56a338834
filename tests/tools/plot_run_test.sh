#!/usr/bin/env bash
# Runs scripts/plot-run on a small run data file as the program writes it: quoted names with commas,
# empty fields, the "Target" column. The series it would draw (--data) are checked value by value;
# a picture is drawn too where gnuplot is at hand.
set -u
plot=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0

csv="$dir/Run 2026-12-11 11.00.00.csv"
{
    echo 'Time,Elapsed s,Mixer state,Segment,Segment name,A set-point g/min,A observed g/min,A moving average g/min,A totalizer g,B set-point g/min,B observed g/min,Pump command,Liquid ppm,RH %,Target'
    echo '2026-12-11T11:00:00.000,0.000,2,1,"Settling, RH 10 %",0.020000,0.019000,0.019000,,0.000000,0.000000,/1TgV48000IA192000V2OA0G0R,3000.0,9.80,RH 10 %'
    echo '2026-12-11T11:00:01.000,1.000,2,1,"Settling, RH 10 %",0.020000,,0.019500,0.000300,0.000000,0.000000,/1TgV48000IA192000V2OA0G0R,3000.0,9.80,RH 10 %'
    echo '2026-12-11T11:00:02.000,2.000,2,2,"say ""dry""",0.020000,0.020100,0.019800,0.000600,0.000000,,,,,'
    echo '2026-12-11T11:00:03.000,3.000,2,3,RH 30 %,0.020000,0.020000,0.020000,0.000900,0.000000,0.000000,/1TgV48000IA192000V6OA0G0R,9000.0,29.40,RH 30 %'
} >"$csv"

expect() { # description, expected text, command...
    local what=$1 want=$2
    shift 2
    local out
    out=$("$@" 2>&1)
    if [ "$out" != "$want" ]; then
        echo "FAIL: $what"
        echo "--- wanted"
        echo "$want"
        echo "--- got"
        echo "$out"
        fail=1
    else
        echo "ok: $what"
    fi
}

tab=$'\t'
expect "the flows by default, past names with commas and quotes" \
"Elapsed s${tab}A observed g/min${tab}A set-point g/min${tab}B observed g/min${tab}B set-point g/min
0.000${tab}0.019000${tab}0.020000${tab}0.000000${tab}0.000000
1.000${tab}NaN${tab}0.020000${tab}0.000000${tab}0.000000
2.000${tab}0.020100${tab}0.020000${tab}NaN${tab}0.000000
3.000${tab}0.020000${tab}0.020000${tab}0.000000${tab}0.000000" \
    "$plot" --data "$csv"

expect "a chosen column" \
"Elapsed s${tab}RH %
0.000${tab}9.80
1.000${tab}9.80
2.000${tab}NaN
3.000${tab}29.40" \
    "$plot" --column "RH %" --data "$csv"

expect "two chosen columns" \
"Elapsed s${tab}Liquid ppm${tab}Target
0.000${tab}3000.0${tab}RH 10 %
1.000${tab}3000.0${tab}RH 10 %
2.000${tab}NaN${tab}NaN
3.000${tab}9000.0${tab}RH 30 %" \
    "$plot" --column "Liquid ppm" --column=Target --data "$csv"

out=$("$plot" --column "RH" --data "$csv" 2>&1)
code=$?
if [ "$code" -ne 2 ] || ! grep -qF 'has no column "RH"; its columns are:' <<<"$out" || ! grep -qxF '  RH %' <<<"$out"; then
    echo "FAIL: an unknown column is refused with the file's columns (exit $code)"
    echo "$out"
    fail=1
else
    echo "ok: an unknown column is refused with the file's columns"
fi

out=$("$plot" "$dir/missing.csv" 2>&1)
code=$?
if [ "$code" -ne 2 ] || ! grep -qF "give a run data file" <<<"$out"; then
    echo "FAIL: a missing file is refused (exit $code)"
    echo "$out"
    fail=1
else
    echo "ok: a missing file is refused"
fi

if command -v gnuplot >/dev/null; then
    png="$dir/rh.png"
    out=$("$plot" --column "RH %" "$csv" "$png" 2>&1)
    if [ "$out" != "$png" ] || [ "$(head -c 4 "$png" | od -An -c | tr -d ' ')" != "211PNG" ]; then
        echo "FAIL: the picture of a chosen column is drawn"
        echo "$out"
        fail=1
    else
        echo "ok: the picture of a chosen column is drawn"
    fi
else
    echo "note: gnuplot is not installed here; the picture was not drawn"
fi
exit $fail
