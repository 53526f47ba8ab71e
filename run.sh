#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo databases on first use and
# starts the client. The data folder is $TCM_DATA_DIR, else ./data-dir.
set -euo pipefail
TCM_ROOT=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/common.sh
. "$TCM_ROOT/scripts/common.sh"

tcm_install_missing
tcm_build "$TCM_ROOT/build-release" Release -DTCM_BUILD_TESTS=OFF -DTCM_BUILD_BENCH=OFF

export TCM_DATA_DIR=${TCM_DATA_DIR:-$TCM_ROOT/data-dir}
(umask 077 && mkdir -p "$TCM_DATA_DIR/PR")  # the shop's files are its user's alone; PR: prescription pictures
# init-db first finishes a restore that was interrupted; it never makes a blank
# database beside the files a restore kept (*.replaced-*, restore-*.staging):
# it stops with their names instead, and so does this script. On the embedded
# databases it runs at every start (it takes a few milliseconds and keeps what is
# there), so the schema steps of a newer program reach them before the client,
# which refuses an older schema, opens them.
if [ -z "${TCM_REMOTE_DB:-}" ] || [ ! -f "$TCM_DATA_DIR/loc.db" ] || [ -f "$TCM_DATA_DIR/restore.journal" ]; then
  "$TCM_ROOT/build-release/src/cli/tcmcare-admin" init-db
fi
exec "$TCM_ROOT/build-release/src/app/tcmcare" "$@"
