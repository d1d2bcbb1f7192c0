#!/usr/bin/env bash
# kirv-report on one file of five million and one of a year of one-second records (31536000,
# about 1.1 GB): the time and the peak resident memory of the report, beside the time awk takes
# to sum the level column of the same file. Both read the file from the page cache (it is read
# once before either runs). The files go to a temporary folder, removed at the end.
#   bench/report_year.sh [build-dir] [kirv-report options...]
# Build first: cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIRV_BENCH=ON
#              cmake --build build-bench --target kirv-report bench_year_file
#
# Measured (2 shared cores, Release), before the report took the file's SHA-256:
#   5000000 records (167 MB): kirv-report 0.36 s, 21.0 MB peak resident; awk 0.71 s
# With the SHA-256 taken on a second thread (RelWithDebInfo, an idle machine):
#   5000000 records (167 MB):    kirv-report 0.70 s, 25.4 MB peak resident; awk 0.47 s
#   31536000 records (1080 MB):  kirv-report 4.31 s, 44.6 MB peak resident; awk 3.05 s
# With libcrypto's SHA-256, the periods held once and the text taken to UTF-8 a line at a time
# (RelWithDebInfo, 2 cores):
#     5000000 records (167 MB):  kirv-report 0.80 s, 23.9 MB peak resident; awk 1.36 s
#    31536000 records (1080 MB): kirv-report 5.13 s, 35.5 MB peak resident; awk 8.13 s
#   Of the year's 35.5 MB, 17 MB is the program before it reads anything (kirv-report --version)
#   and some 12 MB the 35040 quarter-hour rows of its period table (--period 1440: 26 MB).
set -euo pipefail
build=${1:-build-bench}
shift || true
bin="$build/bin"
for program in kirv-report bench_year_file; do
    [ -x "$bin/$program" ] || { echo "no $bin/$program: build it first (see the top of $0)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The year file is about 1.1 GB; one file is on the disk at a time.
free_kb=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if [ "$free_kb" -lt $((1400 * 1024)) ]; then
    echo "$work has $((free_kb / 1024)) MB free; the year file needs about 1.1 GB" >&2
    exit 1
fi

for count in 5000000 31536000; do
    file="$work/records-$count.kirv"
    "$bin/bench_year_file" "$file" "$count"
    mb=$(( $(stat -c %s "$file") / 1048576 ))
    cat "$file" > /dev/null
    /usr/bin/time -f "%e %M" -o "$work/report.time" "$bin/kirv-report" "$@" "$file" > "$work/report.out"
    /usr/bin/time -f "%e" -o "$work/awk.time" awk -F'\t' '{s+=$3} END {print s}' "$file" > /dev/null
    read -r seconds kb < "$work/report.time"
    read -r awk_seconds < "$work/awk.time"
    grep -q '^records: *'"$count"'$' "$work/report.out" ||
        { echo "kirv-report did not report $count records:" >&2; head -20 "$work/report.out" >&2; exit 1; }
    printf '%9d records (%4d MB): kirv-report %6.2f s, %6.1f MB peak resident; awk %6.2f s\n' \
        "$count" "$mb" "$seconds" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')" "$awk_seconds"
    rm -f "$file"
done
