#pragma once

// Windows has no error code that says "this is a folder". The player files report a folder
// in a file's place with ERROR_DIRECTORY_NOT_SUPPORTED ("not supported on a directory"),
// which MinGW's headers lack.
constexpr int windowsDirectoryNotSupported = 336;
