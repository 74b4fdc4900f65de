#include "library/sqlite_db.h"

#include <sqlite3.h>

void ThrowSqlite(sqlite3* db, const std::string& what) {
    throw ESqliteError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"),
                       db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM);
}

bool ESqliteError::IsDamage() const {
    return (code_ & 0xff) == SQLITE_CORRUPT || (code_ & 0xff) == SQLITE_NOTADB;
}

TSqlStatement::TSqlStatement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &stmt_, nullptr) != SQLITE_OK)
        ThrowSqlite(db, "Library database statement");
}

TSqlStatement::~TSqlStatement() {
    sqlite3_finalize(stmt_);
}

TSqlStatement& TSqlStatement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK)
        ThrowSqlite(db_, "Library database");
    return *this;
}

TSqlStatement& TSqlStatement::Bind(int index, double value) {
    if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK)
        ThrowSqlite(db_, "Library database");
    return *this;
}

TSqlStatement& TSqlStatement::Bind(int index, std::string_view text) {
    if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8) != SQLITE_OK)
        ThrowSqlite(db_, "Library database");
    return *this;
}

TSqlStatement& TSqlStatement::BindBlob(int index, std::span<const std::uint8_t> bytes) {
    if (sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        ThrowSqlite(db_, "Library database");
    return *this;
}

TSqlStatement& TSqlStatement::BindNull(int index) {
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK)
        ThrowSqlite(db_, "Library database");
    return *this;
}

bool TSqlStatement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const std::string message = sqlite3_errmsg(db_);
    const int code = sqlite3_extended_errcode(db_);
    sqlite3_reset(stmt_);
    throw ESqliteError("Library database: " + message, code);
}

void TSqlStatement::Run() {
    while (Step()) {
    }
    Reset();
}

void TSqlStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::int64_t TSqlStatement::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}
double TSqlStatement::Real(int column) const {
    return sqlite3_column_double(stmt_, column);
}
bool TSqlStatement::IsNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::string TSqlStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
}

std::span<const std::uint8_t> TSqlStatement::BlobView(int column) const {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
    return {data, data ? static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)) : 0};
}

std::vector<std::uint8_t> TSqlStatement::Blob(int column) const {
    const auto view = BlobView(column);
    return {view.begin(), view.end()};
}

TSqliteDb::TSqliteDb(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        const int code = db_ ? sqlite3_extended_errcode(db_) : SQLITE_NOMEM;
        sqlite3_close(db_);
        db_ = nullptr;
        throw ESqliteError("Cannot open the library database " + path + ": " + message, code);
    }
    sqlite3_extended_result_codes(db_, 1);
    // Another program (hrzctl, a second window) may be writing for a moment.
    sqlite3_busy_timeout(db_, 5000);
}

TSqliteDb::~TSqliteDb() {
    sqlite3_close_v2(db_);
}

void TSqliteDb::Exec(std::string_view sql) {
    const std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        ThrowSqlite(db_, "Library database");
}

std::unique_ptr<TSqlStatement> TSqliteDb::Prepare(std::string_view sql) const {
    return std::make_unique<TSqlStatement>(db_, sql);
}

std::int64_t TSqliteDb::QueryInt(std::string_view sql) {
    TSqlStatement statement(db_, sql);
    return statement.Step() ? statement.Int(0) : 0;
}

std::int64_t TSqliteDb::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}
int TSqliteDb::Changes() const {
    return sqlite3_changes(db_);
}

TSqlTransaction::TSqlTransaction(TSqliteDb& db) : db_(db) {
    db_.Exec("BEGIN IMMEDIATE");
}

TSqlTransaction::~TSqlTransaction() {
    if (open_)
        sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TSqlTransaction::Commit() {
    db_.Exec("COMMIT");
    open_ = false;
}
