#!/usr/bin/env bash
# Builds the fuzz targets with clang into build/fuzz and runs each for SECONDS (default
# 600) with the formats' dictionary, inputs up to 4 MB and a 2 GB memory limit, so a
# decompression bomb counts as a failure. Targets run two at a time; a summary per target
# (executions, coverage, findings) is printed at the end.  scripts/fuzz.sh [target…]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${SECONDS_PER_TARGET:-600}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(tiff jpeg png gif bmp pcx j2k fpx any)
CC=clang CXX=clang++ cmake -S "$top" -B "$top/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVZ_FUZZ=ON >/dev/null
cmake --build "$top/build/fuzz" --target "${targets[@]/#/fuzz_}" -- --quiet
out="$top/build/fuzz/runs"
mkdir -p "$out"
run() {
    local target=$1 seeds="$top/tests/fuzz/seeds/$1"
    [ -d "$seeds" ] || seeds="$top/tests/fuzz/seeds"
    mkdir -p "$out/corpus-$target" "$out/findings-$target"
    # The 'any' target starts from every format's seeds.
    local all=("$seeds")
    [ "$target" = any ] && all=("$top"/tests/fuzz/seeds/*)
    "$top/build/fuzz/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=2048 \
        -max_len=4194304 -timeout=10 -dict="$top/tests/fuzz/formats.dict" -print_final_stats=1 \
        -artifact_prefix="$out/findings-$target/" "$out/corpus-$target" "${all[@]}" >"$out/$target.log" 2>&1 || true
}
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    run "${targets[i]}" &
    [ $((i + 1)) -lt ${#targets[@]} ] && run "${targets[i + 1]}" &
    wait
done
status=0
for target in "${targets[@]}"; do
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/$target.log" | grep -o '[0-9]*$' || echo "?")
    cov=$(grep -o 'cov: [0-9]*' "$out/$target.log" | tail -1 || true)
    found=$(ls "$out/findings-$target" | wc -l)
    echo "fuzz_$target: $execs runs, $cov, $found findings"
    [ "$found" -eq 0 ] || status=1
done
exit $status
