// Writes what the AVIF encoder choices give on the corpus photographs at 430 wide, for
// avif_sweep.py to score: into FOLDER each photograph as NAME.bmp, and for each choice and
// quality the AVIF file as read back, CHOICE-NAME-Q.bmp; on standard output tab-separated lines
// of choice, photograph, quality, bytes and the processor time of the encoding in milliseconds.
// JPEG and WebP at korvi's settings are written beside them as choices of their own.
#include <cstdio>
#include <ctime>
#include <string>

#include "bench/bench_support.h"
#include "codecs/avif/avif_reader.h"
#include "codecs/avif/avif_writer.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "codecs/webp/webp_reader.h"
#include "codecs/webp/webp_writer.h"
#include "core/bmp_file.h"
#include "pipeline/picture_loader.h"

namespace {

struct Choice {
    const char* name;
    AvifTuning tuning;
};

// kSmallAvif and its neighbours: speed, chroma, tuning, delta-q.
const Choice kChoices[] = {
    {"avif", kSmallAvif},
    {"avif-420", {6, false, 1, 0, true, 1}},
    {"avif-420-defaults", {6, false, 0, 0, false, 1}},
    {"avif-deltaq3", {6, true, 1, 0, true, 3}},
    {"avif-speed7", {7, true, 1, 0, true, 1}},
    {"avif-speed8", {8, true, 1, 0, true, 1}},
    {"avif-speed9-420", {9, false, 1, 0, true, 1}},
};

constexpr int kQualities[] = {20, 30, 40, 50, 60, 70, 80, 90};

double Milliseconds(std::clock_t since) {
    return 1000.0 * double(std::clock() - since) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvi_avif_sweep FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const std::string jpegPath = BenchFolder().File("sweep.jpg");
    for (const char* name : kCorpusPhotographs) {
        const PackedBitmap photo = CorpusPhotograph(name);
        if (photo == nullptr) {
            std::fprintf(stderr, "avif_sweep: %s is not in the shared corpus\n", name);
            return 1;
        }
        WriteBmpFile(photo, (folder + name + ".bmp").c_str());
        auto keep = [&](const char* choice, int quality, std::size_t bytes, double ms, PackedBitmap decoded) {
            GlobalBlock owned(decoded);
            WriteBmpFile(decoded,
                         (folder + choice + "-" + name + "-" + std::to_string(quality) + ".bmp").c_str());
            std::printf("%s\t%s\t%d\t%zu\t%.1f\n", choice, name, quality, bytes, ms);
        };
        for (int quality : kQualities) {
            for (const Choice& choice : kChoices) {
                std::vector<std::uint8_t> bytes;
                const std::clock_t start = std::clock();
                if (EncodeAvif(photo, AvifEncoding::Lossy(quality), &bytes, choice.tuning) != kAvifWritten)
                    return 1;
                const double ms = Milliseconds(start);
                PackedBitmap decoded = nullptr;
                if (DecodeAvif(&decoded, bytes.data(), bytes.size(), 0) != kAvifReadOk) return 1;
                keep(choice.name, quality, bytes.size(), ms, decoded);
            }
            WebpBytes webp;
            std::clock_t start = std::clock();
            if (EncodeWebp(photo, WebpEncoding::Lossy(quality), &webp) != kWebpWritten) return 1;
            double ms = Milliseconds(start);
            PackedBitmap decoded = nullptr;
            if (DecodeWebp(&decoded, webp.data.get(), webp.size, 0) != kWebpReadOk) return 1;
            keep("webp", quality, webp.size, ms, decoded);
            start = std::clock();
            if (WriteJpegFile(photo, jpegPath.c_str(), quality) != kJpegWritten) return 1;
            ms = Milliseconds(start);
            keep("jpeg", quality, ReadBytes(jpegPath).size(), ms, LoadPictureFile(jpegPath.c_str()));
        }
    }
    return 0;
}
