#pragma once

#include "SystemError.h"

#include <span>

// A platform's error code, and which failure the console knows it as.
struct KnownFailure
{
    int code;
    SystemError::Kind kind;
};

// This platform's table (KnownFailuresUnix.cpp or KnownFailuresWindows.cpp).
std::span<const KnownFailure> knownFailures();
