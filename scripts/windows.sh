#!/usr/bin/env bash
# Windows build from Debian (as root): cross-compiles percepciones-cli.exe and the test
# programs with MinGW-w64, runs the tests and the demo under Wine, compares the demo files with
# the Linux build's byte for byte and, when the packaging is configured, makes the ZIP.
#
# Everything it builds or downloads stays in build-windows/:
#   apt/           private apt configuration (deb-src of Debian) used only for `apt-get source`
#   sqlite/        SQLite from Debian's source package, the same version the Linux build links:
#                  amalgamation made with tclsh, cross-compiled into lib/libsqlite3.a
#   gtest-install/ GoogleTest from /usr/src/googletest (package googletest), cross-compiled
#   wine/          private WINEPREFIX
#   demo/          the end-to-end files (Windows and Linux)
# Steps whose results are already there are skipped; delete the folder to start over.
#
# Variables: TAMARIS_WINE_TIMEOUT (seconds per test program, 300 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
RAIZ=$PWD
BW=$RAIZ/build-windows
MINGW=x86_64-w64-mingw32
CC_W=$MINGW-gcc-posix
TIMEOUT_PRUEBA=${TAMARIS_WINE_TIMEOUT:-300}
inicio=$(date +%s)

paso() { printf '\n==> %s\n' "$*"; }
info() { printf '    %s\n' "$*"; }
falla() {
    printf '\nERROR: %s\n' "$*" >&2
    exit 1
}
instalado() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# ---------------------------------------------------------------------------------------------
paso "Paquetes de Debian para la compilación cruzada"
paquetes=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          wine wine64 tcl dpkg-dev gcc make cmake ninja-build googletest libsqlite3-dev xz-utils)
faltan=()
for p in "${paquetes[@]}"; do instalado "$p" || faltan+=("$p"); done
if [ ${#faltan[@]} -gt 0 ]; then
    info "Instalando: ${faltan[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${faltan[@]}"
else
    info "Ya están instalados."
fi
LANZADOR=() CCACHE=
if command -v ccache >/dev/null; then
    CCACHE=ccache
    LANZADOR=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
mkdir -p "$BW"

# ---------------------------------------------------------------------------------------------
# SQLite: the source package of the version that libsqlite3-dev has here.
SQLITE_PAQ=$(dpkg-query -W -f='${source:Package}' libsqlite3-dev)
SQLITE_VER=$(dpkg-query -W -f='${source:Version}' libsqlite3-dev)
SQ=$BW/sqlite
paso "SQLite $SQLITE_VER (paquete fuente $SQLITE_PAQ de Debian)"
t_paso=$(date +%s)
if [ -f "$SQ/lib/libsqlite3.a" ] && [ "$(cat "$SQ/version" 2>/dev/null)" = "$SQLITE_VER" ]; then
    info "Ya compilada: $SQ/lib/libsqlite3.a"
else
    rm -rf "$SQ"
    mkdir -p "$SQ"/{fuente,amalgama,obj,lib,include}
    # A private apt configuration: its own sources list (deb-src only), lists and cache, so the
    # machine's /etc/apt is neither read for sources nor changed.
    APT=$BW/apt
    mkdir -p "$APT/lists/partial" "$APT/cache/archives/partial"
    . /etc/os-release
    cat > "$APT/sources.list" <<EOF
deb-src http://deb.debian.org/debian $VERSION_CODENAME main
deb-src http://deb.debian.org/debian $VERSION_CODENAME-updates main
deb-src http://deb.debian.org/debian-security $VERSION_CODENAME-security main
EOF
    APT_OPC=(-o "Dir::Etc::SourceList=$APT/sources.list" -o "Dir::Etc::SourceParts=-"
             -o "Dir::State::Lists=$APT/lists" -o "Dir::Cache=$APT/cache"
             -o "APT::Sandbox::User=root")
    if ! ls "$APT/lists/"*_Sources* >/dev/null 2>&1; then
        info "apt-get update (fuentes privadas en $APT)"
        apt-get "${APT_OPC[@]}" update -qq || falla "no se pudo leer la lista de fuentes de Debian"
    fi
    info "apt-get source $SQLITE_PAQ=$SQLITE_VER"
    (cd "$SQ/fuente" && apt-get "${APT_OPC[@]}" source -qq "$SQLITE_PAQ=$SQLITE_VER" >fuente.log 2>&1) ||
        { cat "$SQ/fuente/fuente.log" >&2; falla "no se pudo obtener el paquete fuente $SQLITE_PAQ=$SQLITE_VER"; }
    ARBOL=$(find "$SQ/fuente" -mindepth 1 -maxdepth 1 -type d | head -n1)
    [ -f "$ARBOL/debian/rules" ] || falla "el paquete fuente no tiene debian/rules"
    # The -D options Debian builds libsqlite3 with (debian/rules), so that SQL behaves the same
    # as on Linux (LIKE and blobs, URI names, secure delete, limits…).
    DEFS=$(sed -n '/^export CFLAGS += /,/^$/p' "$ARBOL/debian/rules" |
        grep -o -- '-DSQLITE_[A-Za-z0-9_]*\(=[^ \\]*\)\?' | tr '\n' ' ')
    case "$DEFS" in *SQLITE_THREADSAFE*) ;; *) falla "no se encontraron las opciones de SQLite en debian/rules" ;; esac
    info "Opciones de Debian: $DEFS"
    # The same configure switches as debian/rules; the amalgamation is made with tclsh, and the
    # parser is generated with the options too (UPDATE/DELETE … LIMIT needs that).
    (cd "$SQ/amalgama" &&
        "$ARBOL/configure" --disable-tcl --enable-threadsafe --enable-load-extension \
            --enable-json --enable-fts4 --enable-fts5 CFLAGS="-O2 $DEFS" >configure.log 2>&1 &&
        make sqlite3.c fts5.c OPTS="$DEFS" >make.log 2>&1) ||
        { tail -n 30 "$SQ/amalgama/make.log" "$SQ/amalgama/configure.log" >&2 || true; falla "no se pudo generar la amalgamación de SQLite"; }
    CARACT=$(sed -n 's/^OPT_FEATURE_FLAGS = *//p' "$SQ/amalgama/Makefile")
    info "Opciones de configure: $CARACT"
    CFLAGS_SQ=(-O2 -fno-strict-aliasing $DEFS $CARACT -DSQLITE_OS_WIN=1)
    info "Compilando sqlite3.c y fts5.c con $CC_W"
    (cd "$SQ/amalgama" &&
        $CCACHE "$CC_W" "${CFLAGS_SQ[@]}" -c sqlite3.c -o "$SQ/obj/sqlite3.o" &&
        $CCACHE "$CC_W" "${CFLAGS_SQ[@]}" -DSQLITE_CORE -c fts5.c -o "$SQ/obj/fts5.o") ||
        falla "no se pudo compilar SQLite para Windows"
    $MINGW-ar rcs "$SQ/lib/libsqlite3.a" "$SQ/obj/sqlite3.o" "$SQ/obj/fts5.o"
    cp "$SQ/amalgama/sqlite3.h" "$SQ/amalgama/sqlite3ext.h" "$SQ/include/"
    echo "$SQLITE_VER" > "$SQ/version"
    info "Lista en $(($(date +%s) - t_paso)) s: $SQ/lib/libsqlite3.a"
fi

# ---------------------------------------------------------------------------------------------
GT=$BW/gtest-install
paso "GoogleTest de /usr/src/googletest (paquete googletest $(dpkg-query -W -f='${Version}' googletest))"
t_paso=$(date +%s)
if [ -f "$GT/lib/libgtest.a" ] && [ -f "$GT/lib/libgmock.a" ]; then
    info "Ya compilado: $GT"
else
    rm -rf "$BW/gtest-build" "$GT"
    cmake -S /usr/src/googletest -B "$BW/gtest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$RAIZ/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$GT" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON \
        "${LANZADOR[@]}" >"$BW/gtest-configure.log" 2>&1 ||
        { tail -n 30 "$BW/gtest-configure.log" >&2; falla "no se pudo configurar GoogleTest"; }
    cmake --build "$BW/gtest-build" -j2 >"$BW/gtest-build.log" 2>&1 ||
        { tail -n 30 "$BW/gtest-build.log" >&2; falla "no se pudo compilar GoogleTest"; }
    cmake --install "$BW/gtest-build" >/dev/null
    info "Listo en $(($(date +%s) - t_paso)) s: $GT"
fi

# ---------------------------------------------------------------------------------------------
paso "Configuración del proyecto para Windows (build-windows/)"
cmake -S "$RAIZ" -B "$BW" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$RAIZ/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DTAMARIS_GUI=OFF -DTAMARIS_BENCH=OFF -DTAMARIS_TESTS=ON \
    -DSQLite3_INCLUDE_DIR="$SQ/include" -DSQLite3_LIBRARY="$SQ/lib/libsqlite3.a" \
    -DGTest_DIR="$GT/lib/cmake/GTest" -DCMAKE_PREFIX_PATH="$GT" \
    "${LANZADOR[@]}" >"$BW/configure.log" 2>&1 ||
    { tail -n 40 "$BW/configure.log" >&2; falla "no se pudo configurar el proyecto para Windows"; }
info "Configurado (registro en build-windows/configure.log)."

paso "Compilación de percepciones-cli.exe y de los programas de prueba"
t_comp=$(date +%s)
problemas=()
set +e
cmake --build "$BW" -j2 --target percepciones-cli >"$BW/build.log" 2>&1
rc=$?
set -e
if [ $rc -ne 0 ]; then
    grep -E -A3 '^FAILED:|error:' "$BW/build.log" | head -n 80 >&2
    falla "no se pudo compilar percepciones-cli.exe (registro completo en build-windows/build.log)"
fi
# The tests: everything that compiles, so that one broken file does not hide the others.
set +e
cmake --build "$BW" -j2 -- -k 0 >>"$BW/build.log" 2>&1
rc=$?
set -e
seg_comp=$(($(date +%s) - t_comp))
if [ $rc -ne 0 ]; then
    info "No compilaron (los primeros errores de cada archivo):"
    grep -E '^FAILED: ' "$BW/build.log" | sed 's/^FAILED: //' | sed 's/^/      /' | sort -u
    grep -E ' error: |fatal error:|undefined reference' "$BW/build.log" | sed "s|$RAIZ/||; s|^\.\./||" |
        sort -u | head -n 40 | sed 's/^/        /'
    problemas+=("compilación de las pruebas (build-windows/build.log)")
fi
# A test program that no longer builds must not run from an older build.
for exe in "$BW"/tests/pruebas_*.exe; do
    [ -f "$exe" ] || continue
    n=$(basename "$exe" .exe)
    if grep -qE "^FAILED: tests/($n\.exe|CMakeFiles/$n\.dir/)" "$BW/build.log"; then
        info "$n no compila: no se corre el de una compilación anterior."
        rm -f "$exe"
        problemas+=("$n no compila")
    fi
done
info "Compilado en ${seg_comp} s: $(cd "$BW" && ls src/cli/*.exe tests/*.exe 2>/dev/null | tr '\n' ' ')"
CLI=$BW/src/cli/percepciones-cli.exe
[ -f "$CLI" ] || falla "no está $CLI"
if $MINGW-objdump -p "$CLI" | grep -iE 'DLL Name: (libstdc|libgcc|libwinpthread|libsqlite)' ; then
    falla "percepciones-cli.exe depende de DLL que no son de Windows"
fi
info "percepciones-cli.exe solo usa DLL del sistema: $($MINGW-objdump -p "$CLI" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')"

# ---------------------------------------------------------------------------------------------
paso "Wine (prefijo propio en build-windows/wine)"
export WINEPREFIX=$BW/wine WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
# Wine makes the program's UTF-16 command line from the host's arguments, read in the locale's
# character set: without UTF-8 here a name with ñ would arrive broken before the program sees it.
export LC_ALL=C.UTF-8
WINE=wine
[ -x /usr/lib/wine/wine64 ] && WINE=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    info "Creando el prefijo (wineboot -i)"
    $WINE wineboot -i >/dev/null 2>&1 || falla "wineboot -i no pudo crear el prefijo"
fi
# One server for all the runs; stopped at the end (only this prefix's).
wineserver -p 60 2>/dev/null || true
trap 'WINEPREFIX="$BW/wine" wineserver -k 2>/dev/null || true' EXIT
winpath() { winepath -w "$1" 2>/dev/null; }
carpetas_temp() {
    find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d \( -name Temp -o -name TEMP \) 2>/dev/null
}
listado_temp() {
    local d
    for d in $(carpetas_temp); do find "$d" -mindepth 1 2>/dev/null; done | sort
}

# ---------------------------------------------------------------------------------------------
paso "Pruebas bajo Wine (un proceso de Wine por programa, hasta ${TIMEOUT_PRUEBA} s cada uno)"
t_wine=$(date +%s)
HOME_PRUEBAS=$BW/tests/home
mkdir -p "$HOME_PRUEBAS"
W_HOME_PRUEBAS=$(winpath "$HOME_PRUEBAS")
# Every run starts from an empty TEMP: Wine gives out the same process ids run after run, so
# what a failed run leaves behind would be found again by a name made from the id.
for d in $(carpetas_temp); do find "$d" -mindepth 1 -delete; done
temp_antes=$(listado_temp)
fallaron=()
tot_ok=0 tot_mal=0 tot_omit=0
for exe in "$BW"/tests/pruebas_*.exe; do
    [ -f "$exe" ] || continue
    nombre=$(basename "$exe" .exe)
    reg=$BW/tests/$nombre.wine.log
    t0=$(date +%s)
    set +e
    (cd "$BW/tests" && TAMARIS_HOME=$W_HOME_PRUEBAS timeout -k 10 "$TIMEOUT_PRUEBA" $WINE "$exe" --gtest_color=no >"$reg" 2>&1)
    rc=$?
    set -e
    seg=$(($(date +%s) - t0))
    sed -i 's/\r$//' "$reg"
    ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$reg" | tail -n1)
    mal=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$reg" | tail -n1)
    omit=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below.*/\1/p' "$reg" | tail -n1)
    ok=${ok:-0} mal=${mal:-0} omit=${omit:-0}
    tot_ok=$((tot_ok + ok)) tot_mal=$((tot_mal + mal)) tot_omit=$((tot_omit + omit))
    estado="bien"
    if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
        estado="SE PASÓ DEL TIEMPO (${TIMEOUT_PRUEBA} s)"
    elif [ $rc -ne 0 ]; then
        estado="FALLÓ (código $rc)"
    elif ! grep -q '^\[==========\] .* ran\.' "$reg"; then
        estado="FALLÓ (terminó sin el resumen de GoogleTest)"
    fi
    printf '    %-22s %4d bien, %3d fallidas, %3d omitidas, %4d s  %s\n' "$nombre" "$ok" "$mal" "$omit" "$seg" "$estado"
    if [ "$estado" != "bien" ]; then
        fallaron+=("$nombre")
        # Each failing test with the first lines of what it reported.
        awk '{ sub(/\r$/, "") }
             /^\[ RUN      \] / { n = $4; buf = ""; k = 0; next }
             /^\[  FAILED  \] .* \([0-9]+ ms\)$/ && n != "" {
                 print "        FALLÓ " n; printf "%s", buf; n = ""; next }
             /^\[       OK \] |^\[  SKIPPED \] / { n = ""; next }
             n != "" && k < 6 && $0 != "" { buf = buf "          " $0 "\n"; k++ }' "$reg" | head -n 120
        [ "$mal" -gt 0 ] || tail -n 15 "$reg" | sed 's/^/        | /'
        info "  registro completo: ${reg#"$RAIZ"/}"
    fi
done
seg_wine=$(($(date +%s) - t_wine))
[ -n "$(ls "$BW"/tests/pruebas_*.exe 2>/dev/null)" ] || info "No hay ningún programa de prueba compilado."
info "Total: $tot_ok bien, $tot_mal fallidas, $tot_omit omitidas, en ${seg_wine} s."
quedaron=$(comm -13 <(printf '%s\n' "$temp_antes") <(listado_temp) | sed '/^$/d' | wc -l)
[ "$quedaron" -eq 0 ] || info "Aviso: las pruebas dejaron $quedaron archivos o carpetas en el TEMP de Wine."

# ---------------------------------------------------------------------------------------------
paso "Demostración bajo Wine comparada con la de Linux"
LINUX_CLI=$RAIZ/build/src/cli/percepciones-cli
if [ ! -d "$RAIZ/build" ]; then
    info "No está build/: se compila la versión de Linux"
    bash scripts/dependencias.sh
    cmake -S "$RAIZ" -B "$RAIZ/build" -G Ninja "${LANZADOR[@]}" >/dev/null
fi
ninja -C "$RAIZ/build" percepciones-cli >"$BW/build-linux.log" 2>&1 || falla "no se pudo compilar percepciones-cli para Linux"
D=$BW/demo
rm -rf "$D"
mkdir -p "$D/linux/citi" "$D/windows/citi" "$D/home-linux" "$D/home-windows"
ANIO=2013 MES=1
temp_antes=$(listado_temp)

info "Linux: demo, exportar y citi $MES/$ANIO"
TAMARIS_HOME="$D/home-linux" "$LINUX_CLI" demo --db "$D/linux/demo.db" >"$D/linux/demo.log" 2>&1 || falla "Linux: demo falló"
# Its content, before the commands add their lines to Control_Acceso.
! command -v sqlite3 >/dev/null || sqlite3 "$D/linux/demo.db" .dump >"$D/demo-linux.sql"
TAMARIS_HOME="$D/home-linux" "$LINUX_CLI" exportar --db "$D/linux/demo.db" --archivo "$D/linux/percepciones.txt" >"$D/linux/exportar.log" 2>&1 ||
    { cat "$D/linux/exportar.log"; falla "Linux: exportar falló"; }
TAMARIS_HOME="$D/home-linux" "$LINUX_CLI" citi --db "$D/linux/demo.db" --anio $ANIO --mes $MES --directorio "$D/linux/citi" >"$D/linux/citi.log" 2>&1 ||
    { cat "$D/linux/citi.log"; falla "Linux: citi falló"; }

wcli() {  # runs percepciones-cli.exe under Wine; output in $D/windows/<log>
    local reg=$1
    shift
    (cd "$D/windows" && TAMARIS_HOME=$(winpath "$D/home-windows") $WINE "$CLI" "$@" >"$D/windows/$reg" 2>&1)
}
W_DB=$(winpath "$D/windows/demo.db")
W_TXT=$(winpath "$D/windows")'\percepciones.txt'
W_CITI=$(winpath "$D/windows/citi")
info "Windows: demo --db $W_DB"
wcli demo.log demo --db "$W_DB" || { cat "$D/windows/demo.log"; falla "Windows: demo falló"; }
[ -f "$D/windows/demo.db" ] || falla "Windows: demo no creó $D/windows/demo.db"
if command -v sqlite3 >/dev/null; then
    sqlite3 "$D/windows/demo.db" .dump >"$D/demo-windows.sql"
    if cmp -s "$D/demo-linux.sql" "$D/demo-windows.sql"; then
        info "La base de demostración tiene las mismas filas en Windows y en Linux (sqlite3 .dump)."
    else
        falla "la base de demostración de Windows no tiene las mismas filas que la de Linux (build-windows/demo/demo-*.sql)"
    fi
fi

info "Windows: exportar --archivo $W_TXT"
wcli exportar1.log exportar --db "$W_DB" --archivo "$W_TXT" ||
    { cat "$D/windows/exportar1.log"; falla "Windows: exportar falló"; }
[ -f "$D/windows/percepciones.txt" ] || falla "Windows: exportar no escribió $W_TXT"
cp "$D/windows/percepciones.txt" "$D/windows/percepciones.primera"
info "Windows: exportar otra vez al mismo archivo (debe reemplazarlo)"
wcli exportar2.log exportar --db "$W_DB" --archivo "$W_TXT" ||
    { cat "$D/windows/exportar2.log"; falla "Windows: la segunda exportación al mismo archivo falló"; }
cmp -s "$D/windows/percepciones.primera" "$D/windows/percepciones.txt" ||
    falla "Windows: la segunda exportación escribió otro contenido"
rm "$D/windows/percepciones.primera"
info "Windows: citi --anio $ANIO --mes $MES --directorio $W_CITI"
wcli citi.log citi --db "$W_DB" --anio $ANIO --mes $MES --directorio "$W_CITI" ||
    { cat "$D/windows/citi.log"; falla "Windows: citi falló"; }

info "Comparación byte a byte"
distintos=0
compara() {
    if [ ! -f "$2" ]; then
        printf '    FALTA   %s\n' "${2#"$D"/}"
        distintos=1
    elif cmp "$1" "$2" >/dev/null; then
        printf '    IGUAL   %s (%s bytes)\n' "${2#"$D"/}" "$(stat -c %s "$2")"
    else
        printf '    DISTINTO %s: %s\n' "${2#"$D"/}" "$(cmp "$1" "$2" 2>&1 | head -n1)"
        distintos=1
    fi
}
compara "$D/linux/percepciones.txt" "$D/windows/percepciones.txt"
n_citi=0
for f in "$D/linux/citi"/*; do
    [ -f "$f" ] || continue
    n_citi=$((n_citi + 1))
    compara "$f" "$D/windows/citi/$(basename "$f")"
done
[ $n_citi -gt 0 ] || falla "Linux no escribió ningún archivo C.I.T.I. para $MES/$ANIO"
for f in "$D/windows/citi"/*; do
    [ -e "$D/linux/citi/$(basename "$f")" ] || { printf '    DE MÁS  %s\n' "${f#"$D"/}"; distintos=1; }
done
# verificar, on each side against its own database: the same answer and the same report.
verifica() {  # verifica <title> <log> <arguments; @PERC@, @CITI@NAME and @DB@ stand for the files>
    local titulo=$1 reg=$2 a l=() w=() rl rw
    shift 2
    for a in "$@"; do
        case "$a" in
            @PERC@) l+=("$D/linux/percepciones.txt"); w+=("$W_TXT") ;;
            @CITI@*) l+=("$D/linux/citi/${a#@CITI@}"); w+=("$W_CITI\\${a#@CITI@}") ;;
            @DB@) l+=("$D/linux/demo.db"); w+=("$W_DB") ;;
            *) l+=("$a"); w+=("$a") ;;
        esac
    done
    set +e
    TAMARIS_HOME="$D/home-linux" "$LINUX_CLI" "${l[@]}" >"$D/linux/$reg" 2>&1
    rl=$?
    wcli "$reg" "${w[@]}"
    rw=$?
    set -e
    sed -i 's/\r$//' "$D/windows/$reg"
    if [ $rl -ne $rw ] || ! cmp -s <(grep -v "$D" "$D/linux/$reg") <(grep -vF "$(winpath "$D")" "$D/windows/$reg"); then
        printf '    DISTINTO %s: Linux termina con %s y Windows con %s\n' "$titulo" $rl $rw
        diff "$D/linux/$reg" "$D/windows/$reg" | head -n 10 | sed 's/^/        /'
        distintos=1
    else
        printf '    IGUAL   %s (código %s; %s)\n' "$titulo" $rl "$(tail -n1 "$D/windows/$reg")"
    fi
}
verifica "verificar percepciones" verificar.log verificar percepciones --archivo @PERC@ --db @DB@
for f in "$D/linux/citi"/*; do
    verifica "verificar citi $(basename "$f")" verificar-citi.log verificar citi --archivo "@CITI@$(basename "$f")" --db @DB@ --anio $ANIO --mes $MES
done
if [ $distintos -ne 0 ]; then
    # Tell a different demonstration database from a different export.
    mkdir -p "$D/windows/desde-linux"
    if wcli desde-linux/exportar.log exportar --db "$(winpath "$D/linux/demo.db")" \
        --archivo "$(winpath "$D/windows/desde-linux")"'\percepciones.txt' &&
        cmp -s "$D/linux/percepciones.txt" "$D/windows/desde-linux/percepciones.txt"; then
        info "Exportando la base creada en Linux, Windows escribe lo mismo: la diferencia está en la base de demostración."
    else
        info "Tampoco exportando la base creada en Linux da lo mismo: la diferencia está en la exportación."
    fi
fi
[ $distintos -eq 0 ] || falla "los archivos de Windows no son iguales a los de Linux (ver build-windows/demo/)"

info "Temporales"
# Beside the destinations only what the commands were asked to write (and the logs).
sobran=$(find "$D/windows" -mindepth 1 ! -name demo.db ! -name '*.log' ! -name percepciones.txt \
    ! -path "$D/windows/citi" ! -path "$D/windows/citi/*" -printf '%P\n')
for f in "$D/windows/citi"/* "$D/windows/citi"/.[!.]*; do
    if [ -e "$f" ] && [ ! -e "$D/linux/citi/$(basename "$f")" ]; then
        sobran+=$'\n'"citi/$(basename "$f")"
    fi
done
temp_despues=$(listado_temp)
nuevos_temp=$(comm -13 <(printf '%s\n' "$temp_antes") <(printf '%s\n' "$temp_despues") | sed '/^$/d')
if [ -n "$sobran$nuevos_temp" ]; then
    printf '%s\n' "$sobran" "$nuevos_temp" | sed '/^$/d; s/^/    sobra: /'
    falla "quedaron archivos temporales"
fi
info "No quedó ningún temporal junto a los destinos ni en $(carpetas_temp | sed "s|$BW/||" | tr '\n' ' ')"
info "La demostración de Windows es idéntica a la de Linux."

# ---------------------------------------------------------------------------------------------
paso "Carpetas y archivos con ñ, á, ó bajo Wine"
# The same commands with names that the ANSI code page cannot carry as UTF-8: the files have to
# be the same as Linux's.
N="$D/nombres/Año 2025 José"
mkdir -p "$N/citi ó"
W_N=$(winpath "$N")
W_NDB="$W_N\\demo ñ.db"
W_NTXT="$W_N\\percepción ñ.txt"
info "Windows: demo, exportar, citi y verificar en $W_N"
wcli nombres-demo.log demo --db "$W_NDB" || { cat "$D/windows/nombres-demo.log"; falla "Windows: demo con ñ en el nombre falló"; }
[ -f "$N/demo ñ.db" ] || falla "Windows: demo no creó $N/demo ñ.db"
wcli nombres-exportar.log exportar --db "$W_NDB" --archivo "$W_NTXT" ||
    { cat "$D/windows/nombres-exportar.log"; falla "Windows: exportar con ñ en los nombres falló"; }
wcli nombres-citi.log citi --db "$W_NDB" --anio $ANIO --mes $MES --directorio "$W_N\\citi ó" ||
    { cat "$D/windows/nombres-citi.log"; falla "Windows: citi --directorio con ó en el nombre falló"; }
wcli nombres-verificar.log verificar percepciones --archivo "$W_NTXT" --db "$W_NDB" ||
    { cat "$D/windows/nombres-verificar.log"; falla "Windows: verificar --archivo con ñ en el nombre falló"; }
distintos=0
compara "$D/linux/percepciones.txt" "$N/percepción ñ.txt"
for f in "$D/linux/citi"/*; do compara "$f" "$N/citi ó/$(basename "$f")"; done
[ $distintos -eq 0 ] || falla "con ñ, á, ó en los nombres Windows no escribió lo mismo que Linux"
if find "$D/nombres" -name '*.tamaris-*' | grep -q .; then falla "quedaron temporales en $N"; fi
info "Con ñ, á, ó en carpetas y archivos: los mismos archivos que en Linux, sin temporales."

# A real console (script(1) gives Wine a terminal) shows the Spanish text right: the program
# writes to it through WriteConsoleW, not in the console's code page ("demostraci├│n").
if command -v script >/dev/null; then
    W_CON="$(winpath "$D/windows")\\consola.db"
    orden=$(printf '%q ' env TAMARIS_HOME="$(winpath "$D/home-windows")" $WINE "$CLI" demo --db "$W_CON" --filas 50)
    consola=$(cd "$D/windows" && timeout 120 script -qec "$orden" /dev/null </dev/null 2>&1 | tr -d '\r' || true)
    printf '%s\n' "$consola" | grep -q 'Base de datos de demostración' ||
        { printf '%s\n' "$consola" | cat -v | head -n 5; falla "la consola de Wine no muestra bien los acentos"; }
    info "En una consola (script bajo Wine) los acentos se ven bien: $(printf '%s\n' "$consola" | grep -o 'Base de datos de demostración' | head -n1)"
fi

# ---------------------------------------------------------------------------------------------
paso "Ctrl+C durante una exportación bajo Wine"
# Wine hands a SIGINT of the Windows program to it as the console's Ctrl+C event: the program
# must remove its temporary, leave the old file as it was and end with 130.
C=$D/ctrlc
mkdir -p "$C"
TAMARIS_HOME="$D/home-linux" "$LINUX_CLI" demo --db "$C/grande.db" --filas 1000000 >"$C/demo.log" 2>&1 ||
    falla "Linux: no se pudo crear la base grande"
pillado=0
for intento in 1 2 3; do
    printf 'anterior\r\n' >"$C/perc.txt"
    (cd "$C" && TAMARIS_HOME=$(winpath "$D/home-windows") $WINE "$CLI" exportar \
        --db "$(winpath "$C/grande.db")" --archivo "$(winpath "$C")"'\perc.txt' >"$C/exportar.log" 2>&1) &
    hijo=$!
    for _ in $(seq 1 600); do
        ls -A "$C" | grep -q '^\.perc\.txt\.tamaris-' && break
        kill -0 $hijo 2>/dev/null || break
        sleep 0.05
    done
    pid_w=$(pgrep -f 'percepciones-cli\.exe exportar --db .*grande\.db' | head -n1 || true)
    if [ -n "$pid_w" ] && ls -A "$C" | grep -q '^\.perc\.txt\.tamaris-'; then
        kill -INT "$pid_w"
        pillado=1
    fi
    set +e
    wait $hijo
    rc=$?
    set -e
    [ $pillado -eq 1 ] && break
done
[ $pillado -eq 1 ] || falla "la exportación terminó antes de poder interrumpirla"
[ $rc -eq 130 ] || { cat "$C/exportar.log"; falla "tras Ctrl+C terminó con $rc, no con 130"; }
cmp -s "$C/perc.txt" <(printf 'anterior\r\n') || falla "tras Ctrl+C el archivo anterior cambió"
if ls -A "$C" | grep -q 'tamaris-'; then falla "tras Ctrl+C quedó el temporal"; fi
info "Interrumpida con Ctrl+C: código 130, el archivo anterior intacto y sin temporal."
rm -f "$C/grande.db"

# ---------------------------------------------------------------------------------------------
if [ -f "$BW/CPackConfig.cmake" ]; then
    paso "Paquete ZIP"
    (cd "$BW" && cpack -G ZIP >"$BW/cpack.log" 2>&1) || { tail -n 20 "$BW/cpack.log"; falla "cpack falló"; }
    ZIP=$(ls -t "$BW"/*.zip | head -n1)
    info "$ZIP"
    # What the archive holds has to run as it is, with no DLL beside it.
    rm -rf "$BW/zip-prueba" && mkdir -p "$BW/zip-prueba"
    (cd "$BW/zip-prueba" && cmake -E tar xf "$ZIP")
    EXE_ZIP=$(find "$BW/zip-prueba" -name percepciones-cli.exe | head -n1)
    [ -n "$EXE_ZIP" ] || falla "el ZIP no tiene percepciones-cli.exe"
    (cd "$BW/zip-prueba" && $WINE "$EXE_ZIP" --help >"$BW/zip-prueba.log" 2>&1) ||
        { cat "$BW/zip-prueba.log"; falla "percepciones-cli.exe del ZIP no arranca bajo Wine"; }
    info "Contiene: $(cd "$BW/zip-prueba" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')(percepciones-cli.exe --help anda)"
fi

# ---------------------------------------------------------------------------------------------
paso "Tiempos"
info "Compilación para Windows: ${seg_comp} s"
info "Pruebas bajo Wine:        ${seg_wine} s"
info "Total del script:         $(($(date +%s) - inicio)) s"
[ ${#fallaron[@]} -eq 0 ] || problemas+=("pruebas bajo Wine: ${fallaron[*]}")
if [ ${#problemas[@]} -gt 0 ]; then
    falla "$(printf '%s; ' "${problemas[@]}")"
fi
echo
echo "Windows: todo bien."
