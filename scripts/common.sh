# Shared by run.sh and test.sh: install what is missing, then build.
# shellcheck shell=bash

TCM_PACKAGES=(
  build-essential cmake pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6sql6-sqlite libqt6sql6-psql qt6-translations-l10n
  qt6-charts-dev libqt6opengl6-dev
  nettle-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk fonts-arphic-uming fonts-dejavu-core postgresql
  libcups2-dev cups cups-pdf poppler-utils
)

tcm_install_missing() {
  local missing=()
  for p in "${TCM_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "安装缺少的软件包：${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# tcm_build BUILD_DIR BUILD_TYPE [cmake options...]
# Compiles of two checkouts of the same tree share the cache.
export CCACHE_BASEDIR="${TCM_ROOT}"
# The build folder is not part of what a compile means: two checkouts hit the same entries.
export CCACHE_NOHASHDIR=1

tcm_build() {
  local dir=$1 type=$2
  shift 2
  cmake -S "$TCM_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  cmake --build "$dir" -j2
}
