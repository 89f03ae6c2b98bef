#pragma once

#include <QProcess>
#include <QString>

namespace tikkeli::test {

// Another program of ours with a club file open, in a process of its own: the running test program
// started again, which opens the file as the program does (and so holds it) and keeps it open
// until this object goes. Only between processes do the holds meet as between two programs.
class OtherProgramHolding {
public:
    explicit OtherProgramHolding(const QString& club);
    ~OtherProgramHolding();
    OtherProgramHolding(const OtherProgramHolding&) = delete;
    OtherProgramHolding& operator=(const OtherProgramHolding&) = delete;

    // Whether the other program has the file open (it said so once it had).
    bool holds() const { return m_holds; }
    // What it wrote, for a failure's message.
    QString output();

private:
    QProcess m_process;
    bool m_holds = false;
};

} // namespace tikkeli::test
