#pragma once
// The list lookup form, "Consulta...": the rows of one SELECT statement in a multi-column list
// with one search box over each column. The operator narrows the rows by typing (the first
// matching row is selected), by F5 (the database is asked again with a LIKE condition on that
// column) or goes back to the first statement ("&Nueva Búsqueda"); sorts by clicking a column
// header; and accepts one row, or the ticked rows in multi-select mode. On accepting or
// cancelling the form stores its result in its properties and hides; the lookup service reads
// them and unloads it.
//
// Headless: the class holds what the controls show and handles their events. A presenter
// (VistaConsulta) shows it modally, turns the operator's actions into the event calls below and
// repaints what each notice names; tests drive the same calls with scripted answers.
//
// Binding it:
//  - Columns(): caption, field name, width and left position (twips) of every list column;
//    CmbSearch(): one search box per column, aligned over it (Left/Width), with its text,
//    label, tab order and back colour (cyan while it has the focus).
//  - Rows: Filas(), Celda(fila, columna) — column 0 is the row's text, column i its sub-item i —,
//    Marcada(fila) in multi-select mode (CheckBoxes), ColorFila(fila) (an empty value: default
//    colour, not bold; otherwise the row is bold in that colour, BGR as the suite stores it),
//    Seleccionada(). Rows are 0-based in display order (after sorting).
//  - Sorting: Ordenada(), ClaveOrden() (column), Descendente().
//  - Focus: Foco() is kFocoLista or the index of the search box that has it.
//  - Events: the *_Click, *_KeyDown, *_Change, *_GotFocus handlers, with Windows key codes
//    (teclaConsulta) and the Shift bit. The presenter leaves the modal loop when Visible() turns
//    false (it is also told so with AvisoConsulta::Oculta). CmbSearch_Change stands for the
//    operator's edits only: texts the form sets itself (F5 clears its box, typing on the list
//    goes on in a box) are repainted from CmbSearch() after a notice, not echoed back.
//
// Only Busqueda() and IndiceColumna() keep the list control's 1-based numbering (0 = none), as
// the suite's code reads them.

#include <string>
#include <string_view>
#include <vector>

#include "components/Texto.h"
#include "components/Variant.h"
#include "data/Recordset.h"
#include "lookup/EntornoConsulta.h"
#include "lookup/FilasConsulta.h"

namespace tamaris {

class Lib_FrmCons3;

// Shows a list lookup form modally.
class VistaConsulta {
  public:
    virtual ~VistaConsulta() = default;
    // Shows the form, already loaded, and returns once it has hidden itself (Visible() false
    // after one of its handlers ran). The caller unloads it afterwards.
    virtual void MostrarModal(Lib_FrmCons3& form) = 0;
    // Told of every change the form makes to what it shows.
    virtual void Avisar(Lib_FrmCons3& /*form*/, AvisoConsulta /*aviso*/) {}
    // Width in twips of `texto` in the form's font; column widths are runs of "X" as long as
    // the column's width in characters.
    virtual int AnchoTexto(std::string_view texto) {
        return kTwipsPorCaracter * static_cast<int>(Largo(texto));
    }
    static constexpr int kTwipsPorCaracter = 105;
};

struct ColumnaConsulta {
    std::string Text;   // caption
    std::string Campo;  // field of the statement
    int Width = 0;      // twips
    int Left = 0;       // twips from the list's left edge
};

// A search box of the control array CmbSearch with its label lblFieldName.
struct CajaBusqueda {
    static constexpr unsigned kBlanco = 0xFFFFFF;
    static constexpr unsigned kCian = 0xFFFF00;  // blue-green-red
    std::string Text;
    std::string DataField;  // field the box searches
    std::string Etiqueta;   // caption of its label
    std::string ToolTipText = "F5 realiza nueva busqueda";
    int Left = 0, Width = 0;  // twips, inside picFields
    int TabIndex = 0;
    bool Visible = false;
    unsigned BackColor = kBlanco;
};

struct Rectangulo {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const Rectangulo&) const = default;
};

// Positions of the form's controls in twips, as Form_Resize leaves them.
struct DisposicionConsulta {
    Rectangulo Form{0, 0, 10200, 6600};
    Rectangulo picFields{0, 0, 10080, 5070};
    Rectangulo ListView1{0, 360, 10060, 3735};
    Rectangulo HScroll1{0, 4695, 10080, 255};
    Rectangulo Frame1{0, 5445, 10200, 735};
    Rectangulo CmdAceptar{100, 240, 1455, 375};
    Rectangulo CmdCancelar{4372, 240, 1455, 375};
    Rectangulo CmdNueva{8595, 240, 1455, 375};
};

class Lib_FrmCons3 {
  public:
    static constexpr int kFocoLista = -1;
    static constexpr int kFilasPorPagina = 10;  // rows a Page Up / Page Down moves

    // `entorno.ui` and `entorno.db` must be set; `entorno.lista` shows the form.
    explicit Lib_FrmCons3(EntornoConsulta entorno);
    Lib_FrmCons3(const Lib_FrmCons3&) = delete;
    Lib_FrmCons3& operator=(const Lib_FrmCons3&) = delete;

    // ---- properties, set before showing the form and read after ----
    Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4;  // colours of the four stock levels
    std::string MuestraStock;  // "SI" (any case) colours article rows by their stock
    std::string SQL;
    std::string CampoDevuelto;
    std::vector<std::string> CmpsDevueltos;  // further columns returned in Valores
    bool CheckBoxes = false;                 // multi-select mode
    std::string gConnString;
    Variant ValorDevuelto;
    std::string FiltroInicial;
    std::string CampoBusqueda;
    bool OrdenarPorLwv = false;
    std::vector<Variant> Valores;
    std::vector<Variant> Cantidades;
    bool UsaCantidades = false;
    std::string ValoresDefault;
    bool CfgUsaConsultaLIKE = false;
    bool GrabarCfg = false;
    bool UsarUDBC = false;

    // ---- fixed texts ----
    std::string Caption = "Consulta...";
    static constexpr std::string_view kCaptionAceptar = "&Aceptar";
    static constexpr std::string_view kCaptionNueva = "&Nueva Búsqueda";
    static constexpr std::string_view kCaptionCancelar = "&Cancelar";
    static constexpr int kTamanoFuente = 10;  // the list's font, bold
    static constexpr std::string_view kColumnaCantidad = "**Cantidad**";
    // Pop-up menu MNU_Emergente; no routine of the form shows it.
    static constexpr std::string_view kMenuLlena = "Llenar Con Posibles Valores";
    static constexpr std::string_view kMenuCancelar = "Cancelar";
    bool CmdNuevaVisible = true;

    // ---- showing ----
    // Loads the form, shows it through the presenter and returns once it hides.
    void MostrarModal();
    bool Visible() const { return visible_; }
    void Hide();

    // ---- what is shown ----
    const std::vector<ColumnaConsulta>& Columnas() const { return columnas_; }
    const std::vector<CajaBusqueda>& CmbSearch() const { return cajas_; }
    int Filas() const { return static_cast<int>(orden_.size()); }
    std::string_view Celda(int fila, int columna) const;
    bool Marcada(int fila) const;
    Variant ColorFila(int fila) const;
    int Seleccionada() const { return seleccion_; }
    bool Ordenada() const { return ordenada_; }
    int ClaveOrden() const { return claveOrden_; }
    bool Descendente() const { return descendente_; }
    int Foco() const { return foco_; }
    int UltimaCaja() const { return ultimaCaja_; }
    // Rows read by the last load.
    long FilasLeidas() const { return leidas_; }
    // The word after the first "from" of the statement: the key of the saved widths.
    const std::string& TablaClave() const { return tabla_; }
    const std::string& SentenciaInicial() const { return inicial_; }
    // Width of the list and of the search-box panel (columns plus 360), and the scroll bar:
    // the panel's left edge is minus its value.
    int AnchoPanel() const { return anchoPanel_; }
    int HScroll1Max() const { return scrollMax_; }
    int HScroll1Value() const { return scroll_; }
    int picFieldsLeft() const { return -scroll_; }
    const DisposicionConsulta& Disposicion() const { return disp_; }
    std::size_t BytesFilas() const { return filas_.Bytes(); }

    // ---- operations ----
    // Fills the list from the open recordset, from its row `Cdesde` (1-based) on, at most
    // `Cuantas` rows (0: all). Loading reads every row.
    void Leer(long Cdesde, long Cuantas);
    // Builds the columns and the search boxes from the open recordset's fields.
    void Encolumnar();
    // Aligns each search box over its column and sizes the panel and the scroll bar.
    void CalcularAncho();
    // 1-based index of the first row, in display order, whose column `Clave` (0: the row's
    // text) starts with `QueValor`, both trimmed and without regard to case; 0 when none.
    int Busqueda(int Clave, std::string_view QueValor) const;
    // 1-based index of the column whose caption is `nombre` (without regard to case); 0 when none.
    int IndiceColumna(std::string_view nombre) const;

    // ---- events ----
    void Form_Load();
    void Form_Unload();
    void Form_Resize(int ancho, int alto);
    void Form_KeyDown(int& KeyCode, int Shift);  // F12: missing-article report; Escape: cancel

    // The operator changed the text of search box `indice` (typing or picking).
    void CmbSearch_Change(int indice, std::string_view texto);
    void CmbSearch_Click(int indice);
    void CmbSearch_KeyDown(int indice, int& KeyCode, int Shift);
    void CmbSearch_GotFocus(int indice);
    void CmbSearch_LostFocus(int indice);

    void ListView1_GotFocus();
    void ListView1_KeyDown(int& KeyCode, int Shift);
    void ListView1_ItemClick(int fila);                // selects the row
    void ListView1_ItemCheck(int fila, bool marcada);  // the list ticked or unticked a row
    void ListView1_DblClick();
    void ListView1_ColumnClick(int columna);              // 0-based column
    void ListView1_ColumnResize(int columna, int ancho);  // the operator dragged a header edge
    void HScroll1_Change(int valor);

    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdNueva_Click();

  private:
    void Avisar(AvisoConsulta aviso);
    int Reportar(const ErrorInfo& e, std::string_view rutina);
    DB_Dll& Conexion() const;
    int FilaFisica(int fila) const {
        return static_cast<int>(orden_[static_cast<std::size_t>(fila)]);
    }
    // Text of 1-based column `k` of display row `fila` (the row's text for 1).
    std::string ValorColumna(int fila, int k) const;
    void Ordenar();
    void Seleccionar(int fila);
    void BusquedaIncremental(int indice);
    void BusquedaBase(int indice);
    void FaltanteStock();
    void CambiaCantidad(int KeyCode, int Shift);
    void CargarAnchos();
    void GrabarAnchos();
    std::string ArchivoAnchos() const;

    EntornoConsulta entorno_;
    Recordset rs_;
    FilasConsulta filas_;
    std::vector<std::uint32_t> orden_;  // display row -> stored row
    std::vector<char> marcas_;          // by stored row
    std::vector<signed char> niveles_;  // stock colour level by stored row (0: none)
    std::vector<ColumnaConsulta> columnas_;
    std::vector<CajaBusqueda> cajas_;
    DisposicionConsulta disp_;
    std::string inicial_, tabla_;
    bool articulos_ = false;
    bool visible_ = false;
    bool ordenada_ = false;
    bool descendente_ = false;
    int claveOrden_ = 0;
    int seleccion_ = -1;
    int foco_ = kFocoLista;
    int ultimaCaja_ = 0;
    long leidas_ = 0;
    int anchoPanel_ = 0, scrollMax_ = 0, scroll_ = 0;
};

}  // namespace tamaris
