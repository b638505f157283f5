#!/usr/bin/env bash
# Builds ssdfwu-cli and runs the main job on an embedded default: an
# emulated USB disk (a 256 MiB image file behind an ATA-family bridge)
# prepared from the demo folder, which holds the project's test KERNEL.SYS.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

ensure_packages cmake ninja-build g++ nasm mtools

cmake --preset app >/dev/null
cmake --build --preset app -j "$(nproc)" >/dev/null

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp -r demo/files "$demo/files"
cp build/app/tests/kernel/KERNEL.SYS "$demo/files/KERNEL.SYS"
image="$demo/usbdisk.img"
truncate -s 256M "$image"
disk="$image,bridge=q413,vendor=Demo,product=USB SSD,model=DEMO SSD 256,serial=DEMO0001"

cli=build/app/src/ssdfwu-cli
echo "\$ ssdfwu-cli --attach $image,... list"
"$cli" --attach "$disk" list
echo "\$ ssdfwu-cli --attach $image,... prepare 0 --yes --from $demo/files"
"$cli" --attach "$disk" prepare 0 --yes --from "$demo/files"
echo
echo "The prepared disk is $image. Boot it (Debian package qemu-system-x86):"
echo "  qemu-system-i386 -drive file=$image,format=raw"
