#!/usr/bin/env bash
# Generates the benchmark files (10 and 100 MB, as 1,000 sections and as one section of 200,000
# or 2,000,000 keys) and runs every profile job and the memory measure on each.
#   bench/engine_bench.sh BENCH_BINARY [FOLDER] [ROUNDS]
set -euo pipefail
bench=${1:?path to bench_engine}
folder=${2:-${TMPDIR:-/tmp}/iniv-profile-bench}
rounds=${3:-5}
mkdir -p "$folder"
for shape in "wide-10 1000 200 10" "tall-10 1 200000 10" "wide-100 1000 2000 100" "tall-100 1 2000000 100"; do
  read -r name sections keys megabytes <<<"$shape"
  file="$folder/$name.ini"
  [[ -f "$file" ]] || "$bench" generate "$file" "$sections" "$keys" "$megabytes"
  "$bench" run "$file" "$rounds"
  "$bench" memory "$file"
done
