#include "lookup/Lib_ClsCons3.h"

#include <cmath>

#include "components/ArchivoTexto.h"
#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Texto.h"
#include "components/Ui.h"
#include "data/DB_Dll.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "lookup/Mascaras.h"

namespace tamaris {

namespace {

constexpr long kLimitePorDefecto = 1000;

bool EsDescriptiva(std::string_view campo) {
    return IgualSinCaso(campo, "DESCRIPCION") || IgualSinCaso(campo, "NOMBRE") ||
           IgualSinCaso(campo, "DETALLE");
}

bool EsDeControl(std::string_view campo) {
    return IgualSinCaso(campo, "ID") || IgualSinCaso(campo, "FECHAHORA_MODIFICACION") ||
           IgualSinCaso(campo, "FECHAHORA_GRABACION");
}

// Outcome of looking a bare name up in the mask file.
enum class Mascara { SinRegistro, Armada, SinConfigurar };

}  // namespace

long Lib_ClsCons3::LimiteFilas() const {
    if (!entorno_) return kLimitePorDefecto;
    const double valor = ValorNumerico(entorno_->Configuracion("TopConsArt", ""));
    return valor == 0 ? kLimitePorDefecto : static_cast<long>(std::nearbyint(valor));
}

void Lib_ClsCons3::ConsultaSearch(std::string SQL, std::vector<std::string>& CmpsDevueltos,
                                  std::string& Clave, std::string& CampoBusqueda,
                                  std::string& Where, std::string& SentenciaOpcional,
                                  bool& TreeView) {
    if (!entorno_ || !entorno_->ui || !entorno_->db) return;
    const EntornoConsulta& entorno = *entorno_;

    long limite = kLimitePorDefecto;
    EjecutaPaso([&] { limite = LimiteFilas(); }, IgnoraFallos);

    if (!ContieneSinCaso(SQL, "SELECT")) {
        std::string sentencia;
        Mascara mascara = Mascara::SinRegistro;

        if (gUsarMascarasConsultas && ExisteArchivo(gRutaMascaraConsultas)) {
            EjecutaPaso(
                [&] {
                    const std::string buscada = Trim(SQL);
                    for (const MascaraConsulta& m : LeeMascaras(gRutaMascaraConsultas)) {
                        const std::string tabla = CampoMascaraLimpio(m.Tabla);
                        if (!IgualSinCaso(tabla, buscada)) continue;

                        std::string columnas = Trim(ReemplazaTexto(m.Columnas, "|", ","));
                        if (columnas.starts_with(',')) columnas.erase(0, 1);
                        if (columnas.ends_with(',')) columnas.pop_back();
                        if (columnas.empty()) columnas = "*";

                        if (CampoBusqueda.empty()) {
                            const std::size_t coma = columnas.find(',');
                            if (coma == std::string::npos) {
                                mascara = Mascara::SinConfigurar;
                                return;
                            }
                            CampoBusqueda = columnas.substr(0, coma);
                        }

                        std::string filtro = CampoMascaraLimpio(m.Filtro);
                        if (Trim(filtro).empty() && !Trim(Where).empty()) filtro = Where;
                        if (Trim(filtro).empty()) {
                            if (IgualSinCaso(tabla, "VT_PROVEEDORES") ||
                                IgualSinCaso(tabla, "VT_CLIENTES"))
                                filtro = "Dada_De_Baja = 0";
                            else if (IgualSinCaso(tabla, "V_MA_ARTICULOS"))
                                filtro = "SUSPENDIDO = 0";
                        }

                        sentencia = "SELECT TOP " + std::to_string(limite) + " " + columnas +
                                    " FROM " + tabla;
                        if (!Trim(filtro).empty()) sentencia += " WHERE " + filtro;
                        if (!CampoBusqueda.empty()) sentencia += " ORDER BY " + CampoBusqueda;
                        mascara = Mascara::Armada;
                        return;
                    }
                },
                IgnoraFallos);
        }

        if (mascara == Mascara::SinConfigurar) {
            entorno.ui->mensajes.Mostrar("Debe configurar la consulta para esta tabla",
                                         mb::kOk | mb::kInformacion, "Aviso al operador");
            return;
        }

        if (mascara == Mascara::SinRegistro) {
            if (!SentenciaOpcional.empty()) {
                sentencia = SentenciaOpcional;
            } else {
                std::string columnas;
                Recordset rs;
                DB_Dll& db = *entorno.db;
                EjecutaPaso(
                    [&] {
                        std::string prueba = "select top 1 * from " + SQL;
                        db.AbrirRecordset(prueba, rs, nullptr, adOpenForwardOnly, adLockReadOnly,
                                          -1, true);
                    },
                    IgnoraFallos);
                EjecutaPaso(
                    [&] {
                        if (rs.State() == adStateClosed) return;
                        // Each field goes in front, so the list ends up in reverse field order.
                        for (int i = 0; i < rs.FieldCount(); ++i) {
                            const std::string nombre = rs.Fields(i).Name();
                            if (EsDeControl(nombre)) continue;
                            const bool enBlanco = Trim(columnas).empty();
                            columnas = nombre + "," + columnas;
                            if (EsDescriptiva(nombre) || enBlanco) CampoBusqueda = nombre;
                        }
                    },
                    IgnoraFallos);
                EjecutaPaso([&] { db.CierraRecordset(rs); }, IgnoraFallos);

                if (Trim(columnas).empty())
                    columnas = " * ";
                else
                    columnas.pop_back();
                sentencia = "SELECT TOP " + std::to_string(limite) + " " + columnas + " FROM " +
                            SQL + " ORDER BY " + CampoBusqueda;
            }
        }
        SQL = sentencia;
    }

    if (TreeView) {
        EjecutaPaso(
            [&] {
                Lib_FrmCons3Tree arbol(entorno);
                arbol.SQL = SQL;
                arbol.CampoDevuelto = CampoDevuelto;
                arbol.MostrarModal();
                ValorDevuelto = arbol.ValorDevuelto;
                arbol.Form_Unload();
            },
            IgnoraFallos);
    } else {
        EjecutaPaso(
            [&] {
                Lib_FrmCons3 lista(entorno);
                lista.OrdenarPorLwv = !ContieneSinCaso(SQL, "ORDER BY");
                lista.FiltroInicial = Clave;
                lista.CampoBusqueda = CampoBusqueda;
                lista.SQL = SQL;
                lista.gConnString = gConnString;
                lista.CampoDevuelto = CampoDevuelto;
                lista.CheckBoxes = Checks;
                lista.UsaCantidades = UsaCantidades;
                Valores.clear();
                Cantidades.clear();
                lista.CmpsDevueltos = CmpsDevueltos;
                lista.MostrarModal();

                Valores = std::move(lista.Valores);
                Cantidades = std::move(lista.Cantidades);
                ValorDevuelto = lista.ValorDevuelto;
                lista.CampoDevuelto.clear();
                lista.Valores.clear();
                lista.Cantidades.clear();
                lista.Form_Unload();
            },
            IgnoraFallos);
        // One-shot request, cleared whatever happened to the form.
        Checks = false;
    }

    CampoDevuelto.clear();
    CmpsDevueltos.clear();
}

std::string Lib_ClsCons3::Consulta(std::string_view SQL, std::string_view campoDevuelto) {
    CampoDevuelto = std::string(campoDevuelto);
    std::vector<std::string> columnas;
    std::string clave, campoBusqueda, where, opcional;
    bool arbol = false;
    ConsultaSearch(std::string(SQL), columnas, clave, campoBusqueda, where, opcional, arbol);
    return entorno_ && entorno_->db ? ValorDevuelto.Texto(entorno_->db->regional)
                                    : ValorDevuelto.Texto();
}

}  // namespace tamaris
