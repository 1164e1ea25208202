# shellcheck shell=bash
# A private cupsd for the end-to-end tests, sourced by their scripts. It
# listens on a local socket and on 127.0.0.1 at a free high port, keeps its
# configuration, spool, cache, state, logs (at debug level) and printcap in
# one folder, lets anyone do anything, and runs filters and backends as lp,
# so it needs root.
#
#   private_cupsd_start DIR [CUPS_FILES_LINES]
#       starts cupsd with its files in DIR (conf/, spool/, cache/, state/,
#       log/) and waits for its socket; sets cupsd_pid, cupsd_port and
#       cupsd_socket. CUPS_FILES_LINES go into cups-files.conf (ServerBin,
#       DataDir, FileDevice, ...). CUPS refuses filters in folders that
#       others may write to: DIR belongs in the build tree, not in /tmp.
#   private_cupsd_stop
#       ends the cupsd started, by its process id.
#   free_port [PORT...]
#       prints a free high port on the loopback address, none of those given.

cupsd_pid=

free_port() {
  local candidate
  for candidate in $(shuf -i 20000-60000 -n 50); do
    [[ " $* " != *" $candidate "* ]] || continue
    ss -Hltn "sport = :$candidate" | grep -q . || { echo "$candidate"; return 0; }
  done
  return 1
}

private_cupsd_start() {  # private_cupsd_start DIR [CUPS_FILES_LINES]
  local dir=$1 extra=${2:-} cupsd
  cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
  [ -x "$cupsd" ] || { echo "cupsd is not installed" >&2; return 1; }
  mkdir -p "$dir"/{conf,spool,cache,state,log}
  cupsd_port=$(free_port) || { echo "no free port for cupsd" >&2; return 1; }
  cupsd_socket=$dir/cups.sock
  cat > "$dir/conf/cupsd.conf" <<CONF
Listen $cupsd_socket
Listen 127.0.0.1:$cupsd_port
LogLevel debug
DefaultAuthType None
WebInterface No
Browsing No
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
  cat > "$dir/conf/cups-files.conf" <<CONF
$extra
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
User lp
Group lp
SystemGroup root
CONF
  "$cupsd" -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" &
  cupsd_pid=$!
  for _ in $(seq 100); do
    [ -S "$cupsd_socket" ] && return 0
    kill -0 "$cupsd_pid" 2> /dev/null || break
    sleep 0.1
  done
  echo "cupsd did not start" >&2
  return 1
}

private_cupsd_stop() {
  [ -n "$cupsd_pid" ] || return 0
  kill "$cupsd_pid" 2> /dev/null || true
  wait "$cupsd_pid" 2> /dev/null || true
  cupsd_pid=
}
