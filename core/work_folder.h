// A private temporary folder for the work files of one run, removed with everything in it.
#pragma once

#include <optional>
#include <string>

class WorkFolder {
  public:
    // A new folder that only this user can enter, in the system's temporary folder.
    static std::optional<WorkFolder> Create();

    WorkFolder(WorkFolder&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    WorkFolder& operator=(WorkFolder&&) = delete;
    ~WorkFolder();

    // The folder with its trailing separator, in the ANSI code page on Windows.
    const std::string& path() const { return path_; }

  private:
    explicit WorkFolder(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

// Makes a new private folder in the system's temporary folder; its path with the trailing
// separator, or nothing. One implementation per platform.
std::optional<std::string> MakePrivateFolder();

// Removes a folder (given with its trailing separator) and everything in it; false when
// something stays.
bool RemoveWorkFolder(const std::string& path);

// Removes every work folder still in use, for a process that is being interrupted, waiting up to
// a few seconds for files the work still has open; the work going on meanwhile may fail, no
// folder is made afterwards, and the process is to end right after.
void RemoveWorkFoldersInUse();
