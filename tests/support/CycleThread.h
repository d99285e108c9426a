#pragma once
// Runs one script per cycle on a thread of its own, while the test's main thread
// starts, serves and stops the component under stress: Go(n) lets cycle n run,
// WaitDone(n) waits until it has. For stress tests meant to run under
// ThreadSanitizer too.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

namespace zq::test {

class CycleThread {
public:
    using Script = std::function<void(std::minstd_rand& random)>;

    CycleThread(unsigned seed, Script script)
        : FRandom(seed), FScript(std::move(script)), FThread([this] { Run(); }) {}
    ~CycleThread() {
        {
            std::lock_guard lock(FLock);
            FQuit = true;
        }
        FChanged.notify_all();
        FThread.join();
    }
    CycleThread(const CycleThread&) = delete;
    CycleThread& operator=(const CycleThread&) = delete;

    void Go(int cycle) {
        {
            std::lock_guard lock(FLock);
            FGo = cycle;
        }
        FChanged.notify_all();
    }
    void WaitDone(int cycle) {
        std::unique_lock lock(FLock);
        FChanged.wait(lock, [&] { return FDone == cycle; });
    }

private:
    void Run() {
        for (;;) {
            int cycle;
            {
                std::unique_lock lock(FLock);
                FChanged.wait(lock, [&] { return FQuit || FGo > FDone; });
                if (FQuit)
                    return;
                cycle = FGo;
            }
            FScript(FRandom);
            {
                std::lock_guard lock(FLock);
                FDone = cycle;
            }
            FChanged.notify_all();
        }
    }

    std::minstd_rand FRandom;
    Script FScript;
    std::mutex FLock;
    std::condition_variable FChanged;
    int FGo = 0;
    int FDone = 0;
    bool FQuit = false;
    std::thread FThread; // last: starts once everything above exists
};

} // namespace zq::test
