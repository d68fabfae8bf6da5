#pragma once
// The list lookup form (Lib_FrmCons3) on screen: a modal dialog with one search box over each
// column of a report-style list, and the "&Aceptar", "&Nueva Búsqueda" and "&Cancelar" buttons.
//
// The dialog holds no lookup state of its own. Every operator action becomes one of the form's
// event calls, and every notice the form sends repaints what it names from the form's state:
// rows, ticks and colours come straight from the form through a table model, so a lookup of
// thousands of rows costs no copy. Function keys reach only the form's Form_KeyDown (F5 also the
// search box's KeyDown), never a box's text. Widths travel in twips both ways, so the form keeps
// and saves them as the suite does.
//
// One presenter serves every lookup of a run; it shows one dialog at a time, parented to the
// window given with SetPadre. When it is handed the program's Qt ports, their dialogs (the
// quantity input box, the missing-article question, error reports) are modal to the lookup
// while it is shown.

#include <QAbstractTableModel>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <string_view>
#include <vector>

#include "lookup/Lib_FrmCons3.h"

class QLineEdit;
class QPushButton;
class QTreeView;

namespace tamaris::gui {

class UiQt;

// Twips per pixel of the screen (15 at 96 dpi), and the conversions the lookups use.
double TwipsPorPixel();
int PixelesDeTwips(int twips);
int TwipsDePixeles(int pixeles);

// The key code and shift state the suite's forms expect for a Qt key event; 0 for keys the
// lookups do not look at (plain characters among them: they reach the forms as text).
int CodigoTeclaConsulta(int teclaQt);
int ShiftConsulta(Qt::KeyboardModifiers modificadores);
inline bool EsTeclaFuncion(int codigo) { return codigo >= 112 && codigo <= 135; }

// The list's rows as the form holds them, in display order.
class ModeloConsulta : public QAbstractTableModel {
  public:
    explicit ModeloConsulta(Lib_FrmCons3& form, QObject* padre = nullptr);

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol) const override;
    bool setData(const QModelIndex& indice, const QVariant& valor, int rol) override;
    QVariant headerData(int seccion, Qt::Orientation orientacion, int rol) const override;
    Qt::ItemFlags flags(const QModelIndex& indice) const override;

    // The form rebuilt its columns and rows.
    void Recargar();
    // Cell texts or the row order changed; ticks changed.
    void CambiaronFilas();
    void CambiaronMarcas();

  private:
    Lib_FrmCons3& form_;
    // Counts as of the last notice: between a reload and its notice the form's own counts
    // may already differ, and a view must not see them change unannounced.
    int filas_ = 0, columnas_ = 0;
};

class DialogoConsulta : public QDialog {
  public:
    // Rows above which typing in a search box waits for a pause before searching.
    static constexpr int kFilasSinDemora = 5000;
    static constexpr int kDemoraMs = 150;

    explicit DialogoConsulta(Lib_FrmCons3& form, QWidget* padre = nullptr);

    Lib_FrmCons3& Form() { return form_; }
    QTreeView* Lista() { return lista_; }
    QLineEdit* Caja(int indice);
    int Cajas() const { return static_cast<int>(cajas_.size()); }

    // Repaints what `aviso` names.
    void Avisar(AvisoConsulta aviso);
    // The close box and Escape: the form cancels, and its hiding ends the dialog.
    void reject() override;
    // Puts the focus where the form has it (the first search box when it has none yet).
    void FocoInicial();

    // The list's font: the form's, bold.
    static QFont FuenteLista();

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;

  private:
    void CreaCajas();
    void RefrescaCajas();
    void UbicaCajas();
    void AplicaAnchos();
    void AplicaOrden();
    void AplicaSeleccion();
    void AplicaFoco();
    void MuestraColumna(int columna);
    void CambioTexto(int caja, const QString& texto);
    // Hands the form a search text still waiting for the pause.
    void BusquedaPendiente();
    bool TeclaCaja(int caja, QKeyEvent* evento);
    bool TeclaLista(QKeyEvent* evento);
    // Form_KeyDown; true when the key was used up.
    bool TeclaFormulario(int codigo, int shift);
    int IndiceCaja(QObject* objeto) const;

    Lib_FrmCons3& form_;
    ModeloConsulta modelo_;
    QWidget* picFields_ = nullptr;
    QTreeView* lista_ = nullptr;
    std::vector<QLineEdit*> cajas_;
    QPushButton* aceptar_ = nullptr;
    QPushButton* nueva_ = nullptr;
    QPushButton* cancelar_ = nullptr;
    QTimer demora_;
    int cajaPendiente_ = -1;
    QString textoPendiente_;
    // Set while the widgets are being brought in line with the form, so that the changes made
    // then are not sent back to it as the operator's.
    bool aplicando_ = false;
};

class VistaConsultaQt : public VistaConsulta {
  public:
    explicit VistaConsultaQt(QWidget* padre = nullptr, UiQt* puertos = nullptr);

    // Lookups opened from now on are modal to `padre`.
    void SetPadre(QWidget* padre) { padre_ = padre; }

    void MostrarModal(Lib_FrmCons3& form) override;
    void Avisar(Lib_FrmCons3& form, AvisoConsulta aviso) override;
    int AnchoTexto(std::string_view texto) override;

    // The dialog on screen, null when no lookup is shown.
    DialogoConsulta* Dialogo() const { return dialogo_; }

  private:
    QPointer<QWidget> padre_;
    UiQt* puertos_ = nullptr;
    DialogoConsulta* dialogo_ = nullptr;
};

}  // namespace tamaris::gui
