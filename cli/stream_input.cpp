#include "cli/stream_input.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "codecs/webp/webp_first_frame.h"
#include "core/classic_file.h"

namespace {

// The stream copied into the work file as far as it is read.
class StreamCopy {
  public:
    StreamCopy(std::FILE* stream, ClassicFile& file, std::uint64_t limit)
        : stream_(stream), file_(file), limit_(limit) {}

    // Reads up to `bytes` into `buffer`, copying them; the count, or -1 once something failed.
    long Read(std::uint8_t* buffer, std::uint32_t bytes) {
        if (failure_) return -1;
        const std::size_t count = std::fread(buffer, 1, bytes, stream_);
        total_ += count;
        if (total_ > limit_) {
            failure_ = SavedInput::kTooLarge;
        } else if (std::ferror(stream_)) {
            failure_ = SavedInput::kCannotRead;
        } else if (!file_.WriteExactly(buffer, count)) {
            failure_ = SavedInput::kCannotWrite;
        }
        return failure_ ? -1 : long(count);
    }

    // Copies the stream up to `offset`, then reads from there.
    long ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::uint32_t bytes) {
        if (offset < total_) return -1;  // read already
        while (total_ < offset) {
            const long count =
                Read(Piece(), std::uint32_t(std::min<std::uint64_t>(kPieceBytes, offset - total_)));
            if (count <= 0) return count;
        }
        return Read(buffer, bytes);
    }

    // Copies the rest of the stream.
    void ReadToEnd() {
        while (Read(Piece(), kPieceBytes) > 0) {
        }
    }

    SavedInput Result() {
        if (failure_) return *failure_;
        if (!file_.Close()) return SavedInput::kCannotWrite;
        return total_ == 0 ? SavedInput::kEmpty : SavedInput::kSaved;
    }

  private:
    static constexpr std::uint32_t kPieceBytes = 1 << 16;

    std::uint8_t* Piece() {
        piece_.resize(kPieceBytes);
        return piece_.data();
    }

    std::FILE* stream_;
    ClassicFile& file_;
    const std::uint64_t limit_;
    std::uint64_t total_ = 0;
    std::optional<SavedInput> failure_;
    std::vector<std::uint8_t> piece_;  // what is copied without being read
};

}  // namespace

std::FILE* OpenIfStream(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    struct stat status;
    if (fstat(fileno(file), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
        return file;
    std::fclose(file);
    return nullptr;
}

SavedInput SaveStream(std::FILE* stream, const std::string& path, std::uint64_t limit) {
    ClassicFile file = ClassicFile::Create(path.c_str());
    if (!file.is_open()) return SavedInput::kCannotWrite;
    StreamCopy copy(stream, file, limit);
    // A WebP stream is saved as far as the reader reads it: to the end of its first frame.
    const WebpReadStatus webp =
        GatherFirstFrame([&copy](std::uint64_t offset, std::uint8_t* buffer, std::uint32_t bytes) {
            return copy.ReadAt(offset, buffer, bytes);
        }).status;
    if (webp == kWebpNotWebp) copy.ReadToEnd();
    return copy.Result();
}
