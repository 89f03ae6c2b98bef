#include "support/OtherProgramHolding.h"

#include "db/Database.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <unistd.h>

namespace tikkeli::test {

namespace {

constexpr char ClubVar[] = "TIKKELI_PITAA_AUKI";
constexpr char Ready[] = "tiedosto auki\n";

} // namespace

OtherProgramHolding::OtherProgramHolding(const QString& club)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(ClubVar), club);
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=OtherProgramHoldingChild.*")});
    const QDeadlineTimer deadline(30000);
    QByteArray said;
    while (m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) {
        said += m_process.readAll();
        if ((m_holds = said.contains(Ready)))
            break;
    }
    EXPECT_TRUE(m_holds) << said.toStdString();
}

OtherProgramHolding::~OtherProgramHolding()
{
    // The other program ends when its input does.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(20000)) {
        ADD_FAILURE() << "the other program did not end";
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString OtherProgramHolding::output()
{
    return QString::fromLocal8Bit(m_process.readAll());
}

// The other program itself, when the test program is started as one.
TEST(OtherProgramHoldingChild, KeepsTheClubOpenUntilItsInputEnds)
{
    const QString club = qEnvironmentVariable(ClubVar);
    if (club.isEmpty())
        GTEST_SKIP() << "started by OtherProgramHolding as a second program";
    Database db = Database::open(club);
    db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    std::fputs(Ready, stdout);
    std::fflush(stdout);
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
}

} // namespace tikkeli::test
