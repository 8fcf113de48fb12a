#!/usr/bin/env bash
# cupsfilter's chain with this build's PPD and filter: run-cupsfilter.sh FILTER PPD DOCUMENT WORK [options]
set -euo pipefail
filter=$1 ppd=$2 document=$3 work=$4
shift 4
mkdir -p "$work/serverbin/filter"
serverbin=$(cups-config --serverbin)
for f in "$serverbin"/filter/*; do ln -sf "$f" "$work/serverbin/filter/"; done
for f in "$filter" "$(dirname "$filter")/texttomarvik"; do  # the text filter beside FILTER
  rm -f "$work/serverbin/filter/${f##*/}"
  install -m 0755 "$f" "$work/serverbin/filter/"
done
printf 'ServerBin %s\n' "$work/serverbin" > "$work/cups-files.conf"
# The job log off (applied when the file is root's): every line is synced to
# disk, and a job of 100 forms logs 5000.
printf '[Main]\nenable = false\n' > "$work/rastertomarvik.conf"
chmod 644 "$work/rastertomarvik.conf"
timeout 300 cupsfilter -c "$work/cups-files.conf" -p "$ppd" -m printer/marvik -e "$@" "$document" \
  > "$work/out.prn" 2> "$work/log"
