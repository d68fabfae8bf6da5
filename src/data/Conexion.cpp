#include "data/Conexion.h"

#include <cstdlib>
#include <utility>

#include "components/Texto.h"
#include "data/dialectos/Dialecto.h"
#include "data/odbc/MotorOdbc.h"
#include "data/sqlite/MotorSqlite.h"

namespace tamaris {

namespace {

constexpr const char* kOrigenConexion = "ADODB.Connection";

std::string_view SinBlancos(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A value written into an ODBC connection string: braced when it could be misread.
std::string ValorOdbc(std::string_view v) {
    bool braces = v.find_first_of(";{}=") != std::string_view::npos ||
                  (!v.empty() && (v.front() == ' ' || v.back() == ' '));
    if (!braces) return std::string(v);
    std::string r = "{";
    for (char c : v) {
        r += c;
        if (c == '}') r += '}';
    }
    return r + "}";
}

void Agrega(std::string& cadena, std::string_view clave, std::string_view valor) {
    cadena.append(clave).append("=").append(ValorOdbc(valor)).append(";");
}

std::string Entorno(const char* variable, const char* porDefecto) {
    const char* v = std::getenv(variable);
    return v && *v ? std::string(v) : std::string(porDefecto);
}

[[noreturn]] void FallaCadena(const std::string& descripcion) {
    ErrorProveedor r{err::kFalloGenerico, descripcion, "IM002", 0, kOrigenConexion};
    throw ErrorBD(err::kFalloGenerico, descripcion, {std::move(r)}, kOrigenConexion);
}

// "(local)" and "." name the workstation itself, which only Microsoft's own libraries know;
// "tcp:" is their protocol prefix. Port (",1433") and instance ("\SQLEXPRESS") stay: FreeTDS
// and Microsoft's driver read both forms in SERVER.
std::string ServidorOdbc(std::string_view servidor, bool freeTds) {
    std::string s = Trim(servidor);
    if (freeTds && EmpiezaSinCaso(s, "tcp:")) s.erase(0, 4);
    size_t fin = s.find_first_of(",\\");
    std::string_view host = std::string_view(s).substr(0, fin);
    if (IgualSinCaso(host, "(local)") || host == "." || IgualSinCaso(host, "(localdb)"))
        s = "localhost" + (fin == std::string::npos ? std::string() : s.substr(fin));
    return s;
}

std::string CadenaSqlServer(const CadenaConexion& c) {
    const std::string driver = Entorno("TAMARIS_ODBC_SQLSERVER", "FreeTDS");
    const bool freeTds = ContieneSinCaso(driver, "FreeTDS");
    std::string r = "DRIVER={" + driver + "};";
    std::string servidor = c.Valor({"Server", "Data Source", "Address", "Addr", "Network Address"});
    if (!servidor.empty()) Agrega(r, "SERVER", ServidorOdbc(servidor, freeTds));
    std::string base = c.Valor({"Database", "Initial Catalog"});
    if (!base.empty()) Agrega(r, "DATABASE", base);
    std::string usuario = c.Valor({"UId", "User Id", "User", "User Name"});
    std::string clave = c.Valor({"Pwd", "Password"});
    std::string integrada = c.Valor({"Integrated Security", "Trusted_Connection"});
    if (!integrada.empty() && (IgualSinCaso(integrada, "SSPI") || IgualSinCaso(integrada, "true") ||
                               IgualSinCaso(integrada, "yes")))
        Agrega(r, "Trusted_Connection", "Yes");
    if (!usuario.empty()) Agrega(r, "UID", usuario);
    if (!clave.empty() || !usuario.empty()) Agrega(r, "PWD", clave);
    if (freeTds) {
        // 7.4 is the newest protocol; older servers answer with theirs and FreeTDS follows.
        // Dates then arrive as dates, and texts as UTF-8, which is what the rows are read as.
        r += "TDS_Version=7.4;ClientCharset=UTF-8;";
    }
    return r;
}

std::string CadenaOracle(const CadenaConexion& c) {
    const std::string driver = Entorno("TAMARIS_ODBC_ORACLE", "Oracle");
    std::string r = "DRIVER={" + driver + "};";
    Agrega(r, "DBQ", c.Valor({"Data Source", "DBQ", "Server"}));
    std::string usuario = c.Valor({"User Id", "UId", "User ID", "User"});
    std::string clave = c.Valor({"Password", "Pwd"});
    if (!usuario.empty()) Agrega(r, "UID", usuario);
    if (!clave.empty() || !usuario.empty()) Agrega(r, "PWD", clave);
    return r;
}

// The ODBC string again, without the keys in `fuera`.
std::string SinClaves(const CadenaConexion& c, std::initializer_list<std::string_view> fuera) {
    std::string r;
    for (const auto& [k, v] : c.Pares()) {
        bool saltar = false;
        for (auto f : fuera) saltar = saltar || IgualSinCaso(k, f);
        if (saltar) continue;
        if (IgualSinCaso(k, "DRIVER") && !v.empty() && v.front() != '{')
            r += "DRIVER={" + v + "};";
        else
            Agrega(r, k, v);
    }
    return r;
}

}  // namespace

// ---- CadenaConexion ----

CadenaConexion::CadenaConexion(std::string_view t) {
    const size_t n = t.size();
    size_t i = 0;
    while (i < n) {
        size_t ini = i;
        while (i < n && t[i] != '=' && t[i] != ';') ++i;
        std::string clave(SinBlancos(t.substr(ini, i - ini)));
        if (i >= n || t[i] == ';') {  // a piece without "=" says nothing
            ++i;
            continue;
        }
        ++i;
        while (i < n && (t[i] == ' ' || t[i] == '\t')) ++i;
        std::string valor;
        char apertura = i < n ? t[i] : '\0';
        if (apertura == '{' || apertura == '"' || apertura == '\'') {
            // Enclosed value: may hold ";"; the closing mark is written twice to stand for itself.
            const char cierre = apertura == '{' ? '}' : apertura;
            ++i;
            while (i < n) {
                if (t[i] == cierre) {
                    if (i + 1 < n && t[i + 1] == cierre) {
                        valor += cierre;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                valor += t[i++];
            }
            while (i < n && t[i] != ';') ++i;
        } else {
            size_t v0 = i;
            while (i < n && t[i] != ';') ++i;
            valor = std::string(SinBlancos(t.substr(v0, i - v0)));
        }
        if (i < n) ++i;
        if (!clave.empty()) pares_.emplace_back(std::move(clave), std::move(valor));
    }
}

std::string CadenaConexion::Valor(std::initializer_list<std::string_view> claves) const {
    for (auto clave : claves)
        for (const auto& [k, v] : pares_)
            if (IgualSinCaso(k, clave)) return Trim(v);
    return {};
}

bool CadenaConexion::Tiene(std::string_view clave) const {
    for (const auto& [k, v] : pares_)
        if (IgualSinCaso(k, clave)) return true;
    return false;
}

// ---- ResuelveCadena ----

Destino ResuelveCadena(std::string_view cadena) {
    CadenaConexion c(cadena);
    Destino d;
    const std::string proveedor = c.Valor({"Provider"});
    const bool odbcDirecto = c.Tiene("DRIVER") || c.Tiene("DSN");

    if (odbcDirecto && (proveedor.empty() || EmpiezaSinCaso(proveedor, "MSDASQL"))) {
        d.tipo = Destino::Tipo::Odbc;
        d.odbc = proveedor.empty() ? std::string(cadena) : SinClaves(c, {"Provider"});
        // Only a guess until the driver says what it reached; an unknown one is refused then.
        d.plataforma = DecidePlataforma("", cadena).value_or(Plataforma::SqlServer);
        return d;
    }
    if (EmpiezaSinCaso(proveedor, "SQLOLEDB") || EmpiezaSinCaso(proveedor, "SQLNCLI") ||
        EmpiezaSinCaso(proveedor, "MSOLEDBSQL")) {
        d.tipo = Destino::Tipo::Odbc;
        d.odbc = CadenaSqlServer(c);
        d.plataforma = Plataforma::SqlServer;
        return d;
    }
    if (EmpiezaSinCaso(proveedor, "OraOLEDB") || EmpiezaSinCaso(proveedor, "MSDAORA")) {
        d.tipo = Destino::Tipo::Odbc;
        d.odbc = CadenaOracle(c);
        d.plataforma = Plataforma::Oracle;
        return d;
    }
    if (EmpiezaSinCaso(proveedor, "Microsoft.Jet.OLEDB") ||
        EmpiezaSinCaso(proveedor, "Microsoft.ACE.OLEDB") || IgualSinCaso(proveedor, "SQLite")) {
        d.tipo = Destino::Tipo::SQLite;
        d.plataforma = Plataforma::SQLite;
        d.sqliteArchivo = c.Valor({"Data Source", "DBQ", "Database"});
        if (d.sqliteArchivo.empty())
            FallaCadena(
                "La cadena de conexión no indica el archivo de base de datos (Data Source).");
        return d;
    }
    FallaCadena("Proveedor no reconocido: " +
                (proveedor.empty() ? std::string("(ninguno)") : proveedor));
}

// ---- DecidePlataforma ----

std::optional<Plataforma> DecidePlataforma(std::string_view dbms, std::string_view cadena) {
    // Names as products and drivers give them: "Microsoft SQL Server" (FreeTDS and Microsoft's
    // drivers alike), "Oracle", "SQLite"/"SQLite3", "PostgreSQL"/"PostgreSQL Unicode"/"psqlodbc".
    const auto porNombre = [](std::string_view n) -> std::optional<Plataforma> {
        if (ContieneSinCaso(n, "Oracle")) return Plataforma::Oracle;
        if (ContieneSinCaso(n, "SQLite")) return Plataforma::SQLite;
        if (ContieneSinCaso(n, "PostgreSQL") || ContieneSinCaso(n, "psqlodbc"))
            return Plataforma::PostgreSQL;
        if (ContieneSinCaso(n, "SQL Server") || ContieneSinCaso(n, "FreeTDS") ||
            ContieneSinCaso(n, "SQLNCLI") || ContieneSinCaso(n, "MSOLEDBSQL"))
            return Plataforma::SqlServer;
        return std::nullopt;
    };
    if (!Trim(dbms).empty()) return porNombre(dbms);
    const CadenaConexion c(cadena);
    const std::string proveedor = c.Valor({"Provider"});
    if (EmpiezaSinCaso(proveedor, "SQLOLEDB") || EmpiezaSinCaso(proveedor, "SQLNCLI") ||
        EmpiezaSinCaso(proveedor, "MSOLEDBSQL"))
        return Plataforma::SqlServer;
    if (EmpiezaSinCaso(proveedor, "OraOLEDB") || EmpiezaSinCaso(proveedor, "MSDAORA"))
        return Plataforma::Oracle;
    if (EmpiezaSinCaso(proveedor, "Microsoft.Jet") || EmpiezaSinCaso(proveedor, "Microsoft.ACE") ||
        IgualSinCaso(proveedor, "SQLite"))
        return Plataforma::SQLite;
    const std::string driver = c.Valor({"DRIVER"});
    if (!driver.empty()) return porNombre(driver);
    return std::nullopt;
}

void RechazaPlataforma(std::string_view dbms, std::string_view cadena) {
    std::string producto = Trim(dbms);
    if (producto.empty()) producto = CadenaConexion(cadena).Valor({"DRIVER", "DSN", "Provider"});
    const std::string descripcion =
        "La conexión lleva a una base de datos con la que el programa no trabaja (" +
        (producto.empty() ? std::string("desconocida") : producto) +
        "). Use SQL Server, Oracle, PostgreSQL o un archivo SQLite.";
    ErrorProveedor r{err::kFalloGenerico, descripcion, "HYC00", 0, kOrigenConexion};
    throw ErrorBD(err::kFalloGenerico, descripcion, {std::move(r)}, kOrigenConexion);
}

// ---- Conexion ----

Conexion::Conexion() = default;
Conexion::~Conexion() = default;

template <class F>
auto Conexion::Protegido(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const ErrorBD& e) {
        // As in ADO, only what the provider reported replaces the collection; the object's own
        // errors (closed, already open) leave it as it was.
        if (!e.Registros().empty()) errores_ = e.Registros();
        throw;
    }
}

Motor& Conexion::MotorAbierto() {
    if (!motor_)
        throw ErrorBD(err::kConexionInvalida,
                      "La conexión no puede usarse para esta operación. Está cerrada o no es "
                      "válida en este contexto.",
                      {}, kOrigenConexion);
    return *motor_;
}

void Conexion::Open(std::string_view cadena, std::string_view usuario, std::string_view clave) {
    if (motor_)
        throw ErrorBD(err::kConexionAbierta,
                      "La operación no está permitida si el objeto está abierto.", {},
                      kOrigenConexion);
    std::string texto(cadena.empty() ? std::string_view(cadena_) : cadena);
    cadena_ = texto;
    Protegido([&] {
        Destino d = ResuelveCadena(texto);
        std::unique_ptr<Motor> m;
        if (d.tipo == Destino::Tipo::SQLite) {
            m = AbreMotorSqlite(d.sqliteArchivo, tiempoComando_);
        } else {
            std::string odbc = d.odbc;
            if (!usuario.empty() || !clave.empty()) {
                // The arguments win over what the string says.
                CadenaConexion c(odbc);
                odbc = SinClaves(c, {"UID", "PWD", "User Id", "Password"});
                if (!usuario.empty()) Agrega(odbc, "UID", usuario);
                Agrega(odbc, "PWD", clave);
            }
            m = AbreMotorOdbc(odbc, ConnectionTimeout);
        }
        m->TiempoEspera(tiempoComando_);
        if (!Trim(baseDefecto_).empty()) m->BaseDeDatosDefecto(baseDefecto_);
        if (aislamiento_ != 4096) m->NivelAislamiento(aislamiento_);
        // The platform's dialect is settled here, once the backend says what it reached.
        dialecto_ = CreaDialecto(m->plataforma());
        motor_ = std::move(m);
    });
}

void Conexion::Close() {
    if (!motor_)
        throw ErrorBD(err::kConexionCerrada,
                      "La operación no está permitida si el objeto está cerrado.", {},
                      kOrigenConexion);
    motor_.reset();
}

Plataforma Conexion::plataforma() const {
    if (motor_) return motor_->plataforma();
    try {
        return ResuelveCadena(cadena_).plataforma;
    } catch (const ErrorBD&) {
        return Plataforma::SqlServer;
    }
}

const Dialecto& Conexion::dialecto() const {
    const Plataforma p = plataforma();
    if (!dialecto_ || dialecto_->plataforma() != p) dialecto_ = CreaDialecto(p);
    return *dialecto_;
}

std::string Conexion::NombreDbms() const { return motor_ ? motor_->NombreDbms() : std::string(); }

void Conexion::SetCommandTimeout(int segundos) {
    if (segundos < 0)
        throw ErrorBD(3001,
                      "Los argumentos son incorrectos, están fuera del intervalo aceptable o "
                      "están en conflicto.",
                      {}, kOrigenConexion);
    tiempoComando_ = segundos;
    if (motor_) motor_->TiempoEspera(segundos);
}

void Conexion::SetDefaultDatabase(std::string_view nombre) {
    // On a closed connection the name waits for the next Open.
    if (motor_) Protegido([&] { motor_->BaseDeDatosDefecto(nombre); });
    baseDefecto_ = std::string(nombre);
}

void Conexion::SetIsolationLevel(long nivel) {
    aislamiento_ = nivel;
    if (motor_) Protegido([&] { motor_->NivelAislamiento(nivel); });
}

long Conexion::Execute(std::string_view sql) {
    Motor& m = MotorAbierto();
    return Protegido([&] { return m.Ejecutar(sql); });
}

std::unique_ptr<Cursor> Conexion::Consultar(std::string_view sql) {
    Motor& m = MotorAbierto();
    return Protegido([&] { return m.Consultar(sql); });
}

void Conexion::BeginTrans() {
    Motor& m = MotorAbierto();
    Protegido([&] { m.IniciarTransaccion(); });
}

void Conexion::CommitTrans() {
    Motor& m = MotorAbierto();
    Protegido([&] { m.ConfirmarTransaccion(); });
}

void Conexion::RollbackTrans() {
    Motor& m = MotorAbierto();
    Protegido([&] { m.DeshacerTransaccion(); });
}

std::unique_ptr<Cursor> Conexion::OpenSchema(int esquema, std::string_view catalogo,
                                             std::string_view esquemaBd, std::string_view tabla) {
    Motor& m = MotorAbierto();
    if (esquema == adSchemaTables) return Protegido([&] { return m.EsquemaTablas(); });
    if (esquema == adSchemaColumns)
        return Protegido([&] { return m.EsquemaColumnas(catalogo, esquemaBd, tabla); });
    throw ErrorBD(3251, "La operación solicitada no es compatible con el proveedor.", {},
                  kOrigenConexion);
}

}  // namespace tamaris
