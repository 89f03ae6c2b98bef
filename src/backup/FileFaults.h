#pragma once

#include <QString>

#include <functional>

namespace tikkeli {

// Where tests inject failures into the backup's file steps: the hook is asked before each step
// ("read", "write", "sync", "rename", "delete", "mkdir") with the path it touches, and a non-zero
// errno makes that step fail as if the system had refused it.
struct FileFaults {
    static inline std::function<int(const QString& step, const QString& path)> hook;

    static int at(const char* step, const QString& path)
    {
        return hook ? hook(QString::fromLatin1(step), path) : 0;
    }
};

} // namespace tikkeli
