#pragma once

#include <QStringList>

#include <optional>

// Undo and redo across loads that replace the whole page (a page applied
// from the source view): the engine's history ends with its page, so each
// page left behind is kept as the whole pages it passed through, one a step,
// and going back to one of them loads it. Every list here runs from the
// farthest page to the nearest.
class PageStates
{
public:
    // At most this many pages, and this many characters in all, are kept;
    // the farthest go first.
    static constexpr int MaxStates = 100;
    static constexpr qsizetype MaxChars = 32 * 1024 * 1024;

    // The page is replaced by a new one: its past and the page itself can be
    // gone back to; what was undone before is no longer ahead.
    void leave(const QStringList &past, const QString &current);
    // Undo past the start of the page's own history: the page to load, while
    // the page and what was undone in it wait ahead.
    std::optional<QString> undo(const QString &current, const QStringList &ahead);
    // Redo past the end of the page's own history.
    std::optional<QString> redo(const QStringList &past, const QString &current);

    bool canUndo() const { return !m_back.isEmpty(); }
    bool canRedo() const { return !m_ahead.isEmpty(); }
    void dropBack() { m_back.clear(); }
    void dropAhead() { m_ahead.clear(); }

private:
    static void keepWithin(QStringList &pages);
    QStringList m_back;  // nearest last
    QStringList m_ahead; // nearest last
};
