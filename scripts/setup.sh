#!/usr/bin/env bash
# Installs every Debian package needed to build, test and run Rebondo.
# Idempotent: safe to run again on a machine that already has everything.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  juce-modules-source          # JUCE 7 modules, CMake config, juceaide, LV2 helper, VST3 SDK, box2d
  libjack-jackd2-dev jackd2    # standalone audio through JACK (dummy driver on machines without a sound card)
  libcurl4-openssl-dev         # HTTPS for the update check
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-utils x11-apps  # headless display for window tests; xwd for screenshots
  clang libclang-rt-14-dev     # libFuzzer and sanitizer runtimes
  jalv lv2-dev python3-jack-client  # end-to-end check in a real LV2 host
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${missing[*]}"
$SUDO apt-get update
$SUDO apt-get install -y "${packages[@]}"
