#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, AddressSanitizer, UBSan) into
# <build root>/fuzz and runs every one of them in turn.
# Usage: scripts/fuzz.sh [seconds-per-target] [--smoke] [--only NAME]
#   seconds-per-target  how long each target runs (default 60)
#   --smoke       the short check of scripts/test.sh: every target for a few seconds over its
#                 seeds only, two minutes in all at most; one "fuzz smoke: NAME passed|failed"
#                 line per target
#   --only NAME   only the targets whose name contains NAME
# Seeds are written at run time by the test fixture writers (fuzz_seeds) and taken from
# ../shared/realdata when it is there. Each target's corpus grows in <build root>/fuzz/corpus/
# across runs; an input that crashes, leaks or hangs is kept in <build root>/fuzz/artifacts/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ORVALIS_BUILD_ROOT:-$root/build}
dir=$build_root/fuzz
jobs=${ORVALIS_JOBS:-$(nproc)}
seconds=60
smoke=0
only=""
while [ $# -gt 0 ]; do
  case $1 in
    --smoke) smoke=1 ;;
    --only) only=${2:-}; shift ;;
    [0-9]*) seconds=$1 ;;
    *) echo "usage: $0 [seconds-per-target] [--smoke] [--only NAME]" >&2; exit 2 ;;
  esac
  shift
done

echo "== building the fuzz targets in $dir"
mkdir -p "$dir"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root/fuzz" -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; echo "fuzz build failed"; exit 1; }
fi
cmake --build "$dir" -j "$jobs" || { echo "fuzz build failed"; exit 1; }

# The largest input of a target, in KiB: the viewer's target also takes the one sample file
# of several MiB (a version-2 table of 76 blocks).
max_kib() {
  case $1 in
    omf_viewer_*) echo 4096 ;;
    *) echo 1024 ;;
  esac
}

targets=()
for bin in "$dir"/bin/*_fuzzer; do
  [ -x "$bin" ] || continue
  name=$(basename "$bin")
  [ -n "$only" ] && [[ $name != *"$only"* ]] && continue
  targets+=("$name")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets"
  exit 1
fi

# Seeds: rewritten on every run, so that they follow the fixture writers.
rm -rf "$dir/seeds"
"$dir/bin/fuzz_seeds" "$dir/seeds" || { echo "fuzz_seeds failed"; exit 1; }
realdata=$root/../shared/realdata
if [ -d "$realdata" ]; then
  for name in "${targets[@]}"; do
    # Targets whose input is a whole file take the sample files of its kind.
    case $name in
      pmr_*) patterns=(-iname '*.pmr') ;;
      media_file_* | omf_viewer_* | dictionary_*)
        patterns=(-iname '*.omf' -o -iname '*.mdb' -o -iname '*.wav' -o -iname '*.aif') ;;
      *) continue ;;
    esac
    mkdir -p "$dir/seeds/$name"
    # Inputs above the target's largest input (max_len below) would be cut short by
    # libFuzzer, and the label lies at the end.
    find "$realdata" -type f \( "${patterns[@]}" \) -size -"$(max_kib "$name")"k -print0 |
      while IFS= read -r -d '' f; do
        cp "$f" "$dir/seeds/$name/realdata-$(basename "$(dirname "$f")")-$(basename "$f")"
      done
  done
fi

if [ $smoke = 1 ]; then
  seconds=$((100 / ${#targets[@]}))
  [ $seconds -gt 10 ] && seconds=10
  [ $seconds -lt 2 ] && seconds=2
fi

# The source files each target is aimed at, as a pattern of paths.
code_under_test() {
  case $1 in
    pmr_*) echo 'src/formats/' ;;
    format_text_*) echo 'src/inspection/media_info_text' ;;
    audio_header_*) echo 'src/inspection/audio_headers' ;;
    media_file_*) echo 'src/inspection/(media_file_parser|bento_reader|omf_descriptors|audio_headers)|src/formats/buffered' ;;
    omf_viewer_*) echo 'src/inspection/(structure_view|structure_tree|name_dictionary|toc_stream)' ;;
    dictionary_*) echo 'src/inspection/(name_dictionary|dictionary_dump)' ;;
  esac
}

status=0
summary=()
for name in "${targets[@]}"; do
  mkdir -p "$dir/seeds/$name" "$dir/artifacts/$name" "$dir/logs"
  if [ $smoke = 1 ]; then
    corpus=$dir/smoke/$name
    rm -rf "$corpus"
  else
    corpus=$dir/corpus/$name
  fi
  mkdir -p "$corpus"
  # A target's own dictionary, else the one of its kind of input.
  dict=()
  case $name in
    media_file_* | omf_viewer_* | dictionary_*) dict=(-dict="$root/fuzz/bento.dict") ;;
  esac
  [ -f "$root/fuzz/${name}.dict" ] && dict=(-dict="$root/fuzz/${name}.dict")
  limit=()
  [ "$(max_kib "$name")" != 1024 ] && limit=(-max_len=$(($(max_kib "$name") * 1024)))
  log=$dir/logs/$name.log
  echo "== $name: ${seconds}s"
  # The outer time-out only guards against a run that never reaches libFuzzer's own clock.
  timeout --kill-after=10 $((seconds + 60)) "$dir/bin/$name" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/artifacts/$name/" "${dict[@]}" "${limit[@]}" \
    "$corpus" "$dir/seeds/$name" </dev/null >"$log" 2>&1
  rc=$?
  edges=$(sed -n 's/.*Loaded [0-9]* modules *(\([0-9]*\) inline 8-bit counters).*/\1/p' "$log" | head -1)
  last=$(grep -E '^#[0-9]+' "$log" | grep 'cov:' | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' <<<"$last")
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  line=$(printf '%-26s runs %-10s exec/s %-7s cov %s/%s ft %s corpus %s' "$name" "${runs:-?}" \
    "${rate:-?}" "${cov:-?}" "${edges:-?}" "${ft:-?}" "${corp:-?}")
  # Coverage of the code the target is aimed at: the edges of its source files that the
  # corpus reaches (the totals include the sanitizers' checks, which never fire).
  if [ $smoke = 0 ] && [ -n "$(code_under_test "$name")" ]; then
    covered=$("$dir/bin/$name" -runs=0 -print_coverage=1 "$corpus" </dev/null 2>&1 |
      awk -v files="$(code_under_test "$name")" '
        /^(UN)?COVERED_FUNC:/ && $NF ~ files {
          split($5, e, "/"); hit += e[1]; all += e[2] }
        END { if (all > 0) printf "%d/%d (%.0f%%)", hit, all, 100 * hit / all }')
    line="$line; code under test: ${covered:-?}"
  fi
  if [ $rc -eq 0 ]; then
    result=passed
  else
    result=failed
    status=1
    echo "$name failed (exit $rc); the end of its log ($log):"
    grep -E 'ERROR|SUMMARY|fuzz check failed|runtime error|Test unit written' "$log" | head -20
    tail -5 "$log"
  fi
  summary+=("$result $line")
  [ $smoke = 1 ] && echo "fuzz smoke: $name $result"
done

echo "== fuzz summary (${seconds}s per target)"
printf '%s\n' "${summary[@]}"
exit $status
