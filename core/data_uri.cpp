#include "core/data_uri.h"

#include <cstring>

#include "core/base64.h"
#include "core/classic_file.h"

namespace {

char* Put(char* out, const std::string& text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

}  // namespace

std::string DataUriOf(const unsigned char* bytes, std::size_t count, const char* mimeType) {
    const std::string head = std::string("data:") + mimeType + ";base64,";
    std::string uri(head.size() + Base64Length(count), '\0');
    Put(&uri[0], head);
    Base64EncodeTo(bytes, count, &uri[head.size()]);
    return uri;
}

DataUriResult WriteDataUri(const char* path, const char* mimeType, const UriFrame& frame,
                           const TextBuffer& buffer) {
    ClassicFile file = ClassicFile::OpenForReading(path);
    if (!file.is_open()) return DataUriResult::kCannotRead;
    const LONG length = file.SeekToEnd();
    if (length <= 0 || !file.Seek(0)) return DataUriResult::kCannotRead;
    const std::string head = frame.before + "data:" + mimeType + ";base64,";
    char* out = buffer(head.size() + Base64Length(std::size_t(length)) + frame.after.size());
    if (out == nullptr) return DataUriResult::kOutOfMemory;
    out = Put(out, head);
    // Whole groups of three bytes per piece, so that only the last piece is padded.
    BYTE piece[3 * 8192];
    for (std::uint32_t left = std::uint32_t(length); left > 0;) {
        const std::uint32_t count = left < sizeof piece ? left : std::uint32_t{sizeof piece};
        if (!file.ReadExactly(piece, count)) return DataUriResult::kCannotRead;
        Base64EncodeTo(piece, count, out);
        out += Base64Length(count);
        left -= count;
    }
    Put(out, frame.after);
    return DataUriResult::kWritten;
}
