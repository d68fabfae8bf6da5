#pragma once
// What the benchmarks share: running a program as a process of its own and measuring its wall
// time, CPU time and peak memory, or the instructions it executes; keeping the best of several
// runs; the common options; and the demo database they measure on.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace medicion {

struct Medida {
    double segundos = 1e300;
    double cpu = 1e300;  // user + system seconds
    long memoriaKb = 0;
    int codigo = 0;
};

// Runs a program with its standard output sent to `salida`; wall time, CPU time and peak
// memory of that process alone.
inline Medida Corre(const std::vector<std::string>& args, const std::string& salida) {
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
    m.cpu = static_cast<double>(uso.ru_utime.tv_sec + uso.ru_stime.tv_sec) +
            static_cast<double>(uso.ru_utime.tv_usec + uso.ru_stime.tv_usec) / 1e6;
    m.memoriaKb = uso.ru_maxrss;
    m.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    return m;
}

// Keeps the best times and the highest memory; a run that failed ends the benchmark.
inline void Mejor(Medida& acumulada, const Medida& m, const char* que) {
    if (m.codigo != 0) {
        std::cerr << "Falló " << que << " (código " << m.codigo << ")\n";
        std::exit(1);
    }
    acumulada.segundos = std::min(acumulada.segundos, m.segundos);
    acumulada.cpu = std::min(acumulada.cpu, m.cpu);
    acumulada.memoriaKb = std::max(acumulada.memoriaKb, m.memoriaKb);
}

// Instructions a program executes, all its threads together, counted by valgrind's callgrind.
// CPU seconds on a shared machine move by half between identical runs; the count moves by well
// under one per cent, so a ratio of CPU cost is compared on it. Runs 50 to 100 times slower
// than the program alone: give it a small ledger. -1 when valgrind is missing or the run
// failed.
inline long long Instrucciones(const std::vector<std::string>& args, const std::string& salida,
                               const std::string& carpeta) {
    const std::string cuenta = carpeta + "/callgrind.out";
    const std::string registro = carpeta + "/callgrind.log";
    std::filesystem::remove(cuenta);
    std::vector<std::string> v = {"valgrind", "--tool=callgrind", "--callgrind-out-file=" + cuenta,
                                  "--log-file=" + registro};
    v.insert(v.end(), args.begin(), args.end());
    const Medida m = Corre(v, salida);
    if (m.codigo == 127) {
        std::cerr << "No se pudo correr valgrind (paquete valgrind)\n";
        return -1;
    }
    if (m.codigo != 0) {
        std::cerr << "Falló bajo callgrind (código " << m.codigo << "): " << args[0] << "; ver "
                  << registro << "\n";
        return -1;
    }
    std::ifstream f(cuenta);
    for (std::string l; std::getline(f, l);)
        if (l.rfind("summary: ", 0) == 0 || l.rfind("totals: ", 0) == 0)
            return std::stoll(l.substr(l.find(' ') + 1));
    std::cerr << "callgrind no dejó el total de instrucciones en " << cuenta << "\n";
    return -1;
}

inline long Lineas(const std::string& archivo) {
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

// --filas N, --repeticiones R, --carpeta DIR, --filas-instrucciones M (the ledger the
// instructions are counted on; 0 leaves that count out); the flags named in `banderas` are set
// in the returned list when present.
struct Opciones {
    long filas = 1000000;
    long filasInstrucciones = 100000;
    int repeticiones = 3;
    std::string carpeta = std::filesystem::temp_directory_path().string() + "/tamaris_bench";
    std::vector<std::string> banderas;
    bool Tiene(const std::string& b) const {
        return std::find(banderas.begin(), banderas.end(), b) != banderas.end();
    }
};
inline Opciones LeeOpciones(int argc, char** argv, const std::vector<std::string>& banderas = {}) {
    Opciones o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (std::find(banderas.begin(), banderas.end(), a) != banderas.end()) {
            o.banderas.push_back(a);
        } else if (i + 1 < argc && a == "--filas") {
            o.filas = std::stol(argv[++i]);
        } else if (i + 1 < argc && a == "--repeticiones") {
            o.repeticiones = std::stoi(argv[++i]);
        } else if (i + 1 < argc && a == "--filas-instrucciones") {
            o.filasInstrucciones = std::stol(argv[++i]);
        } else if (i + 1 < argc && a == "--carpeta") {
            o.carpeta = argv[++i];
        }
    }
    std::filesystem::create_directories(o.carpeta);
    return o;
}

// The demo database of `filas` entries in `carpeta`, made once by the command line in a process
// of its own, so that the measuring process stays small (a child starts with its parent's
// resident pages counted as its own).
inline std::string BaseDemo(const std::string& cli, const std::string& carpeta, long filas) {
    const std::string db = carpeta + "/bench_" + std::to_string(filas) + ".db";
    if (!std::filesystem::exists(db)) {
        std::cerr << "Generando " << filas << " asientos en " << db << "...\n";
        Medida g;
        Mejor(g,
              Corre({cli, "demo", "--db", db, "--filas", std::to_string(filas)},
                    carpeta + "/demo.log"),
              "demo");
        std::cerr << "  " << g.segundos << " s\n";
    }
    return db;
}

}  // namespace medicion
