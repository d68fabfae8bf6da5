#include "cli/Conectar.h"

#include "app/Inicio.h"
#include "cli/PoliticaConsola.h"
#include "components/ArchivoTexto.h"
#include "components/Texto.h"

namespace tamaris::cli {

namespace {

// The database file a local connection string names.
std::string ArchivoDeCadena(const std::string& cadena) {
    return CadenaConexion(cadena).Valor({"Data Source", "DBQ", "Database"});
}

bool ExisteBase(const std::string& archivo, Salidas& s) {
    if (ExisteArchivo(archivo)) return true;
    s.err << "No existe la base de datos " << archivo << "\n";
    return false;
}

// What the parameter line lacks, in words.
std::string DatosFaltantes(const ParametrosInicio& p) {
    const bool sinServidor = Trim(p.Server).empty();
    const bool sinUsuario = Trim(p.Usuario).empty();
    if (sinServidor && sinUsuario) return "el servidor (@Server) y el usuario (@Usuario)";
    if (sinServidor) return "el servidor (@Server)";
    return "el usuario (@Usuario)";
}

}  // namespace

std::string ErrorOpcionesConexion(const Opciones& op) {
    std::vector<std::string> dadas;
    for (const std::string& o : OpcionesConexion())
        if (op.Tiene(o)) dadas.push_back(o);
    if (dadas.empty())
        return "indique la base de datos con --db ARCHIVO, --conexion \"CADENA\" o "
               "--parametros \"LINEA\"";
    if (dadas.size() == 2) return "use " + dadas[0] + " o " + dadas[1] + ", no ambas";
    if (dadas.size() > 2) return "use solo una de --db, --conexion y --parametros";
    return {};
}

bool IniciaCli(const Opciones& op, Sistema& sis, Salidas& s) {
    // Nobody answers on the command line: no dialog may be waited for.
    sis.interactivo = false;
    sis.db.dialogoAcceso = nullptr;
    sis.estadisticas.dialogoAcceso = nullptr;
    // A failed call is reported once and ends the job: nobody may be asked to retry.
    InstalaPoliticaConsola(sis.db);
    InstalaPoliticaConsola(sis.estadisticas);

    std::string linea, cadena;
    if (op.Tiene("--db")) {
        const std::string archivo = op.Valor("--db");
        if (!ExisteBase(archivo, s)) return false;
        cadena = CadenaArchivoLocal(archivo);
    } else if (op.Tiene("--conexion")) {
        cadena = op.Valor("--conexion");
        if (Trim(cadena).empty()) {
            s.err << "La cadena de --conexion está vacía.\n";
            return false;
        }
        if (EsCadenaArchivoLocal(cadena) && !ExisteBase(ArchivoDeCadena(cadena), s)) return false;
    } else {
        linea = op.Valor("--parametros");
        if (Trim(linea).empty()) {
            s.err << "La línea de --parametros está vacía: indique al menos @Server, @DbName, "
                     "@Usuario y @Password.\n";
            return false;
        }
    }

    switch (InicioSistema(sis, false, linea, cadena, adUseClient)) {
        case ResultadoInicio::FaltanDatos:
            s.err << "Faltan datos de conexión en --parametros: " << DatosFaltantes(sis.parametros)
                  << ". La línea de comandos no los pregunta; agréguelos a la línea (por "
                     "ejemplo \"@server=SERVIDOR; @usuario= USUARIO;\").\n";
            return false;
        case ResultadoInicio::SinConexion:
            s.err << "No se pudo abrir la conexión con la base de datos.\n";
            return false;
        case ResultadoInicio::Iniciado:
            break;
    }
    if (!sis.db.gOpenFlag || !sis.db.gCnn().Abierta()) {
        s.err << "No se pudo abrir la base de datos.\n";
        return false;
    }
    return true;
}

bool AbreBaseCli(const Opciones& op, DB_Dll& db, Salidas& s) {
    InstalaPoliticaConsola(db);
    if (op.Tiene("--db")) {
        const std::string archivo = op.Valor("--db");
        if (!ExisteBase(archivo, s)) return false;
        db.gProveedor = DB_Dll::pJETOLEDB40();
        db.gDBName = archivo;
        db.OpenLocalADODB("", "User ID", "Jet OLEDB:Database Password");
    } else {
        const std::string cadena = op.Valor("--conexion");
        if (EsCadenaArchivoLocal(cadena)) {
            db.gProveedor = CadenaConexion(cadena).Valor({"Provider"});
            db.OpenLocalADODB(cadena, "User ID", "Jet OLEDB:Database Password");
        } else {
            db.OpenServerADODB(false, adUseClient, cadena, true, true);
            if (!db.gOpenFlag) {
                s.err << "No se pudo abrir la conexión con la base de datos.\n";
                return false;
            }
        }
    }
    db.gOpenFlag = db.gCnn().Abierta();
    if (!db.gOpenFlag) s.err << "No se pudo abrir la base de datos.\n";
    return db.gOpenFlag;
}

}  // namespace tamaris::cli
