#!/usr/bin/env bash
# Runs a test with a private print server whose default queue keeps every job as a file:
#   virtual_printer.sh TEST-PROGRAM [ARGS...]
# The server (cupsd, own configuration and socket in a temporary folder) lives only for the
# test; CUPS_SERVER points the test at it and VELM_TEST_PRINT_JOBS names the folder of jobs.
# Exits 77 (skipped) where no print server can be started (not installed, or not root: the
# scheduler only drops to the lp account from root).
set -uo pipefail
cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
lpadmin=$(command -v lpadmin || echo /usr/sbin/lpadmin)
if [ ! -x "$cupsd" ] || [ ! -x "$lpadmin" ] || [ "$(id -u)" -ne 0 ] || ! id lp >/dev/null 2>&1; then
  echo "virtual printer: cupsd/lpadmin or root missing, skipped"
  exit 77
fi
dir=$(mktemp -d /tmp/velm-cups-XXXXXX)
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
mkdir -p "$dir"/{spool,tmp,cache,state,bin/backend,jobs}
chmod 1777 "$dir/jobs" "$dir/tmp"
for f in /usr/lib/cups/*; do [ "$(basename "$f")" = backend ] || ln -s "$f" "$dir/bin/"; done
# The "keep" backend copies a job into the folder of its device URI keep:/folder.
cat > "$dir/bin/backend/keep" <<'SH'
#!/bin/sh
[ $# -eq 0 ] && { echo 'file keep "Unknown" "Keep jobs"'; exit 0; }
folder=${DEVICE_URI#keep:}
if [ -n "${6:-}" ]; then cat "$6"; else cat; fi > "$folder/job-$1.tmp" && mv "$folder/job-$1.tmp" "$folder/job-$1"
SH
chmod 755 "$dir/bin/backend/keep"
cat > "$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
CONF
cat > "$dir/cups-files.conf" <<CONF
ServerRoot $dir
ServerBin $dir/bin
DataDir /usr/share/cups
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/error_log
AccessLog $dir/access_log
PageLog $dir/page_log
User lp
Group lp
CONF
"$cupsd" -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" &
pid=$!
export CUPS_SERVER=$dir/cups.sock
for _ in $(seq 50); do [ -S "$CUPS_SERVER" ] && break; sleep 0.1; done
if ! "$lpadmin" -p VELM-TEST -v "keep:$dir/jobs" -E 2>/dev/null || ! "$lpadmin" -d VELM-TEST; then
  echo "virtual printer: the queue could not be set up, skipped"
  cat "$dir/error_log" 2>/dev/null
  exit 77
fi
export VELM_TEST_PRINT_JOBS=$dir/jobs
"$@"
