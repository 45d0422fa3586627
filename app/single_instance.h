// What the start makes of the single-instance mutex, decided without the system.
#pragma once

#include <cstdint>

// The error numbers CreateMutexA leaves for GetLastError.
constexpr std::uint32_t kErrorAccessDenied = 5, kErrorAlreadyExists = 183;

enum class InstanceCheck { kFirst, kAlreadyRunning, kSystemError };

// From whether CreateMutexA gave a handle and the error it left. A copy started with other rights
// than the running one is refused the mutex instead of getting it: that one runs already, too.
inline InstanceCheck CheckInstance(bool gotHandle, std::uint32_t lastError) {
    if (!gotHandle) {
        return lastError == kErrorAccessDenied ? InstanceCheck::kAlreadyRunning : InstanceCheck::kSystemError;
    }
    return lastError == kErrorAlreadyExists ? InstanceCheck::kAlreadyRunning : InstanceCheck::kFirst;
}
