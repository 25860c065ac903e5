#!/usr/bin/env bash
# The Debian package, end to end: builds brisklet in a Release tree of its own (hardened with
# Debian's build flags, prefix /usr), makes the .deb with CPack, unpacks it into a temporary root,
# checks what lands where, validates the desktop entry and the AppStream metadata there, runs the
# unpacked program's report over a fixture home, and lets lintian judge the package.
#   tests/package.sh SOURCE-DIR BUILD-DIR
# BUILD-DIR is kept between runs, so that a second run only rebuilds what changed.
set -euo pipefail
source_dir=$(cd "$1" && pwd)
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $1"; exit 1; }
step() { echo "== $1 ($SECONDS s)"; }

for tool in dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli python3 gzip; do
  command -v "$tool" > /dev/null || fail "$tool is missing: scripts/deps.sh installs it"
done

step "build"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')"
cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DBRISKLET_TESTS=OFF -DBRISKLET_BENCH=OFF -DBRISKLET_SANITIZE=OFF -DBRISKLET_WERROR=ON \
      "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" > "$work/configure.log" ||
  { cat "$work/configure.log"; fail "configure"; }
cmake --build "$build" --parallel 2 > "$work/build.log" || { tail -50 "$work/build.log"; fail "build"; }

step "package"
rm -f "$build"/brisklet_*.deb
(cd "$build" && cpack -G DEB > "$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/brisklet_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb; made: $(ls "$build"/*.deb 2> /dev/null)"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = brisklet ] || fail "Package is '$(field Package)'"
[ "$(field Section)" = utils ] || fail "Section is '$(field Section)'"
depends=$(field Depends)
for needed in pkexec libqt6widgets6 libqt6dbus6 libqt6svg6 libicu 'libc6 (>='; do
  grep -qF -- "$needed" <<< "$depends" || fail "Depends lacks $needed: $depends"
done
field Description | grep -q 'disk space and memory' || fail "no description"

step "layout"
root="$work/root"
dpkg-deb -x "$deb" "$root"
(cd "$root" && find . -type f | sed 's|^\./||' | sort) > "$work/files"
cat > "$work/expected" << 'LIST'
usr/bin/brisklet
usr/libexec/brisklet/brisklet-drop-caches
usr/share/applications/org.brisklet.Brisklet.desktop
usr/share/doc/brisklet/changelog.gz
usr/share/doc/brisklet/copyright
usr/share/icons/hicolor/scalable/apps/org.brisklet.Brisklet.svg
usr/share/icons/hicolor/symbolic/apps/org.brisklet.Brisklet-symbolic.svg
usr/share/man/man1/brisklet.1.gz
usr/share/metainfo/org.brisklet.Brisklet.metainfo.xml
usr/share/polkit-1/actions/org.brisklet.drop-caches.policy
LIST
diff -u "$work/expected" "$work/files" || fail "the package holds other files than expected"
[ -x "$root/usr/bin/brisklet" ] && [ -x "$root/usr/libexec/brisklet/brisklet-drop-caches" ] || fail "not executable"
file "$root/usr/bin/brisklet" | grep -q 'stripped' && ! file "$root/usr/bin/brisklet" | grep -q 'not stripped' ||
  fail "the program is not stripped"

# pkexec only runs the helper at the path the policy names, and the program looks for it next to
# itself: both must be where the package puts it.
grep -qF '<annotate key="org.freedesktop.policykit.exec.path">/usr/libexec/brisklet/brisklet-drop-caches</annotate>' \
  "$root/usr/share/polkit-1/actions/org.brisklet.drop-caches.policy" || fail "the policy names another helper path"
grep -qx 'Exec=/usr/bin/brisklet' "$root/usr/share/applications/org.brisklet.Brisklet.desktop" ||
  fail "the desktop entry starts something else"
grep -qx 'Icon=org.brisklet.Brisklet' "$root/usr/share/applications/org.brisklet.Brisklet.desktop" || fail "icon name"

step "desktop entry and metadata"
# SingleMainWindow came with version 1.5 of the desktop entry format; validators older than that
# (Debian 12 has 0.26) call it unknown. Everything else must pass as it is.
desktop_out=$(desktop-file-validate "$root/usr/share/applications/org.brisklet.Brisklet.desktop" 2>&1 || true)
desktop_rest=$(grep -v 'contains key "SingleMainWindow" in group "Desktop Entry", but keys extending the format should start with "X-"' \
                 <<< "$desktop_out" || true)
[ -z "$desktop_rest" ] || fail "desktop-file-validate: $desktop_rest"
[ -n "$desktop_out" ] && echo "desktop-file-validate, predating SingleMainWindow: $desktop_out"
appstreamcli validate --no-net --explain "$root/usr/share/metainfo/org.brisklet.Brisklet.metainfo.xml" ||
  fail "appstreamcli validate"
# The metadata's screenshots are the committed snapshot pictures, published under the homepage.
for picture in overview junk; do
  grep -q "/screenshots/$picture.png</image>" "$root/usr/share/metainfo/org.brisklet.Brisklet.metainfo.xml" ||
    fail "metadata lacks screenshot $picture"
  [ -s "$source_dir/assets/desktop/screenshots/$picture.png" ] || fail "screenshot $picture.png is not in the tree"
done
zcat "$root/usr/share/man/man1/brisklet.1.gz" > "$work/brisklet.1"
grep -qF -- '.B \-\-json' "$work/brisklet.1" || fail "the manual page does not document --json"

step "run the unpacked program"
home="$work/home"
mkdir -p "$home/.local/share/Trash/files" "$home/.local/share/Trash/info" "$home/tmp"
head -c 200000 /dev/urandom > "$home/.local/share/Trash/files/clip.1.mov"
printf '[Trash Info]\nPath=/x/My%%20clip.mov\n' > "$home/.local/share/Trash/info/clip.1.mov.trashinfo"
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u XDG_DATA_HOME -u XDG_CACHE_HOME \
      -u XDG_CONFIG_HOME QT_QPA_PLATFORM=xcb HOME="$home" TMPDIR="$home/tmp" "$root/usr/bin/brisklet" "$@"
}
[ "$(run --version)" = "brisklet $version" ] || fail "--version"
report=$(run --report)
grep -q '^Disk  ' <<< "$report" && grep -q '^RAM   ' <<< "$report" && grep -qx 'Top processes' <<< "$report" ||
  fail "report: $report"
grep -qE '^  ☑ 2[0-9]{2} KB +My clip\.mov$' <<< "$report" || fail "report lacks the Trash item: $report"
run --report --json > "$work/report.json"
python3 - "$work/report.json" << 'PY' || fail "JSON report"
import json, sys
report = json.load(open(sys.argv[1]))
trash = [kind for kind in report["junk"] if kind["kind"] == "trash"][0]
assert [item["name"] for item in trash["items"]] == ["My clip.mov"], trash
assert trash["items"][0]["selected"] is True and isinstance(trash["items"][0]["size"], int), trash
assert report["memory"]["total"] > 0 and isinstance(report["disk"]["total"], int), report
assert 1 <= len(report["topProcesses"]) <= 8, report["topProcesses"]
PY
python3 -m json.tool "$work/report.json" > /dev/null || fail "json.tool"

step "lintian"
lintian_status=0
lintian --fail-on error --display-info "$deb" > "$work/lintian" 2>&1 || lintian_status=$?
cat "$work/lintian"
[ "$lintian_status" -eq 0 ] && ! grep -q '^E: ' "$work/lintian" || fail "lintian reports errors ($lintian_status)"
step "done"
