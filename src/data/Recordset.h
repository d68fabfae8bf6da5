#pragma once
// A caller-owned row set over a query, shaped like the ADO recordset: cursor and lock types,
// BOF/EOF, MoveNext, fields by name or position with a variant value, AddNew/Update.
// Rows stream from the backend; nothing holds the whole result.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/Conexion.h"

namespace tamaris {

constexpr int adOpenForwardOnly = 0;
constexpr int adOpenKeyset = 1;
constexpr int adOpenDynamic = 2;
constexpr int adLockReadOnly = 1;
constexpr int adLockOptimistic = 3;
constexpr int adEditNone = 0;
constexpr int adEditAdd = 2;

class Recordset;

class Field {
  public:
    const std::string& Name() const;
    int Type() const;
    long DefinedSize() const;
    const Variant& Value() const;
    // Sets the value of the row being added (AddNew); throws ErrorBD 3219 otherwise.
    void SetValue(Variant v);

  private:
    friend class Recordset;
    Field(Recordset* rs, int i) : rs_(rs), i_(i) {}
    Recordset* rs_;
    int i_;
};

class Recordset {
  public:
    Recordset() = default;
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    int CursorType = adOpenForwardOnly;
    int LockType = adLockReadOnly;

    // Opens on `sql` over `cn`. Throws ErrorBD 3705 when already open; provider failures as
    // the connection reports them.
    void Open(std::string_view sql, Conexion& cn, int cursorType, int lockType, int options = -1);
    // Opens over a cursor already obtained (schemas).
    void OpenCursor(std::unique_ptr<Cursor> cursor, Conexion* cn = nullptr);
    void Close();  // throws ErrorBD 3704 when closed
    int State() const { return cursor_ ? adStateOpen : adStateClosed; }

    bool BOF() const { return bof_; }
    bool Eof() const { return eof_; }
    void MoveNext();  // throws ErrorBD 3021 at EOF

    int FieldCount() const { return static_cast<int>(columnas().size()); }
    // Field by name (case-insensitive); throws ErrorBD 3265 when there is none.
    Field Fields(std::string_view nombre);
    Field Fields(int indice);
    int IndiceCampo(std::string_view nombre) const;  // -1 when absent
    // Value of column `indice` of the current row (fast path; no checks beyond the index).
    const Variant& Valor(int indice) const { return fila_[static_cast<size_t>(indice)]; }
    // The exact decimal text of a NUMERIC/DECIMAL column of the current row, when the driver
    // gave one (empty otherwise).
    std::string_view TextoDecimal(int indice) const {
        return cursor_ ? cursor_->TextoDecimal(static_cast<size_t>(indice)) : std::string_view();
    }

    // Row inserts on updatable recordsets (lock type other than read-only): AddNew starts a
    // new row, field values are set, Update inserts it into the table of the query (the first
    // name after FROM). Fields left unset take the table's defaults. A failed Update keeps the
    // row pending; Close with a row pending throws 3219 (CancelUpdate first); AddNew or
    // MoveNext with a row pending stores it first. A statement that returns no row set leaves
    // the recordset closed.
    void AddNew();
    void Update();
    void CancelUpdate();
    int EditMode() const { return editando_ ? adEditAdd : adEditNone; }

  private:
    friend class Field;
    const std::vector<Columna>& columnas() const;

    std::unique_ptr<Cursor> cursor_;
    Conexion* cn_ = nullptr;
    std::string tabla_;  // table an Update inserts into
    std::vector<Variant> fila_;
    std::vector<Variant> nueva_;
    bool bof_ = true, eof_ = true, editando_ = false;
};

// Closes a recordset however the scope that uses it ends; a failing close is ignored.
class CierraAlSalir {
  public:
    explicit CierraAlSalir(Recordset& rs) : rs_(rs) {}
    ~CierraAlSalir() {
        try {
            if (rs_.State() != adStateClosed) rs_.Close();
        } catch (const std::exception&) {
        }
    }
    CierraAlSalir(const CierraAlSalir&) = delete;
    CierraAlSalir& operator=(const CierraAlSalir&) = delete;

  private:
    Recordset& rs_;
};

}  // namespace tamaris
