#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <thread>
#include <utility>

namespace tikkeli::test {

// A thread for a test. An exception escaping a plain std::thread ends the whole test program; this
// one keeps it and hands it to the test at join(), where it fails that test like any other
// exception in the test body.
class TestThread {
public:
    template <class F>
    explicit TestThread(F f)
        : m_thread([this, f = std::move(f)]() mutable {
              try {
                  f();
              } catch (...) {
                  m_error = std::current_exception();
              }
          })
    {
    }
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;
    // A thread the test left without join() (an assertion returned first) still ends here, and
    // what it threw still fails the test.
    ~TestThread()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_error)
            ADD_FAILURE() << "A test thread ended with an exception that was never joined.";
    }

    // Waits for the thread and rethrows what it threw.
    void join()
    {
        m_thread.join();
        if (m_error)
            std::rethrow_exception(std::exchange(m_error, nullptr));
    }

private:
    std::exception_ptr m_error; // before the thread, which may set it as soon as it starts
    std::thread m_thread;
};

} // namespace tikkeli::test
