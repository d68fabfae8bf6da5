// A statement that fails every time is reported once and ends the command: the data layer
// reconnects only for a lost connection, never for a damaged file (it used to reconnect and run
// the statement again forever, at 100% CPU and without a word).

#include <gtest/gtest.h>

#include <fstream>

#include "soporte/Percepciones.h"
#include "soporte/Proceso.h"

namespace {

using prueba_sistema::Veces;

TEST(BaseDanada, ElErrorSeInformaUnaVezYElComandoTermina) {
    SOLO_POSIX("usa las órdenes sqlite3 y timeout del sistema");
    prueba::CarpetaTemporal tmp;
    const std::string db = tmp / "suite.db";
    const std::string destino = tmp / "perc.txt";
    prueba::CreaBasePercepciones(db);
    // The root page of MV_ASIENTOS, the first table of the schema, overwritten.
    ASSERT_EQ(prueba::Corre("sqlite3", {db,
                                        "SELECT rootpage FROM sqlite_master WHERE name = "
                                        "'MV_ASIENTOS'"})
                  .out,
              "2\n");
    const std::string paginas = prueba::Corre("sqlite3", {db, "PRAGMA page_size"}).out;
    {
        std::fstream f(db, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(std::stol(paginas));
        f.write(std::string(static_cast<std::size_t>(std::stol(paginas)), '\xff').data(),
                std::stol(paginas));
    }
    std::ofstream(destino, std::ios::binary) << "anterior\r\n";
    for (const std::string& acceso : {std::string("--db"), std::string("--conexion")}) {
        const std::string base =
            acceso == "--db" ? db : prueba_sistema::CadenaSqliteOdbc(db, "NoCreat=1;");
        // Killed after a minute, so that a loop fails the test instead of hanging it.
        const auto r = prueba::Corre("timeout", {"-s", "KILL", "60", TAMARIS_CLI_EXE, "exportar",
                                                 acceso, base, "--archivo", destino});
        EXPECT_EQ(r.codigo, 1) << acceso << ": " << r.err;
        EXPECT_EQ(Veces(r.err, "Aviso al operador"), 1u) << acceso << ": " << r.err;
        EXPECT_EQ(prueba::LeeArchivo(destino), "anterior\r\n") << acceso;
    }
}

}  // namespace
