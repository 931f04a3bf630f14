#!/usr/bin/env bash
# Fuzzes every harness of tests/fuzz with libFuzzer (Debian's clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) for FUZZ_RUNS executions each (a million by default), starting from the seed
# corpus in the tree. Prints the executions and findings per harness; exits non-zero on any finding. An
# input that fails is kept in build/fuzz/findings/<harness>/: copy it into tests/fuzz/regressions/<harness>/
# so that make test replays it from then on. FUZZ_ONLY="a_fuzz b_fuzz" limits the run to those harnesses.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${FUZZ_RUNS:-1000000}
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build="$root/build/fuzz"
cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVRIX_FUZZ=ON -DTAVRIX_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

status=0
printf '%-20s %12s %9s\n' harness executions findings
for source in "$root"/tests/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  [ -z "${FUZZ_ONLY:-}" ] || [[ " $FUZZ_ONLY " == *" $name "* ]] || continue
  corpus="$build/corpus/$name" findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings"
  log="$build/$name.log"
  # stdout and stderr of the code under test are closed: tvxtool prints for every input.
  "$build/$name" -runs="$runs" -close_fd_mask=3 -artifact_prefix="$findings/" "$corpus" \
    "$root/tests/fuzz/corpus/$name" >"$log" 2>&1 || true
  executions=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo 0)
  found=$(find "$findings" -type f | wc -l)
  printf '%-20s %12s %9s\n' "$name" "$executions" "$found"
  if [ "$found" -ne 0 ] || [ "$executions" -lt "$runs" ]; then
    status=1
    tail -n 30 "$log"
  fi
done
exit $status
