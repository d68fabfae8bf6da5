// The "arba" command and "verificar arba", run as the real program over real SQLite files through
// the native backend and through the SQLite ODBC driver: the exact bytes of a month and of its
// fortnights, what ARBA would reject, the agent's CUIT, and the read-back.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "export_arba/LibroArba.h"
#include "soporte/Proceso.h"

namespace {

using prueba::CarpetaTemporal;
using prueba::LeeArchivo;
using Acceso = prueba_sistema::AccesoArchivo;

constexpr const char* kAgente = "30-50000123-9";
constexpr const char* kAgenteOnce = "30500001239";

prueba::Salida Cli(const std::vector<std::string>& args) {
    return prueba::Corre(TAMARIS_CLI_EXE, args);
}

bool Contiene(const std::string& texto, const std::string& buscado) {
    return texto.find(buscado) != std::string::npos;
}

class Arba : public ::testing::TestWithParam<Acceso> {
  protected:
    void SetUp() override { std::filesystem::create_directories(dir); }
    // The connection options of the route under test.
    std::vector<std::string> Base() const {
        if (std::string(GetParam().nombre) == "Nativo") return {"--db", db};
        return {"--conexion", GetParam().cadena(db)};
    }
    prueba::Salida Corre(std::vector<std::string> extra,
                         std::vector<std::string> comando = {"arba"}) {
        std::vector<std::string> a = comando;
        for (auto& x : Base()) a.push_back(x);
        for (auto& x : extra) a.push_back(x);
        return Cli(a);
    }
    std::string Archivo(const std::string& periodo, int lote = 1) const {
        return dir + prueba_sistema::kBarra + "AR-" + kAgenteOnce + "-" + periodo + "-7-LOTE" +
               std::to_string(lote) + ".txt";
    }
    CarpetaTemporal tmp;
    std::string db = tmp / "suite.db";
    std::string dir = tmp / "salida";
};

TEST_P(Arba, MesYQuincenasByteAByte) {
    prueba::CreaBaseArba(db);
    const std::vector<std::string> comunes = {"--anio",       "2026", "--mes",         "3",
                                              "--directorio", dir,    "--cuit-agente", kAgente};
    struct Caso {
        std::vector<std::string> extra;
        std::string periodo, golden;
        int lote;
    };
    const Caso casos[] = {
        {{}, "2026030", "marzo2026.txt", 1},
        {{"--quincena", "1", "--lote", "2"}, "2026031", "marzo2026_q1.txt", 2},
        {{"--quincena", "2"}, "2026032", "marzo2026_q2.txt", 1},
    };
    std::string quincenas;
    for (const Caso& c : casos) {
        std::vector<std::string> args = comunes;
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const auto r = Corre(args);
        ASSERT_EQ(r.codigo, 0) << c.golden << "\n" << r.out << r.err;
        EXPECT_EQ(r.err, "") << c.golden;
        const std::string archivo = Archivo(c.periodo, c.lote);
        EXPECT_TRUE(Contiene(r.out, "AR-" + std::string(kAgenteOnce) + "-" + c.periodo)) << r.out;
        const std::string bytes = LeeArchivo(archivo);
        EXPECT_EQ(bytes, prueba::GoldenArba(c.golden)) << c.golden;
        if (c.periodo != "2026030") quincenas += bytes;
    }
    // The two fortnights are the month, the 15th whole in the first.
    EXPECT_EQ(quincenas, prueba::GoldenArba("marzo2026.txt"));
    const auto r = Corre(comunes);
    EXPECT_TRUE(Contiene(r.out, "Comprobantes: 7\n")) << r.out;
    EXPECT_TRUE(Contiene(r.out,
                         "Notas de crédito (C): 2; monto imponible -620,00; percepción "
                         "-9,90\n"))
        << r.out;
    EXPECT_TRUE(Contiene(r.out,
                         "Total monto imponible (notas de crédito restadas): "
                         "12.347.826,79\n"))
        << r.out;
    EXPECT_TRUE(Contiene(r.out, "Total percepción (notas de crédito restadas): 370.416,47\n"))
        << r.out;

    // The read-back finds the file whole and as the ledger says.
    const auto v = Corre({"--archivo", Archivo("2026030"), "--anio", "2026", "--mes", "3"},
                         {"verificar", "arba"});
    ASSERT_EQ(v.codigo, 0) << v.out << v.err;
    EXPECT_TRUE(Contiene(v.out, "Registros leídos: 7\n")) << v.out;
    EXPECT_TRUE(Contiene(v.out, "Conciliado con el libro del período: sin observaciones")) << v.out;
}

// A ledger whose MV_ASIENTOS has no SUCURSAL keeps the point of sale above the number's last
// eight digits: the same file, and the read-back agrees.
TEST_P(Arba, SinColumnaSucursalElPuntoDeVentaSaleDelNumero) {
    prueba::CreaBaseArba(db);
    prueba::EjecutaSqlite(db,
                          "UPDATE MV_ASIENTOS SET NUMERO = SUCURSAL * 100000000 + NUMERO; "
                          "ALTER TABLE MV_ASIENTOS DROP COLUMN SUCURSAL;");
    const auto r =
        Corre({"--anio", "2026", "--mes", "3", "--directorio", dir, "--cuit-agente", kAgente});
    ASSERT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(LeeArchivo(Archivo("2026030")), prueba::GoldenArba("marzo2026.txt"));
    const auto v = Corre({"--archivo", Archivo("2026030"), "--anio", "2026", "--mes", "3"},
                         {"verificar", "arba"});
    EXPECT_EQ(v.codigo, 0) << v.out;
}

// Each entry alone: what ARBA would reject is a finding of --revisar, and --estricto leaves the
// older file as it was.
TEST_P(Arba, LoQueArbaRechazaEsHallazgo) {
    struct Caso {
        prueba::AsientoArba asiento;
        const char* hallazgo;
    };
    const Caso casos[] = {
        {{"FC", "2026-03-02", "A", "1", "1", "30-71234567-1", "100000.00", "1234.00"},
         "la percepción 1.234,00 no es el 1,23 % del monto imponible 100.000,00"},
        {{"FC", "2026-03-02", "A", "1", "1", "20-12345678-0", "1000.00", "15.00"},
         "el CUIT \"20-12345678-0\" no es válido"},
        {{"FC", "2026-03-02", "A", "0", "1", "30-71234567-1", "1000.00", "15.00"},
         "el punto de venta es cero"},
        {{"FC", "2026-03-02", "A", "1", "0", "30-71234567-1", "1000.00", "15.00"},
         "el número de comprobante es cero"},
        {{"FC", "2026-03-02", "A", "1", "1", "30-71234567-1", "0", "15.00"},
         "el monto imponible es cero"},
        {{"FC", "2026-03-02", "E", "1", "1", "30-71234567-1", "1000.00", "15.00"},
         "la letra \"E\" no es A, B ni C"},
        {{"FC", "2026-03-02", "A", "123456", "1", "30-71234567-1", "1000.00", "15.00"},
         "el punto de venta 123456 no cabe en 5 caracteres"},
        {{"FC", "2026-03-02", "A", "1", "1", "30-71234567-1", "1000.005", "15.00"},
         "el monto imponible tiene más de 2 decimales"},
    };
    for (const Caso& c : casos) {
        prueba::CreaBaseArba(db, {c.asiento});
        const auto r =
            Corre({"--anio", "2026", "--mes", "3", "--revisar", "--cuit-agente", kAgente});
        EXPECT_EQ(r.codigo, 3) << c.hallazgo << "\n" << r.out << r.err;
        EXPECT_TRUE(Contiene(r.out, c.hallazgo)) << c.hallazgo << "\n" << r.out;

        std::ofstream(Archivo("2026030"), std::ios::binary) << "anterior";
        const auto e = Corre({"--anio", "2026", "--mes", "3", "--directorio", dir, "--estricto",
                              "--cuit-agente", kAgente});
        EXPECT_EQ(e.codigo, 3) << c.hallazgo;
        EXPECT_EQ(LeeArchivo(Archivo("2026030")), "anterior") << c.hallazgo;
    }
}

TEST_P(Arba, CuitDelAgente) {
    prueba::CreaBaseArba(db);
    const std::vector<std::string> periodo = {"--anio", "2026", "--mes", "3", "--directorio", dir};
    // A wrong check digit, given or configured, stops the run before anything is written.
    auto args = periodo;
    args.insert(args.end(), {"--cuit-agente", "30-50000123-8"});
    auto r = Corre(args);
    EXPECT_EQ(r.codigo, 2) << r.err;
    EXPECT_TRUE(Contiene(r.err, "30-50000123-8")) << r.err;
    r = Corre(periodo);
    EXPECT_EQ(r.codigo, 2) << r.err;
    EXPECT_TRUE(Contiene(r.err, "CUIT_AGENTE_ARBA")) << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(dir));

    prueba::EjecutaSqlite(db,
                          "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                          "('CUIT_AGENTE_ARBA', '30-50000123-8');");
    r = Corre(periodo);
    EXPECT_EQ(r.codigo, 2) << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(dir));

    prueba::EjecutaSqlite(db,
                          "UPDATE TA_CONFIGURACION SET VALOR = '30500001239' WHERE CLAVE = "
                          "'CUIT_AGENTE_ARBA';");
    r = Corre(periodo);
    ASSERT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(LeeArchivo(Archivo("2026030")), prueba::GoldenArba("marzo2026.txt"));
}

// The read-back reads the file and the ledger by itself: a record changed by hand, one missing,
// one twice, and a perception that no longer agrees with its rate are each told.
TEST_P(Arba, VerificarEncuentraLoQueCambio) {
    prueba::CreaBaseArba(db);
    const std::string archivo = tmp / "a.txt";
    const std::string bueno = prueba::GoldenArba("marzo2026.txt");
    ASSERT_EQ(bueno.size(), 7u * 73u);
    const auto linea = [&](int i) { return bueno.substr(static_cast<std::size_t>(i) * 73, 73); };
    std::string otraPercepcion = linea(0);
    otraPercepcion.replace(57, 13, "0000000016,00");
    std::string otraAlicuota = linea(0);
    otraAlicuota.replace(52, 5, "01.60");
    otraAlicuota.replace(57, 13, "0000000016,00");
    struct Caso {
        std::string bytes;
        std::vector<std::string> hallazgos;
    };
    const Caso casos[] = {
        {bueno.substr(73), {"FC A 1-101 del 02/03/2026", "falta en el archivo"}},
        {bueno + linea(6), {"línea 8", "dos veces"}},
        {otraPercepcion + bueno.substr(73),
         {"línea 1", "no es el 1,50 % del monto imponible 1.000,00"}},
        {otraAlicuota + bueno.substr(73),
         {"la percepción difiere: 16,00 en el archivo, 15,00 en el libro"}},
        {bueno.substr(0, bueno.size() - 2), {"línea 7"}},
    };
    for (const Caso& c : casos) {
        std::ofstream(archivo, std::ios::binary) << c.bytes;
        const auto r =
            Corre({"--archivo", archivo, "--anio", "2026", "--mes", "3"}, {"verificar", "arba"});
        EXPECT_EQ(r.codigo, 3) << r.out;
        for (const std::string& h : c.hallazgos)
            EXPECT_TRUE(Contiene(r.out, h)) << h << "\n" << r.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Rutas, Arba,
                         ::testing::Values(prueba_sistema::kAccesoNativo,
                                           prueba_sistema::kAccesoOdbc),
                         [](const auto& i) { return std::string(i.param.nombre); });

}  // namespace
