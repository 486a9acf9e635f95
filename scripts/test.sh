#!/usr/bin/env bash
# Builds both presets and runs every test: natively, and the Windows programs
# under Wine with an Xvfb display of their own. Then `make dist` (the release
# preset, its smoke test, the packages), whose install test runs with the rest.
# Ends with ctest's summary.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

scripts/deps.sh
cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset win >/dev/null
cmake --build --preset win
scripts/wine-prefix.sh
scripts/dist.sh

# One ctest run over both builds and the packages, so the run ends with one
# summary line.
cat > build/CTestTestfile.cmake <<CTEST
subdirs("native" "win")
add_test(install_test "$ROOT/scripts/dist-test.sh")
CTEST

status=0
scripts/xvfb.sh ctest --test-dir build --output-on-failure --timeout 1200 "$@" || status=$?
# Let Wine's server end with the display still there.
WINEPREFIX="$ROOT/build/wineprefix" wineserver -k 2>/dev/null || true
exit $status
