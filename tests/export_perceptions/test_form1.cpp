// The perception form driven headless: the export job's outcomes and failure answers, the
// toolbar, the lookup command and the destination dialog.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "components/Pasos.h"
#include "data/PuertosPrueba.h"
#include "export_perceptions/Form1.h"
#include "soporte/Percepciones.h"

namespace tamaris {
namespace {

using prueba::ArchivoEsperado;
using prueba::LeeArchivo;
using Estado = ResultadoExportacion::Estado;

class Form1Prueba : public ::testing::Test {
  protected:
    void SetUp() override {
        prueba::CreaBasePercepciones(base);
        db.gProveedor = DB_Dll::pJETOLEDB40();
        db.gDBName = base;
        db.OpenLocalADODB("", "User ID", "Jet OLEDB:Database Password");
        ASSERT_TRUE(db.gCnn().Abierta());
        db.gOpenFlag = true;
        form.Load();
        form.SetCampo("Archivo", destino);
    }
    void Anterior() { std::ofstream(destino, std::ios::binary) << "anterior\r\n"; }

    prueba::CarpetaTemporal tmp;
    std::string base = tmp / "suite.db";
    std::string destino = tmp / "perc.txt";
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
    Form1 form{puertos.ui(), db};
};

TEST_F(Form1Prueba, GrabarEscribeYCierraElProgreso) {
    form.opciones.cuentaFilas = true;
    form.Kitobar1_ButtonClick("grabar");
    const auto& r = form.UltimoResultado();
    EXPECT_EQ(r.estado, Estado::Completo);
    EXPECT_EQ(r.comprobantes, 6);
    EXPECT_EQ(LeeArchivo(destino), ArchivoEsperado({0, 1, 2, 5, 6, 7}));
    EXPECT_FALSE(puertos.progreso.abierta);
    EXPECT_EQ(puertos.progreso.titulos.front(), "Procesando");
    ASSERT_GE(puertos.progreso.mensajes.size(), 2u);
    EXPECT_EQ(puertos.progreso.mensajes[0][0], "Procesando...");
    EXPECT_EQ(puertos.progreso.mensajes[0][1], "Espere porfavor...");
    EXPECT_EQ(puertos.progreso.mensajes[1][0], "Creando Archivo");
    // The rows were counted first, for a bar; the record's type code (" 1") is no progress.
    EXPECT_EQ(puertos.progreso.mensajes.size(), 2u);
    EXPECT_EQ(puertos.progreso.total, 6);
    EXPECT_EQ(puertos.progreso.ultimoAvance, 6);
    EXPECT_TRUE(puertos.errores.reportados.empty());
}

TEST_F(Form1Prueba, CanceladoDejaElAnteriorYNingunTemporal) {
    for (long tras : {0L, 2L}) {
        SCOPED_TRACE(tras);
        Anterior();
        puertos.progreso = {};
        puertos.progreso.cancelaTras = tras;
        form.Kitobar1_ButtonClick("GRABAR");
        EXPECT_EQ(form.UltimoResultado().estado, Estado::Cancelado);
        EXPECT_EQ(puertos.progreso.avances, tras);
        EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
        EXPECT_FALSE(puertos.progreso.abierta);
        for (const auto& e : std::filesystem::directory_iterator(tmp.ruta())) {
            const std::string n = e.path().filename().string();
            EXPECT_TRUE(n == "suite.db" || n == "perc.txt") << n;
        }
    }
}

TEST_F(Form1Prueba, RespuestasAnteUnComprobanteQueFalla) {
    prueba::EjecutaSqlite(base, "UPDATE MV_ASIENTOS SET cabcuit = NULL WHERE NUMERO = 7");
    struct Caso {
        std::vector<int> respuestas;
        Estado estado;
        int reportes;
        std::string archivo;  // expected contents afterwards
    };
    const Caso casos[] = {
        // Ignore skips the voucher and goes on.
        {{kIgnorar}, Estado::Completo, 1, ArchivoEsperado({0, 1, 5, 6, 7})},
        // Retry runs the same step again; it fails again, then is ignored.
        {{kReintentar, kIgnorar}, Estado::Completo, 2, ArchivoEsperado({0, 1, 5, 6, 7})},
        // Abandon leaves the older file exactly as it was.
        {{mb::kAbortar}, Estado::Abandonado, 1, "anterior\r\n"},
    };
    for (const auto& c : casos) {
        Anterior();
        puertos.errores.reportados.clear();
        puertos.errores.respuestas.assign(c.respuestas.begin(), c.respuestas.end());
        const ResultadoExportacion r = form.ActualizarDatos();
        EXPECT_EQ(r.estado, c.estado);
        ASSERT_EQ(static_cast<int>(puertos.errores.reportados.size()), c.reportes);
        EXPECT_EQ(puertos.errores.reportados[0].error.Numero, 94);
        EXPECT_EQ(puertos.errores.reportados[0].rutina, "ActualizarDatos");
        EXPECT_EQ(LeeArchivo(destino), c.archivo);
        EXPECT_FALSE(puertos.progreso.abierta);
    }
    EXPECT_EQ(form.UltimoResultado().estado, Estado::Abandonado);
}

TEST_F(Form1Prueba, SinComprobantesBorraElAnteriorEnSilencio) {
    Anterior();
    form.SetCampo("FechaDesde", "01/01/2030");
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::SinComprobantes);
    EXPECT_FALSE(std::filesystem::exists(destino));
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    EXPECT_FALSE(puertos.progreso.abierta);
}

TEST_F(Form1Prueba, FechaInvalidaAvisaSinTocarNada) {
    Anterior();
    form.SetCampo("FechaHasta", " 31/02/2013 ");
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::DatosInvalidos);
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    EXPECT_EQ(puertos.mensajes.mostrados[0].titulo, "AVISO AL OPERADOR");
    EXPECT_NE(puertos.mensajes.Ultimo().find("31/02/2013"), std::string::npos);
    EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
    EXPECT_FALSE(puertos.progreso.abierta);
}

TEST_F(Form1Prueba, ConsultaQueNoAbreSeReportaYNoBorraNada) {
    Anterior();
    prueba::EjecutaSqlite(base, "DROP TABLE MV_ASIENTOS");
    puertos.mensajes.respuestaDefecto = mb::kAbortar;
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::Abandonado);
    // The data-access object's own treatment showed the provider's error first.
    ASSERT_FALSE(puertos.mensajes.mostrados.empty());
    EXPECT_NE(puertos.mensajes.mostrados[0].titulo.find("AbrirRecordset"), std::string::npos);
    EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
}

TEST_F(Form1Prueba, BotonesDeLaBarra) {
    EXPECT_FALSE(form.Kitobar1.nuevoenabled);
    EXPECT_FALSE(form.Kitobar1.borrarenabled);
    EXPECT_TRUE(form.Kitobar1.grabarenabled);
    EXPECT_TRUE(form.Kitobar1.consultaenabled);
    EXPECT_TRUE(form.Kitobar1.cerrarenabled);
    for (const char* clave : {"NUEVO", "BORRAR", "OTRA"}) form.Kitobar1_ButtonClick(clave);
    EXPECT_EQ(form.UltimoResultado().estado, Estado::NoEjecutado);
    form.Kitobar1_ButtonClick("Grabar");
    EXPECT_EQ(form.UltimoResultado().estado, Estado::Completo);
    bool descargado = false;
    form.alDescargar = [&] { descargado = true; };
    form.Kitobar1_ButtonClick("cerrar");
    EXPECT_TRUE(descargado);
    EXPECT_TRUE(form.Descargado);
}

TEST_F(Form1Prueba, ConsultarSegunElCampo) {
    puertos.fechas.respuestas = {" 15/01/2013 "};
    form.txtfields_GotFocus(Form1::kFechaHasta);
    form.Kitobar1_ButtonClick("CONSULTAR");
    EXPECT_EQ(form.Campo("FechaHasta"), "15/01/2013");
    EXPECT_EQ(form.Campo("FechaDesde"), "");

    std::string sqlPedido;
    std::string respuesta;
    form.consultaCuentas = [&](const std::string& sql, const std::string& campo) {
        sqlPedido = sql;
        EXPECT_EQ(campo, "CODIGO");
        return respuesta;
    };
    form.SetCampo("Cuenta", "111");
    form.txtfields_GotFocus(Form1::kCuenta);
    form.CmdConsultar();  // closed without choosing
    EXPECT_EQ(form.Campo("Cuenta"), "111");
    EXPECT_EQ(sqlPedido, "SELECT Descripcion,Codigo FROM MA_CUENTAS order by codigo");
    respuesta = "112";
    form.CmdConsultar();
    EXPECT_EQ(form.Campo("Cuenta"), "112");

    form.txtfields_GotFocus(Form1::kArchivo);
    form.CmdConsultar();
    EXPECT_EQ(form.Campo("Archivo"), "");
}

TEST_F(Form1Prueba, DialogoDeDestino) {
    puertos.archivo.respuestas = {std::string("  /tmp/x.txt "), std::nullopt};
    form.Command1_Click();
    EXPECT_EQ(form.Campo("Archivo"), "/tmp/x.txt");
    ASSERT_EQ(puertos.archivo.mostrados.size(), 1u);
    EXPECT_EQ(puertos.archivo.mostrados[0].titulo, "Seleccionar Destino");
    EXPECT_EQ(puertos.archivo.mostrados[0].filtro, "Archivos De Texto(TXT)|*.txt");
    form.Command1_Click();  // cancelled: the field is emptied
    EXPECT_EQ(form.Campo("Archivo"), "");
    // The second time the dialog opens where the last destination is.
    ASSERT_EQ(puertos.archivo.mostrados.size(), 2u);
    EXPECT_EQ(puertos.archivo.mostrados[1].carpeta, "/tmp");
}

TEST_F(Form1Prueba, LasFechasAceptanDiezCaracteres) {
    form.txtfields[Form1::kFechaDesde].Text = "01/01/2013";
    EXPECT_EQ(form.txtfields_KeyPress(Form1::kFechaDesde, '1'), 0);
    form.txtfields[Form1::kFechaDesde].Text = "01/01/201";
    EXPECT_EQ(form.txtfields_KeyPress(Form1::kFechaDesde, '3'), '3');
    EXPECT_EQ(form.txtfields_KeyPress(Form1::kFechaDesde, 'x'), 0);
    EXPECT_EQ(form.txtfields_KeyPress(Form1::kCuenta, 'x'), 'x');
}

TEST(Form1Sentencia, Filtros) {
    const std::string base =
        "SELECT CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 1' WHEN 'NC' THEN ' 1' END AS C1,  "
        "FECHA AS C2, CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 5' WHEN 'NC' THEN ' 6' END AS "
        "C3, LETRA AS C4, NUMERO AS C5,cabcuit AS C6, liva_impnetograv as C7, '1.5' AS C8,  "
        "LIVA_Ret_IBtos AS C9 From MV_ASIENTOS  WHERE (TC IN ('fc', 'nc', 'nd')) AND "
        "(LIVA_Ret_IBtos <> 0) ";
    struct Caso {
        const char *desde, *hasta, *cuenta, *cola;
    };
    const Caso casos[] = {
        {"", "", "", ""},
        {"", "'20130201'", "", " AND  (FECHA <'20130201')"},
        {"'20130101'", "", "", " AND  (FECHA >='20130101')"},
        {"", "", "112", " AND  (CUENTA='112')"},
        {"'2013-01-01'", "'2013-02-01'", "112",
         " AND  (FECHA >='2013-01-01' AND FECHA<'2013-02-01') AND (CUENTA='112')"},
        {"", "", "O'BRIEN", " AND  (CUENTA='O''BRIEN')"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(SentenciaPercepciones(c.desde, c.hasta, c.cuenta), base + c.cola) << c.cola;
}

}  // namespace
}  // namespace tamaris
