#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan) in build/fuzz and runs them.
#
#   bash scripts/fuzz.sh --short                 each target FUZZ_SECONDS (20) s over a copy of its corpus
#   bash scripts/fuzz.sh --long TARGET [RUNS] [JOBS]
#                                                one target for RUNS executions (10000000) in all,
#                                                shared out among JOBS processes (1) on one corpus
#   bash scripts/fuzz.sh --keep TARGET           the inputs of TARGET's long run that reach what
#                                                the seeds do not, into its kept corpus
#
# Targets: link_fuzzer (receive path and reply checks), xml_fuzzer (the XML
# reader through windows of every size), settings_fuzzer (LoadParams on
# arbitrary files). Each has two corpora in the repository, and every run
# starts from both: the seeds, tests/fuzz/corpus/<target without _fuzzer>
# (written by tests/fuzz/make_seeds.py), and the kept inputs,
# tests/fuzz/kept/<same name>: what long runs found that reaches features the
# seeds do not, cut down by libFuzzer's merge. Only --keep writes into the
# repository. A short run works on a copy in a temporary folder, removed
# afterwards; a long run keeps what it finds in
# build/fuzz/long/<target>/corpus, its log in build/fuzz/long/<target>/run.log
# (run.N.log for process N of several, which pick up each other's finds from
# the corpus as they go) and any finding (crash-*, timeout-*, leak-*) beside
# them. Exit status 1 when a target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
targets=(link_fuzzer xml_fuzzer settings_fuzzer)

build() {
  cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOTAREL_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build build/fuzz -j2 --target "$@"
}

seeds_of() { echo "tests/fuzz/corpus/${1%_fuzzer}"; }
kept_of() { echo "tests/fuzz/kept/${1%_fuzzer}"; }

# Copies a target's seeds and kept inputs into a run's corpus; -n leaves an
# input already there (a long run's own finds) as it is.
copy_corpus() {
  local target=$1 into=$2
  cp -n "$(seeds_of "$target")"/* "$into/"
  if [ -d "$(kept_of "$target")" ] && [ -n "$(ls -A "$(kept_of "$target")")" ]; then
    cp -n "$(kept_of "$target")"/* "$into/"
  fi
}

# The settings target writes its files under TMPDIR: shared memory where the
# machine has it, so that the saves' flushes to disk do not slow the run.
scratch_base() { if [ -d /dev/shm ] && [ -w /dev/shm ]; then echo /dev/shm; else echo "${TMPDIR:-/tmp}"; fi; }

run_short() {
  local seconds=${FUZZ_SECONDS:-20} work status=0
  build "${targets[@]}"
  work=$(mktemp -d "$(scratch_base)/notarel-fuzz.XXXXXX")
  # The folder's name goes into the trap now: the local is gone when it runs.
  # shellcheck disable=SC2064
  trap "rm -rf '$work'" EXIT
  for target in "${targets[@]}"; do
    mkdir -p "$work/$target/corpus" "$work/$target/tmp"
    copy_corpus "$target" "$work/$target/corpus"
    echo "== $target: ${seconds} s"
    if ! TMPDIR="$work/$target/tmp" "build/fuzz/tests/fuzz/$target" "$work/$target/corpus" \
        -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/$target/" >"$work/$target/log" 2>&1; then
      status=1
      echo "$target: finding; the end of its log:" >&2
      tail -n 60 "$work/$target/log" >&2
      for unit in "$work/$target"/crash-* "$work/$target"/timeout-* "$work/$target"/leak-* \
                  "$work/$target"/oom-*; do
        [ -e "$unit" ] && echo "$target: input (base64): $(base64 -w0 "$unit")" >&2
      done
    fi
    grep -aE '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|average_exec_per_sec)' \
      "$work/$target/log" || true
  done
  return $status
}

run_long() {
  local target=${1:?"--long needs a target: ${targets[*]}"} runs=${2:-10000000} jobs=${3:-1} dir
  local pids=() status=0 job log
  build "$target"
  dir=build/fuzz/long/$target
  mkdir -p "$dir/corpus" "$dir/tmp"
  copy_corpus "$target" "$dir/corpus"
  echo "== $target: $runs runs in $jobs process(es); log in $dir/run*.log"
  TMPDIR=$(mktemp -d "$(scratch_base)/notarel-fuzz.XXXXXX")
  trap 'rm -rf "$TMPDIR"' EXIT
  export TMPDIR
  for ((job = 1; job <= jobs; ++job)); do
    log=$dir/run.log
    [ "$jobs" -gt 1 ] && log=$dir/run.$job.log
    "build/fuzz/tests/fuzz/$target" "$dir/corpus" -runs=$((runs / jobs)) -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$dir/" >"$log" 2>&1 &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || status=1; done
  return $status
}

# libFuzzer's merge adds to its first folder, which starts with the seeds, each
# input of the others that reaches a feature not yet reached, and names it by
# the SHA-1 of its bytes. What it added, and no seed, becomes the kept corpus,
# so a kept input that the seeds or a better find have overtaken drops out.
run_keep() {
  local target=${1:?"--keep needs a target: ${targets[*]}"} long kept work name
  long=build/fuzz/long/$target/corpus
  kept=$(kept_of "$target")
  [ -d "$long" ] || { echo "fuzz: no long run of $target in $long" >&2; exit 2; }
  build "$target"
  work=$(mktemp -d "$(scratch_base)/notarel-fuzz.XXXXXX")
  # shellcheck disable=SC2064
  trap "rm -rf '$work'" EXIT
  mkdir -p "$work/merged" "$work/tmp" "$kept"
  cp "$(seeds_of "$target")"/* "$work/merged/"
  TMPDIR="$work/tmp" "build/fuzz/tests/fuzz/$target" -merge=1 -timeout=10 \
    "$work/merged" "$kept" "$long" >"$work/merge.log" 2>&1 ||
    { tail -n 40 "$work/merge.log" >&2; exit 1; }
  rm -f "$kept"/*
  for name in "$work/merged"/*; do
    [ -e "$(seeds_of "$target")/${name##*/}" ] || cp "$name" "$kept/"
  done
  grep -E '^MERGE-OUTER: [0-9]+ new files' "$work/merge.log" || true
  echo "$target: $(ls "$kept" | wc -l) kept inputs, $(find "$kept" -type f -exec cat {} + | wc -c) bytes, in $kept"
}

case "$mode" in
  --short) run_short ;;
  --long) shift; run_long "$@" ;;
  --keep) shift; run_keep "$@" ;;
  *) sed -n "2,23p" "$0" >&2; exit 2 ;;
esac
