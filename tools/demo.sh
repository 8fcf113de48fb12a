#!/usr/bin/env bash
# make demo: prints the bundled sample document through the real CUPS filter
# chain (cupsfilter: pdftopdf, the raster filter, then rastertomarvik from
# this build, with this build's PPD) and writes the printer bytes to
# BUILD/demo/sample.prn.
#   tools/demo.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
out=$build/demo
ppd=$build/ppd/marvik24.ppd
filter=$build/filter/rastertomarvik
[[ -x $filter && -x $build/filter/texttomarvik && -f $ppd ]] || {
  echo "demo: build the filters and the PPD first" >&2
  exit 1
}

# cupsfilter takes its filters from ServerBin: the system's, plus ours.
rm -rf "$out" && mkdir -p "$out/serverbin/filter"
serverbin=$(cups-config --serverbin)
ln -s "$serverbin"/filter/* "$out/serverbin/filter/"
for f in rastertomarvik texttomarvik; do
  rm -f "$out/serverbin/filter/$f"
  cp "$build/filter/$f" "$out/serverbin/filter/$f"
done
printf 'ServerBin %s\n' "$out/serverbin" > "$out/cups-files.conf"

ps2pdf "$root/samples/sample.ps" "$out/sample.pdf"
start=$(date +%s.%N)
cupsfilter -c "$out/cups-files.conf" -p "$ppd" -m printer/marvik -e \
  "$out/sample.pdf" > "$out/sample.prn" 2> "$out/cupsfilter.log" || {
  echo "demo: the filter chain failed; see $out/cupsfilter.log" >&2
  grep -E 'ERROR|No filter' "$out/cupsfilter.log" >&2 || true
  exit 1
}
end=$(date +%s.%N)
pages=$(grep -c '^PAGE: ' "$out/cupsfilter.log" || true)
bytes=$(stat -c %s "$out/sample.prn")
seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }')
echo "demo: $pages page(s), $bytes bytes, $seconds s -> $out/sample.prn"

# The preview: what the printer will put on paper, one PNG per page.
preview=$build/tools/escp-preview/escp-preview
if [[ -x $preview ]]; then
  "$preview" -o "$out/sample-page" "$out/sample.prn" | sed 's/^/preview: /'
fi
