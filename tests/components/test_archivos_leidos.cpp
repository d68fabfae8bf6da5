// The settings files the program reads (INI, lookup masks) must be regular files of sane size:
// a FIFO, a device such as /dev/zero (also through a link), a folder or a huge file is refused
// with a message that says why, without blocking and without reading it.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <vector>

#include "CarpetaTemporal.h"
#include "components/ArchivoTexto.h"
#include "components/Error.h"
#include "components/Ini.h"

namespace tamaris {
namespace {

TEST(ArchivosLeidos, SoloArchivosComunesDeTamanoRazonable) {
    prueba::CarpetaTemporal tmp;
    const std::string comun = tmp / "QX000pr.INI", fifo = tmp / "fifo.INI", cero = tmp / "cero.INI",
                      carpeta = tmp / "carpeta.INI", enorme = tmp / "enorme.INI",
                      falta = tmp / "falta.INI";
    std::ofstream(comun) << "[S]\r\nFlatToolbars=0\r\n";
    std::filesystem::create_directory(carpeta);
    { std::ofstream crea(enorme); }
    std::filesystem::resize_file(enorme, kLimiteArchivoLeido + 1);

    struct Caso {
        std::string ruta;
        const char* motivo;  // nullptr: read
    };
    std::vector<Caso> casos = {
        {comun, nullptr}, {falta, nullptr}, {carpeta, "carpeta"}, {enorme, "bytes"}};
#ifndef _WIN32
    // FIFOs and device nodes in folders exist on POSIX systems only.
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", cero);
    casos.push_back({fifo, "tubería"});
    casos.push_back({cero, "dispositivo"});
#endif
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.ruta);
        const std::string problema = ProblemaArchivoLeido(c.ruta);
        if (!c.motivo) {
            EXPECT_EQ(problema, "");
            EXPECT_EQ(LeeIni(c.ruta, "S", "FlatToolbars", "1"), c.ruta == comun ? "0" : "1");
            continue;
        }
        EXPECT_NE(problema.find(c.motivo), std::string::npos) << problema;
        EXPECT_NE(problema.find("no se lee"), std::string::npos) << problema;
        try {
            LeeIni(c.ruta, "S", "FlatToolbars", "1");
            ADD_FAILURE() << "se leyó";
        } catch (const ErrorTamaris& e) {
            EXPECT_EQ(e.what(), problema);
        }
    }
}

}  // namespace
}  // namespace tamaris
