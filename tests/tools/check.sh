# Sourced by the tool scripts: check runs a command, compares its exit status and looks for a text
# in what it printed; a mismatch prints both and sets fail=1, which the script returns at its end.
fail=0

check() { # description, expected exit, pattern, command...
    local what=$1 want=$2 pattern=$3
    shift 3
    local out code
    out=$("$@" 2>&1)
    code=$?
    if [ "$code" -ne "$want" ] || ! grep -qF -- "$pattern" <<<"$out"; then
        echo "FAIL: $what (exit $code, wanted $want; looked for '$pattern')"
        echo "$out"
        fail=1
    else
        echo "ok: $what"
    fi
}
