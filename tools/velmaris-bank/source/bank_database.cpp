#include "velmaris-bank/source/bank_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "store/schema.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"
#include "velmaris-bank/bank/bank_error.h"

namespace bank {
namespace {

const QStringList kColumns = {"Nr_Intreb", "Intrebare", "Sol1", "Sol2", "Sol3", "Poza", "R1", "R2", "R3", "Rb"};

class Database {
public:
    Database(const QString& path, int flags) : path_(path), db_(QFile::encodeName(path).toStdString(), flags)
    {
        if (!db_.ok())
            fail("cannot open");
    }

    void exec(const std::string& sql)
    {
        if (!store::execute(db_.get(), sql))
            fail("cannot write");
    }

    // The writes between begin() and commit() are stored at once, or, when the guard goes first, not at all.
    void begin(store::SqliteTransaction& transaction)
    {
        if (!transaction.begin(db_.get()))
            fail("cannot write");
    }
    void commit(store::SqliteTransaction& transaction)
    {
        if (!transaction.commit())
            fail("cannot write");
    }

    // A statement that has been prepared; a failure to prepare is reported at once.
    store::Statement prepare(const char* sql)
    {
        store::Statement statement(db_.get(), sql);
        if (!statement.ok())
            fail("cannot read");
        return statement;
    }

    bool step(store::Statement& statement, const char* what)
    {
        const store::Statement::Step result = statement.step();
        if (result == store::Statement::Step::Failed)
            fail(what);
        return result == store::Statement::Step::Row;
    }

    [[noreturn]] void fail(const char* what) const
    {
        sqlite3* db = db_.get();
        const int code = db ? sqlite3_errcode(db) : SQLITE_CANTOPEN;
        if (code == SQLITE_NOTADB)
            throw BankError(QString("%1 is not a SQLite database").arg(path_));
        const QString detail = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString("out of memory");
        throw BankError(QString("%1 %2: %3").arg(what, path_, detail));
    }

private:
    QString path_;
    store::SqliteHandle db_;
};

void bindText(store::Statement& statement, int slot, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    statement.bindText(slot, std::string_view(utf8.constData(), utf8.size()));
}

QString text(const store::Statement& row, int column)
{
    return QString::fromStdString(row.text(column));
}

void readNumber(const store::Statement& row, Question& q)
{
    q.numberText = text(row, 0);
    if (row.type(0) == SQLITE_INTEGER) {
        q.number = row.integer(0);
        return;
    }
    bool ok = false;
    q.number = q.numberText.trimmed().toLongLong(&ok);
    q.numberValid = ok;
}

}  // namespace

void writeDatabase(const QString& path, const QList<Question>& questions, int version)
{
    Database db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    db.exec(std::string(store::schemaSql()));
    db.exec("PRAGMA user_version = " + std::to_string(version));
    store::SqliteTransaction transaction;
    db.begin(transaction);
    store::Statement insert = db.prepare(
        "INSERT INTO Intrebari(Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb) "
        "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const Question& q : questions) {
        insert.bindInteger(1, q.number);
        bindText(insert, 2, q.text);
        bindText(insert, 3, q.sol1);
        bindText(insert, 4, q.sol2);
        bindText(insert, 5, q.sol3);
        // No picture is stored as no value, as the program writes an emptied picture.
        if (q.picture.isEmpty())
            insert.bindNull(6);
        else
            insert.bindBlob(6, std::string_view(q.picture.constData(), q.picture.size()));
        bindText(insert, 7, q.r1);
        bindText(insert, 8, q.r2);
        bindText(insert, 9, q.r3);
        bindText(insert, 10, q.rb);
        db.step(insert, "cannot write");
        insert.reset();
    }
    db.commit(transaction);
}

void replaceDatabase(const QString& path, const QList<Question>& questions, bool force, int version)
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
        writeDatabase(temporary, questions, version);
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
        store::Statement tables = db.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Intrebari'");
        hasTable = db.step(tables, "cannot read");
    }
    if (!hasTable)
        throw BankError(QString("%1 has no table Intrebari: it is not a Velmaris question database").arg(path));

    QSet<QString> present;
    {
        store::Statement columns = db.prepare("PRAGMA table_info(Intrebari)");
        while (db.step(columns, "cannot read"))
            present.insert(text(columns, 1));
    }
    QStringList missing;
    for (const QString& c : kColumns)
        if (!present.contains(c))
            missing.append(c);
    if (!missing.isEmpty())
        throw BankError(QString("table Intrebari of %1 lacks the column%2 %3")
                            .arg(path, missing.size() > 1 ? "s" : "", missing.join(", ")));

    QList<Question> questions;
    store::Statement rows = db.prepare(
        "SELECT Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb FROM Intrebari "
        "ORDER BY Nr_Intreb, rowid");
    while (db.step(rows, "cannot read")) {
        Question q;
        readNumber(rows, q);
        q.text = text(rows, 1);
        q.sol1 = text(rows, 2);
        q.sol2 = text(rows, 3);
        q.sol3 = text(rows, 4);
        q.picture = QByteArray::fromStdString(rows.text(5));
        q.r1 = text(rows, 6);
        q.r2 = text(rows, 7);
        q.r3 = text(rows, 8);
        q.rb = text(rows, 9);
        questions.append(q);
    }
    return questions;
}

}  // namespace bank
