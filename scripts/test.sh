#!/usr/bin/env bash
# Configures, builds and tests every preset of CMakePresets.json: each
# configure preset is built, and each test preset is run with ctest.
# Installs what the machine lacks first (scripts/deps.sh).
#
# Prints ctest's own output, one line per preset, and last a line
# "N passed, N failed" over all presets. Exits non-zero when a configure,
# build or test failed.
#
# Usage: scripts/test.sh [PRESET...]   (default: every preset)
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

"$root/scripts/deps.sh" || { echo "test.sh: installing the packages failed" >&2; exit 1; }

logs=$root/build/test-logs
mkdir -p "$logs"

# "configure-preset test-preset-or-dash", one line per configure preset, in
# the file's order; new presets are picked up without editing this script.
read_presets() {
  python3 - "$@" <<'EOF'
import json, sys
with open("CMakePresets.json") as f:
    presets = json.load(f)
tests = {}
for test in presets.get("testPresets", []):
    tests.setdefault(test["configurePreset"], test["name"])
wanted = sys.argv[1:]
for configure in presets.get("configurePresets", []):
    name = configure["name"]
    if configure.get("hidden") or (wanted and name not in wanted):
        continue
    print(name, tests.get(name, "-"))
EOF
}

presets=$(read_presets "$@") || { echo "test.sh: cannot read CMakePresets.json" >&2; exit 1; }
[ -n "$presets" ] || { echo "test.sh: no such preset: $*" >&2; exit 2; }

passed=0
failed=0
status=0
report=()

# The list comes on fd 3: cmake, ctest and the tests leave it alone.
while read -r preset test_preset <&3; do
  printf '\n===== %s\n' "$preset"
  started=$SECONDS
  log=$logs/$preset-build.log
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j 2; } >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "test.sh: $preset did not build (full log: build/test-logs/$preset-build.log)"
    report+=("$preset: build FAILED ($((SECONDS - started)) s)")
    status=1
    continue
  fi
  echo "built (log: build/test-logs/$preset-build.log)"
  if [ "$test_preset" = - ]; then
    report+=("$preset: built, no tests ($((SECONDS - started)) s)")
    continue
  fi

  out=$logs/$preset-ctest.log
  ctest --preset "$test_preset" 2>&1 | tee "$out"
  ctest_status=${PIPESTATUS[0]}
  # "100% tests passed, 0 tests failed out of 12"
  summary=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$out" | tail -n 1)
  if [ -n "$summary" ]; then
    read -r bad _ _ _ _ total <<<"$summary"
    good=$((total - bad))
  else
    good=0
    bad=0
  fi
  passed=$((passed + good))
  failed=$((failed + bad))
  took="$((SECONDS - started)) s"
  if [ "$ctest_status" -ne 0 ]; then
    status=1
    report+=("$preset: $good passed, $bad failed, ctest exit $ctest_status ($took)")
  elif [ -z "$summary" ]; then
    report+=("$preset: no tests found ($took)")
  else
    report+=("$preset: $good passed, $bad failed ($took)")
  fi
done 3<<<"$presets"

printf '\n===== summary\n'
printf '%s\n' "${report[@]}"
echo "$passed passed, $failed failed"
exit "$status"
