# Sourced by the other scripts: installs the Debian/Ubuntu packages a step needs,
# only those that are missing, and says nothing when all are there.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "tunecrate: need root (or sudo) to install: $*" >&2
        return 1
    fi
}

# Another apt-get (an unattended upgrade, a second script) may hold the lock for a while.
APT_LOCK_WAIT=DPkg::Lock::Timeout=600

missing_packages() {
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$package"
        fi
    done
}

need_packages() {
    local missing
    missing=$(missing_packages "$@")
    [ -z "$missing" ] && return 0
    echo "tunecrate: installing $(echo $missing)" >&2
    if [ -z "${TUNECRATE_APT_UPDATED:-}" ]; then
        as_root apt-get update -qq -o "$APT_LOCK_WAIT" >/dev/null
        export TUNECRATE_APT_UPDATED=1
    fi
    # shellcheck disable=SC2086
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        -o "$APT_LOCK_WAIT" $missing >/dev/null
}

# What every build needs; libfuse3-dev for the model phone of tests/tools.
BUILD_PACKAGES="cmake ninja-build g++ nlohmann-json3-dev qt6-base-dev help2man libgl-dev libgtest-dev libgmock-dev fonts-dejavu-core pkgconf libfuse3-dev"
# The Windows cross build, Wine to run its tests and a virtual display for the window.
WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix googletest nlohmann-json3-dev wine wine64 fonts-wine xvfb"
# Making the Debian package (CPack runs dpkg-shlibdeps).
PACKAGE_PACKAGES="dpkg-dev"
