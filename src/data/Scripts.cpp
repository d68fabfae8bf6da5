#include "data/Scripts.h"

#include <array>
#include <cstdlib>

#include "components/ArchivoTexto.h"
#include "components/Estacion.h"
#include "components/Pasos.h"
#include "components/Texto.h"
#include "data/DB_Dll.h"
#include "data/Errores.h"
#include "data/ModuloDatos.h"
#include "data/dialectos/Dialecto.h"

namespace tamaris {

namespace {

constexpr std::string_view kInicioLote = "BEGIN TRANSACTION ";

// Native errors of sp_addlogin.
constexpr long kBaseInexistente = 15010;
constexpr long kLoginExistente = 15025;

// Sends a statement whose failure is read afterwards from the error collection, if at all.
void EnviaSinReportar(DB_Dll& db, std::string& sentencia) {
    EjecutaPaso(
        [&] {
            long registros = 0;
            db.EjecutaConsultaSQL(sentencia, registros);
        },
        IgnoraFallos);
}

// Sends the batch. A SQL Server batch is one text whose statements need no ";" between them.
// SQLite and PostgreSQL read such a text as one malformed statement: there the transaction is
// begun on its own and each line follows as a statement of its own, up to the first that fails
// (PostgreSQL refuses everything after it until the rollback anyway).
void EnviaLote(DB_Dll& db, std::string& lote, std::span<const std::string> lineas) {
    if (!db.dialecto().TransaccionAparte() || !lote.starts_with(kInicioLote)) {
        EnviaSinReportar(db, lote);
        return;
    }
    // The lines still belong to the transaction batch, whose failures its caller reports (on
    // SQL Server the "TRANS" of the batch keeps EjecutaConsultaSQL silent): the comment carries
    // that mark here.
    constexpr std::string_view kMarca = "/* BEGIN TRANSACTION */ ";
    std::string inicio(kInicioLote);
    EnviaSinReportar(db, inicio);
    for (const std::string& linea : lineas) {
        if (!db.gCnn().Errors().empty()) break;
        if (Trim(linea).empty()) continue;
        std::string sentencia = std::string(kMarca) + linea;
        EnviaSinReportar(db, sentencia);
    }
}

// Whether the failure is a wait for another program's lock that ran out: the error row would
// wait for the same lock again.
bool EsEsperaAgotada(const ErrorProveedor& e) {
    constexpr long kEsperaDeBloqueo = 1222;  // SQL Server's "Lock request time out period"
    return e.Number == err::kTiempoAgotado || e.SQLState == "HYT00" ||
           e.NativeError == kEsperaDeBloqueo;
}

std::string Literal(std::string_view valor) { return ReemplazaExacto(valor, "'", "''"); }

// Folder for the creation script: TEMP, else the workstation's default folder.
std::string CarpetaTemporal() {
    const char* v = std::getenv("TEMP");
    std::string carpeta = Trim(v ? v : "");
    if (carpeta.empty()) carpeta = Estacion::CarpetaDefecto();
    return SeparadorDirectorio(carpeta);
}

}  // namespace

std::string ExtraeServidor(std::string_view texto) {
    const std::size_t barra = texto.find('/');
    if (barra == std::string_view::npos) return std::string(texto);
    std::string_view resto = texto.substr(barra + 1);
    const std::size_t puerto = resto.find(':');
    if (puerto != std::string_view::npos) resto = resto.substr(0, puerto);
    return std::string(resto);
}

std::string TextoErroresLote(std::span<const ErrorProveedor> errores) {
    // With several records the last one only says that the batch was stopped.
    const std::size_t cuantos = errores.size() == 1 ? 1 : errores.size() - 1;
    std::string texto;
    for (std::size_t i = 0; i < cuantos && i < errores.size(); ++i) {
        texto += std::to_string(errores[i].NativeError) + " : " + errores[i].Description + "\r\n";
    }
    return texto;
}

void GActualizarDatoScript(ModuloDatos& sistema, std::span<const std::string> Lineas, bool& Fallo,
                           long& NumeroError, bool IgnoraDuplicado, bool IgnoraRestriccion,
                           std::string& TextoLote, std::string& TextoError, bool MuestraMensaje) {
    DB_Dll& db = sistema.db;
    Fallo = false;
    std::string sql;
    for (const std::string& linea : Lineas) {
        if (Trim(linea).empty()) continue;
        sql += '\r';
        sql += linea;
    }
    if (sql.empty()) return;

    const TrataFallo trata = [&](const ErrorInfo& e) {
        return TrataError(sistema, e, std::nullopt, std::string("GActualizarDatoScript"));
    };
    const auto paso = [&](auto&& f) { return EjecutaPaso(f, trata); };
    const Dialecto& dialecto = db.dialecto();

    if (!paso([&] { TextoLote = std::string(kInicioLote) + "\r\r" + sql + "\r"; })) return;
    // A closed connection would keep its collection empty and pass for a batch that worked.
    if (!db.gCnn().Abierta()) {
        Fallo = true;
        NumeroError = err::kConexionInvalida;
        TextoError = "La conexión con la base de datos no está abierta.";
        return;
    }
    if (!paso([&] {
            // Only what this batch reports counts, not an error left by an earlier statement.
            db.gCnn().Errors().clear();
            EnviaLote(db, TextoLote, Lineas);
        }))
        return;

    if (db.gCnn().Errors().empty()) {
        if (!paso([&] {
                std::string confirma = "COMMIT TRANSACTION";
                long registros = 0;
                db.EjecutaConsultaSQL(confirma, registros);
            }))
            return;
        NumeroError = 0;
        return;
    }

    std::string recogido;
    bool esperaAgotada = false;
    if (!paso([&] {
            const std::vector<ErrorProveedor>& errores = db.gCnn().Errors();
            Fallo = true;
            esperaAgotada = EsEsperaAgotada(errores.front());
            NumeroError = errores.front().NativeError;
            recogido = TextoErroresLote(errores);
            TextoError = recogido;
            if ((IgnoraDuplicado && dialecto.EsClaveDuplicada(errores.front())) ||
                (IgnoraRestriccion && dialecto.EsConflictoRestriccion(errores.front()))) {
                TextoError = errores.front().Description;
                recogido.clear();
            }
        }))
        return;
    if (!paso([&] {
            db.gCnn().Errors().clear();
            std::string deshace = "ROLLBACK TRANSACTION";
            EnviaSinReportar(db, deshace);
        }))
        return;
    if (!paso([&] {
            if (esperaAgotada) return;
            std::string proceso = NombrePrograma();
            RegistraErrorAux(sistema, TextoLote, proceso, NumeroError, recogido);
        }))
        return;
    paso([&] {
        if (!Trim(recogido).empty() && MuestraMensaje)
            sistema.ui.mensajes.Mostrar(OcultaClaves(recogido), mb::kOk | mb::kCritico,
                                        "Aviso al Operador!");
    });
}

// ---------------------------------------------------------------------------------------------
// Logins and databases

std::string SentenciaLoginSqlServer(std::string_view BaseDatos, std::string_view Login,
                                    std::string_view Password) {
    return "EXEC  sp_addlogin N'" + Literal(Login) + "', '" + Literal(Password) + "', '" +
           Literal(BaseDatos) + "','Spanish'";
}

std::vector<std::string> SentenciasRolesSqlServer(std::string_view Login) {
    static constexpr std::array<std::string_view, 7> kServidor = {
        "', sysadmin",     "', securityadmin", "', serveradmin", "',  setupadmin",
        "', processadmin", "', diskadmin",     "', dbcreator"};
    static constexpr std::array<std::string_view, 7> kBase = {
        "db_accessadmin", "db_backupoperator", "db_datareader",   "db_datawriter",
        "db_ddladmin",    "db_owner",          "db_securityadmin"};
    const std::string login = Literal(Login);
    std::string servidor, base;
    for (std::string_view r : kServidor)
        servidor += " EXEC sp_addsrvrolemember N'" + login + std::string(r);
    for (std::string_view r : kBase)
        base += " EXEC sp_addrolemember N'" + std::string(r) + "', N'" + login + "'";
    return {servidor,
            " EXEC sp_grantdbaccess @loginame = '" + login + "' , @name_in_db ='" + login + "'",
            base};
}

std::string ScriptUsuarioOracle(std::string_view Login, std::string_view Password) {
    static constexpr std::array<std::string_view, 33> kRoles = {
        "DBA",
        "CTXAPP",
        "WKUSER",
        "\"CONNECT\"",
        "OLAP_DBA",
        "\"RESOURCE\"",
        "XDBADMIN",
        "EJBCLIENT",
        "MGMT_USER",
        "OLAP_USER",
        "JAVAIDPRIV",
        "JAVA_ADMIN",
        "DMUSER_ROLE",
        "JAVASYSPRIV",
        "JAVA_DEPLOY",
        "OEM_MONITOR",
        "AQ_USER_ROLE",
        "JAVAUSERPRIV",
        "HS_ADMIN_ROLE",
        "JAVADEBUGPRIV",
        "WM_ADMIN_ROLE",
        "DM_CATALOG_ROLE",
        "SCHEDULER_ADMIN",
        "AUTHENTICATEDUSER",
        "EXP_FULL_DATABASE",
        "IMP_FULL_DATABASE",
        "DELETE_CATALOG_ROLE",
        "SELECT_CATALOG_ROLE",
        "EXECUTE_CATALOG_ROLE",
        "AQ_ADMINISTRATOR_ROLE",
        "LOGSTDBY_ADMINISTRATOR",
        "RECOVERY_CATALOG_OWNER",
        "GATHER_SYSTEM_STATISTICS",
    };
    static constexpr std::array<std::string_view, 35> kObjetos = {
        "CTXSYS.CTX_VALIDATE",
        "CTXSYS.DRI_MOVE_CTXSYS",
        "EXFSYS.EXF$CHECK_PRIVILEGE",
        "EXFSYS.EXF$EXPCORRCHKOCI",
        "EXFSYS.EXF$EXPFUNCLISTCHK",
        "EXFSYS.EXF$XPDUMPTAGSINFO",
        "EXFSYS.GETDUMMYTAGS",
        "EXFSYS.GETTAGSARROCI",
        "WKSYS.MOVE_WK",
        "OUTLN.ORA$GRANT_SYS_SELECT",
        "SYSTEM.ORA$_SYS_REP_AUTH",
        "WMSYS.OWM_VALIDATE",
        "SYSMAN.SETEMUSERCONTEXT",
        "SYSMAN.SETEMVIEWUSERCONTEXT",
        "XDB.SETMODFLG",
        "ORDSYS.SI_APPENDCLRHSTGR",
        "ORDSYS.SI_CHGCONTENT",
        "ORDSYS.SI_CONVERTFORMAT",
        "ORDSYS.SI_SETAVGCLRFTR",
        "ORDSYS.SI_SETCLRHSTGRFTR",
        "ORDSYS.SI_SETPSTNLCLRFTR",
        "ORDSYS.SI_SETTEXTUREFTR",
        "CTXSYS.SYNCRN",
        "WKSYS.UPDATE_ACL_CACHE_SIZE",
        "DMSYS.VALIDATE_ODM",
        "ORDSYS.VALIDATE_ORDIM",
        "ORDSYS.VALIDATE_ORDIM_WITH_DETAILS",
        "MDSYS.VALIDATE_SDO",
        "WKSYS.WK$POST_OPTIMIZE_INDEX",
        "WKSYS.WK$PRE_OPTIMIZE_INDEX",
        "WKSYS.WK$UPD_INST",
        "XDB.XDB$INITXDBSCHEMA",
        "XDB.XDB$PATCHUPDELETESCHEMA",
        "XDB.XDB$PATCHUPSCHEMA",
        "XDB.XDB_DATASTORE_PROC",
    };
    const std::string login(Login);
    std::string s = "CREATE USER " + login + " IDENTIFIED BY \"" + std::string(Password) +
                    "\"\r\n" + " DEFAULT TABLESPACE USERS\r\n" + " TEMPORARY TABLESPACE TEMP\r\n" +
                    " PROFILE Default\r\n" + " ACCOUNT UNLOCK\r\n";
    for (std::string_view r : kRoles)
        s += " GRANT " + std::string(r) + " TO " + login + " WITH ADMIN OPTION\r\n";
    s += " ALTER USER " + login + " DEFAULT ROLE DBA,\"CONNECT\"\r\n";
    s += " GRANT UNLIMITED TABLESPACE TO " + login + " WITH ADMIN OPTION\r\n";
    for (std::string_view o : kObjetos)
        s += " GRANT EXECUTE ON " + std::string(o) + " TO " + login + " WITH GRANT OPTION\r\n";
    return s;
}

void CreaUsuarioBase(ModuloDatos& sistema, std::string_view BaseDatos, std::string_view Login,
                     std::string_view Password, DB_Dll* objeto) {
    DB_Dll& db = objeto ? *objeto : sistema.db;
    // A database file has no logins to create.
    if (sistema.db.dialecto().SinUsuarios() || db.dialecto().SinUsuarios()) return;

    const TrataFallo trata = [&](const ErrorInfo& e) {
        // A statement the server rejects is not this routine's concern: the next one goes.
        if (e.Numero == err::kErrorComando) return kIgnorar;
        return TrataError(sistema, e);
    };
    const auto paso = [&](auto&& f) { return EjecutaPaso(f, trata); };
    const auto envia = [&](std::string sentencia) {
        long registros = 0;
        db.EjecutaConsultaSQL(sentencia, registros);
    };

    if (!ContieneSinCaso(sistema.db.gProveedor, "ORACLE")) {
        bool terminado = false;
        if (!paso([&] {
                db.gCnn().Errors().clear();
                envia(SentenciaLoginSqlServer(BaseDatos, Login, Password));
            }))
            return;
        if (!paso([&] {
                for (const ErrorProveedor& e : db.gCnn().Errors()) {
                    if (e.NativeError == kBaseInexistente) {
                        CreaBaseDatos(sistema, sistema.db.gServidor, "", "", BaseDatos);
                        return;
                    }
                    if (e.NativeError == kLoginExistente) {
                        terminado = true;
                        return;
                    }
                }
            }))
            return;
        if (terminado) return;
        for (const std::string& s : SentenciasRolesSqlServer(Login)) {
            if (!paso([&] { envia(s); })) return;
        }
        return;
    }
    paso([&] { envia(ScriptUsuarioOracle(Login, Password)); });
}

std::vector<std::string> LineasCreacionBase(std::string_view X) {
    const std::string x(X);
    std::vector<std::string> l = {
        "Create Database " + x + " COLLATE Latin1_General_CI_AI ",
        "GO",
        "USE " + x,
        "EXEC  sp_addlogin N'" + x + "', '" + x + "', '" + x + "'",
    };
    for (std::string_view r : {"', sysadmin", "', securityadmin", "', serveradmin",
                               "',  setupadmin", "', processadmin", "', diskadmin", "', dbcreator"})
        l.push_back("EXEC sp_addsrvrolemember N'" + x + std::string(r));
    l.push_back("EXEC sp_grantdbaccess @loginame = '" + x + "' , @name_in_db ='" + x + "'");
    for (std::string_view r : {"db_accessadmin", "db_backupoperator", "db_datareader",
                               "db_datawriter", "db_ddladmin", "db_owner", "db_securityadmin"})
        l.push_back("EXEC sp_addrolemember N'" + std::string(r) + "', N'" + x + "'");
    return l;
}

std::string RutaScriptCreacion() { return CarpetaTemporal() + "CDB7.SQL"; }

bool CreaBaseDatos(ModuloDatos& sistema, std::string_view Servidor, std::string_view,
                   std::string_view, std::string_view Nombre) {
    DB_Dll& db = sistema.db;
    const std::string requerido = SeparadorDirectorio(CarpetaDatos()) + "completotme.sql";
    if (!ExisteArchivo(requerido)) {
        sistema.ui.mensajes.Mostrar("No se encuentra el archivo " + requerido +
                                        ", Por favor, ingrese la ruta donde se encuentra! ",
                                    mb::kOk, "");
        return false;
    }

    const TrataFallo trata = [&](const ErrorInfo& e) {
        // Closing a connection that is not open changes nothing.
        if (e.Numero == err::kConexionCerrada) return kIgnorar;
        return TrataError(sistema, e);
    };
    const auto paso = [&](auto&& f) { return EjecutaPaso(f, trata); };

    const std::string nombre = Trim(Nombre);
    std::string ruta;
    if (!paso([&] { ruta = RutaScriptCreacion(); })) return false;
    if (!paso([&] {
            ArchivoSeguro script(ruta);
            // Each line carries its own CR before the CR LF of the write.
            for (const std::string& linea : LineasCreacionBase(nombre))
                script.EscribeLinea(linea + "\r");
            script.Confirmar();
        }))
        return false;
    // A database file has no logins: the connection stays as it is.
    if (db.dialecto().SinUsuarios()) return true;

    if (!paso([&] { db.gCnn().Close(); })) return false;
    if (!paso([&] {
            db.gOpenFlag = false;
            db.gUsuario = nombre;
            db.gDBName = nombre;
            db.gUserPassWord = nombre;
            db.gServidor = ExtraeServidor(Servidor);
        }))
        return false;
    if (!paso([&] { db.OpenServerADODB(false, adUseClient, "", false, true); })) return false;
    if (!db.gOpenFlag) return false;
    paso([&] { db.gCnn().SetDefaultDatabase(nombre); });
    return true;
}

}  // namespace tamaris
