// Writes the JPEG seed corpus: one small file of each structure the decoder knows, and the most
// work and memory it takes.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/jpeg_fixture.h"
#include "tests/support/jpeg_scan_bomb.h"
#include "tests/support/synthetic_picture.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_jpeg_seeds FOLDER\n");
        return 2;
    }
    using Factors = std::vector<std::array<int, 2>>;
    const auto make = [](FixtureColour colour, const Factors& factors, int width, int height) {
        return FixtureFromPicture(width, height, NaturalPicture(width, height), colour, factors, 75);
    };
    std::vector<std::pair<std::string, JpegFixture>> seeds;
    seeds.emplace_back("baseline-420", make(FixtureColour::kYCbCr, {{2, 2}, {1, 1}, {1, 1}}, 21, 19));
    JpegFixture restarts = make(FixtureColour::kYCbCr, {{1, 1}, {1, 1}, {1, 1}}, 24, 16);
    restarts.restartInterval = 2;
    seeds.emplace_back("restarts-444", restarts);
    JpegFixture successive = make(FixtureColour::kYCbCr, {{2, 1}, {1, 1}, {1, 1}}, 19, 9);
    successive.sofMarker = 0xC2;
    successive.scans = SuccessiveScript(3);
    successive.restartInterval = 3;
    seeds.emplace_back("progressive-422-restarts", successive);
    JpegFixture spectral = make(FixtureColour::kGrey, {{1, 1}}, 17, 17);
    spectral.sofMarker = 0xC2;
    spectral.scans = {{{0}, 0, 0, 0, 0}, {{0}, 1, 5, 0, 0}, {{0}, 6, 63, 0, 0}};
    seeds.emplace_back("progressive-grey", spectral);
    JpegFixture separate = make(FixtureColour::kYCbCr, {{2, 2}, {2, 1}, {1, 2}}, 18, 18);
    separate.scans = {{{0}, 0, 63, 0, 0}, {{1}, 0, 63, 0, 0}, {{2}, 0, 63, 0, 0}};
    seeds.emplace_back("separate-scans-mixed", separate);
    JpegFixture rgb = make(FixtureColour::kRgb, {{1, 1}, {1, 1}, {3, 1}}, 13, 8);
    rgb.adobeTransform = 0;
    seeds.emplace_back("rgb-adobe-3x1", rgb);
    for (const auto& [name, fixture] : seeds)
        WriteBytes(std::string(argv[1]) + "/" + name + ".jpg", WriteJpegFixture(fixture));
    Bytes wrapped(128, 0);
    wrapped[1] = 4;
    wrapped[65] = 'J', wrapped[66] = 'P', wrapped[67] = 'E', wrapped[68] = 'G';
    const Bytes plain = WriteJpegFixture(seeds[0].second);
    wrapped.insert(wrapped.end(), plain.begin(), plain.end());
    WriteBytes(std::string(argv[1]) + "/macbinary.jpg", wrapped);
    WriteBytes(std::string(argv[1]) + "/scans-without-data.jpg",
               WriteScanBomb(ScanBomb::kScansWithoutData, 256, 256, 64));
    WriteBytes(std::string(argv[1]) + "/one-bit-refinements.jpg",
               WriteScanBomb(ScanBomb::kOneBitRefinements, 64, 64, 64));
    WriteBytes(std::string(argv[1]) + "/largest-progressive.jpg", LargestProgressiveJpeg());
    return 0;
}
