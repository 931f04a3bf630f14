#!/usr/bin/env bash
# How strong the tests are, as a figure: each fault of scripts/mutants.tsv is put, alone, into a git
# worktree of this commit of its own (build/mutants/tree, with build folders of its own, so only what a
# fault changes is rebuilt), the tests that cover it are run, and the fault is reported with the test that
# caught it, "survived", or "no longer applies" when its text is not found. Committed code only. With an
# argument, only the faults whose line contains it (a file name, say).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree="$root/build/mutants/tree"
logs="$root/build/mutants/logs"
export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"

rm -rf "$logs"
mkdir -p "$logs"
if [ ! -e "$tree/.git" ]; then
  git -C "$root" worktree add --detach "$tree" HEAD >/dev/null
else
  git -C "$tree" checkout -q --detach "$(git -C "$root" rev-parse HEAD)" && git -C "$tree" reset -q --hard
fi

build() {  # native or windows
  if [ "$1" = native ]; then
    cmake -S "$tree" -B "$tree/build/native" -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_SANITIZE=ON >/dev/null
  else
    cmake -S "$tree" -B "$tree/build/windows" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$tree/build/$1" -j2
}

# run_tests CHECK LOG: runs one "native:REGEX" or "windows:REGEX"; prints the names of the tests that failed.
run_tests() {
  local kind=${1%%:*} regex=${1#*:}
  if [ "$kind" = native ]; then
    (cd "$tree/build/native" && ctest -j2 -R "$regex") >>"$2" 2>&1
    sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p' "$2"
  else
    "$tree/scripts/test-windows.sh" -R "$regex" >>"$2" 2>&1
    sed -n 's/^Failed: //p' "$2"
  fi
}

number=0 caught=0 survived=0 stale=0
printf '%-3s %-34s %-60s %s\n' "" "file" "fault" "result"
tab=$'\t'
while IFS= read -r line; do
  case $line in '#'* | '') continue ;; esac
  [[ $line == *"${1:-}"* ]] || continue
  # Split by hand: read would merge the tabs around an empty replacement.
  file=${line%%"$tab"*} line=${line#*"$tab"}
  find=${line%%"$tab"*} line=${line#*"$tab"}
  replace=${line%%"$tab"*} checks=${line#*"$tab"}
  number=$((number + 1))
  log="$logs/$number.log"
  if ! python3 - "$tree/$file" "$find" "$replace" <<'PY'; then
import sys
path, find, replace = sys.argv[1:]
try:
    text = open(path).read()
except OSError:
    sys.exit(1)
if text.count(find) != 1:
    sys.exit(1)
open(path, "w").write(text.replace(find, replace))
PY
    result="no longer applies"
    stale=$((stale + 1))
  else
    failed=
    for check in $checks; do
      if ! build "${check%%:*}" >>"$log" 2>&1; then
        failed="the build"
        break
      fi
      failed=$(run_tests "$check" "$log" | awk 'NR == 1 { first = $0 } END { if (NR) print first (NR > 1 ? " and " NR - 1 " more" : "") }')
      [ -z "$failed" ] || break
    done
    git -C "$tree" checkout -q -- "$file"
    if [ "$failed" = "the build" ]; then
      # A fault the compiler refuses tells nothing of the tests: its line wants mending.
      result="does not build"
      stale=$((stale + 1))
    elif [ -n "$failed" ]; then
      result="caught by $failed"
      caught=$((caught + 1))
    else
      result="survived"
      survived=$((survived + 1))
    fi
  fi
  printf '%-3s %-34s %-60s %s\n' "$number" "$file" "${find:0:28} -> ${replace:0:28}" "$result"
done <"$root/scripts/mutants.tsv"
applied=$((caught + survived))
echo "score: $caught of $applied faults caught, $survived survived, $stale no longer apply or do not build" \
  "(logs: build/mutants/logs)"
