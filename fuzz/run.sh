#!/usr/bin/env bash
# Builds Galvia's fuzzers with clang and runs them, the metafile one in two parts, seeded
# with the project's generated metafiles and every past crash:
#  - many small inputs (up to 64 KiB), where most of the decoder's branches are;
#  - a share of large inputs (up to 4 MiB), seeded with the hostile metafiles, that reach the
#    work budget: long polygons, floods of records, big bitmaps;
# then the picture one for a short while, seeded with the hostile pictures (scan bombs,
# GIFs and jpegs read to the end of their format) and a few ordinary ones, and the colour
# profile one, seeded with the profile-bearing files of fuzz/graines-couleurs.
# Exits non-zero when an input crashes or times out; the input is then left in
# <build>/crashes/ and belongs, once fixed, in tests/wmf/regressions/.
#   GALVIA_FUZZ_RUNS        number of small inputs (default 150000)
#   GALVIA_FUZZ_LARGE_RUNS  number of large inputs (default 1000)
#   GALVIA_FUZZ_IMAGE_TIME  seconds of the picture fuzzer (default 15)
#   GALVIA_FUZZ_COLOUR_RUNS number of inputs of the colour fuzzer (default 5000: each new
#                           profile builds its transform, a few thousand inputs a minute)
#   GALVIA_FUZZ_BUILD       build directory (default build-fuzz at the top of the tree)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${GALVIA_FUZZ_BUILD:-$root/build-fuzz}"
runs="${GALVIA_FUZZ_RUNS:-150000}"
large_runs="${GALVIA_FUZZ_LARGE_RUNS:-1000}"
colour_runs="${GALVIA_FUZZ_COLOUR_RUNS:-5000}"
large_len=$((4 << 20))
image_time="${GALVIA_FUZZ_IMAGE_TIME:-15}"

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >/dev/null
cmake --build "$build" -j2

seeds="$build/seeds"
large_seeds="$build/large-seeds"
corpus="$build/corpus"
large_corpus="$build/large-corpus"
crashes="$build/crashes"
image_seeds="$build/image-seeds"
image_corpus="$build/image-corpus"
rm -rf "$seeds" "$large_seeds" "$image_seeds"
mkdir -p "$seeds" "$large_seeds" "$corpus" "$large_corpus" "$crashes" "$image_seeds" \
    "$image_corpus"
ASAN_OPTIONS=detect_leaks=0 "$build/wmf/tools/galvia_wmf_samples" "$seeds" --seeds
ASAN_OPTIONS=detect_leaks=0 "$build/wmf/tools/galvia_wmf_samples" "$large_seeds" \
    --hostile "$large_len"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$build/galvia_image_seeds" "$image_seeds"
shopt -s nullglob
for past in "$root"/tests/wmf/regressions/*.wmf; do
    cp "$past" "$seeds"/
    cp "$past" "$large_seeds"/
done

# Qt keeps its font and glyph caches until exit: leak reports would be noise. A large input
# must be answered well within the timeout: the budget bounds each picture to about a second.
# Mutations of the large inputs keep their length (no slow growth from short ones).
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
common=(-timeout=20 -rss_limit_mb=2560 -detect_leaks=0 -print_final_stats=1
    -artifact_prefix="$crashes/")
"$build/fuzz_wmf" "${common[@]}" -runs="$runs" -max_len=65536 "$corpus" "$seeds"
"$build/fuzz_wmf" "${common[@]}" -runs="$large_runs" -max_len="$large_len" -len_control=0 \
    "$large_corpus" "$large_seeds"
"$build/fuzz_images" "${common[@]}" -max_total_time="$image_time" -max_len=65536 \
    "$image_corpus" "$image_seeds"

# Colour profiles: what a picture file declares, and the conversions it leads to.
graines="$build/graines-couleurs"
rm -rf "$graines"
mkdir -p "$graines" "$build/corpus-couleurs"
cp "$here"/graines-couleurs/* "$graines"/
"$build/fuzz_couleurs" "${common[@]}" -runs="$colour_runs" -max_len=65536 "$build/corpus-couleurs" \
    "$graines"
