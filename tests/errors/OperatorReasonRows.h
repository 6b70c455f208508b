#pragma once

// Adds this platform's rows to a table with the columns int "code" (the platform's error
// code) and QString "reason" (the operator's words for it; empty: the system's own words).
void addOperatorReasonRows();
