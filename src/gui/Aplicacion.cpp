#include "gui/Aplicacion.h"

#include <QMessageBox>

#include "app/Inicio.h"
#include "app/Sistema.h"
#include "components/Texto.h"
#include "export_perceptions/Form1.h"
#include "gui/UiQt.h"
#include "gui/VentanaForm1.h"

namespace tamaris::gui {

ArgumentosPrograma LeeArgumentos(const std::vector<std::string>& args) {
    ArgumentosPrograma a;
    std::vector<std::string> resto;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--db") {
            if (i + 1 >= args.size()) {
                a.error = "falta el archivo de --db";
                return a;
            }
            a.db = args[++i];
        } else if (args[i].rfind("--db=", 0) == 0) {
            a.db = args[i].substr(5);
        } else if (args[i] == "--citi") {
            a.citi = true;
        } else {
            resto.push_back(args[i]);
        }
    }
    for (const auto& r : resto) a.parametros += (a.parametros.empty() ? "" : " ") + r;
    return a;
}

int EjecutaAplicacion(QApplication& app, int argc, char** argv) {
    const ArgumentosPrograma args =
        LeeArgumentos(std::vector<std::string>(argv + 1, argv + argc));
    if (!args.error.empty()) {
        QMessageBox::critical(nullptr, "percepciones", Qs(args.error));
        return 2;
    }

    UiQt puertos;
    Sistema sis(puertos.ui());
    sis.LineaComandos = args.parametros;
    const std::string cadena = args.db.empty() ? std::string() : CadenaArchivoLocal(args.db);
    if (InicioSistema(sis, false, "", cadena, adUseClient) != ResultadoInicio::Iniciado) return 1;

    Form1 form(sis.ui, sis.db);
    form.Load();
    VentanaForm1 ventana(form);
    puertos.SetPadre(&ventana);
    ventana.show();
    return app.exec();
}

}  // namespace tamaris::gui
