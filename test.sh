#!/usr/bin/env bash
# Installs what is missing, builds, starts a PostgreSQL server on loopback in a
# temporary folder, and runs every test through CTest.
set -euo pipefail
TCM_ROOT=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/common.sh
. "$TCM_ROOT/scripts/common.sh"

tcm_install_missing
werror=OFF
[ -n "${CI:-}" ] && werror=ON
tcm_build "$TCM_ROOT/build" RelWithDebInfo -DTCM_WERROR=$werror

# PostgreSQL runs as an ordinary user, never as root.
pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
pgdir=$(mktemp -d /tmp/tcm-pg.XXXXXX)
pguser=postgres
if [ "$(id -u)" -ne 0 ]; then pguser=$(id -un); fi
as_pg() { if [ "$(id -u)" -eq 0 ]; then runuser -u "$pguser" -- "$@"; else "$@"; fi; }
chown "$pguser" "$pgdir"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null || echo 55432)
stop_pg() {
  as_pg "$pgbin/pg_ctl" -D "$pgdir/data" -m fast stop >/dev/null 2>&1 || true
  rm -rf "$pgdir"
}
trap stop_pg EXIT
as_pg "$pgbin/initdb" -D "$pgdir/data" -A trust -U tcm -E UTF8 --locale=C.UTF-8 >/dev/null
as_pg "$pgbin/pg_ctl" -D "$pgdir/data" -l "$pgdir/server.log" -w \
  -o "-p $port -k $pgdir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
export TCM_TEST_PG="postgresql://tcm@127.0.0.1:$port/postgres"

# The default printer of the tests: a cups-pdf queue on a CUPS server of its own.
# shellcheck source=scripts/test_printer.sh
. "$TCM_ROOT/scripts/test_printer.sh"
trap 'stop_pg; tcm_stop_test_printer' EXIT
tcm_start_test_printer

cd "$TCM_ROOT/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
