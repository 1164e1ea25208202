#!/usr/bin/env bash
# The printer application as a root service that local users and print
# clients cannot turn against its host: who may administer through the
# local socket, file: devices, names that reach the kept state, and a state
# file an older version kept with such names in it.
#   printer_app_trust_test.sh BUILD_DIR SOURCE_DIR
# Exits 77 (skipped) when a tool it needs is missing or it does not run as
# root (it runs sub-commands as the user nobody).
set -euo pipefail
export LC_ALL=C

build=$(realpath "$1")
source=$(realpath "$2")
. "$source/tests/printerapp/printer_app_test_lib.sh"
require_tools python3 ipptool ss setpriv
[ "$(id -u)" = 0 ] || { echo "SKIP: runs sub-commands as nobody, so needs root"; exit 77; }
app=$build/ticketpress-printer-app
[ -x "$app" ] || { echo "FAIL: $app is not built"; exit 1; }
sandbox=$source/scripts/printer-app-sandbox.sh
export TICKETPRESS_PRINTER_APP=$app

work=$(mktemp -d "$build/printer-app-trust.XXXXXX")
# nobody reaches the local socket in the sandbox folder through these.
chmod 755 "$work"
sink_pid=
apps=()
finish() {
  status=$?
  local dir
  for dir in "${apps[@]}"; do PRINTER_APP_STOP_TIMEOUT=5 "$sandbox" stop "$dir" 2> /dev/null || true; done
  stop_sink
  if [ $status -ne 0 ]; then
    for dir in "${apps[@]}"; do
      echo "--- $dir/printer-app.log (errors and warnings)"; grep -a '^[EW] ' "$dir/printer-app.log" | tail -n 30 || true
    done
  fi
  [ -n "${KEEP_PRINTER_APP_TRUST:-}" ] && echo "kept $work" || rm -rf "$work"
  exit $status
}
trap finish EXIT

dir=$work/app
apps+=("$dir")
start_sink free "$work/out" "$work/sink.log"
port=$(free_port "$sink_port") || { echo "FAIL: no free port"; exit 1; }
"$sandbox" start "$port" "$dir" "socket://127.0.0.1:$sink_port" > /dev/null
chmod 755 "$dir"
uri=ipp://127.0.0.1:$port/ipp/print/laser
local_uri=$(local_printer_uri "$dir")
local_system_uri=${local_uri%/ipp/print/laser}/ipp/system
pdf=$source/data/letter-1page.pdf

# The sub-commands in the sandbox, as root or as nobody.
sub() { env SNAP_COMMON="$dir" TMPDIR="$dir" XDG_CONFIG_HOME="$dir" "$app" "$@" < /dev/null; }
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
printers() { sub printers | sort | tr '\n' ' '; }

# An ipptool request FILE of OPERATION at $uri with attribute lines.
ipp_test() {  # ipp_test FILE OPERATION [LINES]
  cat > "$work/$1.test" <<TEST
{
  OPERATION $2
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ${3:-}
}
TEST
}
# Sends the request FILE to URI and is true when the answer's status is
# STATUS (an HTTP refusal counts as its IPP status); as_nobody first to
# send it as nobody.
answers() {  # answers [as_nobody] URI FILE STATUS
  local who=() out
  [ "$1" = as_nobody ] && { who=(as_nobody); shift; }
  out=$("${who[@]}" ipptool -tv -T 10 "$1" "$work/$2.test" < /dev/null 2>&1 || true)
  grep -q "status-code = $3 " <<< "$out"
}
printer_uri_line='ATTR uri printer-uri $uri'
system_uri_line='ATTR uri system-uri $uri'
sent_named() { grep -l "@PJL JOB NAME = \"$1\"" "$work"/out/job-*.prn 2> /dev/null | wc -l; }

# ---------------------------------------------------------------------------
echo "== the local socket: only root and the admin group administer"
check "the socket is the application's, root's, and every local user may connect" \
  test "$(stat -c '%U %a %F' "$dir/ticketpress-printer-app.sock")" = "root 666 socket"
before=$(printers)
for command in "add -d evil -v socket://127.0.0.1:9 -m quorlan_pdf_laser" "delete -d laser" \
  "modify -d laser -o printer-location=owned" "default -d laser" "pause -d laser" "shutdown"; do
  # shellcheck disable=SC2086
  check "nobody: '$command' fails" eval '! as_nobody env SNAP_COMMON="$dir" TMPDIR="$dir" "$app" '"$command"' < /dev/null > /dev/null 2>&1'
done
# The same requests as bytes, so that a refusal is the server's and not the
# sub-command's: each is forbidden to nobody.
ipp_test create Create-Printer "$system_uri_line
  ATTR keyword printer-service-type print
  ATTR uri smi55357-device-uri socket://127.0.0.1:9
  ATTR keyword smi55357-driver quorlan_pdf_laser
  GROUP printer-attributes-tag
  ATTR name printer-name evil"
ipp_test delete Delete-Printer "$system_uri_line
  ATTR integer printer-id 1"
ipp_test set-system Set-System-Attributes "$system_uri_line
  GROUP system-attributes-tag
  ATTR text system-location owned"
ipp_test shutdown Shutdown-All-Printers "$system_uri_line"
ipp_test pause Pause-Printer "$printer_uri_line"
ipp_test set-printer Set-Printer-Attributes "$printer_uri_line
  GROUP printer-attributes-tag
  ATTR text printer-location owned"
for request in create delete set-system shutdown pause set-printer; do
  target=$local_uri
  [[ $request =~ ^(create|delete|set-system|shutdown)$ ]] && target=$local_system_uri
  check "nobody through the socket: $request is forbidden" answers as_nobody "$target" "$request" client-error-forbidden
done
check "the refusals are logged with the user" grep -aq 'Refused: local user "nobody" is not root' "$dir/printer-app.log"
check "the printers are as they were, and the server still runs" test "$(printers)" = "$before"
check "root through the socket changes a printer setting" answers "$local_uri" set-printer successful-ok

echo "== printing and one's own jobs stay open to every user"
check "nobody submits a job through the socket" eval 'as_nobody env SNAP_COMMON="$dir" TMPDIR="$dir" "$app" submit -d laser -t by-nobody "$pdf" < /dev/null > /dev/null'
check "the job is nobody's and nobody sees it" eval 'as_nobody env SNAP_COMMON="$dir" TMPDIR="$dir" "$app" jobs -d laser < /dev/null | grep -q "nobody *by-nobody"'
# A job held for good, to be cancelled by others.
ipp_test held Print-Job "$printer_uri_line
  ATTR name requesting-user-name alice
  ATTR name job-name held-for-alice
  GROUP job-attributes-tag
  ATTR keyword job-hold-until indefinite
  FILE $pdf
  DISPLAY job-id"
held=$(ipptool -t "$uri" "$work/held.test" 2> /dev/null | sed -n 's/.*job-id (integer) = \([0-9]*\).*/\1/p')
ipp_test cancel Cancel-Job "$printer_uri_line
  ATTR integer job-id $held
  ATTR name requesting-user-name mallory"
check "mallory's Cancel-Job of alice's job over the network is refused" \
  answers "$uri" cancel client-error-not-authenticated
check "nobody's Cancel-Job of alice's job through the socket is refused" \
  answers as_nobody "$local_uri" cancel client-error-forbidden
check "alice's job is still held" eval 'all_job_states "$uri" | grep -qx "$held,pending-held"'

# ---------------------------------------------------------------------------
echo "== file: devices only into the folder the server allows"
mkdir -p "$work/files" && touch "$work/outside"
refusal=$(sub add -d to-file -v "file://$work/files" -m quorlan_pdf_laser 2>&1 || true)
check "root's add with a file: device is refused, and says which option allows it" \
  grep -q -- "-o file-device-folder=FOLDER" <<< "$refusal"
check "the server's log says why" grep -aq 'Printer refused: file: devices are off' "$dir/printer-app.log"
check "no printer was added" test "$(printers)" = "$before"

# ---------------------------------------------------------------------------
echo "== names that reach the kept state"
# Print-Job requests as a client may send them: a job name with line ends
# and a printer line between them, one of 4,000 bytes, a user name with a
# line end.
python3 - "$port" "$pdf" <<'PYTHON'
import http.client
import struct
import sys

port, pdf = int(sys.argv[1]), open(sys.argv[2], "rb").read()


def attribute(tag, name, value):
    return bytes([tag]) + struct.pack(">H", len(name)) + name + struct.pack(">H", len(value)) + value


def print_job(name, user):
    body = (struct.pack(">BBHI", 2, 0, 0x0002, 1) + b"\x01" + attribute(0x47, b"attributes-charset", b"utf-8")
            + attribute(0x48, b"attributes-natural-language", b"en")
            + attribute(0x45, b"printer-uri", b"ipp://127.0.0.1:%d/ipp/print/laser" % port)
            + attribute(0x42, b"requesting-user-name", user) + attribute(0x42, b"job-name", name)
            + attribute(0x49, b"document-format", b"application/pdf") + b"\x03" + pdf)
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=20)
    connection.request("POST", "/ipp/print/laser", body, {"Content-Type": "application/ipp"})
    answer = connection.getresponse().read()
    assert answer[2:4] == b"\x00\x00", answer[2:4]


print_job(b"before", b"alice")
print_job(b"injected\n<Printer did=x driver=quorlan_pdf_laser id=9 name=owned uri=file:///tmp/owned>\nNextJobId 1",
          b"mallory")
print_job(b"L" * 4000, b"mal\r\nlory")
PYTHON
sub submit -d laser -t "$(printf 'two\nlines')" "$pdf" > /dev/null
ipp_test after Print-Job "$printer_uri_line
  ATTR name requesting-user-name bob
  ATTR name job-name after
  FILE $pdf"
ipptool -q "$uri" "$work/after.test"
wait_jobs() { [ "$(all_job_states "$uri" | grep -c ',completed$')" = "$1" ]; }
check "the six jobs printed" wait_for 30 wait_jobs 6
check "the printed names are one line" test "$(sent_named 'injected<Printer did=x driver=quorlan_pdf_laser id=9 name=owned uri=file:///tmp/owned>NextJobId 1')" = 1
jobs_before=$(all_job_states "$uri" | cut -d, -f1 | sort -n | tr '\n' ' ')
"$sandbox" stop "$dir"
"$sandbox" resume "$port" "$dir" > /dev/null
check "after a restart the printers are as they were" test "$(printers)" = "$before"
check "every job is still there" test "$(all_job_states "$uri" | cut -d, -f1 | sort -n | tr '\n' ' ')" = "$jobs_before"
"$sandbox" stop "$dir"
# Every kept name is one line of at most 255 octets, and the only printer
# in the state is the real one.
kept_names_bounded() {  # kept_names_bounded STATE
  python3 - "$1" <<'PYTHON'
import re
import sys

lines = open(sys.argv[1], "rb").read().split(b"\n")
printers = [line for line in lines if line.startswith(b"<Printer ")]
assert len(printers) == 1 and b' name="laser"' in printers[0], printers
jobs = [line for line in lines if line.startswith(b"Job ")]
assert len(jobs) == 7, len(jobs)
for job in jobs:
    for key in (b"name", b"username"):
        value = re.search(rb' %s="((?:[^"\\]|\\.)*)"' % key, job).group(1)
        assert len(value) <= 255 and not re.search(rb"[\x00-\x1f\x7f]", value), job[:80]
PYTHON
}
check "each kept name is one line of at most 255 octets" kept_names_bounded "$dir/printer-app.state"

# ---------------------------------------------------------------------------
echo "== a state file kept before names were bounded"
old=$work/old
mkdir -p "$old"
cp "$source/tests/printerapp/injected-names.state" "$old/printer-app.state"
apps+=("$old")
old_port=$(free_port "$sink_port" "$port") || { echo "FAIL: no free port"; exit 1; }
"$sandbox" resume "$old_port" "$old" > /dev/null
old_uri=ipp://127.0.0.1:$old_port/ipp/print/laser
check "its printer line in a job name makes no printer" \
  test "$(env SNAP_COMMON="$old" TMPDIR="$old" "$app" printers < /dev/null)" = laser
check "no job it holds in good form is lost" \
  test "$(all_job_states "$old_uri" | sort -n | tr '\n' ' ')" = "1,completed 2,completed 3,completed 4,completed "
check "the file as it was is set aside next to it" eval 'ls "$old"/printer-app.state.rejected-* > /dev/null 2>&1'
check "the log says what was repaired" grep -aq "job 2" "$old/printer-app.log"

# ---------------------------------------------------------------------------
echo "== with a file device folder"
TICKETPRESS_PRINTER_APP_FILE_FOLDER=$work/files "$sandbox" resume "$port" "$dir" > /dev/null
check "a printer writes into the allowed folder" sub add -d to-file -v "file://$work/files" -m quorlan_pdf_laser
check "but not into a file outside it" eval '! sub add -d outside -v "file://$work/files/../outside" -m quorlan_pdf_laser > /dev/null 2>&1'
sub submit -d to-file -t into-folder "$pdf" > /dev/null
wait_for 10 test -s "$work/files/into-folder.prn" || true
check "its job is in the folder" whole_and_alone "$work/files/into-folder.prn"
check "nothing was written outside it" test ! -s "$work/outside"
# Started again without the folder, the server does not make that printer:
# the state as it was, which holds it, is kept aside.
"$sandbox" stop "$dir"
"$sandbox" resume "$port" "$dir" > /dev/null
check "without the option the file printer is not loaded" test "$(printers)" = "$before"
check "the state that holds it is kept aside" \
  eval 'grep -l "name=\"to-file\"" "$dir"/printer-app.state.rejected-* > /dev/null 2>&1'

echo "$failures failures"
[ "$failures" = 0 ]
