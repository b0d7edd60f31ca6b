#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it in its working directory, passing
# the arguments on (bash scripts/play.sh --replay FILE). An argument naming an existing file
# is made absolute first, as the game runs in game/ and not where this was called.
set -euo pipefail
arguments=()
for argument in "$@"; do
  if [ -e "$argument" ]; then arguments+=("$(realpath "$argument")"); else arguments+=("$argument"); fi
done
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVX_BUILD_TESTS=OFF -DVX_BUILD_BENCHMARKS=OFF
cmake --build build -j"$(nproc)"
cd game
if [ -x ../build/bin/veltrix3d ]; then
  exec ../build/bin/veltrix3d "${arguments[@]}"
fi
echo "play.sh: the game window is not built yet; running a computer-against-computer match instead"
exec ../build/bin/veltrix-arena --games 10
