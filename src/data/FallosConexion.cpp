#include "data/FallosConexion.h"

#include <initializer_list>
#include <string_view>

#include "components/Texto.h"

namespace tamaris {

namespace {

bool DiceAlguno(std::string_view texto, std::initializer_list<std::string_view> frases) {
    for (std::string_view f : frases)
        if (ContieneSinCaso(texto, f)) return true;
    return false;
}

// SQL Server's native errors (FreeTDS and Microsoft's drivers pass them on).
constexpr long kLoginFallido = 18456;
constexpr long kSinConexionesLibres = 17809;
constexpr long kBaseNoSeAbre = 4060;
// SQLite's SQLITE_AUTH: the authorizer or the user-authentication extension refused.
constexpr long kSqliteAutorizacion = 23;

}  // namespace

FalloConexion ClasificaFalloConexion(const ErrorProveedor& r) {
    const std::string& e = r.SQLState;
    const std::string& t = r.Description;
    if (e == "28000" || e == "28P01" || r.NativeError == kLoginFallido ||
        DiceAlguno(t, {"password authentication failed", "authentication failed for user",
                       "Login failed for user", "no password supplied", "no pg_hba.conf entry"}))
        return FalloConexion::Autenticacion;
    if (r.Source == "SQLite" && (r.NativeError & 0xff) == kSqliteAutorizacion && e != "HY000")
        return FalloConexion::Autenticacion;
    if (e == "53300" || r.NativeError == kSinConexionesLibres ||
        DiceAlguno(t, {"too many clients", "remaining connection slots are reserved",
                       "too many connections", "maximum number of user connections"}))
        return FalloConexion::DemasiadasConexiones;
    if (e == "3D000" || (r.NativeError == kBaseNoSeAbre && e.starts_with("42")) ||
        (e.starts_with("08") && DiceAlguno(t, {"database \"", "Cannot open database"}) &&
         DiceAlguno(t, {"does not exist", "Cannot open database"})))
        return FalloConexion::BaseInexistente;
    if (e.starts_with("57P0")) return FalloConexion::Perdida;
    // SQLite says 08001 for a file it cannot open, which its own message already explains.
    if (r.Source == "SQLite") return FalloConexion::Ninguno;
    if (e == "08001" || e == "08004") return FalloConexion::Inalcanzable;
    if (e.starts_with("08")) return FalloConexion::Perdida;
    return FalloConexion::Ninguno;
}

std::string TextoFalloConexion(FalloConexion fallo) {
    switch (fallo) {
        case FalloConexion::Autenticacion:
            return "El servidor de base de datos rechazó el usuario o la contraseña. Revise los "
                   "datos de acceso.";
        case FalloConexion::DemasiadasConexiones:
            return "El servidor de base de datos no admite más conexiones en este momento: "
                   "llegó a su máximo de clientes. Espere a que se liberen o pida al "
                   "administrador que amplíe el límite.";
        case FalloConexion::BaseInexistente:
            return "La base de datos indicada no existe en el servidor.";
        case FalloConexion::Inalcanzable:
            return "No se pudo conectar con el servidor de base de datos. Revise el nombre del "
                   "servidor, el puerto y la red.";
        case FalloConexion::Perdida:
            return "Se perdió la conexión con el servidor de base de datos.";
        case FalloConexion::Ninguno:
            break;
    }
    return {};
}

}  // namespace tamaris
