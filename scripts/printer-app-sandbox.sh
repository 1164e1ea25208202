#!/usr/bin/env bash
# A private instance of the printer application, for tests and trials: it
# listens on 127.0.0.1 unless told otherwise, keeps its spool, state, log
# and local socket in one folder, and has one printer, "laser", with the
# given device. It can be stopped and resumed with what it kept, as after a
# reboot.
set -euo pipefail

usage() {
  cat >&2 <<'USAGE'
Usage: printer-app-sandbox.sh start PORT DIR DEVICE_URI
       printer-app-sandbox.sh resume PORT DIR
       printer-app-sandbox.sh stop DIR

start  runs the printer application on 127.0.0.1:PORT with its spool, state,
       log and local socket in DIR, adds the printer "laser" with DEVICE_URI
       (socket://HOST:PORT, file:///FOLDER, ...), waits until
       ipp://127.0.0.1:PORT/ipp/print/laser accepts jobs, and prints the
       application's process id (also kept in DIR/printer-app.pid).
resume runs it again in DIR after a stop, with the printers, settings and
       jobs its state and spool kept, adds nothing, and waits and prints as
       start does.
stop   ends the application started in DIR: SIGTERM, then SIGKILL if it is
       still there after $PRINTER_APP_STOP_TIMEOUT seconds (10 unless
       set). Its exit status is then in DIR/printer-app.status (137 when it
       had to be killed).

The program is $TICKETPRESS_PRINTER_APP, else build/ticketpress-printer-app
of the project; it logs at $TICKETPRESS_PRINTER_APP_LOG_LEVEL, else debug.
Printers may write into files only when $TICKETPRESS_PRINTER_APP_FILE_FOLDER
names a folder: file: devices then write there and nowhere else.
$TICKETPRESS_PRINTER_APP_LISTEN is the address it listens on, 127.0.0.1
unless set (an address of this machine, for clients of other machines). It
listens on localhost as well, where start and resume wait for it.
USAGE
  exit 2
}

root=$(cd "$(dirname "$0")/.." && pwd)
app=${TICKETPRESS_PRINTER_APP:-$root/build/ticketpress-printer-app}
# Seconds to wait for the application to come up, and to go away.
start_timeout=30
stop_timeout=${PRINTER_APP_STOP_TIMEOUT:-10}
[[ $stop_timeout =~ ^[0-9]+$ ]] || { echo "printer-app-sandbox: PRINTER_APP_STOP_TIMEOUT must be a number of seconds" >&2; exit 2; }

# A process that still runs. One that has ended but was not reaped yet
# counts as gone: its parent, the shell that keeps its exit status, may
# not have been scheduled since.
running() {  # running PID
  local stat
  stat=$(cat "/proc/$1/stat" 2> /dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# The process id in DIR, if that process is the application started there:
# a process id can be reused after the application has ended, and stop must
# never signal another program.
sandbox_pid() {  # sandbox_pid DIR
  local pid
  pid=$(cat "$1/printer-app.pid" 2> /dev/null) || return 1
  [[ $pid =~ ^[0-9]+$ ]] && running "$pid" || return 1
  tr '\0' '\n' < "/proc/$pid/cmdline" 2> /dev/null | grep -qxF "spool-directory=$1/spool" || return 1
  echo "$pid"
}

stop_pid() {  # stop_pid PID
  local pid=$1 waited=0
  kill -TERM "$pid" 2> /dev/null || return 0
  while running "$pid"; do
    if [ "$waited" -ge $((stop_timeout * 10)) ]; then
      echo "printer-app-sandbox: process $pid ignored SIGTERM for ${stop_timeout}s, killing it" >&2
      kill -KILL "$pid" 2> /dev/null || true
      while running "$pid"; do sleep 0.1; done
      return 0
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
}

# Runs the application in DIR on PORT with the state DIR has, and waits
# until it listens; sets dir (made absolute), pid, sandbox_env and log.
launch() {  # launch PORT DIR
  local port=$1 tries=0
  dir=$2
  [[ $port =~ ^[0-9]+$ ]] && [ "$port" -ge 1024 ] && [ "$port" -le 65535 ] || {
    echo "printer-app-sandbox: PORT must be a number from 1024 to 65535, not '$port'" >&2
    exit 2
  }
  [ -x "$app" ] || { echo "printer-app-sandbox: no program at $app (build it first)" >&2; exit 1; }
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  # The application's environment, for the server and every sub-command:
  # PAPPL puts its local socket in SNAP_COMMON (root) or TMPDIR (other
  # users), and its per-user settings in XDG_CONFIG_HOME; all in DIR keeps
  # sandboxes apart from each other and from the system's own instance.
  # Through env, so that the server started in the background is the
  # process whose id $! gives.
  sandbox_env=(env SNAP_COMMON="$dir" TMPDIR="$dir" XDG_CONFIG_HOME="$dir")
  if pid=$(sandbox_pid "$dir"); then
    echo "printer-app-sandbox: $dir already has a running application (process $pid)" >&2
    exit 1
  fi
  if ss -Hltn "sport = :$port" | grep -q .; then
    echo "printer-app-sandbox: port $port is already in use" >&2
    exit 1
  fi

  # PAPPL names the socket after the program; root's goes in SNAP_COMMON,
  # another user's in TMPDIR with the user id.
  local base
  base=$(basename "$app")
  if [ "$(id -u)" = 0 ]; then socket=$dir/$base.sock; else socket=$dir/$base$(id -u).sock; fi
  [ "${#socket}" -lt 108 ] || {
    echo "printer-app-sandbox: $dir is too long a path for a local socket ($socket)" >&2
    exit 1
  }
  # A socket file outlives its server. Its removal lets the wait below see
  # the new server, and the sub-commands must not find the old one: a
  # sub-command that cannot connect starts a server of its own, outside
  # the sandbox's control.
  rm -f "$socket" "$dir/printer-app.pid" "$dir/printer-app.status"
  log=$dir/printer-app.log
  mkdir -p "$dir/spool"

  # A shell waits for the server to keep its exit status; the process id
  # in DIR is the server's own.
  (
    # Under AddressSanitizer the server is checked for memory errors, not
    # for leaks: PAPPL 1.3 frees neither its socket devices' host names nor
    # its footer, UUID and timers, and stops with them still held.
    "${sandbox_env[@]}" ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0"} "$app" server \
      -o listen-hostname="${TICKETPRESS_PRINTER_APP_LISTEN:-127.0.0.1}" -o server-port="$port" \
      -o spool-directory="$dir/spool" -o log-file="$log" -o log-level="${TICKETPRESS_PRINTER_APP_LOG_LEVEL:-debug}" \
      -o state-file="$dir/printer-app.state" \
      ${TICKETPRESS_PRINTER_APP_FILE_FOLDER:+-o file-device-folder="$TICKETPRESS_PRINTER_APP_FILE_FOLDER"} &
    server=$!
    echo "$server" > "$dir/printer-app.pid.new"
    mv "$dir/printer-app.pid.new" "$dir/printer-app.pid"
    status=0
    wait "$server" || status=$?
    echo "$status" > "$dir/printer-app.status"
  ) < /dev/null >> "$dir/printer-app.out" 2>&1 &
  until pid=$(cat "$dir/printer-app.pid" 2> /dev/null); do
    [ "$tries" -lt $((start_timeout * 10)) ] || { echo "printer-app-sandbox: the application did not start" >&2; exit 1; }
    sleep 0.1
    tries=$((tries + 1))
  done

  # The server's TCP listener comes up before its local socket, so a
  # listening local socket means both are ready.
  until ss -Hlx src "$socket" | grep -q .; do
    running "$pid" || fail "the application ended while starting"
    [ "$tries" -lt $((start_timeout * 10)) ] || fail "no local socket $socket after ${start_timeout}s"
    sleep 0.1
    tries=$((tries + 1))
  done
}

# Gives up on a start: says why, shows the ends of the logs, and stops
# what was started.
fail() {  # fail MESSAGE
  echo "printer-app-sandbox: $1" >&2
  echo "--- $dir/printer-app.out" >&2
  tail -n 20 "$dir/printer-app.out" >&2 || true
  echo "--- $log (last 40 lines)" >&2
  tail -n 40 "$log" >&2 2> /dev/null || true
  stop_pid "$pid"
  rm -f "$dir/printer-app.pid"
  exit 1
}

# Waits until the printer laser on PORT accepts jobs, and prints the
# application's process id.
wait_accepting() {  # wait_accepting PORT
  local uri=ipp://127.0.0.1:$1/ipp/print/laser tries=0
  cat > "$dir/accepting.test" <<'TEST'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword requested-attributes printer-is-accepting-jobs
  STATUS successful-ok
  EXPECT printer-is-accepting-jobs OF-TYPE boolean WITH-VALUE true
}
TEST
  until ipptool -q -T 5 "$uri" "$dir/accepting.test" 2> /dev/null; do
    running "$pid" || fail "the application ended before $uri accepted jobs"
    [ "$tries" -lt $((start_timeout * 10)) ] || fail "$uri did not accept jobs after ${start_timeout}s"
    sleep 0.1
    tries=$((tries + 1))
  done
  echo "$pid"
}

start() {  # start PORT DIR DEVICE_URI
  local device=$3
  # The sandbox's printer is the one on this command line, not one kept in
  # the state of an earlier run.
  rm -f "$2/printer-app.state"
  launch "$1" "$2"
  "${sandbox_env[@]}" "$app" add -d laser -v "$device" -m quorlan_pdf_laser > /dev/null 2>> "$dir/printer-app.out" ||
    fail "the application did not add the printer laser with $device"
  wait_accepting "$1"
}

resume() {  # resume PORT DIR
  [ -f "$2/printer-app.state" ] || { echo "printer-app-sandbox: no state in $2 to resume" >&2; exit 1; }
  launch "$1" "$2"
  wait_accepting "$1"
}

stop() {  # stop DIR
  local dir=$1 pid
  [ -d "$dir" ] || { echo "printer-app-sandbox: no folder $dir" >&2; exit 1; }
  dir=$(cd "$dir" && pwd)
  if pid=$(sandbox_pid "$dir"); then
    stop_pid "$pid"
    # The shell that waited for it writes the exit status right after.
    local waited=0
    while [ ! -s "$dir/printer-app.status" ] && [ "$waited" -lt 50 ]; do
      sleep 0.1
      waited=$((waited + 1))
    done
  fi
  rm -f "$dir/printer-app.pid"
}

case ${1:-} in
  start) [ $# -eq 4 ] || usage; start "$2" "$3" "$4" ;;
  resume) [ $# -eq 3 ] || usage; resume "$2" "$3" ;;
  stop) [ $# -eq 2 ] || usage; stop "$2" ;;
  *) usage ;;
esac
