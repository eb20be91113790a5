#!/usr/bin/env bash
# Installs what building and testing need and is not there yet, as Debian packages.
# Checks each tool first, so a machine that has everything installs nothing.
set -eu

need=()
have() { command -v "$1" >/dev/null 2>&1; }

have cmake || need+=(cmake)
have make || need+=(make)
have g++ || need+=(g++)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
have x86_64-w64-mingw32-windres || need+=(binutils-mingw-w64-x86-64)
have wine || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
have Xvfb || need+=(xvfb)
have xvfb-run || need+=(xvfb)
have xauth || need+=(xauth)
have import || need+=(imagemagick)
have python3 || need+=(python3)  # writes the release zip
have git || need+=(git)  # the release is dated from the last commit
have unzip || need+=(unzip)  # the release zip is checked as Linux users unpack it
have clang++ || need+=(clang)  # the fuzz targets: libFuzzer with its sanitizers
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
  need+=(libclang-rt-dev)

[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  have sudo || { echo "deps: need root or sudo to install: ${need[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q "${need[@]}"
