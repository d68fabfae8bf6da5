#include "data/sqlite/MotorSqlite.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "components/Plataforma.h"
#include "components/Texto.h"
#include "components/TextosSistema.h"
#include "data/EsperaBloqueo.h"

namespace tamaris {

namespace {

constexpr const char* kFuente = "SQLite";
// Virtual-machine instructions between two looks at the clock while a statement runs.
constexpr int kInstruccionesEntreControles = 1000;
// Command time-out when none is configured, and the longest wait for another program's lock
// while opening.
constexpr int kTiempoPorDefecto = 30;
// A lock held this long is worth telling the operator about; shorter ones are everyday
// contention.
constexpr std::chrono::milliseconds kAvisoEspera{250};

struct CierraBase {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct FinalizaSentencia {
    void operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }
};
using BaseSqlite = std::unique_ptr<sqlite3, CierraBase>;
using SentenciaSqlite = std::unique_ptr<sqlite3_stmt, FinalizaSentencia>;

// What the backend and its cursors share. A cursor keeps it alive, so a row set that outlives
// the connection object still reads from an open database and is finalized before it closes.
struct Sesion {
    // Every call on the database handle is made holding this lock: the handle is opened
    // without SQLite's own mutex, and a cursor may read ahead on a thread of its own.
    std::recursive_mutex candado;
    BaseSqlite db;
    std::string archivo;
    std::chrono::milliseconds limite{0};  // command time-out; 0 = none
    // Each step gets its own allowance: the first clock look of a step marks its start, so
    // short steps never read the clock at all.
    uint64_t paso = 0;
    uint64_t pasoVisto = 0;
    std::chrono::steady_clock::time_point inicio;
    bool agotado = false;
    // Waiting for another program's lock.
    std::chrono::steady_clock::time_point inicioEspera;
    EsperaBloqueo* avisado = nullptr;  // the observer told of the current wait
    bool esperaAbandonada = false;     // the observer gave the wait up
};

// Another connection holds the lock: wait in short naps for as long as the command time-out
// allows, telling the program's observer once, so that a long wait is never silent and the
// operator can give it up.
int Ocupada(void* datos, int intento) {
    auto& s = *static_cast<Sesion*>(datos);
    const auto ahora = std::chrono::steady_clock::now();
    if (intento == 0) {
        s.inicioEspera = ahora;
        s.esperaAbandonada = false;
    }
    if (ahora - s.inicioEspera >= s.limite) return 0;
    if (ahora - s.inicioEspera >= kAvisoEspera) {
        if (!s.avisado) {
            s.avisado = EsperaBloqueoActual();
            if (s.avisado) s.avisado->Esperando(s.archivo);
        }
        if (s.avisado && !s.avisado->SigueEsperando()) {
            s.esperaAbandonada = true;
            return 0;
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(intento + 1, 10) * 10));
    return 1;
}

void TerminaEspera(Sesion& s) {
    if (!s.avisado) return;
    EsperaBloqueo* o = s.avisado;
    s.avisado = nullptr;
    o->FinEspera();
}

int Progreso(void* datos) {
    auto& s = *static_cast<Sesion*>(datos);
    auto ahora = std::chrono::steady_clock::now();
    if (s.pasoVisto != s.paso) {
        s.pasoVisto = s.paso;
        s.inicio = ahora;
        return 0;
    }
    if (ahora - s.inicio > s.limite) {
        s.agotado = true;
        return 1;
    }
    return 0;
}

int Paso(Sesion& s, sqlite3_stmt* st) {
    ++s.paso;
    s.agotado = false;
    const int rc = sqlite3_step(st);
    TerminaEspera(s);
    return rc;
}

// What the operator reads for a failure: damaged and locked files in words of their own,
// everything else as SQLite words it, in Spanish where the common texts are concerned.
std::string DescripcionSqlite(int codigo, const std::string& motivo, const std::string& archivo) {
    switch (codigo & 0xff) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return "La base de datos está dañada (" + archivo + ": " + TextoSqlite(motivo) +
                   "). Restáurela desde una copia de seguridad o repárela antes de seguir.";
        case SQLITE_BUSY:
            return "La base de datos está bloqueada por otro programa (" + archivo +
                   "). Espere a que termine y vuelva a intentarlo.";
        case SQLITE_LOCKED:
            return "Una tabla de la base de datos está bloqueada por otra consulta en curso (" +
                   TextoSqlite(motivo) + ").";
        default:
            return TextoSqlite(motivo);
    }
}

[[noreturn]] void Lanza(ErrorProveedor registro) {
    long numero = registro.Number;
    std::string descripcion = registro.Description;
    throw ErrorBD(numero, descripcion, {std::move(registro)}, kFuente);
}

// Error of the last call on the database, as ADO would list it.
[[noreturn]] void Falla(Sesion& s, int rc, bool alPreparar) {
    sqlite3* db = s.db.get();
    int extendido = db ? sqlite3_extended_errcode(db) : rc;
    if ((extendido & 0xff) != (rc & 0xff)) extendido = rc;
    ErrorProveedor r;
    r.Source = kFuente;
    r.NativeError = extendido;
    if ((rc & 0xff) == SQLITE_INTERRUPT && s.agotado) {
        r.Number = err::kTiempoAgotado;
        r.SQLState = "HYT00";
        r.Description =
            "Se agotó el tiempo de espera de la consulta: no terminó en " +
            std::to_string(std::chrono::duration_cast<std::chrono::seconds>(s.limite).count()) +
            " s.";
        Lanza(std::move(r));
    }
    const std::string motivo = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    ClaseErrorSqlite clase = ClasificaErrorSqlite(extendido, motivo, alPreparar);
    r.Number = clase.numero;
    r.SQLState = clase.estado;
    r.Description =
        (extendido & 0xff) == SQLITE_BUSY && s.esperaAbandonada
            ? "Se dejó de esperar a que otro programa libere la base de datos (" + s.archivo + ")."
            : DescripcionSqlite(extendido, motivo, s.archivo);
    Lanza(std::move(r));
}

bool TieneAlguno(std::string_view texto, std::initializer_list<std::string_view> partes) {
    for (auto p : partes)
        if (texto.find(p) != std::string_view::npos) return true;
    return false;
}

// First whole number between parentheses in a declaration ("VARCHAR(30)" → 30), else 0.
long TamanoDeclarado(std::string_view declarado) {
    auto p = declarado.find('(');
    if (p == std::string_view::npos) return 0;
    long n = 0;
    auto ini = declarado.data() + p + 1;
    while (ini < declarado.data() + declarado.size() && *ini == ' ') ++ini;
    std::from_chars(ini, declarado.data() + declarado.size(), n);
    return n;
}

// How a column's stored values become variants.
enum class Trato : unsigned char { Comun, Entero, Decimal, Fecha, Booleano };

Trato TratoDeTipo(int ado) {
    switch (ado) {
        case 2:
        case 3:
        case 16:
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
            return Trato::Entero;
        case 4:
        case 5:
        case 6:
        case 14:
        case 131:
            return Trato::Decimal;
        case 7:
        case 133:
        case 134:
        case 135:
            return Trato::Fecha;
        case 11:
            return Trato::Booleano;
        default:
            return Trato::Comun;
    }
}

int TipoDeClase(int clase) {
    switch (clase) {
        case SQLITE_INTEGER:
            return 20;
        case SQLITE_FLOAT:
            return 5;
        case SQLITE_BLOB:
            return 205;
        default:
            return 202;
    }
}

bool NumeroExacto(std::string_view t, double& salida) {
    if (t.empty()) return false;
    const char* ini = t.data();
    if (*ini == '+') ++ini;
    auto [fin, ec] = std::from_chars(ini, t.data() + t.size(), salida);
    return ec == std::errc() && fin == t.data() + t.size();
}

class CursorSqlite final : public Cursor {
  public:
    CursorSqlite(std::shared_ptr<Sesion> sesion, SentenciaSqlite st, int primerPaso)
        : s_(std::move(sesion)), st_(std::move(st)) {
        sqlite3_stmt* st0 = st_.get();
        int n = sqlite3_column_count(st0);
        pendiente_ = primerPaso == SQLITE_ROW;
        columnas_.reserve(static_cast<size_t>(n));
        trato_.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            Columna c;
            const char* nombre = sqlite3_column_name(st0, i);
            c.nombre = nombre ? nombre : "";
            const char* decl = sqlite3_column_decltype(st0, i);
            std::string_view declarado = decl ? decl : "";
            c.tipoAdo = TipoAdoDeclarado(declarado);
            // Expressions carry no declaration: the first row's storage class tells.
            if (c.tipoAdo == 0)
                c.tipoAdo = TipoDeClase(pendiente_ ? sqlite3_column_type(st0, i) : SQLITE_TEXT);
            c.tamano = TamanoDeclarado(declarado);
            if (c.tamano == 0) {
                if (c.tipoAdo == 3)
                    c.tamano = 4;
                else if (c.tipoAdo == 20 || c.tipoAdo == 5 || c.tipoAdo == 135)
                    c.tamano = 8;
            }
            trato_.push_back(TratoDeTipo(c.tipoAdo));
            columnas_.push_back(std::move(c));
        }
        if (!pendiente_) st_.reset();  // nothing to read: release the statement and its locks
    }

    const std::vector<Columna>& Columnas() const override { return columnas_; }

    ~CursorSqlite() override {
        DetieneLector();
        std::lock_guard<std::recursive_mutex> g(s_->candado);
        st_.reset();
    }

    bool Siguiente(std::vector<Variant>& fila) override {
        if (lector_.joinable() || lectorTerminado_) return SiguienteAnticipado(fila);
        std::lock_guard<std::recursive_mutex> g(s_->candado);
        if (pendiente_) {
            pendiente_ = false;
            Llena(fila);
            ++leidas_;
            return true;
        }
        if (!st_) return false;
        int rc = Paso(*s_, st_.get());
        if (rc == SQLITE_ROW) {
            Llena(fila);
            // A long result is read ahead on a thread of its own, so that fetching rows and
            // handling them overlap; short ones never start it.
            if (++leidas_ == kFilasAntesDeAnticipar) IniciaLector();
            return true;
        }
        // Whatever the outcome, this statement is finished: release it (and its read lock).
        st_.reset();
        if (rc == SQLITE_DONE) return false;
        Falla(*s_, rc, false);
    }

  private:
    void Llena(std::vector<Variant>& fila) {
        sqlite3_stmt* st = st_.get();
        const size_t n = columnas_.size();
        if (fila.size() != n) fila.resize(n);
        for (size_t i = 0; i < n; ++i) {
            Variant& v = fila[i];
            // Each column's value once, then read through the value calls: every
            // sqlite3_column_* call looks the column up again. An unprotected value is safe to
            // read here: the connection has no mutex of its own and this runs under the
            // session's lock.
            sqlite3_value* x = sqlite3_column_value(st, static_cast<int>(i));
            switch (sqlite3_value_type(x)) {
                case SQLITE_NULL:
                    v.AsignarNulo();
                    break;
                case SQLITE_INTEGER: {
                    const sqlite3_int64 e = sqlite3_value_int64(x);
                    if (trato_[i] == Trato::Booleano)
                        v = Variant(e != 0);
                    else if (trato_[i] == Trato::Decimal)
                        v.AsignarDoble(static_cast<double>(e));
                    else
                        v.AsignarEntero(e);
                    break;
                }
                case SQLITE_FLOAT:
                    v.AsignarDoble(sqlite3_value_double(x));
                    break;
                case SQLITE_TEXT: {
                    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(x));
                    std::string_view t(p ? p : "", static_cast<size_t>(sqlite3_value_bytes(x)));
                    AsignaTexto(v, t, trato_[i]);
                    break;
                }
                default: {  // BLOB: its bytes as they are
                    const auto* p = static_cast<const char*>(sqlite3_value_blob(x));
                    v.AsignarTexto(
                        std::string_view(p ? p : "", static_cast<size_t>(sqlite3_value_bytes(x))));
                    break;
                }
            }
        }
    }

    static void AsignaTexto(Variant& v, std::string_view t, Trato trato) {
        if (trato == Trato::Fecha) {
            Fecha f;
            if (Fecha::DesdeIso(t, f)) {
                v.AsignarFecha(f);
                return;
            }
        } else if (trato == Trato::Decimal || trato == Trato::Entero) {
            double d;
            if (NumeroExacto(t, d)) {
                v.AsignarDoble(d);
                return;
            }
        }
        v.AsignarTexto(t);
    }

    // ---- read-ahead ----
    static constexpr long kFilasAntesDeAnticipar = 1024;
    static constexpr std::size_t kFilasPorLote = 1024;
    static constexpr std::size_t kLotesEnEspera = 4;

    struct Lote {
        std::vector<std::vector<Variant>> filas;
        std::size_t n = 0;         // rows filled
        std::size_t leida = 0;     // rows handed out
        bool fin = false;          // the statement ended after these rows
        std::exception_ptr error;  // why it ended, when it failed
    };

    void IniciaLector() {
        lector_ = std::thread([this] { Lee(); });
    }

    // Runs on the reader thread: fills batches of rows and queues them, at most a few ahead.
    void Lee() {
        for (;;) {
            Lote lote;
            {
                std::lock_guard<std::mutex> l(cola_);
                if (!libres_.empty()) {
                    lote = std::move(libres_.back());
                    libres_.pop_back();
                }
            }
            lote.n = lote.leida = 0;
            lote.fin = false;
            lote.error = nullptr;
            if (lote.filas.size() < kFilasPorLote) lote.filas.resize(kFilasPorLote);
            {
                std::lock_guard<std::recursive_mutex> g(s_->candado);
                try {
                    while (lote.n < kFilasPorLote) {
                        if (parar_.load(std::memory_order_relaxed)) return;
                        const int rc = Paso(*s_, st_.get());
                        if (rc != SQLITE_ROW) {
                            lote.fin = true;
                            st_.reset();
                            if (rc != SQLITE_DONE) Falla(*s_, rc, false);
                            break;
                        }
                        Llena(lote.filas[lote.n++]);
                    }
                } catch (...) {
                    lote.fin = true;
                    lote.error = std::current_exception();
                    st_.reset();
                }
            }
            const bool fin = lote.fin;
            {
                std::unique_lock<std::mutex> l(cola_);
                hayEspacio_.wait(l, [&] { return listos_.size() < kLotesEnEspera || parar_; });
                if (parar_) return;
                listos_.push_back(std::move(lote));
            }
            hayLote_.notify_one();
            if (fin) return;
        }
    }

    bool SiguienteAnticipado(std::vector<Variant>& fila) {
        while (actual_.leida >= actual_.n) {
            if (actual_.fin) {
                if (actual_.error) {
                    std::exception_ptr e = actual_.error;
                    actual_.error = nullptr;
                    std::rethrow_exception(e);
                }
                return false;
            }
            std::unique_lock<std::mutex> l(cola_);
            if (!actual_.filas.empty()) libres_.push_back(std::move(actual_));
            hayLote_.wait(l, [&] { return !listos_.empty(); });
            actual_ = std::move(listos_.front());
            listos_.pop_front();
            if (actual_.fin) lectorTerminado_ = true;
            l.unlock();
            hayEspacio_.notify_one();
        }
        fila.swap(actual_.filas[actual_.leida++]);
        return true;
    }

    void DetieneLector() {
        if (!lector_.joinable()) return;
        {
            std::lock_guard<std::mutex> l(cola_);
            parar_ = true;
        }
        hayEspacio_.notify_all();
        lector_.join();
    }

    std::shared_ptr<Sesion> s_;
    SentenciaSqlite st_;
    std::vector<Columna> columnas_;
    std::vector<Trato> trato_;
    bool pendiente_ = false;
    long leidas_ = 0;

    std::thread lector_;
    std::atomic<bool> parar_{false};
    bool lectorTerminado_ = false;
    std::mutex cola_;
    std::condition_variable hayLote_, hayEspacio_;
    std::deque<Lote> listos_;
    std::vector<Lote> libres_;
    Lote actual_;
};

class MotorSqlite final : public Motor {
  public:
    explicit MotorSqlite(std::shared_ptr<Sesion> s) : s_(std::move(s)) {}

    Plataforma plataforma() const override { return Plataforma::SQLite; }
    std::string NombreDbms() const override { return "SQLite"; }

    std::unique_ptr<Cursor> Consultar(std::string_view sql) override {
        std::lock_guard<std::recursive_mutex> g(s_->candado);
        std::string_view resto = sql;
        bool alguna = false;
        for (;;) {
            SentenciaSqlite st = Prepara(resto);
            if (!st) {
                // Only a comment after the last statement: what ran returned no rows.
                if (alguna)
                    return std::make_unique<CursorEnMemoria>(std::vector<Columna>{},
                                                             std::vector<std::vector<Variant>>{});
                Lanza({err::kErrorComando, "La sentencia SQL está vacía.", "42000", 0, kFuente});
            }
            alguna = true;
            int rc = Paso(*s_, st.get());
            if (rc != SQLITE_ROW && rc != SQLITE_DONE) Falla(*s_, rc, false);
            // Leading statements that return no columns (a script's set-up) are run and skipped.
            if (sqlite3_column_count(st.get()) > 0 || TodoBlanco(resto))
                return std::make_unique<CursorSqlite>(s_, std::move(st), rc);
        }
    }

    long Ejecutar(std::string_view sql) override {
        std::lock_guard<std::recursive_mutex> g(s_->candado);
        const bool sinTransaccion = sqlite3_get_autocommit(s_->db.get()) != 0;
        try {
            return EjecutaScript(sql);
        } catch (ErrorBD& e) {
            // A script that began its own transaction and failed before its end must not leave
            // it open: every later statement would join it and be lost when the connection
            // closes. What the script did is undone, and the failure says so.
            if (!sinTransaccion || sqlite3_get_autocommit(s_->db.get()) != 0) throw;
            sqlite3_exec(s_->db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
            std::vector<ErrorProveedor> registros = e.Registros();
            const std::string aviso =
                " No se grabó ninguna sentencia del script: su transacción se deshizo.";
            if (!registros.empty()) registros.front().Description += aviso;
            throw ErrorBD(e.Numero(), std::string(e.what()) + aviso, std::move(registros),
                          e.Origen());
        }
    }

    long EjecutaScript(std::string_view sql) {
        std::string_view resto = sql;
        long total = 0;
        while (!TodoBlanco(resto)) {
            SentenciaSqlite st = Prepara(resto);
            if (!st) break;
            sqlite3* db = s_->db.get();
            sqlite3_int64 antes = sqlite3_total_changes64(db);
            int rc;
            while ((rc = Paso(*s_, st.get())) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE) Falla(*s_, rc, false);
            // total_changes also moves for DDL side effects and triggers; only a statement that
            // changed rows itself gets its own count.
            if (sqlite3_total_changes64(db) != antes && !sqlite3_stmt_readonly(st.get()))
                total += static_cast<long>(sqlite3_changes64(db));
        }
        return total;
    }

    void IniciarTransaccion() override { Ejecutar("BEGIN"); }
    void ConfirmarTransaccion() override { Ejecutar("COMMIT"); }
    void DeshacerTransaccion() override { Ejecutar("ROLLBACK"); }

    void TiempoEspera(int segundos) override {
        std::lock_guard<std::recursive_mutex> g(s_->candado);
        sqlite3* db = s_->db.get();
        // "No limit" would let a runaway statement or another program's lock hold the job for
        // ever: it stands for the default instead.
        if (segundos <= 0) segundos = kTiempoPorDefecto;
        segundos = std::min(segundos, INT_MAX / 1000);
        s_->limite = std::chrono::seconds(segundos);
        // Waiting on another connection's lock counts against the same allowance.
        sqlite3_busy_handler(db, &Ocupada, s_.get());
        sqlite3_progress_handler(db, kInstruccionesEntreControles, &Progreso, s_.get());
    }

    void BaseDeDatosDefecto(std::string_view) override {}

    std::unique_ptr<Cursor> EsquemaTablas() override {
        auto cursor = Consultar(
            "SELECT name, type FROM sqlite_master WHERE type IN ('table','view') ORDER BY name");
        std::vector<std::vector<Variant>> filas;
        std::vector<Variant> f;
        while (cursor->Siguiente(f)) {
            const std::string& nombre = f[0].TextoCrudo();
            std::string tipo = f[1].TextoCrudo() == "view"         ? "VIEW"
                               : EmpiezaSinCaso(nombre, "sqlite_") ? "SYSTEM TABLE"
                                                                   : "TABLE";
            filas.push_back({Variant::Null(), Variant::Null(), Variant(nombre), Variant(tipo)});
        }
        return std::make_unique<CursorEnMemoria>(ColumnasEsquemaTablas(), std::move(filas));
    }

    std::unique_ptr<Cursor> EsquemaColumnas(std::string_view, std::string_view,
                                            std::string_view tabla) override {
        // An SQLite file has one catalogue and no schemas: those restrictions select nothing.
        std::lock_guard<std::recursive_mutex> g(s_->candado);
        SentenciaSqlite st = PreparaUna(
            "SELECT m.name, p.name, p.cid, p.type, p.\"notnull\" "
            "FROM sqlite_master m, pragma_table_info(m.name) p "
            "WHERE m.type IN ('table','view') AND (?1 IS NULL OR m.name = ?1 COLLATE NOCASE) "
            "ORDER BY m.name, p.cid");
        std::string t = Trim(tabla);
        if (!t.empty())
            sqlite3_bind_text(st.get(), 1, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        std::vector<std::vector<Variant>> filas;
        int rc;
        while ((rc = Paso(*s_, st.get())) == SQLITE_ROW) {
            auto texto = [&](int c) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), c));
                return std::string(p ? p : "");
            };
            int tipo = TipoAdoDeclarado(texto(3));
            filas.push_back({Variant::Null(), Variant::Null(), Variant(texto(0)), Variant(texto(1)),
                             Variant(static_cast<long long>(sqlite3_column_int64(st.get(), 2) + 1)),
                             Variant(tipo == 0 ? 202 : tipo),
                             Variant(sqlite3_column_int(st.get(), 4) == 0)});
        }
        if (rc != SQLITE_DONE) Falla(*s_, rc, false);
        return std::make_unique<CursorEnMemoria>(ColumnasEsquemaColumnas(), std::move(filas));
    }

  private:
    static bool TodoBlanco(std::string_view t) {
        return t.find_first_not_of(" \t\r\n;") == std::string_view::npos;
    }

    // Compiles the first statement of `resto` and leaves the rest in it; null when only blanks
    // or comments remained.
    SentenciaSqlite Prepara(std::string_view& resto) {
        sqlite3_stmt* st = nullptr;
        const char* cola = nullptr;
        int rc = sqlite3_prepare_v2(s_->db.get(), resto.data(), static_cast<int>(resto.size()), &st,
                                    &cola);
        SentenciaSqlite dueno(st);
        TerminaEspera(*s_);
        if (rc != SQLITE_OK) Falla(*s_, rc, true);
        resto.remove_prefix(cola ? static_cast<size_t>(cola - resto.data()) : resto.size());
        return dueno;
    }

    SentenciaSqlite PreparaUna(std::string_view sql) {
        std::string_view resto = sql;
        return Prepara(resto);
    }

    std::shared_ptr<Sesion> s_;
};

}  // namespace

int TipoAdoDeclarado(std::string_view declarado) {
    if (TrimVista(declarado).empty()) return 0;
    const std::string t = Mayusculas(declarado);
    // Same precedence as SQLite's own affinity rules: INT first, then texts.
    if (t.find("INT") != std::string::npos) {
        if (t.find("BIGINT") != std::string::npos) return 20;
        if (t.find("SMALLINT") != std::string::npos) return 2;
        if (t.find("TINYINT") != std::string::npos) return 17;
        return 3;
    }
    if (TieneAlguno(t, {"CHAR", "TEXT", "CLOB"})) return 202;
    if (t.find("MONEY") != std::string::npos) return 6;
    if (TieneAlguno(t, {"DEC", "NUM"})) return 131;
    if (TieneAlguno(t, {"REAL", "FLOA", "DOUB"})) return 5;
    if (TieneAlguno(t, {"DATE", "TIME"})) return 135;
    if (TieneAlguno(t, {"BIT", "BOOL"})) return 11;
    if (t.find("BLOB") != std::string::npos) return 205;
    return 0;
}

ClaseErrorSqlite ClasificaErrorSqlite(int codigo, std::string_view mensaje, bool alPreparar) {
    switch (codigo & 0xff) {
        case SQLITE_CONSTRAINT:
            return {err::kIntegridad, "23000"};
        case SQLITE_BUSY:  // the busy time-out ran out waiting for another connection's lock
            return {err::kTiempoAgotado, "HYT00"};
        // Neither is a lost connection: reconnecting would only meet them again.
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return {err::kBaseDanada, "XX001"};
        case SQLITE_LOCKED:
            return {err::kBaseBloqueada, "40001"};
        case SQLITE_INTERRUPT:
            return {err::kFalloGenerico, "HY008"};
        case SQLITE_CANTOPEN:
            return {err::kFalloGenerico, "08001"};
        case SQLITE_ERROR:
            break;
        default:
            return {err::kFalloGenerico, "HY000"};
    }
    // The ODBC driver may report these under the generic code, with SQLite's words.
    if (ContieneSinCaso(mensaje, "disk image is malformed") ||
        ContieneSinCaso(mensaje, "file is not a database"))
        return {err::kBaseDanada, "XX001"};
    if (ContieneSinCaso(mensaje, "database is locked")) return {err::kTiempoAgotado, "HYT00"};
    if (ContieneSinCaso(mensaje, "no such table") || ContieneSinCaso(mensaje, "no such view"))
        return {err::kTablaInexistente, "42S02"};
    if (ContieneSinCaso(mensaje, "no such column") ||
        ContieneSinCaso(mensaje, "has no column named"))
        return {err::kErrorComando, "42S22"};
    if (ContieneSinCaso(mensaje, "already exists")) return {err::kErrorComando, "42S01"};
    if (alPreparar) return {err::kErrorComando, "42000"};
    for (std::string_view p : {"syntax error", "incomplete input", "unrecognized token",
                               "no such function", "wrong number of arguments",
                               "misuse of aggregate", "ambiguous column", "values were supplied"})
        if (ContieneSinCaso(mensaje, p)) return {err::kErrorComando, "42000"};
    // A UNIQUE or other constraint as the ODBC driver words it (it reports the primary code).
    if (ContieneSinCaso(mensaje, "constraint failed")) return {err::kIntegridad, "23000"};
    return {err::kFalloGenerico, "HY000"};
}

std::unique_ptr<Motor> AbreMotorSqlite(const std::string& archivo, int tiempoEsperaSeg) {
    auto falla = [&](std::string descripcion, const char* estado, long nativo) {
        ErrorProveedor r{err::kFalloGenerico, std::move(descripcion), estado, nativo, kFuente};
        Lanza(std::move(r));
    };
    if (Trim(archivo).empty())
        falla("No se indicó el archivo de base de datos.", "3024", SQLITE_CANTOPEN);
    if (archivo != ":memory:") {
        std::error_code ec;
        // SQL state 3024 is what the suite's Access code expects for a file it must look for.
        if (!std::filesystem::exists(plataforma::Ruta(archivo), ec))
            falla("No se encontró el archivo de base de datos '" + archivo + "'.", "3024",
                  SQLITE_CANTOPEN);
        if (std::filesystem::is_directory(plataforma::Ruta(archivo), ec))
            falla("'" + archivo + "' es una carpeta, no un archivo de base de datos.", "3024",
                  SQLITE_CANTOPEN);
    }

    auto s = std::make_shared<Sesion>();
    s->archivo = archivo;
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(archivo.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    s->db.reset(db);  // also on failure: the handle must be closed
    if (rc != SQLITE_OK) {
        std::string texto = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        falla(
            "No se pudo abrir el archivo de base de datos '" + archivo + "': " + TextoSqlite(texto),
            "3051", db ? sqlite3_extended_errcode(db) : rc);
    }
    sqlite3_extended_result_codes(db, 1);

    auto motor = std::make_unique<MotorSqlite>(s);
    // Another program's lock is waited for as long as any command may wait: the operator is
    // told at once and may give up.
    motor->TiempoEspera(tiempoEsperaSeg);
    // SQLite opens any file; reading the catalogue tells whether it is really a database.
    try {
        motor->Consultar("SELECT count(*) FROM sqlite_master");
    } catch (const ErrorBD& e) {
        const ErrorProveedor r = e.Registros().empty() ? ErrorProveedor{} : e.Registros().front();
        const int primario = static_cast<int>(r.NativeError & 0xff);
        // Locked and damaged files say so; only a file that is no database at all is called one.
        if (primario == SQLITE_BUSY || primario == SQLITE_LOCKED || primario == SQLITE_CORRUPT)
            throw;
        falla("El archivo '" + archivo + "' no es una base de datos válida: " +
                  TextoSqlite(sqlite3_errstr(static_cast<int>(r.NativeError))),
              "HY000", r.NativeError);
    }
    motor->TiempoEspera(tiempoEsperaSeg);
    return motor;
}

}  // namespace tamaris
