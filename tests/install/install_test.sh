#!/usr/bin/env bash
# Checks what "cmake --install" and "cpack" deliver, from a first configure
# in a new build folder, as the README's install commands and
# scripts/package.sh do it: the filter in CUPS's filter folder with mode
# 0755, the PPD in CUPS's model folder, the cover sheet resources, the
# printer application's systemd unit and options file, and the same in the
# .deb.
#   install_test.sh BUILD_ROOT SOURCE_DIR
# The temporary build folder and install root live under BUILD_ROOT and are
# removed at the end (KEEP_INSTALL_TEST=1 keeps them). It builds the
# programs again, so scripts/test.sh runs it once, not from ctest.
set -euo pipefail
export LC_ALL=C

[ $# -eq 2 ] || { echo "usage: install_test.sh BUILD_ROOT SOURCE_DIR" >&2; exit 1; }
mkdir -p "$1"
build_root=$(realpath "$1")
source=$(realpath "$2")
serverbin=$(cups-config --serverbin)
datadir=$(cups-config --datadir)
[ -n "$serverbin" ] && [ -n "$datadir" ] || { echo "FAIL: cups-config gave no folders"; exit 1; }

work=$(mktemp -d "$build_root/install-test.XXXXXX")
build=$work/build
root=$work/root
log=$work/log
finish() {
  status=$?
  if [ $status -ne 0 ] && [ -f "$log" ]; then
    echo "--- configure, build, install and cpack output (last 40 lines)"; tail -n 40 "$log"
  fi
  [ -n "${KEEP_INSTALL_TEST:-}" ] && echo "kept $work" || rm -rf "$work"
  exit $status
}
trap finish EXIT

echo "configure, build and install in $build"
cmake -S "$source" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr -DTICKETPRESS_BUILD_TESTS=OFF \
  -DTICKETPRESS_BUILD_BENCH=OFF > "$log" 2>&1
cmake --build "$build" -j "$(nproc)" >> "$log" 2>&1
DESTDIR=$root cmake --install "$build" >> "$log" 2>&1

failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
mode_is() { [ -f "$2" ] && [ "$(stat -c %a "$2")" = "$1" ]; }

filter=$serverbin/filter/ticketpress
ppd=$datadir/model/quorlan/quorlan-pdf-laser.ppd
strings=/usr/share/ticketpress/coversheet/English.lproj/Localizable.strings
check "install: $filter, mode 0755" mode_is 755 "$root$filter"
check "install: no ticketpress in /usr/bin" test ! -e "$root/usr/bin/ticketpress"
check "install: $ppd" test -f "$root$ppd"
check "install: insertqfjt, coversheet and ticketpress-printer-app in /usr/bin" \
  test -x "$root/usr/bin/insertqfjt" -a -x "$root/usr/bin/coversheet" -a -x "$root/usr/bin/ticketpress-printer-app"
check "install: cover sheet strings in /usr/share/ticketpress" test -f "$root$strings"
check "install: man pages" test -f "$root/usr/share/man/man8/ticketpress.8" \
  -a -f "$root/usr/share/man/man8/ticketpress-printer-app.8" \
  -a -f "$root/usr/share/man/man1/coversheet.1" -a -f "$root/usr/share/man/man1/insertqfjt.1"

# The printer application's service: the unit where systemd looks for it,
# running the installed program with the installed options file.
unit_dir=$(pkg-config --variable=systemdsystemunitdir systemd 2> /dev/null || true)
[[ $unit_dir == /* ]] || unit_dir=/lib/systemd/system
unit=$unit_dir/ticketpress-printer-app.service
defaults=/etc/default/ticketpress-printer-app
check "install: $unit and $defaults" test -f "$root$unit" -a -f "$root$defaults"
runs_installed_app() {  # the unit starts the installed server with the installed options
  grep -qxF "EnvironmentFile=-$defaults" "$root$unit" &&
    grep -qxF "ExecStart=/usr/bin/ticketpress-printer-app server \$TICKETPRESS_PRINTER_APP_OPTIONS" \
      "$root$unit" && grep -q "^TICKETPRESS_PRINTER_APP_OPTIONS=" "$root$defaults"
}
check "install: the unit runs /usr/bin/ticketpress-printer-app server with $defaults" runs_installed_app
# systemd-analyze reads the unit as systemd would, from a copy of the install
# root that also has the targets and slices every service depends on; it
# looks for the program and the man page of Documentation= there.
verified() {
  local vroot=$work/verify-root said man=no
  cp -a "$root" "$vroot"
  cp /lib/systemd/system/*.target /lib/systemd/system/*.slice "$vroot$unit_dir/"
  command -v man > /dev/null && man=yes
  said=$(MANPATH=$vroot/usr/share/man systemd-analyze verify --man="$man" --root="$vroot" "$unit" 2>&1) &&
    [ -z "$said" ] || { printf '%s\n' "$said"; return 1; }
}
if command -v systemd-analyze > /dev/null; then
  check "install: systemd-analyze verify finds nothing in $unit" verified
else
  echo "skipped: systemd-analyze verify (no systemd-analyze)"
fi

# Outside the build folder coversheet reads the installed resources; unless
# a package is installed here, that folder is missing and it says so.
looks_in() {  # looks_in FOLDER: the installed coversheet misses FOLDER
  local said status=0
  said=$(cd / && env -u TICKETPRESS_RESOURCES "$root/usr/bin/coversheet" JRCSNAME=Ann 2>&1 \
         >/dev/null) || status=$?
  [ "$status" = 2 ] && [ "$said" = "coversheet: no resource folder $1" ]
}
if [ ! -e /usr/share/ticketpress/coversheet ]; then
  check "install: installed coversheet looks in /usr/share/ticketpress/coversheet" \
    looks_in /usr/share/ticketpress/coversheet
fi

echo "cpack in $build"
(cd "$build" && cpack -G DEB) >> "$log" 2>&1
debs=("$build"/ticketpress_*.deb)
check "cpack: one .deb" test ${#debs[@]} -eq 1 -a -f "${debs[0]}"
contents=$work/contents
dpkg-deb -c "${debs[0]}" > "$contents"
listed() {  # listed MODE PATH: dpkg-deb -c lists the file PATH with MODE
  grep -qE "^$1 .* \.$(printf '%s' "$2" | sed 's/[.[\*^$]/\\&/g')\$" "$contents"
}
check "package: .$filter, -rwxr-xr-x" listed -rwxr-xr-x "$filter"
check "package: .$ppd" listed -rw-r--r-- "$ppd"
check "package: no ticketpress in ./usr/bin" bash -c "! grep -q ' \./usr/bin/ticketpress\$' '$contents'"
check "package: .$strings" listed -rw-r--r-- "$strings"
check "package: .$unit" listed -rw-r--r-- "$unit"
check "package: .$defaults" listed -rw-r--r-- "$defaults"
# dpkg keeps the administrator's options; no maintainer script enables or
# starts the service.
service_control() {  # conffiles names the options file alone; no maintainer scripts
  [ "$(dpkg-deb -I "${debs[0]}" conffiles)" = "$defaults" ] &&
    [ "$(dpkg-deb --ctrl-tarfile "${debs[0]}" | tar -t | sort | tr '\n' ' ')" = \
      "./conffiles ./control ./md5sums " ]
}
check "package: conffiles is $defaults, no maintainer scripts" service_control
# The filter loads libcups at run time, where dpkg-shlibdeps cannot see it.
check "package: depends on libcups2" bash -c "dpkg-deb -f '${debs[0]}' Depends | grep -qw libcups2"

if [ "$failures" -ne 0 ]; then
  echo "--- dpkg-deb -c"; cat "$contents"
fi
echo "$failures failed"
[ "$failures" -eq 0 ]
