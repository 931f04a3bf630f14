#!/usr/bin/env bash
# The installer and the portable zip from the Windows build: build/dist/Tavrix98-Setup.exe and
# build/dist/Tavrix98.zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/windows"
dist="$root/build/dist"
mkdir -p "$dist"
makensis -V2 -DBUILD_DIR="$build" -DOUT_FILE="$dist/Tavrix98-Setup.exe" "$root/win/installer/Tavrix98.nsi"
files=("$build/TAVRIX.EXE" "$build/TAVRIXHK.DLL")
for doc in TAVRIX.HTM TAVRIX.DOC; do [ -f "$build/$doc" ] && files+=("$build/$doc"); done
rm -f "$dist/Tavrix98.zip"
zip -q -j "$dist/Tavrix98.zip" "${files[@]}"
echo "build/dist/Tavrix98-Setup.exe and build/dist/Tavrix98.zip"
