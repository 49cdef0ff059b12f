#!/usr/bin/env bash
# Sets up, builds and runs Galvia's whole test suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the decoder's fuzzer and the package build.
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
bash "$racine/tools/dependances.sh" tests
construction="$racine/build-tests"
cmake -S "$racine" -B "$construction" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DGALVIA_SANITIZE=ON -DGALVIA_BENCH=ON >/dev/null
cmake --build "$construction" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
(cd "$construction" && ctest --output-on-failure -j"$(nproc)")
if [ -f "$racine/fuzz/run.sh" ]; then
  bash "$racine/fuzz/run.sh"
fi
if [ -f "$racine/tools/paquet.sh" ]; then
  bash "$racine/tools/paquet.sh"
fi
