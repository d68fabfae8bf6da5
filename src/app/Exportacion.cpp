#include "app/Exportacion.h"

namespace tamaris {

std::string TextoTotal(Importe v) { return TextoMonto(v); }

bool LeeFechaTipeada(Ui& ui, const std::string& valor, std::string_view campo, int icono,
                     Fecha& fecha) {
    if (valor.empty() || (Fecha::DesdeDma(valor, fecha) && !fecha.TieneHora())) return true;
    ui.mensajes.Mostrar("La fecha \"" + valor + "\" del campo " + std::string(campo) +
                            " no es una fecha válida.\rEscríbala como DD/MM/AAAA (por ejemplo "
                            "31/01/2013).",
                        mb::kOk | icono, "AVISO AL OPERADOR");
    return false;
}

Fecha DiaSiguiente(const Fecha& f) {
    Fecha siguiente;
    Fecha::DesdeSerial(Fecha{f.anio, f.mes, f.dia}.Serial() + 1, siguiente);
    return siguiente;
}

std::string TextoHallazgo(const Hallazgo& h) {
    std::string s;
    if (h.linea > 0) s = "línea " + std::to_string(h.linea) + ": ";
    if (!h.comprobante.empty()) s += h.comprobante + ": ";
    s += h.problema;
    return s;
}

std::string SentenciaCuenta(std::string_view sql) {
    std::string_view cuerpo = sql;
    // ASCII only, so that positions are those of `sql`.
    std::string mayusculas(sql);
    for (char& c : mayusculas)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const std::size_t orden = mayusculas.rfind("ORDER BY");
    // Only an ORDER BY outside parentheses and quotes ends the statement.
    if (orden != std::string::npos && mayusculas.find_first_of(")'", orden) == std::string::npos)
        cuerpo = sql.substr(0, orden);
    return "SELECT COUNT(*) FROM (" + std::string(cuerpo) + ") T";
}

Exportacion::Exportacion(DB_Dll& db, Ui& ui, PasosExportacion pasos, OpcionesExportacion opciones)
    : db_(db), ui_(ui), pasos_(std::move(pasos)), opciones_(std::move(opciones)) {}

Exportacion::~Exportacion() { CierraProgreso(); }

void Exportacion::AbreProgreso() {
    if (progresoAbierto_) return;
    ui_.progreso.Abrir(pasos_.tituloProgreso);
    progresoAbierto_ = true;
}

void Exportacion::CierraProgreso() {
    if (!progresoAbierto_) return;
    progresoAbierto_ = false;
    ui_.progreso.Cerrar();
}

int Exportacion::Trata(const ErrorInfo& e) {
    // The report is shown without the progress window; going on brings it back.
    const bool estaba = progresoAbierto_;
    CierraProgreso();
    const int r = ui_.errores.Reportar(e, pasos_.rutina);
    if (estaba && (r == kReintentar || r == kIgnorar)) AbreProgreso();
    return r;
}

bool Exportacion::Paso(const std::function<void()>& paso) {
    return EjecutaPaso(paso, [this](const ErrorInfo& e) { return Trata(e); });
}

bool Exportacion::Confirma(const std::function<void()>& paso) {
    return EjecutaPasoObligatorio(paso, [this](const ErrorInfo& e) { return Trata(e); });
}

bool Exportacion::Fila(Recordset& rs, std::string& bytes, std::vector<std::string>& problemas) {
    problemas.clear();
    std::vector<std::string>* revision = opciones_.revisar ? &problemas : nullptr;
    int lineas = 0;
    bool escrita = false;
    if (opciones_.modo == ModoRevision::Normal) {
        const bool seguir = EjecutaPaso(
            [&] {
                bytes.clear();
                problemas.clear();
                lineas = pasos_.arma(rs, bytes, revision);
                pasos_.escribe(bytes);
                escrita = true;
            },
            [this](const ErrorInfo& e) { return Trata(e); });
        if (!seguir) return false;
    } else {
        // While checking, a row that cannot be filed at all is one more finding, not a question.
        bytes.clear();
        try {
            lineas = pasos_.arma(rs, bytes, revision);
            escrita = true;
        } catch (const std::exception& e) {
            problemas.push_back(InfoDeExcepcion(e).Descripcion);
        }
        if (escrita && opciones_.recibeBytes) opciones_.recibeBytes(bytes);
        if (escrita && opciones_.modo == ModoRevision::Estricto) {
            escrita = false;
            if (!EjecutaPaso(
                    [&] {
                        pasos_.escribe(bytes);
                        escrita = true;
                    },
                    [this](const ErrorInfo& e) { return Trata(e); })) {
                return false;
            }
        }
    }
    if (!problemas.empty()) {
        const std::string comprobante = pasos_.comprobante(rs);
        for (std::string& p : problemas) hallazgos_.Agrega({comprobante, std::move(p), 0});
    }
    if (escrita) {
        ++filas_;
        lineas_ += lineas;
    } else {
        ++omitidas_;
    }
    return true;
}

void Exportacion::Cuenta(const std::string& sql) {
    // Only a bar depends on it: a count that fails is no reason to stop nor to tell anyone.
    try {
        const std::string texto =
            db_.DialectoLocal(db_.ORACLE_Dicc(db_.SS_TSinonimos(pasos_.cuenta(sql))));
        Recordset rs;
        rs.Open(texto, db_.gCnn(), adOpenForwardOnly, adLockReadOnly, -1);
        CierraAlSalir cierra(rs);
        if (!rs.Eof()) {
            const Variant v = rs.Fields(0).Value();
            if (!v.EsNulo()) ui_.progreso.Total(static_cast<long>(v.Doble()));
        }
    } catch (const std::exception&) {
    }
}

FinExportacion Exportacion::Ejecuta(std::string sql) {
    const auto trata = [this](const ErrorInfo& e) { return Trata(e); };
    if (pasos_.cuenta && opciones_.cuentaFilas) Cuenta(sql);
    if (ui_.progreso.Cancelado()) return FinExportacion::Cancelado;
    Recordset rs;
    const bool abierto = Paso(
        [&] { db_.AbrirRecordset(sql, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true); });
    // A statement that failed has been reported by the data layer already: one fault, one
    // message.
    if (ui_.progreso.Cancelado()) return FinExportacion::Cancelado;
    if (!abierto || rs.State() == adStateClosed) return FinExportacion::Abandonado;
    CierraAlSalir cierra(rs);
    const auto omitidos = [&] {
        if (!opciones_.revisar || !pasos_.revisaOmitidos) return;
        try {
            pasos_.revisaOmitidos(hallazgos_);
        } catch (const std::exception& e) {
            hallazgos_.Agrega({"",
                               "no se pudo buscar en el libro los comprobantes que el archivo "
                               "no toma: " +
                                   InfoDeExcepcion(e).Descripcion,
                               0});
        }
    };
    if (rs.BOF()) {
        omitidos();
        return FinExportacion::SinFilas;
    }
    if (pasos_.prepara && !Confirma([&] { pasos_.prepara(rs); })) {
        return FinExportacion::Abandonado;
    }

    std::string bytes;
    std::vector<std::string> problemas;
    while (!rs.Eof()) {
        if (ui_.progreso.Cancelado()) return FinExportacion::Cancelado;
        if (pasos_.muestraFila) pasos_.muestraFila(rs);
        if (!Fila(rs, bytes, problemas)) return FinExportacion::Abandonado;
        ui_.progreso.Avance(filas_ + omitidas_);
        // A row that cannot be read past cannot be skipped: going on would lose the rest.
        if (!EjecutaPasoObligatorio([&] { rs.MoveNext(); }, trata)) {
            return FinExportacion::Abandonado;
        }
    }
    db_.CierraRecordset(rs);
    omitidos();

    if (opciones_.modo == ModoRevision::Revisar) return FinExportacion::Revisado;
    if (pasos_.vuelca && !Confirma(pasos_.vuelca)) return FinExportacion::Abandonado;
    if (!hallazgos_.Vacio()) {
        if (opciones_.modo == ModoRevision::Estricto) return FinExportacion::Descartado;
        if (opciones_.confirmaHallazgos) {
            CierraProgreso();
            if (!opciones_.confirmaHallazgos(hallazgos_)) return FinExportacion::Descartado;
        }
    }
    return FinExportacion::Escrito;
}

}  // namespace tamaris
