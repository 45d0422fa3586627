#include "bench/inline_page_support.h"

#include <cstdlib>

#include "bench/bench_support.h"
#include "core/data_uri.h"
#include "page/page_rewrite.h"
#include "pipeline/picture_extras.h"

const std::string& PicturePage() {
    static const std::string page = [] {
        const std::string folder = BenchFolder().File("site");
        const std::string command = "/usr/bin/python3 " KORVI_SOURCE "tests/browser/make_picture_page.py '" +
                                    folder + "' '" KORVI_CLI "'";
        return std::system(command.c_str()) == 0 ? folder + "/index.html" : std::string();
    }();
    return page;
}

std::vector<std::string> ByteCopyUris(const PagePlan& plan, std::size_t limit,
                                      std::vector<std::size_t>* bytes) {
    std::vector<std::string> uris;
    for (const PictureJob& picture : plan.pictures) {
        const Bytes file = ReadBytes(picture.path);
        if (bytes != nullptr) bytes->push_back(file.size());
        const PictureFormat* format = ShownFormat(file.data(), file.size());
        if (file.empty() || file.size() > limit || format == nullptr) {
            uris.emplace_back();
            continue;
        }
        uris.push_back(DataUriOf(file.data(), file.size(), format->mimeType));
    }
    return uris;
}

std::size_t InlinedLength(const PagePlan& plan, const std::vector<std::string>& uris) {
    std::vector<std::string_view> placed(plan.found.references.size());
    for (std::size_t i = 0; i < placed.size(); ++i)
        if (plan.pictureOf[i] != kNoPicture) placed[i] = uris[plan.pictureOf[i]];
    return EditedLength(plan.text, PageEdits(plan.found, placed, {}));
}
