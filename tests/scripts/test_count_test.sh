#!/usr/bin/env bash
# The test command's counting: with a fake ctest on PATH, every kind of
# failure shows in the last line and the exit status, and skips are counted.
set -uo pipefail
count_script="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/test-count.sh"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
failures=0

# Prints FAKE_OUT, then exits with FAKE_STATUS, or dies of SIGSEGV for "crash".
cat >"$dir/ctest" <<'EOF'
#!/usr/bin/env bash
printf '%b' "$FAKE_OUT"
[ "$FAKE_STATUS" = crash ] && kill -SEGV $$
exit "$FAKE_STATUS"
EOF
chmod +x "$dir/ctest"

# check NAME LAST_LINE STATUS MARK SCRIPT: runs SCRIPT after sourcing the
# counting, then finish_tests; MARK must show once in the output.
check() {
  local out status
  out="$(PATH="$dir:$PATH" RINGVOYAGE_NO_32BIT=1 bash -c \
    'set -euo pipefail; source "$1/host.sh"; source "$2"; eval "$3"; finish_tests' \
    _ "$(dirname "$count_script")" "$count_script" "$5" 2>&1)"
  status=$?
  local got
  got="$(tail -n 1 <<<"$out") / exit $status / $(grep -cF "$4" <<<"$out")"
  if [ "$got" = "$2 / exit $3 / 1" ]; then
    echo "ok: $1"
  else
    echo "FAIL: $1: '$got', expected '$2 / exit $3 / 1'"
    echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}

passing='100% tests passed, 0 tests failed out of 3\n\nThe following tests did not run:\n\t  2 - b (Skipped)\n\t  4 - d (Disabled)\n'
check "passes, skips by ctest and skipped steps" "tests: 2 passed, 0 failed, 4 skipped" 0 \
  "SKIP  test mingw: 2 tests need Wine:" \
  "FAKE_OUT='$passing' FAKE_STATUS=0 step 'test native' counted_ctest
   skip_tests 'test mingw' 'need Wine' e f"
check "failed tests" "tests: 3 passed, 2 failed, 0 skipped" 1 "FAIL  test native" \
  "FAKE_OUT='60% tests passed, 2 tests failed out of 5\n' FAKE_STATUS=8 step 'test native' counted_ctest || true"
# Outside a step, so that only the ctest counting can see it.
check "a ctest crash before its summary line" "tests: 0 passed, 1 failed, 0 skipped" 1 \
  "FAILED after" "FAKE_OUT='Test #1: a ...' FAKE_STATUS=crash counted_ctest || true"
check "a failed step that runs no test" "tests: 3 passed, 1 failed, 0 skipped" 1 \
  "FAIL  build mingw" \
  "FAKE_OUT='100% tests passed, 0 tests failed out of 3\n' FAKE_STATUS=0 step 'test native' counted_ctest
   step 'build mingw' false || true"
exit $((failures > 0))
