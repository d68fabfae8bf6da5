#pragma once
// The ARBA perception window: widgets bound to the headless form FormArba. Year, month and
// fortnight, the agent's CUIT and the lot; the suite's toolbar on top and a message bar at the
// foot.

#include <QMainWindow>
#include <functional>
#include <string>

#include "export_arba/FormArba.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace tamaris::gui {

class BarraKitobar;

class VentanaArba : public QMainWindow {
    Q_OBJECT
  public:
    // `form` must have been loaded (Load) and outlive the window.
    explicit VentanaArba(FormArba& form, QWidget* padre = nullptr);

    QLineEdit* Anio() { return anio_; }
    QComboBox* Mes() { return mes_; }
    QComboBox* Quincena() { return quincena_; }
    QLineEdit* Cuit() { return cuit_; }
    QLineEdit* Lote() { return lote_; }
    QLabel* Mensaje() { return mensaje_; }
    BarraKitobar* Barra() { return barra_; }
    // Copies the widgets' state into the form, and the form's back into the widgets.
    void AFormulario();
    void DesdeFormulario();

  protected:
    void closeEvent(QCloseEvent* evento) override;

  private:
    void Boton(const std::string& clave);
    void MuestraResultado();

    FormArba& form_;
    std::function<void(const std::string&)> manejador_;
    BarraKitobar* barra_ = nullptr;
    QLineEdit *anio_ = nullptr, *cuit_ = nullptr, *lote_ = nullptr;
    QComboBox *mes_ = nullptr, *quincena_ = nullptr;
    QLabel* mensaje_ = nullptr;
    bool cerrando_ = false;
};

}  // namespace tamaris::gui
