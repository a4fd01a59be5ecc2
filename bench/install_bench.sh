#!/usr/bin/env bash
# Builds and installs a product of 1 GiB in 2,000 files (half text, half random bytes) and
# compares it with the plain tools on the same data:
#   install_ratio      = install / (cp -r of the sources + zstd -d of the same payload)
#   build_ratio        = build with the writer / zstd -T0 of the same payload at the same level
#   setup_peak_rss_mib = the installing process's peak resident memory
# Usage: bench/install_bench.sh [level] (default 3). Needs the bench preset (built here).
set -euo pipefail
cd "$(dirname "$0")/.."
level="${1:-3}"
mib="${RUX_BENCH_MIB:-1024}"
files="${RUX_BENCH_FILES:-2000}"

cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)" --target bench_install_bench >/dev/null
driver=build/bench/bench/bench_install_bench

work="$(mktemp -d "${TMPDIR:-/tmp}/rux-install-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

"$driver" generate "$work/src" "$mib" "$files"
# Every run below reads warm sources: read them once first.
cat "$work/src"/* >/dev/null

# The writer against zstd on all processors, at the same level, over the same bytes.
build_s="$("$driver" build "$work/src" "$work/discs" "$level" | sed -n 's/^seconds: //p')"
t0="$(now)"
tar -cf - -C "$work/src" . | zstd -T0 -"$level" -q -o "$work/payload.zst"
t1="$(now)"
zstd_c="$(elapsed "$t0" "$t1")"

# Setup's installation against copying the sources and decompressing the payload.
install_out="$("$driver" install "$work/discs/Disc1" "$work/machine")"
install_s="$(echo "$install_out" | sed -n 's/^seconds: //p')"
rss_kib="$(echo "$install_out" | sed -n 's/^peak_rss_kib: //p')"
t0="$(now)"
cp -r "$work/src" "$work/copy"
t1="$(now)"
zstd -d -q "$work/payload.zst" -o "$work/payload.tar"
t2="$(now)"
cp_s="$(elapsed "$t0" "$t1")"
zstd_d="$(elapsed "$t1" "$t2")"

# Every installed file is the source file.
for f in "$work/src"/*; do
  cmp -s "$f" "$work/machine/drive_c/Program Files/Bench/$(basename "$f")" || { echo "installed file differs: $f" >&2; exit 1; }
done

printf 'build_seconds: %.2f\nzstd_T0_seconds: %.2f\ninstall_seconds: %.2f\ncp_r_seconds: %.2f\nzstd_d_seconds: %.2f\n' \
  "$build_s" "$zstd_c" "$install_s" "$cp_s" "$zstd_d"
awk -v i="$install_s" -v c="$cp_s" -v d="$zstd_d" 'BEGIN { printf "install_ratio: %.2f\n", i / (c + d) }'
awk -v b="$build_s" -v z="$zstd_c" 'BEGIN { printf "build_ratio: %.2f\n", b / z }'
printf 'setup_peak_rss_mib: %d\n' "$(( (rss_kib + 1023) / 1024 ))"
