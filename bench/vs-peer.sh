#!/usr/bin/env bash
# Compares rastertomarvik with CUPS's own dot-matrix driver, rastertoepson
# (with its Epson 24-pin PPD compiled from CUPS's sample.drv), on the same
# real raster jobs made by cupsfilter:
#   text      a 20-page text document at 180 x 180 dpi
#   graphics  a page of drawings and gray fills at 360 x 360 dpi, 10 times
# Reports CPU time, wall time and peak memory per page (the best of REPEAT
# runs, default 3) for each filter, and ours with its job log on disk (/tmp),
# on tmpfs (a private mount of /tmp, when we may mount) and turned off by an
# administrator's settings file (when we are root, who must own it).
# Then, for a text page and the graphics page at 360 x 360 dpi (10 pages
# each), each choice of the "Dots at 360 dpi across" option: bytes and time
# per page with the least log there is, and the dots per page an impact head
# that cannot print adjacent dots would drop (escp-preview --impact), out of
# the dots sent.
#   bench/vs-peer.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
repeat=${REPEAT:-3}
work=$build/bench-vs-peer
ours=$build/filter/rastertomarvik
ourppd=$build/ppd/marvik24.ppd
preview=$build/tools/escp-preview/escp-preview
serverbin=$(cups-config --serverbin)
peer=$serverbin/filter/rastertoepson
[[ -x $ours && -f $ourppd && -x $preview ]] || {
  echo "vs-peer: build the filter, the PPD and escp-preview first" >&2
  exit 1
}
[[ -x $peer ]] || { echo "vs-peer: $peer is missing (Debian package cups-filters / cups)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "vs-peer: needs GNU time (apt-get install time)" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work/no-settings" "$work/log-off"
ppdc -d "$work/ppd" /usr/share/cups/drv/sample.drv >/dev/null
peerppd=$work/ppd/epson24.ppd

# Our filter reads $CUPS_SERVERROOT/rastertomarvik.conf; every run names a
# folder of its own so that a file in /etc/cups cannot change the figures.
printf '[Main]\nenable = false\n' > "$work/log-off/rastertomarvik.conf"
chmod 644 "$work/log-off/rastertomarvik.conf"
can_mount=no
if grep -q ' /dev/shm tmpfs ' /proc/mounts && unshare -m true 2>/dev/null; then can_mount=yes; fi

# The documents, as PostScript made here so that nothing large is stored.
text_page() {  # PAGE
  for line in $(seq 60); do
    printf '36 %d moveto (Page %02d line %02d: the quick brown fox jumps over the lazy dog 0123456789) show\n' \
      $((760 - line * 12)) "$1" "$line"
  done
  echo showpage
}
{
  echo '%!PS-Adobe-3.0'
  echo '/Courier findfont 10 scalefont setfont'
  for page in $(seq 20); do text_page "$page"; done
} > "$work/text.ps"
{
  echo '%!PS-Adobe-3.0'
  echo '/Courier findfont 10 scalefont setfont'
  for page in $(seq 10); do text_page 1; done
} > "$work/text10.ps"
{
  echo '%!PS-Adobe-3.0'
  for page in $(seq 10); do
    cat <<'PS'
0 1 20 { /i exch def i 0.05 mul setgray 36 i 30 mul add 400 25 300 rectfill } for
0 setgray 2 setlinewidth
0 5 360 { /a exch def gsave 306 250 translate a rotate 0 0 moveto 200 0 lineto stroke grestore } for
/Helvetica findfont 36 scalefont setfont 72 720 moveto (Graphics at 360 dpi) show
showpage
PS
  done
} > "$work/graphics.ps"

# Raster for the Epson PPD (row counts and all), fed to both filters.
make_raster() {  # NAME DOCUMENT RESOLUTION
  ps2pdf "$work/$2.ps" "$work/$1.pdf"
  cupsfilter -p "$peerppd" -m application/vnd.cups-raster -o "Resolution=$3" -o PageSize=Letter \
    "$work/$1.pdf" > "$work/$1.ras" 2>"$work/$1.cupsfilter.log"
}
make_raster text text 180dpi
make_raster graphics graphics 360dpi
make_raster text360 text10 360dpi

# One run of FILTER: LOG is disk, tmpfs or off; OPTIONS the job's options.
# The program, its PPD and the raster are handed over as descriptors: the
# private /tmp of the tmpfs run hides the build folder when it lies under
# /tmp, as a fresh clone there does.
run_once() {  # FILTER PPD RASTER LOG OPTIONS
  local filter=$1 ppd=$2 raster=$3 log=$4 options=$5
  local settings=$work/no-settings
  local -a wrap=()
  [[ $log == off ]] && settings=$work/log-off
  [[ $log == tmpfs ]] && wrap=(unshare -m sh -c 'mount -t tmpfs tmpfs /tmp && exec "$@"' sh)
  PPD=/proc/self/fd/4 CUPS_SERVERROOT=$settings /usr/bin/time -f '%e %U %S %M' -o "$work/time.out" \
    "${wrap[@]}" /proc/self/fd/3 1 bench bench 1 "$options" \
    3<"$filter" 4<"$ppd" <"$raster" >"$work/out.prn" 2>"$work/err.txt"
}

# The best of $repeat runs: "cpu-ms/page wall-ms/page peak-MiB bytes".
measure() {  # FILTER PPD RASTER PAGES LOG [OPTIONS]
  local best=
  for _ in $(seq "$repeat"); do
    run_once "$1" "$2" "$3" "$5" "${6:-}"
    read -r wall user sys rss < <(tail -n 1 "$work/time.out")
    best=$(awk -v w="$wall" -v u="$user" -v s="$sys" -v m="$rss" -v p="$4" -v b="$(stat -c %s "$work/out.prn")" \
      -v best="$best" 'BEGIN {
        cpu = (u + s) * 1000 / p; wall = w * 1000 / p; split(best, o, " ")
        if (best != "" && o[1] < cpu) cpu = o[1]
        if (best != "" && o[2] < wall) wall = o[2]
        printf "%.1f %.1f %.1f %d", cpu, wall, m / 1024, b }')
  done
  echo "$best"
}

row() {  # LABEL FIGURES
  read -r cpu wall mib bytes <<<"$2"
  printf '%-40s %9s %9s %9s %10s\n' "$1" "$cpu" "$wall" "$mib" "$bytes"
}

printf '%-40s %9s %9s %9s %10s\n' "job / filter" "cpu ms/p" "wall ms/p" "peak MiB" "bytes"
for job in "text 20" "graphics 10"; do
  read -r name pages <<<"$job"
  row "$name: rastertoepson" "$(measure "$peer" "$peerppd" "$work/$name.ras" "$pages" disk)"
  row "$name: rastertomarvik, log on disk" "$(measure "$ours" "$ourppd" "$work/$name.ras" "$pages" disk)"
  if [[ $can_mount == yes ]]; then
    row "$name: rastertomarvik, log on tmpfs" "$(measure "$ours" "$ourppd" "$work/$name.ras" "$pages" tmpfs)"
  else
    echo "$name: rastertomarvik, log on tmpfs: skipped (cannot mount a private /tmp)"
  fi
  if [[ $(id -u) == 0 ]]; then
    row "$name: rastertomarvik, log turned off" "$(measure "$ours" "$ourppd" "$work/$name.ras" "$pages" off)"
  else
    echo "$name: rastertomarvik, log turned off: skipped (the settings file must be root's)"
  fi
done

least=disk
[[ $can_mount == yes ]] && least=tmpfs
[[ $(id -u) == 0 ]] && least=off
echo
echo "Dots at 360 dpi across, pages at 360 x 360 dpi, job log $least; per page:"
printf '%-32s %9s %9s %10s %12s %10s\n' "page / choice" "cpu ms/p" "wall ms/p" "bytes" "dots sent" "dropped"
for name in text360 graphics; do
  for choice in OnePass TwoPass; do
    figures=$(measure "$ours" "$ourppd" "$work/$name.ras" 10 "$least" "MarvikAdjacentDots=$choice")
    read -r cpu wall _ bytes <<<"$figures"
    report=$("$preview" --impact --no-png "$work/out.prn")
    kept=$(sed -n 's/^page [0-9]*: \([0-9]*\) dots.*/\1/p' <<<"$report" | awk '{ s += $1 } END { print s + 0 }')
    dropped=$(sed -n 's/.*, \([0-9]*\) dot(s) dropped by the impact head.*/\1/p' <<<"$report")
    printf '%-32s %9s %9s %10s %12s %10s\n' "${name/text360/text}: $choice" "$cpu" "$wall" "$((bytes / 10))" \
      "$(((kept + dropped) / 10))" "$((dropped / 10))"
  done
done
