#pragma once

#include <functional>

class QWidget;

// Runs `then` once, after `window` has painted for the first time and its picture has gone to
// the windowing system: for what need not hold the window back.
void afterFirstPaint(QWidget *window, std::function<void()> then);
