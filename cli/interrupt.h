// korvi-cli interrupted (Ctrl+C, a closed terminal, a request to terminate): the work folders
// in use are removed before the process ends the way the interruption asks.
#pragma once

#include <string>

// Starts watching for interruptions; called once, before any work folder exists. Writing to a
// closed pipe or past a file-size limit then fails the write instead of ending the process.
void WatchForInterruptions();

// Registers a work folder for removal on interruption for the guard's lifetime.
class RemovedOnInterruption {
  public:
    explicit RemovedOnInterruption(std::string folder);
    RemovedOnInterruption(const RemovedOnInterruption&) = delete;
    RemovedOnInterruption& operator=(const RemovedOnInterruption&) = delete;
    ~RemovedOnInterruption();

  private:
    std::string folder_;
};

// Removes every registered folder; run by the platform's interruption handler.
void RemoveFoldersInUse();
