#!/usr/bin/env bash
# The Debian package as a shop gets it: cpack builds it from the build folder,
# it is unpacked into a temporary folder (dpkg-deb -x), and the unpacked
# tcmcare-admin, started far from the source tree, makes a user's data folder in
# its default place from the seed it carries.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/pkg/tcmcare_*.deb)
[ -f "${debs[0]}" ] || fail "no tcmcare_*.deb in $work/pkg"
deb=${debs[0]}

# What apt reads: the name, the dependencies found by the library scan and the declared ones.
[ "$(dpkg-deb -f "$deb" Package)" = tcmcare ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6sql6 libqt6printsupport6 libnettle8 libcups2 libsqlite3-0 \
           libqt6sql6-sqlite libqt6sql6-psql qt6-qpa-plugins fonts-noto-cjk fonts-arphic-uming fonts-dejavu-core; do
  grep -q "\b$dep\b" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/tcmcare usr/bin/tcmcare-admin usr/bin/tcmcare-start \
         usr/share/applications/tcmcare.desktop usr/share/icons/hicolor/scalable/apps/tcmcare.svg \
         usr/share/tcmcare/seed/syndromes.jsonl usr/share/tcmcare/sql/remote/001_init.sql; do
  [ -e "$root/$f" ] || fail "the package lacks /$f"
done
desktop=$root/usr/share/applications/tcmcare.desktop
grep -qx 'Name\[zh_CN\]=中医体质辨识' "$desktop" || fail "desktop entry has no Chinese name"
grep -qx 'Exec=tcmcare-start %U' "$desktop" || fail "desktop entry does not start tcmcare-start"
grep -qx 'Icon=tcmcare' "$desktop" || fail "desktop entry has no icon"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi

# A user with nothing yet, in a folder that is not the source tree.
home=$work/home
mkdir -p "$home" "$work/elsewhere"
cd "$work/elsewhere"
env -u TCM_DATA_DIR -u TCM_REMOTE_DB -u XDG_DATA_HOME HOME="$home" "$root/usr/bin/tcmcare-admin" init-db \
  >"$work/init.log" 2>&1 || { cat "$work/init.log"; fail "init-db of the unpacked package"; }
data=$home/.local/share/tcmcare
for f in loc.db fm.db; do
  [ -s "$data/$f" ] || fail "init-db made no $data/$f"
done
[ -z "$(ls -A "$work/elsewhere")" ] || fail "init-db wrote into the working folder: $(ls -A "$work/elsewhere")"
# The databases hold the seed: the unpacked program identifies from them.
result=$(env -u TCM_DATA_DIR -u TCM_REMOTE_DB -u XDG_DATA_HOME HOME="$home" "$root/usr/bin/tcmcare-admin" identify \
  --gender 女 --age 40 乏力 气短 自汗 舌淡 2>&1) || fail "identify from the new data folder: $result"
[ -n "$result" ] || fail "identify from the new data folder found nothing"
echo "package $(basename "$deb") installs and makes its data folder"
