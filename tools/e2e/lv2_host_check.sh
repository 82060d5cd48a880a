#!/usr/bin/env bash
# Loads the built LV2 bundle in a real host, Debian's jalv, under a JACK
# server with the dummy driver (no sound card needed), plays notes into it
# through JACK and checks the notes that come back (jack_midi_probe.py).
#
# Usage: lv2_host_check.sh [BUNDLE_PARENT_DIR | PATH/TO/Rebondo.lv2]
#   default: build/Rebondo_artefacts/<Debug|Release>/LV2 of this checkout.
# `cmake --build build` builds the bundle. Exit status: 0 passed, 1 failed,
# 77 skipped because the bundle has not been built.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
uri="https://orvanta.audio/plugins/rebondo"

say() { echo "lv2_host_check: $*"; }
die() { say "$*" >&2; exit 1; }

for tool in jackd jalv timeout mkfifo /usr/bin/python3; do
    command -v "$tool" >/dev/null 2>&1 || die "missing tool '$tool' (scripts/setup.sh installs jackd2, jalv and python3-jack-client)"
done
/usr/bin/python3 -c "import jack" 2>/dev/null || die "missing python3-jack-client for /usr/bin/python3 (scripts/setup.sh installs it)"

# Find the bundle.
bundle_parent=""
if [ $# -ge 1 ]; then
    case "$1" in
        *.lv2|*.lv2/) bundle_parent=$(dirname "$1") ;;
        *)            bundle_parent=$1 ;;
    esac
    [ -d "$bundle_parent/Rebondo.lv2" ] || bundle_parent=$(dirname "$bundle_parent")
else
    for config in Debug Release RelWithDebInfo MinSizeRel; do
        if [ -d "$repo/build/Rebondo_artefacts/$config/LV2/Rebondo.lv2" ]; then
            bundle_parent="$repo/build/Rebondo_artefacts/$config/LV2"
            break
        fi
    done
fi
if [ -z "$bundle_parent" ] || [ ! -f "$bundle_parent/Rebondo.lv2/manifest.ttl" ]; then
    say "SKIPPED: no built Rebondo.lv2 bundle (run 'cmake --build build' first)"
    exit 77
fi
bundle_parent=$(cd "$bundle_parent" && pwd)
say "bundle: $bundle_parent/Rebondo.lv2"

work=$(mktemp -d /tmp/rebondo-lv2-check.XXXXXX)
jackd_pid=""
jalv_pid=""

stop() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 30); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    local status=$?
    exec 9>&- 2>/dev/null || true
    stop "$jalv_pid"
    stop "$jackd_pid"
    if [ "$status" -ne 0 ]; then
        for log in jackd jalv; do
            [ -s "$work/$log.log" ] && { echo "--- $log output ---"; tail -n 30 "$work/$log.log"; }
        done
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Nothing here may reach the user's real folders or JACK server.
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME
mkdir -p "$HOME"
export JACK_NO_AUDIO_RESERVATION=1
export LV2_PATH="$bundle_parent"

# One run: a fresh JACK server and jalv, the probe, then both stopped.
# Returns the probe's status.
attempt() {
    local server="rebondo-e2e-$$-$1"
    export JACK_DEFAULT_SERVER="$server"

    say "starting jackd (dummy driver, 48 kHz, 512 frames) as server '$server'"
    timeout 300 jackd --no-realtime -n "$server" -d dummy -r 48000 -p 512 >"$work/jackd.log" 2>&1 &
    jackd_pid=$!
    local ready=0
    for _ in $(seq 100); do
        kill -0 "$jackd_pid" 2>/dev/null || die "jackd exited at start"
        if /usr/bin/python3 -c "import jack,sys; jack.Client('rebondo-wait', servername=sys.argv[1], no_start_server=True).close()" "$server" >/dev/null 2>&1; then
            ready=1
            break
        fi
        sleep 0.1
    done
    [ "$ready" -eq 1 ] || die "jackd did not come up within 10 s"

    # jalv reads commands from its standard input and quits at its end, so
    # it gets a pipe that stays open until it is stopped.
    rm -f "$work/jalv.in"
    mkfifo "$work/jalv.in"
    say "starting jalv on $uri"
    timeout 300 jalv -n rebondo -x "$uri" <"$work/jalv.in" >"$work/jalv.log" 2>&1 &
    jalv_pid=$!
    exec 9>"$work/jalv.in"

    local status=0
    timeout 120 /usr/bin/python3 "$here/jack_midi_probe.py" --server "$server" \
        --plugin-in rebondo:in --plugin-out rebondo:out || status=$?

    if ! kill -0 "$jalv_pid" 2>/dev/null; then
        say "jalv exited during the check"
        [ "$status" -ne 0 ] || status=1
    fi

    exec 9>&-
    stop "$jalv_pid"; jalv_pid=""
    stop "$jackd_pid"; jackd_pid=""

    # Also catches assertions while the plug-in shuts down.
    if grep -q "JUCE Assertion failure" "$work/jalv.log"; then
        say "a JUCE assertion fired in the plug-in: $(grep -m1 "JUCE Assertion failure" "$work/jalv.log")"
        status=1
    fi
    return "$status"
}

# An overloaded machine can drop JACK cycles; a run spoilt that way (status
# 3) is repeated, any other failure is final.
for try in 1 2 3; do
    status=0
    attempt "$try" || status=$?
    [ "$status" -eq 3 ] || break
    say "xruns spoilt run $try; running again"
done

case "$status" in
    0)   say "PASSED" ;;
    3)   say "FAILED: xruns in every run, the machine is too busy to judge"; exit 1 ;;
    124) say "FAILED: the probe ran out of time"; exit 1 ;;
    *)   say "FAILED (probe status $status)"; exit 1 ;;
esac
