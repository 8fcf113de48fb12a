#!/usr/bin/env bash
# The application as its clients drive it: CUPS's ipptool suites (IPP/1.1,
# IPP/2.0, IPP Everywhere, with the documents they print made here), a table
# of mismatched and hostile documents, and a CUPS driverless queue with each
# print-quality and ColorModel and the printer's vendor defaults. 77: skipped.
#   ipp-suites.sh APP MKRASTER FILTER CUPSD_SCRIPT WORK
set -euo pipefail
app=$1 mkraster=$2 filter=$3 cupsd_script=$4 work=$5
here=$(cd "$(dirname "$0")" && pwd) suites=/usr/share/cups/ipptool
for tool in ipptool python3 gs ps2pdf cupsd; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work"/{state,out,docs}
export MARVIK_PRINTER_APP_DIR=$work/state
pids=""
trap 'kill $pids 2>/dev/null || :' EXIT
fail() { echo "FAIL: $*" >&2; tail -n 20 "$work/state/app.log" >&2; exit 1; }
# The device: connection N's bytes go to out/N.
python3 - "$work/out" <<'PY' &
import socket, sys
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(64); n = 0
open(sys.argv[1] + "/port", "w").write(str(s.getsockname()[1]))
while True:
    c, _ = s.accept(); n += 1
    open("%s/%d" % (sys.argv[1], n), "wb").write(b"".join(iter(lambda: c.recv(65536), b"")))
PY
pids=$!
for _ in $(seq 50); do [[ -s $work/out/port ]] && break; sleep 0.1; done
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
uri=ipp://127.0.0.1:$port/ipp/print/m24
"$app" server -o server-port="$port" -o listen-hostname=127.0.0.1 -o log-file="$work/state/app.log" -o log-level=info &
pids="$pids $!"
for _ in $(seq 100); do
  compgen -G "$work/state/*.sock" >/dev/null && (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
"$app" add -d m24 -m marvik_24pin -v "socket://127.0.0.1:$(cat "$work/out/port")" >/dev/null || fail "add"
alive() { kill -0 "${pids##* }" 2>/dev/null || fail "the server died $*"; }

# --- The suites and their documents (every sample they name must exist; those
# at resolutions and types the printer does not offer stay empty and are skipped).
cd "$work/docs"
cp "$suites"/ipp-{1.1,2.0,everywhere}.test .
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeg -g288x432 -sOutputFile=color.jpg -c '1 0 0 setrgbcolor 9 9 99 99 rectfill showpage'
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeggray -g288x432 -sOutputFile=gray.jpg -c '.5 setgray 9 9 99 99 rectfill showpage'
for res in 180 360; do
  for type in "black-1 1 3" "sgray-8 8 18" "srgb-8 8 19"; do
    read -r name bits space <<< "$type"
    for doc in "color.jpg-4x6 288x432 1" "gray.jpg-4x6 288x432 1" "document-a4 595x842 2" "document-letter 612x792 2" \
               "onepage-a4 595x842 1" "onepage-letter 612x792 1"; do
      read -r what size pages <<< "$doc"
      mkdir -p "pwg-raster-samples-${res}dpi/$name"
      "$mkraster" -v 4 -r "$res" -s "$size" -n "$pages" -b "$bits" -c "$space" -p checker \
        -o "pwg-raster-samples-${res}dpi/$name/$what-$name-${res}dpi.pwg"
    done
  done
done
"$mkraster" -v 4 -r 360 -n 100 -b 8 -c 18 -p checker -o slow.pwg  # 10 s to print
# Images: 4 x 2 in of black at 100 ppi; cut short, garbage, too many pixels, slow to decode.
for type in png:pnggray jpg:jpeggray; do
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE="${type#*:}" -r100 -g400x200 -sOutputFile="wide.${type%:*}" -c '0 0 288 144 rectfill showpage'
  head -c "$(($(stat -c %s "wide.${type%:*}") - 200))" "wide.${type%:*}" > "cut.${type%:*}"  # inside the image data
done
python3 - <<'PY'
import os, struct, zlib
def png(w, h, data, depth=8, kind=0, interlace=0): return b"\x89PNG\r\n\x1a\n" + b"".join(struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
    for t, d in ((b"IHDR", struct.pack(">IIBBBBB", w, h, depth, kind, 0, 0, interlace)), (b"IDAT", data), (b"IEND", b"")))
open("garbage.png", "wb").write(png(640, 480, os.urandom(5000)))
open("huge.png", "wb").write(png(16000, 16000, zlib.compress(bytes(16001))))
# The limit's worth of 16-bit gray and alpha, interlaced: seconds to decode.
rows = b"".join((b"\4" + bytes((16384 - x + dx - 1) // dx * 4)) * ((4096 - y + dy - 1) // dy)
                for x, y, dx, dy in ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)))
open("slow.png", "wb").write(png(16384, 4096, zlib.compress(rows, 9), 16, 4, 1))
PY
grep -o 'FILE pwg-raster-samples[^ ]*' ipp-everywhere.test | cut -c6- | sort -u | while read -r f; do
  [[ -f $f ]] || { mkdir -p "$(dirname "$f")" && touch "$f"; }
done
sleep 1  # printer-up-time must be above 0
ipptool -t -I -T 30 -f pwg-raster-samples-360dpi/sgray-8/document-letter-sgray-8-360dpi.pwg "$uri" ipp-everywhere.test \
  > "$work/suites.log" 2>&1 || :
# Failures that PAPPL 1.3 causes (README, "Driverless printing").
printf '%s\n' "RFC 8011 section 4.2.5: Get-Printer-Attributes Operation (default)" \
  "PWG 5100.14 section 5.1/5.2 - Required Operations and Attributes" > "$work/known"
unexpected=$(grep '\[FAIL\]' "$work/suites.log" | sed 's/ *\[FAIL\]//; s/^ *//' | grep -vxFf "$work/known" || :)
[[ -z $unexpected ]] || { grep -A8 FAIL "$work/suites.log"; fail "ipptool: $unexpected"; }
echo "ipptool suites: $(grep -c '\[PASS\]' "$work/suites.log") passed, $(grep -c '\[FAIL\]' "$work/suites.log") known failures, $(grep -c '\[SKIP\]' "$work/suites.log") skipped"
alive "during the suites"

# --- Mismatched and hostile documents: each page at its own resolution and
# size, an image placed as print-scaling says (the preview's page or black
# area in inches), or the job ended with the reason, within seconds. JOB:
# printer-resolution, media-col WIDTH x LENGTH, print-scaling; or a
# Cancel-Job after that many seconds.
cd "$work"
sleep 1 && jobs=$(ls out | grep -c "^[0-9]")  # device connections so far
while IFS='|' read -r doc format job expect; do
  if [[ $doc == @* ]]; then cp "docs/${doc#@}" doc.ras; else "$mkraster" -p black $doc -o doc.ras 2>/dev/null || :; fi
  settings=(-d resolution=180dpi -d width=21590 -d length=27940 -d scaling=auto)
  for setting in $job; do settings+=(-d "$setting"); done
  [[ $job == *resolution=* ]] && settings+=(-d withres=1)
  canceler="" limit=20
  if [[ $job =~ cancel=([0-9.]+) ]]; then
    limit=$(echo "${BASH_REMATCH[1]} + 1" | bc)  # a cancelled job stops at once
    (sleep "${BASH_REMATCH[1]}"  # (until there is a job to cancel)
     for _ in $(seq 50); do ipptool -T 5 -d user=test "$uri" "$suites/cancel-current-job.test" >/dev/null && break; sleep 0.1; done) &
    canceler=$!
  fi
  start=$(date +%s.%N)
  ipptool -tv -T 20 "${settings[@]}" -d format="$format" -f doc.ras "$uri" "$here/print-wait.test" > job.log 2>&1 || :
  [[ -z $canceler ]] || wait "$canceler" || :
  end="$(sed -n 's/.*job-state (enum) = //p' job.log | tail -n 1): $(sed -n 's/.*job-state-message (textWithoutLanguage) = //p' job.log | tail -n 1 | tr -d '\\')"
  seconds=$(echo "$(date +%s.%N) - $start" | bc)
  alive "after $doc"
  jobs=$((jobs + 1))  # every job opens the device
  for _ in $(seq 50); do [[ -f out/$jobs ]] && break; sleep 0.1; done
  if [[ $end == completed:* ]]; then
    end=$(escp-preview --no-png "out/$jobs" | grep -o '([0-9.]* in across, [0-9.]* in down' | tr '\n' ' ')
  fi
  printf '%-38s %-16s %-10s -> %s (%.1f s)\n' "$doc" "$format" "${job:--}" "$end" "$seconds"
  [[ $end == *"$expect"* ]] || { cat job.log; fail "expected: $expect"; }
  (($(echo "$seconds < $limit" | bc))) || fail "$doc took $seconds s"
done <<'ROWS'
-v 4 -r 360 -b 8 -c 18|image/pwg-raster||8.50 in across, 0.00..11.00 in down
-v 4 -r 360 -b 8 -c 18 -s 288x432|image/pwg-raster|resolution=180dpi|4.00 in across, 0.00..6.00 in down
-v 4 -r 360 -s 288x432|image/pwg-raster|resolution=180dpi width=29700 length=42000|(0.00..4.00 in across, 0.00..6.00 in down
-v 4 -r 180 -s 612x1008|image/pwg-raster|resolution=360dpi width=14800 length=21000|(0.00..8.50 in across, 0.00..14.00 in down
-v 5 -r 360 -b 8 -c 18|image/urf||8.50 in across, 0.00..11.00 in down
-v 5 -r 180 -b 8 -c 19 -s 1071x792|image/urf|resolution=360dpi|14.87 in across, 0.00..11.00 in down
-v 4 -r 120x180 -b 8 -c 19|image/pwg-raster|resolution=360dpi|8.49 in across, 0.00..11.00 in down
-v 4 -r 360x180 -s 612x264|image/pwg-raster|resolution=120x180dpi|8.50 in across, 0.00..3.66 in down
-v 4 -S cupsInteger[0]=2147483647|image/pwg-raster||8.50 in across, 0.00..11.00 in down
-v 4 -r 300 -b 8 -c 18|image/pwg-raster||HWResolution = [ 300 300 ] is not supported
-v 4 -r 72 -b 8 -c 18|image/pwg-raster||HWResolution = [ 72 72 ] is not supported
-v 4 -r 720 -c 3|image/pwg-raster|resolution=360dpi|HWResolution = [ 720 720 ] is not supported
-v 4 -b 8 -c 6|image/pwg-raster||cupsColorSpace = 6 is not supported
-v 4 -b 16 -c 19|image/pwg-raster||cupsBitsPerColor = 16 is not supported
-R -S cupsHeight=2147483647|image/pwg-raster||cupsHeight = 2147483647 exceeds
-R -S cupsWidth=0|image/pwg-raster||cupsWidth = 0 is empty
-R -S cupsWidth=70000 -S cupsBytesPerLine=8750|image/pwg-raster||cupsWidth = 70000 exceeds
-R -S cupsBytesPerLine=0|image/pwg-raster||rejects its header
-R -b 8 -c 18 -S cupsBitsPerPixel=16|image/pwg-raster||cupsBitsPerPixel = 16 does not match
-v 4 -p checker -n 2 -T 5000|image/pwg-raster||ended inside page 2
-v 4 -t 1000|image/pwg-raster||ended inside the header of page 1
@wide.png|image/png|resolution=180dpi|(2.25..6.25 in across, 4.50..6.50 in down
@wide.png|image/png|resolution=360dpi scaling=fit|(0.25..8.25 in across, 3.50..7.50 in down
@wide.jpg|image/jpeg|resolution=120x180dpi scaling=fill|0.50..10.50 in down
@wide.jpg|image/jpeg|resolution=360dpi width=14800 length=21000 scaling=none|(0.91..4.91 in across, 3.13..5.13 in down
@cut.png|image/png||aborted: The PNG image is damaged or cut short
@garbage.png|image/png||aborted: The PNG image is damaged or cut short
@cut.jpg|image/jpeg||aborted: The JPEG image is damaged or cut short
@huge.png|image/png||aborted: The image is 16000 x 16000 pixels
@slow.png|image/png|cancel=0.5|canceled
@slow.pwg|image/pwg-raster|cancel=0.2|canceled
@slow.pwg|image/pwg-raster|resolution=360dpi cancel=2|canceled
ROWS

# --- A CUPS driverless queue: each print-quality and ColorModel, a value the
# printer ignores (fidelity false), and the printer's vendor defaults.
"$app" modify -d m24 -o marvik-print-direction=unidirectional -o marvik-adjacent-dots=two-passes || fail "modify"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=doc.pdf \
  -c '/Helvetica findfont 30 scalefont setfont 72 600 moveto (Marvik) show 1 0 0 setrgbcolor 72 72 288 288 rectfill showpage'
for options in "print-quality=3 -o ColorModel=RGB" "print-quality=4 -o ColorModel=Gray -o sides=two-sided-long-edge" \
               "print-quality=5 -o ColorModel=RGB"; do
  LP_OPTIONS="-o $options" "$cupsd_script" "$filter" "everywhere:$uri" doc.pdf "$work/cupsd" >/dev/null || fail "CUPS: $options"
  jobs=$((jobs + 1))
  for _ in $(seq 50); do [[ -f out/$jobs ]] && break; sleep 0.1; done
  report=$(escp-preview --no-png "out/$jobs" | head -n 1) || fail "no bytes for $options"
  # Unidirectional (ESC U 1), and no two adjacent dots in one head pass.
  LC_ALL=C grep -qaF $'\eU\x01' "out/$jobs" && [[ $report != *"next to another"* ]] || fail "defaults ignored: $report"
  echo "CUPS -o $options: ${report%%, bbox*}"
done
alive "at the end"

# --- A raster document that arrives a few bytes a second: Cancel-Job, then
# SIGTERM, stop it within seconds.
trickle() {
  python3 - "$uri" 2>/dev/null <<'PY' &
import socket, struct, sys, time, urllib.parse
uri = sys.argv[1]; u = urllib.parse.urlparse(uri)
a = lambda t, n, v: bytes([t]) + struct.pack(">H", len(n)) + n.encode() + struct.pack(">H", len(v)) + v.encode()
body = b"\2\0\0\2\0\0\0\1\1" + a(0x47, "attributes-charset", "utf-8") + a(0x48, "attributes-natural-language", "en") + \
    a(0x45, "printer-uri", uri) + a(0x49, "document-format", "image/pwg-raster") + b"\3" + open("docs/slow.pwg", "rb").read()
s = socket.create_connection((u.hostname, u.port))
s.sendall(b"POST %s HTTP/1.1\r\nHost: %s\r\nContent-Type: application/ipp\r\nContent-Length: %d\r\n\r\n" % (u.path.encode(), u.netloc.encode(), len(body)))
for i in range(0, len(body), 100): s.sendall(body[i:i + 100]); time.sleep(0.05)
PY
  sleep 2
}
trickle
ipptool -T 5 -d user=test "$uri" "$suites/cancel-current-job.test" >/dev/null || fail "Cancel-Job"
timeout 5 tail --pid=$! -f /dev/null || fail "a trickled job was not cancelled within 5 s"
trickle
kill -TERM "${pids##* }" && start=$(date +%s)
timeout 10 tail --pid="${pids##* }" -f /dev/null || fail "SIGTERM did not stop the server within 10 s"
echo "A trickled raster job: cancelled at once; SIGTERM stopped the server in $(($(date +%s) - start)) s"
