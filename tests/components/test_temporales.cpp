// A writer's temporary file does not outlive its run: removed when a signal ends the process
// (whose exit code then tells the signal), and removed by the next writer to the same
// destination when a killed run left it, but never while a live run holds it. Real child
// processes; each is killed after 20 s at most.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "CarpetaTemporal.h"
#include "components/ArchivoTexto.h"
#include "components/Temporales.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
TEST(Temporales, SenalesDeProcesosHijos) { SOLO_POSIX("procesos hijos con fork y señales"); }
#else

std::string Lee(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}
void ManejadorPrevio(int) { ::_exit(7); }

// A child that installs the removal (after `previo`, an earlier SIGTERM handler, when asked),
// starts writing `destino`, says so through a pipe and waits to be ended.
class Escritor {
  public:
    Escritor(const std::string& destino, bool previo) {
        int tubo[2];
        EXPECT_EQ(::pipe(tubo), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(tubo[0]);
            if (previo) std::signal(SIGTERM, ManejadorPrevio);
            InstalaLimpiezaTemporales();
            ArchivoSeguro a(destino);
            a.EscribeLinea("a medio escribir");
            (void)!::write(tubo[1], "x", 1);
            for (;;) ::pause();
        }
        ::close(tubo[1]);
        pollfd p{tubo[0], POLLIN, 0};
        char c;
        listo_ = ::poll(&p, 1, 20000) == 1 && ::read(tubo[0], &c, 1) == 1;
        ::close(tubo[0]);
    }
    ~Escritor() {
        if (pid_ > 0 && !terminado_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Listo() const { return listo_; }
    // Sends `senal` and returns the exit code (-1 when it ended otherwise or did not end).
    int Termina(int senal) {
        ::kill(pid_, senal);
        int estado = 0;
        const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (::waitpid(pid_, &estado, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > limite) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        terminado_ = true;
        return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    }

  private:
    pid_t pid_ = -1;
    bool listo_ = false;
    bool terminado_ = false;
};

// The temporaries beside `destino`.
std::vector<std::string> Temporales(const fs::path& carpeta) {
    std::vector<std::string> r;
    for (const auto& e : fs::directory_iterator(carpeta))
        if (e.path().filename().string().starts_with(".perc.txt.")) r.push_back(e.path());
    return r;
}

TEST(Temporales, UnaSenalBorraElTemporalYDejaElDestino) {
    struct Caso {
        int senal;
        bool previo;
        int codigo;
    };
    const Caso casos[] = {
        {SIGINT, false, 130},
        {SIGTERM, false, 143},
        {SIGHUP, false, 129},
        {SIGTERM, true, 7},  // the earlier handler still runs, after the removal
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.senal);
        prueba::CarpetaTemporal tmp;
        const std::string destino = tmp / "perc.txt";
        { std::ofstream(destino) << "archivo anterior"; }
        Escritor hijo(destino, c.previo);
        ASSERT_TRUE(hijo.Listo());
        EXPECT_EQ(Temporales(tmp.Ruta()).size(), 1u);
        EXPECT_EQ(hijo.Termina(c.senal), c.codigo);
        EXPECT_TRUE(Temporales(tmp.Ruta()).empty());
        EXPECT_EQ(Lee(destino), "archivo anterior");
    }
}

TEST(Temporales, ElSiguienteEscritorBorraSoloLosAbandonados) {
    prueba::CarpetaTemporal tmp;
    const std::string destino = tmp / "perc.txt";
    Escritor muerto(destino, false);
    ASSERT_TRUE(muerto.Listo());
    EXPECT_EQ(muerto.Termina(SIGKILL), -1);
    const auto abandonado = Temporales(tmp.Ruta());
    ASSERT_EQ(abandonado.size(), 1u);

    Escritor vivo(destino, false);
    ASSERT_TRUE(vivo.Listo());
    // The live writer removed the abandoned one and kept its own.
    const auto delVivo = Temporales(tmp.Ruta());
    ASSERT_EQ(delVivo.size(), 1u);
    EXPECT_NE(delVivo[0], abandonado[0]);

    {
        ArchivoSeguro otro(destino);
        otro.EscribeLinea("completo");
        EXPECT_TRUE(fs::exists(delVivo[0]));  // still being written by its run
        otro.Confirmar();
    }
    EXPECT_EQ(Lee(destino), "completo\r\n");
    EXPECT_EQ(vivo.Termina(SIGTERM), 143);
    EXPECT_TRUE(Temporales(tmp.Ruta()).empty());
}

#endif

}  // namespace
}  // namespace tamaris
