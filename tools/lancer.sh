#!/usr/bin/env bash
# Sets up, builds and starts Galvia on the bundled sample pictures.
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
bash "$racine/tools/dependances.sh"
cmake -S "$racine" -B "$racine/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DGALVIA_TESTS=OFF -DGALVIA_BENCH=OFF >/dev/null
cmake --build "$racine/build-release" -j"$(nproc)"
cd "$racine/samples"
exec "$racine/build-release/src/app/galvia"
