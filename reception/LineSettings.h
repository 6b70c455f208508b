#pragma once

// The line that a device and the console share: 9600 baud, 8 data bits, no parity, 1 stop
// bit, no flow control of either kind, set anew for every reception.
namespace LineSettings {
constexpr int baudRate = 9600;
constexpr int dataBits = 8;
constexpr int stopBits = 1;
} // namespace LineSettings
