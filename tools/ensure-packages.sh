# Sourced by the setup scripts: installs the Debian packages named, only those missing.
# Usage: ensure_packages PACKAGE...
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing Debian packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What the core and the command-line programs need to build.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libtiff-dev libpng-dev libjpeg-dev libgif-dev
    libpcre2-dev zlib1g-dev libdeflate-dev libcli11-dev nlohmann-json3-dev)
# What the Debian package is built with (CPack's dependency list, dpkg-shlibdeps, which needs
# file) and what checks its desktop entry and metainfo.
PACKAGE_PACKAGES=(dpkg-dev file desktop-file-utils appstream)
# What the tests need besides: GoogleTest, the tools whose output they compare with, the
# printing tests' CUPS server with its PDF queue and poppler to measure the sheets, and
# Ghostscript for the PDF conversion (its tests skip where it is missing).
TEST_PACKAGES=(libgtest-dev libtiff-tools imagemagick python3 fonts-dejavu-core
    cups printer-driver-cups-pdf poppler-utils ghostscript "${PACKAGE_PACKAGES[@]}")
# The windows: Qt 6 Widgets and Print Support, CUPS (its answer to a print job), the Japanese
# fonts that stand in for "ＭＳ ゴシック", and a virtual display for screenshots.
UI_PACKAGES=(qt6-base-dev qt6-translations-l10n libgl-dev libcups2-dev fonts-ipafont-gothic xvfb
    xauth)
# The benchmarks: Google Benchmark and the tools they compare with.
BENCH_PACKAGES=(libbenchmark-dev imagemagick libtiff-tools hyperfine libvips-tools graphicsmagick
    python3-pil netpbm)
