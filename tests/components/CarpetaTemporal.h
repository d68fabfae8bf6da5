#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "soporte/SistemaPrueba.h"

namespace tamaris::prueba {

class CarpetaTemporal {
  public:
    CarpetaTemporal() { ruta_ = prueba_sistema::CarpetaNueva("tamaris-"); }
    ~CarpetaTemporal() {
        std::error_code ec;
        std::filesystem::permissions(ruta_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(ruta_, ec);
    }
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;

    std::string operator/(const std::string& nombre) const { return (ruta_ / nombre).string(); }
    const std::filesystem::path& Ruta() const { return ruta_; }

    // Names of the entries of the folder, sorted.
    std::string Entradas() const {
        std::string r;
        std::vector<std::string> nombres;
        for (const auto& e : std::filesystem::directory_iterator(ruta_)) {
            nombres.push_back(e.path().filename().string());
        }
        std::sort(nombres.begin(), nombres.end());
        for (const auto& n : nombres) r += (r.empty() ? "" : ",") + n;
        return r;
    }

  private:
    std::filesystem::path ruta_;
};

inline std::string LeeBytes(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void GrabaBytes(const std::string& ruta, const std::string& bytes) {
    std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
    f << bytes;
}

}  // namespace tamaris::prueba
