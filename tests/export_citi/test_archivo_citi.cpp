// The CITI Ventas job run from its form over real SQLite files, through the native backend and
// through the SQLite ODBC driver: the exact bytes of whole months, the outcomes, the messages,
// and what a failure leaves in the chosen folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/Sistema.h"
#include "components/Pasos.h"
#include "data/PuertosPrueba.h"
#include "export_citi/FRMSiapCITI.h"
#include "export_citi/LibroIvaPrueba.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using Estado = ResultadoCiti::Estado;
using prueba::FilaLibroIva;
using prueba::Golden;
using prueba::LeeArchivo;

using Acceso = prueba_sistema::AccesoArchivo;
const Acceso& kNativo = prueba_sistema::kAccesoNativo;
const Acceso& kOdbc = prueba_sistema::kAccesoOdbc;

// Names of the entries of a folder, sorted and joined by ",".
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

class ArchivoCiti : public ::testing::TestWithParam<Acceso> {
  protected:
    void SetUp() override { std::filesystem::create_directories(carpeta); }

    // Creates the database with `filas`, opens it and loads the form.
    void Abre(const std::vector<FilaLibroIva>& filas = prueba::LibroIvaEnero2013(),
              const std::string& cambio = {}) {
        prueba::CreaBaseCiti(base, filas);
        if (!cambio.empty()) prueba::EjecutaSqlite(base, cambio);
        sis.db.OpenLocalADODB(GetParam().cadena(base), "User ID", "Jet OLEDB:Database Password");
        ASSERT_TRUE(sis.db.gCnn().Abierta());
        sis.db.gOpenFlag = true;
        sis.CantidadDecimales = "2";
        form.Load();
        puertos.carpetas.respuestaDefecto = carpeta;
    }
    // Types the year and picks the month, as the operator does.
    void Periodo(const std::string& anio, int mes) {
        form.SetCampo("AÑO", anio);
        ASSERT_TRUE(form.SeleccionaMes(mes));
    }
    std::string Destino() const { return carpeta + prueba_sistema::kBarra + "ENE013.TXT"; }

    prueba::CarpetaTemporal tmp;
    std::string base = tmp / "suite.db";
    std::string carpeta = tmp / "salida";
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
    FRMSiapCITI form{sis};
};

TEST_P(ArchivoCiti, EneroCompletoByteAByte) {
    Abre();
    Periodo("2013", 1);
    form.Kitobar1_ButtonClick("GRABAR");
    const ResultadoCiti& r = form.UltimoResultado();
    ASSERT_EQ(r.estado, Estado::Completo)
        << (puertos.errores.reportados.empty() ? ""
                                               : puertos.errores.reportados[0].error.Descripcion);
    EXPECT_EQ(r.archivo, Destino());
    EXPECT_EQ(r.comprobantes, 26);
    EXPECT_EQ(r.registros, 39);
    EXPECT_EQ(r.omitidos, 0);
    const std::string bytes = LeeArchivo(Destino());
    EXPECT_EQ(bytes.size(), 39u * 400u);
    if (std::getenv("TAMARIS_GOLDEN_ACTUALIZAR")) {
        std::ofstream(std::string(TAMARIS_TEST_DIR) + prueba_sistema::kBarra +
                          "export_citi/golden/enero2013.txt",
                      std::ios::binary)
            << bytes;
    }
    EXPECT_EQ(bytes, Golden("enero2013.txt"));
    // Only the file: no temporary is left beside it.
    EXPECT_EQ(Entradas(carpeta), "ENE013.TXT");

    EXPECT_TRUE(puertos.errores.reportados.empty());
    ASSERT_EQ(puertos.carpetas.titulos.size(), 1u);
    EXPECT_EQ(puertos.carpetas.titulos[0], "Seleccionar Directorio");
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    EXPECT_EQ(puertos.mensajes.mostrados[0].texto,
              "Se ha generado satisfactoriamente el archivo en : " + Destino() + " ");
    EXPECT_EQ(puertos.mensajes.mostrados[0].titulo, "Aviso al operador!!!");
    EXPECT_EQ(puertos.mensajes.mostrados[0].botones, mb::kOk | mb::kPregunta);
    EXPECT_EQ(puertos.progreso.titulos.at(0), "Generando Archivo CITI VENTAS");
    ASSERT_EQ(puertos.progreso.mensajes.size(), 26u);
    EXPECT_EQ(puertos.progreso.mensajes[0][0], "Fecha: 02/01/2013");
    EXPECT_EQ(puertos.progreso.mensajes[0][1], "101");
    EXPECT_FALSE(puertos.progreso.abierta);
}

TEST_P(ArchivoCiti, ElSeparadorDecimalNoCambiaElArchivo) {
    Abre();
    sis.db.regional = Regional::PuntoDecimal();
    Periodo("2013", 1);
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::Completo);
    EXPECT_EQ(LeeArchivo(Destino()), Golden("enero2013.txt"));
}

TEST_P(ArchivoCiti, ElNetoSeRedondeaALosDecimalesConfigurados) {
    Abre();
    sis.CantidadDecimales = "1";
    Periodo("2013", 1);
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::Completo);
    if (std::getenv("TAMARIS_GOLDEN_ACTUALIZAR")) {
        std::ofstream(std::string(TAMARIS_TEST_DIR) + prueba_sistema::kBarra +
                          "export_citi/golden/enero2013_un_decimal.txt",
                      std::ios::binary)
            << LeeArchivo(Destino());
    }
    EXPECT_EQ(LeeArchivo(Destino()), Golden("enero2013_un_decimal.txt"));
}

TEST_P(ArchivoCiti, ReemplazaElArchivoAnterior) {
    Abre();
    std::ofstream(Destino(), std::ios::binary) << "anterior\r\n";
    Periodo("2013", 1);
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::Completo);
    EXPECT_EQ(LeeArchivo(Destino()), Golden("enero2013.txt"));
    // A second run for the same month writes the same name again.
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::Completo);
    EXPECT_EQ(LeeArchivo(Destino()), Golden("enero2013.txt"));
    EXPECT_EQ(Entradas(carpeta), "ENE013.TXT");
}

TEST_P(ArchivoCiti, SinCarpetaNoEscribeNadaNiAvisa) {
    Abre();
    puertos.carpetas.respuestaDefecto = std::nullopt;
    Periodo("2013", 1);
    const ResultadoCiti r = form.ActualizarDatos();
    EXPECT_EQ(r.estado, Estado::SinCarpeta);
    EXPECT_EQ(r.archivo, "");
    EXPECT_EQ(Entradas(carpeta), "");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    EXPECT_FALSE(puertos.progreso.abierta);
}

TEST_P(ArchivoCiti, MesSinDatos) {
    Abre();
    Periodo("2013", 3);
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::SinDatos);
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    EXPECT_EQ(puertos.mensajes.mostrados[0].texto, "NO HAY DATOS PARA LISTAR!!!");
    EXPECT_EQ(puertos.mensajes.mostrados[0].titulo, "Aviso al operador!!!");
    EXPECT_EQ(puertos.mensajes.mostrados[0].botones, mb::kOk | mb::kCritico);
    EXPECT_TRUE(puertos.carpetas.titulos.empty());
    EXPECT_EQ(Entradas(carpeta), "");
}

TEST_P(ArchivoCiti, SinMesElegidoDespuesDeUnMesConsultaSinFechas) {
    Abre();
    Periodo("2013", 1);
    form.SeleccionaMes(0);
    EXPECT_EQ(form.Campo("FECHA_DESDE"), "");
    EXPECT_EQ(form.cmbCuatrimestre.Tag, "ENE");
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::SinDatos);
    EXPECT_EQ(puertos.mensajes.Ultimo(), "NO HAY DATOS PARA LISTAR!!!");
}

TEST_P(ArchivoCiti, FebreroDeUnAnioBisiestoIncluyeEl29) {
    Abre({{"2012-02-29", "FC", "A", "1", "1", "30-71234567-1", "80", "Bisiesto", "121.00", "0", "0",
           "21.00", "0", "0", "0", "21", "10.5", "27"}});
    form.SetCampo("AÑO", "2012");
    ASSERT_TRUE(form.SeleccionaMes(2));
    EXPECT_EQ(form.Campo("FECHA_HASTA"), "29/02/2012");
    const ResultadoCiti r = form.ActualizarDatos();
    EXPECT_EQ(r.estado, Estado::Completo);
    EXPECT_EQ(r.archivo, carpeta + prueba_sistema::kBarra + "FEB012.TXT");
    EXPECT_EQ(r.registros, 1);
}

// Every VAT column that is not zero is filed from its own amount and rate; a name with control
// characters and Windows-1252 bytes keeps the record's 400 bytes.
TEST_P(ArchivoCiti, CadaColumnaDeIvaDistintaDeCeroEsUnaLinea) {
    Abre({{"2013-01-02", "FC", "A", "1", "1", "30-71234567-1", "80", "Salteada", "2000.00", "0",
           "0", "100.00", "0", "50.00", "20.00", "21", "10.5", "27"},
          {"2013-01-03", "NC", "A", "1", "2", "30-71234567-1", "80", "Nota", "-1310.00", "0", "0",
           "-210.00", "-105.00", "0", "0", "21", "10.5", "27"}},
         "UPDATE LIBROIVAVENTAS SET CABNOMBRE = 'Dos' || char(13) || char(10) || 'renglones' || "
         "CAST(x'C9' AS TEXT) WHERE Numero = 2");
    Periodo("2013", 1);
    const ResultadoCiti r = form.ActualizarDatos();
    ASSERT_EQ(r.estado, Estado::Completo);
    EXPECT_EQ(r.registros, 5);
    const std::string bytes = LeeArchivo(Destino());
    ASSERT_EQ(bytes.size(), 5u * 400u);
    struct Linea {
        std::string neto, codigo, iva, lineas;
    };
    const Linea esperadas[] = {
        {"000000000047619", "2100", "000000000010000", "3"},  // column 1
        {"000000000018519", "2700", "000000000005000", "3"},  // column 3, with its own rate
        {"000000000000000", "0000", "000000000002000", "3"},  // column 4
        {"000000000100000", "2100", "000000000021000", "2"},  // a credit note's negative VAT
        {"000000000100000", "1050", "000000000010500", "2"},
    };
    for (std::size_t k = 0; k < std::size(esperadas); ++k) {
        const std::string reg = bytes.substr(k * 400, 400);
        EXPECT_EQ(reg.substr(129, 15), esperadas[k].neto) << k;
        EXPECT_EQ(reg.substr(144, 4), esperadas[k].codigo) << k;
        EXPECT_EQ(reg.substr(148, 15), esperadas[k].iva) << k;
        EXPECT_EQ(reg.substr(268, 1), esperadas[k].lineas) << k;
        EXPECT_EQ(reg.substr(398), "\r\n") << k;
    }
    EXPECT_EQ(bytes.substr(3 * 400 + 69, 30), "Dos  renglones\xC9" + std::string(15, ' '));
}

// Two good vouchers around one whose second VAT amount has no rate.
std::vector<FilaLibroIva> ConAlicuotaCero() {
    return {
        {"2013-01-02", "FC", "A", "1", "101", "30-71234567-1", "80", "Distribuidora Ñandú S.A.",
         "1210.00", "0", "0", "210.00", "0", "0", "0", "21", "10.5", "27"},
        {"2013-01-10", "FC", "A", "1", "500", "30-71234567-1", "80", "Sin alícuota", "1331.00", "0",
         "0", "210.00", "21.00", "0", "0", "21", "0", "27"},
        {"2013-01-20", "FC", "C", "4", "3001", "", "99", "Exento", "500.00", "0", "500.00", "0",
         "0", "0", "0", "0", "0", "0"},
    };
}

TEST_P(ArchivoCiti, IvaSinAlicuotaSeInformaYSePuedeSaltear) {
    Abre(ConAlicuotaCero());
    Periodo("2013", 1);
    puertos.errores.respuestas = {kIgnorar};
    const ResultadoCiti r = form.ActualizarDatos();
    EXPECT_EQ(r.estado, Estado::Completo);
    EXPECT_EQ(r.comprobantes, 2);
    EXPECT_EQ(r.omitidos, 1);
    ASSERT_EQ(puertos.errores.reportados.size(), 1u);
    const auto& e = puertos.errores.reportados[0];
    EXPECT_EQ(e.rutina, "ActualizarDatos");
    EXPECT_EQ(e.error.Numero, 11);
    EXPECT_NE(e.error.Descripcion.find("FC A 500 del 10/01/2013"), std::string::npos)
        << e.error.Descripcion;
    EXPECT_NE(e.error.Descripcion.find("liva_aliciva2"), std::string::npos);
    // The first and third vouchers, as the whole month's file writes such vouchers.
    const std::string bytes = LeeArchivo(Destino());
    ASSERT_EQ(bytes.size(), 800u);
    EXPECT_EQ(bytes.substr(0, 400), Golden("enero2013.txt").substr(0, 400));
    EXPECT_EQ(bytes.substr(400, 9), "120130120");
    EXPECT_FALSE(puertos.progreso.abierta);
}

TEST_P(ArchivoCiti, AbandonarDejaElArchivoAnteriorYLaCarpetaComoEstaban) {
    Abre(ConAlicuotaCero());
    std::ofstream(Destino(), std::ios::binary) << "anterior\r\n";
    Periodo("2013", 1);
    puertos.errores.respuestas = {kReintentar, mb::kAbortar};
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::Abandonado);
    EXPECT_EQ(puertos.errores.reportados.size(), 2u);
    EXPECT_EQ(LeeArchivo(Destino()), "anterior\r\n");
    EXPECT_EQ(Entradas(carpeta), "ENE013.TXT");
    EXPECT_TRUE(puertos.carpetas.titulos.empty());
    EXPECT_FALSE(puertos.progreso.abierta);
}

TEST_P(ArchivoCiti, UnNuloDondeHaceFaltaNombraElComprobante) {
    auto filas = ConAlicuotaCero();
    filas[1].alicuota2 = "10.5";
    filas[1].cabcuit = nullptr;
    Abre(filas);
    Periodo("2013", 1);
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::Abandonado);
    ASSERT_EQ(puertos.errores.reportados.size(), 1u);
    const auto& e = puertos.errores.reportados[0].error;
    EXPECT_EQ(e.Numero, 94);
    EXPECT_NE(e.Descripcion.find("CUIT del cliente"), std::string::npos) << e.Descripcion;
    EXPECT_NE(e.Descripcion.find("FC A 500 del 10/01/2013"), std::string::npos);
    EXPECT_EQ(Entradas(carpeta), "");
}

TEST_P(ArchivoCiti, DestinoQueNoSePuedeEscribir) {
    Abre();
    // A folder stands where the file should go.
    std::filesystem::create_directory(Destino());
    Periodo("2013", 1);
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::Abandonado);
    ASSERT_EQ(puertos.errores.reportados.size(), 1u);
    EXPECT_EQ(puertos.errores.reportados[0].rutina, "ActualizarDatos");
    EXPECT_EQ(Entradas(carpeta), "ENE013.TXT");
    EXPECT_TRUE(std::filesystem::is_directory(Destino()));
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(ArchivoCiti, CodigoUnoQueNoEsCuitNoControlaElDigito) {
    // Without code 1 among the CUIT types, rule B only asks for a non-zero identifier.
    Abre({{"2013-01-06", "FC", "B", "3", "2002", "20-12345678-0", "80", "Mal escrito", "121.00",
           "0", "0", "21.00", "0", "0", "0", "21", "10.5", "27"}});
    prueba::EjecutaSqlite(base,
                          "UPDATE TA_TIPODOCUMENTO SET Descripcion = 'DNI' WHERE Codigo = '1'");
    Periodo("2013", 1);
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::Completo);
    EXPECT_EQ(LeeArchivo(Destino()).substr(56, 13), "8020123456780");
}

INSTANTIATE_TEST_SUITE_P(Accesos, ArchivoCiti, ::testing::Values(kNativo, kOdbc),
                         [](const ::testing::TestParamInfo<Acceso>& i) {
                             return std::string(i.param.nombre);
                         });

}  // namespace
}  // namespace tamaris
