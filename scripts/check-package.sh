#!/usr/bin/env bash
# Builds the Debian package (Release, without tests, in build-package/) and
# checks it the way a user's machine would meet it: its contents and control
# fields; unpacked into a temporary root, the programs start from there and
# the desktop program finds its lists in ../share/tzc3; the desktop entry,
# metainfo and MIME types validate. Part of scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTZC3_TESTS=OFF \
  "${launcher[@]}" >/dev/null
rm -f build-package/tzc3_*.deb
cmake --build build-package --target package
deb=$(ls build-package/tzc3_*.deb)
version=$(sed -n 's/^project(TZC3 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }
pass() { echo "ok: $*"; }

echo "== $deb"
dpkg-deb -I "$deb"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
echo "$contents"

# Contents: the programs, the lists, the desktop files, the manual pages.
expected=(usr/bin/tzc3 usr/bin/tzc3-cli usr/bin/tzsim usr/share/applications/tzc3.desktop
          usr/share/mime/packages/tzc3.xml usr/share/icons/hicolor/scalable/apps/tzc3.svg
          usr/share/man/man1/tzc3.1.gz usr/share/man/man1/tzc3-cli.1.gz
          usr/share/man/man1/tzsim.1.gz)
for l in tzdevice wtzdevice rpdevice tzstdprm wtzstdprm rpstdprm error; do
  expected+=("usr/share/tzc3/$l.lst")
done
for n in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${n}x${n}/apps/tzc3.png")
done
for f in "${expected[@]}"; do
  grep -qx "./$f" <<<"$contents" || fail "the package lacks /$f"
done
grep -qE '^\./usr/share/metainfo/[^/]+\.metainfo\.xml$' <<<"$contents" || fail "no metainfo file"
outside=$(grep -vE '^\./(usr/.*)?$' <<<"$contents" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
[ $failed -eq 0 ] && pass "contents (${#expected[@]} files checked)"

# Control fields: name and version from the project, Depends from the binaries.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tzc3 ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project's $version"
for dep in libqt6widgets6 libqt6serialport6 libqt6printsupport6 qt6-translations-l10n; do
  grep -q "\b$dep\b" <<<"$(field Depends)" || fail "Depends lacks $dep"
done
for f in Maintainer Section Description; do
  [ -n "$(field "$f")" ] || fail "no $f field"
done
[ $failed -eq 0 ] && pass "control fields"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg -x "$deb" "$tmp/root"
bin=$tmp/root/usr/bin

out=$("$bin/tzc3" --version)
[ "$out" = "tzc3 $version" ] || fail "tzc3 --version says '$out'"
# The command line needs no display: no platform plugin is named.
out=$(env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$bin/tzc3-cli" --version) ||
  fail "tzc3-cli --version failed"
grep -q "$version" <<<"$out" || fail "tzc3-cli --version says '$out'"
echo "tzc3-cli --version: $out"
"$bin/tzsim" --help >/dev/null || fail "tzsim --help failed"

# The desktop program, offscreen, from the unpacked tree: it must start
# without a message (every message and question is logged) and picture its
# running window. Then, with the lists taken away, the same run must report
# them missing (and waits at that message until the time-out), or the first
# check proves nothing.
run_gui() { # log, seconds
  printf '[Settings]\nLanguege=2\n' >"$tmp/settings.ini"
  rm -rf "$tmp/shot"
  local status=0
  QT_QPA_PLATFORM=offscreen TZC3_SETTINGS="$tmp/settings.ini" TZC3_SCREENSHOT_DIR="$tmp/shot" \
    QT_LOGGING_RULES="tzc3.prompts.info=true" timeout "$2" "$bin/tzc3" >"$1" 2>&1 || status=$?
  return $status
}
if run_gui "$tmp/run.log" 60 && [ -f "$tmp/shot/running-program.png" ] &&
   ! grep -q 'tzc3.prompts\|No device list file\|Error list' "$tmp/run.log"; then
  pass "the unpacked tzc3 started and found its lists"
else
  fail "the unpacked tzc3 did not start cleanly:"; cat "$tmp/run.log" >&2
fi
mv "$tmp/root/usr/share/tzc3" "$tmp/lists"
run_gui "$tmp/missing.log" 15 || true
mv "$tmp/lists" "$tmp/root/usr/share/tzc3"
grep -qE 'No device list file|No file of Error list' "$tmp/missing.log" ||
  fail "without its lists the unpacked tzc3 did not say so"

# Desktop entry, metainfo (with the desktop entry it names) and MIME types.
desktop-file-validate "$tmp/root/usr/share/applications/tzc3.desktop" &&
  pass "desktop-file-validate" || fail "desktop-file-validate"
appstreamcli validate-tree --no-net "$tmp/root" && pass "appstreamcli validate-tree --no-net" ||
  fail "appstreamcli validate-tree"
update-mime-database "$tmp/root/usr/share/mime" || fail "update-mime-database"
for t in 'application/x-tzc3-positions:\*\.tpd' 'application/x-tzc3-parameters:\*\.pmt'; do
  grep -q "$t" "$tmp/root/usr/share/mime/globs2" || fail "no MIME glob $t"
  grep -q "MimeType=.*${t%%:*};" "$tmp/root/usr/share/applications/tzc3.desktop" ||
    fail "the desktop entry does not open ${t%%:*}"
done
[ $failed -eq 0 ] && pass "MIME types"

if [ $failed -ne 0 ]; then
  echo "Package check failed." >&2
  exit 1
fi
echo "Package check passed: $deb"
