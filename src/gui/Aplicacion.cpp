#include "gui/Aplicacion.h"

#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include "app/Chrome.h"
#include "app/Configuracion.h"
#include "app/Sistema.h"
#include "components/Texto.h"
#include "data/EsperaBloqueo.h"
#include "export_arba/FormArba.h"
#include "export_citi/FRMSiapCITI.h"
#include "export_perceptions/Form1.h"
#include "gui/ChromeQt.h"
#include "gui/DialogoAcceso.h"
#include "gui/UiQt.h"
#include "gui/VentanaArba.h"
#include "gui/VentanaCiti.h"
#include "gui/VentanaLibroIva.h"
#include "export_libro_iva/FormLibroIva.h"
#include "gui/VentanaForm1.h"
#include "gui/VistaArbolQt.h"
#include "gui/VistaConsultaQt.h"
#include "lookup/frmAcceso.h"

namespace tamaris::gui {

const char* const kUsoPrograma =
    "Uso: percepciones [--citi] [--db ARCHIVO.db | --conexion CADENA] [LINEA DE PARAMETROS]\n"
    "\n"
    "Programa de escritorio: genera el archivo de percepciones de Ingresos Brutos o, con\n"
    "--citi, el archivo AFIP C.I.T.I. Ventas de un mes.\n"
    "\n"
    "  --db ARCHIVO.db     abre directamente esa base SQLite\n"
    "  --conexion CADENA   abre la base de esa cadena de conexión (ODBC)\n"
    "  --citi              abre el formulario C.I.T.I. Ventas\n"
    "  --help, -h          muestra esta ayuda y termina\n"
    "\n"
    "La línea de parámetros es la de la suite (@Server=...; @DbName=...; @Usuario=...;\n"
    "@Password=...; @Caja=...). Sin servidor ni usuario, el programa los pide.\n"
    "Para usar el programa desde una terminal o un script: percepciones-cli --help.\n";

ArgumentosPrograma LeeArgumentos(const std::vector<std::string>& args) {
    ArgumentosPrograma a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--db") {
            if (i + 1 >= args.size()) {
                a.error = "falta el archivo de --db";
                return a;
            }
            a.db = args[++i];
        } else if (args[i].rfind("--db=", 0) == 0) {
            a.db = args[i].substr(5);
        } else if (args[i] == "--conexion") {
            if (i + 1 >= args.size()) {
                a.error = "falta la cadena de --conexion";
                return a;
            }
            a.conexion = args[++i];
        } else if (args[i] == "--citi") {
            a.citi = true;
        } else if (args[i] == "--arba") {
            a.arba = true;
        } else if (args[i] == "--libro-iva") {
            a.libroIva = true;
        } else {
            a.resto.push_back(args[i]);
        }
    }
    return a;
}

ResultadoInicio IniciaPrograma(Sistema& sis, const ArgumentosPrograma& args,
                               const std::string& programa, AccesoDialogo& acceso) {
    std::vector<const char*> linea{programa.c_str()};
    for (const auto& r : args.resto) linea.push_back(r.c_str());
    sis.LineaComandos = LineaDeComandos(static_cast<int>(linea.size()), linea.data());
    sis.db.dialogoAcceso = &acceso;
    const std::string cadena = !args.conexion.empty() ? args.conexion
                               : args.db.empty()      ? std::string()
                                                      : CadenaArchivoLocal(args.db);
    return InicioSistema(sis, false, "", cadena, adUseClient);
}

bool InstalaIdiomaEspanol(QApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
    const QString nombre = "tamaris_qtbase_es";
    if (app.findChild<QTranslator*>(nombre, Qt::FindDirectChildrenOnly)) return true;
    // windeployqt leaves the translations beside the program, in one catalog (qt_es) per language.
    const QStringList carpetas{
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath("translations")};
    auto* traduccion = new QTranslator(&app);
    traduccion->setObjectName(nombre);
    for (const QString& carpeta : carpetas) {
        for (const char* catalogo : {"qtbase_es", "qt_es"}) {
            if (traduccion->load(catalogo, carpeta) &&
                QCoreApplication::installTranslator(traduccion))
                return true;
        }
    }
    delete traduccion;
    qWarning(
        "No se encontró la traducción de Qt al español (qtbase_es.qm ni qt_es.qm en %s); los "
        "textos propios de Qt quedan en inglés.",
        qUtf8Printable(carpetas.join(", ")));
    return false;
}

namespace {

// Runs the event loop with `ventana` shown: its dialogs are modal to it and it wears the chrome.
int Muestra(QApplication& app, Sistema& sis, UiQt& puertos, DialogoAcceso& vistaAcceso,
            QMainWindow& ventana, Kitobar& barra) {
    puertos.SetPadre(&ventana);
    vistaAcceso.SetPadre(&ventana);
    PreparaVentana(sis, ventana, {{"Kitobar1", &barra}});
    ventana.show();
    return app.exec();
}

}  // namespace

int EjecutaAplicacion(QApplication& app, int argc, char** argv) {
#ifdef Q_OS_WIN
    // There main's argv is in the ANSI code page; Qt's copy comes from the Unicode command line,
    // so a path with "ñ" reaches the program in UTF-8, as on Linux.
    std::vector<std::string> lista;
    for (const QString& a : QCoreApplication::arguments().mid(1)) lista.push_back(Ss(a));
#else
    std::vector<std::string> lista(argv + 1, argv + argc);
#endif
    const ArgumentosPrograma args = LeeArgumentos(lista);
    QApplication::setWindowIcon(IconoTamaris());
    if (!args.error.empty()) {
        QMessageBox::critical(nullptr, "percepciones", Qs(args.error));
        return 2;
    }

    UiQt puertos;
    // A database held by another program is told at once, with a way to stop waiting.
    FijaEsperaBloqueo(&puertos.progreso());
    Sistema sis(puertos.ui());
    DialogoAcceso vistaAcceso;
    frmAcceso acceso(vistaAcceso);
    if (IniciaPrograma(sis, args, argc > 0 ? argv[0] : "percepciones", acceso) !=
        ResultadoInicio::Iniciado)
        return 1;

    // The lookup service shows its pick lists as Qt dialogs over the program's window.
    VistaConsultaQt vistaConsulta(nullptr, &puertos);
    VistaArbolQt vistaArbol(nullptr, &puertos);
    EntornoConsulta entornoConsulta;
    entornoConsulta.ui = &sis.ui;
    entornoConsulta.db = &sis.db;
    entornoConsulta.lista = &vistaConsulta;
    entornoConsulta.arbol = &vistaArbol;
    entornoConsulta.configuracion = LectorConfiguracion(sis);
    entornoConsulta.carpetaAnchos = sis.CarpetaAplicacion;
    sis.consultas.Prepara(entornoConsulta);

    if (args.citi) {
        FRMSiapCITI form(sis);
        form.actualizaBarraEstado = [&sis](FRMSiapCITI::BarraEstado& barra,
                                           std::string_view mensaje) {
            ActualizaBarraEstado(sis, barra, mensaje);
        };
        form.Load();
        VentanaCiti ventana(form);
        vistaConsulta.SetPadre(&ventana);
        vistaArbol.SetPadre(&ventana);
        // Closing the CITI form ends the program at once.
        form.alDescargar = [cerrar = form.alDescargar] {
            if (cerrar) cerrar();
            QCoreApplication::exit(0);
        };
        return Muestra(app, sis, puertos, vistaAcceso, ventana, form.Kitobar1);
    }

    if (args.arba) {
        FormArba form(sis);
        form.Load();
        VentanaArba ventana(form);
        form.alDescargar = [cerrar = form.alDescargar] {
            if (cerrar) cerrar();
            QCoreApplication::exit(0);
        };
        return Muestra(app, sis, puertos, vistaAcceso, ventana, form.Kitobar1);
    }
    if (args.libroIva) {
        FormLibroIva form(sis);
        VentanaLibroIva ventana(form);
        vistaConsulta.SetPadre(&ventana);
        vistaArbol.SetPadre(&ventana);
        puertos.SetPadre(&ventana);
        vistaAcceso.SetPadre(&ventana);
        PreparaVentana(sis, ventana, {});
        ventana.show();
        return app.exec();
    }

    Form1 form(sis.ui, sis.db);
    form.consultaCuentas = [&sis](const std::string& sql, const std::string& campo) {
        return sis.consultas.Consulta(sql, campo);
    };
    form.Load();
    VentanaForm1 ventana(form);
    vistaConsulta.SetPadre(&ventana);
    vistaArbol.SetPadre(&ventana);
    return Muestra(app, sis, puertos, vistaAcceso, ventana, form.Kitobar1);
}

}  // namespace tamaris::gui
