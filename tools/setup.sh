# Shared by tools/run and tools/test: installs what is missing, then
# configures and builds into build/. Sourced, not run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${NOLKSET_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    cmake g++ ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-connectivity-dev qt6-qpa-plugins
    libhidapi-dev libgl-dev libudev-dev
    umockdev libumockdev-dev
    xvfb xauth
    openssl ca-certificates
    desktop-file-utils appstream g++-mingw-w64-x86-64
    clang libclang-rt-14-dev llvm
)

install_missing() {
    local missing=()
    for pkg in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
    if [ ! -f "$BUILD/CMakeCache.txt" ]; then
        # Ninja runs each generated-source rule once; make may run the
        # resource compiler twice at once for a static library's resources.
        cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
    cmake --build "$BUILD" -j"$(nproc)" ${NOLKSET_TARGETS:+--target $NOLKSET_TARGETS}
}
