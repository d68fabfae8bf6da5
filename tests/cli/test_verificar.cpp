// The check on the command line: --revisar and --estricto of both exports, and the read-back of
// filed files with "verificar" (formats, totals and the reconciliation with the ledger), with
// their exit codes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "soporte/Percepciones.h"
#include "soporte/Proceso.h"

namespace {

using prueba::CarpetaTemporal;
using prueba::LeeArchivo;

prueba::Salida Cli(const std::vector<std::string>& args) {
    return prueba::Corre(TAMARIS_CLI_EXE, args);
}

void Escribe(const std::string& ruta, const std::string& bytes) {
    std::ofstream(ruta, std::ios::binary) << bytes;
}

using prueba_sistema::Veces;

TEST(CliRevision, RevisarEstrictoYAvisos) {
    CarpetaTemporal tmp;
    const std::string db = tmp / "suite.db", destino = tmp / "perc.txt";
    prueba::CreaBasePercepciones(db);  // two vouchers carry bad tax identifiers

    const auto revisar = Cli({"exportar", "--db", db, "--archivo", destino, "--revisar"});
    EXPECT_EQ(revisar.codigo, 3) << revisar.err;
    EXPECT_NE(revisar.out.find("NC B 5 del 10/01/2013: el CUIT \"20123456789\" no es válido"),
              std::string::npos)
        << revisar.out;
    EXPECT_NE(revisar.out.find("FC A 12 del 31/01/2013: el CUIT \"201\""), std::string::npos);
    EXPECT_NE(revisar.out.find("hallazgos: 3"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(destino));

    Escribe(destino, "anterior\r\n");
    const auto estricto = Cli({"exportar", "--db", db, "--archivo", destino, "--estricto"});
    EXPECT_EQ(estricto.codigo, 3);
    EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");

    const auto normal = Cli({"exportar", "--db", db, "--archivo", destino});
    EXPECT_EQ(normal.codigo, 0) << normal.err;
    // ... and the net of 0,005, which has more decimals than money.
    EXPECT_EQ(Veces(normal.err, "Aviso: "), 3u) << normal.err;
    EXPECT_EQ(LeeArchivo(destino), prueba::ArchivoEsperado({0, 1, 2, 5, 6, 7}));
    EXPECT_NE(normal.out.find("Notas de crédito (6): 1; neto gravado 1.000,50; percepción 15,01"),
              std::string::npos)
        << normal.out;
    EXPECT_NE(normal.out.find("Total percepción: 1.851.851.876,36"), std::string::npos);

    EXPECT_EQ(Cli({"exportar", "--db", db, "--archivo", destino, "--revisar", "--estricto"}).codigo,
              2);
}

class CliVerificar : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        carpeta_ = new CarpetaTemporal();
        base_ = *carpeta_ / "demo.db";
        ASSERT_EQ(Cli({"demo", "--db", base_, "--filas", "400"}).codigo, 0);
        ASSERT_EQ(Cli({"exportar", "--db", base_, "--archivo", *carpeta_ / "perc.txt"}).codigo, 0);
        std::filesystem::create_directories(*carpeta_ / "citi");
        ASSERT_EQ(Cli({"citi", "--db", base_, "--anio", "2013", "--mes", "1", "--directorio",
                       *carpeta_ / "citi"})
                      .codigo,
                  0);
    }
    static void TearDownTestSuite() {
        delete carpeta_;
        carpeta_ = nullptr;
    }
    static std::string Percepciones() { return LeeArchivo(*carpeta_ / "perc.txt"); }
    static std::string Citi() { return LeeArchivo(*carpeta_ / "citi/ENE013.TXT"); }

    static CarpetaTemporal* carpeta_;
    static std::string base_;
    CarpetaTemporal tmp;
    std::string archivo = tmp / "leido.txt";
};
CarpetaTemporal* CliVerificar::carpeta_ = nullptr;
std::string CliVerificar::base_;

TEST_F(CliVerificar, ArchivoDePercepciones) {
    const std::string bueno = Percepciones();
    ASSERT_GT(bueno.size(), 10u * 75u);
    const std::string linea3 = bueno.substr(2 * 75, 75);
    struct Caso {
        std::string nombre, bytes;
        int codigo;
        std::vector<std::string> hallazgos;
    };
    std::string danada = bueno;
    danada[2 * 75 + 40] = 'X';  // an amount of line 3
    std::string corta = bueno;
    corta.erase(4 * 75 + 10, 1);  // line 5 one byte short
    std::string sinCr = bueno;
    sinCr.erase(75 + 73, 1);  // line 2 ends in LF alone
    const Caso casos[] = {
        {"intacto", bueno, 0, {"Conciliado con el libro del período: sin observaciones"}},
        {"dañado",
         danada,
         3,
         {"línea 3: ", "campo 7 (neto gravado): no es un importe", "el neto gravado del archivo"}},
        {"corta", corta, 3, {"línea 5: la línea tiene 72 caracteres y debe tener 73"}},
        {"sin CR", sinCr, 3, {"línea 2: ", "la línea termina en LF sin CR"}},
        {"falta uno",
         bueno.substr(0, 2 * 75) + bueno.substr(3 * 75),
         3,
         {"falta en el archivo (está en el libro del período)"}},
        {"uno de más", bueno + linea3, 3, {"no corresponde a ningún comprobante del libro"}},
        {"otro orden", bueno.substr(75) + bueno.substr(0, 75), 0, {"sin observaciones"}},
    };
    // The ledger is read natively and through the SQLite ODBC driver alike.
    const std::vector<std::vector<std::string>> bases = {
        {"--db", base_}, {"--conexion", prueba_sistema::CadenaSqliteOdbc(base_, "NoCreat=1;")}};
    for (const auto& conexion : bases) {
        for (const Caso& c : casos) {
            Escribe(archivo, c.bytes);
            std::vector<std::string> args = {"verificar", "percepciones", "--archivo", archivo};
            args.insert(args.end(), conexion.begin(), conexion.end());
            const auto r = Cli(args);
            EXPECT_EQ(r.codigo, c.codigo) << c.nombre << " " << conexion[0] << "\n"
                                          << r.out << r.err;
            for (const std::string& h : c.hallazgos) {
                EXPECT_NE(r.out.find(h), std::string::npos)
                    << c.nombre << " " << conexion[0] << ": " << h << "\n"
                    << r.out;
            }
        }
    }
    // Without a database only the file is read; the totals are the export's.
    Escribe(archivo, bueno);
    const auto solo = Cli({"verificar", "percepciones", "--archivo", archivo});
    EXPECT_EQ(solo.codigo, 0) << solo.out;
    EXPECT_NE(solo.out.find("Total percepción: "), std::string::npos);
    EXPECT_NE(solo.out.find("Sin conciliar"), std::string::npos);

    EXPECT_EQ(Cli({"verificar", "percepciones", "--archivo", tmp / "no.txt"}).codigo, 1);
    EXPECT_EQ(Cli({"verificar", "otro", "--archivo", archivo}).codigo, 2);
    EXPECT_EQ(Cli({"verificar", "percepciones"}).codigo, 2);
}

TEST_F(CliVerificar, ArchivoCiti) {
    const std::string bueno = Citi();
    ASSERT_GT(bueno.size(), 10u * 400u);
    std::string danada = bueno;
    danada[400 + 144] = '9';  // the rate code of record 2
    const std::vector<std::string> periodo = {"--db", base_, "--anio", "2013", "--mes", "1"};
    struct Caso {
        std::string nombre, bytes;
        std::vector<std::string> hallazgos;
    };
    const Caso casos[] = {
        {"dañado", danada, {"línea 2: ", "campo 14 (alícuota): no es un código conocido"}},
        {"falta uno", bueno.substr(400), {"falta en el archivo"}},
    };
    for (const Caso& c : casos) {
        Escribe(archivo, c.bytes);
        std::vector<std::string> args = {"verificar", "citi", "--archivo", archivo};
        args.insert(args.end(), periodo.begin(), periodo.end());
        const auto r = Cli(args);
        EXPECT_EQ(r.codigo, 3) << c.nombre << "\n" << r.out << r.err;
        for (const std::string& h : c.hallazgos) {
            EXPECT_NE(r.out.find(h), std::string::npos) << c.nombre << ": " << h << "\n" << r.out;
        }
    }
    // The export's own check finds what is wrong before anything is written, also through the
    // ODBC driver (the demonstration files clean unless asked for vouchers with errors).
    const std::string conErrores = *carpeta_ / "errores.db";
    ASSERT_EQ(Cli({"demo", "--db", conErrores, "--filas", "400", "--con-errores"}).codigo, 0);
    for (const std::vector<std::string>& conexion :
         {std::vector<std::string>{"--db", conErrores},
          {"--conexion", prueba_sistema::CadenaSqliteOdbc(conErrores, "NoCreat=1;")}}) {
        std::vector<std::string> citi = {"citi", "--anio", "2013", "--mes", "1", "--revisar"};
        citi.insert(citi.end(), conexion.begin(), conexion.end());
        const auto revisar = Cli(citi);
        EXPECT_EQ(revisar.codigo, 3) << revisar.out << revisar.err;
        EXPECT_NE(revisar.out.find("del nombre del cliente no cabe en 30 caracteres y se corta"),
                  std::string::npos)
            << revisar.out;
    }
    // The file as filed reconciles with the ledger.
    Escribe(archivo, bueno);
    std::vector<std::string> args = {"verificar", "citi", "--archivo", archivo};
    args.insert(args.end(), periodo.begin(), periodo.end());
    const auto r = Cli(args);
    EXPECT_EQ(r.out.find("falta en el archivo"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("no corresponde"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Conciliado con el libro del período"), std::string::npos) << r.out;
}

}  // namespace

namespace {

// The demonstration database teaches filing clean files: its checks find nothing in any month
// (it used to list 28 CITI findings every January, which taught clicking "Generar igual").
// With --con-errores it carries vouchers with every kind of finding, for trying the check.
TEST(CliRevision, LaDemoEsLimpiaYConErroresTieneDeCadaClase) {
    CarpetaTemporal tmp;
    const std::string limpia = tmp / "demo.db", errores = tmp / "errores.db";
    ASSERT_EQ(Cli({"demo", "--db", limpia}).codigo, 0);
    ASSERT_EQ(Cli({"demo", "--db", errores, "--con-errores"}).codigo, 0);
    const auto exportar = [&](const std::string& db) {
        return Cli({"exportar", "--db", db, "--archivo", tmp / "p.txt", "--revisar"});
    };
    const auto citi = [&](const std::string& db, int anio, int mes) {
        return Cli({"citi", "--db", db, "--anio", std::to_string(anio), "--mes",
                    std::to_string(mes), "--directorio", tmp.ruta().string(), "--revisar"});
    };
    EXPECT_EQ(exportar(limpia).codigo, 0) << exportar(limpia).out;
    for (int mes = 1; mes <= 2; ++mes) {
        const auto r = citi(limpia, 2013, mes);
        EXPECT_EQ(r.codigo, 0) << mes << "\n" << r.out;
    }
    const auto p = exportar(errores);
    EXPECT_EQ(p.codigo, 3);
    const auto c = citi(errores, 2013, 1);
    EXPECT_EQ(c.codigo, 3);
    for (const char* clase :
         {"caracteres que Windows-1252 no admite", "caracteres de control", "no es un número",
          "Uso no válido de Null", "no cabe en", "no tiene fecha"}) {
        EXPECT_NE(p.out.find(clase), std::string::npos) << clase << "\n" << p.out;
    }
    for (const char* clase :
         {"el CUIT \"30123456780\" no es válido", "no cabe en 30 caracteres",
          "caracteres que Windows-1252 no admite", "no es de ningún tipo conocido",
          "Uso no válido de Null", "no es una fecha"}) {
        EXPECT_NE(c.out.find(clase), std::string::npos) << clase << "\n" << c.out;
    }
    // Only the vouchers added: one finding each in the CITI check.
    EXPECT_NE(c.out.find("hallazgos: 6"), std::string::npos) << c.out;
}

}  // namespace
