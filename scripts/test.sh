#!/usr/bin/env bash
# Builds and runs every test: the native suite under AddressSanitizer and
# UndefinedBehaviorSanitizer with the integration tests on real peers
# (fsck.fat, mtools, QEMU), then the 32-bit Windows suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

ensure_packages cmake ninja-build g++ googletest nasm dosfstools mtools qemu-system-x86 \
  g++-mingw-w64-i686 wine wine32:i386

jobs=$(nproc)

echo "== native build (ASan, UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
echo "== native unit suite"
build/native/tests/ssdfwu_tests --gtest_brief=1
echo "== native integration suite (real peers)"
ctest --test-dir build/native --output-on-failure -j "$jobs" -LE unit

echo "== 32-bit Windows build"
cmake --preset mingw32 >/dev/null
cmake --build --preset mingw32 -j "$jobs"
echo "== 32-bit Windows suite under Wine"
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine build/mingw32/tests/ssdfwu_tests.exe --gtest_brief=1
