#!/bin/sh
# Builds the .deb, unpacks it into a scratch root and checks that what it
# installs is complete and that the installed program finds its help book.
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
program=$(find "$work/root" -path '*/bin/orlavo' -type f)
[ -n "$program" ] || { echo "FAIL: no bin/orlavo in the package"; exit 1; }
prefix=$(dirname "$(dirname "$program")")

status=0
for file in share/orlavo/orlavo.HLP share/orlavo/orlavo-help/overview.htm \
            share/applications/orlavo.desktop \
            share/icons/hicolor/16x16/apps/orlavo.png share/icons/hicolor/32x32/apps/orlavo.png; do
  if [ -f "$prefix/$file" ]; then echo "ok: $file"; else echo "FAIL: $file missing"; status=1; fi
done
desktop-file-validate "$prefix/share/applications/orlavo.desktop" && echo "ok: desktop entry valid" || status=1

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libwx libcurl fonts-liberation fonts-ipafont-gothic; do
  case "$depends" in
    *"$needed"*) echo "ok: depends on $needed" ;;
    *) echo "FAIL: no dependency on $needed in: $depends"; status=1 ;;
  esac
done

"$source/tests/e2e/private_desktop.sh" /usr/bin/python3 "$source/tests/packaging/open_help.py" \
  "$program" || status=1
exit $status
