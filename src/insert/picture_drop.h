#pragma once

// Picture files dropped on the page go in as the picture panel puts them in:
// the same element, at the drop point. The browser would otherwise show the
// file in place of the page or link to it.

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QMimeData;
class QPoint;
class QWidget;

// The local files of a drag that can be read as pictures, in order, when
// the first local file is one; otherwise none, and the drag goes on (a page
// file to be opened, anything else to the page).
QStringList droppedPictureFiles(const QMimeData *data);

// The picture panel's element for the file at its natural size, with the
// panel's first border and no alternative text; empty when the file cannot
// be read as a picture.
QString droppedPictureHtml(const QString &path);

// Watches drags over the page's control and every widget inside it (the
// browser engine makes those later) and takes those carrying pictures: the
// drop hands the files and the drop point, in the control's pixels, to the
// given call, from the event loop once the drag has ended.
class PictureDropWatcher : public QObject
{
    Q_OBJECT
public:
    PictureDropWatcher(QWidget *page,
                       std::function<void(const QStringList &, const QPoint &)> insert,
                       QObject *parent = nullptr);
    ~PictureDropWatcher() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_page;
    std::function<void(const QStringList &, const QPoint &)> m_insert;
    // The current drag's files: reading them again at every move is slow.
    const QMimeData *m_data = nullptr;
    QStringList m_files;
};
