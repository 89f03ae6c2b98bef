#pragma once

#include "base/FileSafety.h"

#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <functional>

namespace tikkeli::test {

// The real file system, except for the steps the test picks: every step passing the fault point is
// logged as "<step> <file name>" and counted from 1. failAt makes step N fail once; stopAt makes
// step N and every later one fail, as if the program had stopped there (nothing after it reaches
// the disk); fault decides by step and path.
class FailingFileSafety : public FileSafety {
public:
    FailingFileSafety() { setInstance(this); }
    ~FailingFileSafety() override { setInstance(nullptr); }
    FailingFileSafety(const FailingFileSafety&) = delete;
    FailingFileSafety& operator=(const FailingFileSafety&) = delete;

    std::function<int(FileStep step, const QString& path)> fault;
    int failAt = 0;
    int stopAt = 0;
    int error = EIO;
    QStringList calls;

    int steps() const { return int(calls.size()); }
    bool stopped() const { return stopAt > 0 && steps() >= stopAt; }

    int check(FileStep step, const QString& path) override
    {
        calls << FileStepName(step) + QLatin1Char(' ') + QFileInfo(path).fileName();
        const int n = steps();
        if (stopAt > 0 && n >= stopAt)
            return error;
        if (n == failAt)
            return error;
        return fault ? fault(step, path) : 0;
    }
};

} // namespace tikkeli::test
