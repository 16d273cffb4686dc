#!/usr/bin/env bash
# Sets up, builds and starts velvane on a fresh copy of the sample device.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target velvane
rm -rf run/device
mkdir -p run
cp -r samples/device run/device
export CE_ROOT="$PWD/run/device"
echo "Device tree: $CE_ROOT"
exec build/velvane/velvane
