// A private temporary folder for the work files of one run, removed with everything in it.
#pragma once

#include <optional>
#include <string>

class WorkFolder {
  public:
    static std::optional<WorkFolder> Create();

    WorkFolder(WorkFolder&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    WorkFolder& operator=(WorkFolder&&) = delete;
    ~WorkFolder();

    // The folder with its trailing separator.
    const std::string& path() const { return path_; }

  private:
    explicit WorkFolder(std::string path) : path_(std::move(path)) {}
    std::string path_;
};
