#!/usr/bin/env bash
# Prints a PDF through a private CUPS scheduler with this build's filter and
# PPD, never touching the machine's own CUPS service: its own ServerRoot,
# spool, logs and ServerBin, listening only on a unix socket in WORK.
#   private-cupsd.sh FILTER PPD PDF WORK
# PPD is a PPD file, or model:NICKNAME to add the queue as an administrator
# does with an installed driver: lpadmin -m with the model that the
# scheduler's driver lister (lpinfo -m, kept in WORK/models) lists as NICKNAME,
# or everywhere:URI for a driverless queue (lpadmin -m everywhere) to the IPP
# printer at URI, which then gets the printer bytes instead of WORK/job.prn.
# Leaves WORK/job.prn (the printer bytes) and WORK/result (job state and
# pages). The scheduler is stopped on every exit; every wait is bounded.
set -euo pipefail
filter=$1 ppd=$2 pdf=$3 work=$4
cupsd_pid=""
cleanup() {
  if [[ -n $cupsd_pid ]] && kill -0 "$cupsd_pid" 2>/dev/null; then
    kill -TERM "$cupsd_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$cupsd_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$cupsd_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
fail() { echo "private-cupsd: $*" >&2; [[ -f $work/log/error_log ]] && tail -n 40 "$work/log/error_log" >&2; exit 1; }

mkdir -p "$work"/{root/ppd,spool/tmp,tmp,cache,state,log,serverbin/filter,serverbin/backend}
chmod 0755 "$work" "$work"/*
serverbin=$(cups-config --serverbin)
for dir in filter backend; do
  for f in "$serverbin/$dir"/*; do ln -s "$f" "$work/serverbin/$dir/" 2>/dev/null || true; done
done
# The scheduler runs only filters owned by root and writable by nobody else.
rm -f "$work/serverbin/filter/rastertomarvik"
install -m 0755 "$filter" "$work/serverbin/filter/rastertomarvik"
ln -s "$serverbin/daemon" "$work/serverbin/daemon"
ln -s "$serverbin/notifier" "$work/serverbin/notifier" 2>/dev/null || true
ln -s "$serverbin/cgi-bin" "$work/serverbin/cgi-bin" 2>/dev/null || true

socket=$work/cups.sock
cat > "$work/root/cupsd.conf" <<CONF
LogLevel debug
Listen $socket
Browsing No
WebInterface No
DefaultAuthType None
MaxJobTime 300
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat > "$work/root/cups-files.conf" <<CONF
ServerRoot $work/root
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ServerBin $work/serverbin
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
Printcap $work/printcap
FileDevice Yes
User lp
Group lp
SystemGroup root
CONF

timeout 600 cupsd -f -c "$work/root/cupsd.conf" -s "$work/root/cups-files.conf" &
cupsd_pid=$!
export CUPS_SERVER=$socket
for _ in $(seq 100); do [[ -S $socket ]] && lpstat -r >/dev/null 2>&1 && break; sleep 0.1; done
lpstat -r >/dev/null 2>&1 || fail "the scheduler did not start"

touch "$work/job.prn" && chmod 0666 "$work/job.prn"
if [[ $ppd == everywhere:* ]]; then
  lpadmin -p marvik -E -v "${ppd#everywhere:}" -m everywhere || fail "lpadmin -m everywhere failed"
  # The scheduler makes the queue's PPD from the printer's attributes after lpadmin returns.
  for _ in $(seq 100); do grep -qs cupsFilter2 "$work/root/ppd/marvik.ppd" && break; sleep 0.1; done
elif [[ $ppd == model:* ]]; then
  lpinfo -m > "$work/models" || fail "lpinfo -m failed"
  model=$(awk -v nick="${ppd#model:}" 'substr($0, index($0, " ") + 1) == nick { print $1; exit }' "$work/models")
  [[ -n $model ]] || fail "lpinfo -m does not list ${ppd#model:}"
  lpadmin -p marvik -E -v "file://$work/job.prn" -m "$model" || fail "lpadmin -m $model failed"
else
  lpadmin -p marvik -E -v "file://$work/job.prn" -P "$ppd" || fail "lpadmin failed"
fi
job=$(lp -d marvik "$pdf" | sed -n 's/^request id is \(marvik-[0-9]*\).*/\1/p')
[[ -n $job ]] || fail "lp did not queue the job"

state=""
for _ in $(seq 1200); do  # at most two minutes
  if lpstat -W completed -o marvik 2>/dev/null | grep -q "^$job "; then state=completed; break; fi
  sleep 0.1
done
[[ $state == completed ]] || fail "job $job did not complete"
# Let the scheduler write its page log and the job's attributes.
for _ in $(seq 50); do grep -q total "$work/log/page_log" 2>/dev/null && break; sleep 0.1; done
# page_log: "printer user job-id [date] total pages ..."
pages=$(awk -v id="${job#marvik-}" '$3 == id && $6 == "total" { print $7 }' "$work/log/page_log")
printf 'job %s\nstate %s\npages %s\n' "$job" "$state" "${pages:-0}" > "$work/result"
