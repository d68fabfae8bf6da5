#include "app/Inicio.h"

#include <cmath>

#include "app/Configuracion.h"
#include "components/ArchivoTexto.h"
#include "components/Estacion.h"
#include "components/Ini.h"
#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Texto.h"
#include "data/Conexion.h"
#include "data/Scripts.h"

namespace tamaris {

namespace {

constexpr std::size_t kLargoSeccionEstacion = 50;
constexpr std::string_view kBaseEstadisticas = "TM_ESTADISTICAS";
constexpr std::string_view kUsuarioEstadisticas = "TM_ESTADISTICAS";
constexpr std::string_view kClaveEstadisticas = "RB_CONSTELACION";

// The first `n` characters (code points) of a UTF-8 text.
std::string PrimerosCaracteres(std::string_view texto, std::size_t n) {
    std::size_t i = 0, caracteres = 0;
    while (i < texto.size() && caracteres < n) {
        ++i;
        while (i < texto.size() && (static_cast<unsigned char>(texto[i]) & 0xC0) == 0x80) ++i;
        ++caracteres;
    }
    return std::string(texto.substr(0, i));
}

// A whole number of 16 bits, rounded as the suite's conversions round (half to even).
int EnteroCorto(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= -32768.0 && r <= 32767.0))
        throw ErrorTamaris(err::kDesbordamiento, "Desbordamiento");
    return static_cast<int>(r);
}

// Server, database, user and password of a connection string, for the fields the parameter
// line left empty.
void DatosDeCadena(DB_Dll& db, std::string_view cadena) {
    const CadenaConexion c(cadena);
    const std::string proveedor = c.Valor({"Provider"});
    const bool oracle = EmpiezaSinCaso(proveedor, "OraOLEDB") ||
                        EmpiezaSinCaso(proveedor, "MSDAORA") ||
                        ContieneSinCaso(c.Valor({"DRIVER"}), "Oracle");
    // On Oracle the data source is the database; the server takes no part.
    if (db.gServidor.empty() && !oracle)
        db.gServidor = ExtraeServidor(
            c.Valor({"Server", "Data Source", "Address", "Addr", "Network Address"}));
    if (db.gDBName.empty())
        db.gDBName = oracle ? c.Valor({"Data Source", "DBQ"})
                            : c.Valor({"Database", "Initial Catalog", "DBQ"});
    if (db.gUsuario.empty()) db.gUsuario = c.Valor({"UId", "User Id", "User", "User Name"});
    if (db.gUserPassWord.empty()) db.gUserPassWord = c.Valor({"Pwd", "Password"});
}

// A settings file that will not be read, told to the operator.
void AvisaArchivo(Sistema& sis, const std::string& problema) {
    sis.ui.mensajes.Mostrar(problema, mb::kOk | mb::kExclamacion, "AVISO AL OPERADOR");
}

// Opens a local database file named by `cadena` on the shared connection object.
void AbreArchivoLocal(DB_Dll& db, std::string_view cadena) {
    const CadenaConexion c(cadena);
    db.gProveedor = c.Valor({"Provider"});
    db.gDBName = c.Valor({"Data Source", "DBQ", "Database"});
    db.gCnn().Errors().clear();
    db.OpenLocalADODB(cadena, "User ID", "Jet OLEDB:Database Password");
    db.gOpenFlag = db.gCnn().Abierta();
    // With the string given there is no file to pick instead of a missing one; the open ends
    // without a word, so the reason is shown here before the program ends.
    const auto& errores = db.gCnn().Errors();
    if (!db.gOpenFlag && !errores.empty() && errores.front().SQLState == "3024")
        db.ui().mensajes.Mostrar(errores.front().Description, mb::kOk | mb::kCritico, "");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The parameter line

std::string ValorParametro(std::string_view linea, std::string_view clave,
                           std::string_view anterior, std::string_view siAusente) {
    const std::size_t p = BuscaSinCaso(linea, clave);
    if (p == std::string_view::npos) return std::string(siAusente);
    const std::size_t fin = linea.find(';', p);
    // Without a closing ";" the value cannot be cut out: the earlier one stays.
    if (fin == std::string_view::npos) return std::string(anterior);
    const std::size_t desde = p + clave.size();
    const std::string_view valor =
        fin > desde ? linea.substr(desde, fin - desde) : std::string_view();
    return Trim(QuitaCaracteres(valor, '='));
}

ParametrosInicio LeeParametros(std::string_view linea, const ParametrosInicio& previos) {
    ParametrosInicio p;
    p.Server = ValorParametro(linea, "@Server", previos.Server, "");
    p.DbName = ValorParametro(linea, "@DbName", previos.DbName, "");
    p.Usuario = ValorParametro(linea, "@Usuario", previos.Usuario, "");
    p.Password = ValorParametro(linea, "@Password", previos.Password, "");
    p.UsuarioLogeado = ValorParametro(linea, "@UsuarioLogeado", previos.UsuarioLogeado, "");
    p.Caja = ValorParametro(linea, "@Caja", previos.Caja, "1");
    return p;
}

std::string LineaParametrosMalFormada(const ParametrosInicio& p) {
    const std::pair<std::string_view, const std::string*> valores[] = {
        {"@Server", &p.Server},
        {"@DbName", &p.DbName},
        {"@Usuario", &p.Usuario},
        {"@UsuarioLogeado", &p.UsuarioLogeado},
        {"@Caja", &p.Caja}};
    for (const auto& [clave, valor] : valores) {
        if (!ContieneSinCaso(*valor, "@Password")) continue;
        return "La línea de parámetros está mal formada: falta el \";\" que cierra el valor de " +
               std::string(clave) +
               ", que se lleva consigo el de @Password. Corrija la línea; no se intentó la "
               "conexión.";
    }
    return {};
}

std::string ArmaLineaParametros(std::string_view servidor, std::string_view base,
                                std::string_view usuario, std::string_view clave) {
    return "@server=" + std::string(servidor) + "; @dbname= " + std::string(base) +
           "; @usuario= " + std::string(usuario) + "; @Password= " + std::string(clave) +
           "; @ParametroAdicional=; @Caja=1;orva@";
}

std::string CadenaOracle(std::string_view base, std::string_view usuario, std::string_view clave) {
    return "Provider=OraOLEDB.Oracle.1;Data Source=" + std::string(base) +
           ";User Id=" + std::string(usuario) + ";Password=" + std::string(clave) + ";";
}

// ---------------------------------------------------------------------------------------------
// The workstation's INI file

std::string ArchivoIni(const Sistema& sis) { return sis.CarpetaAplicacion + "QX000pr.INI"; }

std::string SeccionEstacion(std::string_view maquina, std::string_view identidad) {
    return PrimerosCaracteres(Mayusculas(maquina) + "|" + Mayusculas(identidad),
                              kLargoSeccionEstacion);
}

std::string SeccionBaseDeDatos(std::string_view maquina, std::string_view identidad) {
    return Mayusculas(maquina) + "|" + Mayusculas(identidad) + "BaseDeDatos";
}

std::string LineaDesdeIni(const std::string& archivo, std::string_view maquina,
                          std::string_view identidad) {
    const std::string seccion = SeccionBaseDeDatos(maquina, identidad);
    const auto lee = [&](std::string_view clave, std::string_view defecto, bool cifrado) {
        std::string valor = LeeIni(archivo, seccion, clave, defecto);
        if (cifrado) valor = Desencripta(valor);
        return QuitaCaracteres(valor, '|');
    };
    const std::string servidor = lee("Servidor", "", false);
    const std::string base = lee("DbName", "", false);
    const std::string usuario = lee("Usuario", Encripta("Tamaris"), true);
    const std::string clave = lee("UserPassWord", Encripta("mirlaso"), true);
    return ArmaLineaParametros(servidor, base, usuario, clave);
}

// ---------------------------------------------------------------------------------------------
// Helpers

std::string LineaDeComandos(int argc, const char* const* argv) {
    std::string linea;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) linea += ' ';
        linea += argv[i];
    }
    return linea;
}

std::string CadenaArchivoLocal(std::string_view archivo) {
    const bool encerrar = archivo.find_first_of(";{}\"'") != std::string_view::npos ||
                          (!archivo.empty() && (archivo.front() == ' ' || archivo.back() == ' '));
    if (!encerrar) return "Provider=SQLite;Data Source=" + std::string(archivo) + ";";
    return "Provider=SQLite;Data Source={" + ReemplazaExacto(archivo, "}", "}}") + "};";
}

bool EsCadenaArchivoLocal(std::string_view cadena) {
    if (Trim(cadena).empty()) return false;
    try {
        return ResuelveCadena(cadena).tipo == Destino::Tipo::SQLite;
    } catch (const std::exception&) {
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Start-up

ResultadoInicio InicioSistema(Sistema& sis, bool UsarIni, std::string_view Parametros,
                              std::string_view ConnString, long lCursor) {
    DB_Dll& db = sis.db;
    ResultadoInicio resultado = ResultadoInicio::Iniciado;
    bool yaConectado = false;  // a later call: only the common tail runs
    bool fin = false;          // the program ends
    bool sinBase = false;      // no database selected: straight to the access log
    std::string linea;
    std::string cadena(ConnString);
    ParametrosInicio p;
    std::string problemaIni;  // why the INI file is not read; empty when it may be

    const auto conecta = [&] { return !yaConectado && !fin; };
    const auto cola = [&] { return !fin && !sinBase; };

    const Paso pasos[] = {
        // 1. The program's folder (its data folder on this platform) and the help file.
        [&] {
            sis.CarpetaAplicacion = SeparadorDirectorio(CarpetaDatos());
            sis.ArchivoAyuda = sis.CarpetaAplicacion + "htmlhelp/orvantis.chm";
        },
        // 2. The parameter line.
        [&] { linea = !Parametros.empty() ? std::string(Parametros) : sis.LineaComandos; },
        // 3. Or the workstation's INI file. One that is no regular file of sane size (a FIFO
        // would hang the start, /dev/zero fill the memory) is reported and taken as absent.
        [&] {
            problemaIni = ProblemaArchivoLeido(ArchivoIni(sis));
            if (!problemaIni.empty()) AvisaArchivo(sis, problemaIni);
            if (problemaIni.empty() && Trim(linea).empty() && UsarIni)
                linea = LineaDesdeIni(ArchivoIni(sis), Estacion::NombreMaquina(),
                                      Estacion::Identidad());
        },
        // 4. The toolbar style, on every call.
        [&] {
            if (!problemaIni.empty()) {
                sis.FlatToolbars = 1;
                return;
            }
            const std::string seccion =
                SeccionEstacion(Estacion::NombreMaquina(), Estacion::Identidad());
            sis.FlatToolbars = ValorNumerico(LeeIni(ArchivoIni(sis), seccion, "FlatToolbars", "1"));
        },
        // 5.
        [&] { yaConectado = db.gOpenFlag; },
        // 6. The items of the line.
        [&] {
            if (!conecta()) return;
            p = LeeParametros(linea, sis.parametros);
            RegistraClave(p.Password);
            if (const std::string aviso = LineaParametrosMalFormada(p); !aviso.empty()) {
                // Its values cannot be trusted, and one of them may carry the password.
                sis.ui.mensajes.Mostrar(aviso, mb::kOk | mb::kCritico, "AVISO AL OPERADOR");
                db.gOpenFlag = false;
                fin = true;
                resultado = ResultadoInicio::SinConexion;
                return;
            }
            sis.parametros = p;
            sis.UsuarioLogeado = p.UsuarioLogeado;
            sis.Caja = p.Caja;
        },
        // 7. A server marked with "#" is an Oracle database.
        [&] {
            if (!conecta()) return;
            const std::string servidor = Trim(p.Server);
            if (!servidor.empty() && servidor.front() == '#') {
                p.Server = servidor.substr(1);
                if (cadena.empty()) cadena = CadenaOracle(p.DbName, p.Usuario, p.Password);
            }
        },
        // 8.
        [&] {
            if (!conecta()) return;
            db.gUsuario = p.Usuario;
            db.gDBName = p.DbName;
            db.gUserPassWord = p.Password;
            db.gServidor = ExtraeServidor(p.Server);
        },
        // 9. The main connection.
        [&] {
            if (!conecta()) return;
            if (EsCadenaArchivoLocal(cadena)) {
                AbreArchivoLocal(db, cadena);
                return;
            }
            const bool pide = Trim(p.Server).empty() || Trim(p.Usuario).empty();
            const bool puedePreguntar = sis.interactivo && db.dialogoAcceso != nullptr;
            if (!pide || puedePreguntar) {
                db.OpenServerADODB(pide, lCursor, cadena, true, true);
            } else if (!Trim(cadena).empty()) {
                DatosDeCadena(db, cadena);
                db.OpenServerADODB(false, lCursor, cadena, true, true);
            } else {
                db.gOpenFlag = false;
                resultado = ResultadoInicio::FaltanDatos;
            }
        },
        // 10. Without the main connection the program ends.
        [&] {
            if (!conecta()) return;
            if (!db.gOpenFlag) {
                fin = true;
                if (resultado == ResultadoInicio::Iniciado)
                    resultado = ResultadoInicio::SinConexion;
            }
        },
        // 11.
        [&] {
            if (conecta()) ConectaEstadisticas(sis);
        },
        // 12.
        [&] {
            if (conecta()) sis.UsuarioLogeado = db.gUsuario;
        },
        // 13.
        [&] {
            if (!conecta()) return;
            db.gCnn().SetCommandTimeout(sis.TimeOut);
            db.gCnn().SetIsolationLevel(adXactReadUncommitted);
        },
        // 14.
        [&] { sinBase = db.gDBName.empty(); },
        // 15.
        [&] {
            if (cola()) sis.settings.CarpetaAplicacion = sis.CarpetaAplicacion;
        },
        // 16.
        [&] {
            if (cola()) db.gCnn().SetDefaultDatabase(db.gDBName);
        },
        // 17. The lookup service.
        [&] {
            if (!cola()) return;
            sis.consultas.gConnString = db.gConnString;
            sis.consultas.gUsarMascarasConsultas = true;
            sis.consultas.gRutaMascaraConsultas = sis.CarpetaAplicacion + "consultas.tms";
        },
        // 18.
        [&] {
            if (!cola()) return;
            const std::string& ruta = sis.consultas.gRutaMascaraConsultas;
            if (const std::string problema = ProblemaArchivoLeido(ruta); !problema.empty()) {
                AvisaArchivo(sis, problema);
                return;
            }
            if (!ExisteArchivo(ruta)) CreaMascarasConsultas(sis);
        },
        // 19.
        [&] {
            if (cola()) db.gCnn().SetDefaultDatabase(db.gDBName);
        },
        // 20.
        [&] {
            if (cola() && !db.gDBName.empty()) CargaConfiguracion(sis, sis.CarpetaAplicacion);
        },
        // 21.
        [&] {
            if (!fin) RegistraAcceso(sis, "");
        },
    };
    // An invalid argument goes on with the next step; anything else leaves quietly, and the
    // form goes on loading.
    EjecutaPasos(pasos, [](const ErrorInfo& e) {
        return e.Numero == err::kArgumentoInvalido ? kIgnorar : 0;
    });
    return resultado;
}

void ConectaEstadisticas(Sistema& sis) {
    DB_Dll& db = sis.db;
    DB_Dll& est = sis.estadisticas;
    // A local database file has no server, so no statistics database either; nor has a
    // PostgreSQL server, which the suite's statistics database never lived on. Their own
    // configuration table may then set the time-out.
    const bool sinServidor =
        db.plataforma() == Plataforma::SQLite || db.plataforma() == Plataforma::PostgreSQL;
    bool hayTabla = false;
    EjecutaPasos(
        {[&] { sis.TimeOut = 360; },
         [&] {
             if (est.gCnn().Abierta()) {
                 est.gOpenFlag = false;
                 est.gCnn().Close();
             }
         },
         [&] {
             if (sinServidor) return;
             CreaUsuarioBase(sis, kBaseEstadisticas, kUsuarioEstadisticas, kClaveEstadisticas);
         },
         [&] {
             if (sinServidor) return;
             est.gProveedor = db.pSQLOLEDB();
             est.gServidor = db.gServidor;
             est.gDBName = std::string(kBaseEstadisticas);
             est.gUsuario = std::string(kUsuarioEstadisticas);
             est.gUserPassWord = std::string(kClaveEstadisticas);
         },
         [&] {
             if (!sinServidor) est.OpenServerADODB(false, adUseClient, "", true, false);
         },
         [&] {
             if (!sinServidor && est.gOpenFlag) est.gCnn().SetDefaultDatabase(kBaseEstadisticas);
         },
         [&] {
             // A statistics database without the configuration table keeps the default.
             hayTabla = !sinServidor && est.gOpenFlag &&
                        est.ExisteTablaDB(Trim(sis.TablaConfiguracion).empty()
                                              ? std::string("TA_CONFIGURACION")
                                              : sis.TablaConfiguracion);
         },
         [&] {
             if (hayTabla)
                 sis.TimeOut =
                     EnteroCorto(ValorNumerico(LeerConfiguracionEstadisticas(sis, "TimeOut")));
         },
         [&] {
             if (hayTabla && sis.TimeOut == 0)
                 GrabaConfiguracion(sis, "TimeOut", Variant(sis.TimeOut), "", false, "BaseDeDatos",
                                    true);
         },
         [&] {
             if (sinServidor && db.gOpenFlag && db.ExisteTablaDB("TA_CONFIGURACION"))
                 sis.TimeOut = EnteroCorto(ValorNumerico(LeerConfiguracion(sis, "TimeOut")));
         },
         [&] {
             if (sis.TimeOut <= 0) sis.TimeOut = 360;
         }},
        IgnoraFallos);
}

}  // namespace tamaris
