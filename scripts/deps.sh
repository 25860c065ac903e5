#!/usr/bin/env bash
# Installs the Debian packages brisklet needs to build, run, test and package, skipping those already
# there.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
          libicu-dev libxcb1-dev libxcb-ewmh-dev
          libgtest-dev libbenchmark-dev xvfb util-linux
          pkexec libxml2-utils dbus-daemon dbus-bin
          clang libclang-rt-dev
          dpkg-dev lintian desktop-file-utils appstream python3 file)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
