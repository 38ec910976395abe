#include "platform/editing/page_states.h"

void PageStates::leave(const QStringList &past, const QString &current)
{
    m_back += past;
    m_back.append(current);
    m_ahead.clear();
    keepWithin(m_back);
}

std::optional<QString> PageStates::undo(const QString &current, const QStringList &ahead)
{
    if (m_back.isEmpty())
        return std::nullopt;
    // The page itself comes back first on redo, then what was undone in it.
    m_ahead += ahead;
    m_ahead.append(current);
    keepWithin(m_ahead);
    return m_back.takeLast();
}

std::optional<QString> PageStates::redo(const QStringList &past, const QString &current)
{
    if (m_ahead.isEmpty())
        return std::nullopt;
    m_back += past;
    m_back.append(current);
    keepWithin(m_back);
    return m_ahead.takeLast();
}

void PageStates::keepWithin(QStringList &pages)
{
    qsizetype chars = 0;
    qsizetype keep = 0;
    // Counted from the nearest: whatever lies beyond either bound goes.
    for (qsizetype i = pages.size() - 1; i >= 0; --i) {
        chars += pages[i].size();
        if (keep == MaxStates || (keep > 0 && chars > MaxChars))
            break;
        ++keep;
    }
    pages.erase(pages.begin(), pages.end() - keep);
}
