#!/usr/bin/env bash
# Cross-builds QRVPFuncs.dll for 64-bit Windows with MinGW-w64 and runs the
# test suite as Windows programs under Wine.  Installs the Debian packages it
# needs when they are missing.  Everything lands in build/windows (the Wine
# prefix too, in build/windows/wineprefix).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

packages=(cmake make g++-mingw-w64-x86-64-posix wine wine64 googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build="$root/build/windows"
mkdir -p "$build"
# The same settings as the build's test runner (the toolchain file's emulator).
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# One wineserver for the whole run: each test program then starts in a
# fraction of a second instead of booting Wine afresh.
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating the Wine prefix $WINEPREFIX"
  wine wineboot --init >/dev/null 2>&1
  wineserver -w
fi
wineserver -p 2>/dev/null || true  # (already running for this prefix: fine)
# Wine's own services start with the first program; start them here, away from
# the pipes through which the build and ctest read the test programs' output
# (a service holding such a pipe open would make every reader wait).
wine cmd /c exit </dev/null >/dev/null 2>&1

# The elementary functions' reference file: the Linux test checks its cases
# against MPFR and writes them; the Windows test, without MPFR, reads them.
cmake --preset dev >/dev/null
cmake --build --preset dev --target frame_elementary_test >/dev/null
rm -f "$build/elementary_reference.txt"
QRVP_ELEMENTARY_REFERENCE="$build/elementary_reference.txt" "$root/build/dev/tests/frame_elementary_test" >/dev/null ||
  { echo "FAILED: the elementary functions against MPFR (the reference file's run)"; exit 1; }

cmake --preset windows >/dev/null
cmake --build --preset windows || { echo "FAILED: the Windows build (MinGW-w64)"; exit 1; }
ctest --preset windows || { echo "FAILED: the Windows tests under Wine"; exit 1; }
