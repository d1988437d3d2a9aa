#!/usr/bin/env bash
# Installs the Debian packages the build, the programs and the tests need, when they are missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
    qt6-qpa-plugins libgl-dev
    fonts-noto-cjk fonts-dejavu-core
    # Tests that need real window activation: their own X server and window manager.
    xvfb openbox x11-utils
    # The Debian package: dependencies (dpkg-shlibdeps, file) and the desktop entries' check.
    dpkg-dev file desktop-file-utils
    # scripts/fuzz.sh: clang, its libFuzzer and sanitizer runtimes, the symbolizer for reports
    clang-14 libclang-rt-14-dev llvm-14
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
