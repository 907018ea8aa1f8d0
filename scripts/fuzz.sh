#!/usr/bin/env bash
# Fuzzes every reader of outside input: installs what is missing (clang and
# its libFuzzer runtime), builds the targets of fuzz/ with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/, and runs
# each for the given seconds (default 60) on a copy of its seed corpus.
# New inputs and any crash files stay in build-fuzz/; the repository's
# corpora are never written. Exits non-zero when any target failed.
#
#   scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift || true

scripts/deps.sh clang
clang_major=$(clang++ -dumpversion | cut -d. -f1)
scripts/deps.sh "libclang-rt-${clang_major}-dev"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DTZC3_SANITIZE=ON -DTZC3_FUZZ=ON -DTZC3_TESTS=OFF \
  "${launcher[@]}" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for d in fuzz/corpus/*/; do targets+=("$(basename "$d")"); done
fi
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
# The targets write their files to a scratch folder at every execution; in
# memory that is several times faster than on disk.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
export TZC3_SETTINGS="$root/build-fuzz/fuzz-settings.ini"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=()
summary=()
for t in "${targets[@]}"; do
  work="build-fuzz/run/$t"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp fuzz/corpus/"$t"/* "$work/corpus/"
  dict=()
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  echo "== $t: $seconds s"
  status=0
  build-fuzz/fuzz/fuzz_"$t" "$work/corpus" "${dict[@]}" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" > "$work/log" 2>&1 || status=$?
  last=$(grep -E '^#[0-9]+' "$work/log" | tail -1 || true)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
  cov=$(sed -E -n 's/.* cov: ([0-9]+) .*/\1/p' <<<"$last")
  ft=$(sed -E -n 's/.* ft: ([0-9]+) .*/\1/p' <<<"$last")
  if [ "$status" -eq 0 ]; then
    summary+=("$(printf '%-10s %10s execs  cov: %-6s ft: %-6s clean' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}")")
  else
    failed+=("$t")
    summary+=("$(printf '%-10s %10s execs  FAILED, see %s/log and %s/artifacts' "$t" "${execs:-?}" "$work" "$work")")
    grep -E 'ERROR|runtime error|broken promise|SUMMARY' "$work/log" | head -5 | sed 's/^/   /'
  fi
done

echo
echo "Fuzzing, $seconds s per target:"
printf '  %s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed: ${failed[*]}"
  exit 1
fi
