// The perception job's check over real SQLite files, through the native backend and the SQLite
// ODBC driver: each kind of bad value is found and named, no line ever leaves its 73 bytes, a
// failed statement is told once, and the progress window closes on every way out.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/PuertosPrueba.h"
#include "export_perceptions/ExportaPercepciones.h"
#include "soporte/Percepciones.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using Estado = ResultadoExportacion::Estado;
using prueba::LeeArchivo;

using Acceso = prueba_sistema::AccesoArchivo;
const Acceso& kNativo = prueba_sistema::kAccesoNativo;
const Acceso& kOdbc = prueba_sistema::kAccesoOdbc;

class RevisionPercepciones : public ::testing::TestWithParam<Acceso> {
  protected:
    // One good invoice, changed by `cambio` (an UPDATE's SET part; empty for none).
    void Abre(const std::string& cambio) {
        prueba::CreaBaseConEsquema(base);
        prueba::InsertaAsientos(base, {{"FC", "2013-01-05", "A", "100000001", "30-71234567-1",
                                        "1500.5", "22.51", "112"}});
        if (!cambio.empty()) prueba::EjecutaSqlite(base, "UPDATE MV_ASIENTOS SET " + cambio);
        db.OpenLocalADODB(GetParam().cadena(base), "User ID", "Jet OLEDB:Database Password");
        ASSERT_TRUE(db.gCnn().Abierta());
        db.gOpenFlag = true;
    }
    ResultadoExportacion Exporta(ModoRevision modo) {
        OpcionesExportacion o;
        o.modo = modo;
        return ExportaPercepciones(db, puertos.ui(), {"", "", "", destino}, o);
    }

    prueba::CarpetaTemporal tmp;
    std::string base = tmp / "suite.db";
    std::string destino = tmp / "perc.txt";
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
};

TEST_P(RevisionPercepciones, CadaValorMaloSeNombraYLaLineaConservaSuAncho) {
    struct Caso {
        std::string cambio, hallazgo;
    };
    const Caso casos[] = {
        {"", ""},
        // Windows-1252 bytes stored by another program: one character each, no finding.
        {"LETRA = CAST(x'C9' AS TEXT), cabcuit = CAST(x'33302D37313233343536372D31' AS TEXT)", ""},
        {"cabcuit = '30-7123' || char(13) || char(10) || '4567-1'", "caracteres de control"},
        {"LETRA = 'Ω'", "Windows-1252 no admite"},
        {"LETRA = ''", "no tiene letra"},
        {"NUMERO = 1234567890123", "no cabe en 12"},
        {"NUMERO = -5", "es negativo"},
        {"liva_impnetograv = 123456789012345678", "no cabe en 15"},
        {"LIVA_Ret_IBtos = 9e999", "no es un número finito"},
        {"cabcuit = '20-1'", "el CUIT \"201\" no es válido"},
        {"cabcuit = ''", "no tiene CUIT"},
        {"FECHA = 'mañana'", "fecha"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.cambio);
        if (db.gCnn().Abierta()) db.gCnn().Close();
        std::filesystem::remove(destino);
        Abre(c.cambio);
        // The check alone writes nothing.
        const ResultadoExportacion r = Exporta(ModoRevision::Revisar);
        EXPECT_EQ(r.estado, Estado::Revisado);
        EXPECT_FALSE(std::filesystem::exists(destino));
        if (c.hallazgo.empty()) {
            EXPECT_TRUE(r.hallazgos.Vacio()) << TextoHallazgo(r.hallazgos.lista.at(0));
        } else {
            ASSERT_GE(r.hallazgos.total, 1);
            bool nombrado = false;
            for (const Hallazgo& h : r.hallazgos.lista) {
                nombrado = nombrado || h.problema.find(c.hallazgo) != std::string::npos;
                EXPECT_NE(h.comprobante.find("FC"), std::string::npos) << h.comprobante;
            }
            EXPECT_TRUE(nombrado) << TextoHallazgo(r.hallazgos.lista[0]);
        }
        // Strict mode leaves the older file as it was when anything was found.
        std::ofstream(destino, std::ios::binary) << "anterior\r\n";
        const ResultadoExportacion e = Exporta(ModoRevision::Estricto);
        EXPECT_EQ(e.estado, c.hallazgo.empty() ? Estado::Completo : Estado::Descartado);
        if (!c.hallazgo.empty()) EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
        // Written anyway, the line keeps its width and its CR LF, whatever the value held.
        const ResultadoExportacion n = Exporta(ModoRevision::Normal);
        ASSERT_EQ(n.estado, Estado::Completo);
        const std::string bytes = LeeArchivo(destino);
        ASSERT_EQ(bytes.size(), 75u) << bytes;
        EXPECT_EQ(bytes.substr(73), "\r\n");
        EXPECT_FALSE(puertos.progreso.abierta);
    }
    // The Windows-1252 letter is filed as its own byte.
    db.gCnn().Close();
    Abre("LETRA = CAST(x'C9' AS TEXT)");
    ASSERT_EQ(Exporta(ModoRevision::Normal).estado, Estado::Completo);
    EXPECT_EQ(LeeArchivo(destino).substr(14, 1), "\xC9");
}

TEST_P(RevisionPercepciones, UnaConsultaQueFallaSeInformaUnaSolaVez) {
    Abre("");
    prueba::EjecutaSqlite(base, "DROP TABLE MV_ASIENTOS");
    std::ofstream(destino, std::ios::binary) << "anterior\r\n";
    const ResultadoExportacion r = Exporta(ModoRevision::Normal);
    EXPECT_EQ(r.estado, Estado::Abandonado);
    EXPECT_EQ(puertos.errores.reportados.size() + puertos.mensajes.mostrados.size(), 1u);
    EXPECT_FALSE(puertos.progreso.abierta);
    EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
}

TEST_P(RevisionPercepciones, ElProgresoSeCierraTrasIgnorarUnFallo) {
    Abre("cabcuit = NULL");
    puertos.errores.respuestas = {kIgnorar};
    const ResultadoExportacion r = Exporta(ModoRevision::Normal);
    EXPECT_EQ(r.estado, Estado::Completo);
    EXPECT_EQ(r.omitidos, 1);
    EXPECT_EQ(puertos.errores.reportados.size(), 1u);
    EXPECT_FALSE(puertos.progreso.abierta);
}

INSTANTIATE_TEST_SUITE_P(Accesos, RevisionPercepciones, ::testing::Values(kNativo, kOdbc),
                         [](const auto& info) { return std::string(info.param.nombre); });

}  // namespace
}  // namespace tamaris
