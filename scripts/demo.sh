#!/usr/bin/env bash
# From a fresh Debian machine (as root): installs what is needed, builds, creates the demo
# database and writes the perception file of the demo data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/dependencias.sh
bash scripts/compilar.sh
mkdir -p demo
build/src/cli/percepciones-cli demo --db demo/demo.db
build/src/cli/percepciones-cli exportar --db demo/demo.db --archivo demo/percepciones.txt
