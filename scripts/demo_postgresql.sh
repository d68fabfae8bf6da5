#!/usr/bin/env bash
# Loads a database of the suite made by "percepciones-cli demo" (SQLite) into a PostgreSQL
# database: creates the tables with sql/esquema_postgresql.sql and copies every row.
#
#   bash scripts/demo_postgresql.sh demo/demo.db "host=127.0.0.1 port=5432 dbname=tamaris user=tamaris"
#
# The second argument is what psql takes to reach the database (a libpq connection string).
# The owner of the database is enough: no superuser is needed once the citext extension is
# there. Run again, it drops the tables of the schema and loads them anew.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "Uso: $0 ARCHIVO.db \"host=… port=… dbname=… user=…\"" >&2
  exit 2
fi
base="$1"
destino="$2"
raiz="$(cd "$(dirname "$0")/.." && pwd)"
esquema="$raiz/sql/esquema_postgresql.sql"
[ -f "$base" ] || { echo "No existe la base de datos $base" >&2; exit 1; }
# NOTICEs ("does not exist, skipping", "already exists") are not news for the user.
export PGOPTIONS="${PGOPTIONS:-} -c client_min_messages=warning"
psql() { command psql -X -q -v ON_ERROR_STOP=1 "$destino" "$@"; }

# citext is trusted from PostgreSQL 13 on: the database owner may create it. Anyone else needs a
# superuser to create it once.
if [ -z "$(psql -At -c "SELECT 1 FROM pg_extension WHERE extname = 'citext'")" ]; then
  if ! psql -c "CREATE EXTENSION citext" 2>/dev/null; then
    basedatos=$(psql -At -c "SELECT current_database()")
    echo "Falta la extensión citext en la base $basedatos y este usuario no la puede crear." >&2
    echo "Córrase una vez como superusuario:  psql -d $basedatos -c 'CREATE EXTENSION citext;'" >&2
    exit 1
  fi
fi

# The schema's own tables and views, dropped first so that a second run starts from scratch.
tablas=$(sed -n 's/^CREATE TABLE \([A-Za-z0-9_]*\).*/\1/p' "$esquema" | paste -sd, -)
vistas=$(sed -n 's/^CREATE VIEW \([A-Za-z0-9_]*\).*/\1/p' "$esquema" | paste -sd, -)
{
  echo "BEGIN;"
  [ -z "$vistas" ] || echo "DROP VIEW IF EXISTS $vistas;"
  [ -z "$tablas" ] || echo "DROP TABLE IF EXISTS $tablas CASCADE;"
  grep -v '^CREATE EXTENSION' "$esquema"
  echo "COMMIT;"
} | psql

for tabla in $(sqlite3 "$base" "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"); do
  columnas=$(sqlite3 "$base" "SELECT group_concat(name, ', ') FROM pragma_table_info('$tabla')")
  # Empty texts travel quoted and NULLs as nothing, which is how COPY … csv reads them.
  sqlite3 -csv "$base" "SELECT $columnas FROM \"$tabla\" ORDER BY rowid" |
    psql -c "\\copy $tabla ($columnas) from stdin csv"
  if sqlite3 "$base" "SELECT 1 FROM pragma_table_info('$tabla') WHERE name = 'ID'" | grep -q 1; then
    psql -c "SELECT setval(pg_get_serial_sequence('$tabla', 'id'), max(id)) FROM $tabla HAVING max(id) IS NOT NULL" >/dev/null
  fi
done
# Only the tables loaded here: a database-wide ANALYZE warns about every system table that
# only a superuser may analyze.
psql -c "ANALYZE $tablas"
echo "Cargada $base en PostgreSQL ($destino)."
