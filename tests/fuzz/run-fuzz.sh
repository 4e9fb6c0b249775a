#!/usr/bin/env bash
# Fuzzes the archive reader for SECONDS, starting from fresh seed archives and the kept
# regressions, then the reader of requests to the elevated copy for half as long, starting from
# its seeds. Exits non-zero on any crash, leak, timeout, out-of-memory or sanitizer report.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

usage() {
  echo "usage: $0 BUILD_DIR RURODATOOL SECONDS" >&2
  exit 2
}

# Corpus directories: new inputs go to the first only, so the kept regressions stay untouched.
corpus_dirs() {
  local seeds=$1
  echo "$seeds"
  if compgen -G "$here/regressions/*" >/dev/null; then
    echo "$here/regressions"
  fi
}

report_artifacts() {
  local artifacts=$1
  local found
  found=$(find "$artifacts" -type f)
  if [[ -n $found ]]; then
    echo "fuzzer artifacts (rerun one with the fuzzer and the FILE):" >&2
    echo "$found" >&2
  fi
}

fuzz() {
  local fuzzer=$1 seconds=$2 artifacts=$3
  shift 3
  # A block may decode to 2 GiB. Inputs of at most 4 KiB inflate to about 4 MiB an entry
  # (DEFLATE expands at most about 1032:1); the memory limits turn anything beyond that
  # into an out-of-memory report instead of letting it take the machine's memory.
  UBSAN_OPTIONS=print_stacktrace=1 "$fuzzer" \
    -max_total_time="$seconds" \
    -max_len=4096 \
    -rss_limit_mb=2048 \
    -malloc_limit_mb=2048 \
    -timeout=25 \
    -detect_leaks=1 \
    -print_final_stats=1 \
    -artifact_prefix="$artifacts/" \
    "$@"
}

main() {
  [[ $# -eq 3 ]] || usage
  local fuzzer=$1/bin/archive_fuzz tool=$2 seconds=$3
  [[ -x $fuzzer ]] || { echo "no archive_fuzz in $1/bin" >&2; exit 2; }
  [[ -x $tool ]] || { echo "not a program: $tool" >&2; exit 2; }

  local run
  run=$(mktemp -d "${TMPDIR:-/tmp}/archive-fuzz.XXXXXX")
  mkdir "$run/artifacts"
  "$here/make-corpus.sh" "$run/corpus" "$tool"
  echo "corpus: $run/corpus, artifacts: $run/artifacts" >&2

  local dirs status=0
  mapfile -t dirs < <(corpus_dirs "$run/corpus")
  fuzz "$fuzzer" "$seconds" "$run/artifacts" "${dirs[@]}" || status=$?

  finish archive_fuzz "$seconds" "$run" "$status" || return
  fuzz_requests "$1/bin/request_fuzz" $((seconds / 2 + 1))
}

# Tells how a fuzzer's run ended; keeps its corpus and artifacts only when it failed.
finish() {
  local name=$1 seconds=$2 run=$3 status=$4
  report_artifacts "$run/artifacts"
  if ((status != 0)); then
    echo "$name failed with status $status; corpus and artifacts kept in $run" >&2
  else
    echo "$name found nothing in $seconds s" >&2
    rm -rf "$run"
  fi
  return "$status"
}

fuzz_requests() {
  local fuzzer=$1 seconds=$2 run status=0
  [[ -x $fuzzer ]] || { echo "no request_fuzz beside archive_fuzz" >&2; exit 2; }
  run=$(mktemp -d "${TMPDIR:-/tmp}/request-fuzz.XXXXXX")
  mkdir "$run/artifacts" "$run/corpus"
  cp "$here"/request-seeds/* "$run/corpus/"
  fuzz "$fuzzer" "$seconds" "$run/artifacts" "$run/corpus" || status=$?
  finish request_fuzz "$seconds" "$run" "$status"
}

main "$@"
