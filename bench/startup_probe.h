#pragma once

// Start-up and memory are measured in fresh processes: this program runs
// itself with --child, once for the real editor and once for a bare view.
// Each child starts up, then holds the given page, and prints one JSON line:
//   {"startup_ms": from the kernel's process start to the first page shown,
//    "since_main_ms": the same from main(), "memory": peakMemoryMb()}

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>

enum class StartupKind { Editor, Bare };

// The child's side; mainClock was started on entry to main().
int runStartupChild(StartupKind kind, const QString &pagePath, const QElapsedTimer &mainClock);

// The parent's side: runs one child and returns its line, or an empty object.
QJsonObject spawnStartupChild(StartupKind kind, const QString &pagePath);
