#!/usr/bin/env bash
# Builds Formulix and starts it.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build "$ROOT/build" --target formulix
exec "$ROOT/build/formulix"
