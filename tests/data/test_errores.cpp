// The global module's error treatment (dialog and TMERR.LOG line) and the AUX_ERR rows.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "BasesPrueba.h"
#include "PuertosPrueba.h"
#include "app/Sistema.h"
#include "components/CarpetaTemporal.h"
#include "components/Estacion.h"
#include "components/Texto.h"
#include "data/DB_Dll.h"
#include "data/Errores.h"
#include "soporte/BaseDePrueba.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using prueba::CarpetaTemporal;
using prueba::LeeBytes;

using EntornoFijado = prueba_sistema::VariableEntorno;

// Splits the log into its lines (each ended by CR LF) and checks that each one starts with the
// date and time and goes on exactly with the expected bytes.
void VerificaLog(const std::string& bytes, const std::vector<std::string>& restos) {
    static const std::regex fechaHora(R"(\d{2}/\d{2}/\d{4} \d{2}:\d{2}:\d{2})");
    std::vector<std::string> lineas;
    std::size_t desde = 0;
    for (std::size_t p; (p = bytes.find("\r\n", desde)) != std::string::npos; desde = p + 2)
        lineas.push_back(bytes.substr(desde, p - desde));
    EXPECT_EQ(desde, bytes.size()) << "resto sin CR LF";
    ASSERT_EQ(lineas.size(), restos.size()) << bytes;
    for (std::size_t i = 0; i < lineas.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_GE(lineas[i].size(), 19u);
        EXPECT_TRUE(std::regex_match(lineas[i].substr(0, 19), fechaHora)) << lineas[i];
        EXPECT_EQ(lineas[i].substr(19), restos[i]);
    }
}

class TrataErrorPrueba : public ::testing::Test {
  protected:
    CarpetaTemporal tmp;
    std::string home = tmp / "home";
    std::string temporal = tmp / "temporal";
    EntornoFijado envHome{"TAMARIS_HOME", home.c_str()};
    EntornoFijado envTemp{"TEMP", "/var/tmp"};
    EntornoFijado envTmp{"TMP", temporal.c_str()};
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};

    void SetUp() override { std::filesystem::create_directories(temporal); }
    std::string LogTemporal() { return LeeBytes(temporal + prueba_sistema::kBarra + "TMERR.LOG"); }
};

TEST_F(TrataErrorPrueba, MuestraElErrorYAnexaLaLinea) {
    puertos.mensajes.respuestas = {mb::kReintentar};
    const int r = TrataError(sis, {13, " No coinciden los tipos ", "percepciones"}, std::nullopt,
                             std::string("Cfg"));
    EXPECT_EQ(r, mb::kReintentar);
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    const auto& m = puertos.mensajes.mostrados[0];
    EXPECT_EQ(m.texto, "Ha ocurrido el Siguiente Error (13) No coinciden los tipos");
    EXPECT_EQ(m.botones, 18);
    EXPECT_EQ(m.titulo, "percepciones - Cfg Aviso al operador!!! ");
    VerificaLog(LogTemporal(), {" Rutina: - Cfg Mensaje Ha ocurrido el Siguiente Error (13) No "
                                "coinciden los tipos Respondi\xF3 : Reintentar"});
    EXPECT_EQ(RutaLogErrores(), temporal + prueba_sistema::kBarra + "TMERR.LOG");
}

TEST_F(TrataErrorPrueba, TextoDeCadaRespuesta) {
    const struct {
        int respuesta;
        std::string texto;
    } casos[] = {{mb::kReintentar, "Reintentar"},
                 {mb::kIgnorar, "Ignorar"},
                 {mb::kAbortar, "Abortar"},
                 {mb::kCancelar, "Cancelar"},
                 {mb::kSi, "S\xED"},
                 {mb::kNo, "No"},
                 {mb::kAceptar, ""}};
    std::vector<std::string> esperadas;
    for (const auto& c : casos) {
        puertos.mensajes.respuestas = {c.respuesta};
        EXPECT_EQ(TrataError(sis, {5, "Argumento", "x"}, 0, std::string("R")), c.respuesta);
        esperadas.push_back(
            " Rutina: - R Mensaje Ha ocurrido el Siguiente Error (5) Argumento Respondi\xF3 : " +
            c.texto);
    }
    VerificaLog(LogTemporal(), esperadas);
}

TEST_F(TrataErrorPrueba, NumeroCeroNoMuestraNiRegistra) {
    EXPECT_EQ(TrataError(sis, {0, "nada", "x"}, std::nullopt, std::string("Cfg")), 0);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    EXPECT_EQ(LogTemporal(), "");
}

TEST_F(TrataErrorPrueba, BotonesDadosYSinRutina) {
    puertos.mensajes.respuestas = {mb::kNo};
    EXPECT_EQ(TrataError(sis, {57, "E/S", "ArchivoTexto"}, mb::kSiNo | mb::kPregunta), mb::kNo);
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    EXPECT_EQ(puertos.mensajes.mostrados[0].botones, 36);
    EXPECT_EQ(puertos.mensajes.mostrados[0].titulo, "ArchivoTexto Aviso al operador!!! ");
    VerificaLog(LogTemporal(),
                {" Rutina:  Mensaje Ha ocurrido el Siguiente Error (57) E/S Respondi\xF3 : No"});
}

TEST_F(TrataErrorPrueba, RutinaAbrirRecordset) {
    puertos.mensajes.respuestas = {mb::kAbortar};
    EXPECT_EQ(TrataError(sis, {3021, "Sin registro", "ADODB.Recordset"}, std::nullopt,
                         std::string("AbrirRecordset")),
              mb::kAbortar);
    EXPECT_EQ(puertos.mensajes.mostrados.at(0).titulo,
              "ADODB.Recordset - AbrirRecordset Aviso al operador!!! ");
    VerificaLog(LogTemporal(), {" Rutina: - AbrirRecordset Mensaje Ha ocurrido el Siguiente Error "
                                "(3021) Sin registro Respondi\xF3 : Abortar"});
}

TEST_F(TrataErrorPrueba, CarpetaDelRegistroSegunTempYTmp) {
    const std::string defecto = Estacion::CarpetaDefecto() + "TMERR.LOG";
    EXPECT_EQ(defecto, home + prueba_sistema::kBarra + "TMERR.LOG");
    const std::string conBarra = temporal + prueba_sistema::kBarra;
    const struct {
        const char* temp;
        const char* tmp;
        std::string ruta;
    } casos[] = {
        {nullptr, temporal.c_str(), defecto},  // TEMP unset: TMP is not looked at
        {"", temporal.c_str(), defecto},
        {"/var/tmp", temporal.c_str(), temporal + prueba_sistema::kBarra + "TMERR.LOG"},
        {"/var/tmp", conBarra.c_str(), temporal + prueba_sistema::kBarra + "TMERR.LOG"},
        {"/var/tmp", nullptr, defecto},
        {"/var/tmp", "   ", defecto},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.temp ? c.temp : "(sin TEMP)") + " / " +
                     (c.tmp ? c.tmp : "(sin TMP)"));
        envTemp.Pon(c.temp);
        envTmp.Pon(c.tmp);
        EXPECT_EQ(RutaLogErrores(), c.ruta);
        std::filesystem::remove(c.ruta);
        puertos.mensajes.respuestas = {mb::kIgnorar};
        EXPECT_EQ(TrataError(sis, {91, "Objeto", "x"}, std::nullopt, std::string("P")),
                  mb::kIgnorar);
        VerificaLog(LeeBytes(c.ruta),
                    {" Rutina: - P Mensaje Ha ocurrido el Siguiente Error (91) Objeto "
                     "Respondi\xF3 : Ignorar"});
    }
}

TEST_F(TrataErrorPrueba, RegistroQueNoSePuedeAbrirFallaAntesDeMostrar) {
    const std::string falta = tmp / "no/existe";
    envTmp.Pon(falta.c_str());
    try {
        TrataError(sis, {13, "Tipos", "x"}, std::nullopt, std::string("Cfg"));
        ADD_FAILURE() << "no falló";
    } catch (const ErrorTamaris& e) {
        EXPECT_EQ(e.Numero(), err::kRutaNoEncontrada);
    }
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_F(TrataErrorPrueba, LasClavesNoLleganAlMensajeNiAlRegistro) {
    puertos.mensajes.respuestas = {mb::kAbortar};
    TrataError(sis,
               {-2147467259, "No se pudo abrir PROVIDER=SQLOLEDB;Server=S;UId=sa;Pwd=secreta;",
                "Proveedor de datos"},
               std::nullopt, std::string("Cfg"));
    const std::string texto = puertos.mensajes.mostrados.at(0).texto;
    EXPECT_EQ(texto.find("secreta"), std::string::npos) << texto;
    EXPECT_NE(texto.find("Pwd=****;"), std::string::npos) << texto;
    const std::string log = LogTemporal();
    EXPECT_EQ(log.find("secreta"), std::string::npos) << log;
    EXPECT_NE(
        log.find("(-2147467259) No se pudo abrir PROVIDER=SQLOLEDB;Server=S;UId=sa;Pwd=****;"),
        std::string::npos)
        << log;
}

// The data-access object's own treatment writes where ArchivoErrores says.
TEST_F(TrataErrorPrueba, ArchivoErroresDelObjetoDeDatos) {
    const std::string propio = tmp / "propio.log";
    sis.db.SetArchivoErrores(Variant(propio));
    EXPECT_EQ(sis.db.ArchivoErrores(), propio);
    puertos.mensajes.respuestas = {mb::kReintentar};
    EXPECT_EQ(sis.db.TratamientoErrores({3704, "Cerrado", "ADODB.Connection"}, std::nullopt,
                                        std::string("CierraRecordset")),
              mb::kReintentar);
    VerificaLog(LeeBytes(propio), {" Rutina: - CierraRecordset Mensaje Ha ocurrido el Siguiente "
                                   "Error (3704) Cerrado Respondi\xF3 : Reintentar"});
    EXPECT_EQ(LogTemporal(), "");
    EXPECT_FALSE(std::filesystem::exists(home + prueba_sistema::kBarra + "TMERR.LOG"));
}

// ---- RegistraErrorAux, on both backends ----

// The columns of the AUX_ERR rows as text, read straight from the file.
std::vector<std::vector<std::string>> FilasAux(const std::string& archivo) {
    std::vector<std::vector<std::string>> filas;
    sqlite3* h = nullptr;
    sqlite3_open_v2(archivo.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h,
                           "SELECT Proceso, Fecha, Error, Descripcion, SQL, PC, Usuario FROM "
                           "AUX_ERR ORDER BY ID",
                           -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::vector<std::string> f;
            for (int c = 0; c < 7; ++c) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                f.emplace_back(t ? t : "(null)");
            }
            filas.push_back(std::move(f));
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return filas;
}

class RegistraErrorAuxPrueba : public ::testing::TestWithParam<prueba::Acceso> {
  protected:
    void SetUp() override {
        ::prueba::CreaBaseConEsquema(base);
        sis.db.OpenServerADODB(false, adUseClient, GetParam().cadena(base), false, true);
        ASSERT_TRUE(sis.db.gCnn().Abierta());
        sis.db.gUsuario = "operador";
    }
    void SinRastro() {
        EXPECT_TRUE(puertos.mensajes.mostrados.empty());
        EXPECT_FALSE(std::filesystem::exists(home + prueba_sistema::kBarra + "TMERR.LOG"));
        EXPECT_FALSE(std::filesystem::exists(RutaLogErrores()));
    }

    CarpetaTemporal tmp;
    std::string home = tmp / "home";
    std::string base = tmp / "suite.db";
    EntornoFijado envHome{"TAMARIS_HOME", home.c_str()};
    EntornoFijado envTemp{"TEMP", nullptr};
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
};

TEST_P(RegistraErrorAuxPrueba, EscribeUnaFila) {
    std::string proceso = "Percepciones";
    RegistraErrorAux(sis, "SELECT * FROM X", proceso, -2147217900, "Sintaxis incorrecta");
    const auto filas = FilasAux(base);
    ASSERT_EQ(filas.size(), 1u);
    const auto& f = filas[0];
    EXPECT_EQ(f[0], "Percepciones");
    EXPECT_TRUE(std::regex_match(f[1], std::regex(R"(\d{2}/\d{2}/\d{2} \d{2}:\d{2})"))) << f[1];
    EXPECT_EQ(f[2], "-2147217900");
    EXPECT_EQ(f[3], "Sintaxis incorrecta" + std::string(250 - 19, ' '));
    EXPECT_EQ(f[4], "SELECT * FROM X");
    EXPECT_EQ(f[5], Estacion::NombreMaquina());
    EXPECT_EQ(f[6], "operador");
    EXPECT_EQ(proceso, "Percepciones");
    SinRastro();
}

TEST_P(RegistraErrorAuxPrueba, DescripcionLargaSeAjustaA250) {
    std::string proceso = "P";
    std::string larga;
    for (int i = 0; i < 30; ++i) larga += "Línea " + std::to_string(i) + " del error; ";
    ASSERT_GT(Largo(larga), 250u);
    RegistraErrorAux(sis, "", proceso, 1, larga);
    const auto filas = FilasAux(base);
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(Largo(filas[0][3]), 250u);
    EXPECT_EQ(filas[0][3], LimitaAncho(larga, 250));
    EXPECT_TRUE(larga.starts_with(filas[0][3]));
}

TEST_P(RegistraErrorAuxPrueba, ProcesoVacioEsElNombreDelPrograma) {
    std::string proceso;
    RegistraErrorAux(sis, "X", proceso, 2627, "Clave duplicada");
    EXPECT_EQ(proceso, NombrePrograma());
    EXPECT_FALSE(proceso.empty());
    const auto filas = FilasAux(base);
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0][0], proceso);
}

TEST_P(RegistraErrorAuxPrueba, SinTablaNoDejaRastro) {
    prueba::SqlDirecto(base, "DROP TABLE AUX_ERR");
    std::string proceso = "P";
    RegistraErrorAux(sis, "X", proceso, 5, "Argumento");
    SinRastro();
    EXPECT_TRUE(sis.db.gCnn().Abierta());
}

TEST_P(RegistraErrorAuxPrueba, SinConexionNoDejaRastro) {
    sis.db.gCnn().Close();
    std::string proceso = "P";
    RegistraErrorAux(sis, "X", proceso, 5, "Argumento");
    SinRastro();
    EXPECT_TRUE(FilasAux(base).empty());
}

TEST_P(RegistraErrorAuxPrueba, LasClavesNoLleganALaFila) {
    std::string proceso = "P";
    RegistraErrorAux(sis, "DRIVER={SQLite3};Database=x;PWD=clave1;", proceso, 5,
                     "Falló Provider=SQLOLEDB;Server=S;UId=sa;Password=clave2;");
    const auto filas = FilasAux(base);
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0][3].find("clave2"), std::string::npos);
    EXPECT_TRUE(filas[0][3].starts_with("Falló Provider=SQLOLEDB;Server=S;UId=sa;Password=****;"))
        << filas[0][3];
    EXPECT_EQ(filas[0][4], "DRIVER={SQLite3};Database=x;PWD=****;");
}

TEST_P(RegistraErrorAuxPrueba, VariasFilasSeguidas) {
    for (long n : {1L, 2L, 3L}) {
        std::string proceso = "P" + std::to_string(n);
        RegistraErrorAux(sis, "S", proceso, n, "D");
    }
    const auto filas = FilasAux(base);
    ASSERT_EQ(filas.size(), 3u);
    EXPECT_EQ(filas[2][0], "P3");
    EXPECT_EQ(filas[2][2], "3");
}

INSTANTIATE_TEST_SUITE_P(Motores, RegistraErrorAuxPrueba,
                         ::testing::Values(prueba::kNativo, prueba::kOdbc), prueba::NombreAcceso);

}  // namespace
}  // namespace tamaris
