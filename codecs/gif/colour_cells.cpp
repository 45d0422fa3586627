#include "codecs/gif/colour_cells.h"

ColourCell DescribeCell(int key) {
    const int r = CellRedNibble(key), g = CellGreenNibble(key), b = CellBlueNibble(key);
    const int mx = std::max({r, g, b});
    const int chroma = mx - std::min({r, g, b});
    int slot = 0;
    if (mx != 0 && chroma != 0) {
        // Each term is 1 for the channel at the minimum, 0 otherwise.
        const int rc = (mx - r) / chroma, gc = (mx - g) / chroma, bc = (mx - b) / chroma;
        if (g == mx) {
            slot = 2 + rc - bc;
        } else if (r == mx) {
            slot = bc - gc;
        } else {
            slot = 4 + gc - rc;
        }
        if (slot < 0) slot += kHueSlotCount;
        slot %= kHueSlotCount;
    }
    return ColourCell{key, chroma, slot, 0};
}
