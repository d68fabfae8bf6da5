// Rows stream through the SQLite ODBC driver whatever the connection string says: the program
// adds StepAPI=1 when it is missing, also when the driver is named only by a DSN. Without it the
// driver computes the whole result inside SQLExecDirect (here a hundred million rows: minutes
// and gigabytes).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "data/BasesPrueba.h"

namespace tamaris {
namespace {

TEST(LecturaOdbc, LasFilasLleganSinStepApiEnLaCadena) {
    SOLO_POSIX("el archivo de $ODBCINI lo lee el unixODBC del sistema anfitrión de Wine");
#ifndef _WIN32
    const std::string archivo = prueba::ArchivoTemporal("lectura");
    prueba::SqlDirecto(archivo, "CREATE TABLE T(X INTEGER);");
    // A DSN of its own: unixODBC reads the user's DSNs from $ODBCINI.
    const std::string ini = archivo + ".odbc.ini";
    std::ofstream(ini) << "[TamarisPrueba]\nDriver=SQLite3\nDatabase=" << archivo << "\n";
    prueba_sistema::FijaVariable("ODBCINI", ini.c_str());
    for (const std::string& cadena : {prueba_sistema::CadenaSqliteOdbc(archivo, "NoCreat=1;"),
                                      std::string("DSN=TamarisPrueba;")}) {
        const auto inicio = std::chrono::steady_clock::now();
        Conexion cn;
        cn.Open(cadena);
        auto cursor = cn.Consultar(
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000000) "
            "SELECT x FROM c");
        std::vector<Variant> fila;
        int64_t suma = 0;
        for (int i = 0; i < 100000 && cursor->Siguiente(fila); ++i) suma += fila[0].Entero();
        EXPECT_EQ(suma, int64_t{100000} * 100001 / 2) << cadena;
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(),
                  10.0)
            << cadena;
    }
    prueba_sistema::FijaVariable("ODBCINI", nullptr);
    std::filesystem::remove(ini);
    std::filesystem::remove(archivo);
#endif
}

}  // namespace
}  // namespace tamaris
