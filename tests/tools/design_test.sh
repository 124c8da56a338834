#!/usr/bin/env bash
# Runs moistrel-design as a script would: each kind of target, the report, the JSON form, the
# settings file as the source of the liquid, and refusals with their exit status.
set -u
design=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
. "$(dirname "$0")/check.sh" || exit 1

gases=(--gas-a N2 --molar-mass-a 28.0134 --range-a 2 --turndown-a 100)
check "relative humidity" 0 "Target      : RH 40 %" \
    "$design" target --rh 40 --at 23 --pressure 1013.25 --carrier 1.0 --b-share 0 "${gases[@]}"
check "relative humidity pump command" 0 "Pump command: /1T" \
    "$design" target --rh 40 --at 23 --pressure 1013.25 --carrier 1.0 "${gases[@]}"
check "dew point as JSON" 0 '"target":"Td -10 ºC"' \
    "$design" target --dew-point -10 --at 23 --pressure 1013.25 --carrier 1.0 --json "${gases[@]}"
check "dew point JSON has the range" 0 '"reachable":[' \
    "$design" target --dew-point -10 --at 23 --pressure 1013.25 --carrier 1.0 --json "${gases[@]}"
check "ppm of water" 0 "Target      : Water pure 5000 ppm" \
    "$design" target --ppm 5000 --substance H2O --carrier 1.0 "${gases[@]}"
check "a carrier in normal litres" 0 "A           : 1.249 817 g/min" \
    "$design" target --rh 40 --at 23 --pressure 1013.25 --carrier 1.0 --carrier-unit ln "${gases[@]}"
check "condensation refused" 2 "A relative humidity above 100 % condenses" \
    "$design" target --rh 120 --carrier 1.0 "${gases[@]}"
check "a carrier above MFC A's range refused" 2 "above its highest flow of 0.035 800 g/min" \
    "$design" target --rh 40 --carrier 1.0
check "no substance of the liquid" 2 "holds no \"C2H6O\"" \
    "$design" target --ppm 50 --substance C2H6O --carrier 1.0 "${gases[@]}"
check "two targets at once" 2 "exactly one of --rh, --dew-point and --ppm" \
    "$design" target --rh 40 --ppm 50 --substance H2O
check "not a number" 2 "--rh needs a number" "$design" target --rh forty
check "the report" 0 "             *                 RH ->" "$design" report --a 0.02 --b 0.05 --c 1000
check "the report's recipe" 0 "  :1:Ar                  0.050 000 g/min" "$design" report --a 0.02 --b 0.05 --c 1000
check "a report without flow" 2 "No flow" "$design" report

# The liquid of a settings file: ethanol in water.
cat >"$dir/moistrel.ini" <<'INI'
[Fluid]
Mixture name=Ethanol in water
Mixture custom density=0.99
Mix1ID=gH2O
Mix1Mass=999
Mix2ID=gC2H6O
Mix2Mass=1
INI
check "the settings file's liquid" 0 "Target      : Ethanol 2 ppm" \
    "$design" target --ppm 2 --substance Ethanol --carrier 1.0 --settings "$dir/moistrel.ini" "${gases[@]}"
check "a missing settings file" 2 "cannot read the settings file" \
    "$design" target --rh 40 --settings "$dir/none.ini"
check "help" 0 "Usage: moistrel-design COMMAND" "$design" --help

exit $fail
