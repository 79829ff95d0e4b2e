#pragma once
#include <atomic>
#include <thread>

// The one duty of a desktop's window manager that full screen needs: a
// window that asks for _NET_WM_STATE_FULLSCREEN is laid over the whole
// screen, and put back where it was when it asks to leave. It watches the
// root window without redirecting anything, so windows map as before.
class FullScreenWindowManager {
public:
    FullScreenWindowManager();
    ~FullScreenWindowManager();
    FullScreenWindowManager(const FullScreenWindowManager&) = delete;
    FullScreenWindowManager& operator=(const FullScreenWindowManager&) = delete;

private:
    void run();
    struct _XDisplay* display_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
