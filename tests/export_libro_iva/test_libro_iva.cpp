// The Libro de IVA Digital sales files made from a real SQLite file, through the native backend
// and through the SQLite ODBC driver: the exact bytes of both files, the findings, the totals,
// the read-back (its own and against the ledger), and what a failure leaves in the folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/Sistema.h"
#include "data/PuertosPrueba.h"
#include "export_libro_iva/ExportaLibroIva.h"
#include "export_libro_iva/LibroDigitalPrueba.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using Estado = ResultadoLibroIva::Estado;
using prueba::GoldenLibro;
using prueba::LeeArchivo;
using Acceso = prueba_sistema::AccesoArchivo;

std::string Entradas(const std::string& carpeta) {
    std::vector<std::string> nombres;
    for (const auto& e : std::filesystem::directory_iterator(carpeta)) {
        nombres.push_back(e.path().filename().string());
    }
    std::sort(nombres.begin(), nombres.end());
    std::string r;
    for (const auto& n : nombres) r += (r.empty() ? "" : ",") + n;
    return r;
}

std::string Lista(const Hallazgos& h) {
    std::string s;
    for (const Hallazgo& x : h.lista) s += TextoHallazgo(x) + "\n";
    return s;
}

constexpr const char* kCbte = "LIBRO_IVA_DIGITAL_VENTAS_CBTE_202403.txt";
constexpr const char* kAlic = "LIBRO_IVA_DIGITAL_VENTAS_ALICUOTAS_202403.txt";

class LibroIvaDigital : public ::testing::TestWithParam<Acceso> {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(carpeta);
        prueba::CreaBaseCiti(base, prueba::LibroIvaMarzo2024());
        sis.db.OpenLocalADODB(GetParam().cadena(base), "User ID", "Jet OLEDB:Database Password");
        ASSERT_TRUE(sis.db.gCnn().Abierta());
        sis.db.gOpenFlag = true;
        sis.CantidadDecimales = "2";
    }
    ResultadoLibroIva Exporta(const OpcionesExportacion& o = {}) {
        return ExportaLibroIva(sis, {2024, 3, [this] { return carpeta; }}, o);
    }
    std::string Cbte() const { return carpeta + prueba_sistema::kBarra + kCbte; }
    std::string Alic() const { return carpeta + prueba_sistema::kBarra + kAlic; }

    prueba::CarpetaTemporal tmp;
    std::string base = tmp / "suite.db";
    std::string carpeta = tmp / "salida";
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
};

// What the export finds in the ledger of March, and what the read-back finds in what it wrote.
constexpr const char* kHallazgosExportacion =
    "RC A 901 del 21/03/2024: la clave de comprobante \"RCA\" no es de ningún tipo del Libro de "
    "IVA Digital: no se informa\n";

TEST_P(LibroIvaDigital, MarzoByteAByteYVerificado) {
    const ResultadoLibroIva r = Exporta();
    ASSERT_EQ(r.estado, Estado::Completo)
        << (puertos.errores.reportados.empty() ? ""
                                               : puertos.errores.reportados[0].error.Descripcion);
    EXPECT_EQ(r.comprobantes, 25);
    EXPECT_EQ(r.alicuotas, 33);
    EXPECT_EQ(r.omitidos, 1);  // the receipt
    const std::string cbte = LeeArchivo(Cbte()), alic = LeeArchivo(Alic());
    EXPECT_EQ(cbte.size(), 25u * 268u);
    EXPECT_EQ(alic.size(), 33u * 64u);
    if (std::getenv("TAMARIS_GOLDEN_ACTUALIZAR")) {
        const std::string dir = std::string(TAMARIS_TEST_DIR) + "/export_libro_iva/golden/";
        std::ofstream(dir + "marzo2024_cbte.txt", std::ios::binary) << cbte;
        std::ofstream(dir + "marzo2024_alicuotas.txt", std::ios::binary) << alic;
    }
    EXPECT_EQ(cbte, GoldenLibro("marzo2024_cbte.txt"));
    EXPECT_EQ(alic, GoldenLibro("marzo2024_alicuotas.txt"));
    EXPECT_EQ(Entradas(carpeta), std::string(kAlic) + "," + kCbte);
    const std::string hallazgos = Lista(r.hallazgos);
    for (const char* esperado :
         {"RC A 901 del 21/03/2024: la clave de comprobante \"RCA\" no es de ningún tipo",
          "fc a 104 del 22/03/2024: el IVA 4 15,00 no tiene alícuota en el libro",
          "FC A 109 del 26/03/2024: el total 1.300,00 no es la suma del no gravado, el exento, "
          "los netos y el IVA de sus alícuotas (1.210,00)",
          "CBCT A 701 del 18/03/2024: el valor \"Cooperativa Agrícola Güemes de Añatuya Ltda.\" "
          "del nombre del cliente no cabe en 30 caracteres"}) {
        EXPECT_NE(hallazgos.find(esperado), std::string::npos) << esperado << "\n" << hallazgos;
    }
    EXPECT_EQ(r.hallazgos.total, 4) << hallazgos;
    EXPECT_EQ(r.totales.comprobantes, 25);
    EXPECT_EQ(r.totales.comprobantesPorTipo.at("001"), 5);
    EXPECT_EQ(r.totales.ivaPorAlicuota.at("0005").diezmilesimos, 1480'5000);
    EXPECT_EQ(puertos.mensajes.mostrados.size(), 1u);

    // The read-back sees the same totals, the two file-level faults the export told of, and a
    // file that agrees with the ledger voucher by voucher.
    const VerificacionLibroIva v = VerificaLibroIva(Cbte(), Alic(), &sis, 2024, 3);
    EXPECT_EQ(v.comprobantes, 25);
    EXPECT_EQ(v.alicuotas, 33);
    EXPECT_EQ(v.totales, r.totales);
    EXPECT_TRUE(v.conciliado);
    EXPECT_EQ(v.faltantes + v.sobrantes + v.distintos, 0) << Lista(v.hallazgos);
    const std::string leidos = Lista(v.hallazgos);
    EXPECT_EQ(v.hallazgos.total, 2) << leidos;
    EXPECT_NE(leidos.find("campo 5 (alícuota): no es un código conocido (\"0000\")"),
              std::string::npos)
        << leidos;
    EXPECT_NE(leidos.find("el total 1.300,00 no es la suma"), std::string::npos) << leidos;
}

TEST_P(LibroIvaDigital, RevisarNoEscribeYEstrictoDejaLosAnteriores) {
    std::ofstream(Cbte(), std::ios::binary) << "anterior\r\n";
    std::ofstream(Alic(), std::ios::binary) << "anterior\r\n";
    // A voucher with VAT and no total, which the statement leaves out, is told as well.
    prueba::EjecutaSqlite(
        base,
        "INSERT INTO LIBROIVAVENTAS (Fecha, TC, Letra, Sucursal, Numero, "
        "Liva_ImpIva, Liva_Total) VALUES ('2024-03-15', 'FC', 'A', 1, 999, 21, NULL);");
    OpcionesExportacion o;
    o.modo = ModoRevision::Revisar;
    ResultadoLibroIva r = Exporta(o);
    EXPECT_EQ(r.estado, Estado::Revisado);
    EXPECT_EQ(r.revisados, 26);
    EXPECT_EQ(r.hallazgos.total, 5);
    EXPECT_NE(Lista(r.hallazgos).find("FC A 999 del 15/03/2024: tiene IVA pero no tiene total"),
              std::string::npos)
        << Lista(r.hallazgos);
    o.modo = ModoRevision::Estricto;
    r = Exporta(o);
    EXPECT_EQ(r.estado, Estado::Descartado);
    EXPECT_EQ(LeeArchivo(Cbte()), "anterior\r\n");
    EXPECT_EQ(LeeArchivo(Alic()), "anterior\r\n");
    EXPECT_EQ(Entradas(carpeta), std::string(kAlic) + "," + kCbte);
}

// The second file cannot take its place: the first gets its old content back, and nothing of the
// run stays in the folder.
TEST_P(LibroIvaDigital, SiElSegundoNoSeReemplazaElPrimeroVuelveAlAnterior) {
    SOLO_POSIX(
        "bajo Wine el archivo anterior no vuelve a su lugar sobre uno que la corrida tiene "
        "abierto: queda resguardado junto a él");
    for (const bool habiaAnterior : {true, false}) {
        SCOPED_TRACE(habiaAnterior);
        std::filesystem::remove_all(carpeta);
        std::filesystem::create_directories(carpeta);
        if (habiaAnterior) std::ofstream(Cbte(), std::ios::binary) << "anterior\r\n";
        OpcionesExportacion o;
        // Asked before the files are put in place: then the aliquot file's name is taken by a
        // folder that is not empty, which no rename can replace.
        o.confirmaHallazgos = [&](const Hallazgos&) {
            std::filesystem::create_directories(Alic() + prueba_sistema::kBarra + "ocupado");
            return true;
        };
        const ResultadoLibroIva r = Exporta(o);
        EXPECT_EQ(r.estado, Estado::Abandonado);
        ASSERT_EQ(puertos.errores.reportados.size(), habiaAnterior ? 1u : 2u);
        if (habiaAnterior) {
            EXPECT_EQ(LeeArchivo(Cbte()), "anterior\r\n");
            EXPECT_EQ(Entradas(carpeta), std::string(kAlic) + "," + kCbte);
        } else {
            EXPECT_EQ(Entradas(carpeta), kAlic);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rutas, LibroIvaDigital,
                         ::testing::Values(prueba_sistema::kAccesoNativo,
                                           prueba_sistema::kAccesoOdbc),
                         [](const auto& i) { return std::string(i.param.nombre); });

// The read-back of files that were altered after they were made: each alteration is one
// finding of its own kind.
TEST(VerificaLibroIva, EncuentraLoQueSeAlteroEnLosArchivos) {
    const std::string cbte = GoldenLibro("marzo2024_cbte.txt");
    const std::string alic = GoldenLibro("marzo2024_alicuotas.txt");
    ASSERT_FALSE(cbte.empty());
    struct Caso {
        const char* nombre;
        std::function<void(std::string& c, std::string& a)> altera;
        const char* esperado;
    };
    const std::vector<Caso> casos = {
        {"cantidad de alícuotas", [](std::string& c, std::string&) { c[268 * 1 + 241] = '1'; },
         "sobra: su comprobante dice menos alícuotas en el campo 19"},
        {"alícuota faltante", [](std::string&, std::string& a) { a.erase(64, 64); },
         "dice 2 y el archivo de alícuotas trae 1"},
        {"alícuota sobrante", [](std::string&, std::string& a) { a += a.substr(0, 64); },
         "no sigue a ningún comprobante"},
        {"total alterado", [](std::string& c, std::string&) { c[108 + 12] = '9'; },
         "no es la suma del no gravado"},
        {"comprobante repetido",
         [](std::string& c, std::string& a) {
             c += c.substr(0, 268);
             a += a.substr(0, 64);
         },
         "se informaría dos veces"},
        {"sin CR", [](std::string& c, std::string&) { c.erase(266, 1); }, "LF sin CR"},
        {"identificador con código 99", [](std::string& c, std::string&) { c[268 * 6 + 77] = '1'; },
         "con código 99 van veinte ceros"},
    };
    prueba::CarpetaTemporal tmp;
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        std::string c = cbte, a = alic;
        caso.altera(c, a);
        std::ofstream(tmp / "c.txt", std::ios::binary | std::ios::trunc) << c;
        std::ofstream(tmp / "a.txt", std::ios::binary | std::ios::trunc) << a;
        const VerificacionLibroIva v =
            VerificaLibroIva(tmp / "c.txt", tmp / "a.txt", nullptr, 0, 0);
        const std::string h = Lista(v.hallazgos);
        EXPECT_NE(h.find(caso.esperado), std::string::npos) << h;
    }
}

}  // namespace
}  // namespace tamaris
