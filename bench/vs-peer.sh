#!/usr/bin/env bash
# Compares rastertomarvik with CUPS's own dot-matrix driver, rastertoepson
# (with its Epson 24-pin PPD compiled from CUPS's sample.drv), on the same
# real raster jobs made by cupsfilter:
#   text      a 20-page text document at 180 x 180 dpi
#   graphics  one page of drawings and gray fills at 360 x 360 dpi
# Reports CPU time, wall time and peak memory per page for each filter, and
# ours again with its log file on tmpfs (a private mount of /tmp) when the
# machine has tmpfs and we may mount.
#   bench/vs-peer.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$build/bench-vs-peer
ours=$build/filter/rastertomarvik
ourppd=$build/ppd/marvik24.ppd
serverbin=$(cups-config --serverbin)
peer=$serverbin/filter/rastertoepson
[[ -x $ours && -f $ourppd ]] || { echo "vs-peer: build the filter and the PPD first" >&2; exit 1; }
[[ -x $peer ]] || { echo "vs-peer: $peer is missing (Debian package cups-filters / cups)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "vs-peer: needs GNU time (apt-get install time)" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work"
ppdc -d "$work/ppd" /usr/share/cups/drv/sample.drv >/dev/null
peerppd=$work/ppd/epson24.ppd

# The documents, as PostScript made here so that nothing large is stored.
{
  echo '%!PS-Adobe-3.0'
  echo '/Courier findfont 10 scalefont setfont'
  for page in $(seq 20); do
    for line in $(seq 60); do
      printf '36 %d moveto (Page %02d line %02d: the quick brown fox jumps over the lazy dog 0123456789) show\n' \
        $((760 - line * 12)) "$page" "$line"
    done
    echo showpage
  done
} > "$work/text.ps"
cat > "$work/graphics.ps" <<'PS'
%!PS-Adobe-3.0
0 1 20 { /i exch def i 0.05 mul setgray 36 i 30 mul add 400 25 300 rectfill } for
0 setgray 2 setlinewidth
0 5 360 { /a exch def gsave 306 250 translate a rotate 0 0 moveto 200 0 lineto stroke grestore } for
/Helvetica findfont 36 scalefont setfont 72 720 moveto (Graphics at 360 dpi) show
showpage
PS

# Raster for the Epson PPD (row counts and all), fed to both filters.
make_raster() {  # NAME RESOLUTION
  ps2pdf "$work/$1.ps" "$work/$1.pdf"
  cupsfilter -p "$peerppd" -m application/vnd.cups-raster -o "Resolution=$2" -o PageSize=Letter \
    "$work/$1.pdf" > "$work/$1.ras" 2>"$work/$1.cupsfilter.log"
}
make_raster text 180dpi
make_raster graphics 360dpi

measure() {  # LABEL FILTER PPD RASTER PAGES [WRAPPER...]
  local label=$1 filter=$2 ppd=$3 raster=$4 pages=$5
  shift 5
  PPD=$ppd /usr/bin/time -f '%e %U %S %M' -o "$work/time.out" "$@" "$filter" 1 bench bench 1 "" "$raster" \
    > "$work/out.prn" 2>/dev/null
  read -r wall user sys rss < <(tail -n 1 "$work/time.out")
  awk -v l="$label" -v w="$wall" -v u="$user" -v s="$sys" -v m="$rss" -v p="$pages" -v b="$(stat -c %s "$work/out.prn")" \
    'BEGIN { printf "%-36s %9.1f %9.1f %9.1f %10d\n", l, (u + s) * 1000 / p, w * 1000 / p, m / 1024, b }'
}

printf '%-36s %9s %9s %9s %10s\n' "job / filter" "cpu ms/p" "wall ms/p" "peak MiB" "bytes"
for job in "text 20" "graphics 1"; do
  read -r name pages <<<"$job"
  measure "$name: rastertoepson" "$peer" "$peerppd" "$work/$name.ras" "$pages"
  measure "$name: rastertomarvik" "$ours" "$ourppd" "$work/$name.ras" "$pages"
  if grep -q ' /dev/shm tmpfs ' /proc/mounts && unshare -m true 2>/dev/null; then
    measure "$name: rastertomarvik, log on tmpfs" "$ours" "$ourppd" "$work/$name.ras" "$pages" \
      unshare -m sh -c 'mount -t tmpfs tmpfs /tmp && exec "$@"' sh
  fi
done
