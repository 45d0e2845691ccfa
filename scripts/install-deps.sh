#!/usr/bin/env bash
# Installs everything a fresh machine needs to build and test the project.
# Idempotent: packages already present are left alone. apt is retried because
# the package mirror sometimes answers "mirror sync in progress".
set -euo pipefail

# One clang (14) for the compiler, its sanitizer runtime and clang-format;
# CMakePresets.json names clang-14 / clang++-14 (the package clang-14 carries
# both).
packages=(
  build-essential cmake ninja-build python3 pkg-config git
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-14 libclang-rt-14-dev clang-format-14 lld-14 llvm-14
  mingw-w64 mingw-w64-tools g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 libwine-dev
  libcurl4-openssl-dev libmicrohttpd-dev squid apache2-utils openssl ca-certificates
  libboost1.81-dev libssl-dev nlohmann-json3-dev
)

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

retry() {
  local n=0
  until "$@"; do
    n=$((n + 1))
    if [ "$n" -ge 8 ]; then
      echo "giving up after $n attempts: $*" >&2
      return 1
    fi
    echo "attempt $n failed, retrying in $((n * 10)) s: $*" >&2
    sleep $((n * 10))
  done
}

if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  retry $SUDO apt-get update
  retry $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
else
  echo "all packages present"
fi

# squid's package may start a system-wide proxy; tests start their own,
# unprivileged, on a free port.
if command -v systemctl >/dev/null 2>&1; then
  $SUDO systemctl disable --now squid >/dev/null 2>&1 || true
fi
