#include "components/Temporales.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "components/Plataforma.h"

namespace tamaris {

namespace {

constexpr int kRanuras = 32;
constexpr std::size_t kLargoRuta = 4096;

enum Estado : int { kLibre = 0, kOcupada = 1, kLista = 2 };

// A fixed table, so that the handler needs neither the heap nor a lock.
struct Ranura {
    std::atomic<int> estado{kLibre};
    char ruta[kLargoRuta];
};
Ranura gRanuras[kRanuras];

std::atomic<bool> gInstalada{false};

void BorraRegistrados() {
    for (Ranura& r : gRanuras)
        if (r.estado.load(std::memory_order_acquire) == kLista) plataforma::BorraEnSenal(r.ruta);
}

void AlSalir() { BorraRegistrados(); }

}  // namespace

void InstalaLimpiezaTemporales() {
    if (gInstalada.exchange(true)) return;
    std::atexit(AlSalir);
    plataforma::AlTerminarPorSenal(&BorraRegistrados);
}

int RegistraTemporal(const char* ruta) {
    const std::size_t largo = std::strlen(ruta);
    if (largo >= kLargoRuta) return -1;
    for (int i = 0; i < kRanuras; ++i) {
        int libre = kLibre;
        if (!gRanuras[i].estado.compare_exchange_strong(libre, kOcupada)) continue;
        std::memcpy(gRanuras[i].ruta, ruta, largo + 1);
        gRanuras[i].estado.store(kLista, std::memory_order_release);
        return i;
    }
    return -1;
}

void OlvidaTemporal(int ranura) {
    if (ranura < 0 || ranura >= kRanuras) return;
    gRanuras[ranura].estado.store(kLibre, std::memory_order_release);
}

}  // namespace tamaris
