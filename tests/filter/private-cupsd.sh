#!/usr/bin/env bash
# Prints a PDF through a private CUPS scheduler (own ServerRoot, spool, logs
# and ServerBin, a unix socket in WORK) with this build's filter, never
# touching the machine's CUPS.   private-cupsd.sh FILTER PPD PDF WORK
# (texttomarvik is taken from beside FILTER; PDF may be any document lp takes)
# PPD: a file; model:NICKNAME, the model lpinfo -m (in WORK/models) lists as
# NICKNAME; or everywhere:URI, a driverless queue to the IPP printer at URI,
# which then gets the bytes. Leaves WORK/job.prn and WORK/result (job state,
# pages). The scheduler is stopped on every exit; every wait is bounded.
# LP_OPTIONS: options of the lp command (e.g. "-o print-quality=3").
set -euo pipefail
filter=$1 ppd=$2 pdf=$3 work=$4 asked=$4
# The scheduler runs filters and backends as lp, which may not reach WORK (a
# checkout under /root): then the files live under /tmp and are copied back.
mkdir -p "$work"
runuser -u lp -- test -x "$work" 2>/dev/null || work=$(mktemp -d /tmp/private-cupsd.XXXXXX)
cupsd_pid=""
stop() {
  [[ -n $cupsd_pid ]] && kill -TERM "$cupsd_pid" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$cupsd_pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$cupsd_pid" 2>/dev/null || true
}
cleanup() {
  stop
  [[ $work == "$asked" ]] || { cp -r "$work"/{job.prn,result,log} "$asked"/ 2>/dev/null; rm -rf "$work"; }
  return 0
}
trap cleanup EXIT
fail() { echo "private-cupsd: $*" >&2; [[ -f $work/log/error_log ]] && tail -n 40 "$work/log/error_log" >&2; exit 1; }

# A PPD left by an earlier run in WORK would pass for the new queue's.
rm -rf "$work/root/ppd"
mkdir -p "$work"/{root/ppd,spool/tmp,tmp,cache,state,log,serverbin/filter,serverbin/backend}
chmod 0755 "$work" "$work"/*
serverbin=$(cups-config --serverbin)
for f in "$serverbin"/{filter,backend}/*; do ln -s "$f" "$work/serverbin/${f#"$serverbin"/}" 2>/dev/null || true; done
# The scheduler runs only filters owned by root and writable by nobody else.
# The text filter is the one beside FILTER.
for f in "$filter" "$(dirname "$filter")/texttomarvik"; do
  rm -f "$work/serverbin/filter/${f##*/}"
  install -m 0755 "$f" "$work/serverbin/filter/"
done
for d in daemon notifier cgi-bin; do ln -s "$serverbin/$d" "$work/serverbin/$d" 2>/dev/null || true; done

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
job=$(lp -d marvik ${LP_OPTIONS:-} "$pdf" | sed -n 's/^request id is \(marvik-[0-9]*\).*/\1/p')
[[ -n $job ]] || fail "lp did not queue the job"

state=""
for _ in $(seq 1200); do  # at most two minutes
  lpstat -W completed -o marvik 2>/dev/null | grep -q "^$job " && state=completed && break
  sleep 0.1
done
[[ $state == completed ]] || fail "job $job did not complete"
# Let the scheduler write its page log and the job's attributes.
for _ in $(seq 50); do grep -q total "$work/log/page_log" 2>/dev/null && break; sleep 0.1; done
# page_log: "printer user job-id [date] total pages ..."
pages=$(awk -v id="${job#marvik-}" '$3 == id && $6 == "total" { print $7 }' "$work/log/page_log")
printf 'job %s\nstate %s\npages %s\n' "$job" "$state" "${pages:-0}" > "$work/result"
