#!/usr/bin/env bash
# Sets up, builds and runs Galvia's whole test suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, checks the formatting and runs clang-tidy, then the decoder's
# fuzzer and the package build.
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
bash "$racine/tools/dependances.sh" tests
bash "$racine/tools/format.sh"
construction="$racine/build-tests"
cmake -S "$racine" -B "$construction" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DGALVIA_SANITIZE=ON -DGALVIA_TESTS=ON -DGALVIA_BENCH=ON >/dev/null
cmake --build "$construction" -j"$(nproc)"
bash "$racine/tools/tidy.sh" "$construction"
export QT_QPA_PLATFORM=offscreen
(cd "$construction" && ctest --output-on-failure -j"$(nproc)")
bash "$racine/fuzz/run.sh"
bash "$racine/tools/paquet.sh"
