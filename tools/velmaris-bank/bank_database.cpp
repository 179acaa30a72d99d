#include "bank_database.h"

#include "bank_error.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace bank {
namespace {

const QStringList kColumns = {"Nr_Intreb", "Intrebare", "Sol1", "Sol2", "Sol3", "Poza", "R1", "R2", "R3", "Rb"};

class Database {
public:
    Database(const QString& path, int flags) : path_(path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr) != SQLITE_OK)
            fail("cannot open");
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return db_; }

    void exec(const std::string& sql)
    {
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail("cannot write");
    }

    [[noreturn]] void fail(const char* what) const
    {
        const int code = db_ ? sqlite3_errcode(db_) : SQLITE_CANTOPEN;
        if (code == SQLITE_NOTADB)
            throw BankError(QString("%1 is not a SQLite database").arg(path_));
        const QString detail = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString("out of memory");
        throw BankError(QString("%1 %2: %3").arg(what, path_, detail));
    }

private:
    QString path_;
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement(Database& db, const char* sql) : db_(db)
    {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK)
            db.fail("cannot read");
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool step(const char* what)
    {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            db_.fail(what);
        return false;
    }
    void reset() { sqlite3_reset(stmt_); }

    void bindText(int i, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(stmt_, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindBlob(int i, const QByteArray& bytes)
    {
        if (bytes.isEmpty())
            sqlite3_bind_null(stmt_, i);
        else
            sqlite3_bind_blob(stmt_, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    void bindInt(int i, qint64 v) { sqlite3_bind_int64(stmt_, i, v); }

    QString text(int i) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt_, i)) : QString();
    }
    QByteArray blob(int i) const
    {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, i));
        return p ? QByteArray(p, sqlite3_column_bytes(stmt_, i)) : QByteArray();
    }
    int type(int i) const { return sqlite3_column_type(stmt_, i); }
    qint64 integer(int i) const { return sqlite3_column_int64(stmt_, i); }

private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

void readNumber(const Statement& row, Question& q)
{
    q.numberText = row.text(0);
    if (row.type(0) == SQLITE_INTEGER) {
        q.number = row.integer(0);
        return;
    }
    bool ok = false;
    q.number = q.numberText.trimmed().toLongLong(&ok);
    q.numberValid = ok;
}

}  // namespace

void writeDatabase(const QString& path, const QList<Question>& questions)
{
    Database db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    db.exec(std::string(store::schemaSql()));
    db.exec("BEGIN");
    Statement insert(db,
                     "INSERT INTO Intrebari(Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb) "
                     "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const Question& q : questions) {
        insert.bindInt(1, q.number);
        insert.bindText(2, q.text);
        insert.bindText(3, q.sol1);
        insert.bindText(4, q.sol2);
        insert.bindText(5, q.sol3);
        insert.bindBlob(6, q.picture);
        insert.bindText(7, q.r1);
        insert.bindText(8, q.r2);
        insert.bindText(9, q.r3);
        insert.bindText(10, q.rb);
        insert.step("cannot write");
        insert.reset();
    }
    db.exec("COMMIT");
}

void replaceDatabase(const QString& path, const QList<Question>& questions, bool force)
{
    const QFileInfo target(path);
    if (target.isDir())
        throw BankError(QString("%1 is a folder").arg(path));
    if (target.exists() && !force)
        throw BankError(QString("%1 already exists; use --force to replace it").arg(path));
    const QDir folder = target.absoluteDir();
    if (!folder.exists())
        throw BankError(QString("the folder %1 does not exist").arg(folder.path()));

    // A new file of our own beside the target, with the permissions any new file gets there.
    const QString temporary =
        folder.filePath(QString(".%1.%2.tmp").arg(target.fileName()).arg(QCoreApplication::applicationPid()));
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw BankError(QString("cannot create %1: %2").arg(temporary, file.errorString()));
    file.close();  // SQLite writes it; an empty file is an empty database
    try {
        writeDatabase(temporary, questions);
        // Replaces an existing file in one step, on Windows too (where std::rename refuses to).
        std::error_code error;
        std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                                std::filesystem::path(path.toStdU16String()), error);
        if (error)
            throw BankError(QString("cannot rename %1 to %2").arg(temporary, path));
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
}

QList<Question> readDatabase(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw BankError(QString("%1: no such file").arg(path));
    Database db(path, SQLITE_OPEN_READONLY);

    bool hasTable = false;
    {
        Statement tables(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Intrebari'");
        hasTable = tables.step("cannot read");
    }
    if (!hasTable)
        throw BankError(QString("%1 has no table Intrebari: it is not a Velmaris question database").arg(path));

    QSet<QString> present;
    {
        Statement columns(db, "PRAGMA table_info(Intrebari)");
        while (columns.step("cannot read"))
            present.insert(columns.text(1));
    }
    QStringList missing;
    for (const QString& c : kColumns)
        if (!present.contains(c))
            missing.append(c);
    if (!missing.isEmpty())
        throw BankError(QString("table Intrebari of %1 lacks the column%2 %3")
                            .arg(path, missing.size() > 1 ? "s" : "", missing.join(", ")));

    QList<Question> questions;
    Statement rows(db,
                   "SELECT Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb FROM Intrebari "
                   "ORDER BY Nr_Intreb, rowid");
    while (rows.step("cannot read")) {
        Question q;
        readNumber(rows, q);
        q.text = rows.text(1);
        q.sol1 = rows.text(2);
        q.sol2 = rows.text(3);
        q.sol3 = rows.text(4);
        q.picture = rows.blob(5);
        q.r1 = rows.text(6);
        q.r2 = rows.text(7);
        q.r3 = rows.text(8);
        q.rb = rows.text(9);
        questions.append(q);
    }
    return questions;
}

}  // namespace bank
