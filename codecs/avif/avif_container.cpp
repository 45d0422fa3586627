#include "codecs/avif/avif_container.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <tuple>

#include "core/packed_bitmap.h"

namespace {

// Ends the parse with its status; caught in ParseAvif.
struct ParseFailure {
    AvifReadStatus status;
};

[[noreturn]] void Fail(AvifReadStatus status) {
    throw ParseFailure{status};
}

constexpr std::uint32_t FourCc(const char (&name)[5]) {
    return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16 |
           std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint32_t(std::uint8_t(name[3]));
}

// The bytes of one box, read front to back; reading past them breaks the file, or, at the top
// level, means it was cut short.
class Cursor {
  public:
    Cursor(const std::uint8_t* begin, std::size_t size, AvifReadStatus shortStatus = kAvifBroken)
        : at_(begin), end_(begin + size), short_(shortStatus) {}

    std::size_t left() const { return std::size_t(end_ - at_); }
    const std::uint8_t* at() const { return at_; }
    std::uint64_t Number(int bytes) {
        Need(std::size_t(bytes));
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value = value << 8 | *at_++;
        return value;
    }
    std::uint32_t U8() { return std::uint32_t(Number(1)); }
    std::uint32_t U16() { return std::uint32_t(Number(2)); }
    std::uint32_t U32() { return std::uint32_t(Number(4)); }
    void Skip(std::size_t bytes) {
        Need(bytes);
        at_ += bytes;
    }
    // A full box's version; its flags go to `flags`.
    std::uint32_t Version(std::uint32_t* flags = nullptr) {
        const std::uint32_t word = U32();
        if (flags != nullptr) *flags = word & 0xFFFFFF;
        return word >> 24;
    }
    Cursor Take(std::uint64_t bytes) {
        if (bytes > left()) Fail(short_);
        Cursor part(at_, std::size_t(bytes));
        at_ += bytes;
        return part;
    }

  private:
    void Need(std::size_t bytes) const {
        if (bytes > left()) Fail(short_);
    }
    const std::uint8_t* at_;
    const std::uint8_t* end_;
    AvifReadStatus short_;
};

struct Box {
    std::uint32_t type;
    Cursor body;
};

// The next box of the cursor's; none at its end.
std::optional<Box> NextBox(Cursor& parent) {
    if (parent.left() == 0) return std::nullopt;
    std::uint64_t size = parent.U32();
    const std::uint32_t type = parent.U32();
    std::uint64_t header = 8;
    if (size == 1) {
        size = parent.Number(8);
        header = 16;
    } else if (size == 0) {
        size = parent.left() + header;
    }
    if (size < header) Fail(kAvifBroken);
    return Box{type, parent.Take(size - header)};
}

// Each child box of the cursor's.
template <typename Visit>
void ForEachBox(Cursor cursor, Visit visit) {
    while (std::optional<Box> box = NextBox(cursor)) visit(*box);
}

std::optional<Box> FindBox(Cursor cursor, std::uint32_t type) {
    while (std::optional<Box> box = NextBox(cursor))
        if (box->type == type) return box;
    return std::nullopt;
}

bool IsAvifBrand(std::uint32_t brand) {
    return brand == FourCc("avif") || brand == FourCc("avis");
}

// The major brand, the minor version, then compatible brands.
bool NamesAvif(Cursor ftyp) {
    if (IsAvifBrand(ftyp.U32())) return true;
    ftyp.Skip(4);
    while (ftyp.left() >= 4)
        if (IsAvifBrand(ftyp.U32())) return true;
    return false;
}

constexpr char kAlphaUrn[] = "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha";
constexpr char kHevcAlphaUrn[] = "urn:mpeg:hevc:2015:auxid:1";

struct Extent {
    std::uint64_t offset, length;
};

struct Item {
    std::uint32_t type = 0;
    bool located = false;
    std::uint32_t method = 0;  // construction method: 0 file offsets, 1 the 'idat' box
    std::vector<Extent> extents;
    std::vector<std::uint32_t> properties;  // indices into the property boxes, from 1
    std::vector<std::uint32_t> tiles;       // 'dimg' references, in order
    std::optional<std::uint32_t> alphaOf;   // the item an 'auxl' reference makes it the alpha of
};

struct Properties {
    std::optional<std::pair<std::uint32_t, std::uint32_t>> size;  // 'ispe'
    AvifColourCoding coding;
    bool alpha = false;  // an 'auxC' naming alpha
};

// The parts of a colour box of type 'nclx' that turn samples into RGB.
AvifColourCoding NclxCoding(Cursor colr) {
    AvifColourCoding coding;
    if (colr.U32() != FourCc("nclx")) return coding;
    colr.Skip(4);  // colour primaries, transfer characteristics
    coding.stated = true;
    coding.matrix = int(colr.U16());
    coding.fullRange = (colr.U8() & 0x80) != 0;
    return coding;
}

class ItemFile {
  public:
    ItemFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // The items of a meta box of pictures; another kind of meta box holds none.
    void ReadMeta(Cursor meta) {
        meta.Version();
        const std::optional<Box> handler = FindBox(meta, FourCc("hdlr"));
        if (!handler) return;
        Cursor hdlr = handler->body;
        hdlr.Version();
        hdlr.Skip(4);
        if (hdlr.U32() != FourCc("pict")) return;
        ForEachBox(meta, [this](Box& box) {
            if (box.type == FourCc("pitm")) {
                primary_ = box.body.Version() == 0 ? box.body.U16() : box.body.U32();
            } else if (box.type == FourCc("iinf")) {
                ReadItemInfo(box.body);
            } else if (box.type == FourCc("iloc")) {
                ReadLocations(box.body);
            } else if (box.type == FourCc("iref")) {
                ReadReferences(box.body);
            } else if (box.type == FourCc("iprp")) {
                ReadProperties(box.body);
            } else if (box.type == FourCc("idat")) {
                idat_ = box.body;
            }
        });
    }

    bool HasPrimary() const { return primary_.has_value(); }

    void Lay(AvifLayout* layout) {
        layout->colour = PlaneOf(*primary_, layout, &layout->width, &layout->height);
        for (const auto& [id, item] : items_) {
            if (item.alphaOf != primary_ || !PropertiesOf(item).alpha) continue;
            std::uint32_t width = 0, height = 0;
            layout->alpha = PlaneOf(id, layout, &width, &height);
            if (width != layout->width || height != layout->height) Fail(kAvifBroken);
            break;
        }
    }

  private:
    void ReadItemInfo(Cursor iinf) {
        const std::uint32_t version = iinf.Version();
        iinf.Skip(version == 0 ? 2 : 4);  // the entry count: the boxes tell
        ForEachBox(iinf, [this](Box& box) {
            if (box.type != FourCc("infe")) return;
            const std::uint32_t infeVersion = box.body.Version();
            if (infeVersion < 2) return;  // no item type
            const std::uint32_t id = infeVersion == 2 ? box.body.U16() : box.body.U32();
            const std::uint32_t protection = box.body.U16();
            Item& item = items_[id];
            item.type = protection != 0 ? 0 : box.body.U32();
        });
    }

    void ReadLocations(Cursor iloc) {
        const std::uint32_t version = iloc.Version();
        if (version > 2) Fail(kAvifUnsupported);
        const std::uint32_t sizes = iloc.U16();
        const int offsetSize = int(sizes >> 12), lengthSize = int(sizes >> 8 & 15);
        const int baseSize = int(sizes >> 4 & 15), indexSize = version == 0 ? 0 : int(sizes & 15);
        for (int field : {offsetSize, lengthSize, baseSize, indexSize})
            if (field != 0 && field != 4 && field != 8) Fail(kAvifBroken);
        const std::uint32_t count = version < 2 ? iloc.U16() : iloc.U32();
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t id = version < 2 ? iloc.U16() : iloc.U32();
            const std::uint32_t method = version == 0 ? 0 : iloc.U16() & 15;
            iloc.Skip(2);  // data reference index: the file itself
            const std::uint64_t base = iloc.Number(baseSize);
            const std::uint32_t extents = iloc.U16();
            Item& item = items_[id];
            if (item.located) Fail(kAvifBroken);
            item.located = true;
            item.method = method;
            for (std::uint32_t e = 0; e < extents; ++e) {
                iloc.Skip(std::size_t(indexSize));
                const std::uint64_t offset = iloc.Number(offsetSize);
                const std::uint64_t length = iloc.Number(lengthSize);
                if (offset > UINT64_MAX - base) Fail(kAvifBroken);
                item.extents.push_back({base + offset, length});
            }
        }
    }

    void ReadReferences(Cursor iref) {
        const int idSize = iref.Version() == 0 ? 2 : 4;
        ForEachBox(iref, [this, idSize](Box& box) {
            const std::uint32_t from = std::uint32_t(box.body.Number(idSize));
            const std::uint32_t count = box.body.U16();
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint32_t to = std::uint32_t(box.body.Number(idSize));
                if (box.type == FourCc("dimg")) items_[from].tiles.push_back(to);
                if (box.type == FourCc("auxl")) items_[from].alphaOf = to;
            }
        });
    }

    void ReadProperties(Cursor iprp) {
        ForEachBox(iprp, [this](Box& box) {
            if (box.type == FourCc("ipco")) {
                ForEachBox(box.body, [this](Box& property) { properties_.push_back(property); });
            } else if (box.type == FourCc("ipma")) {
                std::uint32_t flags = 0;
                const std::uint32_t version = box.body.Version(&flags);
                const std::uint32_t count = box.body.U32();
                for (std::uint32_t i = 0; i < count; ++i) {
                    const std::uint32_t id = version < 1 ? box.body.U16() : box.body.U32();
                    const std::uint32_t associations = box.body.U8();
                    for (std::uint32_t a = 0; a < associations; ++a) {
                        const std::uint32_t index =
                            flags & 1 ? box.body.U16() & 0x7FFF : box.body.U8() & 0x7F;
                        items_[id].properties.push_back(index);
                    }
                }
            }
        });
    }

    Properties PropertiesOf(const Item& item) const {
        Properties found;
        for (std::uint32_t index : item.properties) {
            if (index == 0 || index > properties_.size()) continue;
            Cursor body = properties_[index - 1].body;
            const std::uint32_t type = properties_[index - 1].type;
            if (type == FourCc("ispe")) {
                body.Version();
                const std::uint32_t width = body.U32();
                found.size = std::make_pair(width, body.U32());
            } else if (type == FourCc("colr") && !found.coding.stated) {
                found.coding = NclxCoding(body);
            } else if (type == FourCc("auxC")) {
                body.Version();
                const char* text = reinterpret_cast<const char*>(body.at());
                const std::string urn(text, std::find(text, text + body.left(), '\0'));
                found.alpha = urn == kAlphaUrn || urn == kHevcAlphaUrn;
            }
        }
        return found;
    }

    const Item& ItemOf(std::uint32_t id) const {
        const auto found = items_.find(id);
        if (found == items_.end()) Fail(kAvifBroken);
        return found->second;
    }

    // The item's data: its one extent where it lies, or its extents put together in a copy of the
    // layout's. Copies take at most the file's size in all, however the extents overlap.
    AvifCoded DataOf(const Item& item, AvifLayout* layout) {
        if (!item.located) Fail(kAvifBroken);
        if (item.method > 1) Fail(kAvifUnsupported);
        const std::uint8_t* base = data_;
        std::uint64_t size = size_;
        if (item.method == 1) {
            if (!idat_) Fail(kAvifBroken);
            base = idat_->at();
            size = idat_->left();
        }
        std::vector<std::pair<const std::uint8_t*, std::uint64_t>> pieces;
        std::uint64_t total = 0;
        for (const Extent& extent : item.extents) {
            if (extent.offset > size) Fail(kAvifTruncated);
            // A length of 0 takes the rest.
            const std::uint64_t length = extent.length != 0 ? extent.length : size - extent.offset;
            if (length > size - extent.offset) Fail(kAvifTruncated);
            pieces.emplace_back(base + extent.offset, length);
            total += length;
        }
        if (pieces.size() == 1) return AvifCoded{pieces[0].first, std::size_t(pieces[0].second)};
        if (total > copyBudget_) Fail(kAvifBroken);
        copyBudget_ -= total;
        std::vector<std::uint8_t>& copy = layout->copies.emplace_back();
        for (const auto& [at, length] : pieces) copy.insert(copy.end(), at, at + length);
        return AvifCoded{copy.data(), copy.size()};
    }

    // The AV1 picture or grid of them that item `id` is, and the picture's size.
    AvifPlane PlaneOf(std::uint32_t id, AvifLayout* layout, std::uint32_t* width, std::uint32_t* height) {
        const Item& item = ItemOf(id);
        const Properties properties = PropertiesOf(item);
        AvifPlane plane;
        plane.coding = properties.coding;
        if (item.type == FourCc("av01")) {
            if (!properties.size) Fail(kAvifBroken);
            std::tie(*width, *height) = *properties.size;
            if (!IsPictureSizeAccepted(*width, *height)) Fail(kAvifTooLarge);
            plane.tileWidth = *width;
            plane.tileHeight = *height;
            plane.tiles.push_back(DataOf(item, layout));
            return plane;
        }
        if (item.type != FourCc("grid")) Fail(kAvifUnsupported);
        const AvifCoded description = DataOf(item, layout);
        Cursor grid(description.data, description.size);
        grid.U8();  // version
        const int fieldSize = grid.U8() & 1 ? 4 : 2;
        plane.rows = int(grid.U8()) + 1;
        plane.columns = int(grid.U8()) + 1;
        *width = std::uint32_t(grid.Number(fieldSize));
        *height = std::uint32_t(grid.Number(fieldSize));
        if (!IsPictureSizeAccepted(*width, *height)) Fail(kAvifTooLarge);
        if (item.tiles.size() != std::size_t(plane.rows) * std::size_t(plane.columns)) Fail(kAvifBroken);
        for (std::uint32_t tileId : item.tiles) {
            const Item& tile = ItemOf(tileId);
            const Properties tileProperties = PropertiesOf(tile);
            if (tile.type != FourCc("av01")) Fail(kAvifUnsupported);
            if (!tileProperties.size) Fail(kAvifBroken);
            if (plane.tiles.empty()) {
                std::tie(plane.tileWidth, plane.tileHeight) = *tileProperties.size;
                if (!plane.coding.stated) plane.coding = tileProperties.coding;
            } else if (*tileProperties.size != std::make_pair(plane.tileWidth, plane.tileHeight)) {
                Fail(kAvifBroken);
            }
            plane.tiles.push_back(DataOf(tile, layout));
        }
        // The tiles cover the picture, and the last column and row reach into it.
        auto covers = [](std::uint64_t count, std::uint64_t tile, std::uint64_t whole) {
            return tile > 0 && count * tile >= whole && (count - 1) * tile < whole;
        };
        if (!covers(std::uint64_t(plane.columns), plane.tileWidth, *width) ||
            !covers(std::uint64_t(plane.rows), plane.tileHeight, *height))
            Fail(kAvifBroken);
        return plane;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::optional<std::uint32_t> primary_;
    std::map<std::uint32_t, Item> items_;
    std::vector<Box> properties_;
    std::optional<Cursor> idat_;
    std::uint64_t copyBudget_ = size_;
};

// A picture track of a sequence: its first sample, the size and coding of its sample entry.
struct Track {
    std::uint32_t id = 0;
    bool alpha = false;  // an auxiliary track referring to another
    std::uint32_t width = 0, height = 0;
    AvifColourCoding coding;
    std::optional<Extent> firstSample;
};

Track ReadTrack(Cursor trak) {
    Track track;
    ForEachBox(trak, [&track](Box& box) {
        if (box.type == FourCc("tkhd")) {
            const std::uint32_t version = box.body.Version();
            box.body.Skip(version == 1 ? 16 : 8);  // creation and modification times
            track.id = box.body.U32();
        } else if (box.type == FourCc("tref")) {
            track.alpha = track.alpha || FindBox(box.body, FourCc("auxl")).has_value();
        } else if (box.type == FourCc("mdia")) {
            const std::optional<Box> minf = FindBox(box.body, FourCc("minf"));
            const std::optional<Box> stbl = minf ? FindBox(minf->body, FourCc("stbl")) : std::nullopt;
            if (!stbl) return;
            std::optional<std::uint64_t> offset, length;
            ForEachBox(stbl->body, [&](Box& table) {
                Cursor body = table.body;
                if (table.type == FourCc("stsd")) {
                    body.Version();
                    body.U32();
                    const std::optional<Box> entry = NextBox(body);
                    if (!entry || entry->type != FourCc("av01")) Fail(kAvifUnsupported);
                    Cursor visual = entry->body;
                    visual.Skip(24);  // reserved, data reference index, pre-defined
                    track.width = visual.U16();
                    track.height = visual.U16();
                    visual.Skip(50);  // resolutions, frame count, compressor name, depth
                    if (const std::optional<Box> colr = FindBox(visual, FourCc("colr")))
                        track.coding = NclxCoding(colr->body);
                } else if (table.type == FourCc("stsz")) {
                    body.Version();
                    const std::uint32_t fixed = body.U32();
                    if (body.U32() == 0) Fail(kAvifBroken);
                    length = fixed != 0 ? fixed : body.U32();
                } else if (table.type == FourCc("stco") || table.type == FourCc("co64")) {
                    body.Version();
                    if (body.U32() == 0) Fail(kAvifBroken);
                    offset = body.Number(table.type == FourCc("stco") ? 4 : 8);
                }
            });
            if (offset && length) track.firstSample = Extent{*offset, *length};
        }
    });
    return track;
}

// The first frame of the first picture track, and the alpha track's referring to it.
void LaySequence(Cursor moov, const std::uint8_t* data, std::size_t size, AvifLayout* layout) {
    std::vector<Track> tracks;
    ForEachBox(moov, [&tracks](Box& box) {
        if (box.type == FourCc("trak")) tracks.push_back(ReadTrack(box.body));
    });
    auto planeOf = [&](const Track& track) {
        if (!track.firstSample) Fail(kAvifBroken);
        const Extent& sample = *track.firstSample;
        if (sample.offset > size || sample.length > size - sample.offset) Fail(kAvifTruncated);
        AvifPlane plane;
        plane.tileWidth = track.width;
        plane.tileHeight = track.height;
        plane.coding = track.coding;
        plane.tiles.push_back(AvifCoded{data + sample.offset, std::size_t(sample.length)});
        return plane;
    };
    const auto colour = std::find_if(tracks.begin(), tracks.end(), [](const Track& t) { return !t.alpha; });
    if (colour == tracks.end()) Fail(kAvifBroken);
    if (!IsPictureSizeAccepted(colour->width, colour->height)) Fail(kAvifTooLarge);
    layout->width = colour->width;
    layout->height = colour->height;
    layout->colour = planeOf(*colour);
    const auto alpha = std::find_if(tracks.begin(), tracks.end(), [&](const Track& t) {
        return t.alpha && t.width == colour->width && t.height == colour->height;
    });
    if (alpha != tracks.end()) layout->alpha = planeOf(*alpha);
}

}  // namespace

bool IsAvifStart(const std::uint8_t* bytes, std::size_t count) {
    if (count < 12 || std::memcmp(bytes + 4, "ftyp", 4) != 0) return false;
    const std::size_t box = std::min<std::size_t>(count, Cursor(bytes, 4).U32());
    for (std::size_t at = 8; at + 4 <= box; at += at == 8 ? 8 : 4)
        if (IsAvifBrand(Cursor(bytes + at, 4).U32())) return true;
    return false;
}

AvifReadStatus ParseAvif(const std::uint8_t* data, std::size_t size, AvifLayout* layout) {
    *layout = AvifLayout();
    try {
        Cursor file(data, size, kAvifTruncated);
        const std::optional<Box> ftyp = NextBox(file);
        if (!ftyp || ftyp->type != FourCc("ftyp")) return kAvifNotAvif;
        try {
            if (!NamesAvif(ftyp->body)) return kAvifNotAvif;
        } catch (const ParseFailure&) {
            return kAvifNotAvif;
        }
        std::optional<Cursor> meta, moov;
        ForEachBox(file, [&](Box& box) {
            if (box.type == FourCc("meta") && !meta) meta = box.body;
            if (box.type == FourCc("moov") && !moov) moov = box.body;
        });
        ItemFile items(data, size);
        if (meta) items.ReadMeta(*meta);
        if (items.HasPrimary())
            items.Lay(layout);
        else if (moov)
            LaySequence(*moov, data, size, layout);
        else
            return kAvifBroken;
        return kAvifReadOk;
    } catch (const ParseFailure& failure) {
        *layout = AvifLayout();
        return failure.status;
    } catch (const std::bad_alloc&) {
        *layout = AvifLayout();
        return kAvifReadOutOfMemory;
    }
}
