#!/usr/bin/env bash
# The same seeded calls (tests/windows/cross_platform_calls.cpp, 200,000 by
# default) through the Linux library (release preset) and QRVPFuncs.dll under
# Wine (windows preset, as scripts/windows-test.sh builds it), every result
# compared bit for bit.  Fails on any difference.
#   scripts/cross-platform-check.sh [count]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
count="${1:-200000}"
cmake --preset release >/dev/null
cmake --build --preset release --target cross_platform_calls >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows --target cross_platform_calls >/dev/null

out="$root/build/cross-platform"
rm -rf "$out" && mkdir -p "$out/linux" "$out/windows"
# Each side in a directory of its own: failing calls append to the log file there.
(cd "$out/linux" && "$root/build/release/cross_platform_calls" "$count" >"$out/linux.txt")
export WINEPREFIX="$root/build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
dll_dir="$root/build/windows"
(cd "$out/windows" && wine "$dll_dir/cross_platform_calls.exe" "$count" </dev/null | tr -d '\r' >"$out/windows.txt")

calls=$(wc -l <"$out/linux.txt")
if [ "$calls" -ne "$count" ] || [ "$(wc -l <"$out/windows.txt")" -ne "$count" ]; then
  echo "FAILED: expected $count lines from each side (Linux $calls, Windows $(wc -l <"$out/windows.txt"))"; exit 1
fi
differences=$(diff "$out/linux.txt" "$out/windows.txt" | grep -c '^<' || true)
echo "cross-platform check: $differences of $count calls differ between the Linux library and the DLL"
[ "$differences" -eq 0 ] || { diff "$out/linux.txt" "$out/windows.txt" | head -20; exit 1; }
