# Sourced by the other scripts: installs the Debian packages a step needs when they are missing.

ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(g++ make cmake pkg-config qt6-base-dev qt6-tools-dev qt6-l10n-tools mdbtools-dev libjpeg62-turbo-dev libexif-dev libtiff-dev libpoppler-qt6-dev libpoppler-private-dev libcups2-dev libzip-dev libxcb1-dev libfreexl-dev qt6-image-formats-plugins fonts-dejavu-core)
TEST_PACKAGES=(xvfb python3 xauth x11-utils mdbtools cups printer-driver-cups-pdf poppler-utils qpdf desktop-file-utils appstream dpkg-dev imagemagick libtiff-tools libimage-exiftool-perl clang libclang-rt-14-dev)

configure_and_build() {
    local build_dir="$1"
    shift
    cmake -S "$ROOT" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build_dir" -j"$(nproc)" "$@"
}

# The print-queue test prints through a cups-pdf queue of its own, FormulixTest (made the
# default for that test alone, through $PRINTER): start the print server when it is not
# running and add the queue once.
start_test_print_queue() {
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    if ! lpstat -r 2>/dev/null | grep -q "is running"; then
        $sudo mkdir -p /run/cups
        $sudo /usr/sbin/cupsd || true
        local i
        for i in $(seq 1 50); do
            lpstat -r 2>/dev/null | grep -q "is running" && break
            sleep 0.2
        done
    fi
    if ! lpstat -p FormulixTest >/dev/null 2>&1; then
        $sudo lpadmin -p FormulixTest -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null || true
    fi
    # A queue that turns every job away, as a stopped office printer's queue does.
    if ! lpstat -p FormulixRefusing >/dev/null 2>&1; then
        $sudo lpadmin -p FormulixRefusing -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null || true
    fi
    $sudo cupsreject FormulixRefusing 2>/dev/null || true
    # And one that takes jobs but holds them: a paused printer.
    if ! lpstat -p FormulixPaused >/dev/null 2>&1; then
        $sudo lpadmin -p FormulixPaused -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null || true
    fi
    $sudo cupsdisable FormulixPaused 2>/dev/null || true
}
