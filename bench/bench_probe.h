#pragma once

// Clocks, statistics and memory readings for the measurements.

#include <QJsonObject>
#include <QList>

#include <functional>

// Milliseconds since this process was started by the kernel, from the start
// time in /proc/self/stat (10 ms steps); -1 if it cannot be read.
double msSinceProcessStart();

double median(QList<double> values);
// The 90th percentile (nearest rank).
double percentile90(QList<double> values);

// Runs the event loop until done() holds or the time runs out; false on timeout.
bool waitUntil(const std::function<bool()> &done, int timeoutMs);

// Peak resident set sizes in MB: this process ("self") and the sum over its
// descendants ("renderers": the browser engine's helper processes, each at its
// own peak, so shared pages count more than once), and their total.
QJsonObject peakMemoryMb();

// {"editor": e, "bare": b, "ratio": e / b}.
QJsonObject compared(double editor, double bare);
