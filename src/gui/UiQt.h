#pragma once
// The UI ports implemented with Qt widgets. Every dialog is modal to the window given as parent.

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "components/Ui.h"

class QDialog;
class QLabel;

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

// A small window with up to three message lines and a counter. Repaints at most every 100 ms
// and lets the event loop run then, so the window stays responsive during long jobs.
class VentanaProgresoQt : public VentanaProgreso {
public:
    explicit VentanaProgresoQt(const QPointer<QWidget>& padre);
    ~VentanaProgresoQt() override;
    void Abrir(std::string_view titulo) override;
    void Mensaje(std::string_view linea1, std::string_view linea2,
                 std::string_view linea3) override;
    void Avance(long hechos) override;
    void Cerrar() override;
    long UltimoAvance() const { return hechos_; }

private:
    bool TocaRepintar();
    const QPointer<QWidget>& padre_;
    QPointer<QDialog> dialogo_;  // owned by its parent window when it has one
    QLabel* lineas_[3] = {};
    QLabel* contador_ = nullptr;
    QElapsedTimer reloj_;
    long hechos_ = 0;
    unsigned llamadas_ = 0;
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

private:
    const QPointer<QWidget>& padre_;
};

class BuscadorCarpetasQt : public BuscadorCarpetas {
public:
    explicit BuscadorCarpetasQt(const QPointer<QWidget>& padre) : padre_(padre) {}
    std::optional<std::string> Elegir(std::string_view titulo) override;

private:
    const QPointer<QWidget>& padre_;
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
