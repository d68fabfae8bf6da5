// The command line under faults, as real processes: a damaged database ends the job with a
// clear message (no endless retry), a signal during the export leaves no temporary and the old
// file as it was, a temporary left by a killed run goes with the next run, and a parameter
// line whose user swallowed the password is refused without repeating it. Each child is
// killed after 20 s at most.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "soporte/Proceso.h"

namespace {

namespace fs = std::filesystem;
using prueba::CarpetaTemporal;
using prueba::LeeArchivo;

#ifdef _WIN32
TEST(CliFallas, SenalesYCerrojosDeProcesosHijos) {
    SOLO_POSIX("procesos hijos con fork, señales y flock");
}
#else

// The command-line program as a child, its output in files.
class Hijo {
  public:
    Hijo(const std::vector<std::string>& args, const std::string& carpeta)
        : salida_(carpeta + "/hijo.out"), errores_(carpeta + "/hijo.err") {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            const int in = ::open("/dev/null", O_RDONLY);
            const int out = ::open(salida_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(errores_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(err, 2);
            std::vector<char*> argv{const_cast<char*>(TAMARIS_CLI_EXE)};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(TAMARIS_CLI_EXE, argv.data());
            ::_exit(127);
        }
    }
    ~Hijo() {
        if (!terminado_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    pid_t pid() const { return pid_; }
    bool Vive() const {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == 0;
    }
    // Waits for the end (20 s at most, then kills it) and returns its exit code, -1 when it
    // did not end by itself.
    int Espera() {
        int estado = 0;
        const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (::waitpid(pid_, &estado, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > limite) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        terminado_ = true;
        return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    }
    std::string Errores() const { return LeeArchivo(errores_); }

  private:
    pid_t pid_ = -1;
    bool terminado_ = false;
    std::string salida_, errores_;
};

std::vector<fs::path> Temporales(const fs::path& carpeta) {
    std::vector<fs::path> r;
    for (const auto& e : fs::directory_iterator(carpeta))
        if (e.path().filename().string().starts_with(".perc.txt.")) r.push_back(e.path());
    return r;
}

class CliFallas : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(prueba::Corre(TAMARIS_CLI_EXE, {"demo", "--db", db, "--filas", "200000"}).codigo,
                  0);
        std::ofstream(destino) << "archivo anterior";
    }
    CarpetaTemporal tmp;
    std::string db = tmp / "demo.db";
    std::string destino = tmp / "perc.txt";
};

TEST_F(CliFallas, UnaSenalDuranteLaExportacionNoDejaRastros) {
    const std::pair<int, int> casos[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto& [senal, codigo] : casos) {
        SCOPED_TRACE(senal);
        // The export is short: the child is stopped as soon as its temporary shows, and the
        // run is tried again (a few times at most) when it had already finished.
        bool pillado = false;
        for (int intento = 0; intento < 5 && !pillado; ++intento) {
            std::ofstream(destino) << "archivo anterior";
            Hijo hijo({"exportar", "--db", db, "--archivo", destino}, tmp.ruta().string());
            const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (Temporales(tmp.ruta()).empty() && std::chrono::steady_clock::now() < limite &&
                   hijo.Vive()) {
            }
            ::kill(hijo.pid(), SIGSTOP);
            pillado = !Temporales(tmp.ruta()).empty();
            ::kill(hijo.pid(), senal);
            ::kill(hijo.pid(), SIGCONT);
            const int salida = hijo.Espera();
            if (!pillado) continue;
            EXPECT_EQ(salida, codigo) << hijo.Errores();
            EXPECT_TRUE(Temporales(tmp.ruta()).empty());
            EXPECT_EQ(LeeArchivo(destino), "archivo anterior");
        }
        EXPECT_TRUE(pillado);
    }
}

TEST_F(CliFallas, ElTemporalDeUnaCorridaMuertaSeBorraSalvoQueAlguienLoEscriba) {
    const std::string muerto = tmp / ".perc.txt.tamaris-AbC123",
                      vivo = tmp / ".perc.txt.tamaris-XyZ789", ajeno = tmp / ".perc.txt.backup";
    std::ofstream(muerto) << "a medio escribir";
    std::ofstream(ajeno) << "del usuario";
    std::ofstream(vivo) << "escribiéndose";
    const int fd = ::open(vivo.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // a live run holds its temporary so
    const auto r = prueba::Corre(TAMARIS_CLI_EXE, {"exportar", "--db", db, "--archivo", destino});
    ::close(fd);
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_FALSE(fs::exists(muerto));
    EXPECT_TRUE(fs::exists(vivo));
    EXPECT_TRUE(fs::exists(ajeno));
}

TEST_F(CliFallas, BaseDanadaTerminaConAvisoClaro) {
    {
        // Three pages from the middle of the file: the ledger's rows.
        const auto largo = fs::file_size(db);
        std::FILE* f = std::fopen(db.c_str(), "r+b");
        ASSERT_TRUE(f);
        const std::string basura(3 * 4096, '\x5a');
        std::fseek(f, static_cast<long>(largo / 4096 / 2 * 4096), SEEK_SET);
        std::fwrite(basura.data(), 1, basura.size(), f);
        std::fclose(f);
    }
    Hijo hijo({"exportar", "--db", db, "--archivo", destino}, tmp.ruta().string());
    EXPECT_EQ(hijo.Espera(), 1);
    const std::string err = hijo.Errores();
    EXPECT_NE(err.find("La base de datos está dañada"), std::string::npos) << err;
    EXPECT_EQ(LeeArchivo(destino), "archivo anterior");
}

#endif

TEST(CliClaves, UsuarioQueSeLlevaLaClaveNoSeEnviaNiSeMuestra) {
    CarpetaTemporal tmp;
    const auto r = prueba::Corre(
        TAMARIS_CLI_EXE,
        {"exportar", "--parametros",
         "@server=127.0.0.1,1; @dbname= B; @usuario= U @Password= Secreto9; @Caja=1;orva@",
         "--archivo", tmp / "perc.txt"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("mal formada"), std::string::npos) << r.err;
    EXPECT_EQ((r.out + r.err).find("Secreto9"), std::string::npos) << r.err;
}

}  // namespace
