#!/bin/sh
# Builds the Debian package from the build tree and checks it as a distribution would: its file
# list, dependencies worked out from the binaries, the desktop entry and the user service.
# Usage: check_package.sh BUILD_DIR
set -eu
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" -D CPACK_PACKAGING_INSTALL_PREFIX=/usr >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/zorvik_*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/zorvik ./usr/bin/zorvik-cli ./usr/bin/zorvik-sim \
         ./usr/share/applications/zorvik.desktop \
         ./usr/share/icons/hicolor/scalable/apps/zorvik.svg \
         ./usr/share/icons/hicolor/128x128/apps/zorvik.png \
         ./usr/share/zorvik/alert.wav \
         ./usr/share/man/man1/zorvik.1 ./usr/share/man/man1/zorvik-cli.1 ./usr/share/man/man1/zorvik-sim.1 \
         ./usr/lib/systemd/user/zorvik-headless.service \
         ./usr/lib/zorvik/libzorvik-browser.so; do
  echo "$files" | grep -qx "$f" || { echo "missing from the package: $f"; exit 1; }
done
# Nothing of the build tree or the tests is shipped.
if echo "$files" | grep -q -e _tests -e bench -e '\.a$'; then echo "unexpected files:"; echo "$files"; exit 1; fi
# Dependencies come from the binaries, not from a typed list.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6widgets6 libqt6network6 libqt6dbus6 libqt6webenginecore6 libqt6httpserver6 libqt6websockets6 libstdc++6; do
  echo "$depends" | grep -q "$lib" || { echo "no $lib in Depends: $depends"; exit 1; }
done
# The notification services run the apprise program when it is there.
dpkg-deb -f "$deb" Recommends | grep -q apprise || { echo "apprise not recommended"; exit 1; }
dpkg-deb -x "$deb" "$out/root"
desktop-file-validate "$out/root/usr/share/applications/zorvik.desktop"
grep -q '^Name\[zh_CN\]=' "$out/root/usr/share/applications/zorvik.desktop"
test -x "$out/root/usr/bin/zorvik-headless" || { echo "zorvik-headless missing"; exit 1; }
for page in zorvik zorvik-cli zorvik-sim; do
  head -n 1 "$out/root/usr/share/man/man1/$page.1" | grep -q '^\.TH ' || { echo "bad man page $page"; exit 1; }
done
# The user unit, checked by systemd where it is there (pointed at the built program, since the
# package is not installed here).
if command -v systemd-analyze >/dev/null 2>&1; then
  sed -e "s|^ExecStart=/usr/bin/zorvik|ExecStart=$build/src/app/zorvik|" -e '/^Documentation=/d' \
    "$out/root/usr/lib/systemd/user/zorvik-headless.service" > "$out/zorvik-headless.service"
  systemd-analyze verify "$out/zorvik-headless.service"
fi
echo "package $(basename "$deb") checked"
