#include "testpage/page_text.h"

#include <new>
#include <optional>

#include "core/fan_out.h"
#include "core/messages.h"
#include "core/work_folder.h"
#include "testpage/hidden_variants.h"
#include "testpage/page_encoding.h"
#include "testpage/page_fragments.h"

namespace {

struct Variant {
    const VariantPicture* picture;
    Encoding encoding;
};

using Outcomes = std::vector<std::optional<ConversionOutcome>>;

// Makes every variant ahead of the page, on up to `workers` threads. Each thread writes its work
// files into a folder of its own; the calling thread uses the given one.
void MakeInParallel(const std::vector<Variant>& variants, const VariantMaker& make, Outcomes& outcomes,
                    unsigned workers, const std::string& workFolder) {
    std::vector<WorkFolder> folders;
    for (unsigned k = 1; k < workers && k < variants.size(); ++k) {
        std::optional<WorkFolder> folder = WorkFolder::Create();
        if (!folder) break;  // fewer threads: the variants still get made
        folders.push_back(std::move(*folder));
    }
    RunPieces(variants.size(), unsigned(folders.size()) + 1, [&](std::size_t i, unsigned lane) {
        const Variant& v = variants[i];
        outcomes[i] = make(*v.picture, v.encoding, lane == 0 ? workFolder : folders[lane - 1].path());
    });
}

// The page as it is written: each piece goes to the writer at once.
ConversionOutcome MakeVariant(const VariantPicture& picture, const Encoding& encoding,
                              const std::string& workFolder) {
    return picture.BuildVariantTag(encoding, workFolder);
}

class PageText {
  public:
    explicit PageText(const PageWriter& write) : write_(write) {}
    void Append(const std::string& piece) { written_ = written_ && write_(piece); }
    void AppendJapanese(const std::string& piece) { Append(ShiftJisText(piece)); }
    bool written() const { return written_; }

  private:
    const PageWriter& write_;
    bool written_ = true;
};

WrittenPage WritePage(const PageSource& source, const PageOptions& options, const std::string& workFolder,
                      const PageWriter& write, const VariantMaker& make) {
    const VariantPicture original(source, kKeepSize, options.side);
    const VariantPicture converted(source, options.method, options.side);
    const bool showOriginal = !(options.flags & kHideOriginal);

    // The variants in page order; the GIF one is made even when hidden.
    std::vector<Encoding> jpegSeries, webpSeries, avifSeries;
    for (int quality : kPageQualities) {
        if (!(options.flags & HideBitForQuality(quality)))
            jpegSeries.push_back({OutputFormat::kJpeg, quality});
    }
    // A format of both forms: lossless, then every quality.
    auto bothForms = [](OutputFormat format, std::vector<Encoding>& series) {
        series.push_back({format, 0, true});
        for (int quality : kPageQualities) series.push_back({format, quality});
    };
    if (options.webp) bothForms(OutputFormat::kWebp, webpSeries);
    if (options.avif) bothForms(OutputFormat::kAvif, avifSeries);
    std::vector<Variant> variants;
    if (showOriginal) variants.push_back({&original, {OutputFormat::kBmp}});
    variants.push_back({&converted, {OutputFormat::kGif}});
    for (const Encoding& encoding : jpegSeries) variants.push_back({&converted, encoding});
    for (const Encoding& encoding : webpSeries) variants.push_back({&converted, encoding});
    for (const Encoding& encoding : avifSeries) variants.push_back({&converted, encoding});
    if (!(options.flags & kHideBmp)) variants.push_back({&converted, {OutputFormat::kBmp}});

    Outcomes outcomes(variants.size());
    if (options.workers > 1) MakeInParallel(variants, make, outcomes, options.workers, workFolder);

    WrittenPage page;
    PageText text(write);
    std::size_t next = 0;
    int counter = 1;
    // The next variant's tag, made now unless made ahead; null after its failure was noted.
    auto nextTag = [&]() -> std::optional<std::string> {
        std::optional<ConversionOutcome>& outcome = outcomes[next];
        if (!outcome) {
            const Variant& v = variants[next];
            outcome = make(*v.picture, v.encoding, workFolder);
        }
        ++next;
        if (!outcome->succeeded) {
            page.messages.push_back(outcome->message);
            return std::nullopt;
        }
        return std::move(outcome->text);
    };
    auto appendSection = [&](const std::string& tag, const Encoding& encoding) {
        const CopyButton button = BuildCopyButton(counter);
        text.Append(VariantHeading(encoding));
        text.Append(tag);
        text.AppendJapanese(page::kDataSizeLabel);
        text.Append(FormatDataSize(tag.size()));
        text.AppendJapanese(page::kDataSizeUnit);
        text.Append(button.before);
        text.Append(tag);
        text.Append(button.after);
    };

    text.Append(page::kOpening);
    if (showOriginal) {
        text.AppendJapanese(page::kOriginalHeading);
        if (std::optional<std::string> tag = nextTag()) text.Append(*tag);
    }
    text.AppendJapanese(page::kSourceSizeRow);
    text.Append(SizeText(source.width, source.height));
    text.AppendJapanese(page::kMethodRow);
    text.AppendJapanese(MethodText(options.method, options.side));
    text.AppendJapanese(page::kConvertedSizeRow);
    if (std::optional<std::string> gif = nextTag()) {
        text.Append(SizeText(converted.width(), converted.height()));
        text.Append(page::kTableEnd);
        if (!(options.flags & kHideGif)) appendSection(*gif, {OutputFormat::kGif});
    }
    // A quality that fails ends its series; a failed lossless variant is only left out.
    auto appendSeries = [&](const std::vector<Encoding>& series) {
        bool failed = false;
        for (const Encoding& encoding : series) {
            if (failed) {
                ++next;  // made ahead perhaps, but the series ended before it
            } else if (std::optional<std::string> tag = nextTag()) {
                appendSection(*tag, encoding);
            } else {
                failed = !encoding.lossless;
            }
        }
    };
    appendSeries(jpegSeries);
    appendSeries(webpSeries);
    appendSeries(avifSeries);
    if (!(options.flags & kHideBmp)) {
        if (std::optional<std::string> tag = nextTag()) appendSection(*tag, {OutputFormat::kBmp});
    }
    text.Append(page::kClosing);
    page.written = text.written();
    return page;
}

}  // namespace

WrittenPage StreamTestPage(const PageSource& source, const PageOptions& options,
                           const std::string& workFolder, const PageWriter& write, const VariantMaker& make) {
    try {
        return WritePage(source, options, workFolder, write, make);
    } catch (const std::bad_alloc&) {
        WrittenPage failed;
        failed.messages = {kMsgConversionError};
        failed.complete = false;
        return failed;
    }
}

WrittenPage StreamTestPage(const PageSource& source, const PageOptions& options,
                           const std::string& workFolder, const PageWriter& write) {
    return StreamTestPage(source, options, workFolder, write, MakeVariant);
}
