#pragma once
// A small owner of an SQLite connection and its prepared statements. Every value
// a caller passes goes in as a bound parameter; SQL text is only ever our own.
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A failure of the database, with SQLite's own words and what we were doing.
class ESqliteError : public std::runtime_error {
public:
    ESqliteError(const std::string& text, int code) : std::runtime_error(text), code_(code) {}
    int Code() const { return code_; } // SQLite's extended result code
    // The file is not a database, or a damaged one.
    bool IsDamage() const;

private:
    int code_;
};

class TSqlStatement {
public:
    TSqlStatement(sqlite3* db, std::string_view sql);
    ~TSqlStatement();
    TSqlStatement(const TSqlStatement&) = delete;
    TSqlStatement& operator=(const TSqlStatement&) = delete;

    // Parameters are numbered from 1, as in SQLite.
    TSqlStatement& Bind(int index, std::int64_t value);
    TSqlStatement& Bind(int index, double value);
    TSqlStatement& Bind(int index, std::string_view text);
    TSqlStatement& BindBlob(int index, std::span<const std::uint8_t> bytes);
    TSqlStatement& BindNull(int index);

    // True while a row is there; false when done. Throws on failure.
    bool Step();
    // Runs to the end (for statements without rows).
    void Run();
    // Ready for the next binding and run.
    void Reset();

    std::int64_t Int(int column) const;
    double Real(int column) const;
    std::string Text(int column) const;
    std::vector<std::uint8_t> Blob(int column) const;
    std::span<const std::uint8_t> BlobView(int column) const;
    bool IsNull(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class TSqliteDb {
public:
    // Opens (creating when missing) the file; throws ESqliteError.
    explicit TSqliteDb(const std::string& path);
    ~TSqliteDb();
    TSqliteDb(const TSqliteDb&) = delete;
    TSqliteDb& operator=(const TSqliteDb&) = delete;

    void Exec(std::string_view sql);
    std::unique_ptr<TSqlStatement> Prepare(std::string_view sql) const;
    // One integer from a query without parameters (0 when it gives no row).
    std::int64_t QueryInt(std::string_view sql);
    std::int64_t LastInsertId() const;
    int Changes() const;
    sqlite3* Handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// Commits at Commit(); rolls back when it goes out of scope without one.
class TSqlTransaction {
public:
    explicit TSqlTransaction(TSqliteDb& db);
    ~TSqlTransaction();
    TSqlTransaction(const TSqlTransaction&) = delete;
    TSqlTransaction& operator=(const TSqlTransaction&) = delete;
    void Commit();

private:
    TSqliteDb& db_;
    bool open_ = true;
};

// "<what>: <SQLite's message>"
[[noreturn]] void ThrowSqlite(sqlite3* db, const std::string& what);
