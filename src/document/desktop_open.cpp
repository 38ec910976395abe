#include "document/desktop_open.h"

#include "app/event_loop.h"
#include "platform/local_path.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

QStringList pageArguments(const QStringList &arguments, const QString &currentDirectory)
{
    QStringList pages;
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(u'-'))
            continue;
        QString path = argument;
        if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            const QUrl url(argument);
            // A file: URL with a host other than this machine has no local
            // path; it stays as written, and opening it says it is not found.
            if (url.isValid() && url.isLocalFile())
                path = pathFromUrl(url); // its escapes are the name's bytes
        }
        // By text alone: the names keep the bytes they came with.
        pages << QDir::cleanPath(path.startsWith(u'/') ? path : currentDirectory + u'/' + path);
    }
    return pages;
}

bool isPageFileName(const QString &path)
{
    // By name, as the file manager chose the program: the endings of
    // text/html and application/xhtml+xml, fixed here rather than read from
    // the machine's type database so every machine agrees.
    static const QStringList endings { QStringLiteral("htm"), QStringLiteral("html"),
                                       QStringLiteral("shtml"), QStringLiteral("xhtml"),
                                       QStringLiteral("xht") };
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 && endings.contains(name.mid(dot + 1), Qt::CaseInsensitive);
}

QStringList droppedPageFiles(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files << pathFromUrl(url);
    }
    if (files.isEmpty() || !isPageFileName(files.first()))
        return {};
    return files;
}

PageDropWatcher::PageDropWatcher(QWidget *window, std::function<void(const QStringList &)> open,
                                 QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_open(std::move(open))
{
    // Drags reach the widget under the pointer that takes drops: the page's
    // view takes them itself, the window takes those over every other part.
    // The page's view is made by the browser engine, after this runs, so
    // the watch is on the application and picks this window's widgets.
    m_window->setAcceptDrops(true);
    qApp->installEventFilter(this);
}

PageDropWatcher::~PageDropWatcher()
{
    qApp->removeEventFilter(this);
}

bool PageDropWatcher::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QStringList files = droppedPageFiles(drop->mimeData());
    if (files.isEmpty())
        return false; // fragments and pictures go on to the page
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        // The save-changes prompt and the load run their own loops; not
        // inside the drag's delivery, where the source still waits.
        QPointer<PageDropWatcher> self(this);
        runFromEventLoop(this, [self, files] {
            if (self && self->m_open)
                self->m_open(files);
        });
    }
    return true; // the page's view never sees the drag: it would take the file as a link
}
