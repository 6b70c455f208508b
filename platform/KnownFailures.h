#pragma once

#include <span>

// A failure the console meets, by the platform's error code, with its reason in Japanese.
struct KnownFailure
{
    int code;
    const char16_t *reason;
};

// This platform's table (KnownFailuresUnix.cpp or KnownFailuresWindows.cpp).
std::span<const KnownFailure> knownFailures();

// Windows has no error code that says "this is a folder". The player files report a folder
// in a file's place with ERROR_DIRECTORY_NOT_SUPPORTED ("not supported on a directory"),
// which MinGW's headers lack.
constexpr int windowsDirectoryNotSupported = 336;
