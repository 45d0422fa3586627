// Feeds arbitrary bytes as a file without a name's hint to the reader its first bytes choose,
// and what it reads, when small, to the normaliser; and asks what the file shows beyond its
// picture, as --inline does.
#include "fuzz/input_file.h"
#include "pipeline/picture_extras.h"
#include "pipeline/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HasTransparencyOrAnimation(data, size);
    ShownFormat(data, size);
    const std::string path = WriteInputFile(data, size, "");
    PackedBitmap picture = path.empty() ? nullptr : ReadPictureByContent(path.c_str());
    if (picture == nullptr) return 0;
    if (GlobalSize(picture) > (1u << 20)) {
        GlobalFree(picture);
        return 0;
    }
    GlobalFree(PreparePicture(picture, nullptr));
    return 0;
}
