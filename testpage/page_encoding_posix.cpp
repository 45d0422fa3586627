#include <iconv.h>

#include "testpage/page_encoding.h"

std::string ShiftJisText(const std::string& programText) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return programText;
    // Shift_JIS never takes more bytes than UTF-8 for the same characters.
    std::string converted(programText.size(), '\0');
    char* in = const_cast<char*>(programText.data());
    std::size_t inLeft = programText.size();
    char* out = converted.data();
    std::size_t outLeft = converted.size();
    const bool complete = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!complete) return programText;
    converted.resize(converted.size() - outLeft);
    return converted;
}
