#!/usr/bin/env bash
# Installs what is missing, cross-builds Tessaro for 32-bit and 64-bit Windows with mingw-w64
# (build-win32/, build-win64/, executables in bin/), runs the Windows tests under wine (wine for
# 32-bit, wine64 for 64-bit), uploads from a path with Korean folder names through
# tessaro-cli.exe to the Linux stand-in camera, drives the native dialog under Xvfb
# (scripts/windows-dialog.sh) and writes dist/tessaro-<version>-win32.zip and -win64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows

export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$PWD/build-wine}
mkdir -p dist

for target in win32 win64; do
  if [ "$target" = win32 ]; then arch=i686 wine=wine; else arch=x86_64 wine=/usr/lib/wine/wine64; fi
  echo "== Windows $target: build"
  cmake -S . -B "build-$target" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-$arch.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" -DCMAKE_BUILD_TYPE=Release \
    -DTESSARO_BUILD_TESTS=ON >/dev/null
  cmake --build "build-$target" -j"$(nproc)"
  echo "== Windows $target: tests under $(basename "$wine")"
  ctest --test-dir "build-$target" --output-on-failure
  (cd "build-$target" && cpack -B "$PWD/../dist" >/dev/null)
  rm -rf dist/_CPack_Packages
done

# ---- tessaro-cli.exe to the stand-in camera, from folders named in Korean ----
[ -x build/bin/tessaro-camsim ] || { scripts/install-deps.sh; scripts/build.sh -DTESSARO_BUILD_TESTS=OFF; }
work=build-wine-e2e
rm -rf "$work"
folder="$PWD/$work/펌웨어/R7Z42WRS_카메라"
mkdir -p "$folder"
sample="$folder/이미지.bin"
head -c 300000 /dev/urandom >"$sample"
expected_sha=$(sha256sum "$sample" | cut -d' ' -f1)
windows_path="Z:${sample//\//\\}"

status=0
for target in win32 win64; do
  if [ "$target" = win32 ]; then wine=wine; else wine=/usr/lib/wine/wine64; fi
  log="$work/camsim-$target.log"
  build/bin/tessaro-camsim --port 0 --connections 1 --idle-timeout 20000 >"$log" 2>&1 &
  camsim=$!
  until grep -q -e listening -e 'cannot listen' "$log"; do sleep 0.1; done
  port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$log")
  cli_status=0
  "$wine" "build-$target/bin/tessaro-cli.exe" --ip 127.0.0.1 --port "$port" --channel 10 \
    --expect-sha256 "$expected_sha" \
    "$windows_path" 2>"$work/cli-$target.err" || cli_status=$?
  # The stand-in ends after its one connection; give up on it after 30 s.
  for _ in $(seq 300); do kill -0 "$camsim" 2>/dev/null || break; sleep 0.1; done
  kill "$camsim" 2>/dev/null || true
  wait "$camsim" 2>/dev/null || true
  if [ "$cli_status" -eq 0 ] && grep -q "file sha256:    $expected_sha" "$log" &&
    grep -q "frame:          complete$" "$log" && grep -q "channel byte:   0x10" "$log" &&
    grep -q "model code:     3" "$log" && grep -q "length field:   300002" "$log"; then
    echo "$target tessaro-cli.exe: byte-exact frame from a Korean path"
  else
    echo "$target tessaro-cli.exe: FAILED (exit $cli_status)"
    cat "$work/cli-$target.err" "$log"
    status=1
  fi
done

scripts/windows-dialog.sh || status=1
ls -l dist/*.zip
exit "$status"
