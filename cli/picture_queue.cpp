#include "cli/picture_queue.h"

#include <exception>
#include <new>

PictureQueue::PictureQueue(std::size_t count, std::size_t workers, Job job, const ThreadStarter& start)
    : count_(count), job_(std::move(job)), results_(count) {
    if (workers < 2) return;
    ahead_ = 2 * workers;
    working_ = workers;
    workers_.emplace(
        unsigned(workers), [this](unsigned) { Work(); }, start);
    std::lock_guard<std::mutex> hold(mutex_);
    working_ -= workers - workers_->started();  // lanes without a thread are never run
}

PictureResult PictureQueue::Run(std::size_t index, const std::string& workFolder) const {
    try {
        return job_(index, workFolder);
    } catch (const std::bad_alloc&) {
        return PictureResult();  // failed, and nothing more said: saying it would need memory
    }
}

PictureQueue::~PictureQueue() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    workers_.reset();
}

void PictureQueue::Work() {
    // However the thread ends, Take stops waiting for it.
    struct Leaving {
        PictureQueue& queue;
        ~Leaving() {
            {
                std::lock_guard<std::mutex> hold(queue.mutex_);
                --queue.working_;
            }
            queue.changed_.notify_all();
        }
    } leaving{*this};
    const std::optional<WorkFolder> folder = WorkFolder::Create();
    const std::string path = folder ? folder->path() : std::string();
    for (;;) {
        std::size_t index;
        {
            std::unique_lock<std::mutex> hold(mutex_);
            changed_.wait(hold, [&] { return stopping_ || next_ >= count_ || next_ < taken_ + ahead_; });
            if (stopping_ || next_ >= count_) return;
            index = next_++;
        }
        PictureResult result;
        std::exception_ptr thrown;
        try {
            result = Run(index, path);
        } catch (...) {
            thrown = std::current_exception();  // the picture fails rather than being waited for
        }
        {
            std::lock_guard<std::mutex> hold(mutex_);
            results_[index] = std::move(result);
        }
        changed_.notify_all();
        if (thrown) std::rethrow_exception(thrown);
    }
}

PictureResult PictureQueue::Take(std::size_t index) {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [&] { return results_[index].has_value() || (working_ == 0 && index == next_); });
    taken_ = index + 1;
    if (!results_[index]) {
        next_ = index + 1;  // no thread works: this one converts
        hold.unlock();
        if (!ownFolderTried_) {
            ownFolderTried_ = true;
            if (std::optional<WorkFolder> folder = WorkFolder::Create())
                ownFolder_ = std::make_unique<WorkFolder>(std::move(*folder));
        }
        return Run(index, ownFolder_ ? ownFolder_->path() : std::string());
    }
    PictureResult result = std::move(*results_[index]);
    results_[index].reset();
    hold.unlock();
    changed_.notify_all();
    return result;
}
