#!/usr/bin/env bash
# Installs the Debian 12 packages the editor needs to build, run and test.
# Quick when everything is already there: it only calls apt when a package is missing.
# With --slow-tests it also installs what only the slow tests use (Java and the
# Nu Html Checker from npm), which the ordinary set-up leaves out.
set -euo pipefail
slow=0
if [ "${1:-}" = "--slow-tests" ]; then slow=1; fi

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools
  qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin
  qt6-webchannel-dev
  libgumbo-dev
  libicu-dev
  libxcb1-dev
  libgl-dev
  fonts-dejavu-core fonts-liberation
  adwaita-icon-theme
  xauth
  poppler-utils
  desktop-file-utils appstream librsvg2-bin dpkg-dev file
  xvfb xdotool x11-utils
  # the screen-reader test: a session bus, the accessibility bus, its Python client
  dbus-daemon dbus-bin at-spi2-core python3-pyatspi
)
if [ "$slow" = 1 ]; then
  packages+=(default-jre-headless)
  # Node.js from elsewhere brings its own npm, which Debian's would clash with.
  if ! command -v npm > /dev/null; then packages+=(npm); fi
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Nu Html Checker, a pinned version, into npm's global folder.
vnu_version=26.9.27
if [ "$slow" = 1 ] && [ ! -f "$(npm root -g)/vnu-jar/build/dist/vnu.jar" ]; then
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  echo "Installing: vnu-jar@$vnu_version (npm)"
  $sudo_cmd npm install --global --no-audit --no-fund "vnu-jar@$vnu_version"
fi
