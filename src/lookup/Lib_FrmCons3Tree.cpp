#include "lookup/Lib_FrmCons3Tree.h"

#include <optional>
#include <stdexcept>

#include "components/Pasos.h"
#include "components/Texto.h"
#include "components/Ui.h"
#include "data/DB_Dll.h"

namespace tamaris {

namespace {

constexpr long kClaveRepetida = 35602;
constexpr long kNodoInexistente = 35601;

std::string Comillas(std::string_view texto) { return ReemplazaExacto(texto, "'", "''"); }

}  // namespace

const std::string& Lib_FrmCons3Tree::SentenciaFamilias() {
    static const std::string sentencia =
        std::string("SELECT     TOP 100 PERCENT IdFamilia, Descripcion, ") +
        "(SELECT     TOP 1 idfamilia FROM v_ta_familias a  " +
        " Where a.IdFamilia < b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < "
        "Len(LTrim(RTrim(b.IdFamilia)))) " +
        " ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b ORDER BY IdFamilia";
    return sentencia;
}

Lib_FrmCons3Tree::Lib_FrmCons3Tree(EntornoConsulta entorno) : entorno_(std::move(entorno)) {
    if (!entorno_.ui || !entorno_.db)
        throw std::invalid_argument("Lib_FrmCons3Tree necesita los puertos y la conexión");
}

void Lib_FrmCons3Tree::MostrarModal() {
    Form_Load();
    visible_ = true;
    if (entorno_.arbol) entorno_.arbol->MostrarModal(*this);
    // A presenter that returns with the form still up had its window closed: that cancels.
    if (visible_) CmdCancelar_Click();
}

void Lib_FrmCons3Tree::Hide() {
    visible_ = false;
    Avisar(AvisoConsulta::Oculta);
}

void Lib_FrmCons3Tree::Avisar(AvisoConsulta aviso) {
    if (entorno_.arbol) entorno_.arbol->Avisar(*this, aviso);
}

int Lib_FrmCons3Tree::IndiceNodo(std::string_view clave) const {
    const auto it = porClave_.find(Mayusculas(clave));
    return it == porClave_.end() ? -1 : it->second;
}

// ---------------------------------------------------------------------------------------------
// Building

void Lib_FrmCons3Tree::Limpiar() {
    nodos_.clear();
    porClave_.clear();
    seleccionado_ = -1;
}

int Lib_FrmCons3Tree::Agregar(std::string_view padre, std::string clave, std::string texto) {
    int indicePadre = -1;
    if (!padre.empty()) {
        indicePadre = IndiceNodo(padre);
        if (indicePadre < 0) throw ErrorTamaris(kNodoInexistente, "No se encontró el elemento");
    }
    const std::string mayusculas = Mayusculas(clave);
    if (porClave_.count(mayusculas))
        throw ErrorTamaris(kClaveRepetida, "La clave no es única en la colección");
    NodoArbol nodo;
    nodo.Key = std::move(clave);
    nodo.Text = std::move(texto);
    nodo.Parent = indicePadre;
    const int indice = static_cast<int>(nodos_.size());
    nodos_.push_back(std::move(nodo));
    porClave_.emplace(mayusculas, indice);
    if (indicePadre >= 0) nodos_[static_cast<std::size_t>(indicePadre)].Children.push_back(indice);
    return indice;
}

void Lib_FrmCons3Tree::Construir() {
    if (ContieneSinCaso(SQL, "v_ta_familias"))
        ArmarTreeVFamilias();
    else
        ArmarTreeVAutomatico();
    Avisar(AvisoConsulta::Cargada);
}

void Lib_FrmCons3Tree::ArmarTreeVFamilias() {
    const auto trata = [this](const ErrorInfo& e) {
        return entorno_.ui->errores.Reportar(e, "FORM_LOAD");
    };
    DB_Dll& db = *entorno_.db;
    Recordset rs;
    CierraAlSalir cierre(rs);
    if (!EjecutaPaso(
            [&] {
                Limpiar();
                Agregar({}, std::string(kClaveRaiz), std::string(kTextoRaiz));
                nodos_.front().Expanded = true;
                SQL = SentenciaFamilias();
                std::string sentencia = SQL;
                db.AbrirRecordset(sentencia, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1,
                                  true);
            },
            trata))
        return;
    if (rs.State() == adStateClosed) return;  // the data layer has reported it
    for (; !rs.Eof(); rs.MoveNext()) {
        const bool seguir = EjecutaPaso(
            [&] {
                AgregarFamilia(rs.Valor(0).Texto(db.regional), rs.Valor(1).Texto(db.regional),
                               rs.Valor(2));
            },
            trata);
        if (!seguir) return;
    }
}

void Lib_FrmCons3Tree::AgregarFamilia(std::string_view IdFamilia, std::string_view Descripcion,
                                      const Variant& Pariente) {
    const std::string padre = Pariente.EsNulo() || Pariente.EsVacio()
                                  ? std::string(kClaveRaiz)
                                  : std::string(kClaveRaiz) + Pariente.Texto(entorno_.db->regional);
    Agregar(padre, std::string(kClaveRaiz) + std::string(IdFamilia),
            std::string(IdFamilia) + " - " + std::string(Descripcion));
}

void Lib_FrmCons3Tree::ArmarTreeVAutomatico() {
    const auto trata = [this](const ErrorInfo& e) {
        return entorno_.ui->errores.Reportar(e, "ArmarTreeVAutomatico");
    };
    DB_Dll& db = *entorno_.db;
    Recordset rs;
    CierraAlSalir cierre(rs);
    if (!EjecutaPaso(
            [&] {
                Limpiar();
                Agregar({}, std::string(kClaveRaiz), std::string(kTextoRaiz));
                nodos_.front().Expanded = true;
                std::string sentencia = SQL;
                db.AbrirRecordset(sentencia, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1,
                                  true);
            },
            trata))
        return;
    if (rs.State() == adStateClosed) return;
    for (; !rs.Eof(); rs.MoveNext()) {
        const bool seguir = EjecutaPaso(
            [&] {
                const std::string codigo = rs.Fields(0).Value().Texto(db.regional);
                const std::string descripcion = rs.Fields(1).Value().Texto(db.regional);
                const std::string clave = std::string(kClaveRaiz) + codigo;
                // The parent is the node with the longest key that this key begins with.
                std::string padre(kClaveRaiz);
                for (std::size_t largo = clave.size() - 1; largo > kClaveRaiz.size(); --largo) {
                    if (IndiceNodo(std::string_view(clave).substr(0, largo)) >= 0) {
                        padre = clave.substr(0, largo);
                        break;
                    }
                }
                Agregar(padre, clave, codigo + " - " + descripcion);
            },
            trata);
        if (!seguir) return;
    }
}

// ---------------------------------------------------------------------------------------------
// Events

void Lib_FrmCons3Tree::Form_Load() {
    Valores.clear();
    Limpiar();
    Construir();
}

void Lib_FrmCons3Tree::Form_Unload() {
    try {
        Limpiar();
    } catch (const std::exception& e) {
        entorno_.ui->mensajes.Mostrar(InfoDeExcepcion(e).Descripcion, mb::kOk | mb::kCritico,
                                      "Aviso al Operador");
    }
}

void Lib_FrmCons3Tree::Form_KeyDown(int& KeyCode, int /*Shift*/) {
    if (KeyCode == teclaConsulta::kEscape) CmdCancelar_Click();
}

void Lib_FrmCons3Tree::TreeV_NodeClick(int nodo) {
    if (nodo < 0 || nodo >= static_cast<int>(nodos_.size())) return;
    seleccionado_ = nodo;
    Avisar(AvisoConsulta::Seleccion);
}

void Lib_FrmCons3Tree::TreeV_NodeCheck(int nodo, bool marcado) {
    if (nodo < 0 || nodo >= static_cast<int>(nodos_.size())) return;
    nodos_[static_cast<std::size_t>(nodo)].Checked = marcado;
    // Level by level, each node takes its parent's state, down to six levels below.
    std::vector<int> nivel{nodo};
    for (int n = 0; n < kNivelesMarcados && !nivel.empty(); ++n) {
        std::vector<int> siguiente;
        for (int padre : nivel) {
            for (int hijo : nodos_[static_cast<std::size_t>(padre)].Children) {
                nodos_[static_cast<std::size_t>(hijo)].Checked =
                    nodos_[static_cast<std::size_t>(padre)].Checked;
                siguiente.push_back(hijo);
            }
        }
        nivel = std::move(siguiente);
    }
    Avisar(AvisoConsulta::Marcas);
}

void Lib_FrmCons3Tree::TreeV_Expand(int nodo, bool expandido) {
    if (nodo < 0 || nodo >= static_cast<int>(nodos_.size())) return;
    nodos_[static_cast<std::size_t>(nodo)].Expanded = expandido;
}

void Lib_FrmCons3Tree::TreeV_DblClick() {
    if (seleccionado_ >= 0) CmdAceptar_Click();
}

void Lib_FrmCons3Tree::HazVisible(int nodo) {
    for (int p = nodos_[static_cast<std::size_t>(nodo)].Parent; p >= 0;
         p = nodos_[static_cast<std::size_t>(p)].Parent)
        nodos_[static_cast<std::size_t>(p)].Expanded = true;
}

void Lib_FrmCons3Tree::CmbSearch_Change(std::string_view texto) {
    CmbSearch = std::string(texto);
    // The searches never stop the operator.
    try {
        const std::string buscado = Trim(texto);
        for (std::size_t i = 0; i < nodos_.size(); ++i) {
            const std::string& t = nodos_[i].Text;
            const std::size_t guion = t.find('-');
            if (guion == std::string::npos) continue;  // the root: no code to match
            const std::string_view codigo = TrimVista(std::string_view(t).substr(0, guion));
            const std::string_view descripcion = TrimVista(std::string_view(t).substr(guion + 1));
            if (EmpiezaSinCaso(codigo, buscado) || EmpiezaSinCaso(descripcion, buscado)) {
                seleccionado_ = static_cast<int>(i);
                HazVisible(seleccionado_);
                Avisar(AvisoConsulta::Seleccion);
                return;
            }
        }
    } catch (const std::exception&) {
    }
}

void Lib_FrmCons3Tree::CmbSearch_KeyDown(int& KeyCode, int /*Shift*/) {
    if (KeyCode != teclaConsulta::kF5) return;
    try {
        std::string base = SQL, cola;
        if (const std::size_t p = BuscaSinCaso(SQL, "order by"); p != std::string::npos) {
            cola = SQL.substr(p);
            base = SQL.substr(0, p);
        }
        SQL = base + (ContieneSinCaso(base, "where") ? " and " : " where ") + "Descripcion" +
              " like '%" + Comillas(CmbSearch) + "%' " + cola;
        CmbSearch.clear();
    } catch (const std::exception&) {
        return;
    }
    // The tree is built again at once with the new condition.
    Construir();
}

Variant Lib_FrmCons3Tree::BuscaValor(std::string_view codigo) const {
    DB_Dll& db = *entorno_.db;
    const auto busca = [&](std::string_view tabla,
                           std::string_view campo) -> std::optional<Variant> {
        Recordset rs;
        CierraAlSalir cierre(rs);
        if (!db.ExisteEnTabla(tabla, codigo, campo, &rs)) return std::nullopt;
        const Variant& v = rs.Fields(CampoDevuelto).Value();
        return v.EsNulo() ? Variant() : v;
    };
    std::optional<Variant> valor;
    if (IgualSinCaso(CampoDevuelto, "IDFAMILIA")) {
        valor = busca("@admin_V_TA_FAMILIAS", "IDFAMILIA");
    } else if (IgualSinCaso(CampoDevuelto, "IDPOSICION")) {
        valor = busca("MA_POSICIONES", "IDPOSICION");
    } else if (IgualSinCaso(CampoDevuelto, "CODIGO")) {
        valor = busca("TA_CCOSTO", "CODIGO");
        if (!valor) valor = busca("MA_CUENTAS", "CODIGO");
    } else {
        // A column the form does not know: the node's own code is the value.
        valor = Variant(std::string(codigo));
    }
    return valor ? *valor : Variant(std::string());
}

void Lib_FrmCons3Tree::CmdAceptar_Click() {
    const auto trata = [this](const ErrorInfo& e) {
        return entorno_.ui->errores.Reportar(e, "HScroll1_Change");
    };
    const auto codigo = [&](int nodo) {
        return nodos_[static_cast<std::size_t>(nodo)].Key.substr(kClaveRaiz.size());
    };
    if (!CheckBoxes) {
        if (!EjecutaPaso(
                [&] {
                    ValorDevuelto = seleccionado_ < 0 ? Variant(std::string())
                                                      : BuscaValor(codigo(seleccionado_));
                },
                trata))
            return;
    } else {
        Valores.clear();
        ValorDevuelto = Variant(std::string());
        for (int i = 0; i < static_cast<int>(nodos_.size()); ++i) {
            if (!nodos_[static_cast<std::size_t>(i)].Checked || codigo(i).empty()) continue;
            if (!EjecutaPaso(
                    [&] {
                        const Variant valor = BuscaValor(codigo(i));
                        if (valor.Texto().empty()) return;
                        Valores.push_back(valor);
                        ValorDevuelto = valor;
                    },
                    trata))
                return;
        }
    }
    Hide();
}

void Lib_FrmCons3Tree::CmdCancelar_Click() {
    ValorDevuelto = Variant(std::string());
    Valores.clear();
    Hide();
}

void Lib_FrmCons3Tree::CmdNueva_Click() { Construir(); }

}  // namespace tamaris
