#include "bench/bench_bank.h"

#include <QImage>
#include <QPainter>

#include <sqlite3.h>

#include <cstdlib>
#include <stdexcept>

#include "store/database.h"
#include "store/picture.h"
#include "store/schema.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"

namespace bench {

namespace {

std::string quoted(const std::string& path)
{
    std::string out = "'";
    for (char c : path)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

}  // namespace

int openFourCursors(const std::string& folder)
{
    store::Database database;
    database.open(store::bankFileIn(folder));
    return database.tblIntrebari.RecordCount();
}

std::unique_ptr<ShippedBank> shippedBank(int times)
{
    const char* shipped = std::getenv("VELMARIS_BENCH_BANK");
    if (!shipped || !*shipped)
        return nullptr;
    auto bank = std::make_unique<ShippedBank>();
    {
        fixture::FileConnection db(bank->folder.databasePath());
        db.exec(std::string(store::schemaSql()));
        db.exec("ATTACH " + quoted(shipped) + " AS shipped");
        store::SqliteTransaction transaction;
        if (!transaction.begin(db.get()))
            throw std::runtime_error(sqlite3_errmsg(db.get()));
        for (int k = 0; k < times; ++k)
            db.exec(
                "INSERT INTO Intrebari(Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb) "
                "SELECT Nr_Intreb + " +
                std::to_string(274 * k) +
                ", Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb FROM shipped.Intrebari ORDER BY rowid");
        if (!transaction.commit())
            throw std::runtime_error(sqlite3_errmsg(db.get()));
    }
    fixture::FileConnection twin(bank->noPictures.databasePath());
    twin.exec("ATTACH " + quoted(bank->folder.databasePath()) + " AS bank");
    for (const char* table : {"Intrebari", "ManInt", "Rezultate", "Studenti"}) {
        std::string columns;
        store::Statement info(twin.get(), std::string("PRAGMA bank.table_info(") + table + ")");
        while (info.step() == store::Statement::Step::Row)
            if (info.text(1) != "Poza")
                columns += (columns.empty() ? "\"" : ", \"") + info.text(1) + "\"";
        twin.exec(std::string("CREATE TABLE ") + table + " AS SELECT " + columns + " FROM bank." + table +
                  " ORDER BY rowid");
    }
    return bank;
}

const std::string& questionPicture()
{
    static const std::string bytes = [] {
        QImage image(160, 200, QImage::Format_ARGB32);
        image.fill(QColor(0x0B, 0x16, 0x33));
        QPainter painter(&image);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPoint(80, 100), 3, 3);
        painter.end();
        return store::encodeBmp(image).toStdString();
    }();
    return bytes;
}

std::unique_ptr<fixture::Folder> makeBank()
{
    auto folder = std::make_unique<fixture::Folder>();
    auto questions = fixture::sampleQuestions(274);
    for (auto& q : questions) {
        q.text += " — o întrebare de lungime obișnuită despre luminile și semnalele unei nave în marș";
        if (q.number % 7 < 2 || q.number % 29 == 3)
            q.picture = questionPicture();
    }
    folder->writeDatabase(questions);
    return folder;
}

}  // namespace bench
