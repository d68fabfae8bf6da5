// Export speed and memory against the sqlite3 shell.
//
// Generates a demo database of N accounting entries (1,000,000 by default), then times, in the
// same run and alternating, `percepciones-cli exportar` writing the perception file and the
// sqlite3 shell merely printing the same query to a file. Reports the best wall time of each,
// their ratio and the peak resident memory of the exporter, also for a tenth of the rows to
// show that memory does not grow with the result.
//
//   bench_exportar [--filas N] [--repeticiones R] [--carpeta DIR]
//
// Targets: exporter time <= 0.9 x shell time; exporter peak memory < 32 MB.

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Demo.h"
#include "data/sqlite/DialectoSqlite.h"
#include "export_perceptions/Form1.h"

namespace {

struct Medida {
    double segundos = 0;
    long memoriaKb = 0;
    int codigo = 0;
};

// Runs a program with its standard output sent to `salida`; wall time and peak memory.
Medida Corre(const std::vector<std::string>& args, const std::string& salida) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto inicio = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) _exit(127);
        dup2(fd, 1);
        close(fd);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int estado = 0;
    rusage uso{};
    wait4(pid, &estado, 0, &uso);
    Medida m;
    m.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    m.memoriaKb = uso.ru_maxrss;
    m.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    return m;
}

long Lineas(const std::string& archivo) {
    std::FILE* f = std::fopen(archivo.c_str(), "rb");
    if (!f) return -1;
    long n = 0;
    char buf[1 << 16];
    std::size_t leidos;
    while ((leidos = std::fread(buf, 1, sizeof buf, f)) > 0)
        n += std::count(buf, buf + leidos, '\n');
    std::fclose(f);
    return n;
}

struct Resultado {
    Medida exportar, shell;
    long lineasExportar = 0, lineasShell = 0;
};

Resultado Mide(const std::string& carpeta, long filas, int repeticiones) {
    namespace fs = std::filesystem;
    const std::string db = carpeta + "/bench_" + std::to_string(filas) + ".db";
    if (!fs::exists(db)) {
        std::cerr << "Generando " << filas << " asientos en " << db << "...\n";
        const auto t0 = std::chrono::steady_clock::now();
        tamaris::OpcionesDemo op;
        op.filas = filas;
        const auto r = tamaris::CreaDemo(db, op);
        std::cerr << "  " << r.asientos << " asientos, " << r.exportables << " exportables ("
                  << (100.0 * r.exportables / r.asientos) << "%), "
                  << std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count()
                  << " s\n";
    }
    const std::string consulta =
        tamaris::ReescribeSqlite(tamaris::Form1::ArmaSentencia("", "", ""));
    const std::string archivo = carpeta + "/percepciones_bench.txt";
    const std::string volcado = carpeta + "/sqlite3_bench.txt";
    Resultado r;
    r.exportar.segundos = r.shell.segundos = 1e300;
    for (int i = 0; i < repeticiones; ++i) {
        const Medida e = Corre({TAMARIS_CLI_EXE, "exportar", "--db", db, "--archivo", archivo},
                               "/dev/null");
        const Medida s = Corre({"sqlite3", db, consulta}, volcado);
        if (e.codigo != 0 || s.codigo != 0) {
            std::cerr << "Falló una ejecución (exportar " << e.codigo << ", sqlite3 " << s.codigo
                      << ")\n";
            std::exit(1);
        }
        if (e.segundos < r.exportar.segundos) r.exportar.segundos = e.segundos;
        if (s.segundos < r.shell.segundos) r.shell.segundos = s.segundos;
        r.exportar.memoriaKb = std::max(r.exportar.memoriaKb, e.memoriaKb);
        r.shell.memoriaKb = std::max(r.shell.memoriaKb, s.memoriaKb);
    }
    r.lineasExportar = Lineas(archivo);
    r.lineasShell = Lineas(volcado);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    long filas = 1000000;
    int repeticiones = 3;
    std::string carpeta = std::filesystem::temp_directory_path().string() + "/tamaris_bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string o = argv[i];
        if (o == "--filas") filas = std::stol(argv[i + 1]);
        else if (o == "--repeticiones") repeticiones = std::stoi(argv[i + 1]);
        else if (o == "--carpeta") carpeta = argv[i + 1];
    }
    std::filesystem::create_directories(carpeta);

    const Resultado chico = Mide(carpeta, std::max(1L, filas / 10), repeticiones);
    const Resultado grande = Mide(carpeta, filas, repeticiones);
    const double razon = grande.exportar.segundos / grande.shell.segundos;

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
    std::printf("memoria pico exportar (MB) %10.1f %10.1f   (objetivo < 32)\n",
                chico.exportar.memoriaKb / 1024.0, grande.exportar.memoriaKb / 1024.0);
    std::printf("memoria pico sqlite3 (MB)  %10.1f %10.1f\n", chico.shell.memoriaKb / 1024.0,
                grande.shell.memoriaKb / 1024.0);
    const bool ok = razon <= 0.9 && grande.exportar.memoriaKb < 32 * 1024 &&
                    grande.lineasExportar == grande.lineasShell;
    std::printf("%s\n", ok ? "OBJETIVOS CUMPLIDOS" : "OBJETIVOS NO CUMPLIDOS");
    return ok ? 0 : 1;
}
