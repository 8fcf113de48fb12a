#!/usr/bin/env bash
# Installs the driver package (apt-get install ./….deb), prints a two-page PDF
# through a private cupsd that finds the model with lpinfo -m, purges it and
# checks no file remains. The machine's CUPS is never touched.
#   deb-test.sh PACKAGE.deb WORK
set -euo pipefail
deb=$(realpath "$1") work=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
pkg=printer-driver-marvik nickname="Marvik 24-Pin Dot Matrix"
filter=/usr/lib/cups/filter/rastertomarvik
purge() { DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -q "$pkg"; }
trap 'dpkg-query -W "$pkg" >/dev/null 2>&1 && purge >/dev/null 2>&1 || true' EXIT
fail() { echo "deb-test: FAIL: $*" >&2; exit 1; }
[[ $(id -u) -eq 0 ]] || fail "installing the package needs root"
rm -rf "$work" && mkdir -p "$work"

echo "== apt-get install $deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb"
dpkg-query -L "$pkg" > "$work/files"
[[ $(stat -c '%U:%G %a' "$filter") == "root:root 755" ]] || fail "$filter is $(stat -c '%U:%G %a' "$filter")"
for f in /usr/lib/cups/filter/texttomarvik /usr/share/ppd/marvik/marvik24.ppd /usr/bin/escp-preview \
  /usr/share/man/man1/escp-preview.1.gz /usr/share/doc/$pkg/copyright /usr/share/doc/$pkg/README.md.gz; do
  grep -qx "$f" "$work/files" || fail "the package lacks $f"
done
! grep -Ei 'test|bench|fuzz|mkraster' "$work/files" || fail "the package holds test, benchmark or fuzz files"
echo "installed $(grep -c . "$work/files") paths"

echo "== print a two-page PDF through a private cupsd"
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile="$work/two-pages.pdf" \
  "$root/samples/sample.ps" "$root/samples/sample.ps"
"$root/tests/filter/private-cupsd.sh" "$filter" "model:$nickname" "$work/two-pages.pdf" "$work/cupsd"
grep -F "$nickname" "$work/cupsd/models"
cat "$work/cupsd/result"
grep -qx "pages 2" "$work/cupsd/result" || fail "the scheduler did not log two pages"
# Each page is one frame: ESC @ … FF ESC @.
prn=$work/cupsd/job.prn
[[ $(head -c 2 "$prn" | od -An -tx1 | tr -d ' ') == 1b40 ]] || fail "the job does not start with ESC @"
[[ $(tail -c 3 "$prn" | od -An -tx1 | tr -d ' ') == 0c1b40 ]] || fail "the job does not end with FF ESC @"
escp-preview --no-png "$prn" | tee "$work/preview"
grep -q "^2 page(s) from" "$work/preview" || fail "escp-preview does not find two pages"

echo "== apt-get remove --purge $pkg"
purge
left=0
while read -r path; do
  [[ $path == /. || ! -e $path ]] && continue
  # A directory stays only while another package owns it too.
  if [[ -d $path ]] && dpkg-query -S "$path" >/dev/null 2>&1; then continue; fi
  echo "left behind: $path" >&2 && left=1
done < "$work/files"
[[ $left -eq 0 ]] || fail "files of the package remain after the purge"
echo "deb-test: $pkg installed, printed 2 frames, purged without a trace"
