#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <csignal>
#include <fstream>
#include <optional>

#include "CarpetaTemporal.h"
#include "components/ArchivoTexto.h"
#include "components/Error.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using prueba::CarpetaTemporal;
using prueba::GrabaBytes;
using prueba::LeeBytes;
using prueba_sistema::kBarra;

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

#ifndef _WIN32
// A group other than the user's own that the user may give a file: any for root, otherwise one
// of the user's other groups (the user's own when there is none).
gid_t GrupoAjeno() {
    if (SoyRoot()) return ::getegid() + 4242;
    gid_t grupos[64];
    const int n = ::getgroups(64, grupos);
    for (int i = 0; i < n; ++i)
        if (grupos[i] != ::getegid()) return grupos[i];
    return ::getegid();
}
#endif

TEST(ArchivoSeguro, ConfirmarReemplazaYConservaLosPermisosYElGrupo) {
    SOLO_POSIX("permisos y grupo de archivo");
#ifndef _WIN32
    const gid_t grupo = GrupoAjeno();
    for (const mode_t modo : {0640, 0604, 0750}) {
        SCOPED_TRACE(modo);
        CarpetaTemporal dir;
        const std::string destino = dir / "perc.txt";
        GrabaBytes(destino, kAnterior);
        ASSERT_EQ(::chown(destino.c_str(), static_cast<uid_t>(-1), grupo), 0);
        ASSERT_EQ(::chmod(destino.c_str(), modo), 0);
        {
            ArchivoSeguro a(destino);
            a.EscribeLinea("nuevo");
            a.Confirmar();
        }
        EXPECT_EQ(LeeBytes(destino), "nuevo\r\n");
        struct stat st;
        ASSERT_EQ(::stat(destino.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, modo);
        EXPECT_EQ(st.st_gid, grupo);
    }
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

// A name that ends in a folder is refused before anything is written: an existing folder, a
// name ending in a separator (even when no such folder exists, or it names a file), "." and "..".
TEST(ArchivoSeguro, UnNombreDeCarpetaSeRechaza) {
    CarpetaTemporal dir;
    std::filesystem::create_directory(dir / "carpeta");
    GrabaBytes(dir / "archivo.txt", kAnterior);
    const std::string casos[] = {dir / "carpeta",
                                 dir / "carpeta" + kBarra,
                                 dir / "nueva" + kBarra,
                                 dir / "archivo.txt" + kBarra,
                                 dir / "carpeta" + kBarra + ".",
                                 dir / "carpeta" + kBarra + "..",
                                 "."};
    for (const std::string& destino : casos) {
        SCOPED_TRACE(destino);
        try {
            ArchivoSeguro a(destino);
            ADD_FAILURE() << "se aceptó " << a.Temporal();
        } catch (const ErrorTamaris& e) {
            const std::string texto = e.what();
            EXPECT_EQ(e.Numero(), err::kAccesoRuta);
            EXPECT_NE(texto.find("No se puede crear el archivo " + destino +
                                 ": es el nombre de "
                                 "una carpeta, no de un archivo"),
                      std::string::npos)
                << texto;
        }
    }
    EXPECT_EQ(dir.Entradas(), "archivo.txt,carpeta");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "carpeta"));
    EXPECT_EQ(LeeBytes(dir / "archivo.txt"), kAnterior);
}

// A link as destination stays a link: the file it names gets the new content, wherever it is.
TEST(ArchivoSeguro, UnEnlaceSigueSiendoEnlaceYSeReemplazaElArchivoQueNombra) {
    SOLO_POSIX("enlaces simbólicos");
#ifndef _WIN32
    CarpetaTemporal dir;
    std::filesystem::create_directory(dir / "otra");
    GrabaBytes(dir / "real.txt", kAnterior);
    GrabaBytes(dir / "otra/real.txt", kAnterior);
    ASSERT_EQ(::chmod((dir / "real.txt").c_str(), 0640), 0);
    struct Caso {
        std::string enlace, apunta, archivo;
    };
    const Caso casos[] = {
        {"relativo.txt", "real.txt", dir / "real.txt"},
        {"absoluto.txt", dir / "otra/real.txt", dir / "otra/real.txt"},
        {"cadena.txt", "relativo.txt", dir / "real.txt"},  // a link to a link
        {"otra/sube.txt", "../real.txt", dir / "real.txt"},
        {"colgante.txt", "nuevo.txt", dir / "nuevo.txt"},  // names a file yet to be
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.enlace);
        std::filesystem::create_symlink(c.apunta, dir / c.enlace);
        ArchivoSeguro a(dir / c.enlace);
        a.EscribeLinea(c.enlace);
        a.Confirmar();
        EXPECT_TRUE(std::filesystem::is_symlink(dir / c.enlace));
        EXPECT_EQ(std::filesystem::read_symlink(dir / c.enlace), c.apunta);
        EXPECT_EQ(LeeBytes(c.archivo), c.enlace + "\r\n");
    }
    struct stat st;
    ASSERT_EQ(::stat((dir / "real.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary left beside the links nor beside the files they name.
    EXPECT_EQ(dir.Entradas(),
              "absoluto.txt,cadena.txt,colgante.txt,nuevo.txt,otra,real.txt,relativo.txt");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "otra"),
                            std::filesystem::directory_iterator()),
              2);
#endif
}

// On Windows a file marked read-only or held open by another program is not replaced: the old
// file stays, the message says why, and the temporary goes. POSIX replaces both (its rename
// depends on the folder alone) and keeps the read-only mode.
TEST(ArchivoSeguro, DestinoDeSoloLecturaOAbiertoPorOtroPrograma) {
    namespace fs = std::filesystem;
    struct Caso {
        const char* que;
        bool soloLectura;
        const char* motivo;
    };
    const Caso casos[] = {
        {"solo lectura", true, "está marcado como de solo lectura"},
        {"abierto por otro programa", false, "otro programa lo tiene abierto"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        CarpetaTemporal dir;
        const std::string destino = dir / "perc.txt";
        GrabaBytes(destino, kAnterior);
        const auto escritura =
            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        if (c.soloLectura) fs::permissions(destino, escritura, fs::perm_options::remove);
        std::optional<std::ifstream> otro;
        if (!c.soloLectura) otro.emplace(destino, std::ios::binary);
        std::string mensaje;
        try {
            ArchivoSeguro a(destino);
            a.EscribeLinea("nuevo");
            a.Confirmar();
        } catch (const ErrorTamaris& e) {
            EXPECT_EQ(e.Numero(), err::kAccesoRuta);
            mensaje = e.what();
        }
        otro.reset();
        if (plataforma::kWindows) {
            EXPECT_NE(
                mensaje.find("No se puede reemplazar el archivo " + destino + ": " + c.motivo),
                std::string::npos)
                << mensaje;
            EXPECT_EQ(LeeBytes(destino), kAnterior);
        } else {
            EXPECT_EQ(mensaje, "");
            EXPECT_EQ(LeeBytes(destino), "nuevo\r\n");
        }
        EXPECT_EQ(dir.Entradas(), "perc.txt");
        EXPECT_EQ((fs::status(destino).permissions() & escritura) == fs::perms::none,
                  c.soloLectura);
        // Windows removes no read-only file: the folder could not be cleared.
        fs::permissions(destino, fs::perms::owner_write, fs::perm_options::add);
    }
}

// The temporary of a killed run is removed even when that run spelled the destination in other
// letter case, where names do not tell case (Windows); elsewhere it belongs to another file.
TEST(ArchivoSeguro, ElTemporalAbandonadoSeReconoceAunqueCambienLasMayusculas) {
    CarpetaTemporal dir;
    const std::string abandonado = dir / ".PERC.Txt.tamaris-AbC123";
    GrabaBytes(abandonado, "a medio escribir");
    {
        ArchivoSeguro a(dir / "perc.txt");
        a.Confirmar();
    }
    EXPECT_EQ(std::filesystem::exists(abandonado), !plataforma::kWindows);
}

// Past the 260 characters of the old Windows paths (the temporary's name is longer still), with
// a name that is not ASCII.
TEST(ArchivoSeguro, RutaDeMasDe260Caracteres) {
    CarpetaTemporal dir;
    std::string carpeta = dir.Ruta().string();
    while (carpeta.size() < 300) carpeta += kBarra + "carpeta_de_nombre_bastante_largo";
    ASSERT_TRUE(plataforma::CreaCarpetas(carpeta));
    const std::string nombre = "percepciones año ñ.txt";
    const std::string destino = carpeta + kBarra + nombre;
    for (const std::string linea : {"primera", "segunda"}) {
        ArchivoSeguro a(destino);
        a.EscribeLinea(linea);
        a.Confirmar();
    }
    EXPECT_EQ(LeeArchivoAcotado(destino), std::optional<std::string>("segunda\r\n"));
    EXPECT_EQ(plataforma::NombresEn(carpeta), std::vector<std::string>{nombre});
    // std::filesystem cannot list a folder this deep on Windows: the test clears its own.
    EXPECT_EQ(plataforma::Borra(destino), 0);
    for (std::string c = carpeta; c.size() > dir.Ruta().string().size(); c = plataforma::Carpeta(c))
        std::filesystem::remove(plataforma::Ruta(c));
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
