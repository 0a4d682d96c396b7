# Sourced by scripts/test.sh: runs its steps, counts the tests and prints the
# summary whose last line is "tests: N passed, N failed, N skipped". Anything
# that fails shows in that line and in the exit status of finish_tests: a
# failed test, a ctest that ends without its summary line, and a failed step
# that ran no counted test (a build, a setup) each count as one failure.
# Needs scripts/host.sh for the host line.

results=()
failed=0
passed_tests=0
failed_tests=0
skipped_tests=0

# Runs one step, records its outcome and keeps going, so that the summary
# covers every build even when one fails.
step() {
  local name="$1"
  shift
  local start=$SECONDS before=$failed_tests
  echo
  echo "=== $name"
  if "$@"; then
    results+=("PASS  $name ($((SECONDS - start)) s)")
    return 0
  fi
  results+=("FAIL  $name ($((SECONDS - start)) s)")
  failed=1
  if [ "$failed_tests" -eq "$before" ]; then
    failed_tests=$((failed_tests + 1))
  fi
  return 1
}

# ctest with its output kept for the totals. ctest counts a skipped test
# among the passed ones and leaves disabled ones out: both are counted here
# as skipped.
counted_ctest() {
  local status=0 log
  log="$(mktemp)"
  ctest "$@" 2>&1 | tee "$log" || status=$?
  local line
  line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)"
  if [ -n "$line" ]; then
    local total failures skipped disabled
    failures="$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")"
    total="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")"
    skipped="$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$log" || true)"
    disabled="$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Disabled\)$' "$log" || true)"
    passed_tests=$((passed_tests + total - failures - skipped))
    failed_tests=$((failed_tests + failures))
    skipped_tests=$((skipped_tests + skipped + disabled))
  elif [ "$status" -ne 0 ]; then
    failed_tests=$((failed_tests + 1))
  fi
  rm -f "$log"
  return "$status"
}

# Records tests that were not run: skip_tests STEP REASON NAME...
skip_tests() {
  local name="$1" reason="$2"
  shift 2
  skipped_tests=$((skipped_tests + $#))
  results+=("SKIP  $name: $# tests $reason:")
  results+=("        $*")
}

summary() {
  echo
  echo "=== Summary"
  echo "  $(ringvoyage_describe_host)"
  printf '  %s\n' "${results[@]}"
  if [ "$failed" -eq 0 ] && [ "$failed_tests" -eq 0 ]; then
    echo "  all steps passed in $SECONDS s"
  else
    echo "  FAILED after $SECONDS s"
  fi
  echo "tests: $passed_tests passed, $failed_tests failed, $skipped_tests skipped"
}

# Prints the summary and exits: 1 if anything failed, else 0.
finish_tests() {
  summary
  if [ "$failed" -ne 0 ] || [ "$failed_tests" -ne 0 ]; then
    exit 1
  fi
  exit 0
}
