#include "cli/Conectar.h"

#include "components/ArchivoTexto.h"
#include "components/Texto.h"

namespace tamaris::cli {

std::string ErrorOpcionesConexion(const Opciones& op) {
    const int dadas = (op.Tiene("--db") ? 1 : 0) + (op.Tiene("--conexion") ? 1 : 0);
    if (dadas == 0) return "indique la base de datos con --db ARCHIVO o --conexion \"CADENA\"";
    if (dadas > 1) return "use --db o --conexion, no ambas";
    return {};
}

bool AbreBaseCli(const Opciones& op, DB_Dll& db, Salidas& s) {
    if (op.Tiene("--db")) {
        const std::string archivo = op.Valor("--db");
        if (!ExisteArchivo(archivo)) {
            s.err << "No existe la base de datos " << archivo << "\n";
            return false;
        }
        db.gProveedor = DB_Dll::pJETOLEDB40();
        db.gDBName = archivo;
        db.OpenLocalADODB("", "User ID", "Jet OLEDB:Database Password");
    } else {
        const std::string cadena = op.Valor("--conexion");
        const std::string proveedor = CadenaConexion(cadena).Valor({"Provider"});
        if (EmpiezaSinCaso(proveedor, "Microsoft.Jet") || IgualSinCaso(proveedor, "SQLite")) {
            db.gProveedor = proveedor;
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
