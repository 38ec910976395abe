#include "document/help.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QString helpFilePath(const QString &currentDirectory)
{
    return currentDirectory + QStringLiteral("/") + HelpFileName;
}

QString installedHelpFilePath(const QString &programDirectory)
{
    // packaging/CMakeLists.txt installs the program to bin and the guide here.
    return QDir::cleanPath(programDirectory + QStringLiteral("/../share/corvane-editor/"))
        + QStringLiteral("/") + HelpFileName;
}

QString helpFileFor(const QString &currentDirectory, const QString &programDirectory)
{
    const QString local = helpFilePath(currentDirectory);
    if (QFileInfo::exists(local))
        return local;
    const QString installed = installedHelpFilePath(programDirectory);
    return QFileInfo(installed).isFile() ? installed : local;
}

HelpWindow::HelpWindow(QWidget *parent)
    : QDialog(parent)
    , m_browser(new QTextBrowser(this))
    , m_contents(new QPushButton(QStringLiteral("&Contents"), this))
    , m_back(new QPushButton(QStringLiteral("&Back"), this))
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Corvane DHTML Editor Help"));
    // Beside the editor, as a help viewer is: the user can read and edit.
    setModal(false);
    resize(640, 560);
    m_browser->setObjectName(QStringLiteral("helpText"));
    m_browser->setAccessibleName(QStringLiteral("Help text"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    m_back->setEnabled(false);
    connect(m_contents, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_contents);
    buttons->addWidget(m_back);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addLayout(buttons);
}

void HelpWindow::showFile(const QString &path)
{
    QFile file(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_browser->setSource(QUrl());
        m_browser->clearHistory();
        m_browser->setHtml(
            QStringLiteral("<h2>Help is not available</h2><p>The help file <b>%1</b> could not "
                           "be opened: %2.</p><p>The editor looks for <b>%3</b> in the folder "
                           "it was started from.</p>")
                .arg(shown.toHtmlEscaped(), file.errorString().toHtmlEscaped(), HelpFileName));
    } else {
        file.close();
        // The file's name says nothing of its type; it is HTML. It may have
        // changed since the last time.
        m_browser->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
        m_browser->reload();
        m_browser->clearHistory();
    }
    show();
    raise();
    activateWindow();
    m_browser->setFocus(Qt::OtherFocusReason);
}
