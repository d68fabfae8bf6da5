#include "app/Configuracion.h"

#include "app/Formatos.h"
#include "components/ArchivoTexto.h"
#include "components/Estacion.h"
#include "components/Pasos.h"
#include "components/Texto.h"
#include "data/Errores.h"
#include "data/Scripts.h"
#include "data/Sentencias.h"

namespace tamaris {

namespace {

// Seconds the access-log row may wait for another program's lock.
constexpr int kEsperaRegistroAcceso = 2;

// Shortens the connection's command time-out while it lives.
class EsperaCorta {
  public:
    EsperaCorta(Conexion& cn, int segundos) : cn_(cn), anterior_(cn.CommandTimeout()) {
        cn_.SetCommandTimeout(segundos);
    }
    ~EsperaCorta() {
        try {
            cn_.SetCommandTimeout(anterior_);
        } catch (const std::exception&) {
        }
    }
    EsperaCorta(const EsperaCorta&) = delete;
    EsperaCorta& operator=(const EsperaCorta&) = delete;

  private:
    Conexion& cn_;
    int anterior_;
};

std::string TablaConfiguracionDe(Sistema& sis) {
    if (Trim(sis.TablaConfiguracion).empty()) sis.TablaConfiguracion = "TA_CONFIGURACION";
    return sis.TablaConfiguracion;
}

// The field-value operation: the value's text, an empty text for null.
std::string ValorCampo(Recordset& rs, std::string_view campo, const Regional& regional) {
    return rs.Fields(campo).Value().Texto(regional);
}

std::string LeeClave(Sistema& sis, DB_Dll& db, std::string_view Clave, std::string& ValorAux,
                     const char* rutina) {
    std::string resultado;
    if (!db.gOpenFlag) return resultado;
    const std::string clave = Trim(Clave);
    std::string sentencia;
    Recordset rs;
    const TrataFallo trata = [&](const ErrorInfo& e) {
        return TrataError(sis, e, std::nullopt, std::string(rutina)) == kIgnorar ? kIgnorar : 0;
    };
    EjecutaPasos(
        {[&] {
             sentencia = "SELECT VALOR, valoraux FROM " + TablaConfiguracionDe(sis) +
                         " with(nolock)  WHERE CLAVE = '" + clave + "'";
             if (IgualSinCaso(clave, "[FECHA HASTA]") || IgualSinCaso(clave, "[FECHA DESDE]"))
                 sentencia = Mayusculas(sentencia);
         },
         [&] {
             db.AbrirRecordset(sentencia, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
         },
         [&] {
             if (rs.Eof()) {
                 resultado = " ";
                 ValorAux.clear();
             } else {
                 resultado = ValorCampo(rs, "Valor", db.regional);
                 ValorAux = ValorCampo(rs, "ValorAux", db.regional);
             }
         },
         [&] { db.CierraRecordset(rs); },
         [&] {
             if (IgualSinCaso(clave, "THEME") && Trim(resultado).empty()) resultado = "1";
         }},
        trata);
    return resultado;
}

// Whether the database has the table; a catalogue that cannot be read counts as no.
bool HayTabla(DB_Dll& db, std::string_view tabla) {
    return db.gOpenFlag && db.gCnn().Abierta() && db.ExisteTablaDB(tabla);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Configuration rows

std::string LeerConfiguracion(Sistema& sis, std::string_view Clave, std::string& ValorAux) {
    return LeeClave(sis, sis.db, Clave, ValorAux, "Cfg");
}

std::string LeerConfiguracion(Sistema& sis, std::string_view Clave) {
    std::string aux;
    return LeerConfiguracion(sis, Clave, aux);
}

std::string LeerConfiguracionEstadisticas(Sistema& sis, std::string_view Clave,
                                          std::string& ValorAux) {
    return LeeClave(sis, sis.estadisticas, Clave, ValorAux, "CfgTM");
}

std::string LeerConfiguracionEstadisticas(Sistema& sis, std::string_view Clave) {
    std::string aux;
    return LeerConfiguracionEstadisticas(sis, Clave, aux);
}

std::string ValorConfiguracion(Sistema& sis, std::string_view Clave, std::string_view Defecto) {
    const std::string valor = LeerConfiguracion(sis, Clave);
    return Trim(valor).empty() ? std::string(Defecto) : valor;
}

std::function<std::string(std::string_view, std::string_view)> LectorConfiguracion(Sistema& sis) {
    return [&sis](std::string_view clave, std::string_view defecto) {
        return ValorConfiguracion(sis, clave, defecto);
    };
}

void GrabaConfiguracion(Sistema& sis, std::string_view Clave, const Variant& Valor,
                        std::string_view ValorAux, bool PoliticaNegocio, std::string_view Grupo,
                        bool RecortaValor) {
    DB_Dll& est = sis.estadisticas;
    if (!est.gOpenFlag) return;
    const std::string tabla = TablaConfiguracionDe(sis);
    std::string sentencia =
        "SELECT * FROM " + tabla + " with(nolock)  WHERE CLAVE = '" + std::string(Clave) + "'";
    const std::string clave = Mayusculas(Trim(Clave));
    const Variant valor = RecortaValor ? Variant(Trim(Valor.Texto(est.regional))) : Valor;
    const std::string aux = Trim(ValorAux);
    Recordset rs;
    bool nueva = false;
    EjecutaPasos({[&] {
                      est.AbrirRecordset(sentencia, rs, &est.gCnn(), adOpenDynamic,
                                         adLockOptimistic, -1, true);
                  },
                  [&] {
                      if (rs.State() == adStateClosed) return;
                      nueva = rs.Eof();
                      if (nueva) rs.AddNew();
                  },
                  [&] {
                      if (nueva) rs.Fields("Grupo").SetValue(Variant(Grupo));
                  },
                  [&] {
                      if (nueva) rs.Fields("Clave").SetValue(Variant(clave));
                  },
                  [&] {
                      if (nueva) rs.Fields("Valor").SetValue(valor);
                  },
                  [&] {
                      if (nueva) rs.Fields("PoliticaNegocio").SetValue(Variant(PoliticaNegocio));
                  },
                  [&] {
                      if (nueva && !ValorAux.empty()) rs.Fields("ValorAux").SetValue(Variant(aux));
                  },
                  [&] {
                      if (rs.State() == adStateClosed) return;
                      if (nueva) {
                          rs.Update();
                          return;
                      }
                      // The row found is replaced in place.
                      std::string cambio = "UPDATE " + tabla +
                                           " SET Grupo = " + est.SQLValue(Variant(Grupo), "'") +
                                           ", CLAVE = " + est.SQLValue(Variant(clave), "'") +
                                           ", VALOR = " + est.SQLValue(valor, "'") +
                                           ", PoliticaNegocio = " + (PoliticaNegocio ? "1" : "0");
                      if (!ValorAux.empty())
                          cambio += ", ValorAux = " + est.SQLValue(Variant(aux), "'");
                      cambio += " WHERE CLAVE = '" + std::string(Clave) + "'";
                      long filas = 0;
                      est.EjecutaConsultaSQL(cambio, filas);
                  },
                  // A row that could not be stored is cancelled on closing.
                  [&] { est.CierraRecordset(rs); }},
                 IgnoraFallos);
}

void CargaConfiguracion(Sistema& sis, std::string_view /*CarpetaAplicacion*/) {
    // The sibling sales programs read "CantidadDecimalesVentas" as well; this program is not
    // one of them.
    bool hayTabla = false;
    EjecutaPasos({[&] { sis.TablaConfiguracion = "ta_configuracion"; },
                  [&] { hayTabla = HayTabla(sis.db, sis.TablaConfiguracion); },
                  [&] {
                      if (hayTabla)
                          sis.CantidadDecimales = LeerConfiguracion(sis, "CantidadDecimales");
                  },
                  [&] {
                      if (!hayTabla) return;
                      const std::string valor = Trim(LeerConfiguracion(sis, "SS_CONFIDENCIALIDAD"));
                      sis.Confidencialidad = valor;
                      sis.db.Confidencialidad = IgualSinCaso(valor, "SI");
                  }},
                 IgnoraFallos);
}

// ---------------------------------------------------------------------------------------------
// Access log

std::string TareaDeAcceso(Sistema& sis, std::string_view programa) {
    DB_Dll& db = sis.db;
    const std::string ejecutable = NombrePrograma();
    std::string tarea;
    bool hallada = false;
    Recordset rs;
    std::string sentencia =
        "SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre " +
        std::string(
            " FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU ON TA_TAREAS.TAREA = "
            "TA_MENU.Clave ") +
        " WHERE (TA_TAREAS.USUARIO = '" + sis.UsuarioLogeado + " ') AND (TA_MENU.Proceso LIKE '%" +
        std::string(programa) + "%')";
    bool hayTablas = false;
    EjecutaPasos({[&] { hayTablas = HayTabla(db, "TA_TAREAS") && HayTabla(db, "TA_MENU"); },
                  [&] {
                      if (hayTablas)
                          db.AbrirRecordset(sentencia, rs, nullptr, adOpenForwardOnly,
                                            adLockReadOnly, -1, true);
                  },
                  [&] {
                      if (rs.State() != adStateClosed && !rs.Eof()) {
                          tarea = ValorCampo(rs, "Nombre", db.regional);
                          hallada = true;
                      }
                  },
                  [&] { db.CierraRecordset(rs); }},
                 IgnoraFallos);
    if (hallada) return tarea;
    if (IgualSinCaso(ejecutable, "QX000PR")) return "Menu Principal";
    if (IgualSinCaso(db.gUsuario, db.gDBName) || IgualSinCaso(db.gUsuario, "SUPERVISOR TAMARIS MC"))
        return ejecutable;
    return {};
}

void RegistraAcceso(Sistema& sis, std::string_view Formulario) {
    DB_Dll& db = sis.db;
    std::string nombre, tarea;
    bool hayTabla = false;
    Recordset rs;
    std::vector<ColumnaValor> lista;
    std::vector<std::string> sentencias;
    EjecutaPasos(
        {[&] { nombre = Formulario.empty() ? NombrePrograma() : std::string(Formulario); },
         [&] { sis.UsuarioLogeado = db.gUsuario; },
         [&] { hayTabla = HayTabla(db, "Control_Acceso"); },
         [&] {
             if (hayTabla) tarea = TareaDeAcceso(sis, nombre);
         },
         [&] {
             if (!hayTabla) return;
             std::string s = TraduceTop(db, "Select TOP 1 * from Control_Acceso  with(nolock) ");
             db.AbrirRecordset(s, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
         },
         [&] {
             if (!hayTabla) return;
             std::string maquina = Mayusculas(Trim(Estacion::NombreMaquina()));
             std::string usuario = Mayusculas(Trim(sis.UsuarioLogeado));
             std::string formulario = Mayusculas(Trim(nombre));
             std::string tareaMayus = Mayusculas(Trim(tarea));
             std::string ingreso = FechaConFormato(Ahora(), FormatoFechaHora());
             std::string nombreUsuario = sis.UsuarioLogeado;
             AgregaValor(lista, db, "Maquina", maquina, "'", true);
             AgregaValor(lista, db, "Usuario", usuario, "'", false);
             AgregaValor(lista, db, "Formulario", formulario, "'", false);
             AgregaValor(lista, db, "Tarea", tareaMayus, "'", false);
             AgregaValor(lista, db, "Ingreso", ingreso, "'", false);
             AgregaValor(lista, db, "NombreUsuario", nombreUsuario, "'", false);
             std::string condicion;
             ArmaSentencia(lista, sentencias, "Control_Acceso", false, condicion, false);
         },
         [&] { db.CierraRecordset(rs); },
         [&] {
             if (!hayTabla || sentencias.empty()) return;
             bool fallo = false;
             long numero = 0;
             std::string lote, texto;
             {
                 // A job that only reads must not wait on another program's lock for the sake
                 // of this row: it gets a short wait, then the row is left out.
                 EsperaCorta espera(db.gCnn(), kEsperaRegistroAcceso);
                 GActualizarDatoScript(sis, sentencias, fallo, numero, false, false, lote, texto,
                                       false);
             }
             // Nobody is shown anything for this row, so the log is the only trace of a row
             // that was left out, whatever the reason.
             if (!fallo) return;
             std::string motivo = Trim(texto);
             if (motivo.empty()) motivo = "error " + std::to_string(numero);
             AnexaLinea(
                 RutaLogErrores(),
                 LineaLogErrores(
                     " - RegistraAcceso",
                     "No se registró el acceso en Control_Acceso: " + OcultaClaves(motivo), 0));
         }},
        IgnoraFallos);
}

// ---------------------------------------------------------------------------------------------
// Lookup masks

const std::vector<MascaraConsulta>& MascarasPorDefecto() {
    static const std::vector<MascaraConsulta> m = {
        {"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|", ""},
        {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|", ""},
        {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|", ""},
        {"CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|", ""},
        {"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|", ""},
        {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|", ""},
        {"MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|", ""},
        {"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|", ""},
        {"TAREAS", "V_TA_Tareas", "|Descripcion|IdTarea|", ""},
        {"UnidadNegocio", "V_TA_UnidadNegocio", "|Descripcion|Codigo|", ""},
        {"DEPOSITO", "V_TA_DEPOSITO", "|Descripcion|IdDeposito|", ""},
    };
    return m;
}

void CreaMascarasConsultas(Sistema& sis) {
    const std::string& ruta = sis.consultas.gRutaMascaraConsultas;
    // A file that another program seeded meanwhile is left as it is.
    if (!ExisteArchivo(ruta)) {
        CreaArchivoMascaras(ruta, MascarasPorDefecto());
        return;
    }
    AgregaMascaras(ruta, MascarasPorDefecto());
}

}  // namespace tamaris
