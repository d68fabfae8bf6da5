#include "components/Temporales.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

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

constexpr int kSenales[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevias[3];
std::atomic<bool> gInstalada{false};

void BorraRegistrados() {
    for (Ranura& r : gRanuras)
        if (r.estado.load(std::memory_order_acquire) == kLista) ::unlink(r.ruta);
}

void AlSalir() { BorraRegistrados(); }

void Manejador(int senal, siginfo_t* info, void* contexto) {
    const int guardado = errno;
    BorraRegistrados();
    int i = 0;
    while (kSenales[i] != senal) ++i;
    const struct sigaction& previa = gPrevias[i];
    if (previa.sa_flags & SA_SIGINFO) {
        previa.sa_sigaction(senal, info, contexto);
    } else if (previa.sa_handler == SIG_DFL) {
        ::_exit(128 + senal);
    } else if (previa.sa_handler != SIG_IGN) {
        previa.sa_handler(senal);
    }
    errno = guardado;
}

}  // namespace

void InstalaLimpiezaTemporales() {
    if (gInstalada.exchange(true)) return;
    std::atexit(AlSalir);
    for (int i = 0; i < 3; ++i) {
        struct sigaction previa {};
        ::sigaction(kSenales[i], nullptr, &previa);
        gPrevias[i] = previa;
        // Whoever started us with the signal ignored (nohup) meant it.
        if (!(previa.sa_flags & SA_SIGINFO) && previa.sa_handler == SIG_IGN) continue;
        struct sigaction nueva {};
        nueva.sa_sigaction = &Manejador;
        nueva.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&nueva.sa_mask);
        ::sigaction(kSenales[i], &nueva, nullptr);
    }
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
