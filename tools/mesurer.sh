#!/usr/bin/env bash
# Builds Galvia in Release with its benchmarks and runs them, each printing Galvia's time,
# its reference's time measured in the same run, and the ratio against its target. Run it
# on a machine at rest: the ratios are only worth what the load lets them be.
# Usage: tools/mesurer.sh [benchmark...]   (default: every bench_* program)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/dependances.sh mesures
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DGALVIA_BENCH=ON >/dev/null
cmake --build build-rel -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
noms=("$@")
if [ ${#noms[@]} -eq 0 ]; then
  mapfile -t noms < <(find build-rel/bench -type f -name 'bench_*' -perm -u+x -printf '%f\n' | sort)
fi
for nom in "${noms[@]}"; do
  programme=$(find build-rel/bench -type f -name "$nom" -perm -u+x | head -n 1)
  [ -n "$programme" ] || { echo "pas de mesure nommée $nom" >&2; exit 1; }
  echo "== $nom"
  "$programme"
done
