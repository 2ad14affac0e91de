#!/usr/bin/env bash
# jpeg-vs-tjbench.sh [bench build folder]
# Times our JPEG decode against libjpeg-turbo's own tjbench on the same files
# at the same scale, in one run, and prints the ratios; then the peak memory
# of decoding the 24-megapixel cover. Both sides are timed by the wall clock,
# alternately, three rounds each; the median round counts.
#   warm:  ours into memory already mapped, as tjbench decodes into the one
#          buffer it allocated before timing: the like-for-like figure;
#   fresh: ours into newly allocated memory, as the picture box decodes,
#          page faults of the new pixels included.
# tjbench writes 3-byte BGR by default; -bgrx writes 4-byte pixels as we do.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build/bench}"
bench="$build/bench/imaging/imaging_bench"
fixtures="${VQ_IMAGING_BENCH_DIR:-/tmp/vq-imaging-bench}"
export VQ_IMAGING_BENCH_DIR="$fixtures"
rounds="${ROUNDS:-3}"
seconds="${SECONDS_PER_RUN:-2}"
[ -x "$bench" ] || { echo "build $bench first (cmake --preset bench; cmake --build ... --target imaging_bench)" >&2; exit 1; }
"$here/make-fixtures.sh" "$fixtures"

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The numerator M of the smallest scale M/8 whose result covers the box (144 x 232).
box_scale() {
  local width="$1" height="$2" m
  for m in 1 2 3 4 5 6 7 8; do
    if (( (width * m + 7) / 8 >= 144 && (height * m + 7) / 8 >= 232 )); then echo "$m"; return; fi
  done
  echo 8
}

# tjbench's decompression time in ms: 1000 / its frame rate.
tj_ms() { # file scale [pixel format flag]
  tjbench "$1" -scale "$2" -benchtime "$seconds" -warmup 1 ${3:-} 2>&1 |
    awk '/^Decompress.*Frame rate/ { fps = $5 } END { printf "%.3f\n", 1000 / fps }'
}

our_ms() { # benchmark name
  "$bench" --benchmark_filter="^$1\$" --benchmark_min_time="$seconds" --benchmark_format=csv 2>/dev/null |
    awk -F, -v name="\"$1\"" '$1 == name { print $3 }'
}

printf '%-26s %-5s %9s %9s %9s %9s %10s %10s %10s\n' file scale warm_ms fresh_ms tj_ms tj_bgrx_ms warm/tj warm/bgrx fresh/tj
for file in cover-6000x4000 progressive-6000x4000 cover-1200x800; do
  kind="${file%%-*}"; size="${file#*-}"; width="${size%x*}"; height="${size#*x}"
  for request in full box; do
    m=8; [ "$request" = box ] && m="$(box_scale "$width" "$height")"
    warm=() fresh=() tj=() tjx=()
    for ((round = 0; round < rounds; round++)); do
      tj+=("$(tj_ms "$fixtures/$file.jpg" "$m/8")")
      warm+=("$(our_ms "jpeg/$kind/$size/$request/warm")")
      tjx+=("$(tj_ms "$fixtures/$file.jpg" "$m/8" -bgrx)")
      fresh+=("$(our_ms "jpeg/$kind/$size/$request")")
    done
    w="$(printf '%s\n' "${warm[@]}" | median)"
    f="$(printf '%s\n' "${fresh[@]}" | median)"
    t="$(printf '%s\n' "${tj[@]}" | median)"
    x="$(printf '%s\n' "${tjx[@]}" | median)"
    awk -v n="$file.jpg" -v s="$m/8" -v w="$w" -v f="$f" -v t="$t" -v x="$x" \
      'BEGIN { printf "%-26s %-5s %9.2f %9.2f %9.2f %10.2f %10.3f %10.3f %10.3f\n", n, s, w, f, t, x, w / t, w / x, f / t }'
  done
done

echo
echo "Peak memory, 24-megapixel cover (KiB; decode_peak is what the decode added):"
for request in "full 1048576 1048576" "box 144 232"; do
  set -- $request
  printf '%-5s ' "$1"
  "$bench" --peak-memory "$fixtures/cover-6000x4000.jpg" "$2" "$3"
done
