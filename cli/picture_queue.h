// Pictures converted on worker threads, each thread with a work folder of its own, and taken
// back in their order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/picture_job.h"
#include "core/fan_out.h"
#include "core/work_folder.h"

class PictureQueue {
  public:
    // Converts picture `index` in `workFolder`, which is empty when no folder could be made.
    using Job = std::function<PictureResult(std::size_t index, const std::string& workFolder)>;

    // Starts up to `workers` threads for pictures 0 to count - 1 (`start` starts each). With fewer
    // than two, or once no thread works, Take converts each picture on the calling thread.
    PictureQueue(std::size_t count, std::size_t workers, Job job, const ThreadStarter& start = StartThread);
    PictureQueue(const PictureQueue&) = delete;
    PictureQueue& operator=(const PictureQueue&) = delete;
    // Pictures not begun are left; those underway are awaited.
    ~PictureQueue();

    // The result of picture `index`, once done; taken in order 0, 1, 2, ... The threads work at
    // most twice their number of pictures ahead of the one taken, so that few results wait.
    PictureResult Take(std::size_t index);

  private:
    void Work();
    // The job's result; a job that runs out of memory fails with no messages.
    PictureResult Run(std::size_t index, const std::string& workFolder) const;

    const std::size_t count_;
    const Job job_;
    std::size_t ahead_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<PictureResult>> results_;
    std::size_t next_ = 0, taken_ = 0;
    std::size_t working_ = 0;  // threads still taking pictures
    bool stopping_ = false;
    std::unique_ptr<WorkFolder> ownFolder_;  // the calling thread's, when it converts
    bool ownFolderTried_ = false;
    std::optional<FanOut> workers_;  // last, so that its threads end before the rest is gone
};
