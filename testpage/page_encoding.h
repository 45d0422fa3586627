// The test page is Shift_JIS (code page 932) whichever build writes it.
#pragma once

#include <string>

// A program text in Shift_JIS. The Windows build compiles its texts to code page 932 already;
// natively they are UTF-8 and are converted.
std::string ShiftJisText(const std::string& programText);
