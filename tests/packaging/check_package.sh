#!/bin/sh
# Builds the .deb, unpacks it into a scratch root and checks that what it
# installs is complete, under /usr and stripped, that Debian's package checker
# finds no error in it, that apt can install it here (its dependencies are
# this release's package names), and that the installed program finds its
# help book. Where the whole system is a throwaway one
# (ORLAVO_THROWAWAY_SYSTEM=1, as in scripts/debian13), apt installs it for
# real and the help check runs the installed program; elsewhere apt only
# simulates the installation, so that the machine stays as it was.
#
#   check_package.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
source=$2
work=$(mktemp -d /tmp/orlavo-package-XXXXXX)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null
deb=$(ls "$work"/out/*.deb)
dpkg-deb -x "$deb" "$work/root"
program=$work/root/usr/bin/orlavo
[ -f "$program" ] || { echo "FAIL: no usr/bin/orlavo in the package"; exit 1; }
prefix=$work/root/usr

status=0
if find "$work/root" -mindepth 1 -maxdepth 1 ! -name usr | grep -q . || [ -e "$prefix/local" ]; then
  echo "FAIL: files outside /usr or under /usr/local:"; dpkg-deb -c "$deb"; status=1
else
  echo "ok: everything under /usr"
fi
if readelf -S "$program" | grep -q '\.debug_\|\.symtab'; then
  echo "FAIL: the program is not stripped"; status=1
else
  echo "ok: the program is stripped"
fi
# Debian's package checker: errors fail the test, warnings are shown. Its
# scratch files go with the test's own.
TMPDIR=$work lintian --allow-root --fail-on error "$deb" || { echo "FAIL: lintian reports errors"; status=1; }
for file in bin/orlavo-page-check share/orlavo/orlavo.HLP share/orlavo/orlavo-help/overview.htm \
            share/doc/orlavo/copyright share/doc/orlavo/changelog.gz \
            share/applications/orlavo.desktop \
            share/icons/hicolor/16x16/apps/orlavo.png share/icons/hicolor/32x32/apps/orlavo.png \
            share/icons/hicolor/48x48/apps/orlavo.png share/icons/hicolor/64x64/apps/orlavo.png \
            share/icons/hicolor/128x128/apps/orlavo.png share/icons/hicolor/256x256/apps/orlavo.png \
            share/icons/hicolor/scalable/apps/orlavo.svg; do
  if [ -f "$prefix/$file" ]; then echo "ok: $file"; else echo "FAIL: $file missing"; status=1; fi
done
desktop-file-validate "$prefix/share/applications/orlavo.desktop" && echo "ok: desktop entry valid" || status=1

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libwx libcurl fonts-liberation fonts-ipafont-gothic librsvg2-common; do
  case "$depends" in
    *"$needed"*) echo "ok: depends on $needed" ;;
    *) echo "FAIL: no dependency on $needed in: $depends"; status=1 ;;
  esac
done

# What apt would say to a user's `apt install ./orlavo_*.deb`.
if [ "${ORLAVO_THROWAWAY_SYSTEM:-}" = 1 ]; then
  if DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" \
      >"$work/apt.log" 2>&1 && dpkg-query -W -f='${db:Status-Abbrev}' orlavo | grep -q '^ii'; then
    echo "ok: apt installs the package"
    program=/usr/bin/orlavo
  else
    echo "FAIL: apt does not install the package:"; cat "$work/apt.log"; status=1
  fi
elif apt-get install -s -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1; then
  echo "ok: apt would install the package (simulated)"
else
  echo "FAIL: apt would not install the package:"; cat "$work/apt.log"; status=1
fi

# Skipped (77) only when everything else passed and the help check alone
# could not run: it needs a private network namespace.
help=0
"$source/tests/e2e/private_desktop.sh" /usr/bin/python3 "$source/tests/packaging/open_help.py" \
  "$program" || help=$?
if [ $help -eq 77 ] && [ $status -eq 0 ]; then exit 77; fi
[ $help -eq 0 ] || status=1
exit $status
