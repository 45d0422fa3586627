#include "testpage/page_encoding.h"

std::string ShiftJisText(const std::string& programText) {
    return programText;
}
