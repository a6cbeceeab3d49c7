#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and benchmarks with.
# Idempotent: when everything is present it only asks dpkg and exits.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git clang libclang-rt-14-dev clang-format clang-tidy
  # core libraries
  libgif-dev libturbojpeg0-dev libjpeg62-turbo-dev libpng-dev libtiff-dev libimagequant-dev
  libswscale-dev libavutil-dev libcli11-dev libdeflate-dev libisal-dev zlib1g-dev
  # desktop program
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core fonts-liberation2
  # manual pages, icons and the Debian package
  help2man librsvg2-bin file dpkg-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev ffmpeg python3 python3-pil
  # checks of the installed files
  desktop-file-utils appstream man-db bash-completion
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then
    exec sudo "$0" "$@"
  fi
  echo "install-deps: missing packages (${missing[*]}); run as root" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
