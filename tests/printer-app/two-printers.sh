#!/usr/bin/env bash
# Two printers of one application print at once, each on a thread of its own:
# under ThreadSanitizer the page work they share must show no data race, and
# both devices must get the same bytes. 77: skipped.
#   two-printers.sh APP MKRASTER WORK
set -euo pipefail
app=$1 mkraster=$2 work=$3
command -v python3 >/dev/null || { echo "SKIP: python3 is not installed"; exit 77; }
rm -rf "$work" && mkdir -p "$work/state" "$work/out"
here=$(cd "$(dirname "$0")" && pwd)
export MARVIK_PRINTER_APP_DIR=$work/state
export TSAN_OPTIONS="exitcode=66 log_path=$work/tsan suppressions=$here/tsan-suppressions.txt"
pids=""
trap 'kill $pids 2>/dev/null || :; sleep 0.5; kill -KILL $pids 2>/dev/null || :' EXIT
fail() {
  echo "FAIL: $*" >&2
  cat "$work"/tsan* >&2 2>/dev/null || :
  tail -n 20 "$work/state/app.log" >&2 2>/dev/null || :
  exit 1
}

# One device for both printers: connection N's bytes go to out/N once it closes.
python3 - "$work/out" <<'PY' &
import os, socket, sys, threading
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(8)
open(sys.argv[1] + "/port", "w").write(str(s.getsockname()[1]))
def take(c, n):
    data = b"".join(iter(lambda: c.recv(65536), b""))
    path = "%s/%d" % (sys.argv[1], n)
    with open(path + ".part", "wb") as f: f.write(data)
    os.rename(path + ".part", path)  # the test waits for the name: whole bytes only
for n in range(1, 3):
    c, _ = s.accept(); threading.Thread(target=take, args=(c, n)).start()
PY
pids="$pids $!"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$app" server -o server-port="$port" -o listen-hostname=127.0.0.1 -o log-file="$work/state/app.log" &
pids="$pids $!"
# A sub-command that finds no server starts one of its own: wait for both listeners.
for _ in $(seq 300); do
  compgen -G "$work/state/*.sock" >/dev/null && (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
for _ in $(seq 50); do [[ -s $work/out/port ]] && break; sleep 0.1; done
for p in one two; do
  "$app" add -d $p -m marvik_24pin -v "socket://127.0.0.1:$(cat "$work/out/port")" >/dev/null || fail "add $p"
done
"$mkraster" -v 2 -n 3 -r 360x360 -p checker -o "$work/page.ras" || fail "mkraster"
"$app" submit -d one -o document-format=image/pwg-raster "$work/page.ras" >/dev/null &
"$app" submit -d two -o document-format=image/pwg-raster "$work/page.ras" >/dev/null || fail "submit two"
wait $! || fail "submit one"
for _ in $(seq 600); do [[ -f $work/out/1 && -f $work/out/2 ]] && break; sleep 0.1; done
[[ -s $work/out/1 ]] && cmp "$work/out/1" "$work/out/2" || fail "the two printers' bytes differ or are missing"
"$app" shutdown >/dev/null || fail "shutdown"
(exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || :
wait $pids 2>/dev/null && status=0 || status=$?
compgen -G "$work/tsan*" >/dev/null && fail "ThreadSanitizer reported"
echo "two printers printed $(stat -c %s "$work/out/1") bytes each at once, server status $status"
