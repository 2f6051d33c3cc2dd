#!/usr/bin/env bash
# package.Contents: builds both Debian packages from this build tree (no new
# build) into a temporary folder and checks what they install and declare.
#   contents.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2

for tool in cpack dpkg-deb dpkg-shlibdeps file; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (cmake, dpkg-dev, file)"
    exit 77
  fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  exit 1
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

arch=$(dpkg --print-architecture)
client=$tmp/zov-pedidos_${version}_${arch}.deb
server=$tmp/zov-appserver_${version}_${arch}.deb
for deb in "$client" "$server"; do
  [ -f "$deb" ] || { echo "FAIL: no $(basename "$deb") among:"; ls "$tmp"; exit 1; }
done

# Path -> mode, owner, of every entry.
listing() { dpkg-deb -c "$1" | awk '{ sub(/^\.\//, "/", $6); print $6, $1, $2 }'; }
listing "$client" >"$tmp/client.list"
listing "$server" >"$tmp/server.list"

has() { # list path [mode]
  local line
  line=$(grep -E "^$2 " "$tmp/$1.list" || true)
  if [ -z "$line" ]; then
    fail "$1 package lacks $2"
  elif [ -n "${3:-}" ] && [ "$(echo "$line" | cut -d' ' -f2)" != "$3" ]; then
    fail "$1 package: $2 is $(echo "$line" | cut -d' ' -f2), not $3"
  fi
}
lacks() { grep -qE "^$2 " "$tmp/$1.list" && fail "$1 package holds $2" || true; }

id=br.com.zovra.Pedidos
has client /usr/bin/zov-pedidos -rwxr-xr-x
has client /usr/share/applications/$id.desktop -rw-r--r--
has client /usr/share/icons/hicolor/scalable/apps/$id.svg
for size in 16 32 48 64 128 256; do
  has client "/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
done
has client /usr/share/metainfo/$id.metainfo.xml
has client /usr/share/man/man1/zov-pedidos.1.gz
has client /usr/share/doc/zov-pedidos/copyright
has client /usr/share/doc/zov-pedidos/changelog.gz
lacks client /usr/bin/zov-appserver

has server /usr/bin/zov-appserver -rwxr-xr-x
has server /usr/share/man/man1/zov-appserver.1.gz
has server /usr/lib/systemd/system/zov-appserver.service -rw-r--r--
has server /usr/share/doc/zov-appserver/copyright
has server /usr/share/doc/zov-appserver/changelog.gz
lacks server /usr/bin/zov-pedidos

# Everything owned by root, whoever built it.
awk '$3 != "root/root" { print "FAIL: not owned by root: " $0 }' "$tmp/client.list" "$tmp/server.list" >"$tmp/owners"
[ -s "$tmp/owners" ] && { cat "$tmp/owners"; failures=$((failures + 1)); }

field() { dpkg-deb -f "$1" "$2"; }
[ "$(field "$client" Package)" = zov-pedidos ] || fail "client Package is $(field "$client" Package)"
[ "$(field "$server" Package)" = zov-appserver ] || fail "server Package is $(field "$server" Package)"
for deb in "$client" "$server"; do
  [ "$(field "$deb" Version)" = "$version" ] || fail "$(basename "$deb"): Version $(field "$deb" Version)"
  [ "$(field "$deb" Architecture)" = "$arch" ] || fail "$(basename "$deb"): Architecture $(field "$deb" Architecture)"
done

# Depends worked out from the binaries: Qt 6 and SQLite; the server also libpq, without widgets.
client_depends=$(field "$client" Depends)
server_depends=$(field "$server" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libsqlite3-0; do
  [[ "$client_depends" == *"$lib"* ]] || fail "client Depends lacks $lib: $client_depends"
done
for lib in libqt6core6 libsqlite3-0 libpq5 adduser; do
  [[ "$server_depends" == *"$lib"* ]] || fail "server Depends lacks $lib: $server_depends"
done
[[ "$server_depends" == *libqt6widgets6* ]] && fail "server Depends names widgets: $server_depends"

# What the files say must match what the packages hold.
dpkg-deb -x "$client" "$tmp/client"
dpkg-deb -x "$server" "$tmp/server"
dpkg-deb -e "$server" "$tmp/server-control"
desktop=$tmp/client/usr/share/applications/$id.desktop
unit=$tmp/server/usr/lib/systemd/system/zov-appserver.service
# A missing file was reported above; its contents are checked only when it is there.
[ -f "$desktop" ] || desktop=/dev/null
[ -f "$unit" ] || unit=/dev/null
exec_line=$(grep -E '^Exec=' "$desktop" | cut -d= -f2 | cut -d' ' -f1 || true)
[ -n "$exec_line" ] && [ -x "$tmp/client/usr/bin/$exec_line" ] || fail "desktop entry runs $exec_line, not in the package"
[ "$(grep -E '^Icon=' "$desktop" | cut -d= -f2)" = "$id" ] || fail "desktop entry's icon is not $id"
grep -qx 'Categories=Office;' "$desktop" || fail "desktop entry is not in Office"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$tmp/client/usr/share/metainfo/$id.metainfo.xml" ||
  fail "metainfo does not launch $id.desktop"

exec_start=$(grep -E '^ExecStart=' "$unit" | cut -d= -f2 | cut -d' ' -f1 || true)
[ -n "$exec_start" ] && [ -x "$tmp/server$exec_start" ] || fail "unit starts $exec_start, not in the package"
grep -q -- '--db /var/lib/zov-appserver/servidor.db --host 127.0.0.1' "$unit" || fail "unit serves something else"
grep -qx 'User=zov-appserver' "$unit" || fail "unit does not run as zov-appserver"
grep -qx 'AmbientCapabilities=CAP_NET_BIND_SERVICE' "$unit" || fail "unit may not bind port 211"
for script in postinst prerm postrm; do
  [ -x "$tmp/server-control/$script" ] || fail "server package lacks an executable $script"
done
grep -q 'zov-appserver init --db "$db"' "$tmp/server-control/postinst" || fail "postinst does not create the database"

for page in "$tmp/client/usr/share/man/man1/zov-pedidos.1.gz" "$tmp/server/usr/share/man/man1/zov-appserver.1.gz"; do
  gzip -t "$page" 2>/dev/null || fail "$(basename "$page") is not gzip"
done
for option in --database --sync --address --filial; do
  zcat "$tmp/client/usr/share/man/man1/zov-pedidos.1.gz" | grep -q -- "${option//-/\\\\-}" ||
    fail "zov-pedidos(1) does not describe $option"
done

# The validators, where this machine has them (scripts/package installs them).
if command -v desktop-file-validate >/dev/null; then
  [ "$desktop" = /dev/null ] || desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
  echo "note: desktop-file-validate not installed, desktop entry not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --explain "$tmp/client/usr/share/metainfo/$id.metainfo.xml" >"$tmp/appstream.log" 2>&1 ||
    { cat "$tmp/appstream.log"; fail "appstreamcli validate"; }
else
  echo "note: appstreamcli not installed, metainfo not validated"
fi

[ "$failures" -eq 0 ] || exit 1
echo "ok: $(basename "$client") and $(basename "$server")"
