#pragma once

#include <QCursor>
#include <QPointer>
#include <QWidget>
#include <optional>

namespace tikkeli {

// Mouse pointer codes the windows pass: 0 the default pointer, 11 the hourglass.
constexpr int DefaultPointer = 0;
constexpr int BusyPointer = 11;

void SetDefaultCursor(QWidget* window);
void SetBusyCursor(QWidget* window);

// A busy-pointer guard: the first SetCursor remembers the target's pointer and the target; when
// the guard goes, on every exit path, that pointer is put back on that target.
class cMouseCursor {
public:
    cMouseCursor() = default;
    ~cMouseCursor();
    cMouseCursor(const cMouseCursor&) = delete;
    cMouseCursor& operator=(const cMouseCursor&) = delete;

    void SetCursor(QWidget* target, int pointer);

private:
    QPointer<QWidget> m_target;
    std::optional<std::optional<QCursor>> m_remembered; // outer: anything remembered; inner: none = default
};

} // namespace tikkeli
