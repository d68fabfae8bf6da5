#!/usr/bin/env bash
# The desktop program under a real X server (Xvfb), driven with xdotool as a clerk would: a long
# export is started with F10, F10 is pressed again while it runs, Esc on the progress window
# asks whether to cancel (answered no), F10 once more; exactly one job must run (one closing
# message) and the file must be that job's whole file, byte for byte as the command line
# writes it. Then SIGTERM ends the program: exit 143 and no temporary left. Bounded in time;
# Xvfb and the program are stopped on every way out.
#
#   scripts/prueba_escritorio.sh [CARPETA_DE_COMPILACION]   (FILAS=1500000 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
gui=$build/src/gui/percepciones
cli=$build/src/cli/percepciones-cli
filas=${FILAS:-1500000}
for p in Xvfb xdotool; do
  command -v "$p" >/dev/null || { echo "Falta $p (scripts/dependencias.sh lo instala)." >&2; exit 1; }
done
[ -x "$gui" ] && [ -x "$cli" ] || { echo "Falta compilar $gui y $cli." >&2; exit 1; }

# The usage needs no display.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$gui" --help | grep -q '^Uso: percepciones' ||
  { echo "FALLA: percepciones --help sin pantalla" >&2; exit 1; }

tmp=$(mktemp -d)
pid_x="" pid_gui=""
limpia() {
  [ -n "$pid_gui" ] && kill "$pid_gui" 2>/dev/null || true
  [ -n "$pid_x" ] && kill "$pid_x" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap limpia EXIT
falla() { echo "FALLA: $*" >&2; [ -f "$tmp/gui.log" ] && sed 's/^/  programa: /' "$tmp/gui.log" >&2; exit 1; }

# Waits up to $1 seconds for a visible window whose title matches $2; prints its id.
espera_ventana() {
  local hasta=$((SECONDS + $1))
  while [ $SECONDS -lt "$hasta" ]; do
    local w
    w=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -1) && [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.2
  done
  return 1
}
cuenta_ventanas() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }

"$cli" demo --db "$tmp/demo.db" --filas "$filas" >/dev/null
"$cli" exportar --db "$tmp/demo.db" --archivo "$tmp/esperado.txt" >/dev/null
printf 'anterior\r\n' > "$tmp/perc.txt"

# A display of our own: the first free number from 90.
pantalla=90
while [ -e "/tmp/.X11-unix/X$pantalla" ] || [ -e "/tmp/.X$pantalla-lock" ]; do pantalla=$((pantalla + 1)); done
Xvfb ":$pantalla" -screen 0 1280x1024x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
pid_x=$!
export DISPLAY=":$pantalla"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$tmp/home"
HOME="$tmp/home" TAMARIS_HOME="$tmp/home" QT_QPA_PLATFORM=xcb "$gui" --db "$tmp/demo.db" >"$tmp/gui.log" 2>&1 &
pid_gui=$!

principal=$(espera_ventana 60 '^Generar Archivo') || falla "no se abrió la ventana del programa"
xdotool windowfocus --sync "$principal"
sleep 0.5
# The destination box is the fourth in the window's order.
xdotool key Tab Tab Tab
xdotool type --delay 5 "$tmp/perc.txt"
xdotool key F10
progreso=$(espera_ventana 60 '^Procesando$') || falla "no apareció la ventana de progreso"
# Again while the job runs: nothing may start.
xdotool windowfocus --sync "$principal"; xdotool key F10
sleep 0.5
xdotool windowfocus --sync "$progreso"; xdotool key Escape
espera_ventana 20 '^Cancelar$' >/dev/null || falla "Esc no preguntó si cancelar la generación"
# The question is modal: F10 reaches nothing; then "No" (the default button) and F10 again.
xdotool key F10
xdotool key Return
sleep 0.3
xdotool windowfocus --sync "$principal"; xdotool key F10
[ "$(cuenta_ventanas '^Procesando$')" -le 1 ] || falla "dos ventanas de progreso"

aviso=$(espera_ventana 300 '^Aviso al operador') || falla "la generación no terminó"
sleep 1
[ "$(cuenta_ventanas '^Aviso al operador')" -eq 1 ] || falla "más de un aviso de fin"
xdotool windowfocus --sync "$aviso"; xdotool key Return
# A second job would now run and tell its end as well.
sleep 3
[ "$(cuenta_ventanas '^Aviso al operador')" -eq 0 ] || falla "corrió una segunda generación"
[ "$(cuenta_ventanas '^Procesando$')" -eq 0 ] || falla "corrió una segunda generación"
cmp -s "$tmp/perc.txt" "$tmp/esperado.txt" || falla "el archivo no es el de la generación completa"

kill -TERM "$pid_gui"
set +e; wait "$pid_gui"; rc=$?; set -e
pid_gui=""
[ "$rc" -eq 143 ] || falla "SIGTERM terminó con $rc (se esperaba 143)"
sobrantes=$(find "$tmp" -maxdepth 1 -type f ! -name demo.db ! -name esperado.txt ! -name perc.txt ! -name '*.log')
[ -z "$sobrantes" ] || falla "quedaron archivos: $sobrantes"
echo "Escritorio bajo Xvfb: una sola generación ($(wc -c <"$tmp/perc.txt") bytes, idénticos a la línea de comandos); SIGTERM sale con 143 sin temporales."
