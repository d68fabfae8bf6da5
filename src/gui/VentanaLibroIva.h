#pragma once
// The Libro de IVA Digital sales window over the headless form FormLibroIva: the year, the
// month, GRABAR and CERRAR, and the result of the last run in the status bar. The check's
// findings are shown before the files replace the older ones; the closing message carries the
// totals.

#include <QMainWindow>

#include "export_libro_iva/FormLibroIva.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tamaris::gui {

class VentanaLibroIva : public QMainWindow {
    Q_OBJECT
  public:
    // `form` must outlive the window.
    explicit VentanaLibroIva(FormLibroIva& form, QWidget* padre = nullptr);

    QLineEdit* Anio() { return anio_; }
    QComboBox* Meses() { return meses_; }
    QPushButton* Grabar() { return grabar_; }
    QLabel* Estado() { return estado_; }

  private:
    void Graba();

    FormLibroIva& form_;
    QLineEdit* anio_ = nullptr;
    QComboBox* meses_ = nullptr;
    QPushButton* grabar_ = nullptr;
    QLabel* estado_ = nullptr;
};

}  // namespace tamaris::gui
