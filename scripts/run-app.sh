#!/usr/bin/env bash
# Builds the standalone app and starts it. On a machine without a sound card
# it runs the audio through a JACK server with the dummy driver.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DREBONDO_BUILD_TESTS=OFF -DREBONDO_BUILD_BENCHMARKS=OFF
cmake --build build-release -j"$(nproc)" --target Rebondo_Standalone

app="build-release/Rebondo_artefacts/Release/Standalone/Rebondo"

jack_pid=""
cleanup() { [ -n "$jack_pid" ] && kill "$jack_pid" 2>/dev/null || true; }
trap cleanup EXIT

if ! grep -q '^ *[0-9]' /proc/asound/cards 2>/dev/null && ! jack_lsp >/dev/null 2>&1; then
  echo "No sound card found: starting a JACK server with the dummy driver."
  jackd --no-realtime -d dummy -r 48000 -p 512 >/dev/null 2>&1 &
  jack_pid=$!
  sleep 1
fi

"$app" "$@"
