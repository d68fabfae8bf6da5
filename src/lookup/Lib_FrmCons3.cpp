#include "lookup/Lib_FrmCons3.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <stdexcept>

#include "components/ArchivoTexto.h"
#include "components/Estacion.h"
#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Plataforma.h"
#include "components/Ui.h"
#include "data/DB_Dll.h"
#include "lookup/AnchosConsulta.h"

namespace tamaris {

namespace {

using namespace teclaConsulta;

constexpr int kAnchoMaximo = 60;   // characters
constexpr int kAnchoImporte = 12;  // characters of currency and numeric columns
constexpr int kAdCurrency = 6;
constexpr int kAdNumeric = 131;
constexpr long kIndiceFueraDeRango = 35600;

std::string Comillas(std::string_view texto) { return ReemplazaExacto(texto, "'", "''"); }

// The word after the first "from": from the fourth character after its start up to the first
// blank found from the fifth, trimmed. Empty without "from" or without that blank.
std::string TablaDe(std::string_view sql) {
    const std::size_t p = BuscaSinCaso(sql, "from");
    if (p == std::string_view::npos) return {};
    const std::size_t blanco = sql.find(' ', p + 5);
    if (blanco == std::string_view::npos) return {};
    return Trim(sql.substr(p + 4, blanco - (p + 4)));
}

// A value read as a currency amount, in ten-thousandths.
int64_t ComoImporte(const Variant& v, const Regional& r) {
    if (v.EsNulo() || v.EsVacio()) return 0;
    if (v.EsNumero()) return std::llround(v.Doble() * 10000.0);
    return TextoAImporte(v.Texto(r), r).diezmilesimos;
}

// Stock level of an article row: 1 no reorder point and stock; 2 above its reorder point;
// 3 below it; 4 anything else.
int NivelStock(int64_t puntoPedido, int64_t stock) {
    if (puntoPedido == 0 && stock > 0) return 1;
    if (puntoPedido > 0 && stock > puntoPedido) return 2;
    if (puntoPedido > 0 && stock < puntoPedido) return 3;
    return 4;
}

Fecha Ahora() {
    const std::tm tm = plataforma::HoraLocal(std::time(nullptr));
    return Fecha{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// A whole number of twips out of a width text.
int Twips(std::string_view texto, const Regional& r) {
    return static_cast<int>(std::llround(TextoAImporte(texto, r).Doble()));
}

// The text without its last character (UTF-8).
void QuitaUltimo(std::string& texto) {
    while (!texto.empty()) {
        const auto c = static_cast<unsigned char>(texto.back());
        texto.pop_back();
        if ((c & 0xC0) != 0x80) break;
    }
}

}  // namespace

Lib_FrmCons3::Lib_FrmCons3(EntornoConsulta entorno) : entorno_(std::move(entorno)) {
    if (!entorno_.ui || !entorno_.db)
        throw std::invalid_argument("Lib_FrmCons3 necesita los puertos y la conexión");
    CajaBusqueda primera;
    primera.TabIndex = 0;
    primera.Visible = true;
    cajas_.push_back(primera);
    Form_Resize(disp_.Form.Width, disp_.Form.Height);
}

// ---------------------------------------------------------------------------------------------
// Showing

void Lib_FrmCons3::MostrarModal() {
    Form_Load();
    visible_ = true;
    if (entorno_.lista) entorno_.lista->MostrarModal(*this);
    // A presenter that returns with the form still up had its window closed: that cancels.
    if (visible_) CmdCancelar_Click();
}

void Lib_FrmCons3::Hide() {
    visible_ = false;
    Avisar(AvisoConsulta::Oculta);
}

void Lib_FrmCons3::Avisar(AvisoConsulta aviso) {
    if (entorno_.lista) entorno_.lista->Avisar(*this, aviso);
}

int Lib_FrmCons3::Reportar(const ErrorInfo& e, std::string_view rutina) {
    return entorno_.ui->errores.Reportar(e, rutina);
}

DB_Dll& Lib_FrmCons3::Conexion() const {
    return UsarUDBC && entorno_.segunda ? *entorno_.segunda : *entorno_.db;
}

// ---------------------------------------------------------------------------------------------
// What is shown

std::string_view Lib_FrmCons3::Celda(int fila, int columna) const {
    if (fila < 0 || fila >= Filas()) return {};
    return filas_.Celda(FilaFisica(fila), columna);
}

bool Lib_FrmCons3::Marcada(int fila) const {
    if (fila < 0 || fila >= Filas()) return false;
    return marcas_[static_cast<std::size_t>(FilaFisica(fila))] != 0;
}

Variant Lib_FrmCons3::ColorFila(int fila) const {
    if (fila < 0 || fila >= Filas()) return {};
    switch (niveles_[static_cast<std::size_t>(FilaFisica(fila))]) {
        case 1:
            return StkNivel1;
        case 2:
            return StkNivel2;
        case 3:
            return StkNivel3;
        case 4:
            return StkNivel4;
        default:
            return {};
    }
}

std::string Lib_FrmCons3::ValorColumna(int fila, int k) const {
    if (k < 1 || k > static_cast<int>(columnas_.size()))
        throw ErrorTamaris(kIndiceFueraDeRango, "Índice fuera de los límites");
    return std::string(Celda(fila, k - 1));
}

int Lib_FrmCons3::IndiceColumna(std::string_view nombre) const {
    for (std::size_t i = 0; i < columnas_.size(); ++i)
        if (IgualSinCaso(columnas_[i].Text, nombre)) return static_cast<int>(i) + 1;
    return 0;
}

int Lib_FrmCons3::Busqueda(int Clave, std::string_view QueValor) const {
    if (Clave < 0 || Clave >= filas_.Columnas()) return 0;
    const std::string buscado = Trim(QueValor);
    for (int i = 0; i < Filas(); ++i)
        if (EmpiezaSinCaso(TrimVista(Celda(i, Clave)), buscado)) return i + 1;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Loading

void Lib_FrmCons3::Form_Load() {
    const auto trata = [this](const ErrorInfo& e) { return Reportar(e, "FORM_LOAD"); };
    CierraAlSalir cierre(rs_);

    if (!EjecutaPaso(
            [&] {
                articulos_ = ContieneSinCaso(SQL, "articulos");
                Valores.clear();
                Cantidades.clear();
                filas_.Limpiar(static_cast<int>(columnas_.size()));
                orden_.clear();
                marcas_.clear();
                niveles_.clear();
                seleccion_ = -1;
                leidas_ = 0;
            },
            trata))
        return;
    if (Trim(SQL).empty()) {
        Avisar(AvisoConsulta::Cargada);
        return;
    }
    if (!EjecutaPaso(
            [&] {
                SQL += " ";
                tabla_ = TablaDe(SQL);
                if (inicial_.empty()) inicial_ = SQL;
            },
            trata))
        return;
    if (!EjecutaPaso(
            [&] {
                // The form keeps its statement as written; the data layer's rewriting stays in
                // the copy.
                std::string sentencia = SQL;
                Conexion().AbrirRecordset(sentencia, rs_, nullptr, adOpenForwardOnly,
                                          adLockReadOnly, -1, true);
            },
            trata))
        return;

    // A statement that could not be opened has been reported by the data layer already; the
    // list then stays empty and usable.
    if (rs_.State() != adStateClosed) {
        if (!EjecutaPaso([&] { Encolumnar(); }, trata)) return;
        if (!EjecutaPaso([&] { Leer(1, 0); }, trata)) return;
        if (!EjecutaPaso(
                [&] {
                    if (OrdenarPorLwv) ordenada_ = true;
                    if (ordenada_) Ordenar();
                    // The list control selects its first row.
                    if (seleccion_ < 0 && Filas() > 0) seleccion_ = 0;
                },
                trata))
            return;
    }
    if (!EjecutaPaso(
            [&] {
                if (!Trim(FiltroInicial).empty()) CmbSearch_Change(0, FiltroInicial);
            },
            trata))
        return;
    if (!EjecutaPaso(
            [&] {
                if (rs_.State() != adStateClosed) rs_.Close();
            },
            trata))
        return;
    if (!EjecutaPaso([&] { CargarAnchos(); }, trata)) return;
    if (!EjecutaPaso([&] { CalcularAncho(); }, trata)) return;
    Avisar(AvisoConsulta::Cargada);
}

void Lib_FrmCons3::Encolumnar() {
    if (rs_.State() == adStateClosed)
        throw ErrorTamaris(err::kConexionCerrada,
                           "La operación no está permitida si el objeto está cerrado.");
    columnas_.clear();
    const int campos = rs_.FieldCount();
    const bool precios =
        ContieneSinCaso(SQL, "V_MA_ARTICULOS") || ContieneSinCaso(SQL, "STK_MA_ARTICULOS");
    // Boxes already made by an earlier load are kept with their texts.
    cajas_.resize(static_cast<std::size_t>(std::max(campos, 1)));
    for (int i = 0; i < campos; ++i) {
        Field campo = rs_.Fields(i);
        long caracteres = campo.DefinedSize();
        if (campo.Type() == kAdCurrency || campo.Type() == kAdNumeric) caracteres = kAnchoImporte;
        // A size the provider does not know is taken as the widest.
        if (caracteres <= 0 || caracteres > kAnchoMaximo) caracteres = kAnchoMaximo;

        CajaBusqueda& caja = cajas_[static_cast<std::size_t>(i)];
        if (i >= 1) caja.TabIndex = cajas_[static_cast<std::size_t>(i) - 1].TabIndex + 1;
        caja.DataField = campo.Name();
        caja.Etiqueta = campo.Name();
        caja.Visible = true;

        ColumnaConsulta columna;
        columna.Campo = campo.Name();
        columna.Text = campo.Name();
        if (precios) {
            for (int n = 1; n <= 8; ++n) {
                if (!IgualSinCaso(campo.Name(), "PRECIO" + std::to_string(n))) continue;
                // A price class without a name keeps the field's.
                const std::string nombre =
                    Trim(entorno_.Configuracion("NOM_PCLASE" + std::to_string(n), ""));
                if (!nombre.empty()) columna.Text = nombre;
            }
        } else if (IgualSinCaso(ValoresDefault, "@10")) {
            caracteres += 10;
        }
        const std::string equis(static_cast<std::size_t>(caracteres), 'X');
        columna.Width = entorno_.lista
                            ? entorno_.lista->AnchoTexto(equis)
                            : VistaConsulta::kTwipsPorCaracter * static_cast<int>(caracteres);
        columnas_.push_back(std::move(columna));
    }
    filas_.Limpiar(campos);
    orden_.clear();
    marcas_.clear();
    niveles_.clear();
}

void Lib_FrmCons3::Leer(long Cdesde, long Cuantas) {
    if (rs_.State() == adStateClosed)
        throw ErrorTamaris(err::kConexionCerrada,
                           "La operación no está permitida si el objeto está cerrado.");
    if (rs_.BOF() && rs_.Eof()) return;
    const Regional& regional = entorno_.db->regional;
    const int campos = std::min(rs_.FieldCount(), filas_.Columnas());
    if (campos <= 0) return;

    const std::string campoDevuelto = Trim(CampoDevuelto);
    const int iDevuelto =
        CheckBoxes && !campoDevuelto.empty() ? rs_.IndiceCampo(campoDevuelto) : -1;
    const int iPunto = articulos_ ? rs_.IndiceCampo("PUNTOPEDIDO") : -1;
    const int iStock = articulos_ ? rs_.IndiceCampo("Stock") : -1;
    const bool colorea = IgualSinCaso(Trim(MuestraStock), "SI");
    const Variant* colores[] = {nullptr, &StkNivel1, &StkNivel2, &StkNivel3, &StkNivel4};

    std::vector<std::string> celdas(static_cast<std::size_t>(campos));
    long numero = 0, agregadas = 0;
    for (; !rs_.Eof(); rs_.MoveNext()) {
        if (++numero < Cdesde) continue;
        if (Cuantas > 0 && agregadas >= Cuantas) break;

        // Rows of an article lookup without stock columns are not coloured.
        int nivel = 0;
        if (iPunto >= 0 && iStock >= 0) {
            nivel = NivelStock(ComoImporte(rs_.Valor(iPunto), regional),
                               ComoImporte(rs_.Valor(iStock), regional));
            if (!colorea || Trim(colores[nivel]->Texto(regional)).empty()) nivel = 0;
        }
        bool marcada = false;
        if (iDevuelto >= 0) {
            const std::string valor = Trim(rs_.Valor(iDevuelto).Texto(regional));
            marcada = !valor.empty() && ContieneSinCaso(ValoresDefault, valor);
        }
        celdas[0] = Trim(rs_.Valor(0).Texto(regional));
        for (int i = 1; i < campos; ++i)
            celdas[static_cast<std::size_t>(i)] = FormatoValor(rs_.Valor(i), {}, regional);

        filas_.Agregar(celdas);
        orden_.push_back(static_cast<std::uint32_t>(filas_.Filas() - 1));
        marcas_.push_back(marcada ? 1 : 0);
        niveles_.push_back(static_cast<signed char>(nivel));
        ++agregadas;
        ++leidas_;
    }
}

void Lib_FrmCons3::CalcularAncho() {
    int izquierda = 0;
    for (std::size_t i = 0; i < columnas_.size(); ++i) {
        columnas_[i].Left = izquierda;
        if (i < cajas_.size()) {
            cajas_[i].Left = izquierda;
            cajas_[i].Width = columnas_[i].Width;
        }
        izquierda += columnas_[i].Width;
    }
    anchoPanel_ = izquierda + 360;
    disp_.ListView1.Width = anchoPanel_;
    disp_.picFields.Width = anchoPanel_;
    scrollMax_ = std::max(0, anchoPanel_ - disp_.HScroll1.Width);
    scroll_ = std::clamp(scroll_, 0, scrollMax_);
    Avisar(AvisoConsulta::Anchos);
}

void Lib_FrmCons3::Ordenar() {
    const int fisica = seleccion_ >= 0 && seleccion_ < Filas() ? FilaFisica(seleccion_) : -1;
    // Text order without regard to case, as the list control sorts.
    std::vector<std::string> claves(static_cast<std::size_t>(filas_.Filas()));
    for (int f = 0; f < filas_.Filas(); ++f)
        claves[static_cast<std::size_t>(f)] = Minusculas(filas_.Celda(f, claveOrden_));
    std::stable_sort(orden_.begin(), orden_.end(), [&](std::uint32_t a, std::uint32_t b) {
        return descendente_ ? claves[b] < claves[a] : claves[a] < claves[b];
    });
    if (fisica >= 0) {
        const auto it = std::find(orden_.begin(), orden_.end(), static_cast<std::uint32_t>(fisica));
        seleccion_ = static_cast<int>(it - orden_.begin());
    }
}

// ---------------------------------------------------------------------------------------------
// Column widths

std::string Lib_FrmCons3::ArchivoAnchos() const {
    const std::string carpeta =
        entorno_.carpetaAnchos.empty() ? CarpetaDatos() : entorno_.carpetaAnchos;
    return SeparadorDirectorio(carpeta) + std::string(kArchivoAnchos);
}

void Lib_FrmCons3::CargarAnchos() {
    const std::string archivo = ArchivoAnchos();
    if (tabla_.empty() || !ExisteArchivo(archivo)) return;
    const std::string clave = IgualSinCaso(tabla_, "Stk_ma_articulos") ? "VT_MA_ARTICULOS" : tabla_;
    const Regional& regional = entorno_.db->regional;
    for (const AnchosGuardados& r : LeeArchivoAnchos(archivo)) {
        if (!IgualSinCaso(r.tabla, clave)) continue;
        std::string_view resto = r.anchos;
        int izquierda = 0;
        for (std::size_t i = 0; i < columnas_.size(); ++i) {
            const std::size_t barra = resto.find('|');
            // A record with fewer widths than columns leaves the others as they are.
            if (barra == std::string_view::npos) break;
            columnas_[i].Width = Twips(resto.substr(0, barra), regional);
            if (i < cajas_.size()) {
                cajas_[i].Left = izquierda;
                cajas_[i].Width = columnas_[i].Width;
            }
            izquierda += columnas_[i].Width;
            resto.remove_prefix(barra + 1);
        }
    }
}

void Lib_FrmCons3::GrabarAnchos() {
    // Without a table key there is nothing to file the widths under.
    if (tabla_.empty()) return;
    std::vector<int> anchos;
    for (const ColumnaConsulta& c : columnas_) anchos.push_back(c.Width);
    const std::string archivo = ArchivoAnchos();
    GrabaArchivoAnchos(archivo.substr(0, archivo.size() - kArchivoAnchos.size()), tabla_,
                       TextoAnchos(anchos));
}

// ---------------------------------------------------------------------------------------------
// Layout

void Lib_FrmCons3::Form_Resize(int ancho, int alto) {
    // Each length that would come out negative is left as it was, as the control refuses it.
    const auto pon = [](int& largo, int valor) {
        if (valor >= 0) largo = valor;
    };
    DisposicionConsulta& d = disp_;
    pon(d.Form.Width, ancho);
    pon(d.Form.Height, alto);
    pon(d.picFields.Height, alto - d.Frame1.Height - 480);
    pon(d.ListView1.Height, d.picFields.Height - d.Frame1.Height - 600);
    pon(d.picFields.Width, ancho - 120);
    pon(d.ListView1.Width, d.picFields.Width - 20);
    d.Frame1.Top = alto - d.Frame1.Height - 420;
    d.HScroll1.Top = d.picFields.Height - d.HScroll1.Height - 120;
    pon(d.HScroll1.Width, ancho - 120);
    d.Frame1.Left = 0;
    pon(d.Frame1.Width, ancho);
    d.CmdAceptar.Left = d.Frame1.Left + 100;
    d.CmdCancelar.Left = (d.Frame1.Width - d.CmdCancelar.Width) / 2;
    d.CmdNueva.Left = d.Frame1.Width - (d.CmdCancelar.Width + 150);
    if (!CmdNuevaVisible) {
        if (d.CmdAceptar.Width + d.CmdCancelar.Width + 400 <= d.Frame1.Width) {
            d.CmdCancelar.Left = d.CmdNueva.Left;
        } else {
            d.CmdAceptar.Width /= 2;
            d.CmdCancelar.Width = d.CmdAceptar.Width;
            d.CmdAceptar.Left = d.Frame1.Left + 100;
            d.CmdCancelar.Left = d.Frame1.Width - (d.CmdCancelar.Width + 150);
            d.CmdNueva.Left = d.CmdCancelar.Left;
        }
    }
    scrollMax_ = std::max(0, anchoPanel_ - d.HScroll1.Width);
    scroll_ = std::clamp(scroll_, 0, scrollMax_);
    Avisar(AvisoConsulta::Anchos);
}

void Lib_FrmCons3::HScroll1_Change(int valor) {
    scroll_ = std::clamp(valor, 0, scrollMax_);
    Avisar(AvisoConsulta::Anchos);
}

void Lib_FrmCons3::ListView1_ColumnResize(int columna, int ancho) {
    if (columna < 0 || columna >= static_cast<int>(columnas_.size()) || ancho < 0) return;
    columnas_[static_cast<std::size_t>(columna)].Width = ancho;
    CalcularAncho();
}

// ---------------------------------------------------------------------------------------------
// Searching

void Lib_FrmCons3::Seleccionar(int fila) {
    if (fila < 0 || fila >= Filas()) return;
    seleccion_ = fila;
    Avisar(AvisoConsulta::Seleccion);
}

void Lib_FrmCons3::BusquedaIncremental(int indice) {
    // The searches never stop the operator: a failure leaves the selection as it was.
    try {
        if (indice < 0 || indice >= static_cast<int>(cajas_.size())) return;
        const int fila = Busqueda(indice, Trim(cajas_[static_cast<std::size_t>(indice)].Text));
        if (fila > 0) Seleccionar(fila - 1);
    } catch (const std::exception&) {
    }
}

void Lib_FrmCons3::CmbSearch_Change(int indice, std::string_view texto) {
    if (indice < 0 || indice >= static_cast<int>(cajas_.size())) return;
    cajas_[static_cast<std::size_t>(indice)].Text = std::string(texto);
    Avisar(AvisoConsulta::Busqueda);
    BusquedaIncremental(indice);
}

void Lib_FrmCons3::CmbSearch_Click(int indice) { BusquedaIncremental(indice); }

void Lib_FrmCons3::BusquedaBase(int indice) {
    try {
        if (indice < 0 || indice >= static_cast<int>(cajas_.size())) return;
        CajaBusqueda& caja = cajas_[static_cast<std::size_t>(indice)];
        std::string base = SQL, cola;
        if (const std::size_t p = BuscaSinCaso(SQL, "order by"); p != std::string::npos) {
            cola = SQL.substr(p);
            base = SQL.substr(0, p);
        }
        if (const std::size_t p = BuscaSinCaso(SQL, "group by"); p != std::string::npos) {
            cola = SQL.substr(p);
            base = SQL.substr(0, p);
        }
        std::string prefijo;
        if (ContieneSinCaso(base, "stk_ma_articulos.")) prefijo = "stk_ma_articulos.";
        if (ContieneSinCaso(base, "v_ma_articulos.")) prefijo = "v_ma_articulos.";
        const std::string union_ = ContieneSinCaso(base, "where") ? " and " : " where ";
        // The operator's text goes between quotes: a quote in it is doubled.
        if (CfgUsaConsultaLIKE) {
            SQL = base + union_ + prefijo + caja.DataField + " like '%" + Comillas(caja.Text) +
                  "%' " + cola;
        } else {
            caja.Text = ReemplazaTexto(caja.Text, "*", "%");
            SQL = base + union_ + prefijo + caja.DataField + " like '" + Comillas(caja.Text) +
                  "%' " + cola;
        }
        caja.Text.clear();
    } catch (const std::exception&) {
        return;
    }
    Form_Load();
}

void Lib_FrmCons3::CmbSearch_KeyDown(int indice, int& KeyCode, int /*Shift*/) {
    switch (KeyCode) {
        case kF5:
            BusquedaBase(indice);
            break;
        case kAbajo:
        case kArriba:
        case kAvPag:
        case kRePag: {
            // The list moves as if the key had been pressed on it, and takes the focus.
            int fila = seleccion_;
            const int salto = KeyCode == kAbajo || KeyCode == kArriba ? 1 : kFilasPorPagina;
            if (fila < 0)
                fila = 0;
            else if (KeyCode == kAbajo || KeyCode == kAvPag)
                fila = std::min(fila + salto, Filas() - 1);
            else
                fila = std::max(fila - salto, 0);
            Seleccionar(fila);
            int codigo = KeyCode;
            ListView1_KeyDown(codigo, 0);
            ListView1_GotFocus();
            break;
        }
        default:
            break;
    }
}

void Lib_FrmCons3::CmbSearch_GotFocus(int indice) {
    if (indice < 0 || indice >= static_cast<int>(cajas_.size())) return;
    for (CajaBusqueda& c : cajas_) c.BackColor = CajaBusqueda::kBlanco;
    cajas_[static_cast<std::size_t>(indice)].BackColor = CajaBusqueda::kCian;
    foco_ = indice;
    ultimaCaja_ = indice;
    Avisar(AvisoConsulta::Foco);
}

void Lib_FrmCons3::CmbSearch_LostFocus(int indice) {
    if (indice < 0 || indice >= static_cast<int>(cajas_.size())) return;
    cajas_[static_cast<std::size_t>(indice)].BackColor = CajaBusqueda::kBlanco;
    Avisar(AvisoConsulta::Busqueda);
}

// ---------------------------------------------------------------------------------------------
// The list

void Lib_FrmCons3::ListView1_GotFocus() {
    if (foco_ >= 0) CmbSearch_LostFocus(foco_);
    foco_ = kFocoLista;
    Avisar(AvisoConsulta::Foco);
}

void Lib_FrmCons3::ListView1_ItemClick(int fila) { Seleccionar(fila); }

void Lib_FrmCons3::ListView1_ItemCheck(int fila, bool marcada) {
    if (fila < 0 || fila >= Filas()) return;
    marcas_[static_cast<std::size_t>(FilaFisica(fila))] = marcada ? 1 : 0;
    Avisar(AvisoConsulta::Marcas);
}

void Lib_FrmCons3::ListView1_DblClick() {
    if (seleccion_ >= 0) CmdAceptar_Click();
}

void Lib_FrmCons3::ListView1_ColumnClick(int columna) {
    if (columna < 0 || columna >= static_cast<int>(columnas_.size())) return;
    ordenada_ = true;
    claveOrden_ = columna;
    descendente_ = !descendente_;
    Ordenar();
    Avisar(AvisoConsulta::Filas);
    Avisar(AvisoConsulta::Seleccion);
}

void Lib_FrmCons3::ListView1_KeyDown(int& KeyCode, int Shift) {
    EjecutaPaso(
        [&] {
            if (KeyCode == kEspacio && CheckBoxes) return;  // the list ticks the row itself
            if (KeyCode == kEnter) {
                CmdAceptar_Click();
                return;
            }
            if (UsaCantidades && (KeyCode == kInsertar || KeyCode == kSuprimir)) {
                CambiaCantidad(KeyCode, Shift);
                return;
            }
            const bool caracter =
                (KeyCode >= 47 && KeyCode <= 93) || (KeyCode >= 97 && KeyCode <= 125);
            const bool edicion = KeyCode == kRetroceso || KeyCode == kEspacio;
            if (!caracter && !edicion) return;
            if (ultimaCaja_ < 0 || ultimaCaja_ >= static_cast<int>(cajas_.size())) return;
            // Typing on the list goes on in the search box last used.
            std::string texto = cajas_[static_cast<std::size_t>(ultimaCaja_)].Text;
            if (KeyCode == kRetroceso)
                QuitaUltimo(texto);
            else
                texto += static_cast<char>(KeyCode);
            const int caja = ultimaCaja_;
            CmbSearch_GotFocus(caja);
            CmbSearch_Change(caja, texto);
        },
        [this](const ErrorInfo& e) { return Reportar(e, "ListView1_KeyDown"); });
}

void Lib_FrmCons3::CambiaCantidad(int KeyCode, int Shift) {
    const int k = IndiceColumna(kColumnaCantidad);
    if (k == 0 || seleccion_ < 0) return;
    const Regional& regional = entorno_.db->regional;
    const int fisica = FilaFisica(seleccion_);
    double actual = 0;
    LeeNumero(filas_.Celda(fisica, k - 1), actual, regional);
    std::string nuevo;
    if (KeyCode == kInsertar && (Shift & kShift)) {
        const std::optional<std::string> respuesta =
            entorno_.ui->entrada.Pedir("Ingrese la Cantidad del Articulo...", "Carga de Datos",
                                       FormatoValor(Variant(actual), "0.######", regional));
        // Cancelling the input box keeps the quantity.
        if (!respuesta) return;
        nuevo = FormatoValor(Variant(*respuesta), "########0.00", regional);
    } else if (KeyCode == kInsertar) {
        nuevo = FormatoValor(Variant(actual + 1), "########0.0", regional);
    } else if (KeyCode == kSuprimir && !(Shift & kShift)) {
        nuevo = FormatoValor(Variant(actual - 1), "########0.0", regional);
    } else {
        return;
    }
    filas_.Cambiar(fisica, k - 1, nuevo);
    Avisar(AvisoConsulta::Filas);
}

// ---------------------------------------------------------------------------------------------
// Form keys

void Lib_FrmCons3::Form_KeyDown(int& KeyCode, int /*Shift*/) {
    if (KeyCode == kEscape) {
        CmdCancelar_Click();
    } else if (KeyCode == kF12 && articulos_) {
        EjecutaPaso([&] { FaltanteStock(); },
                    [this](const ErrorInfo& e) { return Reportar(e, "Form_KeyDown"); });
    }
}

void Lib_FrmCons3::FaltanteStock() {
    if (seleccion_ < 0) return;
    const int kCodigo = IndiceColumna("idarticulo");
    const int kDescripcion = IndiceColumna("Descripcion");
    if (kCodigo == 0 || kDescripcion == 0) return;
    const std::string codigo = ValorColumna(seleccion_, kCodigo);
    const std::string descripcion = ValorColumna(seleccion_, kDescripcion);
    const int respuesta =
        entorno_.ui->mensajes.Mostrar("Desea informar el articulo " + codigo + " " + descripcion +
                                          "\r\n" + "como un faltante de stock?",
                                      mb::kSiNo | mb::kPregunta, "Atención!");
    if (respuesta != mb::kSi) return;
    DB_Dll& db = *entorno_.db;
    std::string sentencia =
        "INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values('" +
        FormatoValor(Variant(Ahora()), {}, db.regional) + "','" + Comillas(codigo) + "','" +
        Comillas(descripcion) + "','" + Comillas(db.gUsuario) + "')";
    long afectados = 0;
    db.EjecutaConsultaSQL(sentencia, afectados);
}

// ---------------------------------------------------------------------------------------------
// Buttons

void Lib_FrmCons3::CmdAceptar_Click() {
    const auto trata = [this](const ErrorInfo& e) { return Reportar(e, "HScroll1_Change"); };
    const int kCantidad = UsaCantidades ? IndiceColumna(kColumnaCantidad) : 0;
    const Regional& regional = entorno_.db->regional;
    const auto cantidad = [&](int fila) {
        double valor = 0;
        LeeNumero(Celda(fila, kCantidad - 1), valor, regional);
        return Variant(valor);
    };
    // Accepting again after leaving a failed accept starts the collections over.
    Valores.clear();
    Cantidades.clear();

    if (CheckBoxes) {
        if (Trim(CampoDevuelto).empty() && !columnas_.empty()) CampoDevuelto = columnas_[0].Text;
        for (int fila = 0; fila < Filas(); ++fila) {
            if (!Marcada(fila)) continue;
            if (!EjecutaPaso(
                    [&] {
                        Valores.emplace_back(ValorColumna(fila, IndiceColumna(CampoDevuelto)));
                        if (kCantidad > 0) Cantidades.push_back(cantidad(fila));
                    },
                    trata))
                return;
        }
    } else {
        if (seleccion_ < 0) {
            Hide();
            return;
        }
        for (const std::string& nombre : CmpsDevueltos) {
            if (!EjecutaPaso(
                    [&] { Valores.emplace_back(ValorColumna(seleccion_, IndiceColumna(nombre))); },
                    trata))
                return;
        }
        if (kCantidad > 0) Cantidades.push_back(cantidad(seleccion_));
        if (!CampoDevuelto.empty()) {
            if (!EjecutaPaso(
                    [&] {
                        ValorDevuelto =
                            Variant(ValorColumna(seleccion_, IndiceColumna(CampoDevuelto)));
                    },
                    trata))
                return;
        }
    }
    Hide();
}

void Lib_FrmCons3::CmdCancelar_Click() {
    ValorDevuelto = Variant(std::string());
    CmpsDevueltos.clear();
    Valores.clear();
    Hide();
}

void Lib_FrmCons3::CmdNueva_Click() {
    SQL = inicial_;
    Form_Load();
    CmbSearch_GotFocus(0);
}

// ---------------------------------------------------------------------------------------------
// Unloading

void Lib_FrmCons3::Form_Unload() {
    try {
        UsarUDBC = false;
        if (GrabarCfg) GrabarAnchos();
        filas_.Limpiar(0);
        orden_.clear();
        marcas_.clear();
        niveles_.clear();
        seleccion_ = -1;
    } catch (const std::exception& e) {
        entorno_.ui->mensajes.Mostrar(InfoDeExcepcion(e).Descripcion, mb::kOk | mb::kCritico,
                                      "Aviso al Operador");
    }
}

}  // namespace tamaris
