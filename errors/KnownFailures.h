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
