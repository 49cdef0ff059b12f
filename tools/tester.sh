#!/usr/bin/env bash
# Sets up, builds and runs Galvia's whole test suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then again on a Release build (the build users get, whose
# timing differs), each test given a bound so that one that hangs fails; checks the
# formatting and runs clang-tidy, then the decoder's fuzzer and the package build.
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
publication="$racine/build-rel"
cmake -S "$racine" -B "$publication" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DGALVIA_BENCH=OFF -DGALVIA_TEST_TIMEOUT=150 >/dev/null
cmake --build "$publication" -j"$(nproc)"
(cd "$publication" && ctest --output-on-failure -j"$(nproc)")
bash "$racine/fuzz/run.sh"
bash "$racine/tools/paquet.sh"
