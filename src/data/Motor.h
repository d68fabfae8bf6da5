#pragma once
// What a database backend offers the connection object: statements, streamed row sets,
// transactions and the catalogue. Backends report failures by throwing ErrorBD with every
// diagnostic record the driver gave.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "components/Error.h"
#include "components/Variant.h"

namespace tamaris {

enum class Plataforma { SqlServer, Oracle, SQLite, PostgreSQL };

// One diagnostic record of the provider.
struct ErrorProveedor {
    long Number = 0;
    std::string Description;
    std::string SQLState;
    long NativeError = 0;
    std::string Source;
};

class ErrorBD : public ErrorTamaris {
  public:
    ErrorBD(long numero, const std::string& descripcion, std::vector<ErrorProveedor> registros = {},
            std::string origen = "Proveedor de datos")
        : ErrorTamaris(numero, descripcion, std::move(origen)), registros_(std::move(registros)) {}
    const std::vector<ErrorProveedor>& Registros() const { return registros_; }

  private:
    std::vector<ErrorProveedor> registros_;
};

// Column of a row set.
struct Columna {
    std::string nombre;
    int tipoAdo = 200;  // ADO type code (adVarChar by default)
    long tamano = 0;    // defined size, 0 when unknown
};

// Columns of the catalogue row sets, as the ADO schemas name them.
inline const std::vector<Columna>& ColumnasEsquemaTablas() {
    static const std::vector<Columna> c = {{"TABLE_CATALOG", 202, 0},
                                           {"TABLE_SCHEMA", 202, 0},
                                           {"TABLE_NAME", 202, 0},
                                           {"TABLE_TYPE", 202, 0}};
    return c;
}
inline const std::vector<Columna>& ColumnasEsquemaColumnas() {
    static const std::vector<Columna> c = {{"TABLE_CATALOG", 202, 0},  {"TABLE_SCHEMA", 202, 0},
                                           {"TABLE_NAME", 202, 0},     {"COLUMN_NAME", 202, 0},
                                           {"ORDINAL_POSITION", 3, 4}, {"DATA_TYPE", 2, 2},
                                           {"IS_NULLABLE", 11, 2}};
    return c;
}

// A forward-only row stream. Siguiente() fills `fila` (one Variant per column, reused across
// rows) and returns false past the last row.
class Cursor {
  public:
    virtual ~Cursor() = default;
    virtual const std::vector<Columna>& Columnas() const = 0;
    virtual bool Siguiente(std::vector<Variant>& fila) = 0;
    // The exact decimal text of column `i` of the current row when the driver gave it as a
    // decimal (a NUMERIC or DECIMAL column read as a double); empty otherwise. Amounts are read
    // from it so that no digit is lost to binary floating point.
    virtual std::string_view TextoDecimal(std::size_t /*i*/) const { return {}; }
};

// A row set already in memory: catalogue answers, which are small.
class CursorEnMemoria final : public Cursor {
  public:
    CursorEnMemoria(std::vector<Columna> columnas, std::vector<std::vector<Variant>> filas)
        : columnas_(std::move(columnas)), filas_(std::move(filas)) {}
    const std::vector<Columna>& Columnas() const override { return columnas_; }
    bool Siguiente(std::vector<Variant>& fila) override {
        if (pos_ >= filas_.size()) return false;
        fila = std::move(filas_[pos_++]);
        return true;
    }

  private:
    std::vector<Columna> columnas_;
    std::vector<std::vector<Variant>> filas_;
    size_t pos_ = 0;
};

class Motor {
  public:
    virtual ~Motor() = default;
    virtual Plataforma plataforma() const = 0;
    // Product name the server or driver reports ("SQLite", "Microsoft SQL Server", "Oracle",
    // "PostgreSQL").
    virtual std::string NombreDbms() const = 0;

    // Runs a query (or any statement returning rows); the cursor streams them.
    virtual std::unique_ptr<Cursor> Consultar(std::string_view sql) = 0;
    // Runs a statement; returns the affected-row count (-1 when the driver does not tell).
    virtual long Ejecutar(std::string_view sql) = 0;

    virtual void IniciarTransaccion() = 0;
    virtual void ConfirmarTransaccion() = 0;
    virtual void DeshacerTransaccion() = 0;

    // Command time-out in seconds (0 = none), applied to every later statement.
    virtual void TiempoEspera(int segundos) = 0;
    virtual void BaseDeDatosDefecto(std::string_view nombre) = 0;
    virtual void NivelAislamiento(long /*nivelAdo*/) {}

    // Catalogue: row sets shaped like the ADO schemas. Tables: TABLE_CATALOG, TABLE_SCHEMA,
    // TABLE_NAME, TABLE_TYPE. Columns: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME,
    // ORDINAL_POSITION, DATA_TYPE (ADO code), IS_NULLABLE. Empty restriction = any.
    virtual std::unique_ptr<Cursor> EsquemaTablas() = 0;
    virtual std::unique_ptr<Cursor> EsquemaColumnas(std::string_view catalogo,
                                                    std::string_view esquema,
                                                    std::string_view tabla) = 0;
};

}  // namespace tamaris
