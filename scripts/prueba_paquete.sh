#!/usr/bin/env bash
# Builds the Debian package from build/ (already compiled), installs it with apt-get so its
# dependencies resolve, runs the installed percepciones-cli (as root, without TAMARIS_HOME: it
# must write nothing beside its binary) and removes it again, checking that nothing of it stays
# (run as root).
# Packages that apt-get brought in for it are removed too: the machine is left as it was.
set -euo pipefail
cd "$(dirname "$0")/.."
paquete=tamaris-percepciones

falla() {
  echo "Prueba del paquete: $*" >&2
  exit 1
}

[ "$(id -u)" -eq 0 ] || falla "hace falta ser root para instalar el paquete."
[ -f build/CPackConfig.cmake ] || falla "no hay una compilación en build/ (correr scripts/compilar.sh)."
if dpkg-query -W -f='${Status}' "$paquete" 2>/dev/null | grep -q "install ok installed"; then
  falla "$paquete ya está instalado en esta máquina; no se toca."
fi

temporal=$(mktemp -d)
chmod 755 "$temporal"  # apt reads the local file as its own unprivileged user
instalados() {
  dpkg-query -W -f='${Package} ${Status}\n' | awk '$4 == "installed" { print $1 }' | sort -u
}
antes="$temporal/antes.txt"
instalados > "$antes"
instalado=0
deja_como_estaba() {
  if [ "$instalado" -eq 1 ]; then
    if dpkg-query -W -f='${Status}' "$paquete" 2>/dev/null | grep -q "installed"; then
      dpkg -r "$paquete" >/dev/null || echo "Prueba del paquete: no se pudo quitar $paquete." >&2
    fi
    nuevos=$(instalados | comm -13 "$antes" -)
    if [ -n "$nuevos" ]; then
      # shellcheck disable=SC2086
      DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq -o DPkg::Lock::Timeout=300 $nuevos \
        >/dev/null ||
        echo "Prueba del paquete: no se pudieron quitar: $nuevos" >&2
    fi
  fi
  rm -rf "$temporal"
}
trap deja_como_estaba EXIT

echo "== Armando el paquete (cpack en build/)"
(cd build && cpack -G DEB -B "$temporal" >"$temporal/cpack.log" 2>&1) ||
  { cat "$temporal/cpack.log" >&2; falla "cpack no pudo armar el paquete."; }
deb=$(find "$temporal" -maxdepth 1 -name "${paquete}_*.deb" | head -n 1)
[ -n "$deb" ] || falla "cpack no dejó ningún ${paquete}_*.deb."
basename "$deb"

echo "== Instalando con apt-get"
export DEBIAN_FRONTEND=noninteractive
instalado=1
if ! apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >"$temporal/apt.log" 2>&1; then
  # Package lists may be missing on a fresh machine; fetch them once and try again.
  apt-get update -qq
  apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >"$temporal/apt.log" 2>&1 ||
    { cat "$temporal/apt.log" >&2; falla "apt-get no pudo instalar el paquete."; }
fi

echo "== /usr/bin/percepciones-cli --help"
set +e
ayuda=$(/usr/bin/percepciones-cli --help 2>&1)
codigo=$?
set -e
echo "$ayuda" | head -n 3
[ "$codigo" -eq 0 ] || falla "percepciones-cli --help terminó con código $codigo."
grep -q "exportar" <<<"$ayuda" || falla "la ayuda de percepciones-cli no menciona \"exportar\"."
[ -f /usr/share/tamaris-percepciones/esquema.sql ] ||
  falla "falta /usr/share/tamaris-percepciones/esquema.sql."

echo "== Como root, sin TAMARIS_HOME: nada nuevo en /usr/bin"
# An installed program keeps its files in the user's data folder, never beside its binary,
# even when it could write there.
ls -A /usr/bin >"$temporal/usr-bin.antes"
casa="$temporal/casa"
mkdir -p "$casa"
(cd "$temporal" &&
  env -u TAMARIS_HOME -u XDG_DATA_HOME HOME="$casa" /usr/bin/percepciones-cli demo --db demo.db &&
  env -u TAMARIS_HOME -u XDG_DATA_HOME HOME="$casa" /usr/bin/percepciones-cli exportar \
    --db demo.db --archivo perc.txt) >"$temporal/uso.log" 2>&1 ||
  { cat "$temporal/uso.log" >&2; falla "percepciones-cli instalado no pudo exportar la base de demostración."; }
nuevos_bin=$(ls -A /usr/bin | comm -13 "$temporal/usr-bin.antes" -)
[ -z "$nuevos_bin" ] || falla "el programa instalado dejó en /usr/bin: $nuevos_bin"
[ -f "$casa/.local/share/tamaris/consultas.tms" ] ||
  falla "el programa instalado no dejó consultas.tms en ~/.local/share/tamaris."
echo "Sus archivos quedaron en ~/.local/share/tamaris: $(ls -A "$casa/.local/share/tamaris" | tr '\n' ' ')"

echo "== Dependencias declaradas"
dpkg -s "$paquete" | grep -E "^(Version|Depends|Recommends):"

echo "== dpkg -r: no queda nada del paquete"
dpkg -L "$paquete" >"$temporal/archivos.txt"
dpkg -r "$paquete" >/dev/null
quedan=""
while IFS= read -r f; do
  # Folders such as /usr/bin are shared; the package's own files and folders must be gone.
  if [ -e "$f" ] && { [ ! -d "$f" ] || [[ "$f" == *tamaris* ]]; }; then quedan+=" $f"; fi
done <"$temporal/archivos.txt"
[ -z "$quedan" ] || falla "después de dpkg -r quedan:$quedan"
nuevos_bin=$(ls -A /usr/bin | comm -13 "$temporal/usr-bin.antes" -)
[ -z "$nuevos_bin" ] || falla "después de dpkg -r quedan en /usr/bin: $nuevos_bin"

echo "Prueba del paquete: correcta ($paquete instalado, probado y quitado)."
