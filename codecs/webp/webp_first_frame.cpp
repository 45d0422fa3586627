#include "codecs/webp/webp_first_frame.h"

#include <webp/decode.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/packed_bitmap.h"

namespace {

constexpr std::uint32_t kRiffHeaderBytes = 12, kChunkHeaderBytes = 8;
// The bytes a picture may take: libwebp writes at most about 4.05 a pixel (lossless noise with
// alpha), and tables and headers come to far less than 1 MiB.
constexpr std::uint64_t kBytesPerPixel = 8, kHeaderBytes = std::uint64_t{1} << 20;
// Enough of a VP8 or VP8L bitstream for libwebp to tell the picture's size.
constexpr std::uint32_t kBitstreamHeaderBytes = 30;
// VP8X flags of the chunks left out.
constexpr std::uint8_t kProfileFlag = 0x20, kExifFlag = 0x08, kXmpFlag = 0x04;

std::uint32_t Little32(const std::uint8_t* bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

std::uint32_t Little24(const std::uint8_t* bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16;
}

void SetLittle32(std::uint8_t* bytes, std::size_t value) {
    for (int k = 0; k < 4; ++k) bytes[k] = std::uint8_t(value >> 8 * k);
}

bool Named(const std::uint8_t* chunk, const char* fourcc) {
    return std::memcmp(chunk, fourcc, 4) == 0;
}

class Gathering {
  public:
    explicit Gathering(const WebpFileReader& read) : read_(read) {}

    FirstFrame Gather() {
        FirstFrame frame;
        frame.status = Walk();
        if (frame.status != kWebpReadOk) return frame;
        // The RIFF size of what is gathered, unless the file ends early: then the size it states
        // tells libwebp that the file is cut short.
        if (!endedEarly_) SetLittle32(&file_[4], file_.size() - kChunkHeaderBytes);
        frame.file = std::move(file_);
        frame.cut = cut_;
        return frame;
    }

  private:
    WebpReadStatus Walk() {
        if (!Append(0, kRiffHeaderBytes)) return kWebpCannotRead;
        if (file_.size() < kRiffHeaderBytes || !Named(file_.data(), "RIFF") ||
            !Named(file_.data() + 8, "WEBP"))
            return kWebpNotWebp;
        const std::uint32_t riff = Little32(file_.data() + 4);
        if (riff < 4) return kWebpBroken;
        // Bytes behind the RIFF chunk are not the picture's.
        const std::uint64_t end = std::uint64_t(riff) + kChunkHeaderBytes;
        for (std::uint64_t at = kRiffHeaderBytes; at + kChunkHeaderBytes <= end;) {
            std::uint8_t header[kChunkHeaderBytes];
            const long got = read_(at, header, kChunkHeaderBytes);
            if (got < 0) return kWebpCannotRead;
            if (got < long(kChunkHeaderBytes)) {
                endedEarly_ = true;
                return kWebpReadOk;
            }
            const std::uint32_t size = Little32(header + 4);
            const std::uint64_t next = at + kChunkHeaderBytes + size + (size & 1);
            const bool frameChunk = Named(header, "VP8 ") || Named(header, "VP8L") || Named(header, "ANMF");
            if (frameChunk || Named(header, "ALPH") || Named(header, "ANIM") ||
                (Named(header, "VP8X") && at == kRiffHeaderBytes)) {
                const WebpReadStatus kept = Keep(header, at, std::min(next, end) - at);
                if (kept != kWebpReadOk || frameChunk) return kept;
            }
            at = next;
        }
        return kWebpReadOk;
    }

    // Gathers the chunk at `at`, whose header is read, of `bytes` within the RIFF chunk, as far as
    // the budget goes.
    WebpReadStatus Keep(const std::uint8_t* header, std::uint64_t at, std::uint64_t bytes) {
        const std::size_t start = file_.size();
        file_.insert(file_.end(), header, header + kChunkHeaderBytes);
        if (!budget_ && (Named(header, "VP8 ") || Named(header, "VP8L"))) {
            // A still picture without VP8X: its size is in the bitstream's header.
            if (!Append(at + kChunkHeaderBytes, std::uint32_t(std::min<std::uint64_t>(
                                                    bytes - kChunkHeaderBytes, kBitstreamHeaderBytes))))
                return kWebpCannotRead;
            const WebpReadStatus sized = SizeFromFile();
            if (sized != kWebpReadOk) return sized;
        }
        const std::size_t done = file_.size() - start;
        const std::uint64_t budget = budget_.value_or(kHeaderBytes);
        const std::uint64_t room = budget > file_.size() ? budget - file_.size() : 0;
        const bool cut = bytes - done > room;
        if (!Append(at + done, std::uint32_t(cut ? room : bytes - done))) return kWebpCannotRead;
        if (cut) {
            // The rest is more than the picture can need: the chunk ends here.
            cut_ = true;
            SetLittle32(&file_[start + 4], file_.size() - start - kChunkHeaderBytes);
        }
        return Named(header, "VP8X") ? SizeFromCanvas(start) : kWebpReadOk;
    }

    // Reads `count` bytes from `offset` behind what is gathered; false when reading fails. Fewer
    // bytes are gathered where the file ends.
    bool Append(std::uint64_t offset, std::uint32_t count) {
        const std::size_t start = file_.size();
        file_.resize(start + count);
        const long got = read_(offset, file_.data() + start, count);
        file_.resize(start + std::size_t(std::max(got, 0L)));
        endedEarly_ = endedEarly_ || got < long(count);
        return got >= 0;
    }

    WebpReadStatus Sized(std::int64_t width, std::int64_t height) {
        if (!IsPictureSizeAccepted(width, height)) return kWebpTooLarge;
        budget_ = kBytesPerPixel * std::uint64_t(width * height) + kHeaderBytes;
        return kWebpReadOk;
    }

    // The canvas of the VP8X chunk gathered at `start`; the flags of the chunks left out are cleared.
    WebpReadStatus SizeFromCanvas(std::size_t start) {
        if (file_.size() < start + kChunkHeaderBytes + 10) return kWebpReadOk;  // libwebp's to refuse
        std::uint8_t* payload = file_.data() + start + kChunkHeaderBytes;
        payload[0] &= std::uint8_t(~(kProfileFlag | kExifFlag | kXmpFlag));
        return Sized(std::int64_t(Little24(payload + 4)) + 1, std::int64_t(Little24(payload + 7)) + 1);
    }

    // The size libwebp reads from what is gathered; what it cannot read it refuses when decoding.
    WebpReadStatus SizeFromFile() {
        WebPBitstreamFeatures features;
        if (WebPGetFeatures(file_.data(), file_.size(), &features) != VP8_STATUS_OK) return kWebpReadOk;
        return Sized(features.width, features.height);
    }

    const WebpFileReader& read_;
    std::vector<std::uint8_t> file_;
    std::optional<std::uint64_t> budget_;  // the most to gather, once the picture's size is known
    bool cut_ = false;
    bool endedEarly_ = false;  // the file ends before the RIFF size says, within what is gathered
};

}  // namespace

FirstFrame GatherFirstFrame(const WebpFileReader& read) {
    return Gathering(read).Gather();
}
