#include "app/Chrome.h"

#include "components/Error.h"
#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Texto.h"
#include "components/Variant.h"

namespace tamaris {

namespace {

// What the suite's controls raise for a key that names nothing.
constexpr long kElementoNoEncontrado = 35601;

// Type code of a text column for the table lookups.
const Variant kTipoTexto(8);

std::string& Texto(const PanelPorClave& barra, std::string_view clave) {
    const RefPanel p = barra ? barra(clave) : RefPanel{};
    if (!p.Text) throw ErrorTamaris(kElementoNoEncontrado, "No existe el panel " + std::string(clave));
    return *p.Text;
}

std::string& Ayuda(const PanelPorClave& barra, std::string_view clave) {
    const RefPanel p = barra ? barra(clave) : RefPanel{};
    if (!p.ToolTipText) {
        throw ErrorTamaris(kElementoNoEncontrado, "No existe el panel " + std::string(clave));
    }
    return *p.ToolTipText;
}

// A closed connection would make the data-access object show the failure; the chrome stays
// quiet instead.
bool ConexionUtil(DB_Dll& db) { return db.gOpenFlag && db.gCnn().Abierta(); }

}  // namespace

void PreparaFormulario(const Sistema& sis, FormularioChrome& Formulario) {
    bool terminar = false;
    const Paso pasos[] = {
        [&] {
            try {
                Formulario.IconoDeRecurso(kIconoRecurso);
            } catch (const std::exception&) {
                // The file is the way out when the resource fails.
            }
            if (!Formulario.TieneIcono()) {
                Formulario.IconoDeArchivo(sis.CarpetaAplicacion + std::string(kIconoArchivo));
            }
        },
        [&] { terminar = IgualSinCaso(Formulario.NombreTipo(), "FRMMDI"); },
        [&] {
            if (!terminar) Formulario.EstiloBarra(kBarrasConEstilo[0], sis.FlatToolbars);
        },
        [&] {
            if (!terminar) Formulario.EstiloBarra(kBarrasConEstilo[1], sis.FlatToolbars);
        },
        [&] {
            if (!terminar) Formulario.EstiloBarra(kBarrasConEstilo[2], sis.FlatToolbars);
        },
        [&] {
            if (!terminar) Formulario.ProcesaEventos();
        },
    };
    EjecutaPasos(pasos, IgnoraFallos);
}

std::string DescripcionCajaNueva(std::string_view caja) {
    // The component library's format 4 writes a register number with four digits; a register
    // that is not a number comes back as it is.
    return "CAJA " + FormatoValor(Variant(Trim(caja)), "0000");
}

void ActualizaBarraEstado(Sistema& sis, const PanelPorClave& BarraEstado, std::string_view Mensaje,
                          const VersionPrograma& version) {
    DB_Dll& db = sis.db;
    bool terminar = false;
    std::string descripcion;
    const auto pon = [&](std::string_view clave, const std::string& texto) {
        if (!terminar) Texto(BarraEstado, clave) = texto;
    };
    const auto ayuda = [&](std::string_view clave) {
        if (!terminar) Ayuda(BarraEstado, clave) = Texto(BarraEstado, clave);
    };
    const Paso pasos[] = {
        [&] { Texto(BarraEstado, "MENSAJE") = std::string(Mensaje); },
        // The rest is filled once per form.
        [&] { terminar = !Texto(BarraEstado, "SERVER").empty(); },
        // A panel the bar lacks costs only its own text.
        [&] { pon("SERVER", "Srv: " + db.gServidor); },
        [&] { ayuda("SERVER"); },
        [&] { pon("USUARIO", "Uid: " + db.gUsuario); },
        [&] { ayuda("USUARIO"); },
        [&] { pon("BASEDEDATOS", "Db: " + db.gDBName); },
        [&] {
            if (!terminar) Ayuda(BarraEstado, "BASEDEDATOS") = "Db: " + db.gDBName;
        },
        [&] {
            if (!terminar && sis.Caja.empty()) sis.Caja = "1";
        },
        [&] {
            if (terminar || !ConexionUtil(db)) return;
            const std::string actual = db.DatosTabla("@Admin_V_TA_Cajas", sis.Caja, "Descripcion",
                                                     "IdCajas", kTipoTexto, "", true, true);
            if (!Trim(actual).empty()) return;
            std::string sql = "INSERT INTO @Admin_V_TA_Cajas (IDCAJAS,DESCRIPCION) VALUES('" +
                              sis.Caja + "','" + DescripcionCajaNueva(sis.Caja) + "')";
            long afectados = 0;
            db.EjecutaConsultaSQL(sql, afectados);
        },
        [&] {
            if (terminar) return;
            if (ConexionUtil(db)) {
                descripcion = db.DatosTabla("V_TA_Cajas", sis.Caja, "Descripcion", "IdCajas",
                                            kTipoTexto, "", true, true);
            }
            pon("CAJA", sis.Caja + " " + descripcion);
        },
        [&] {
            pon("VERSION", "V." + std::to_string(version.Major) + "." +
                               std::to_string(version.Minor) + "." +
                               std::to_string(version.Revision));
        },
        [&] { ayuda("SERVER"); },
        [&] { ayuda("USUARIO"); },
        [&] {
            if (!terminar) Ayuda(BarraEstado, "BASEDEDATOS") = "Db: " + db.gDBName;
        },
        [&] { ayuda("CAJA"); },
    };
    EjecutaPasos(pasos, IgnoraFallos);
}

}  // namespace tamaris
