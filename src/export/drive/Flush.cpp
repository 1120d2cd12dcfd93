#include "drive/Flush.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <future>
#include <mutex>
#include <thread>

namespace tunecrate::platform {
namespace {

// The one thread that makes the calls that wait for a drive. Started with
// the first call and stopped when the program ends.
class DriveWorker {
public:
    ~DriveWorker()
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        ready_.notify_one();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    std::future<bool> start(std::function<bool()> call)
    {
        std::packaged_task<bool()> task(std::move(call));
        std::future<bool> result = task.get_future();
        {
            const std::lock_guard lock(mutex_);
            if (!thread_.joinable()) {
                thread_ = std::thread([this] { serve(); });
            }
            tasks_.push_back(std::move(task));
        }
        ready_.notify_one();
        return result;
    }

private:
    void serve()
    {
        for (;;) {
            std::packaged_task<bool()> task;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
                if (tasks_.empty()) {
                    return;
                }
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::packaged_task<bool()>> tasks_;
    bool stopping_ = false;
    std::thread thread_;
};

DriveWorker& worker()
{
    static DriveWorker instance;
    return instance;
}

std::mutex hookMutex;
FlushHook hook;

} // namespace

bool waitForDrive(const std::function<bool()>& call, const WhileWaiting& whileWaiting)
{
    std::future<bool> result = worker().start(call);
    const auto interval = std::chrono::milliseconds(waitingIntervalMs);
    try {
        while (result.wait_for(interval) != std::future_status::ready) {
            whileWaiting();
        }
    } catch (...) {
        // The call may use what the caller is about to let go of.
        result.wait();
        throw;
    }
    return result.get();
}

void setFlushHook(FlushHook newHook)
{
    const std::lock_guard lock(hookMutex);
    hook = std::move(newHook);
}

bool flushThroughHook(FlushCall call, const std::string& path, const std::function<bool()>& flush,
                      const WhileWaiting& whileWaiting)
{
    return waitForDrive(
        [&] {
            FlushHook current;
            {
                const std::lock_guard lock(hookMutex);
                current = hook;
            }
            return (!current || current(call, path)) && flush();
        },
        whileWaiting);
}

} // namespace tunecrate::platform
