#!/usr/bin/env bash
# Generates the four benchmark files (1,000 x 200 keys and 1 x 200,000 keys, about 10 MB and
# 100 MB each) and runs every profile job on each.
#   bench/profile_bench.sh BENCH_BINARY [FOLDER]
set -euo pipefail
bench=${1:?path to bench_profile}
folder=${2:-${TMPDIR:-/tmp}/iniv-profile-bench}
mkdir -p "$folder"
for shape in wide tall; do
  for megabytes in 10 100; do
    file="$folder/$shape-$megabytes.ini"
    [[ -f "$file" ]] || "$bench" generate "$file" "$shape" "$megabytes"
    for job in sections keys set remove; do "$bench" "$job" "$file"; done
  done
done
