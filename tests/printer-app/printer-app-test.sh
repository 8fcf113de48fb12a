#!/usr/bin/env bash
# The printer application on a loopback port, private directory, this test as
# its device: IPP attributes, device bytes against the filter's, a stop with a
# job in flight, a PDF through a private cupsd's driverless queue. 77: skipped.
#   printer-app-test.sh APP FILTER PPD MKRASTER PREVIEW SAMPLE_PS CUPSD_SCRIPT WORK
set -euo pipefail
# In a private network namespace where the machine allows one: the network
# setting is tried from an address of its own, discovery reaches no network.
if [[ -z ${MARVIK_NETNS:-} ]] && unshare -n true 2>/dev/null; then exec unshare -n env MARVIK_NETNS=1 "$0" "$@"; fi
[[ -n ${MARVIK_NETNS:-} ]] && ip link set lo up && ip addr add 192.0.2.1/32 dev lo
app=$1 filter=$2 ppd=$3 mkraster=$4 preview=$5 sample=$6 cupsd_script=$7 work=$8
here=$(cd "$(dirname "$0")" && pwd)
for tool in ipptool python3 cupsd lpadmin gs ps2pdf; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work"/pages
# Short, wherever the build is: a socket's path has at most 107 bytes.
state=$(mktemp -d /tmp/marvik-app.XXXXXX) && export MARVIK_PRINTER_APP_DIR=$state
server_pid="" listener_pid=""  # (timeout passes a TERM on to its listener)
trap 'kill $listener_pid $server_pid 2>/dev/null || :; sleep 0.5; kill -KILL $server_pid 2>/dev/null || :; wait || :
      cp -r "$state" "$work/state"; rm -rf "$state"' EXIT
fail() { echo "FAIL: $*" >&2; tail -n 30 "$state/app.log" >&2 || true; exit 1; }

# A device: each connection's bytes go to DIR/conn-N.prn once it is closed; a
# slow one takes nothing before DIR/go exists, with a tiny receive buffer.
cat > "$work/listen.py" <<'PY'
import os, socket, sys, time
out, slow, n = sys.argv[1], sys.argv[2] == "slow", 0
s = socket.socket()
if slow:
    s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
s.bind(("127.0.0.1", int(sys.argv[3]) if len(sys.argv) > 3 else 0))
s.listen(4)
open(out + "/port.tmp", "w").write(str(s.getsockname()[1]))
os.rename(out + "/port.tmp", out + "/port")
while True:
    c, _ = s.accept()
    n += 1
    open("%s/conn-%d.part" % (out, n), "wb").close()
    while slow and not os.path.exists(out + "/go"):
        time.sleep(0.1)
    with open("%s/conn-%d.part" % (out, n), "wb") as f:
        for b in iter(lambda: c.recv(65536), b""):
            f.write(b)
    c.close()
    os.rename("%s/conn-%d.part" % (out, n), "%s/conn-%d.prn" % (out, n))
PY
# start_listener DIR fast|slow [PORT]: its port is written to DIR/port.
start_listener() {
  mkdir -p "$1"
  timeout 300 python3 "$work/listen.py" "$1" "$2" ${3:-} &
  listener_pid="$listener_pid $!"
  for _ in $(seq 100); do [[ -s $1/port ]] && return; sleep 0.1; done
  fail "the device listener did not start"
}
start_listener "$work/out" fast
device="socket://127.0.0.1:$(cat "$work/out/port")"
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
port=$(free_port)
uri=ipp://127.0.0.1:$port/ipp/print

start_server() {  # [server options]
  rm -f "$state"/*.sock  # a stopped server leaves its socket
  "$app" server -o server-port="$port" -o log-level=info -o log-file="$state/app.log" "$@" &
  server_pid=$!
  # A sub-command that finds no server starts one of its own: wait for both listeners.
  for _ in $(seq 100); do
    compgen -G "$state/*.sock" >/dev/null && (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return
    kill -0 "$server_pid" 2>/dev/null || fail "the server exited at start"
    sleep 0.1
  done
  fail "the server does not listen on 127.0.0.1:$port"
}
# stop_server [SECONDS]: waits for the server to exit and checks its status.
stop_server() {
  for _ in $(seq $((${1:-20} * 10))); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$server_pid" 2>/dev/null && fail "the server did not stop within ${1:-20} s"
  wait "$server_pid" || fail "the server's exit status is $?"
  server_pid=""
}
start_server
"$app" add -d m24 -m marvik_24pin -v "$device" >/dev/null || fail "add m24"
"$app" add -d m24t -m marvik_24pin_180x360 -v "$device" >/dev/null || fail "add m24t"
"$app" add -d gone -m marvik_24pin -v "$device" >/dev/null && "$app" delete -d gone || fail "delete of a new printer"

# --- Safe by default: the socket its owner's only, loopback only, no file device, a hardened unit.
for _ in $(seq 20); do [[ $(stat -c %a "$state/marvik-printer-app.sock") == 600 ]] && break; sleep 0.1; done
[[ $(stat -c %a "$state/marvik-printer-app.sock") == 600 ]] || fail "the control socket is not mode 0600"
ss -Hltn "sport = :$port" | awk '{ print $4 }' | grep -vqE '^(127\.0\.0\.1|\[::1\]):' && fail "it listens beyond loopback"
"$app" add -d evil -m marvik_24pin -v "file://$work" 2>/dev/null && fail "a file:// device (a directory) was accepted"
unit=$(dirname "$app")/marvik-printer-app.service
grep -qx "User=marvik-printer-app" "$unit" || fail "the unit does not name its user"
if command -v systemd-analyze >/dev/null; then
  systemd-analyze security --offline=yes "$unit" | grep -q "Overall exposure level.* OK" || fail "the unit's exposure"
fi

# --- The attributes a driverless client reads.
ipptool -t -T 10 -d printer=m24 -d other=120x180dpi "$uri/m24" "$here/printer-attributes.test" || fail "attributes of m24"
ipptool -t -T 10 -d printer=m24t -d other=180x360dpi "$uri/m24t" "$here/printer-attributes.test" || fail "attributes of m24t"

# --- Printing: a PWG raster job and its device bytes.
jobs_sent=0
# print_job PRINTER DOCUMENT RESOLUTION MEDIA DIRECTION ADJACENT [ipptool options]
print_job() {
  ipptool -t -T 10 -d resolution="$3" -d media="$4" -d direction="$5" -d adjacent="$6" "${@:7}" -f "$2" "$uri/$1" \
    "$here/print-job.test" > "$work/print.log" || { cat "$work/print.log"; fail "printing $2 at $3 on $1"; }
  jobs_sent=$((jobs_sent + 1))
}
# device_output: the file with the bytes of the last job.
device_output() {
  for _ in $(seq 200); do [[ -f $work/out/conn-$jobs_sent.prn ]] && break; sleep 0.1; done
  [[ -f $work/out/conn-$jobs_sent.prn ]] || fail "no device output for job $jobs_sent"
  echo "$work/out/conn-$jobs_sent.prn"
}
# filter_output RASTER [OPTIONS]: what the filter writes for the same pages (log off).
mkdir -p "$work/cupsroot" && printf '[Main]\nenable = false\n' > "$work/cupsroot/rastertomarvik.conf"
filter_output() {
  local out="$1${2:+-${2//[ =]/-}}.prn"
  CUPS_SERVERROOT=$work/cupsroot PPD=$ppd "$filter" 1 test test 1 "${2:-}" "$1" > "$out" 2> "$out.err" ||
    { cat "$out.err"; fail "the filter on $1 ${2:-}"; }
  echo "$out"
}

# --- Equal bytes: one 1-bit page at every resolution, and the wide form.
for c in "m24 120x180 612x792 na_letter_8.5x11in" "m24 180x180 612x792 na_letter_8.5x11in" \
         "m24 360x180 612x792 na_letter_8.5x11in" "m24t 180x360 612x792 na_letter_8.5x11in" \
         "m24 360x360 612x792 na_letter_8.5x11in" "m24 180x180 1071x792 oe_wide-fanfold_14.875x11in"; do
  read -r printer resolution size media <<< "$c"
  page=$work/pages/$resolution-$size.ras
  "$mkraster" -v 2 -r "$resolution" -s "$size" -p checker -o "$page" || fail "mkraster $c"
  print_job "$printer" "$page" "${resolution}dpi" "$media" printer-default one-pass
  cmp "$(device_output)" "$(filter_output "$page")" || fail "the application's bytes differ from the filter's: $c"
  echo "equal bytes: $printer $resolution $media, $(stat -c %s "$(device_output)") bytes"
done
# The two printer options, as the filter prints them with the PPD's options.
declare -A ppd_choice=([printer-default]=Default [unidirectional]=Uni [bidirectional]=Bi
                       [one-pass]=OnePass [two-passes]=TwoPass)
for c in "360x180 printer-default two-passes" "360x360 unidirectional one-pass" "360x360 bidirectional two-passes"; do
  read -r resolution direction adjacent <<< "$c"
  page=$work/pages/$resolution-612x792.ras
  print_job m24 "$page" "${resolution}dpi" na_letter_8.5x11in "$direction" "$adjacent"
  options="MarvikPrintDirection=${ppd_choice[$direction]} MarvikAdjacentDots=${ppd_choice[$adjacent]}"
  cmp "$(device_output)" "$(filter_output "$page" "$options")" || fail "the options differ from the filter's: $c"
  echo "equal bytes with options: $c, $(stat -c %s "$(device_output)") bytes"
done

# --- Text through the text library: texttomarvik's bytes for the same form, margins and options, with
# the printer's text default where the job names none; the preview finds the text.
# print_media FILE FORMAT WIDTH LENGTH LEFT PITCH: on a media-col form (hundredths of a millimetre).
print_media() {
  ipptool -t -T 10 -d format="$2" -d width="$3" -d length="$4" -d left="$5" -d pitch="$6" -f "$1" "$uri/m24" \
    "$here/print-media.test" > "$work/print.log" || { cat "$work/print.log"; fail "printing $1 on $3 x $4"; }
  jobs_sent=$((jobs_sent + 1))
}
printf 'Tab\there, b\bbo_\bu caf\xc3\xa9 \xe9t\xe9 \xe2\x82\xac\f%s\n' "$(printf 'long %.0s' $(seq 40))" > "$work/text.txt"
"$app" modify -d m24 -o marvik-text-quality=letter-quality || fail "modify -o marvik-text-quality"
for c in "21590 27940 635 10-cpi Letter" "21000 10000 2540 12-cpi Custom.210x100mm"; do
  read -r width length left pitch size <<< "$c"
  print_media "$work/text.txt" text/plain "$width" "$length" "$left" "$pitch"
  PPD=$ppd "$(dirname "$filter")/texttomarvik" 1 test test 1 "PageSize=$size page-left=$((left * 72 / 2540)) \
    MarvikTextQuality=letter-quality MarvikTextPitch=$pitch" "$work/text.txt" > "$work/text.prn" 2>/dev/null
  cmp "$(device_output)" "$work/text.prn" || fail "the application's text differs from texttomarvik's: $c"
  "$preview" --no-png --compare-text "$work/text.txt" "$(device_output)" >/dev/null || fail "text printed wrong: $c"
  echo "text on $size: $(stat -c %s "$(device_output)") bytes, as texttomarvik's"
done
# 100 forms of a named continuous size (93.14 mm for 3 2/3 in) and of a custom one move the paper exactly
# 100 form lengths; pages of another size than the job's media, their own.
for c in "612x264 oe_form-3-2-3_8.5x3.667in 366.67" "595x283 21000x10000 393.70" "612x792 21000x10000 1100.00"; do
  read -r size media inches <<< "$c"
  "$mkraster" -v 4 -n 100 -s "$size" -p stripes -o "$work/forms.pwg" || fail "mkraster $size"
  if [[ $media == *_* ]]; then
    print_job m24 "$work/forms.pwg" 180dpi "$media" printer-default one-pass
  else
    print_media "$work/forms.pwg" image/pwg-raster "${media%x*}" "${media#*x}" 635 10-cpi
  fi
  report=$("$preview" --no-png "$(device_output)") && last=${report##*$'\n'}
  [[ $last == "100 page(s) from "*", $inches in of paper)" ]] || fail "100 forms of $media: $last"
  echo "100 forms of $media: $(grep -om1 'page length [^)]*)' <<< "$report"), $last"
done

# --- `submit` prints with the defaults, 180 x 180, Letter (PWG raster named: mkraster's byte order).
page=$work/pages/180x180-612x792.ras
"$app" submit -d m24 -o document-format=image/pwg-raster "$page" >/dev/null || fail "submit"
jobs_sent=$((jobs_sent + 1))
cmp "$(device_output)" "$page.prn" || fail "submit did not print with the defaults"

# --- SIGTERM while a printer takes a job: it is printed whole; printers and jobs stay.
start_listener "$work/slow" slow
"$app" add -d slow -m marvik_24pin -v "socket://127.0.0.1:$(cat "$work/slow/port")" >/dev/null || fail "add slow"
page=$work/pages/360x360-612x792.ras
four=$work/pages/four.ras
"$mkraster" -v 2 -n 4 -r 360x360 -p checker -o "$four" || fail "mkraster four pages"
# PAPPL answers a Print-Job once the job has left the printer: print in the background.
print_job slow "$four" 360dpi na_letter_8.5x11in printer-default one-pass -d NO_WAIT=1 &
client_pid=$!
for _ in $(seq 100); do [[ -f $work/slow/conn-1.part ]] && break; sleep 0.1; done
kill -TERM "$server_pid"
sleep 1
kill -0 "$server_pid" 2>/dev/null || fail "the server stopped before its job was printed"
touch "$work/slow/go"
wait "$client_pid" || fail "the four-page job was not accepted"
stop_server
cat "$page.prn" "$page.prn" "$page.prn" "$page.prn" > "$four.prn"
for _ in $(seq 100); do [[ -f $work/slow/conn-1.prn ]] && break; sleep 0.1; done
cmp "$work/slow/conn-1.prn" "$four.prn" || fail "the four-page job was not printed whole"
echo "SIGTERM while a job is printing: printed whole ($(stat -c %s "$four.prn") bytes), then stopped"
start_server
[[ $("$app" printers | sort | tr '\n' ' ') == "m24 m24t slow " ]] || fail "the printers are gone after a restart"
"$app" jobs -d slow | grep -vq " completed " && fail "unfinished jobs after the restart: $("$app" jobs -d slow)"

# --- 20 clients at once, retrying while busy as CUPS's ipp backend does (Create-Job, Send-Document): all print.
start_listener "$work/busy" fast
"$app" add -d busy -m marvik_24pin -v "socket://127.0.0.1:$(cat "$work/busy/port")" >/dev/null || fail "add busy"
page=$work/pages/180x180-612x792.ras clients=""
for _ in $(seq 20); do
  (for _ in $(seq 600); do
     ipptool -T 10 -d CREATE_JOB=1 -d NO_WAIT=1 -d resolution=180dpi -d media=na_letter_8.5x11in \
       -d direction=printer-default -d adjacent=one-pass -f "$page" "$uri/busy" "$here/print-job.test" >/dev/null && exit
     sleep 0.1
   done; exit 1) &
  clients="$clients $!"
done
for c in $clients; do wait "$c" || fail "a busy client gave up"; done
for _ in $(seq 300); do [[ $(ls "$work/busy" | grep -c prn) == 20 ]] && break; sleep 0.1; done
[[ $(ls "$work/busy" | grep -c prn) == 20 ]] || fail "20 clients, $(ls "$work/busy" | grep -c prn) printed"

# --- A printer that cannot be reached is offline and its job says why; a job spooled before SIGKILL prints after.
closed=$(free_port)
"$app" add -d off -m marvik_24pin -v "socket://127.0.0.1:$closed" >/dev/null || fail "add off"
"$app" submit -d off -o document-format=application/vnd.marvik-escp "$page.prn" >/dev/null || fail "submit to off"
sleep 2
"$app" status -d off | grep -q offline || fail "an unreachable printer is not shown offline"
ipptool -tv "$uri/off/1" get-job-attributes.test | grep -q "message.*cannot be reached" || fail "no reason for a wait"
kill -KILL "$server_pid" && { wait "$server_pid" || :; } && start_listener "$work/off" fast "$closed" && start_server
for _ in $(seq 100); do [[ -f $work/off/conn-1.prn ]] && break; sleep 0.1; done
cmp "$work/off/conn-1.prn" "$page.prn" || fail "a job spooled before SIGKILL was not printed after the restart"

# --- SIGKILL right after a settings change: the printers the server had before are all there.
exec 9< "$state/marvik-printer-app.state"  # held open, so that a file renamed over it gets another inode
for round in $(seq 8); do
  before=$("$app" printers | sort)
  "$app" add -d "k$round" -m marvik_24pin -v "$device" >/dev/null || fail "add k$round"
  sleep "0.00$((RANDOM % 10))" && kill -KILL "$server_pid" && { wait "$server_pid" || :; } && start_server
  comm -23 <(echo "$before") <("$app" printers | sort) | grep . && fail "printers lost by SIGKILL in round $round"
done
"$app" delete -d slow || fail "delete of a printer loaded from the state"

# --- A state file with bad values starts without them; one that is not a file is refused, at once.
kill "$server_pid" && stop_server 5
[[ $state/marvik-printer-app.state -ef /proc/self/fd/9 ]] && fail "the state is written in place"; exec 9<&-
sed -n 's/^<Printer.* id="\([0-9]*\)".*/\1/p' "$state/marvik-printer-app.state" | awk -v next_id="$(sed -n \
  's/^NextPrinterID //p' "$state/marvik-printer-app.state")" '$1 >= next_id { exit 1 }' || fail "a printer-id to be given twice"
sed -i 's/^media-col-default .*/media-col-default name="no-such-size" width="-1"/' "$state/marvik-printer-app.state"
printf '<Printer driver="marvik_24pin" id="99" name="evil" uri="file:///etc/passwd">\n</Printer>\n' >> \
  "$state/marvik-printer-app.state"
start_server
grep -q "media-col-default has a bad value: dropped" "$state/app.log" || fail "no log line for a bad value"
"$app" printers | grep -qx evil && fail "a printer with a file device was loaded"
ipptool -t -T 10 -d printer=m24 -d other=120x180dpi "$uri/m24" "$here/printer-attributes.test" >/dev/null ||
  fail "attributes after a bad state"
kill "$server_pid" && stop_server 5
mv "$state/marvik-printer-app.state" "$work/saved.state" && mkfifo "$state/marvik-printer-app.state"
timeout 10 "$app" server -o server-port="$port" 2> "$work/fifo.err" && fail "a FIFO state file was accepted"
grep -q "not a regular file" "$work/fifo.err" || fail "a FIFO state file: $(cat "$work/fifo.err")"
rm "$state/marvik-printer-app.state" && mv "$work/saved.state" "$state/marvik-printer-app.state"

# --- Without avahi-daemon everything but discovery works; opened to the network, only printing is open.
web() { python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1], timeout=60).read().decode())' "$1"; }
if [[ -n ${MARVIK_NETNS:-} ]]; then
  if ! [[ -S /run/avahi-daemon/socket ]]; then
    start_server
    timeout 60 "$app" devices >/dev/null || fail "devices without avahi-daemon"
    web "http://127.0.0.1:$port/addprinter" | grep 'name="device_uri"' >/dev/null || fail "Add Printer without avahi-daemon"
    grep -q "avahi-daemon is not running" "$state/app.log" || fail "no warning without avahi-daemon"
    kill "$server_pid" && stop_server 5
  fi
  # Without and with an authentication service (PAM's "other" for an unknown one, which accepts no one).
  for auth in "" auth-service=marvik-printer-app-test; do
    start_server -o listen-hostname='*' ${auth:+-o "$auth"}
    remote=ipp://192.0.2.1:$port/ipp
    setsid -w "$app" add -u "$remote/system" -d r -m marvik_24pin -v "$device" &>/dev/null </dev/null &&
      fail "unauthenticated remote add ($auth)"
    web "http://192.0.2.1:$port/addprinter" 2>/dev/null | grep 'name="device_uri"' >/dev/null && fail "remote form ($auth)"
    ipptool -T 10 -d NO_WAIT=1 -d resolution=180dpi -d media=na_letter_8.5x11in -d direction=printer-default \
      -d adjacent=one-pass -f "$page" "$remote/print/busy" "$here/print-job.test" >/dev/null || fail "remote print ($auth)"
    kill "$server_pid" && stop_server 5
  done
else
  echo "SKIP: no private network namespace: network setting, devices and Add Printer untried"
fi
start_server

# --- A real client: a private CUPS scheduler's driverless queue prints a PDF.
ps2pdf "$sample" "$work/one.pdf" || fail "ps2pdf"
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile="$work/two.pdf" "$work/one.pdf" "$work/one.pdf" ||
  fail "gs"
"$cupsd_script" "$filter" "everywhere:$uri/m24" "$work/two.pdf" "$work/cupsd" || fail "the CUPS queue"
jobs_sent=$((jobs_sent + 1))
report=$("$preview" --no-png "$(device_output)") || fail "the preview refused the CUPS job's bytes"
[[ $report == *$'\n'"2 page(s) from "* ]] || fail "the CUPS job did not give two frames: $report"
echo "real client: $(tr '\n' ' ' < "$work/cupsd/result")"
echo "$report"

"$app" shutdown || fail "shutdown"
stop_server 5
echo "the state directory holds: $(ls "$state" | tr '\n' ' ')"
