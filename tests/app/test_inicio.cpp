// Start-up against real SQLite databases, through the native backend and through the SQLite
// ODBC driver: the connection, the common tail (lookup service, mask file, configuration,
// access log), the INI file, and every way the start-up ends the program.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>

#include "Ayudas.h"
#include "app/Inicio.h"
#include "components/Estacion.h"
#include "components/Ini.h"
#include "export_perceptions/Form1.h"
#include "soporte/Percepciones.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using prueba::Cuenta;
using prueba::LeeArchivo;
using prueba::LeeFilas;

class Inicio : public ::testing::Test {
  protected:
    void SetUp() override { prueba::BasePercepciones(base); }

    // Nothing that any shown message or the error log holds contains `texto`.
    void NadaMuestra(const std::string& texto) {
        for (const auto& m : puertos.mensajes.mostrados) {
            EXPECT_EQ(m.texto.find(texto), std::string::npos) << m.texto;
            EXPECT_EQ(m.titulo.find(texto), std::string::npos) << m.titulo;
        }
        EXPECT_EQ(LeeArchivo(hogar + prueba_sistema::kBarra + "TMERR.LOG").find(texto),
                  std::string::npos);
    }

    std::string Mascaras() const { return hogar + prueba_sistema::kBarra + "consultas.tms"; }

    prueba::CarpetaTemporal tmp;
    std::string hogar = tmp / "hogar";
    prueba::VariableEntorno home{"TAMARIS_HOME", hogar.c_str()};
    std::string base = tmp / "suite.db";
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
};

TEST_F(Inicio, ArchivoSqliteAbreYRecorreTodaLaCola) {
    EXPECT_EQ(InicioSistema(sis, false, "", CadenaArchivoLocal(base), adUseClient),
              ResultadoInicio::Iniciado);
    EXPECT_TRUE(sis.db.gOpenFlag);
    EXPECT_TRUE(sis.db.gCnn().Abierta());
    EXPECT_EQ(sis.db.gDBName, base);
    EXPECT_EQ(sis.db.gProveedor, "SQLite");
    EXPECT_EQ(sis.CarpetaAplicacion, hogar + prueba_sistema::kBarra);
    EXPECT_EQ(sis.ArchivoAyuda, hogar + prueba_sistema::kBarra + "htmlhelp/orvantis.chm");
    EXPECT_EQ(sis.settings.CarpetaAplicacion, hogar + prueba_sistema::kBarra);
    // Nothing was asked for and nothing shown.
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    EXPECT_TRUE(puertos.errores.reportados.empty());
    EXPECT_FALSE(std::filesystem::exists(hogar + prueba_sistema::kBarra + "TMERR.LOG"));

    // No statistics server for a file: the time-out stays at its default.
    EXPECT_EQ(sis.TimeOut, 360);
    EXPECT_FALSE(sis.estadisticas.gOpenFlag);
    EXPECT_EQ(sis.db.gCnn().CommandTimeout(), 360);
    EXPECT_EQ(sis.db.gCnn().IsolationLevel(), adXactReadUncommitted);

    // The lookup service.
    EXPECT_EQ(sis.consultas.gConnString, sis.db.gConnString);
    EXPECT_TRUE(sis.consultas.gUsarMascarasConsultas);
    EXPECT_EQ(sis.consultas.gRutaMascaraConsultas, Mascaras());
    EXPECT_EQ(std::filesystem::file_size(Mascaras()), 11u * 1202u);

    // Configuration and access log.
    EXPECT_EQ(sis.TablaConfiguracion, "ta_configuracion");
    EXPECT_EQ(sis.CantidadDecimales, " ");
    EXPECT_FALSE(sis.db.Confidencialidad);
    EXPECT_EQ(Cuenta(base, "Control_Acceso"), 1);
    EXPECT_EQ(sis.Caja, "1");
    EXPECT_EQ(sis.FlatToolbars, 1);
}

TEST_F(Inicio, IniOMascarasQueNoSonArchivosComunesSeAvisanYNoSeLeen) {
    SOLO_POSIX("tuberías con nombre (FIFO) y dispositivos");
#ifndef _WIN32
    std::filesystem::create_directories(hogar);
    ASSERT_EQ(::mkfifo((hogar + prueba_sistema::kBarra + "QX000pr.INI").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", Mascaras());
    // A FIFO would hang the start and /dev/zero fill the memory: both are only reported.
    EXPECT_EQ(InicioSistema(sis, true, "", CadenaArchivoLocal(base), adUseClient),
              ResultadoInicio::Iniciado);
    EXPECT_TRUE(sis.db.gOpenFlag);
    EXPECT_EQ(sis.FlatToolbars, 1);
    EXPECT_EQ(Cuenta(base, "Control_Acceso"), 1);
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 2u);
    EXPECT_NE(puertos.mensajes.mostrados[0].texto.find("tubería"), std::string::npos);
    EXPECT_NE(puertos.mensajes.mostrados[1].texto.find("dispositivo"), std::string::npos);
#endif
}

TEST_F(Inicio, CadenaJetTambienEsUnArchivoLocal) {
    EXPECT_EQ(
        InicioSistema(sis, false, "", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + base + ";",
                      adUseClient),
        ResultadoInicio::Iniciado);
    EXPECT_TRUE(sis.db.gOpenFlag);
    EXPECT_EQ(sis.db.gDBName, base);
    EXPECT_EQ(Cuenta(base, "Control_Acceso"), 1);
}

TEST_F(Inicio, ArchivoInexistenteTerminaConAviso) {
    const std::string falta = tmp / "no_existe.db";
    EXPECT_EQ(InicioSistema(sis, false, "", CadenaArchivoLocal(falta), adUseClient),
              ResultadoInicio::SinConexion);
    EXPECT_FALSE(sis.db.gOpenFlag);
    EXPECT_FALSE(std::filesystem::exists(falta));
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    EXPECT_NE(puertos.mensajes.Ultimo().find("no_existe.db"), std::string::npos);
    // Nothing was asked: the string names the file.
    EXPECT_TRUE(puertos.archivo.mostrados.empty());
}

TEST_F(Inicio, LeeLaConfiguracionDeLaBase) {
    prueba::EjecutaSqlite(base,
                          "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                          "('CANTIDADDECIMALES', '3'), ('SS_CONFIDENCIALIDAD', ' si ')");
    ASSERT_EQ(InicioSistema(sis, false, "", CadenaArchivoLocal(base), adUseClient),
              ResultadoInicio::Iniciado);
    EXPECT_EQ(sis.CantidadDecimales, "3");
    EXPECT_EQ(sis.Confidencialidad, "si");
    EXPECT_TRUE(sis.db.Confidencialidad);
}

TEST_F(Inicio, SinTablasOpcionalesIgualIniciaYExporta) {
    prueba::EjecutaSqlite(base,
                          "DROP TABLE Control_Acceso; DROP TABLE TA_CONFIGURACION; "
                          "DROP TABLE AUX_ERR; DROP TABLE TA_TAREAS; DROP TABLE TA_MENU;");
    ASSERT_EQ(InicioSistema(sis, false, "", CadenaArchivoLocal(base), adUseClient),
              ResultadoInicio::Iniciado);
    EXPECT_TRUE(sis.db.gOpenFlag);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty()) << puertos.mensajes.Ultimo();
    EXPECT_FALSE(std::filesystem::exists(hogar + prueba_sistema::kBarra + "TMERR.LOG"));
    EXPECT_EQ(sis.CantidadDecimales, "");
    EXPECT_EQ(std::filesystem::file_size(Mascaras()), 11u * 1202u);

    Form1 form(puertos.ui(), sis.db);
    form.Load();
    form.SetCampo("Archivo", tmp / "perc.txt");
    form.Kitobar1_ButtonClick("GRABAR");
    EXPECT_EQ(form.UltimoResultado().estado, ResultadoExportacion::Estado::Completo);
    EXPECT_EQ(LeeArchivo(tmp / "perc.txt"), prueba::ArchivoEsperado({0, 1, 2, 5, 6, 7}));
}

TEST_F(Inicio, UnArchivoDeMascarasExistenteNoSeToca) {
    std::filesystem::create_directories(hogar);
    { std::ofstream(Mascaras(), std::ios::binary) << "propio"; }
    ASSERT_EQ(InicioSistema(sis, false, "", CadenaArchivoLocal(base), adUseClient),
              ResultadoInicio::Iniciado);
    EXPECT_EQ(LeeArchivo(Mascaras()), "propio");
}

TEST_F(Inicio, SegundaLlamadaSoloRepiteLaCola) {
    ASSERT_EQ(InicioSistema(sis, false, "@Usuario=; @UsuarioLogeado=ana; @Caja=4;",
                            CadenaArchivoLocal(base), adUseClient),
              ResultadoInicio::Iniciado);
    EXPECT_EQ(sis.Caja, "4");
    EXPECT_EQ(sis.parametros.UsuarioLogeado, "ana");
    // The logged user is the connection's user once the connection is open.
    EXPECT_EQ(sis.UsuarioLogeado, "");

    // The line is not read again and the connection stays as it is.
    EXPECT_EQ(InicioSistema(sis, false, "@Caja=9;", "Provider=Nada;", adUseClient),
              ResultadoInicio::Iniciado);
    EXPECT_EQ(sis.Caja, "4");
    EXPECT_TRUE(sis.db.gCnn().Abierta());
    EXPECT_EQ(sis.db.gDBName, base);
    EXPECT_EQ(Cuenta(base, "Control_Acceso"), 2);
}

TEST_F(Inicio, DriverOdbcDeSqliteSinPreguntar) {
    sis.interactivo = false;
    const std::string cadena = prueba_sistema::CadenaSqliteOdbc(base);
    ASSERT_EQ(InicioSistema(sis, false, "", cadena, adUseClient), ResultadoInicio::Iniciado);
    EXPECT_TRUE(sis.db.gOpenFlag);
    EXPECT_EQ(sis.db.gConnString, cadena);
    EXPECT_EQ(sis.db.plataforma(), Plataforma::SQLite);
    // The connection string stands for the data that would have been asked for.
    EXPECT_EQ(sis.db.gDBName, plataforma::RutaAnfitrion(base));
    EXPECT_EQ(sis.db.gServidor, "");
    EXPECT_EQ(sis.TimeOut, 360);
    EXPECT_EQ(Cuenta(base, "Control_Acceso"), 1);
    EXPECT_EQ(std::filesystem::file_size(Mascaras()), 11u * 1202u);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty()) << puertos.mensajes.Ultimo();
}

TEST_F(Inicio, SinServidorNiUsuarioYSinQuienPregunteNoSeIntenta) {
    sis.interactivo = false;
    EXPECT_EQ(
        InicioSistema(sis, false, "@server=; @dbname= D; @usuario= u; @Caja=5", "", adUseClient),
        ResultadoInicio::FaltanDatos);
    EXPECT_FALSE(sis.db.gOpenFlag);
    EXPECT_FALSE(sis.db.gCnn().Abierta());
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    EXPECT_FALSE(std::filesystem::exists(Mascaras()));
    // The cash register without a closing ";" is left empty on the first call.
    EXPECT_EQ(sis.Caja, "");
    EXPECT_EQ(sis.db.gDBName, "D");
}

TEST_F(Inicio, LineaVaciaPideLosDatosDeConexion) {
    prueba::DialogoAccesoPrueba dialogo;
    sis.db.dialogoAcceso = &dialogo;
    EXPECT_EQ(InicioSistema(sis, false, "", "", adUseClient), ResultadoInicio::SinConexion);
    ASSERT_EQ(dialogo.vistos.size(), 1u);
    EXPECT_EQ(dialogo.vistos[0].servidor, "");
    EXPECT_EQ(dialogo.vistos[0].usuario, "");
    EXPECT_FALSE(sis.db.gOpenFlag);
    EXPECT_FALSE(std::filesystem::exists(Mascaras()));
}

TEST_F(Inicio, FalloDeAperturaTerminaElPrograma) {
    // No driver answers: the open fails with the provider's error.
    prueba::VariableEntorno driver{"TAMARIS_ODBC_SQLSERVER", "SinDriverDePrueba"};
    puertos.mensajes.respuestaDefecto = mb::kNo;
    EXPECT_EQ(InicioSistema(sis, false,
                            "@server=srv01; @dbname= TAMARIS; @usuario= ana; "
                            "@Password= s3cr3t0; @Caja=2;",
                            "", adUseClient),
              ResultadoInicio::SinConexion);
    EXPECT_FALSE(sis.db.gOpenFlag);
    EXPECT_FALSE(sis.estadisticas.gOpenFlag);
    EXPECT_FALSE(std::filesystem::exists(Mascaras()));
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    EXPECT_EQ(puertos.mensajes.mostrados[0].titulo, " Error de Conexion a Base de Datos");
    NadaMuestra("s3cr3t0");
    EXPECT_EQ(sis.db.gServidor, "srv01");
    EXPECT_EQ(sis.Caja, "2");
}

TEST_F(Inicio, UnValorQueSeLlevaLaClaveEsUnaLineaMalFormada) {
    // Were a connection tried, the missing driver would show its refusal.
    prueba::VariableEntorno driver{"TAMARIS_ODBC_SQLSERVER", "SinDriverDePrueba"};
    puertos.mensajes.respuestaDefecto = mb::kNo;
    for (const char* linea :
         {"@server=X; @dbname= B; @usuario= U @Password= Secreto9; @Caja=1;orva@",
          "@server=X @Password= Secreto9; @usuario= U; @Caja=1;"}) {
        SCOPED_TRACE(linea);
        puertos.mensajes.mostrados.clear();
        EXPECT_EQ(InicioSistema(sis, false, linea, "", adUseClient), ResultadoInicio::SinConexion);
        EXPECT_FALSE(sis.db.gOpenFlag);
        ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
        EXPECT_NE(puertos.mensajes.mostrados[0].texto.find("mal formada"), std::string::npos);
        NadaMuestra("Secreto9");
    }
    // A password in use is hidden wherever a server quotes it, not only after "Pwd=".
    EXPECT_EQ(OcultaClaves("Login failed for user 'U @Password Secreto9'."),
              "Login failed for user 'U @Password ****'.");
}

TEST_F(Inicio, ProveedorDesconocidoTerminaElPrograma) {
    puertos.mensajes.respuestaDefecto = mb::kNo;
    EXPECT_EQ(InicioSistema(sis, false, "@server=s; @usuario= u; @Password= s3cr3t0;",
                            "Provider=Nada;Password=s3cr3t0;", adUseClient),
              ResultadoInicio::SinConexion);
    EXPECT_FALSE(sis.db.gOpenFlag);
    EXPECT_EQ(Cuenta(base, "Control_Acceso"), 0);
    NadaMuestra("s3cr3t0");
}

TEST_F(Inicio, ServidorOracleMarcadoConAlmohadilla) {
    prueba::VariableEntorno driver{"TAMARIS_ODBC_ORACLE", "SinDriverDePrueba"};
    puertos.mensajes.respuestaDefecto = mb::kNo;
    EXPECT_EQ(
        InicioSistema(sis, false, "@server=#ORASRV; @dbname= ORCL; @usuario= u; @Password= p;", "",
                      adUseClient),
        ResultadoInicio::SinConexion);
    EXPECT_EQ(sis.db.gConnString,
              "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");
    EXPECT_EQ(sis.db.gServidor, "ORASRV");
}

TEST_F(Inicio, ServidorOracleConCadenaDada) {
    prueba::VariableEntorno driver{"TAMARIS_ODBC_ORACLE", "SinDriverDePrueba"};
    puertos.mensajes.respuestaDefecto = mb::kNo;
    const std::string dada = "Provider=OraOLEDB.Oracle.1;Data Source=OTRA;User Id=x;Password=y;";
    InicioSistema(sis, false, "@server=#ORASRV; @dbname= ORCL; @usuario= u; @Password= p;", dada,
                  adUseClient);
    EXPECT_EQ(sis.db.gConnString, dada);
    EXPECT_EQ(sis.db.gServidor, "ORASRV");
}

TEST_F(Inicio, ServidorConProtocoloYPuerto) {
    prueba::VariableEntorno driver{"TAMARIS_ODBC_SQLSERVER", "SinDriverDePrueba"};
    puertos.mensajes.respuestaDefecto = mb::kNo;
    InicioSistema(sis, false, "@server=tcp/dbhost:1433; @dbname= D; @usuario= u; @Password= p;", "",
                  adUseClient);
    EXPECT_EQ(sis.db.gServidor, "dbhost");
    EXPECT_EQ(sis.db.gConnString, "PROVIDER=SQLOLEDB;Server=dbhost;Database =D;UId=u;Pwd=p;");
}

TEST_F(Inicio, ArchivoIniConCredencialesCifradas) {
    std::filesystem::create_directories(hogar);
    const std::string ini = hogar + prueba_sistema::kBarra + "QX000pr.INI";
    const std::string maquina = Estacion::NombreMaquina(), identidad = Estacion::Identidad();
    const std::string seccion = SeccionBaseDeDatos(maquina, identidad);
    GrabaIni(ini, seccion, "Servidor", "servidor-ini");
    GrabaIni(ini, seccion, "DbName", base);
    GrabaIni(ini, seccion, "Usuario", Encripta("operador"));
    GrabaIni(ini, seccion, "UserPassWord", Encripta("cl@ve"));
    GrabaIni(ini, SeccionEstacion(maquina, identidad), "FlatToolbars", "0");

    sis.interactivo = false;
    ASSERT_EQ(InicioSistema(sis, true, "", prueba_sistema::CadenaSqliteOdbc(base), adUseClient),
              ResultadoInicio::Iniciado);
    EXPECT_EQ(sis.db.gServidor, "servidor-ini");
    EXPECT_EQ(sis.db.gDBName, base);
    EXPECT_EQ(sis.db.gUsuario, "operador");
    EXPECT_EQ(sis.db.gUserPassWord, "cl@ve");
    EXPECT_EQ(sis.UsuarioLogeado, "operador");
    EXPECT_EQ(sis.FlatToolbars, 0);
    const auto filas = LeeFilas(base, "SELECT Usuario, NombreUsuario FROM Control_Acceso");
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0], (std::vector<std::string>{"OPERADOR", "operador"}));
    // The scrambled form is what the file keeps.
    EXPECT_EQ(LeeArchivo(ini).find("cl@ve"), std::string::npos);
}

TEST_F(Inicio, ConLineaDadaElIniNoSeUsa) {
    std::filesystem::create_directories(hogar);
    const std::string ini = hogar + prueba_sistema::kBarra + "QX000pr.INI";
    const std::string seccion =
        SeccionBaseDeDatos(Estacion::NombreMaquina(), Estacion::Identidad());
    GrabaIni(ini, seccion, "Servidor", "servidor-ini");
    GrabaIni(ini, seccion, "Usuario", Encripta("operador"));
    sis.interactivo = false;
    EXPECT_EQ(InicioSistema(sis, true, "@usuario= otro;", "", adUseClient),
              ResultadoInicio::FaltanDatos);
    EXPECT_EQ(sis.db.gUsuario, "otro");
    EXPECT_EQ(sis.db.gServidor, "");
}

TEST_F(Inicio, SinIniLaBarraEsPlana) {
    sis.FlatToolbars = 7;
    InicioSistema(sis, false, "", CadenaArchivoLocal(base), adUseClient);
    EXPECT_EQ(sis.FlatToolbars, 1);
}

TEST_F(Inicio, LineaDeComandosDelProceso) {
    sis.LineaComandos = "@UsuarioLogeado=desde-comandos; @Caja=3;";
    InicioSistema(sis, false, "", CadenaArchivoLocal(base), adUseClient);
    EXPECT_EQ(sis.parametros.UsuarioLogeado, "desde-comandos");
    EXPECT_EQ(sis.Caja, "3");
}

TEST_F(Inicio, EstadisticasSinServidor) {
    ASSERT_EQ(InicioSistema(sis, false, "", CadenaArchivoLocal(base), adUseClient),
              ResultadoInicio::Iniciado);
    sis.TimeOut = 5;
    ConectaEstadisticas(sis);
    EXPECT_EQ(sis.TimeOut, 360);
    EXPECT_FALSE(sis.estadisticas.gOpenFlag);
    EXPECT_FALSE(sis.estadisticas.gCnn().Abierta());
}

}  // namespace
}  // namespace tamaris
