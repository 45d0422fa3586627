// The pieces the test page is made of, in program text (see page_encoding.h).
#pragma once

#include <cstddef>
#include <string>

#include "pipeline/output_settings.h"

// A byte count with a comma between groups of three digits; millions are not grouped further.
std::string FormatDataSize(std::size_t bytes);

// A text box holding a tag and a button that copies it, with a script of its own: the text before
// the tag and the text after it. `counter` numbers the ids and advances by one.
struct CopyButton {
    std::string before, after;
};
CopyButton BuildCopyButton(int& counter);

// "<hr><h3>GIF</h3>", "<hr><h3>BMP</h3>", "<hr><h3>Jpeg(q=Q)</h3>", "<hr><h3>WebP(q=Q)</h3>",
// "<hr><h3>WebP(lossless)</h3>" and the same for AVIF, each with CR LF.
std::string VariantHeading(const Encoding& encoding);

// The resize method as the size table words it, with the side length filled in.
std::string MethodText(int method, int side);

// "W x H".
std::string SizeText(int width, int height);

namespace page {
constexpr char kOpening[] = "<html><head><meta charset=\"Shift_JIS\"></head>\r\n<body>";
constexpr char kOriginalHeading[] = "<h3>元の画像</h3>\r\n";
constexpr char kSourceSizeRow[] = "<br><table><tr><td align=\"right\">元の画像サイズ:</td><td>";
constexpr char kMethodRow[] = "</td></tr>\r\n<tr><td align=\"right\">変更方法:</td><td>";
constexpr char kConvertedSizeRow[] = "</td></tr>\r\n<tr><td align=\"right\">変換した画像サイズ:</td><td>";
constexpr char kTableEnd[] = "</td></tr></table>\r\n";
constexpr char kDataSizeLabel[] = "<br>データサイズ:";
constexpr char kDataSizeUnit[] = "バイト<br>\r\n";
constexpr char kClosing[] = "</body></html>";
}  // namespace page
