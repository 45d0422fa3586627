// Prints, for each corpus photograph at 430 wide, the bytes and the SSIM against the picture of
// every JPEG and lossy WebP quality from 10 to 100, as tab-separated lines: photograph, format,
// quality, bytes, SSIM. The measurements behind the choice of a faithful SSIM.
#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "codecs/webp/webp_reader.h"
#include "codecs/webp/webp_writer.h"
#include "core/ssim.h"
#include "pipeline/picture_loader.h"

int main() {
    const std::string path = BenchFolder().File("sweep.jpg");
    for (const char* name : kCorpusPhotographs) {
        const PackedBitmap photo = CorpusPhotograph(name);
        if (photo == nullptr) {
            std::fprintf(stderr, "quality_sweep: %s is not in the shared corpus\n", name);
            return 1;
        }
        for (int quality = 10; quality <= 100; ++quality) {
            if (WriteJpegFile(photo, path.c_str(), quality) != kJpegWritten) return 1;
            GlobalBlock jpeg(LoadPictureFile(path.c_str()));
            std::printf("%s\tjpeg\t%d\t%zu\t%.5f\n", name, quality, ReadBytes(path).size(),
                        MeanSsim(photo, jpeg.get()).value_or(0));
            WebpBytes bytes;
            PackedBitmap decoded = nullptr;
            if (EncodeWebp(photo, WebpEncoding::Lossy(quality), &bytes) != kWebpWritten ||
                DecodeWebp(&decoded, bytes.data.get(), bytes.size, 0) != kWebpReadOk)
                return 1;
            GlobalBlock webp(decoded);
            std::printf("%s\twebp\t%d\t%zu\t%.5f\n", name, quality, bytes.size,
                        MeanSsim(photo, webp.get()).value_or(0));
        }
    }
    return 0;
}
