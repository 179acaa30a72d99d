#!/usr/bin/env bash
# Installs the Debian 12 packages Velmaris needs to build, run and test. Run as root (or with sudo).
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  ca-certificates cmake ninja-build g++ pkg-config clang-format \
  qt6-base-dev libturbojpeg0-dev libsqlite3-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  fonts-liberation2 fonts-dejavu-core locales-all \
  libx11-dev xvfb xauth openbox x11-utils xdotool imagemagick \
  poppler-utils dpkg-dev desktop-file-utils appstream lintian sqlite3 man-db clang-14 libclang-rt-14-dev \
  at-spi2-core dbus-daemon libglib2.0-bin python3 libreoffice-calc-nogui
