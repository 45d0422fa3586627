#include "cli/picture_queue.h"

#include <new>
#include <system_error>

PictureQueue::PictureQueue(std::size_t count, std::size_t workers, Job job)
    : count_(count), job_(std::move(job)), results_(count) {
    if (workers < 2) return;
    ahead_ = 2 * workers;
    for (std::size_t k = 0; k < workers; ++k) {
        try {
            threads_.emplace_back(&PictureQueue::Work, this);
        } catch (const std::system_error&) {
            break;  // fewer threads do the same work
        }
    }
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
    for (std::thread& thread : threads_) thread.join();
}

void PictureQueue::Work() {
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
        PictureResult result = Run(index, path);
        {
            std::lock_guard<std::mutex> hold(mutex_);
            results_[index] = std::move(result);
        }
        changed_.notify_all();
    }
}

PictureResult PictureQueue::Take(std::size_t index) {
    if (threads_.empty()) {
        if (!ownFolderTried_) {
            ownFolderTried_ = true;
            if (std::optional<WorkFolder> folder = WorkFolder::Create())
                ownFolder_ = std::make_unique<WorkFolder>(std::move(*folder));
        }
        return Run(index, ownFolder_ ? ownFolder_->path() : std::string());
    }
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [&] { return results_[index].has_value(); });
    PictureResult result = std::move(*results_[index]);
    results_[index].reset();
    taken_ = index + 1;
    hold.unlock();
    changed_.notify_all();
    return result;
}
