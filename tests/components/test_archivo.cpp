#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <csignal>

#include "CarpetaTemporal.h"
#include "components/ArchivoTexto.h"
#include "components/Error.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using prueba::CarpetaTemporal;
using prueba::GrabaBytes;
using prueba::LeeBytes;

const std::string kAnterior = "contenido anterior\r\n\x80\xF1\r\n";

long NumeroDeError(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErrorTamaris& e) {
        return e.Numero();
    }
    return 0;
}

#ifndef _WIN32
bool SoyRoot() { return ::geteuid() == 0; }
#endif

TEST(ArchivoSeguro, ConfirmarDejaLasLineasEnCp1252ConCrLf) {
    CarpetaTemporal dir;
    const std::string destino = dir / "perc.txt";
    {
        ArchivoSeguro a(destino);
        a.EscribeLinea(" 105/01/2024 1Peña");
        a.EscribeLinea("");
        a.EscribeLinea("€ 1500,5");
        a.EscribeBytes("crudo\xF1\n");
        EXPECT_EQ(a.Lineas(), 3);
        a.Confirmar();
    }
    EXPECT_EQ(LeeBytes(destino),
              " 105/01/2024 1Pe\xF1"
              "a\r\n\r\n\x80 1500,5\r\ncrudo\xF1\n");
    EXPECT_EQ(dir.Entradas(), "perc.txt");
}

TEST(ArchivoSeguro, ElTemporalEstaJuntoAlDestinoYNoEsElDestino) {
    CarpetaTemporal dir;
    const std::string destino = dir / "perc.txt";
    ArchivoSeguro a(destino);
    EXPECT_EQ(std::filesystem::path(a.Temporal()).parent_path(), dir.Ruta());
    EXPECT_NE(a.Temporal(), destino);
    EXPECT_FALSE(std::filesystem::exists(destino));
    EXPECT_TRUE(std::filesystem::exists(a.Temporal()));
}

TEST(ArchivoSeguro, DescartarDejaElDestinoIntacto) {
    CarpetaTemporal dir;
    const std::string destino = dir / "perc.txt";
    GrabaBytes(destino, kAnterior);
    ArchivoSeguro a(destino);
    for (int i = 0; i < 20000; ++i) a.EscribeLinea("linea nueva que no debe quedar");
    a.Descartar();
    EXPECT_EQ(LeeBytes(destino), kAnterior);
    EXPECT_EQ(dir.Entradas(), "perc.txt");
}

TEST(ArchivoSeguro, DestruirSinConfirmarDejaElDestinoIntacto) {
    CarpetaTemporal dir;
    const std::string destino = dir / "perc.txt";
    GrabaBytes(destino, kAnterior);
    try {
        ArchivoSeguro a(destino);
        a.EscribeLinea("primera");
        throw std::runtime_error("falla a mitad del trabajo");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(LeeBytes(destino), kAnterior);
    EXPECT_EQ(dir.Entradas(), "perc.txt");
}

// A second export to the same destination replaces the first one, on every system.
TEST(ArchivoSeguro, ConfirmarReemplazaUnArchivoExistenteUnaYOtraVez) {
    CarpetaTemporal dir;
    const std::string destino = dir / "perc.txt";
    GrabaBytes(destino, kAnterior);
    for (const std::string linea : {"nuevo", "otro"}) {
        ArchivoSeguro a(destino);
        a.EscribeLinea(linea);
        a.Confirmar();
        EXPECT_EQ(LeeBytes(destino), linea + "\r\n");
    }
    EXPECT_EQ(dir.Entradas(), "perc.txt");
}

TEST(ArchivoSeguro, ConfirmarReemplazaYConservaLosPermisos) {
    SOLO_POSIX("permisos de archivo");
#ifndef _WIN32
    CarpetaTemporal dir;
    const std::string destino = dir / "perc.txt";
    GrabaBytes(destino, kAnterior);
    ASSERT_EQ(::chmod(destino.c_str(), 0640), 0);
    {
        ArchivoSeguro a(destino);
        a.EscribeLinea("nuevo");
        a.Confirmar();
    }
    EXPECT_EQ(LeeBytes(destino), "nuevo\r\n");
    struct stat st;
    ASSERT_EQ(::stat(destino.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
}

TEST(ArchivoSeguro, UnArchivoNuevoTieneLosPermisosDeSiempre) {
    SOLO_POSIX("permisos de archivo");
#ifndef _WIN32
    CarpetaTemporal dir;
    const std::string destino = dir / "nuevo.txt";
    const mode_t mascara = ::umask(022);
    ::umask(mascara);
    {
        ArchivoSeguro a(destino);
        a.Confirmar();
    }
    struct stat st;
    ASSERT_EQ(::stat(destino.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mascara);
    EXPECT_EQ(LeeBytes(destino), "");
#endif
}

TEST(ArchivoSeguro, MuchasLineasPasanElBuferSinPerderNada) {
    CarpetaTemporal dir;
    const std::string destino = dir / "grande.txt";
    std::string esperado;
    {
        ArchivoSeguro a(destino);
        for (int i = 0; i < 50000; ++i) {
            const std::string linea = "linea " + std::to_string(i) + " ñ";
            a.EscribeLinea(linea);
            esperado += "linea " + std::to_string(i) + " \xF1\r\n";
        }
        a.EscribeBytes(std::string(200000, 'z'));
        esperado += std::string(200000, 'z');
        a.Confirmar();
    }
    EXPECT_EQ(LeeBytes(destino), esperado);
}

TEST(ArchivoSeguro, EscribirTrasConfirmarEsError) {
    CarpetaTemporal dir;
    ArchivoSeguro a(dir / "x.txt");
    a.Confirmar();
    EXPECT_EQ(NumeroDeError([&] { a.EscribeLinea("tarde"); }), err::kArchivoIncorrecto);
    EXPECT_EQ(NumeroDeError([&] { a.Confirmar(); }), err::kArchivoIncorrecto);
}

TEST(ArchivoSeguro, CarpetaInexistenteEsRutaNoEncontrada) {
    CarpetaTemporal dir;
    EXPECT_EQ(NumeroDeError([&] { ArchivoSeguro a(dir / "no/existe/perc.txt"); }),
              err::kRutaNoEncontrada);
}

TEST(ArchivoSeguro, DestinoQueEsCarpetaEsErrorDeAcceso) {
    CarpetaTemporal dir;
    std::filesystem::create_directory(dir / "carpeta");
    try {
        ArchivoSeguro a(dir / "carpeta");
        ADD_FAILURE();
    } catch (const ErrorTamaris& e) {
        EXPECT_EQ(e.Numero(), err::kAccesoRuta);
        EXPECT_NE(std::string(e.what()).find("No se puede crear el archivo"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find(dir / "carpeta"), std::string::npos);
    }
}

TEST(ArchivoSeguro, CarpetaSinPermisoDeEscrituraEsErrorDeAcceso) {
    SOLO_POSIX("permisos de carpeta");
#ifndef _WIN32
    if (SoyRoot()) {
        // Root writes in any ordinary folder, but sysfs accepts no new files from anyone.
        if (!std::filesystem::is_directory("/sys/kernel")) GTEST_SKIP() << "sin sysfs";
        EXPECT_EQ(NumeroDeError([] { ArchivoSeguro a("/sys/perc.txt"); }), err::kAccesoRuta);
        return;
    }
    CarpetaTemporal dir;
    std::filesystem::create_directory(dir / "solo-lectura");
    ASSERT_EQ(::chmod((dir / "solo-lectura").c_str(), 0555), 0);
    EXPECT_EQ(NumeroDeError([&] { ArchivoSeguro a(dir / "solo-lectura/perc.txt"); }),
              err::kAccesoRuta);
#endif
}

TEST(ArchivoSeguro, RenombreFallidoNoTocaElDestinoYLimpiaElTemporal) {
    CarpetaTemporal dir;
    const std::string destino = dir / "perc.txt";
    std::string temporal;
    {
        ArchivoSeguro a(destino);
        temporal = a.Temporal();
        a.EscribeLinea("x");
        // Someone puts a non-empty folder where the file was to go.
        std::filesystem::create_directories(destino + "/ocupado");
        EXPECT_NE(NumeroDeError([&] { a.Confirmar(); }), 0);
        EXPECT_TRUE(std::filesystem::exists(temporal));
    }
    EXPECT_FALSE(std::filesystem::exists(temporal));
    EXPECT_TRUE(std::filesystem::is_directory(destino));
}

#ifndef _WIN32
// Writing past the file-size limit fails like a full disk does: the write error surfaces and
// the destination keeps its old bytes.
class LimiteDeTamano {
  public:
    explicit LimiteDeTamano(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &anterior_);
        senal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = anterior_;
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~LimiteDeTamano() {
        ::setrlimit(RLIMIT_FSIZE, &anterior_);
        std::signal(SIGXFSZ, senal_);
    }

  private:
    rlimit anterior_{};
    void (*senal_)(int) = nullptr;
};
#endif

TEST(ArchivoSeguro, FalloDeEscrituraEsErrorYElDestinoQuedaIgual) {
    SOLO_POSIX("límite de tamaño de archivo (rlimit)");
#ifndef _WIN32
    CarpetaTemporal dir;
    const std::string destino = dir / "perc.txt";
    GrabaBytes(destino, kAnterior);
    long numero = 0;
    {
        ArchivoSeguro a(destino);
        LimiteDeTamano limite(100000);
        numero = NumeroDeError([&] {
            for (int i = 0; i < 100000; ++i) a.EscribeLinea(std::string(71, 'x'));
            a.Confirmar();
        });
    }
    EXPECT_EQ(numero, err::kErrorEscritura);
    EXPECT_EQ(LeeBytes(destino), kAnterior);
    EXPECT_EQ(dir.Entradas(), "perc.txt");
#endif
}

TEST(AnexaLinea, CreaYAgregaEnCp1252ConCrLf) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "TMERR.LOG";
    AnexaLinea(ruta, "Peña");
    AnexaLinea(ruta, "segunda €");
    EXPECT_EQ(LeeBytes(ruta),
              "Pe\xF1"
              "a\r\nsegunda \x80\r\n");
}

TEST(AnexaLinea, CarpetaInexistenteEsRutaNoEncontrada) {
    CarpetaTemporal dir;
    EXPECT_EQ(NumeroDeError([&] { AnexaLinea(dir / "no/existe.txt", "x"); }),
              err::kRutaNoEncontrada);
}

TEST(AnexaLinea, DiscoLlenoEsError61) {
    SOLO_POSIX("/dev/full");
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "sin /dev/full";
    EXPECT_EQ(NumeroDeError([] { AnexaLinea("/dev/full", "no cabe"); }), err::kDiscoLleno);
}

TEST(ExisteArchivo, SoloArchivosQueSePuedenLeer) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "a.txt";
    EXPECT_FALSE(ExisteArchivo(ruta));
    GrabaBytes(ruta, "");
    EXPECT_TRUE(ExisteArchivo(ruta));
    EXPECT_FALSE(ExisteArchivo(dir.Ruta().string()));
    EXPECT_FALSE(ExisteArchivo(""));
    EXPECT_FALSE(ExisteArchivo(dir / "a.txt/debajo"));
#ifndef _WIN32
    if (!SoyRoot()) {
        ASSERT_EQ(::chmod(ruta.c_str(), 0), 0);
        EXPECT_FALSE(ExisteArchivo(ruta));
    }
#endif
}

TEST(ExisteArchivo, UnaTuberiaNoSeQuedaEsperando) {
    SOLO_POSIX("tuberías con nombre (FIFO)");
#ifndef _WIN32
    CarpetaTemporal dir;
    const std::string ruta = dir / "tuberia";
    ASSERT_EQ(::mkfifo(ruta.c_str(), 0600), 0);
    EXPECT_TRUE(ExisteArchivo(ruta));
#endif
}

}  // namespace
}  // namespace tamaris
