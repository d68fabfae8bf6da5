#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (run as root). Does nothing when
# they are already there.
set -euo pipefail
paquetes=(build-essential cmake ninja-build pkg-config sqlite3 libsqlite3-dev unixodbc
          unixodbc-dev odbcinst tdsodbc libsqliteodbc qt6-base-dev qt6-translations-l10n
          libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth xdotool postgresql
          odbc-postgresql dpkg-dev file valgrind)
faltan=()
for p in "${paquetes[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
done
if [ ${#faltan[@]} -gt 0 ]; then
  echo "Instalando: ${faltan[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${faltan[@]}"
fi
# The SQLite ODBC driver registers itself as "SQLite3"; make sure unixODBC knows it.
if ! odbcinst -q -d -n SQLite3 >/dev/null 2>&1; then
  printf '[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=libsqlite3odbc.so\nSetup=libsqlite3odbc.so\n' > /tmp/sqlite3odbc.ini
  odbcinst -i -d -f /tmp/sqlite3odbc.ini
fi
