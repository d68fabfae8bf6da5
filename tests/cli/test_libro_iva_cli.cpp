// The "libro-iva" command and "verificar libro-iva": exit codes, the two files over the native
// SQLite backend and over the SQLite ODBC driver, and their read-back against the ledger.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "export_libro_iva/LibroDigitalPrueba.h"
#include "soporte/Proceso.h"
#include "soporte/SistemaPrueba.h"

namespace {

using prueba::CarpetaTemporal;
using prueba::LeeArchivo;

prueba::Salida Cli(const std::vector<std::string>& args) {
    return prueba::Corre(TAMARIS_CLI_EXE, args);
}

TEST(CliLibroIva, UsoIncorrecto) {
    struct Caso {
        std::vector<std::string> args;
        const char* mensaje;
    };
    const Caso casos[] = {
        {{"libro-iva", "--db", "x.db", "--mes", "3", "--directorio", "/tmp"}, "--anio"},
        {{"libro-iva", "--db", "x.db", "--anio", "2024", "--mes", "13", "--directorio", "/tmp"},
         "--mes"},
        {{"libro-iva", "--db", "x.db", "--anio", "2024", "--mes", "3"}, "--directorio"},
        {{"verificar", "libro-iva", "--comprobantes", "c.txt"}, "--alicuotas"},
        {{"verificar", "libro-iva", "--comprobantes", "c", "--alicuotas", "a", "--db", "x.db"},
         "--anio"},
    };
    for (const auto& c : casos) {
        const auto r = Cli(c.args);
        EXPECT_EQ(r.codigo, 2) << c.mensaje;
        EXPECT_NE(r.err.find(c.mensaje), std::string::npos) << r.err;
    }
}

// The same month through both routes gives the golden files, and verificar reconciles them with
// the ledger; an altered ledger is told.
TEST(CliLibroIva, GeneraYVerificaPorAmbasRutas) {
    for (const auto& acceso : {prueba_sistema::kAccesoNativo, prueba_sistema::kAccesoOdbc}) {
        SCOPED_TRACE(acceso.nombre);
        CarpetaTemporal tmp;
        const std::string db = tmp / "suite.db", dir = tmp / "salida";
        prueba::CreaBaseCiti(db, prueba::LibroIvaMarzo2024());
        std::filesystem::create_directories(dir);
        const std::vector<std::string> conexion = {"--conexion", acceso.cadena(db)};
        std::vector<std::string> args = {"libro-iva", "--anio",       "2024", "--mes",
                                         "3",         "--directorio", dir};
        args.insert(args.end(), conexion.begin(), conexion.end());
        const auto r = Cli(args);
        ASSERT_EQ(r.codigo, 0) << r.err;
        EXPECT_NE(r.out.find("Comprobantes: 25"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Alícuota 0005 (21 %): neto gravado 7.050,00; IVA 1.480,50"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.err.find("Aviso: RC A 901"), std::string::npos) << r.err;
        const std::string cbte = dir + "/LIBRO_IVA_DIGITAL_VENTAS_CBTE_202403.txt";
        const std::string alic = dir + "/LIBRO_IVA_DIGITAL_VENTAS_ALICUOTAS_202403.txt";
        EXPECT_EQ(LeeArchivo(cbte), prueba::GoldenLibro("marzo2024_cbte.txt"));
        EXPECT_EQ(LeeArchivo(alic), prueba::GoldenLibro("marzo2024_alicuotas.txt"));

        std::vector<std::string> verificar = {"verificar",   "libro-iva", "--comprobantes", cbte,
                                              "--alicuotas", alic,        "--anio",         "2024",
                                              "--mes",       "3"};
        verificar.insert(verificar.end(), conexion.begin(), conexion.end());
        auto v = Cli(verificar);
        EXPECT_EQ(v.codigo, 3) << v.out << v.err;  // the two faults the ledger itself carries
        EXPECT_NE(v.out.find("Conciliado con el libro del período: 2 observaciones"),
                  std::string::npos)
            << v.out;
        prueba::EjecutaSqlite(db,
                              "UPDATE LIBROIVAVENTAS SET Liva_Total = 1211 WHERE Numero = 101;");
        v = Cli(verificar);
        EXPECT_NE(v.out.find("el total del archivo (1.210,00) no coincide con el del libro "
                             "(1.211,00)"),
                  std::string::npos)
            << v.out;
    }
}

}  // namespace
