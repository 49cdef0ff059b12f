#!/usr/bin/env bash
# Sets up, builds and runs Galvia's whole test suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then again on a Release build (the build users get, whose
# timing differs), each test given a bound so that one that hangs fails; checks the
# formatting and runs clang-tidy, then the fuzzers and the package build.
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
# Each step says when it starts, in seconds since the start.
etape() { echo "== $1 (${SECONDS} s)"; }
bash "$racine/tools/dependances.sh" tests
etape formatting
bash "$racine/tools/format.sh"
etape "sanitizer build"
construction="$racine/build-tests"
cmake -S "$racine" -B "$construction" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DGALVIA_SANITIZE=ON -DGALVIA_TESTS=ON -DGALVIA_BENCH=ON >/dev/null
cmake --build "$construction" -j"$(nproc)"
etape clang-tidy
bash "$racine/tools/tidy.sh" "$construction"
export QT_QPA_PLATFORM=offscreen
etape "sanitizer tests"
(cd "$construction" && ctest --output-on-failure --no-tests=error -j"$(nproc)")
etape "Release build"
publication="$racine/build-rel"
cmake -S "$racine" -B "$publication" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DGALVIA_TESTS=ON -DGALVIA_BENCH=OFF -DGALVIA_TEST_TIMEOUT=150 >/dev/null
cmake --build "$publication" -j"$(nproc)"
etape "Release tests"
(cd "$publication" && ctest --output-on-failure --no-tests=error -j"$(nproc)")
etape fuzzers
bash "$racine/fuzz/run.sh"
etape package
bash "$racine/tools/paquet.sh"
etape done
