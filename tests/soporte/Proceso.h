#pragma once
// Runs the command-line program as a separate process and captures what it prints.

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "soporte/SistemaPrueba.h"

namespace prueba {

struct Salida {
    int codigo = -1;
    std::string out, err;
};

using prueba_sistema::Comillas;

inline std::string LeeArchivo(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

// Runs `programa args...` with stdin closed; stdout and stderr captured through temporary files.
inline Salida Corre(const std::string& programa, const std::vector<std::string>& args) {
    namespace fs = std::filesystem;
    static int n = 0;
    const fs::path base = fs::temp_directory_path() /
                          ("tamaris_proc_" + std::to_string(tamaris::plataforma::IdProceso()) +
                           "_" + std::to_string(++n));
    std::string cmd = Comillas(programa);
    for (const auto& a : args) cmd += " " + Comillas(a);
    cmd += std::string(" <") + prueba_sistema::kNulo + " >" + Comillas(base.string() + ".out") +
           " 2>" + Comillas(base.string() + ".err");
    Salida s;
    s.codigo = prueba_sistema::Ejecuta(cmd);
    s.out = prueba_sistema::SinCr(LeeArchivo(base.string() + ".out"));
    s.err = prueba_sistema::SinCr(LeeArchivo(base.string() + ".err"));
    fs::remove(base.string() + ".out");
    fs::remove(base.string() + ".err");
    return s;
}

// A fresh temporary folder, removed with the object.
class CarpetaTemporal {
  public:
    CarpetaTemporal() {
        namespace fs = std::filesystem;
        static int n = 0;
        ruta_ = fs::temp_directory_path() /
                ("tamaris_prueba_" + std::to_string(tamaris::plataforma::IdProceso()) + "_" +
                 std::to_string(++n));
        fs::remove_all(ruta_);
        fs::create_directories(ruta_);
    }
    ~CarpetaTemporal() {
        std::error_code ec;
        std::filesystem::remove_all(ruta_, ec);
    }
    std::string operator/(const std::string& nombre) const { return (ruta_ / nombre).string(); }
    const std::filesystem::path& ruta() const { return ruta_; }

  private:
    std::filesystem::path ruta_;
};

}  // namespace prueba
