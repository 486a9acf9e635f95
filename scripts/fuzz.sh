#!/usr/bin/env bash
# `make fuzz`: every fuzz target with libFuzzer for FUZZ_SECONDS (default 300)
# each, growing its corpus in tests/fuzz/corpus/<target>. `make test` replays it.
# Then the store's model-based test as long, on a random seed.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
SECONDS_EACH="${FUZZ_SECONDS:-300}"

scripts/deps.sh
cmake --preset fuzz >/dev/null
targets=$(cd tests/fuzz && ls *_fuzz.cpp | sed 's/\.cpp$//')
# shellcheck disable=SC2086
cmake --build --preset fuzz --target $targets
for t in $targets; do
  mkdir -p "tests/fuzz/corpus/$t"
  echo "== $t: $SECONDS_EACH s =="
  "build/fuzz/tests/$t" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
    -max_len=4096 "tests/fuzz/corpus/$t"
done

# The store's model-based test (tests/unit/PaperCatalogRegistryTest.cpp) for as long
# again, with a seed of its own; a failure names the seed and the case.
cmake --preset native >/dev/null
cmake --build --preset native --target unit_tests
seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
echo "== store model: $SECONDS_EACH s, seed $seed =="
QUANDREL_STORE_MODEL_SECONDS="$SECONDS_EACH" QUANDREL_STORE_MODEL_SEED="$seed" \
  build/native/tests/unit_tests --gtest_filter='RegistryStoreFailureTest.ModelOf*'
