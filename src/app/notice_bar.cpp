#include "app/notice_bar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

NoticeBar::NoticeBar(QWidget *parent) : QFrame(parent), m_text(new QLabel(this)), m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("NoticeBar"));
    setAccessibleName(QStringLiteral("Notice"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette tint = palette();
    tint.setColor(QPalette::Window, QColor(255, 244, 206));
    tint.setColor(QPalette::WindowText, Qt::black);
    setPalette(tint);
    setFocusPolicy(Qt::NoFocus);

    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::NoTextInteraction);
    m_text->setFocusPolicy(Qt::NoFocus);

    m_close->setText(QStringLiteral("Close"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_close->setAccessibleName(QStringLiteral("Close notice"));
    m_close->setToolTip(QStringLiteral("Close notice"));
    m_close->setAutoRaise(true);
    m_close->setFocusPolicy(Qt::TabFocus);
    connect(m_close, &QToolButton::clicked, this, [this] {
        const bool hadKeyboard = isAncestorOf(QApplication::focusWidget());
        hide();
        emit shownChanged();
        if (hadKeyboard)
            emit keyboardLeft();
    });

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 4, 4);
    row->addWidget(m_text, 1);
    row->addWidget(m_close, 0, Qt::AlignTop);
    hide();
}

void NoticeBar::showNotice(const QString &text)
{
    m_text->setText(text);
    setAccessibleDescription(text);
    show();
    raise();
    emit shownChanged(); // shown, or another text that may need another height
}

void NoticeBar::hideNotice(const QString &text)
{
    if (isHidden() || m_text->text() != text)
        return;
    hide();
    emit shownChanged();
}

QString NoticeBar::text() const
{
    return isHidden() ? QString() : m_text->text();
}
