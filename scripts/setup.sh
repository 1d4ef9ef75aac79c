#!/usr/bin/env bash
# Installs the Debian packages Varkelo needs to build, run and test, only those missing.
# Run as root on Debian 12 (uses sudo when it is not root and sudo exists).
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libgl-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  # motion analysis (optical flow) for the swing's key positions
  libopencv-dev
  # playing the file preview through Qt Multimedia
  gstreamer1.0-libav gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  fonts-dejavu-core
)
if [[ "${1:-}" == "--test" ]]; then
  packages+=(
    # end-to-end runs under a real X server, screenshots, clipboard read-back
    xvfb xdotool x11-utils imagemagick xclip
    # reference decodes that the reader's pictures are compared with
    ffmpeg
    # fuzz targets and sanitizer runtimes; memcheck for writes inside FFmpeg
    clang libclang-rt-14-dev valgrind
    # the checkers of the installed desktop entry and metainfo
    desktop-file-utils appstream
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  as_root=()
  if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Run as root to install: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
  fi
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
