#pragma once

class Samples;

// Transmissions decoded per second by the pure decoding, over a fixed mix of valid and
// invalid transmissions; one sample per run of about runMs milliseconds.
void measureDecodingThroughput(int runs, int runMs, Samples *perSecond);
