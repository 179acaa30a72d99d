#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

// The lines the probe prints under LC_ALL=`locale`: the percentage of 2 of 3 and of 20 of 29, then
// the long time of 14:05:09 and of 09:07:03.
QStringList probeLines(const QString& locale)
{
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), locale);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(SYSTEM_LOCALE_PROBE), QStringList());
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        ADD_FAILURE() << "the probe did not run: " << probe.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(probe.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

TEST(UserRegionalSettings, GiveTheDecimalSeparatorAndTheLongTimeFormat)
{
    struct Case {
        const char* locale;
        QStringList lines;
    };
    const Case cases[] = {
        {"ro_RO.UTF-8", {"66,6666666666667", "68,9655172413793", "14:05:09", "09:07:03"}},
        {"en_US.UTF-8", {"66.6666666666667", "68.9655172413793", "2:05:09 PM", "9:07:03 AM"}},
        {"de_DE.UTF-8", {"66,6666666666667", "68,9655172413793", "14:05:09", "09:07:03"}},
        {"C.UTF-8", {"66.6666666666667", "68.9655172413793", "14:05:09", "09:07:03"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(probeLines(QString::fromLatin1(c.locale)), c.lines) << c.locale;
}

}  // namespace
