# Shared by run.sh and test.sh: install what is missing, then build.
set -euo pipefail
KESTRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$KESTRIN_ROOT"

PACKAGES=(build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-webengine-dev qt6-qpa-plugins libgl-dev libc-ares-dev
    wamerican fonts-dejavu-core xvfb xauth whois fp-utils xchm xdg-utils)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

# build DIR [cmake options...]
build() {
    local dir=$1; shift
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}
