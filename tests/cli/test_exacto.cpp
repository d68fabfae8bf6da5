// Extreme and noisy amounts, vouchers the statement would skip, and a read-back that proves a
// file by its own path: each case once fooled the check, the totals and the read-back together.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "export_citi/LibroIvaPrueba.h"
#include "soporte/BaseDePrueba.h"
#include "soporte/Proceso.h"
#include "soporte/SistemaPrueba.h"

namespace {

using prueba::Asiento;
using prueba::CarpetaTemporal;
using prueba::LeeArchivo;

prueba::Salida Cli(const std::vector<std::string>& args) {
    return prueba::Corre(TAMARIS_CLI_EXE, args);
}

bool Contiene(const std::string& texto, const std::string& parte) {
    return texto.find(parte) != std::string::npos;
}

// The amount fields (7 and 9) of every line of a perception file.
std::vector<std::string> Importes(const std::string& archivo) {
    std::vector<std::string> r;
    for (std::size_t i = 0; i + 75 <= archivo.size(); i += 75) {
        r.push_back(archivo.substr(i + 38, 15));
        r.push_back(archivo.substr(i + 58, 15));
    }
    return r;
}

TEST(Exacto, PercepcionesConImportesExtremos) {
    CarpetaTemporal tmp;
    const std::string db = tmp / "suite.db", destino = tmp / "perc.txt";
    prueba::CreaBaseConEsquema(db);
    prueba::InsertaAsientos(
        db, {
                {"FC", "2013-01-05", "A", "1", "30-71234567-1", "1000.5", "15.01", "1"},
                {"FC", "2013-01-06", "A", "2", "30-71234567-1", "100", "-0.00005", "1"},
                {"NC", "2013-01-07", "A", "3", "30-71234567-1", "0.1", "0.30000000000000004", "1"},
                {"FC", "2013-01-08", "B", "4", "30-71234567-1", "99999999999.99", "1E-17", "1"},
                // The statement skips these whatever the period: they must be told.
                {"FC", "NULL", "A", "5", "30-71234567-1", "10", "1", "1"},
                {"FC", "05/01/2013", "A", "6", "30-71234567-1", "10", "1", "1"},
                {"FX", "2013-01-09", "A", "7", "30-71234567-1", "10", "1", "1"},
            });
    // The same ledger read natively and through the SQLite ODBC driver (which hands DECIMAL
    // columns over as text) gives the same findings and the same bytes.
    std::string archivo;
    for (const std::vector<std::string>& base :
         {std::vector<std::string>{"--db", db},
          {"--conexion", prueba_sistema::CadenaSqliteOdbc(db, "NoCreat=1;")}}) {
        SCOPED_TRACE(base[0]);
        const auto con = [&](std::vector<std::string> args) {
            args.insert(args.begin() + 1, base.begin(), base.end());
            return Cli(args);
        };
        const auto revisar = con({"exportar", "--desde", "01/01/2013", "--hasta", "31/01/2013",
                                  "--archivo", destino, "--revisar"});
        EXPECT_EQ(revisar.codigo, 3) << revisar.err;
        for (const char* esperado :
             {"FC A 2 del 06/01/2013: la percepción tiene más de 2 decimales (-0,00005)",
              "FC A 5 del (sin fecha): no tiene fecha",
              "no está escrita como AAAA-MM-DD: la base no la compara con el período",
              "FX A 7 del 09/01/2013: tiene percepción pero su tipo \"FX\""}) {
            EXPECT_TRUE(Contiene(revisar.out, esperado)) << esperado << "\n" << revisar.out;
        }
        const auto normal = con(
            {"exportar", "--desde", "01/01/2013", "--hasta", "31/01/2013", "--archivo", destino});
        ASSERT_EQ(normal.codigo, 0) << normal.err;
        archivo = LeeArchivo(destino);
        ASSERT_EQ(archivo.size(), 4u * 75);
        // No amount holds an exponent, a sign or binary noise; two-decimal amounts stay as they
        // were, and an amount with more decimals goes with as many as money keeps.
        const std::vector<std::string> esperados = {
            "1000,5         ", "15,01          ", "100            ", "0,0001         ",
            "0,1            ", "0,3            ", "99999999999,99 ", "0              "};
        EXPECT_EQ(Importes(archivo), esperados);
        // Totals are the exact sums of the filed values, in Argentine form.
        EXPECT_TRUE(Contiene(normal.out, "Total percepción: 15,31")) << normal.out;
        EXPECT_TRUE(Contiene(normal.out, "Total neto gravado: 100.000.001.100,59")) << normal.out;
    }

    // What cannot be filed at all never becomes another number without a word: a strict run
    // keeps the old file, a normal one says what it filed instead.
    prueba::InsertaAsientos(
        db, {{"FC", "2013-01-10", "A", "8", "30-71234567-1", "1234567890123456", "1", "1"}});
    const auto estricto = Cli({"exportar", "--db", db, "--archivo", destino, "--estricto"});
    EXPECT_EQ(estricto.codigo, 3) << estricto.out;
    EXPECT_EQ(LeeArchivo(destino), archivo);
    const auto desborda = Cli({"exportar", "--db", db, "--archivo", destino});
    EXPECT_EQ(desborda.codigo, 0) << desborda.err;
    EXPECT_TRUE(Contiene(desborda.err,
                         "Aviso: FC A 8 del 10/01/2013: el neto gravado "
                         "1234567890123456 no cabe en 15 caracteres: se informa 0"))
        << desborda.err;
}

TEST(Exacto, CitiConImportesExtremos) {
    CarpetaTemporal tmp;
    const std::string db = tmp / "suite.db";
    using F = prueba::FilaLibroIva;
    prueba::CreaBaseCiti(
        db, {
                F{"2013-01-02", "FC", "A", "1", "101", "30-71234567-1", "80", "Uno", "1210.00", "0",
                  "0", "210.00", "5.55e-17", "0", "0", "21", "10.5", "27"},
                F{"2013-01-03", "FC", "A", "1", "102", "30-71234567-1", "80", "Dos", "105.00", "0",
                  "0", "5.00", "0", "0", "0", "5", "0", "0"},
                F{"2013-01-04", "FC", "A", "1", "103", "30-71234567-1", "80", "Tres",
                  "1234567890123456", "0", "0", "21.00", "0", "0", "0", "21", "0", "0"},
            });
    const std::string dir = tmp / "citi";
    std::filesystem::create_directories(dir);
    const auto revisar =
        Cli({"citi", "--db", db, "--anio", "2013", "--mes", "1", "--directorio", dir, "--revisar"});
    EXPECT_EQ(revisar.codigo, 3);
    EXPECT_TRUE(Contiene(revisar.out, "la alícuota 5,00 % no tiene código propio")) << revisar.out;
    EXPECT_TRUE(Contiene(revisar.out,
                         "FC A 103 del 04/01/2013: el total es demasiado grande para "
                         "un importe (1234567890123456): se informa 0"))
        << revisar.out;

    prueba::EjecutaSqlite(db, "DELETE FROM LIBROIVAVENTAS WHERE Numero = 103");
    const auto citi =
        Cli({"citi", "--db", db, "--anio", "2013", "--mes", "1", "--directorio", dir});
    ASSERT_EQ(citi.codigo, 0) << citi.err;
    const std::string archivo = LeeArchivo(std::filesystem::path(dir) / "ENE013.TXT");
    // Binary noise in the second VAT column is zero: one aliquot line, not two.
    ASSERT_EQ(archivo.size(), 2u * 400);
    EXPECT_EQ(archivo.substr(268, 1), "1");
    EXPECT_EQ(archivo.substr(400 + 144, 4), "2700");
    EXPECT_EQ(archivo.substr(400 + 129, 15), "000000000010000");  // 5 × 100 ÷ 5
    EXPECT_TRUE(Contiene(citi.out, "Alícuota 2100: neto gravado 1.000,00; IVA 210,00")) << citi.out;
}

TEST(Exacto, VerificarPruebaElArchivoPorSuCuenta) {
    CarpetaTemporal tmp;
    const std::string db = tmp / "suite.db", destino = tmp / "perc.txt";
    prueba::CreaBaseConEsquema(db);
    prueba::InsertaAsientos(
        db, {
                {"FC", "2013-01-05", "A", "1", "30-71234567-1", "1000.5", "15.01", "1"},
                {"NC", "2013-01-06", "B", "2", "20-12345678-6", "200", "3", "1"},
                {"ND", "2013-01-07", "A", "3", "30-71234567-1", "50", "0.75", "1"},
            });
    ASSERT_EQ(Cli({"exportar", "--db", db, "--archivo", destino}).codigo, 0);
    const std::string bueno = LeeArchivo(destino);
    const auto verifica = [&] {
        return Cli({"verificar", "percepciones", "--archivo", destino, "--db", db});
    };
    EXPECT_EQ(verifica().codigo, 0) << verifica().out;

    struct Caso {
        const char* nombre;
        std::string archivo;
        const char* sql;
        const char* esperado;
    };
    std::string sinSegunda = bueno.substr(0, 75) + bueno.substr(150);
    std::string repetida = bueno + bueno.substr(0, 75);
    const Caso casos[] = {
        {"un centavo de diferencia", bueno,
         "UPDATE MV_ASIENTOS SET LIVA_Ret_IBtos = 15.02 WHERE NUMERO = 1",
         "FC A 1 del 05/01/2013: la percepción del archivo (15,01) no coincide con el del libro "
         "(15,02)"},
        {"una línea menos", sinSegunda, "", "NC B 2 del 06/01/2013: falta en el archivo"},
        {"una línea dos veces", repetida, "", "el comprobante ya está en la línea 1"},
        {"un comprobante que el libro no tiene", bueno, "DELETE FROM MV_ASIENTOS WHERE NUMERO = 3",
         "ND A 3 del 07/01/2013: no corresponde a ningún comprobante del libro"},
        {"un archivo vacío", "", "", "el archivo está vacío"},
    };
    for (const Caso& c : casos) {
        prueba::CreaBaseConEsquema(db);
        prueba::InsertaAsientos(
            db, {
                    {"FC", "2013-01-05", "A", "1", "30-71234567-1", "1000.5", "15.01", "1"},
                    {"NC", "2013-01-06", "B", "2", "20-12345678-6", "200", "3", "1"},
                    {"ND", "2013-01-07", "A", "3", "30-71234567-1", "50", "0.75", "1"},
                });
        if (*c.sql) prueba::EjecutaSqlite(db, c.sql);
        std::ofstream(destino, std::ios::binary) << c.archivo;
        const auto r = verifica();
        EXPECT_EQ(r.codigo, 3) << c.nombre;
        EXPECT_TRUE(Contiene(r.out, c.esperado)) << c.nombre << "\n" << r.out;
    }
}

// The period as the command line takes it: a reversed one is refused, the last day there is
// works, and an empty one either keeps the old file (strict) or says that it deleted it.
TEST(Exacto, PeriodoDeLaLineaDeComandos) {
    CarpetaTemporal tmp;
    const std::string db = tmp / "suite.db", destino = tmp / "perc.txt";
    prueba::CreaBaseConEsquema(db);
    prueba::InsertaAsientos(
        db, {{"FC", "2013-01-05", "A", "1", "30-71234567-1", "1000.5", "15.01", "1"}});
    struct Caso {
        std::vector<std::string> periodo;
        bool estricto;
        int codigo;
        const char* dice;  // in stdout or stderr
        bool quedaAnterior;
    };
    const Caso casos[] = {
        {{"--desde", "31/01/2013", "--hasta", "01/01/2013"}, false, 2, "es posterior", true},
        {{"--desde", "01/01/2013", "--hasta", "31/12/9999"}, false, 0, "Comprobantes: 1", false},
        {{"--desde", "01/02/2013", "--hasta", "28/02/2013"},
         true,
         3,
         "el período no tiene comprobantes con percepción",
         true},
        {{"--desde", "01/02/2013", "--hasta", "28/02/2013"},
         false,
         0,
         "se borró el archivo anterior",
         false},
    };
    for (const Caso& c : casos) {
        std::ofstream(destino, std::ios::binary) << "anterior\r\n";
        std::vector<std::string> args = {"exportar", "--db", db, "--archivo", destino};
        args.insert(args.end(), c.periodo.begin(), c.periodo.end());
        if (c.estricto) args.push_back("--estricto");
        const auto r = Cli(args);
        SCOPED_TRACE(c.periodo[1] + " " + c.periodo[3]);
        EXPECT_EQ(r.codigo, c.codigo) << r.out << r.err;
        EXPECT_TRUE(Contiene(r.out + r.err, c.dice)) << r.out << r.err;
        const bool anterior =
            std::filesystem::exists(destino) && LeeArchivo(destino) == "anterior\r\n";
        EXPECT_EQ(anterior, c.quedaAnterior);
    }
}

}  // namespace
