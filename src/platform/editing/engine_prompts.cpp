// The component's two questions about work that takes long: a paste larger
// than the page takes at once, and an engine that has not answered in time.

#include "platform/editing/engine_dialogs.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

LargePasteChoice QtEngineDialogs::askLargePaste(QWidget *parent, qint64 bytes, bool hasHtml)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Paste"),
                    QStringLiteral("The clipboard holds %1 MB of %2. Pasting it can take a "
                                   "while and makes the page much larger.")
                        .arg(double(bytes) / (1024 * 1024), 0, 'f', 1)
                        .arg(hasHtml ? QStringLiteral("HTML") : QStringLiteral("text")),
                    QMessageBox::NoButton, parent);
    QPushButton *paste = box.addButton(QStringLiteral("&Paste"), QMessageBox::AcceptRole);
    QPushButton *text = hasHtml
        ? box.addButton(QStringLiteral("Paste as plain &text"), QMessageBox::AcceptRole)
        : nullptr;
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(paste);
    box.exec();
    if (box.clickedButton() == paste)
        return LargePasteChoice::Paste;
    if (text && box.clickedButton() == text)
        return LargePasteChoice::PasteAsText;
    return LargePasteChoice::Cancel;
}

bool QtEngineDialogs::keepWaiting(QWidget *parent, int seconds,
                                  const std::function<bool()> &answered)
{
    // Without a screen nobody could answer: the page is reloaded.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return false;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Corvane DHTML Editor"),
                    QStringLiteral("The editing engine has not answered for %1 seconds. It may "
                                   "still be working on a large change.\n\nWait for it, or "
                                   "reload the page from the copy the editor keeps of it (the "
                                   "change it is working on is then dropped)?")
                        .arg(seconds),
                    QMessageBox::NoButton, parent);
    QPushButton *wait = box.addButton(QStringLiteral("&Wait"), QMessageBox::AcceptRole);
    QPushButton *reload
        = box.addButton(QStringLiteral("&Reload the page"), QMessageBox::DestructiveRole);
    box.setDefaultButton(wait);
    box.setEscapeButton(wait);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        if (answered())
            wait->click();
    });
    poll.start(200);
    box.exec();
    return box.clickedButton() != reload;
}
