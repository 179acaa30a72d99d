#include "startup/single_instance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPushButton>
#include <QSysInfo>
#include <QThread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/app_title.h"
#include "app/kit.h"
#include "store/bank_location.h"
#include "store/error.h"
#include "store/user_text.h"

namespace startup {

namespace {

const QByteArray kComeToFront = "front\n";
const QByteArray kCame = "ok\n";

// The user and the desktop session this program runs in: two programs of one user in two sessions (two
// seats, a remote session) do not see each other's windows.
QString userAndDesktop()
{
#ifdef _WIN32
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    return qEnvironmentVariable("USERDOMAIN") + QLatin1Char('\\') + qEnvironmentVariable("USERNAME") +
           QLatin1Char('\n') + QString::number(session);
#else
    return QString::number(::geteuid()) + QLatin1Char('\n') + qEnvironmentVariable("XDG_SESSION_ID") +
           QLatin1Char('\n') + qEnvironmentVariable("DISPLAY") + QLatin1Char('\n') +
           qEnvironmentVariable("WAYLAND_DISPLAY");
#endif
}

QString holderName(const store::BankHolder& holder)
{
    const QString user = holder.user.empty() ? QStringLiteral("necunoscut") : QString::fromStdString(holder.user);
    const QString host = holder.host.empty() ? QStringLiteral("necunoscut") : QString::fromStdString(holder.host);
    return QStringLiteral("utilizatorul %1, pe calculatorul %2").arg(user, host);
}

// Lets the program that is asked to come forward take the focus from this one, which the user just started.
void allowToComeForward([[maybe_unused]] std::int64_t pid)
{
#ifdef _WIN32
    ::AllowSetForegroundWindow(static_cast<DWORD>(pid));
#endif
}

}  // namespace

SingleInstance::SingleInstance(app::Kit& kit, Ask ask) : kit_(kit), ask_(std::move(ask))
{
    refresh_.setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(store::BankLock::kRefreshEvery));
    connect(&refresh_, &QTimer::timeout, this, [this] { lock_.refresh(); });
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const std::string& bankFile)
{
    const QFileInfo bank(QString::fromStdString(bankFile));
    const QString path = bank.canonicalFilePath().isEmpty() ? bank.absoluteFilePath() : bank.canonicalFilePath();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(
        (path + QLatin1Char('\n') + QSysInfo::machineHostName() + QLatin1Char('\n') + userAndDesktop()).toUtf8());
    return QStringLiteral("velmaris-") + QString::fromLatin1(hash.result().toHex().left(32));
}

QString SingleInstance::inUseText(const std::string& bankFile, const store::BankHolder& holder)
{
    return QStringLiteral(
               "Banca de întrebări %1 este folosită acum de alt program Velmaris: %2.\n\n"
               "Două programe care scriu în aceeași bancă și-ar strica unul altuia testul și corecturile, așa că "
               "acest program o poate deschide numai pentru învățare: paginați întrebările, fără test și fără "
               "corecturi.\n\n"
               "Ca să lucrați cu ea pe deplin, ieșiți acum și porniți din nou Velmaris după ce celălalt program "
               "s-a închis.")
        .arg(QString::fromStdString(store::inQuotes(bankFile)), holderName(holder));
}

QString SingleInstance::heldElsewhereReason(const std::string& bankFile, const store::BankHolder& holder)
{
    return QStringLiteral(
               "banca de întrebări %1 este deschisă numai pentru învățare, pentru că o folosește alt program "
               "Velmaris (%2). Închideți celălalt program și porniți din nou Velmaris ca să lucrați cu ea pe "
               "deplin.")
        .arg(QString::fromStdString(store::inQuotes(bankFile)), holderName(holder));
}

bool SingleInstance::askInUse(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, app::runningTitle(), text, QMessageBox::NoButton);
    box.setObjectName(QStringLiteral("bancaFolosita"));
    QPushButton* learning = box.addButton(QStringLiteral("Deschide numai pentru învățare"), QMessageBox::AcceptRole);
    QPushButton* leave = box.addButton(QStringLiteral("Ieșire"), QMessageBox::RejectRole);
    box.setDefaultButton(learning);
    box.setEscapeButton(leave);
    box.exec();
    return box.clickedButton() == learning;
}

BankStart SingleInstance::start(const QString& executableFolder)
{
    const std::string folder = executableFolder.toStdString();
    std::vector<std::string> notes;
    store::BankChoice choice;
    try {
        choice = store::chooseBank(
            store::bankPlacesFor(folder), [&notes](const std::string& note) { notes.push_back(note); }, &lock_);
    } catch (const store::Error& failure) {
        // Reported where any failure to open the bank is: by the welcome window, which then opens nothing.
        lock_.release();
        BankStart failed;
        failed.bank.failure = failure.what();
        return failed;
    }
    for (const std::string& note : notes)
        std::fprintf(stderr, "velmaris: %s\n", note.c_str());

    BankStart start;
    if (lock_.state() == store::BankLock::State::HeldByOther) {
        const store::BankHolder holder = lock_.holder();
        const std::string bankFile = lock_.bankFile();
        if (askHolderToCome(holder))
            return {true, {}};
        const QString question = inUseText(bankFile, holder);
        std::fprintf(stderr, "velmaris: %s\n",
                     QString(question).replace(QStringLiteral("\n\n"), QStringLiteral(" ")).toUtf8().constData());
        if (!ask_(question))
            return {true, {}};
        choice.learningOnly = heldElsewhereReason(bankFile, holder).toStdString();
    }
    QString said;
    for (const std::string& note : notes)
        said += (said.isEmpty() ? QString() : QStringLiteral("\n\n")) + QString::fromStdString(note);
    if (!said.isEmpty())
        kit_.boxes().message(nullptr, app::runningTitle(), said);
    start.bank = std::move(choice);
    return start;
}

bool SingleInstance::askHolderToCome(const store::BankHolder& holder) const
{
    const QString name = serverName(lock_.bankFile());
    // A holder of this user on this machine may be starting still, its socket not yet open: it is asked
    // again for a few seconds. Another user's or machine's socket is never reached by this name.
    const int attempts = holder.sameHost && holder.sameUser ? 30 : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(100);
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(1000))
            continue;
        allowToComeForward(holder.pid);
        socket.write(kComeToFront);
        socket.waitForBytesWritten(1000);
        // The holder answers once its window is in front; a busy holder is reached all the same.
        socket.waitForReadyRead(5000);
        return true;
    }
    return false;
}

void SingleInstance::answerLaterStarts()
{
    if (server_ || lock_.state() != store::BankLock::State::Held)
        return;
    listen();
    refresh_.start();
}

void SingleInstance::listen()
{
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName(lock_.bankFile());
    // A socket left by a program that ended without closing it: no running program can own this name
    // while this one holds the bank.
    if (!server_->listen(name)) {
        QLocalServer::removeServer(name);
        server_->listen(name);
    }
    connect(server_, &QLocalServer::newConnection, this, [this] { answer(); });
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kComeToFront) {
                kit_.bringProgramToFront();
                socket->write(kCame);
            }
            socket->disconnectFromServer();
        });
    }
}

}  // namespace startup
