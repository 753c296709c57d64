#!/usr/bin/env bash
# Builds Formulix and its Debian package, build/formulix_<version>_amd64.deb.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" dpkg-dev
configure_and_build "$ROOT/build" --target formulix
cd "$ROOT/build" && cpack -G DEB
