#!/usr/bin/env bash
# Runs the whole test suite (installs what is needed and builds first), then tries the Debian
# package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/dependencias.sh
bash scripts/compilar.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)"
# The desktop program under a real X server (Xvfb and xdotool): one job at a time, Esc asks.
bash scripts/prueba_escritorio.sh build
# The Debian package: built, installed with its dependencies, run and removed (needs root).
if [ "$(id -u)" -eq 0 ]; then
  bash scripts/prueba_paquete.sh
else
  echo "Sin permisos de root: se omite la prueba del paquete .deb (scripts/prueba_paquete.sh)."
fi
