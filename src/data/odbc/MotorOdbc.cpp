#include "data/odbc/MotorOdbc.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "components/Plataforma.h"
#include "components/PlataformaOdbc.h"
#include "components/Texto.h"
#include "components/TextosSistema.h"
#include "data/Conexion.h"
#include "data/FallosConexion.h"
#include "data/sqlite/MotorSqlite.h"

namespace tamaris {

namespace {

// Diagnostic records read from one handle at most. Some drivers hand back garbage, or the
// same record forever, past the first one.
constexpr SQLSMALLINT kMaxRegistros = 32;
// The watch over a running statement gives the driver's own query time-out this much
// head start before cancelling the statement itself.
constexpr std::chrono::milliseconds kGraciaVigia{250};
// The head start of a network driver, whose own time-out has to travel back from the server.
constexpr std::chrono::seconds kGraciaRed{2};
// Helper connections a backend opens at most for statements its main connection cannot take.
constexpr size_t kMaxAuxiliares = 8;
// Rows fetched at once into bound columns, at most.
constexpr SQLULEN kFilasBloque = 500;

// Everything about a connection that reading its diagnostics needs.
struct Contexto {
    Plataforma plataforma = Plataforma::SqlServer;
    std::string fuente = "ODBC";
};

bool TrazaActiva() {
    static const bool activa = [] {
        const char* v = std::getenv("TAMARIS_TRAZA_ODBC");
        return v && *v && std::strcmp(v, "0") != 0;
    }();
    return activa;
}

std::string TextoSql(const SQLCHAR* p, SQLINTEGER largo, size_t capacidad) {
    const char* c = reinterpret_cast<const char*>(p);
    size_t n = strnlen(c, capacidad);
    if (largo >= 0 && static_cast<size_t>(largo) < n) n = static_cast<size_t>(largo);
    return std::string(c, n);
}

bool EstadoValido(const SQLCHAR* e) {
    for (int i = 0; i < 5; ++i)
        if (e[i] < 0x20 || e[i] > 0x7e) return false;
    return e[5] == '\0';
}

// Every diagnostic record of `manija`, in the driver's order.
std::vector<ErrorProveedor> Diagnosticos(const Contexto& ctx, SQLSMALLINT tipo, SQLHANDLE manija) {
    std::vector<ErrorProveedor> registros;
    if (manija == SQL_NULL_HANDLE) return registros;
    SQLINTEGER cuantos = 0;
    SQLRETURN rc = SQLGetDiagField(tipo, manija, 0, SQL_DIAG_NUMBER, &cuantos, 0, nullptr);
    SQLSMALLINT limite = kMaxRegistros;
    if (SQL_SUCCEEDED(rc) && cuantos >= 0 && cuantos < limite)
        limite = static_cast<SQLSMALLINT>(std::max<SQLINTEGER>(cuantos, 1));
    std::vector<SQLCHAR> mensaje(1024);
    for (SQLSMALLINT i = 1; i <= limite; ++i) {
        SQLCHAR estado[6] = {};
        SQLINTEGER nativo = 0;
        SQLSMALLINT largo = 0;
        rc = SQLGetDiagRec(tipo, manija, i, estado, &nativo, mensaje.data(),
                           static_cast<SQLSMALLINT>(mensaje.size()), &largo);
        if (rc == SQL_SUCCESS_WITH_INFO && largo >= static_cast<SQLSMALLINT>(mensaje.size()) &&
            largo < 32000) {
            mensaje.assign(static_cast<size_t>(largo) + 1, 0);
            rc = SQLGetDiagRec(tipo, manija, i, estado, &nativo, mensaje.data(),
                               static_cast<SQLSMALLINT>(mensaje.size()), &largo);
        }
        if (!SQL_SUCCEEDED(rc) || !EstadoValido(estado)) break;
        ErrorProveedor r;
        r.SQLState = reinterpret_cast<const char*>(estado);
        r.NativeError = nativo;
        r.Description = TextoSql(mensaje.data(), largo, mensaje.size());
        r.Source = ctx.fuente;
        r.Number = NumeroDeEstadoOdbc(r.SQLState);
        // The SQLite driver reports every failure as HY000 with SQLite's own code.
        if (ctx.plataforma == Plataforma::SQLite && r.SQLState == "HY000") {
            r.Number = ClasificaErrorSqlite(nativo, r.Description, false).numero;
            r.Description = TextoSqlite(r.Description);
        }
        // psqlODBC enforces the query time-out through the server's statement_timeout, whose
        // message is the server's own (and in English).
        if (r.SQLState == "57014" && ContieneSinCaso(r.Description, "timeout"))
            r.Description = "Se agotó el tiempo de espera de la consulta. " + r.Description;
        // A failure of the connection itself comes with the driver's or the server's own
        // words; the operator reads first what failed.
        if (const std::string que = TextoFalloConexion(ClasificaFalloConexion(r)); !que.empty())
            r.Description = que + " " + r.Description;
        if (!registros.empty()) {
            const auto& ant = registros.back();
            if (ant.SQLState == r.SQLState && ant.NativeError == r.NativeError &&
                ant.Description == r.Description)
                break;
        }
        registros.push_back(std::move(r));
    }
    return registros;
}

[[noreturn]] void LanzaRegistros(const Contexto& ctx, std::vector<ErrorProveedor> registros,
                                 const char* funcion) {
    if (registros.empty()) {
        registros.push_back({err::kFalloGenerico,
                             std::string("El controlador ODBC informó un error en ") + funcion +
                                 " sin dar detalles.",
                             "HY000", 0, ctx.fuente});
    }
    long numero = registros.front().Number;
    std::string descripcion = registros.front().Description;
    throw ErrorBD(numero, descripcion, std::move(registros), ctx.fuente);
}

[[noreturn]] void LanzaDiagnosticos(const Contexto& ctx, SQLSMALLINT tipo, SQLHANDLE manija,
                                    const char* funcion, bool agotado = false) {
    auto registros = Diagnosticos(ctx, tipo, manija);
    if (agotado) {
        registros.insert(
            registros.begin(),
            ErrorProveedor{err::kTiempoAgotado, "Se agotó el tiempo de espera de la consulta.",
                           "HYT00", 0, ctx.fuente});
    }
    LanzaRegistros(ctx, std::move(registros), funcion);
}

enum class AnteFalla { Lanzar, Ignorar, Devolver };

// The one place every ODBC call goes through: optional trace, and on failure the error with
// every diagnostic record of the handle (Lanzar), nothing (Ignorar), or the return code for
// the caller to look at (Devolver).
SQLRETURN Verifica(const Contexto& ctx, const char* funcion, SQLSMALLINT tipo, SQLHANDLE manija,
                   SQLRETURN rc, AnteFalla modo) {
    if (TrazaActiva()) std::fprintf(stderr, "[odbc] %s -> %d\n", funcion, static_cast<int>(rc));
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA ||
        modo == AnteFalla::Devolver)
        return rc;
    if (modo == AnteFalla::Ignorar) return rc;
    if (rc == SQL_INVALID_HANDLE)
        LanzaRegistros(
            ctx,
            {{err::kFalloGenerico, std::string("Manija ODBC no válida en ") + funcion + ".",
              "HY000", 0, ctx.fuente}},
            funcion);
    LanzaDiagnosticos(ctx, tipo, manija, funcion);
}

#define TAMARIS_ODBC(ctx, modo, tipo, manija, funcion, ...) \
    Verifica((ctx), #funcion, (tipo), (manija), funcion(__VA_ARGS__), (modo))

const Contexto& ContextoNeutro() {
    static const Contexto c;
    return c;
}

// An ODBC handle that frees itself. Freeing cannot report anything useful, so it never throws.
class Manija {
  public:
    explicit Manija(SQLSMALLINT tipo) : tipo_(tipo) {}
    ~Manija() {
        if (h_ != SQL_NULL_HANDLE)
            TAMARIS_ODBC(ContextoNeutro(), AnteFalla::Ignorar, tipo_, h_, SQLFreeHandle, tipo_, h_);
    }
    Manija(const Manija&) = delete;
    Manija& operator=(const Manija&) = delete;

    void Asigna(const Contexto& ctx, SQLSMALLINT tipoPadre, SQLHANDLE padre) {
        TAMARIS_ODBC(ctx, AnteFalla::Lanzar, tipoPadre, padre, SQLAllocHandle, tipo_, padre, &h_);
    }
    SQLHANDLE get() const { return h_; }
    SQLSMALLINT tipo() const { return tipo_; }

  private:
    SQLSMALLINT tipo_;
    SQLHANDLE h_ = SQL_NULL_HANDLE;
};

// Ends a statement that runs past its time-out. A driver without a network connection that
// accepts SQL_ATTR_QUERY_TIMEOUT and then ignores it (the SQLite ODBC driver does) gets
// SQLCancel. A network driver enforces the time-out itself (psqlODBC through the server's
// statement_timeout, FreeTDS on the client): when it has not come back even then, the server no
// longer answers (a stopped server process, a host gone), and a cancel would wait on that same
// server (psqlODBC's did, for 30 s). Its sockets are shut down instead, so the waiting call
// returns with an error at once; the connection is lost, which the error says.
class Vigia {
  public:
    // The sockets of the connection watched (kept by the connection, which outlives this).
    void Sockets(const std::vector<std::intptr_t>* s) { sockets_ = s; }

    ~Vigia() {
        {
            std::lock_guard<std::mutex> l(m_);
            fin_ = true;
        }
        cv_.notify_all();
        if (hilo_.joinable()) hilo_.join();
    }

    // Armed around every fetch, so it costs two atomic stores: no lock and no clock. The
    // thread looks every kPasoVigia at what is armed and times each fetch by its turn number;
    // it is woken only when it went to sleep with nothing to watch.
    void Armar(const Contexto& ctx, SQLHSTMT st, int segundos) {
        if (!hilo_.joinable()) {
            std::lock_guard<std::mutex> l(m_);
            hilo_ = std::thread([this] { Corre(); });
        }
        ctx_.store(&ctx, std::memory_order_relaxed);
        st_.store(st, std::memory_order_relaxed);
        espera_.store(std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::seconds(segundos) + (EnRed() ? kGraciaRed : kGraciaVigia))
                          .count(),
                      std::memory_order_relaxed);
        estado_.store(++turno_ << 2 | kArmado, std::memory_order_seq_cst);
        if (dormido_.load(std::memory_order_seq_cst)) {
            std::lock_guard<std::mutex> l(m_);
            cv_.notify_all();
        }
    }

    // True when the statement had to be cancelled. Once this returns, the statement handle is
    // no longer touched by the watch, so the caller may free it.
    bool Desarmar() {
        const uint64_t antes = estado_.exchange(kLibre, std::memory_order_acq_rel);
        if ((antes & 3) != kCancelando) return false;
        // The thread holds the lock from taking the statement until its cancel has returned.
        std::lock_guard<std::mutex> l(m_);
        return true;
    }

  private:
    // Low two bits of the state; the rest is the turn (one per Armar).
    static constexpr uint64_t kLibre = 0, kArmado = 1, kCancelando = 2;
    // How often the thread looks while a statement is armed; a fetch is timed from the first
    // look that finds it, so it may have begun up to this much earlier.
    static constexpr std::chrono::milliseconds kPasoVigia{50};
    // Looks in a row with nothing armed before the thread sleeps until the next Armar.
    static constexpr int kLibresAntesDeDormir = 20;

    void Corre() {
        std::unique_lock<std::mutex> l(m_);
        uint64_t visto = kLibre;
        auto desde = std::chrono::steady_clock::now();
        std::chrono::milliseconds espera{0};
        int libres = 0;
        while (!fin_) {
            const uint64_t e = estado_.load(std::memory_order_acquire);
            if ((e & 3) != kArmado) {
                visto = kLibre;
                if (++libres < kLibresAntesDeDormir) {
                    cv_.wait_for(l, kPasoVigia);
                    continue;
                }
                dormido_.store(true, std::memory_order_seq_cst);
                if ((estado_.load(std::memory_order_seq_cst) & 3) != kArmado && !fin_) cv_.wait(l);
                dormido_.store(false, std::memory_order_relaxed);
                libres = 0;
                continue;
            }
            libres = 0;
            const auto ahora = std::chrono::steady_clock::now();
            if (e != visto) {
                visto = e;
                desde = ahora;
                espera = std::chrono::milliseconds(espera_.load(std::memory_order_relaxed));
            }
            if (ahora - desde + kPasoVigia < espera) {
                cv_.wait_for(l, kPasoVigia);
                continue;
            }
            uint64_t esperado = e;
            if (!estado_.compare_exchange_strong(esperado, (e & ~uint64_t{3}) | kCancelando,
                                                 std::memory_order_acq_rel))
                continue;  // that fetch ended meanwhile
            const SQLHSTMT st = st_.load(std::memory_order_relaxed);
            if (EnRed()) {
                for (const std::intptr_t s : *sockets_) plataforma::CortaSocket(s);
            } else {
                // SQLCancel is the one ODBC call meant to come from another thread.
                TAMARIS_ODBC(*ctx_.load(std::memory_order_relaxed), AnteFalla::Ignorar,
                             SQL_HANDLE_STMT, st, SQLCancel, st);
            }
        }
    }

    bool EnRed() const { return sockets_ && !sockets_->empty(); }

    std::mutex m_;
    std::condition_variable cv_;
    std::thread hilo_;
    const std::vector<std::intptr_t>* sockets_ = nullptr;
    uint64_t turno_ = 0;  // only the armed side counts turns
    std::atomic<uint64_t> estado_{kLibre};
    std::atomic<const Contexto*> ctx_{nullptr};
    std::atomic<SQLHSTMT> st_{SQL_NULL_HSTMT};
    std::atomic<int64_t> espera_{0};  // ms from a fetch's start to its cancel
    std::atomic<bool> dormido_{false};
    bool fin_ = false;
};

class GuardiaVigia {
  public:
    GuardiaVigia(Vigia& v, const Contexto& ctx, SQLHSTMT st, int segundos)
        : v_(segundos > 0 ? &v : nullptr) {
        if (v_) v_->Armar(ctx, st, segundos);
    }
    ~GuardiaVigia() {
        if (v_) v_->Desarmar();
    }
    bool Desarmar() { return v_ ? std::exchange(v_, nullptr)->Desarmar() : false; }
    GuardiaVigia(const GuardiaVigia&) = delete;
    GuardiaVigia& operator=(const GuardiaVigia&) = delete;

  private:
    Vigia* v_;
};

// Environment and connection handles. Cursors share it, so statements are always freed before
// the connection that owns them is closed.
struct ConexionOdbc {
    Contexto ctx;
    Manija env{SQL_HANDLE_ENV};
    Manija dbc{SQL_HANDLE_DBC};
    bool conectada = false;
    bool enTransaccion = false;
    int tiempo = 0;  // command time-out in seconds; 0 = none
    // Results the driver can keep open at once on this connection (0 = no limit), and cursors
    // with rows still unread.
    int maxActivas = 0;
    int activos = 0;
    std::vector<std::intptr_t>
        sockets;  // the network sockets the driver opened for this connection
    // What SQLGetData may read where columns are bound: any row of a block (after SQLSetPos),
    // so rows can come in blocks; the current row only (rows then come one at a time, still
    // into bound columns); nothing, so every column is read with SQLGetData. Either way a text
    // longer than its buffer is read again whole.
    enum class Enlazado { Ninguno, PorFila, PorBloque } enlazado = Enlazado::Ninguno;
    Vigia vigia;  // declared last: its thread stops before the handles go

    ~ConexionOdbc() {
        if (!conectada) return;
        // A transaction left open would make the disconnect fail: undo it first.
        if (enTransaccion)
            TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_DBC, dbc.get(), SQLEndTran,
                         SQL_HANDLE_DBC, dbc.get(), SQL_ROLLBACK);
        TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_DBC, dbc.get(), SQLDisconnect, dbc.get());
    }
};

// How a column is read.
enum class Lectura : unsigned char { Texto, Binario, Entero, Doble, Decimal, FechaHora, Hora, Bit };

Lectura LecturaDeSql(SQLSMALLINT t) {
    switch (t) {
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_TINYINT:
        case SQL_BIGINT:
            return Lectura::Entero;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return Lectura::Doble;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return Lectura::Decimal;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATETIME:
            return Lectura::FechaHora;
        case SQL_TYPE_TIME:
            return Lectura::Hora;
        case SQL_BIT:
            return Lectura::Bit;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return Lectura::Binario;
        default:
            return Lectura::Texto;
    }
}

// A plain decimal of at most fifteen digits ("-1898.69"): the whole digits as one integer k
// below 2^53, divided by 10^decimals (exact too); IEEE division rounds that quotient
// correctly, so the result is the nearest double to the decimal, as from_chars gives it.
bool DecimalCorto(std::string_view t, double& salida) {
    std::size_t i = 0;
    const bool negativo = t[0] == '-';
    if (t[0] == '-' || t[0] == '+') ++i;
    static constexpr double kPotencias[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    int64_t k = 0;
    int digitos = 0, decimales = 0;
    const auto lee = [&](int& cuenta) {
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
            if (++digitos > 15) return false;
            k = k * 10 + (t[i] - '0');
            ++cuenta;
        }
        return cuenta > 0;
    };
    int enteros = 0;
    if (!lee(enteros)) return false;
    if (i < t.size() && t[i] == '.') {
        ++i;
        if (!lee(decimales)) return false;
    }
    if (i != t.size()) return false;
    const double d = static_cast<double>(k) / kPotencias[decimales];
    salida = negativo ? -d : d;
    return true;
}

bool DecimalDeTexto(std::string_view t, double& salida) {
    t = TrimVista(t);
    if (t.empty()) return false;
    if (DecimalCorto(t, salida)) return true;
    const char* ini = t.data();
    if (*ini == '+') ++ini;
    auto [fin, ec] = std::from_chars(ini, t.data() + t.size(), salida);
    return ec == std::errc() && fin == t.data() + t.size();
}

class CursorOdbc final : public Cursor {
  public:
    // Takes a statement that has just produced a result set. `enBloques`: fetch rows in blocks
    // into bound columns when the driver allows it.
    CursorOdbc(std::shared_ptr<ConexionOdbc> cn, std::unique_ptr<Manija> st, bool enBloques = false)
        : cn_(std::move(cn)), st_(std::move(st)) {
        const Contexto& ctx = cn_->ctx;
        SQLHSTMT h = st_->get();
        SQLSMALLINT n = 0;
        TAMARIS_ODBC(ctx, AnteFalla::Lanzar, SQL_HANDLE_STMT, h, SQLNumResultCols, h, &n);
        columnas_.reserve(static_cast<size_t>(n));
        lectura_.reserve(static_cast<size_t>(n));
        std::vector<SQLCHAR> nombre(256);
        for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(n); ++i) {
            SQLSMALLINT largo = 0, tipo = 0, decimales = 0, nulos = 0;
            SQLULEN tamano = 0;
            auto describe = [&] {
                TAMARIS_ODBC(ctx, AnteFalla::Lanzar, SQL_HANDLE_STMT, h, SQLDescribeCol, h, i,
                             nombre.data(), static_cast<SQLSMALLINT>(nombre.size()), &largo, &tipo,
                             &tamano, &decimales, &nulos);
            };
            describe();
            if (largo >= static_cast<SQLSMALLINT>(nombre.size())) {
                nombre.assign(static_cast<size_t>(largo) + 1, 0);
                describe();
            }
            Columna c;
            c.nombre = TextoSql(nombre.data(), largo, nombre.size());
            c.tipoAdo = TipoAdoDeSql(tipo);
            c.tamano = tamano > 0x7fffffff ? 0x7fffffff : static_cast<long>(tamano);
            Lectura lectura = LecturaDeSql(tipo);
            if (ctx.plataforma == Plataforma::SQLite && lectura == Lectura::Texto)
                RefinaSqlite(i, c, lectura);
            columnas_.push_back(std::move(c));
            lectura_.push_back(lectura);
        }
        decimales_.resize(columnas_.size());
        if (n == 0) {
            Termina();
        } else {
            activo_ = true;
            ++cn_->activos;
            if (enBloques && cn_->enlazado != ConexionOdbc::Enlazado::Ninguno)
                bloque_ = PreparaBloques(
                    cn_->enlazado == ConexionOdbc::Enlazado::PorBloque ? kFilasBloque : 1);
        }
    }

    ~CursorOdbc() override {
        if (activo_) --cn_->activos;
    }

    const std::vector<Columna>& Columnas() const override { return columnas_; }
    std::string_view TextoDecimal(std::size_t i) const override {
        return i < decimales_.size() ? std::string_view(decimales_[i]) : std::string_view();
    }

    bool Siguiente(std::vector<Variant>& fila) override {
        if (terminado_) return false;
        const Contexto& ctx = cn_->ctx;
        SQLHSTMT h = st_->get();
        if (bloque_ && ++pos_ < leidas_) return DeBloque(fila);
        // Every fetch may wait on the server: drivers that compute the result while fetching
        // (the SQLite driver with StepAPI=1) do the statement's work there, and a streaming
        // driver (psqlODBC with UseDeclareFetch=1) asks the server for each block of rows.
        GuardiaVigia g(cn_->vigia, ctx, h, cn_->tiempo);
        SQLRETURN rc = TAMARIS_ODBC(ctx, AnteFalla::Devolver, SQL_HANDLE_STMT, h, SQLFetch, h);
        const bool agotado = g.Desarmar();
        if (bloque_ && SQL_SUCCEEDED(rc) && leidas_ == 0) rc = SQL_NO_DATA;
        if (rc == SQL_NO_DATA) {
            Termina();
            return false;
        }
        if (!SQL_SUCCEEDED(rc)) {
            auto registros = Diagnosticos(ctx, SQL_HANDLE_STMT, h);
            if (agotado)
                registros.insert(registros.begin(),
                                 ErrorProveedor{err::kTiempoAgotado,
                                                "Se agotó el tiempo de espera de la consulta.",
                                                "HYT00", 0, ctx.fuente});
            Termina();
            LanzaRegistros(ctx, std::move(registros), "SQLFetch");
        }
        if (bloque_) {
            pos_ = 0;
            return DeBloque(fila);
        }
        const size_t n = columnas_.size();
        if (fila.size() != n) fila.resize(n);
        for (std::string& d : decimales_) d.clear();
        for (size_t i = 0; i < n; ++i) Lee(static_cast<SQLUSMALLINT>(i + 1), lectura_[i], fila[i]);
        return true;
    }

  private:
    // Row arrays: each column bound to a buffer of kFilas values, read a block per SQLFetch.
    // Saves one driver-manager call per column and row; text longer than its buffer is read
    // again whole with SQLGetData after positioning on its row (drivers that allow it only).
    struct Enlace {
        SQLSMALLINT tipoC = SQL_C_CHAR;
        SQLLEN ancho = 0;
        std::vector<char> datos;
        std::vector<SQLLEN> ind;
    };

    bool PreparaBloques(SQLULEN maximo) {
        const Contexto& ctx = cn_->ctx;
        SQLHSTMT h = st_->get();
        std::vector<Enlace> enlaces(columnas_.size());
        SQLLEN porFila = 0;
        for (size_t i = 0; i < enlaces.size(); ++i) {
            Enlace& e = enlaces[i];
            switch (lectura_[i]) {
                case Lectura::Entero:
                    e.tipoC = SQL_C_SBIGINT, e.ancho = sizeof(SQLBIGINT);
                    break;
                case Lectura::Doble:
                    e.tipoC = SQL_C_DOUBLE, e.ancho = sizeof(SQLDOUBLE);
                    break;
                case Lectura::FechaHora:
                    e.tipoC = SQL_C_TYPE_TIMESTAMP, e.ancho = sizeof(SQL_TIMESTAMP_STRUCT);
                    break;
                case Lectura::Hora:
                    e.tipoC = SQL_C_TYPE_TIME, e.ancho = sizeof(SQL_TIME_STRUCT);
                    break;
                case Lectura::Bit:
                    e.tipoC = SQL_C_BIT, e.ancho = 1;
                    break;
                case Lectura::Decimal:
                    e.ancho = 64;
                    break;
                case Lectura::Texto: {
                    // UTF-8 takes up to 4 bytes a character; a longer value is read again.
                    const long t = columnas_[i].tamano;
                    e.ancho = t > 0 && t < 256 ? t * 4 + 1 : 1025;
                    break;
                }
                case Lectura::Binario:
                    return false;
            }
            porFila += e.ancho + static_cast<SQLLEN>(sizeof(SQLLEN));
        }
        // About 1 MB of buffers, whatever the row looks like.
        const SQLULEN filas =
            std::clamp<SQLULEN>(static_cast<SQLULEN>((1 << 20) / porFila), 1, maximo);
        SQLRETURN rc = TAMARIS_ODBC(ctx, AnteFalla::Devolver, SQL_HANDLE_STMT, h, SQLSetStmtAttr, h,
                                    SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(filas),
                                    SQL_IS_UINTEGER);
        SQLULEN aceptadas = 0;
        if (rc == SQL_SUCCESS)
            TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_STMT, h, SQLGetStmtAttr, h,
                         SQL_ATTR_ROW_ARRAY_SIZE, &aceptadas, SQL_IS_UINTEGER, nullptr);
        bool ok =
            rc == SQL_SUCCESS && aceptadas == filas &&
            SQL_SUCCEEDED(TAMARIS_ODBC(ctx, AnteFalla::Devolver, SQL_HANDLE_STMT, h, SQLSetStmtAttr,
                                       h, SQL_ATTR_ROWS_FETCHED_PTR, &leidas_, 0));
        for (size_t i = 0; ok && i < enlaces.size(); ++i) {
            Enlace& e = enlaces[i];
            e.datos.assign(static_cast<size_t>(e.ancho) * filas, 0);
            e.ind.assign(filas, 0);
            ok = SQL_SUCCEEDED(TAMARIS_ODBC(ctx, AnteFalla::Devolver, SQL_HANDLE_STMT, h,
                                            SQLBindCol, h, static_cast<SQLUSMALLINT>(i + 1),
                                            e.tipoC, e.datos.data(), e.ancho, e.ind.data()));
        }
        if (!ok) {
            // Back to one row at a time, read with SQLGetData.
            TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_STMT, h, SQLFreeStmt, h, SQL_UNBIND);
            TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_STMT, h, SQLSetStmtAttr, h,
                         SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), SQL_IS_UINTEGER);
            TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_STMT, h, SQLSetStmtAttr, h,
                         SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
            return false;
        }
        enlaces_ = std::move(enlaces);
        return true;
    }

    bool DeBloque(std::vector<Variant>& fila) {
        const size_t n = columnas_.size();
        if (fila.size() != n) fila.resize(n);
        const size_t f = static_cast<size_t>(pos_);
        for (std::string& d : decimales_) d.clear();
        for (size_t i = 0; i < n; ++i) {
            const Enlace& e = enlaces_[i];
            const SQLLEN ind = e.ind[f];
            Variant& v = fila[i];
            const char* p = e.datos.data() + f * static_cast<size_t>(e.ancho);
            if (ind == SQL_NULL_DATA) {
                v.AsignarNulo();
                continue;
            }
            switch (lectura_[i]) {
                case Lectura::Entero: {
                    SQLBIGINT x;
                    std::memcpy(&x, p, sizeof x);
                    v.AsignarEntero(static_cast<int64_t>(x));
                    break;
                }
                case Lectura::Doble: {
                    SQLDOUBLE x;
                    std::memcpy(&x, p, sizeof x);
                    v.AsignarDoble(x);
                    break;
                }
                case Lectura::FechaHora: {
                    SQL_TIMESTAMP_STRUCT ts;
                    std::memcpy(&ts, p, sizeof ts);
                    v.AsignarFecha(Fecha{ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second});
                    break;
                }
                case Lectura::Hora: {
                    SQL_TIME_STRUCT t;
                    std::memcpy(&t, p, sizeof t);
                    v.AsignarFecha(Fecha{1899, 12, 30, t.hour, t.minute, t.second});
                    break;
                }
                case Lectura::Bit:
                    v = Variant(*p != 0);
                    break;
                case Lectura::Decimal:
                case Lectura::Texto: {
                    std::string_view texto;
                    if (ind == SQL_NO_TOTAL || ind >= e.ancho) {
                        // Longer than the buffer: the whole value, from its row.
                        SQLHSTMT h = st_->get();
                        if (e.ind.size() > 1)
                            TAMARIS_ODBC(cn_->ctx, AnteFalla::Lanzar, SQL_HANDLE_STMT, h, SQLSetPos,
                                         h, static_cast<SQLSETPOSIROW>(f + 1), SQL_POSITION,
                                         SQL_LOCK_NO_CHANGE);
                        if (!LeeTexto(static_cast<SQLUSMALLINT>(i + 1), SQL_C_CHAR)) {
                            v.AsignarNulo();
                            break;
                        }
                        texto = buf_;
                    } else {
                        texto = std::string_view(p, static_cast<size_t>(ind));
                    }
                    double d;
                    if (lectura_[i] == Lectura::Decimal && DecimalDeTexto(texto, d)) {
                        v.AsignarDoble(d);
                        decimales_[i].assign(texto);
                    } else {
                        v.AsignarTexto(texto);
                    }
                    break;
                }
                case Lectura::Binario:
                    break;
            }
        }
        return true;
    }

    // The SQLite driver calls DECIMAL and MONEY columns text; the declared type it also hands
    // out says what they hold.
    void RefinaSqlite(SQLUSMALLINT col, Columna& c, Lectura& lectura) {
        SQLHSTMT h = st_->get();
        char declarado[128] = {};
        SQLSMALLINT largo = 0;
        SQLRETURN rc = TAMARIS_ODBC(cn_->ctx, AnteFalla::Ignorar, SQL_HANDLE_STMT, h,
                                    SQLColAttribute, h, col, SQL_DESC_TYPE_NAME, declarado,
                                    static_cast<SQLSMALLINT>(sizeof declarado), &largo, nullptr);
        if (!SQL_SUCCEEDED(rc)) return;
        int ado =
            TipoAdoDeclarado(std::string_view(declarado, strnlen(declarado, sizeof declarado)));
        if (ado == 131 || ado == 6) {
            c.tipoAdo = ado;
            lectura = Lectura::Decimal;
        }
    }

    // Closes the result as soon as it is read to the end: a server that runs one statement at
    // a time per connection (SQL Server over TDS) is free again.
    void Termina() {
        terminado_ = true;
        if (activo_) {
            activo_ = false;
            --cn_->activos;
        }
        SQLHSTMT h = st_->get();
        TAMARIS_ODBC(cn_->ctx, AnteFalla::Ignorar, SQL_HANDLE_STMT, h, SQLFreeStmt, h, SQL_CLOSE);
    }

    SQLRETURN GetData(SQLUSMALLINT col, SQLSMALLINT tipoC, SQLPOINTER destino, SQLLEN capacidad,
                      SQLLEN* indicador) {
        SQLHSTMT h = st_->get();
        return TAMARIS_ODBC(cn_->ctx, AnteFalla::Lanzar, SQL_HANDLE_STMT, h, SQLGetData, h, col,
                            tipoC, destino, capacidad, indicador);
    }

    void Lee(SQLUSMALLINT col, Lectura lectura, Variant& v) {
        SQLLEN ind = 0;
        switch (lectura) {
            case Lectura::Entero: {
                SQLBIGINT x = 0;
                GetData(col, SQL_C_SBIGINT, &x, sizeof x, &ind);
                if (ind == SQL_NULL_DATA)
                    v.AsignarNulo();
                else
                    v.AsignarEntero(static_cast<int64_t>(x));
                return;
            }
            case Lectura::Doble: {
                SQLDOUBLE x = 0;
                GetData(col, SQL_C_DOUBLE, &x, sizeof x, &ind);
                if (ind == SQL_NULL_DATA)
                    v.AsignarNulo();
                else
                    v.AsignarDoble(x);
                return;
            }
            case Lectura::FechaHora: {
                SQL_TIMESTAMP_STRUCT ts{};
                GetData(col, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &ind);
                if (ind == SQL_NULL_DATA)
                    v.AsignarNulo();
                else
                    v.AsignarFecha(Fecha{ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second});
                return;
            }
            case Lectura::Hora: {
                SQL_TIME_STRUCT t{};
                GetData(col, SQL_C_TYPE_TIME, &t, sizeof t, &ind);
                // A time alone is the time of day 0, as the suite's date type keeps it.
                if (ind == SQL_NULL_DATA)
                    v.AsignarNulo();
                else
                    v.AsignarFecha(Fecha{1899, 12, 30, t.hour, t.minute, t.second});
                return;
            }
            case Lectura::Bit: {
                unsigned char b = 0;
                GetData(col, SQL_C_BIT, &b, sizeof b, &ind);
                if (ind == SQL_NULL_DATA)
                    v.AsignarNulo();
                else
                    v = Variant(b != 0);
                return;
            }
            case Lectura::Decimal: {
                if (!LeeTexto(col, SQL_C_CHAR)) {
                    v.AsignarNulo();
                    return;
                }
                double d;
                if (DecimalDeTexto(buf_, d)) {
                    v.AsignarDoble(d);
                    decimales_[col - 1u].assign(buf_);
                } else {
                    v.AsignarTexto(buf_);
                }
                return;
            }
            case Lectura::Binario:
            case Lectura::Texto:
                if (LeeTexto(col, lectura == Lectura::Binario ? SQL_C_BINARY : SQL_C_CHAR))
                    v.AsignarTexto(buf_);
                else
                    v.AsignarNulo();
                return;
        }
    }

    // Reads a character or binary column into buf_, in pieces when it is long. False for null.
    bool LeeTexto(SQLUSMALLINT col, SQLSMALLINT tipoC) {
        const size_t terminador = tipoC == SQL_C_CHAR ? 1 : 0;
        size_t usado = 0;
        size_t trozo = std::max<size_t>(buf_.capacity(), 4096);
        for (;;) {
            buf_.resize(usado + trozo);
            SQLLEN ind = 0;
            SQLRETURN rc =
                GetData(col, tipoC, buf_.data() + usado, static_cast<SQLLEN>(trozo), &ind);
            if (rc == SQL_NO_DATA) break;  // everything was already read
            if (ind == SQL_NULL_DATA) {
                buf_.clear();
                return false;
            }
            const size_t cabe = trozo - terminador;
            if (ind != SQL_NO_TOTAL && static_cast<size_t>(ind) <= cabe) {
                usado += static_cast<size_t>(ind);
                break;
            }
            if (rc == SQL_SUCCESS) {  // a driver that fills the buffer without saying more
                usado += cabe;
                break;
            }
            usado += cabe;
            // With the total known, the rest comes in one more call.
            trozo = ind != SQL_NO_TOTAL ? static_cast<size_t>(ind) - cabe + terminador : trozo * 2;
        }
        buf_.resize(usado);
        return true;
    }

    std::shared_ptr<ConexionOdbc> cn_;
    std::unique_ptr<Manija> st_;
    std::vector<Columna> columnas_;
    std::vector<Lectura> lectura_;
    std::vector<std::string> decimales_;  // exact text of the decimal columns of the row
    std::string buf_;
    bool terminado_ = false;
    bool activo_ = false;
    bool bloque_ = false;
    std::vector<Enlace> enlaces_;
    SQLULEN leidas_ = 0;  // rows of the block fetched last
    SQLULEN pos_ = 0;     // the row of it being read
};

SQLCHAR* Sql(std::string& s) { return reinterpret_cast<SQLCHAR*>(s.data()); }

std::string InfoTexto(const Contexto& ctx, SQLHDBC d, SQLUSMALLINT info) {
    char buf[256] = {};
    SQLSMALLINT largo = 0;
    SQLRETURN rc = TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_DBC, d, SQLGetInfo, d, info,
                                buf, static_cast<SQLSMALLINT>(sizeof buf), &largo);
    if (!SQL_SUCCEEDED(rc)) return {};
    return std::string(buf, strnlen(buf, sizeof buf));
}

std::shared_ptr<ConexionOdbc> ConectaOdbc(const std::string& cadenaOdbc, int tiempoConexionSeg) {
    auto cn = std::make_shared<ConexionOdbc>();
    Contexto& ctx = cn->ctx;
    cn->env.Asigna(ctx, SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    SQLHENV e = cn->env.get();
    TAMARIS_ODBC(ctx, AnteFalla::Lanzar, SQL_HANDLE_ENV, e, SQLSetEnvAttr, e, SQL_ATTR_ODBC_VERSION,
                 reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    cn->dbc.Asigna(ctx, SQL_HANDLE_ENV, e);
    SQLHDBC d = cn->dbc.get();
    if (tiempoConexionSeg > 0)
        TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_DBC, d, SQLSetConnectAttr, d,
                     SQL_ATTR_LOGIN_TIMEOUT,
                     reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(tiempoConexionSeg)),
                     SQL_IS_UINTEGER);
    std::string cadena = cadenaOdbc;
    SQLCHAR salida[1024];
    SQLSMALLINT largoSalida = 0;
    const std::vector<std::intptr_t> antes = plataforma::SocketsDeRed();
    TAMARIS_ODBC(ctx, AnteFalla::Lanzar, SQL_HANDLE_DBC, d, SQLDriverConnect, d, nullptr,
                 Sql(cadena), static_cast<SQLSMALLINT>(cadena.size()), salida,
                 static_cast<SQLSMALLINT>(sizeof salida), &largoSalida, SQL_DRIVER_NOPROMPT);
    cn->conectada = true;
    // Connections are opened from one thread at a time: the sockets that appeared belong to
    // this one.
    for (const std::intptr_t fd : plataforma::SocketsDeRed())
        if (!std::binary_search(antes.begin(), antes.end(), fd)) cn->sockets.push_back(fd);
    cn->vigia.Sockets(&cn->sockets);

    std::string dbms = InfoTexto(ctx, d, SQL_DBMS_NAME);
    // Another product's SQL would be taken for SQL Server's and fail in ways nobody could read.
    const std::optional<Plataforma> plataforma = DecidePlataforma(dbms, cadena);
    if (!plataforma) RechazaPlataforma(dbms, cadena);
    ctx.plataforma = *plataforma;
    std::string driver = InfoTexto(ctx, d, SQL_DRIVER_NAME);
    ctx.fuente = "ODBC " + (driver.empty() ? dbms : driver);

    SQLUSMALLINT activas = 0;
    SQLRETURN rc = TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_DBC, d, SQLGetInfo, d,
                                SQL_MAX_CONCURRENT_ACTIVITIES, &activas,
                                static_cast<SQLSMALLINT>(sizeof activas), nullptr);
    cn->maxActivas = SQL_SUCCEEDED(rc) ? activas : 0;
    SQLUINTEGER extensiones = 0;
    rc = TAMARIS_ODBC(ctx, AnteFalla::Ignorar, SQL_HANDLE_DBC, d, SQLGetInfo, d,
                      SQL_GETDATA_EXTENSIONS, &extensiones,
                      static_cast<SQLSMALLINT>(sizeof extensiones), nullptr);
    const SQLUINTEGER necesarias = SQL_GD_BOUND | SQL_GD_ANY_COLUMN;
    if (SQL_SUCCEEDED(rc) && (extensiones & necesarias) == necesarias)
        cn->enlazado = extensiones & SQL_GD_BLOCK ? ConexionOdbc::Enlazado::PorBloque
                                                  : ConexionOdbc::Enlazado::PorFila;
    // For drivers that claim more than they manage.
    if (const char* v = std::getenv("TAMARIS_ODBC_UNA_SENTENCIA"); v && std::strcmp(v, "1") == 0)
        cn->maxActivas = 1;
    return cn;
}

class MotorOdbc final : public Motor {
  public:
    MotorOdbc(std::shared_ptr<ConexionOdbc> cn, std::string dbms, std::string cadena,
              int tiempoConexion)
        : cn_(std::move(cn)),
          dbms_(std::move(dbms)),
          cadena_(std::move(cadena)),
          tiempoConexion_(tiempoConexion) {}

    Plataforma plataforma() const override { return cn_->ctx.plataforma; }
    std::string NombreDbms() const override { return dbms_; }

    std::unique_ptr<Cursor> Consultar(std::string_view sql) override {
        std::shared_ptr<ConexionOdbc> cn = Libre();
        auto st = NuevaSentencia(*cn);
        SQLHSTMT h = st->get();
        std::string texto(sql);
        {
            GuardiaVigia g(cn->vigia, cn->ctx, h, cn->tiempo);
            SQLRETURN rc =
                TAMARIS_ODBC(cn->ctx, AnteFalla::Devolver, SQL_HANDLE_STMT, h, SQLExecDirect, h,
                             Sql(texto), static_cast<SQLINTEGER>(texto.size()));
            // Results without columns ahead of the rows (row counts of a script's set-up) are
            // passed over.
            while (SQL_SUCCEEDED(rc) && ColumnasDe(*cn, h) == 0) {
                rc = TAMARIS_ODBC(cn->ctx, AnteFalla::Devolver, SQL_HANDLE_STMT, h, SQLMoreResults,
                                  h);
                if (rc == SQL_NO_DATA) break;
            }
            bool agotado = g.Desarmar();
            if (rc == SQL_NO_DATA)  // a statement that returned no rows at all
                return std::make_unique<CursorEnMemoria>(std::vector<Columna>{},
                                                         std::vector<std::vector<Variant>>{});
            if (!SQL_SUCCEEDED(rc))
                LanzaDiagnosticos(cn->ctx, SQL_HANDLE_STMT, h, "SQLExecDirect", agotado);
        }
        return std::make_unique<CursorOdbc>(std::move(cn), std::move(st), true);
    }

    long Ejecutar(std::string_view sql) override {
        // The SQLite driver takes one statement per call: a script is sent a statement at a
        // time, cut where SQLite itself says a statement is complete.
        if (plataforma() != Plataforma::SQLite) return EjecutarUna(sql);
        long total = -1;
        std::string actual;
        const auto envia = [&] {
            if (Trim(actual).find_first_not_of(';') == std::string::npos) {
                actual.clear();
                return;
            }
            const long n = EjecutarUna(actual);
            if (n >= 0) total = (total < 0 ? 0 : total) + n;
            actual.clear();
        };
        for (char c : sql) {
            actual.push_back(c);
            if (c == ';' && sqlite3_complete(actual.c_str())) envia();
        }
        envia();
        return total;
    }

    long EjecutarUna(std::string_view sql) {
        std::shared_ptr<ConexionOdbc> cn = Libre();
        auto st = NuevaSentencia(*cn);
        SQLHSTMT h = st->get();
        std::string texto(sql);
        GuardiaVigia g(cn->vigia, cn->ctx, h, cn->tiempo);
        SQLRETURN rc = TAMARIS_ODBC(cn->ctx, AnteFalla::Devolver, SQL_HANDLE_STMT, h, SQLExecDirect,
                                    h, Sql(texto), static_cast<SQLINTEGER>(texto.size()));
        // An UPDATE or DELETE that matched nothing answers SQL_NO_DATA straight away.
        long total = rc == SQL_NO_DATA ? 0 : -1;
        // Every result of a batch is consumed, so that a failure further on is not missed.
        while (SQL_SUCCEEDED(rc)) {
            SQLLEN filas = -1;
            TAMARIS_ODBC(cn->ctx, AnteFalla::Ignorar, SQL_HANDLE_STMT, h, SQLRowCount, h, &filas);
            if (filas >= 0) total = (total < 0 ? 0 : total) + static_cast<long>(filas);
            rc = TAMARIS_ODBC(cn->ctx, AnteFalla::Devolver, SQL_HANDLE_STMT, h, SQLMoreResults, h);
        }
        bool agotado = g.Desarmar();
        if (rc != SQL_NO_DATA)
            LanzaDiagnosticos(cn->ctx, SQL_HANDLE_STMT, h, "SQLExecDirect", agotado);
        return total;
    }

    void IniciarTransaccion() override {
        if (cn_->enTransaccion) Falla("Ya hay una transacción en curso en esta conexión.", "25000");
        SQLHDBC d = cn_->dbc.get();
        TAMARIS_ODBC(cn_->ctx, AnteFalla::Lanzar, SQL_HANDLE_DBC, d, SQLSetConnectAttr, d,
                     SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                     SQL_IS_UINTEGER);
        cn_->enTransaccion = true;
    }
    void ConfirmarTransaccion() override { Termina(SQL_COMMIT); }
    void DeshacerTransaccion() override { Termina(SQL_ROLLBACK); }

    void TiempoEspera(int segundos) override {
        cn_->tiempo = segundos > 0 ? segundos : 0;
        for (auto& a : auxiliares_) a->tiempo = cn_->tiempo;
    }

    void BaseDeDatosDefecto(std::string_view nombre) override {
        if (plataforma() != Plataforma::SqlServer || Trim(nombre).empty()) return;
        std::string n = Trim(nombre);
        FijaCatalogo(*cn_, n);
        catalogo_ = n;
        // A helper connection that cannot follow is let go (a cursor still reading from it
        // keeps it alive until it is done).
        std::erase_if(auxiliares_, [&](const std::shared_ptr<ConexionOdbc>& a) {
            try {
                FijaCatalogo(*a, n);
                return false;
            } catch (const ErrorBD&) {
                return true;
            }
        });
    }

    void NivelAislamiento(long nivelAdo) override {
        switch (nivelAdo) {
            case 256:
                aislamiento_ = SQL_TXN_READ_UNCOMMITTED;
                break;
            case 4096:
                aislamiento_ = SQL_TXN_READ_COMMITTED;
                break;
            case 65536:
                aislamiento_ = SQL_TXN_REPEATABLE_READ;
                break;
            case 1048576:
                aislamiento_ = SQL_TXN_SERIALIZABLE;
                break;
            default:
                return;  // chaos, or no level given: the driver keeps its own
        }
        FijaAislamiento(*cn_, aislamiento_);
        for (auto& a : auxiliares_) FijaAislamiento(*a, aislamiento_);
    }

    std::unique_ptr<Cursor> EsquemaTablas() override {
        std::shared_ptr<ConexionOdbc> cn = Libre();
        auto st = NuevaSentencia(*cn);
        SQLHSTMT h = st->get();
        TAMARIS_ODBC(cn->ctx, AnteFalla::Lanzar, SQL_HANDLE_STMT, h, SQLTables, h, nullptr, 0,
                     nullptr, 0, nullptr, 0, nullptr, 0);
        CursorOdbc c(cn, std::move(st));
        std::vector<std::vector<Variant>> filas;
        std::vector<Variant> f;
        while (c.Siguiente(f)) {
            if (f.size() < 4) break;
            filas.push_back({f[0], f[1], f[2], f[3]});
        }
        return std::make_unique<CursorEnMemoria>(ColumnasEsquemaTablas(), std::move(filas));
    }

    std::unique_ptr<Cursor> EsquemaColumnas(std::string_view catalogo, std::string_view esquema,
                                            std::string_view tabla) override {
        std::string cat = Trim(catalogo), esq = Trim(esquema), tab = Trim(tabla);
        // The SQLite driver has no catalogues; what the suite passes there is a file name.
        if (plataforma() == Plataforma::SQLite) cat.clear();
        std::shared_ptr<ConexionOdbc> cn = Libre();
        auto st = NuevaSentencia(*cn);
        SQLHSTMT h = st->get();
        auto arg = [](std::string& s) { return s.empty() ? nullptr : Sql(s); };
        auto largo = [](const std::string& s) {
            return static_cast<SQLSMALLINT>(s.empty() ? 0 : s.size());
        };
        TAMARIS_ODBC(cn->ctx, AnteFalla::Lanzar, SQL_HANDLE_STMT, h, SQLColumns, h, arg(cat),
                     largo(cat), arg(esq), largo(esq), arg(tab), largo(tab), nullptr, 0);
        CursorOdbc c(cn, std::move(st));
        std::vector<std::vector<Variant>> filas;
        std::vector<Variant> f;
        std::string tablaAnterior;
        long orden = 0;
        while (c.Siguiente(f)) {
            if (f.size() < 11) break;
            std::string nombreTabla = f[2].EsTexto() ? f[2].TextoCrudo() : "";
            // The table argument is a search pattern ("_" matches any character).
            if (!tab.empty() && !IgualSinCaso(nombreTabla, tab)) continue;
            if (nombreTabla != tablaAnterior) {
                tablaAnterior = nombreTabla;
                orden = 0;
            }
            ++orden;
            // ODBC 2 drivers answer without ORDINAL_POSITION: the order of the rows gives it.
            const long long posicion =
                f.size() >= 17 && f[16].EsNumero() ? static_cast<long long>(f[16].Entero()) : orden;
            bool admiteNulos = !f[10].EsNumero() || f[10].Entero() != SQL_NO_NULLS;
            int tipo = TipoAdoDeSql(static_cast<int>(f[4].Entero()));
            // As in the cursors: the SQLite driver lists DECIMAL and MONEY as text types.
            if (plataforma() == Plataforma::SQLite && f[5].EsTexto()) {
                int declarado = TipoAdoDeclarado(f[5].TextoCrudo());
                if (declarado == 131 || declarado == 6) tipo = declarado;
            }
            filas.push_back(
                {f[0], f[1], f[2], f[3], Variant(posicion), Variant(tipo), Variant(admiteNulos)});
        }
        return std::make_unique<CursorEnMemoria>(ColumnasEsquemaColumnas(), std::move(filas));
    }

  private:
    // The connection a new statement runs on. Drivers that keep one result open per
    // connection (SQL Server over TDS without MARS) would refuse a statement while a
    // recordset is still being read; like ADO, another connection takes it then. Inside a
    // transaction everything stays on the main connection, where the transaction is.
    std::shared_ptr<ConexionOdbc> Libre() {
        if (cn_->maxActivas != 1 || cn_->activos == 0 || cn_->enTransaccion) return cn_;
        for (const auto& a : auxiliares_)
            if (a->activos == 0) return a;
        if (auxiliares_.size() >= kMaxAuxiliares) return cn_;  // the driver will say it is busy
        auto a = ConectaOdbc(cadena_, tiempoConexion_);
        a->tiempo = cn_->tiempo;
        if (!catalogo_.empty()) FijaCatalogo(*a, catalogo_);
        if (aislamiento_ != 0) FijaAislamiento(*a, aislamiento_);
        auxiliares_.push_back(a);
        return a;
    }

    static void FijaCatalogo(ConexionOdbc& c, std::string n) {
        SQLHDBC d = c.dbc.get();
        SQLRETURN rc =
            TAMARIS_ODBC(c.ctx, AnteFalla::Devolver, SQL_HANDLE_DBC, d, SQLSetConnectAttr, d,
                         SQL_ATTR_CURRENT_CATALOG, Sql(n), static_cast<SQLINTEGER>(n.size()));
        if (SQL_SUCCEEDED(rc)) return;
        auto registros = Diagnosticos(c.ctx, SQL_HANDLE_DBC, d);
        // A driver without the attribute is no reason to fail; a missing database is.
        if (!registros.empty() &&
            (registros.front().SQLState == "HYC00" || registros.front().SQLState == "HY092" ||
             registros.front().SQLState == "IM001"))
            return;
        LanzaRegistros(c.ctx, std::move(registros), "SQLSetConnectAttr");
    }

    static void FijaAislamiento(ConexionOdbc& c, SQLUINTEGER nivel) {
        SQLHDBC d = c.dbc.get();
        // Drivers that do not offer the level keep their own: no failure for that.
        TAMARIS_ODBC(c.ctx, AnteFalla::Ignorar, SQL_HANDLE_DBC, d, SQLSetConnectAttr, d,
                     SQL_ATTR_TXN_ISOLATION,
                     reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(nivel)), SQL_IS_UINTEGER);
    }

    static std::unique_ptr<Manija> NuevaSentencia(ConexionOdbc& c) {
        auto st = std::make_unique<Manija>(SQL_HANDLE_STMT);
        st->Asigna(c.ctx, SQL_HANDLE_DBC, c.dbc.get());
        SQLHSTMT h = st->get();
        if (c.tiempo > 0)
            TAMARIS_ODBC(c.ctx, AnteFalla::Ignorar, SQL_HANDLE_STMT, h, SQLSetStmtAttr, h,
                         SQL_ATTR_QUERY_TIMEOUT,
                         reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(c.tiempo)),
                         SQL_IS_UINTEGER);
        return st;
    }

    static SQLSMALLINT ColumnasDe(ConexionOdbc& c, SQLHSTMT h) {
        SQLSMALLINT n = 0;
        TAMARIS_ODBC(c.ctx, AnteFalla::Lanzar, SQL_HANDLE_STMT, h, SQLNumResultCols, h, &n);
        return n;
    }

    void Termina(SQLSMALLINT como) {
        if (!cn_->enTransaccion) Falla("No hay ninguna transacción en curso.", "25000");
        SQLHDBC d = cn_->dbc.get();
        TAMARIS_ODBC(cn_->ctx, AnteFalla::Lanzar, SQL_HANDLE_DBC, d, SQLEndTran, SQL_HANDLE_DBC, d,
                     como);
        cn_->enTransaccion = false;
        TAMARIS_ODBC(cn_->ctx, AnteFalla::Lanzar, SQL_HANDLE_DBC, d, SQLSetConnectAttr, d,
                     SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                     SQL_IS_UINTEGER);
    }

    [[noreturn]] void Falla(const char* descripcion, const char* estado) {
        LanzaRegistros(cn_->ctx, {{err::kFalloGenerico, descripcion, estado, 0, cn_->ctx.fuente}},
                       "");
    }

    std::shared_ptr<ConexionOdbc> cn_;
    std::string dbms_;
    std::string cadena_;  // to open helper connections like the main one
    int tiempoConexion_;
    std::string catalogo_;
    SQLUINTEGER aislamiento_ = 0;
    std::vector<std::shared_ptr<ConexionOdbc>> auxiliares_;
};

}  // namespace

long NumeroDeEstadoOdbc(std::string_view e) {
    if (e == "42S02") return err::kTablaInexistente;
    if (e.starts_with("42") || e == "37000") return err::kErrorComando;
    if (e.starts_with("23")) return err::kIntegridad;
    // 57014: the server cancelled the statement (its own time-out, or our cancel on ours).
    if (e == "HYT00" || e == "HYT01" || e == "57014") return err::kTiempoAgotado;
    return err::kFalloGenerico;
}

int TipoAdoDeSql(int t) {
    switch (t) {
        case SQL_CHAR:
            return 129;
        case SQL_VARCHAR:
            return 200;
        case SQL_LONGVARCHAR:
            return 201;
        case SQL_WCHAR:
            return 130;
        case SQL_WVARCHAR:
            return 202;
        case SQL_WLONGVARCHAR:
            return 203;
        case SQL_INTEGER:
            return 3;
        case SQL_SMALLINT:
            return 2;
        case SQL_TINYINT:
            return 17;
        case SQL_BIGINT:
            return 20;
        case SQL_REAL:
            return 4;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return 5;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return 131;
        case SQL_BIT:
            return 11;
        case SQL_TYPE_DATE:
            return 133;
        case SQL_TYPE_TIME:
            return 134;
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATETIME:
            return 135;
        case SQL_BINARY:
            return 128;
        case SQL_VARBINARY:
            return 204;
        case SQL_LONGVARBINARY:
            return 205;
        case SQL_GUID:
            return 72;
        default:
            return 200;
    }
}

namespace {

// `cadena` without its key=value pairs named in `claves`; braced values stay whole.
std::string SinClaves(std::string_view cadena, std::initializer_list<std::string_view> claves) {
    std::string r;
    std::size_t i = 0;
    while (i < cadena.size()) {
        std::size_t j = i;
        bool llave = false;
        for (; j < cadena.size(); ++j) {
            if (cadena[j] == '{')
                llave = true;
            else if (cadena[j] == '}')
                llave = false;
            else if (cadena[j] == ';' && !llave)
                break;
        }
        const std::string_view parte = cadena.substr(i, j - i);
        const std::string_view clave = TrimVista(parte.substr(0, parte.find('=')));
        bool quitar = false;
        for (std::string_view c : claves) quitar = quitar || IgualSinCaso(clave, c);
        if (!quitar && !TrimVista(parte).empty()) {
            r.append(parte);
            r.push_back(';');
        }
        i = j + 1;
    }
    return r;
}

}  // namespace

std::string CadenaDeLectura(std::string_view cadenaOdbc, std::string_view driver) {
    const CadenaConexion c(cadenaOdbc);
    const auto con = [&](std::initializer_list<std::string_view> claves, const char* opciones) {
        std::string r = SinClaves(cadenaOdbc, claves);
        return r + opciones;
    };
    // psqlODBC reads the whole result into memory unless it fetches through a server cursor,
    // Fetch rows at a time; the SQLite driver does the same unless it steps the statement.
    if (ContieneSinCaso(driver, "PostgreSQL") || ContieneSinCaso(driver, "psqlodbc")) {
        long fetch = 0;
        const std::string f = c.Valor({"Fetch"});
        std::from_chars(f.data(), f.data() + f.size(), fetch);
        if (c.Valor({"UseDeclareFetch"}) == "1" && (f.empty() || (fetch > 0 && fetch <= 10000)))
            return std::string(cadenaOdbc);
        return con({"UseDeclareFetch", "Fetch"}, "UseDeclareFetch=1;Fetch=2000;");
    }
    if (ContieneSinCaso(driver, "SQLite")) {
        if (c.Valor({"StepAPI"}) == "1") return std::string(cadenaOdbc);
        return con({"StepAPI"}, "StepAPI=1;");
    }
    return std::string(cadenaOdbc);
}

std::unique_ptr<Motor> AbreMotorOdbc(const std::string& cadenaOdbc, int tiempoConexionSeg) {
    std::string cadena = CadenaDeLectura(cadenaOdbc, CadenaConexion(cadenaOdbc).Valor({"DRIVER"}));
    auto cn = ConectaOdbc(cadena, tiempoConexionSeg);
    // A DSN names its driver only in odbc.ini: ask the driver itself, and connect once more
    // with the options when they were missing.
    std::string conOpciones =
        CadenaDeLectura(cadena, InfoTexto(cn->ctx, cn->dbc.get(), SQL_DRIVER_NAME));
    if (conOpciones != cadena) {
        cadena = std::move(conOpciones);
        cn.reset();
        cn = ConectaOdbc(cadena, tiempoConexionSeg);
    }
    std::string dbms = InfoTexto(cn->ctx, cn->dbc.get(), SQL_DBMS_NAME);
    return std::make_unique<MotorOdbc>(std::move(cn), std::move(dbms), cadena, tiempoConexionSeg);
}

}  // namespace tamaris
