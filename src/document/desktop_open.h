#pragma once

// Pages handed to the editor the way the desktop hands them: file names or
// file: URLs on the command line (the file manager's "Open With"), and page
// files dropped on the window.

#include <QObject>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

// The editor holds one page at a time: said when more than one is handed over.
inline const QString OnePageAtATimeMessage = QStringLiteral(
    "The editor holds one page at a time, so only the first page given was opened.");

// The pages named on a command line (the program's name left off): file:
// URLs become local paths, relative paths count from currentDirectory, and
// options (starting with '-') are skipped, except after "--".
QStringList pageArguments(const QStringList &arguments, const QString &currentDirectory);

// True for a file whose name says it is an HTML or XHTML page, the types the
// desktop entry offers to open.
bool isPageFileName(const QString &path);

// The local files a drag carries, in order, when the first of them is a
// page file; otherwise none (other drops are the page's own business).
QStringList droppedPageFiles(const QMimeData *data);

// Watches drags over every widget of one window, the page's view included,
// and takes those that carry a page file: the drop opens the files through
// the given call, from the event loop, once the drag has ended.
class PageDropWatcher : public QObject
{
    Q_OBJECT
public:
    PageDropWatcher(QWidget *window, std::function<void(const QStringList &)> open,
                    QObject *parent = nullptr);
    ~PageDropWatcher() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    std::function<void(const QStringList &)> m_open;
};
