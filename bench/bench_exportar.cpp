// Export speed and memory against the sqlite3 shell and against a minimal C-API export.
//
// Generates a demo database of N accounting entries (1,000,000 by default), then times, in the
// same run and alternating, `percepciones-cli exportar` writing the perception file, the
// sqlite3 shell merely printing the same query to a file, and a minimal export through the
// sqlite3 C API (this same binary with `--minimo-sqlite BASE CONSULTA`: prepare, step, format
// each row into the file's 73-character line, one buffered stream). Reports the best wall and
// CPU (user + system) time of each, the ratios and the peak resident memory of the exporter,
// also for a tenth of the rows to show that memory does not grow with the result. The CPU cost
// is compared on the instructions each one executes under callgrind, on a ledger of M entries
// (100,000 by default): CPU seconds on a busy machine are too unsteady to hold a target.
//
//   bench_exportar [--filas N] [--repeticiones R] [--carpeta DIR] [--filas-instrucciones M]
//
// Targets: exporter time <= 0.9 x shell time and <= 1.15 x the minimal export (wall time);
// exporter instructions <= 1.3 x the minimal export's; the same bytes; exporter peak memory
// < 32 MB. Exit 0 when every target is met, 1 when one is not or a run failed.

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "Medicion.h"
#include "data/sqlite/DialectoSqlite.h"
#include "export_perceptions/Form1.h"

namespace {

using medicion::Corre;
using medicion::Instrucciones;
using medicion::Lineas;
using medicion::Medida;
using medicion::Mejor;

// One field of the line: the text cut or padded with blanks to its width.
void Ancho(char*& o, const char* t, std::size_t n, std::size_t ancho) {
    if (n > ancho) n = ancho;
    std::memcpy(o, t, n);
    std::memset(o + n, ' ', ancho - n);
    o += ancho;
}

void Texto(char*& o, sqlite3_stmt* st, int c, std::size_t ancho) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
    Ancho(o, t ? t : "", t ? static_cast<std::size_t>(sqlite3_column_bytes(st, c)) : 0, ancho);
}

// An amount: its absolute value with up to 15 significant digits ("%.15g") and a decimal
// comma.
void Importe(char*& o, sqlite3_stmt* st, int c) {
    char b[40];
    const int n =
        static_cast<int>(std::to_chars(b, b + sizeof b, std::fabs(sqlite3_column_double(st, c)),
                                       std::chars_format::general, 15)
                             .ptr -
                         b);
    for (int i = 0; i < n; ++i)
        if (b[i] == '.') b[i] = ',';
    Ancho(o, b, static_cast<std::size_t>(n), 15);
}

// The minimal export through the sqlite3 C API, to standard output with one buffer. The demo
// ledger keeps dates as 'YYYY-MM-DD' texts, whole voucher numbers and CUITs as texts.
int MinimoSqlite(const char* base, const char* sql) {
    sqlite3* db = nullptr;
    // One thread: no mutexes, as the exporter opens its files.
    if (sqlite3_open_v2(base, &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK)
        return 3;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) return 4;
    static char buf[1 << 16];
    std::setvbuf(stdout, buf, _IOFBF, sizeof buf);
    char linea[80];
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        char* o = linea;
        Texto(o, st, 0, 2);
        const auto* f = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        if (f && sqlite3_column_bytes(st, 1) >= 10) {
            const char dma[10] = {f[8], f[9], '/', f[5], f[6], '/', f[0], f[1], f[2], f[3]};
            Ancho(o, dma, 10, 10);
        } else {
            Ancho(o, "", 0, 10);
        }
        Texto(o, st, 2, 2);
        Texto(o, st, 3, 1);
        Texto(o, st, 4, 12);
        const auto* cuit = reinterpret_cast<const char*>(sqlite3_column_text(st, 5));
        char limpio[16];
        std::size_t n = 0;
        for (const char* p = cuit ? cuit : ""; *p && n < sizeof limpio; ++p)
            if (*p != '-') limpio[n++] = *p;
        Ancho(o, limpio, n, 11);
        Importe(o, st, 6);
        Texto(o, st, 7, 5);
        Importe(o, st, 8);
        *o++ = '\r';
        *o++ = '\n';
        std::fwrite(linea, 1, static_cast<std::size_t>(o - linea), stdout);
    }
    std::fflush(stdout);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rc == SQLITE_DONE ? 0 : 5;
}

struct Resultado {
    Medida exportar, shell, minimo;
    long lineasExportar = 0, lineasShell = 0;
    bool mismosBytes = false;  // the exporter's file and the minimal export's are identical
};

bool MismosBytes(const std::string& a, const std::string& b) {
    std::FILE* fa = std::fopen(a.c_str(), "rb");
    std::FILE* fb = std::fopen(b.c_str(), "rb");
    bool iguales = fa && fb;
    static char ba[1 << 16], bb[1 << 16];
    while (iguales) {
        const std::size_t na = std::fread(ba, 1, sizeof ba, fa);
        const std::size_t nb = std::fread(bb, 1, sizeof bb, fb);
        iguales = na == nb && std::memcmp(ba, bb, na) == 0;
        if (na == 0) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return iguales;
}

Resultado Mide(const std::string& yo, const std::string& carpeta, long filas, int repeticiones) {
    const std::string db = medicion::BaseDemo(TAMARIS_CLI_EXE, carpeta, filas);
    const std::string consulta =
        tamaris::ReescribeSqlite(tamaris::SentenciaPercepciones("", "", ""), {}, true);
    const std::string archivo = carpeta + "/percepciones_bench.txt";
    const std::string volcado = carpeta + "/sqlite3_bench.txt";
    const std::string minimo = carpeta + "/minimo_sqlite_bench.txt";
    Resultado r;
    for (int i = 0; i < repeticiones; ++i) {
        const Medida e =
            Corre({TAMARIS_CLI_EXE, "exportar", "--db", db, "--archivo", archivo}, "/dev/null");
        const Medida s = Corre({"sqlite3", db, consulta}, volcado);
        const Medida m = Corre({yo, "--minimo-sqlite", db, consulta}, minimo);
        Mejor(r.exportar, e, "exportar");
        Mejor(r.shell, s, "sqlite3");
        Mejor(r.minimo, m, "el mínimo");
    }
    r.lineasExportar = Lineas(archivo);
    r.lineasShell = Lineas(volcado);
    r.mismosBytes = MismosBytes(archivo, minimo);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--minimo-sqlite") == 0)
        return MinimoSqlite(argv[2], argv[3]);
    const std::string yo = std::filesystem::read_symlink("/proc/self/exe").string();
    const medicion::Opciones op = medicion::LeeOpciones(argc, argv);
    const long filas = op.filas;
    const int repeticiones = op.repeticiones;
    const std::string& carpeta = op.carpeta;

    const Resultado chico = Mide(yo, carpeta, std::max(1L, filas / 10), repeticiones);
    const Resultado grande = Mide(yo, carpeta, filas, repeticiones);
    const double razon = grande.exportar.segundos / grande.shell.segundos;
    const double razonMinimo = grande.exportar.segundos / grande.minimo.segundos;

    // Instructions on a smaller ledger: callgrind runs the program 50 to 100 times slower.
    long long insExportar = -1, insMinimo = -1, insShell = -1;
    const long filasIns = op.filasInstrucciones;
    if (filasIns > 0) {
        const std::string db = medicion::BaseDemo(TAMARIS_CLI_EXE, carpeta, filasIns);
        const std::string consulta =
            tamaris::ReescribeSqlite(tamaris::SentenciaPercepciones("", "", ""));
        std::cerr << "Contando instrucciones con callgrind (" << filasIns << " asientos)...\n";
        insExportar = Instrucciones({TAMARIS_CLI_EXE, "exportar", "--db", db, "--archivo",
                                     carpeta + "/percepciones_instrucciones.txt"},
                                    "/dev/null", carpeta);
        insMinimo = Instrucciones({yo, "--minimo-sqlite", db, consulta},
                                  carpeta + "/minimo_instrucciones.txt", carpeta);
        insShell = Instrucciones({"sqlite3", db, consulta}, carpeta + "/sqlite3_instrucciones.txt",
                                 carpeta);
    }
    const double razonIns = insExportar > 0 && insMinimo > 0
                                ? static_cast<double>(insExportar) / static_cast<double>(insMinimo)
                                : -1;

    std::printf("filas                      %10ld %10ld\n", std::max(1L, filas / 10), filas);
    std::printf("líneas exportadas          %10ld %10ld\n", chico.lineasExportar,
                grande.lineasExportar);
    std::printf("líneas de sqlite3          %10ld %10ld\n", chico.lineasShell, grande.lineasShell);
    std::printf("exportar (s)               %10.3f %10.3f\n", chico.exportar.segundos,
                grande.exportar.segundos);
    std::printf("sqlite3 (s)                %10.3f %10.3f\n", chico.shell.segundos,
                grande.shell.segundos);
    std::printf("exportar / sqlite3         %10.3f %10.3f   (objetivo <= 0.9)\n",
                chico.exportar.segundos / chico.shell.segundos, razon);
    std::printf("mínimo C (s)               %10.3f %10.3f\n", chico.minimo.segundos,
                grande.minimo.segundos);
    std::printf("exportar / mínimo          %10.3f %10.3f   (objetivo <= 1.15)\n",
                chico.exportar.segundos / chico.minimo.segundos, razonMinimo);
    std::printf("exportar CPU (s)           %10.3f %10.3f\n", chico.exportar.cpu,
                grande.exportar.cpu);
    std::printf("mínimo C CPU (s)           %10.3f %10.3f\n", chico.minimo.cpu, grande.minimo.cpu);
    std::printf("exportar / mínimo, CPU     %10.3f %10.3f   (informativo: varía con la carga)\n",
                chico.exportar.cpu / chico.minimo.cpu, grande.exportar.cpu / grande.minimo.cpu);
    std::printf("mismos bytes que el mínimo %10s %10s\n", chico.mismosBytes ? "sí" : "NO",
                grande.mismosBytes ? "sí" : "NO");
    std::printf("memoria pico exportar (MB) %10.1f %10.1f   (objetivo < 32)\n",
                chico.exportar.memoriaKb / 1024.0, grande.exportar.memoriaKb / 1024.0);
    std::printf("memoria pico sqlite3 (MB)  %10.1f %10.1f\n", chico.shell.memoriaKb / 1024.0,
                grande.shell.memoriaKb / 1024.0);
    if (filasIns > 0) {
        std::printf("instrucciones, %ld asientos: exportar %lld, mínimo C %lld, sqlite3 %lld\n",
                    filasIns, insExportar, insMinimo, insShell);
        std::printf("exportar / mínimo, instrucciones      %10.3f   (objetivo <= 1.3)\n", razonIns);
    }

    std::vector<const char*> fallas;
    if (!(razon <= 0.9)) fallas.push_back("exportar / sqlite3");
    if (!(razonMinimo <= 1.15)) fallas.push_back("exportar / mínimo");
    if (filasIns > 0 && !(razonIns > 0 && razonIns <= 1.3))
        fallas.push_back("exportar / mínimo, instrucciones");
    if (!grande.mismosBytes) fallas.push_back("mismos bytes");
    if (!(grande.exportar.memoriaKb < 32 * 1024)) fallas.push_back("memoria");
    if (grande.lineasExportar != grande.lineasShell) fallas.push_back("líneas");
    const bool ok = fallas.empty();
    std::printf("%s", ok ? "OBJETIVOS CUMPLIDOS" : "OBJETIVOS NO CUMPLIDOS:");
    for (std::size_t i = 0; i < fallas.size(); ++i) std::printf("%s %s", i ? "," : "", fallas[i]);
    std::printf("\n");
    return ok ? 0 : 1;
}
