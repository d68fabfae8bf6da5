#!/usr/bin/env bash
# Loads a database of the suite made by "percepciones-cli demo" (SQLite) into an empty
# PostgreSQL database: creates the tables with sql/esquema_postgresql.sql and copies every row.
#
#   bash scripts/demo_postgresql.sh demo/demo.db "host=127.0.0.1 port=5432 dbname=tamaris user=tamaris"
#
# The second argument is what psql takes to reach the database (a libpq connection string).
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "Uso: $0 ARCHIVO.db \"host=… port=… dbname=… user=…\"" >&2
  exit 2
fi
base="$1"
destino="$2"
raiz="$(cd "$(dirname "$0")/.." && pwd)"
[ -f "$base" ] || { echo "No existe la base de datos $base" >&2; exit 1; }
psql() { command psql -X -q -v ON_ERROR_STOP=1 "$destino" "$@"; }

psql -f "$raiz/sql/esquema_postgresql.sql"
for tabla in $(sqlite3 "$base" "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"); do
  columnas=$(sqlite3 "$base" "SELECT group_concat(name, ', ') FROM pragma_table_info('$tabla')")
  # Empty texts travel quoted and NULLs as nothing, which is how COPY … csv reads them.
  sqlite3 -csv "$base" "SELECT $columnas FROM \"$tabla\" ORDER BY rowid" |
    psql -c "\\copy $tabla ($columnas) from stdin csv"
  if sqlite3 "$base" "SELECT 1 FROM pragma_table_info('$tabla') WHERE name = 'ID'" | grep -q 1; then
    psql -c "SELECT setval(pg_get_serial_sequence('$tabla', 'id'), max(id)) FROM $tabla HAVING max(id) IS NOT NULL" >/dev/null
  fi
done
psql -c "ANALYZE"
echo "Cargada $base en PostgreSQL ($destino)."
