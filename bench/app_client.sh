#!/usr/bin/env bash
# Submits jobs for the benchmarks and returns once the last byte is at the
# stand-in printer (bench/count_sink.py, noting into DIR). A shell script,
# so that starting it costs next to nothing against what it measures.
#   app_client.sh direct PORT FILE DIR
#     sends FILE straight to the printer on 127.0.0.1:PORT: no application
#   app_client.sh app URI FILE DIR [CLIENTS JOBS]
#     CLIENTS ipptool clients at once (1), each printing FILE JOBS times (1)
#     as PDF jobs on the printer application's URI, one after another
set -euo pipefail

# Lines the sink has noted in a file. Builtins only: the waiting must not
# take the processor from what it waits for.
count() {  # count FILE
  local lines=()
  [ ! -e "$1" ] || mapfile -t lines < "$1"
  echo ${#lines[@]}
}
exec {pause}<> <(:)
wait_for() {  # wait_for FILE COUNT
  local lines=()
  while :; do
    [ ! -e "$1" ] || mapfile -t lines < "$1"
    [ ${#lines[@]} -lt "$2" ] || return 0
    read -r -t 0.002 -u "$pause" || true
  done
}

case ${1:-}:$# in
  direct:4)
    target=$(($(count "$4/closes") + 1))
    exec 3<> "/dev/tcp/127.0.0.1/$2"
    cat "$3" >&3
    exec 3>&-
    wait_for "$4/closes" "$target"
    ;;
  app:4 | app:6)
    uri=$2 file=$3 dir=$4 clients=${5:-1} jobs=${6:-1}
    target=$(($(count "$dir/jobs") + clients * jobs))
    test=$(mktemp --suffix=.test)
    trap 'rm -f "$test"' EXIT
    for _ in $(seq "$jobs"); do
      cat >> "$test" <<'TEST'
{
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name bench
  ATTR mimeMediaType document-format application/pdf
  FILE $filename
  STATUS successful-ok
}
TEST
    done
    pids=()
    for _ in $(seq "$clients"); do
      ipptool -f "$file" "$uri" "$test" > /dev/null &
      pids+=($!)
    done
    for pid in "${pids[@]}"; do wait "$pid" || { echo "app_client: a job was not accepted" >&2; exit 1; }; done
    wait_for "$dir/jobs" "$target"
    ;;
  *)
    sed -n '2,10s/^# \{0,1\}//p' "$0" >&2
    exit 2
    ;;
esac
