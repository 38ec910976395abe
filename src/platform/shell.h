#pragma once

// The desktop's shell: hands a file to the program the desktop opens it
// with (for a page, the default web browser). Behind an interface so tests
// can see what would have been opened.

#include <QString>

class DesktopShell
{
public:
    virtual ~DesktopShell() = default;
    // False when the desktop could not start a program for it.
    virtual bool openWithDefaultProgram(const QString &path) = 0;
};

class QtDesktopShell : public DesktopShell
{
public:
    bool openWithDefaultProgram(const QString &path) override;
};
