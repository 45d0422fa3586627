#include "tests/support/bmp_fixture.h"

namespace {

void Put(Bytes* out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

Bytes BuildBmp(const BmpFixture& f) {
    Bytes info;
    Put(&info, f.headerSize, 4);
    if (f.headerSize == 12) {
        Put(&info, static_cast<std::uint32_t>(f.width), 2);
        Put(&info, static_cast<std::uint32_t>(f.height), 2);
        Put(&info, f.planes, 2);
        Put(&info, f.depth, 2);
    } else {
        Put(&info, static_cast<std::uint32_t>(f.width), 4);
        Put(&info, static_cast<std::uint32_t>(f.height), 4);
        Put(&info, f.planes, 2);
        Put(&info, f.depth, 2);
        Put(&info, f.compression, 4);
        Put(&info, 0, 4);
        Put(&info, 2835, 4);
        Put(&info, 2835, 4);
        Put(&info, f.coloursUsed, 4);
        Put(&info, 0, 4);
        if (f.headerSize > 40) {
            for (std::uint32_t mask : f.masks) Put(&info, mask, 4);
        }
        info.resize(f.headerSize, 0);
    }
    if (f.headerSize <= 40) {
        for (std::uint32_t mask : f.masks) Put(&info, mask, 4);
    }
    info.insert(info.end(), f.colourTable.begin(), f.colourTable.end());

    Bytes file;
    if (f.fileHeader) {
        const std::uint32_t offset = 14 + static_cast<std::uint32_t>(info.size());
        file = {'B', 'M'};
        Put(&file, offset + static_cast<std::uint32_t>(f.rows.size()), 4);
        Put(&file, 0, 4);
        Put(&file, offset, 4);
    }
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), f.rows.begin(), f.rows.end());
    return file;
}
