// The result of every picture reader. Readers add negative numbers of their own.
#pragma once

using ReaderStatus = int;

constexpr ReaderStatus kReaderOk = 0;
constexpr ReaderStatus kReaderCannotRead = -1;
constexpr ReaderStatus kReaderUnsupported = -3;
constexpr ReaderStatus kReaderOutOfMemory = -6;
