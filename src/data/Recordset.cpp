#include "data/Recordset.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "components/Texto.h"
#include "data/dialectos/Dialecto.h"

namespace tamaris {

namespace {

constexpr const char* kOrigen = "ADODB.Recordset";

[[noreturn]] void Falla(long numero, const char* descripcion) {
    throw ErrorBD(numero, descripcion, {}, kOrigen);
}

[[noreturn]] void FallaCerrado() {
    Falla(err::kConexionCerrada, "La operación no está permitida si el objeto está cerrado.");
}

[[noreturn]] void FallaSinRegistro() {
    Falla(3021,
          "BOF o EOF es True, o el actual registro se eliminó. La operación solicitada requiere "
          "un registro actual.");
}

[[noreturn]] void FallaNoCompatible() {
    Falla(3251, "La operación solicitada no es compatible con el proveedor.");
}

[[noreturn]] void FallaElemento() {
    Falla(3265,
          "No se encontró el elemento en la colección que corresponde con el nombre o el ordinal "
          "solicitado.");
}

// A row fetch that fails is a provider error like any other: the connection lists it.
void Registra(Conexion* cn, const ErrorBD& e) {
    if (cn && !e.Registros().empty()) cn->Errors() = e.Registros();
}

const std::vector<Columna>& SinColumnas() {
    static const std::vector<Columna> vacio;
    return vacio;
}

bool CaracterDeNombre(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '@' || c == '#' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

std::string Identificador(std::string_view nombre, const Dialecto& d) {
    bool simple = !nombre.empty() && !(nombre[0] >= '0' && nombre[0] <= '9');
    for (char c : nombre) simple = simple && CaracterDeNombre(c);
    if (simple) return std::string(nombre);
    const char abre = d.AbreNombre();
    const char cierra = d.CierraNombre();
    std::string r(1, abre);
    for (char c : nombre) {
        r += c;
        if (c == cierra) r += cierra;
    }
    return r + cierra;
}

// The table an insert goes to: the first name after FROM, without brackets and without the
// "dbo." owner. Empty when the query reads from no plain table.
std::string TablaDeConsulta(std::string_view sql, const Dialecto& d) {
    const size_t n = sql.size();
    size_t i = 0;
    size_t desde = std::string_view::npos;
    while (i < n) {
        char c = sql[i];
        if (c == '\'') {  // literal text says nothing about tables
            for (++i; i < n && sql[i] != '\''; ++i) {
            }
            ++i;
            continue;
        }
        if (CaracterDeNombre(c)) {
            size_t ini = i;
            while (i < n && CaracterDeNombre(sql[i])) ++i;
            if (IgualSinCaso(sql.substr(ini, i - ini), "FROM")) {
                desde = i;
                break;
            }
            continue;
        }
        ++i;
    }
    if (desde == std::string_view::npos) return {};
    i = desde;
    std::vector<std::string> partes;
    for (;;) {
        while (i < n && (sql[i] == ' ' || sql[i] == '\t' || sql[i] == '\r' || sql[i] == '\n')) ++i;
        if (i >= n) break;
        std::string parte;
        if (sql[i] == '[' || sql[i] == '"') {
            const char cierre = sql[i] == '[' ? ']' : '"';
            for (++i; i < n && sql[i] != cierre; ++i) parte += sql[i];
            ++i;
        } else {
            while (i < n && CaracterDeNombre(sql[i])) parte += sql[i++];
        }
        if (parte.empty()) break;
        partes.push_back(std::move(parte));
        if (i < n && sql[i] == '.') {
            ++i;
            continue;
        }
        break;
    }
    if (partes.size() >= 2 && IgualSinCaso(partes[partes.size() - 2], "dbo"))
        partes.erase(partes.end() - 2);
    std::string r;
    for (const auto& parte : partes) {
        if (!r.empty()) r += '.';
        r += Identificador(parte, d);
    }
    return r;
}

std::string Literal(const Variant& v, const Dialecto& d) {
    switch (v.tipo()) {
        case Variant::Tipo::Vacio:
        case Variant::Tipo::Nulo:
            return "NULL";
        case Variant::Tipo::Booleano:
            return v.Booleano() ? "1" : "0";
        case Variant::Tipo::Entero:
            return std::to_string(v.Entero());
        case Variant::Tipo::Doble: {
            double d = v.Doble();
            if (!std::isfinite(d)) return "NULL";
            char buf[40];
            auto [fin, ec] = std::to_chars(buf, buf + sizeof buf, d);
            return ec == std::errc() ? std::string(buf, fin) : "NULL";
        }
        case Variant::Tipo::Texto: {
            std::string r(d.InicioTexto());
            for (char c : v.TextoCrudo()) {
                r += c;
                if (c == '\'') r += '\'';
            }
            return r + "'";
        }
        case Variant::Tipo::Fecha:
            return d.LiteralFechaHora(v.FechaCruda());
    }
    return "NULL";
}

}  // namespace

// ---- Field ----

const std::string& Field::Name() const {
    if (i_ < 0 || i_ >= rs_->FieldCount()) FallaElemento();
    return rs_->columnas()[static_cast<size_t>(i_)].nombre;
}

int Field::Type() const {
    if (i_ < 0 || i_ >= rs_->FieldCount()) FallaElemento();
    return rs_->columnas()[static_cast<size_t>(i_)].tipoAdo;
}

long Field::DefinedSize() const {
    if (i_ < 0 || i_ >= rs_->FieldCount()) FallaElemento();
    return rs_->columnas()[static_cast<size_t>(i_)].tamano;
}

const Variant& Field::Value() const {
    if (!rs_->cursor_) FallaCerrado();
    if (i_ < 0 || i_ >= rs_->FieldCount()) FallaElemento();
    if (rs_->editando_) return rs_->nueva_[static_cast<size_t>(i_)];
    if (rs_->eof_) FallaSinRegistro();
    return rs_->fila_[static_cast<size_t>(i_)];
}

void Field::SetValue(Variant v) {
    if (!rs_->cursor_) FallaCerrado();
    if (i_ < 0 || i_ >= rs_->FieldCount()) FallaElemento();
    if (!rs_->editando_)
        Falla(err::kEdicionEnCurso, "La operación no está permitida en este contexto.");
    rs_->nueva_[static_cast<size_t>(i_)] = std::move(v);
}

// ---- Recordset ----

Recordset::~Recordset() = default;

const std::vector<Columna>& Recordset::columnas() const {
    return cursor_ ? cursor_->Columnas() : SinColumnas();
}

void Recordset::Open(std::string_view sql, Conexion& cn, int cursorType, int lockType, int) {
    if (cursor_)
        Falla(err::kConexionAbierta, "La operación no está permitida si el objeto está abierto.");
    CursorType = cursorType;
    LockType = lockType;
    OpenCursor(cn.Consultar(sql), &cn);
    if (cursor_ && lockType != adLockReadOnly) tabla_ = TablaDeConsulta(sql, cn.dialecto());
}

void Recordset::OpenCursor(std::unique_ptr<Cursor> cursor, Conexion* cn) {
    if (cursor_)
        Falla(err::kConexionAbierta, "La operación no está permitida si el objeto está abierto.");
    cn_ = cn;
    tabla_.clear();
    nueva_.clear();
    editando_ = false;
    bof_ = eof_ = true;
    fila_.clear();
    // A statement that returns no row set leaves the recordset closed, as in ADO.
    if (!cursor || cursor->Columnas().empty()) return;
    bool hay;
    try {
        hay = cursor->Siguiente(fila_);
    } catch (const ErrorBD& e) {
        Registra(cn, e);
        throw;
    }
    cursor_ = std::move(cursor);
    fila_.resize(cursor_->Columnas().size());
    bof_ = eof_ = !hay;
}

void Recordset::Close() {
    if (!cursor_) FallaCerrado();
    if (editando_) Falla(err::kEdicionEnCurso, "La operación no está permitida en este contexto.");
    cursor_.reset();
    cn_ = nullptr;
    tabla_.clear();
    fila_.clear();
    nueva_.clear();
    bof_ = eof_ = true;
}

void Recordset::MoveNext() {
    if (!cursor_) FallaCerrado();
    if (editando_) Update();  // moving away from a new row stores it, as ADO does
    if (eof_) FallaSinRegistro();
    bool hay;
    try {
        hay = cursor_->Siguiente(fila_);
    } catch (const ErrorBD& e) {
        Registra(cn_, e);
        throw;
    }
    if (!hay) {
        eof_ = true;
        for (auto& v : fila_) v = Variant();
    }
}

int Recordset::IndiceCampo(std::string_view nombre) const {
    const auto& cols = columnas();
    for (size_t i = 0; i < cols.size(); ++i)
        if (IgualSinCaso(cols[i].nombre, nombre)) return static_cast<int>(i);
    return -1;
}

Field Recordset::Fields(std::string_view nombre) {
    int i = IndiceCampo(nombre);
    if (i < 0) FallaElemento();
    return Field(this, i);
}

Field Recordset::Fields(int indice) {
    if (indice < 0 || indice >= FieldCount()) FallaElemento();
    return Field(this, indice);
}

void Recordset::AddNew() {
    if (!cursor_) FallaCerrado();
    if (LockType == adLockReadOnly || tabla_.empty() || !cn_) FallaNoCompatible();
    if (editando_) Update();
    nueva_.assign(columnas().size(), Variant());
    editando_ = true;
}

void Recordset::Update() {
    if (!cursor_) FallaCerrado();
    if (!editando_) return;
    const Dialecto& dialecto = cn_->dialecto();
    const auto& cols = columnas();
    std::string nombres, valores;
    for (size_t i = 0; i < cols.size() && i < nueva_.size(); ++i) {
        // Fields never given a value are left to the table's defaults.
        if (nueva_[i].EsVacio()) continue;
        if (!nombres.empty()) {
            nombres += ", ";
            valores += ", ";
        }
        nombres += Identificador(cols[i].nombre, dialecto);
        valores += Literal(nueva_[i], dialecto);
    }
    std::string sql =
        "INSERT INTO " + tabla_ +
        (nombres.empty() ? " DEFAULT VALUES" : " (" + nombres + ") VALUES (" + valores + ")");
    // On failure the row stays pending: the caller may correct it or cancel it.
    cn_->Execute(sql);
    editando_ = false;
    nueva_.clear();
}

void Recordset::CancelUpdate() {
    if (!cursor_) FallaCerrado();
    editando_ = false;
    nueva_.clear();
}

}  // namespace tamaris
