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
mkdir -p "$TCM_DATA_DIR/PR"  # prescription pictures
if [ ! -f "$TCM_DATA_DIR/loc.db" ] || { [ -z "${TCM_REMOTE_DB:-}" ] && [ ! -f "$TCM_DATA_DIR/fm.db" ]; }; then
  "$TCM_ROOT/build-release/src/cli/tcmcare-admin" init-db
fi
exec "$TCM_ROOT/build-release/src/app/tcmcare" "$@"
