#include "insert/picture_drop.h"

#include "app/event_loop.h"
#include "insert/insert_texts.h"
#include "insert/picture_fit.h"

#include <QApplication>
#include <QDropEvent>
#include <QImageReader>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

QStringList droppedPictureFiles(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList files;
    bool first = true;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        const bool picture = QImageReader(path).canRead();
        if (first && !picture)
            return {};
        first = false;
        if (picture)
            files << path;
    }
    return files;
}

QString droppedPictureHtml(const QString &path)
{
    // Read as the panel's preview reads it, so the size is the one the
    // panel's fields would show.
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return pictureHtml(path, QStringLiteral("0"), singleText(float(image.width())),
                       singleText(float(image.height())), QString());
}

PictureDropWatcher::PictureDropWatcher(
    QWidget *page, std::function<void(const QStringList &, const QPoint &)> insert,
    QObject *parent)
    : QObject(parent)
    , m_page(page)
    , m_insert(std::move(insert))
{
    if (m_page)
        qApp->installEventFilter(this);
}

PictureDropWatcher::~PictureDropWatcher()
{
    qApp->removeEventFilter(this);
}

bool PictureDropWatcher::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !m_page || (widget != m_page && !m_page->isAncestorOf(widget)))
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    if (type == QEvent::DragEnter || drop->mimeData() != m_data) {
        m_data = drop->mimeData();
        m_files = droppedPictureFiles(m_data);
    }
    if (m_files.isEmpty())
        return false; // not pictures: the page's own business
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        const QPoint point = widget->mapTo(m_page, drop->position().toPoint());
        const QStringList files = m_files;
        m_data = nullptr;
        m_files.clear();
        // The insert waits for the page's answers in a loop of its own: not
        // inside the drag's delivery, where the source still waits.
        QPointer<PictureDropWatcher> self(this);
        runFromEventLoop(this, [self, files, point] {
            if (self && self->m_insert)
                self->m_insert(files, point);
        });
    }
    return true; // the browser never sees it: it would open the file or link to it
}
