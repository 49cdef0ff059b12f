#!/usr/bin/env bash
# Builds Galvia's metafile fuzzer with clang and runs it for a fixed number of inputs,
# seeded with the project's generated metafiles and every past crash. Exits non-zero when
# an input crashes; the input is then left in <build>/crashes/ and belongs, once fixed,
# in tests/wmf/regressions/.
#   GALVIA_FUZZ_RUNS   number of inputs (default 200000)
#   GALVIA_FUZZ_BUILD  build directory (default build-fuzz at the top of the tree)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${GALVIA_FUZZ_BUILD:-$root/build-fuzz}"
runs="${GALVIA_FUZZ_RUNS:-200000}"

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >/dev/null
cmake --build "$build" -j2

seeds="$build/seeds"
corpus="$build/corpus"
crashes="$build/crashes"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$crashes"
ASAN_OPTIONS=detect_leaks=0 "$build/wmf/tools/galvia_wmf_samples" "$seeds" --seeds
shopt -s nullglob
for past in "$root"/tests/wmf/regressions/*.wmf; do
    cp "$past" "$seeds"/
done

# Qt keeps its font and glyph caches until exit: leak reports would be noise.
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
"$build/fuzz_wmf" -runs="$runs" -max_len=65536 -timeout=20 -rss_limit_mb=2560 \
    -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" "$seeds"
