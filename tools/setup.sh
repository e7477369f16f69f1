#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only those
# that are missing, and says what it installs.  tools/run.sh and
# tools/test.sh call it first; on a machine that has everything it installs
# nothing and says so.
set -euo pipefail

# One package a line, so that additions merge cleanly.
packages=(
    build-essential
    cmake
    pkg-config
    juce-modules-source
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    libpng-dev
    libjpeg-dev
    zlib1g-dev
    libfreetype-dev
    libfontconfig1-dev
    libx11-dev
    libxrandr-dev
    libxinerama-dev
    libxcursor-dev
    libxext-dev
    libxcomposite-dev
    libasound2-dev
    libjack-jackd2-dev
    xvfb
    xauth
    x11-utils
    xdotool
    openbox
    ccache
    fonts-dejavu-core
    clang
    libclang-rt-dev
)

say() { echo "tools/setup.sh: $*"; }

if ! command -v dpkg-query >/dev/null 2>&1; then
    say "cannot tell what is installed: dpkg-query is missing (this is not a Debian system)."
    say "the build needs these Debian packages or their equivalents: ${packages[*]}"
    exit 1
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    say "all ${#packages[@]} packages are installed; nothing to install"
    exit 0
fi

if ! command -v apt-get >/dev/null 2>&1; then
    say "missing packages: ${missing[*]}"
    say "apt-get is not available to install them; install them by other means, then run this again."
    exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
    say "missing packages: ${missing[*]}"
    say "installing needs root: run  sudo apt-get install ${missing[*]}  then run this again."
    exit 1
fi

say "installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! apt-get update -qq || ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    say "installing failed (apt-get's message is above); install ${missing[*]} by hand, then run this again."
    exit 1
fi
say "installed ${#missing[@]} package(s)"
