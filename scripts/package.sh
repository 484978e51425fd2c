#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-package/, then CPack.
# Prints the path of the .deb it made.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=build-package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPETRI_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
# The package is made from a fresh staging tree, so no earlier .deb is reused.
rm -f "$build"/petrinets_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$PWD/$build"/petrinets_*.deb)
echo "$deb"
