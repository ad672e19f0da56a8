# Shared by scripts/start and scripts/test: install what is missing, configure, build.
# shellcheck shell=bash
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=${PRESET:-default}

# Debian 12 packages the build, the tests and the screenshot need.
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev qt6-translations-l10n
    fonts-dejavu-core xvfb xauth imagemagick
    libminizip-dev zlib1g-dev
    desktop-file-utils appstream dpkg-dev file lintian libbenchmark-dev
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
    local missing=()
    for p in "${packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if ! command -v apt-get >/dev/null; then
        echo "Chybí balíčky (${missing[*]}) a apt-get tu není: nainstalujte je ručně." >&2
        return 1
    fi
    echo "Instaluji: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Configures and builds $preset: everything, or only the targets named.
build() {
    cd "$root"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" ${1:+--target "$@"}
}
