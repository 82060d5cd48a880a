#!/usr/bin/env bash
# Runs the built rebondo-render program: help and version, exit codes and
# messages for bad input, no output file after a failure, and the same bytes
# from two runs with the same seed.
# Usage: command_line_check.sh PATH/TO/rebondo-render PATH/TO/example.mid
set -uo pipefail

render=${1:?path to rebondo-render}
example=${2:?path to an example MIDI file}

work=$(mktemp -d /tmp/rebondo-render-check.XXXXXX)
trap 'rm -rf "$work"' EXIT
# Never the user's real preset folder.
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME
mkdir -p "$HOME"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS STDERR-TEXT -- ARGS...: runs the program, checks the status,
# that the message appears on standard error, and that no out.mid was made.
expect() {
    local status=$1 text=$2; shift 3
    rm -f "$work/out.mid"
    "$render" "$@" >"$work/stdout" 2>"$work/stderr"
    local got=$?
    [ "$got" -eq "$status" ] || fail "'$*' exited $got, expected $status"
    grep -qF -- "$text" "$work/stderr" || fail "'$*' did not say '$text' on stderr: $(cat "$work/stderr")"
    [ ! -e "$work/out.mid" ] || fail "'$*' left an output file"
    no_assertions "$work/stderr"
}

no_assertions() {
    if grep -q "JUCE Assertion failure" "$1"; then
        fail "a JUCE assertion fired: $(grep -m1 "JUCE Assertion failure" "$1")"
    fi
}

"$render" --help >"$work/help" 2>&1 || fail "--help exited non-zero"
grep -q -- "--preset" "$work/help" || fail "--help does not describe --preset"
"$render" --version | grep -q "^rebondo-render [0-9]" || fail "--version"

printf 'not midi at all\n' >"$work/text.mid"
expect 2 "no input MIDI file"   -- -o "$work/out.mid"
expect 2 "no output file"       -- "$example"
expect 2 "unknown option"       -- "$example" -o "$work/out.mid" --speed 3
expect 2 "--block"              -- "$example" -o "$work/out.mid" --block zero
expect 2 "--sample-rate"        -- "$example" -o "$work/out.mid" --sample-rate 12
expect 2 "--tail"               -- "$example" -o "$work/out.mid" --tail -4
expect 1 "input file not found" -- "$work/missing.mid" -o "$work/out.mid"
expect 1 "not a MIDI file"      -- "$work/text.mid" -o "$work/out.mid"
expect 1 "unknown preset"       -- "$example" -o "$work/out.mid" --preset "No Such Preset"
expect 1 "unknown pattern"      -- "$example" -o "$work/out.mid" --pattern "No Such Pattern"
expect 1 "output folder does not exist" -- "$example" -o "$work/none/out.mid"

# Same seed, same bytes; the summary goes to standard output.
"$render" "$example" -o "$work/a.mid" --seed 42 >"$work/summary" 2>"$work/a.err" || fail "render a"
"$render" "$example" -o "$work/b.mid" --seed 42 >/dev/null 2>"$work/b.err" || fail "render b"
no_assertions "$work/a.err"
no_assertions "$work/b.err"
cmp -s "$work/a.mid" "$work/b.mid" || fail "two renders with --seed 42 differ"
for line in "Input notes:" "Balls launched:" "Output notes:" "Peak sounding notes:" "Rendered duration:" "Render speed:"; do
    grep -q "^$line" "$work/summary" || fail "summary lacks '$line'"
done
head -c 14 "$work/a.mid" | od -An -tx1 | tr -d ' \n' | grep -q "^4d546864000000060001" || fail "output is not a type-1 MIDI file"

# A preset file given by path.
printf '<PARAMETERS note_mask="4"><PARAM id="arp_type" value="1"/></PARAMETERS>\n' >"$work/d.xml"
"$render" "$example" -o "$work/d.mid" --preset "$work/d.xml" --seed 1 >/dev/null 2>"$work/d.err" || fail "render with a preset file"
no_assertions "$work/d.err"
[ -s "$work/d.mid" ] || fail "no output with a preset file"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "rebondo-render command line: all checks passed"
