#pragma once

// Adds this platform's rows to a table with the columns int "code" (the platform's error
// code) and SystemError::Kind "kind" (which failure the console knows it as).
void addKnownFailureRows();
