#pragma once
// The UI ports implemented with Qt widgets. Every dialog is modal to the window given as parent.

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "components/Ui.h"
#include "data/EsperaBloqueo.h"

class QDialog;
class QLabel;
class QProgressBar;

namespace tamaris::gui {

// VB-style filter "Description|pattern|Description|pattern" as Qt's "Description (pattern);;…".
QString FiltroQt(std::string_view filtro);

class CajaMensajesQt : public CajaMensajes {
  public:
    explicit CajaMensajesQt(const QPointer<QWidget>& padre) : padre_(padre) {}
    int Mostrar(std::string_view texto, int botones, std::string_view titulo) override;

  private:
    const QPointer<QWidget>& padre_;
};

class CajaEntradaQt : public CajaEntrada {
  public:
    explicit CajaEntradaQt(const QPointer<QWidget>& padre) : padre_(padre) {}
    std::optional<std::string> Pedir(std::string_view mensaje, std::string_view titulo,
                                     std::string_view defecto) override;

  private:
    const QPointer<QWidget>& padre_;
};

// A small window with up to three message lines, the vouchers handled so far (with a bar and
// a percentage when the job counted them first), the time spent on long runs, and Cancelar.
// It is not modal: the window of the job stays visible, with its widgets disabled (see
// Trabajo.h). Esc, its close button and Cancelar ask whether to stop the job. Repaints at most
// every 100 ms and lets the event loop run then, so the program stays responsive.
// It also tells the operator when the database is held by another program.
class VentanaProgresoQt : public VentanaProgreso, public EsperaBloqueo {
  public:
    explicit VentanaProgresoQt(const QPointer<QWidget>& padre);
    ~VentanaProgresoQt() override;
    void Abrir(std::string_view titulo) override;
    void Mensaje(std::string_view linea1, std::string_view linea2,
                 std::string_view linea3) override;
    void Avance(long hechos) override;
    void Total(long total) override;
    bool Cancelado() override;
    void Cerrar() override;
    long UltimoAvance() const { return hechos_; }
    // What the window reads now (the counter and the time), for whoever checks it.
    QString TextoAvance() const;

    void Esperando(std::string_view base) override;
    bool SigueEsperando() override;
    void FinEspera() override;

  private:
    bool TocaRepintar();
    void Crea();
    void PintaAvance();
    const QPointer<QWidget>& padre_;
    QPointer<QDialog> dialogo_;  // owned by its parent window when it has one
    QLabel* lineas_[3] = {};
    QLabel* contador_ = nullptr;
    QLabel* tiempo_ = nullptr;
    QLabel* espera_ = nullptr;
    QProgressBar* barra_ = nullptr;
    QElapsedTimer reloj_;
    QElapsedTimer duracion_;
    QElapsedTimer esperaReloj_;
    long hechos_ = 0;
    long total_ = -1;
    unsigned llamadas_ = 0;
    bool abierta_ = false;
    bool abiertaPorEspera_ = false;
};

class ReporteErrorQt : public ReporteError {
  public:
    explicit ReporteErrorQt(const QPointer<QWidget>& padre) : padre_(padre) {}
    int Reportar(const ErrorInfo& error, std::string_view rutina) override;

  private:
    const QPointer<QWidget>& padre_;
};

// A calendar in a small dialog; returns DD/MM/YYYY or "" when cancelled.
class SelectorFechaQt : public SelectorFecha {
  public:
    explicit SelectorFechaQt(const QPointer<QWidget>& padre) : padre_(padre) {}
    std::string Elegir(std::string_view inicial) override;

  private:
    const QPointer<QWidget>& padre_;
};

class DialogoArchivoQt : public DialogoArchivo {
  public:
    explicit DialogoArchivoQt(const QPointer<QWidget>& padre) : padre_(padre) {}
    void ShowOpen() override;
    void ShowSave() override;

  private:
    void Muestra(bool guardar);
    const QPointer<QWidget>& padre_;
};

class BuscadorCarpetasQt : public BuscadorCarpetas {
  public:
    explicit BuscadorCarpetasQt(const QPointer<QWidget>& padre) : padre_(padre) {}
    std::optional<std::string> Elegir(std::string_view titulo) override;

  private:
    const QPointer<QWidget>& padre_;
    QString ultima_;  // the folder chosen last: the next choice starts there
};

// One instance of each port, all parented to the same window.
class UiQt {
  public:
    explicit UiQt(QWidget* padre = nullptr);
    // Dialogs opened from now on are modal to `padre`.
    void SetPadre(QWidget* padre) { padre_ = padre; }
    Ui& ui() { return ui_; }
    VentanaProgresoQt& progreso() { return progreso_; }

  private:
    QPointer<QWidget> padre_;
    CajaMensajesQt mensajes_;
    CajaEntradaQt entrada_;
    VentanaProgresoQt progreso_;
    ReporteErrorQt errores_;
    SelectorFechaQt fechas_;
    DialogoArchivoQt archivo_;
    BuscadorCarpetasQt carpetas_;
    Ui ui_;
};

inline QString Qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string Ss(const QString& s) { return s.toStdString(); }

}  // namespace tamaris::gui
