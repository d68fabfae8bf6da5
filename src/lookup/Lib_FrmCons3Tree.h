#pragma once
// The tree lookup form, "Consulta...": hierarchical codes (product families, or any code list
// whose codes nest by prefix) shown as a tree under the root "Consulta...". The operator picks a
// node, or ticks several, and accepts; the form puts the value of the requested column in
// ValorDevuelto (and the ticked ones in Valores) and hides; the lookup service reads it.
//
// Headless, like the list form: a presenter (VistaConsultaArbol) shows it and turns the
// operator's actions into the event calls below.
//
// Binding it:
//  - Nodos(): every node in node order (the root first), with its key, text, parent and
//    children (indexes into Nodos()), check state and whether it is expanded. A node's code is
//    its key without the leading "A".
//  - Seleccionado(): the selected node (-1: none). CheckBoxes: whether nodes have check boxes.
//  - CmbSearch: the search box's text; F5 in it asks the database again.
//  - Events: TreeV_NodeClick, TreeV_NodeCheck, TreeV_Expand, TreeV_DblClick, CmbSearch_Change,
//    CmbSearch_KeyDown, the three buttons, Form_KeyDown (Escape cancels).

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "components/Variant.h"
#include "lookup/EntornoConsulta.h"

namespace tamaris {

class Lib_FrmCons3Tree;

// Shows a tree lookup form modally.
class VistaConsultaArbol {
  public:
    virtual ~VistaConsultaArbol() = default;
    // Shows the form, already loaded, and returns once it has hidden itself.
    virtual void MostrarModal(Lib_FrmCons3Tree& form) = 0;
    // Told of every change the form makes to what it shows.
    virtual void Avisar(Lib_FrmCons3Tree& /*form*/, AvisoConsulta /*aviso*/) {}
};

struct NodoArbol {
    std::string Key;
    std::string Text;
    int Parent = -1;            // index in Nodos(); -1 for the root
    std::vector<int> Children;  // in node order
    bool Checked = false;
    bool Expanded = false;
};

class Lib_FrmCons3Tree {
  public:
    static constexpr int kNivelesMarcados = 6;  // levels below a ticked node that follow it

    // `entorno.ui` and `entorno.db` must be set; `entorno.arbol` shows the form.
    explicit Lib_FrmCons3Tree(EntornoConsulta entorno);
    Lib_FrmCons3Tree(const Lib_FrmCons3Tree&) = delete;
    Lib_FrmCons3Tree& operator=(const Lib_FrmCons3Tree&) = delete;

    // ---- properties ----
    std::string SQL;
    std::string CampoDevuelto;  // "IDFAMILIA", "IDPOSICION" or "CODIGO"; any other: the code
    Variant ValorDevuelto;
    std::vector<Variant> Valores;
    bool CheckBoxes = false;

    // ---- fixed texts and controls ----
    std::string Caption = "Consulta...";
    static constexpr std::string_view kClaveRaiz = "A";
    static constexpr std::string_view kTextoRaiz = "Consulta...";
    std::string CmbSearch;  // the search box's text
    static constexpr std::string_view kToolTipBusqueda = "F5 realiza nueva busqueda";

    // The statement of the family tree: each family with its parent ("relative"), the greatest
    // code that sorts before it and is shorter.
    static const std::string& SentenciaFamilias();

    // ---- showing ----
    void MostrarModal();
    bool Visible() const { return visible_; }
    void Hide();

    // ---- what is shown ----
    const std::vector<NodoArbol>& Nodos() const { return nodos_; }
    int Seleccionado() const { return seleccionado_; }
    // Index of the node with `clave` (without regard to case); -1 when none.
    int IndiceNodo(std::string_view clave) const;

    // ---- building ----
    void ArmarTreeVFamilias();
    void ArmarTreeVAutomatico();
    // Adds the node of one row of the family statement: key "A" + family, text family + " - " +
    // description, under "A" + relative, or under the root when the relative is null.
    void AgregarFamilia(std::string_view IdFamilia, std::string_view Descripcion,
                        const Variant& Pariente);

    // ---- events ----
    void Form_Load();
    void Form_Unload();
    void Form_KeyDown(int& KeyCode, int Shift);
    void TreeV_NodeClick(int nodo);
    void TreeV_NodeCheck(int nodo, bool marcado);
    void TreeV_Expand(int nodo, bool expandido);
    void TreeV_DblClick();
    void CmbSearch_Change(std::string_view texto);
    void CmbSearch_KeyDown(int& KeyCode, int Shift);
    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdNueva_Click();

  private:
    void Avisar(AvisoConsulta aviso);
    void Limpiar();
    // Adds a node under `padre`; throws when the key is taken or the parent is missing.
    int Agregar(std::string_view padre, std::string clave, std::string texto);
    void Construir();
    void HazVisible(int nodo);
    Variant BuscaValor(std::string_view codigo) const;

    EntornoConsulta entorno_;
    std::vector<NodoArbol> nodos_;
    std::unordered_map<std::string, int> porClave_;  // upper-case key -> node
    int seleccionado_ = -1;
    bool visible_ = false;
};

}  // namespace tamaris
