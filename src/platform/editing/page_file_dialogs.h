#pragma once

// The Open and Save As dialogs of the editing component, behind an interface
// so that tests can script the user's choice.

#include <QString>

class QWidget;

class PageFileDialogs
{
public:
    virtual ~PageFileDialogs() = default;
    // The chosen file, or an empty string when the user cancelled.
    virtual QString openPagePath(QWidget *parent) = 0;
    // current: the page's path, if any, to start from. Empty when cancelled.
    virtual QString savePagePath(QWidget *parent, const QString &current) = 0;
};

class QtPageFileDialogs : public PageFileDialogs
{
public:
    QString openPagePath(QWidget *parent) override;
    QString savePagePath(QWidget *parent, const QString &current) override;
};

// A file name the user gave without an extension gets ".htm"; any other
// extension is left alone.
QString withDefaultPageExtension(const QString &path);
