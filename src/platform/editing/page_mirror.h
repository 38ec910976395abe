#pragma once

// The host's own copy of the page in the editor (js/92-mirror.js): the page's
// HTML as the engine serialises it, in pieces, brought up to date by each
// change notice. It outlives the renderer, so a page lost with its renderer is
// rebuilt from it, and the copy kept against a crash of the program is taken
// from it without asking the engine.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// Applies one notice's operations to the pieces, in order: a splice
// {at, remove, insert: [texts]}, or a rewrite of one piece, whole {at, text}
// or in part {at, from, remove, text}. False, with the pieces left as they
// may be, when an operation does not fit them.
bool applyMirrorOps(QStringList &pieces, const QJsonArray &ops);

class PageMirror
{
public:
    enum class Outcome
    {
        Applied,
        Ignored, // for another engine instance than the one followed
        Lost, // a notice missed or not fitting: the copy needs the page again
    };

    // Takes an update: a reset {instance, seq, reset: [texts]} starts the
    // copy over for that instance; {instance, seq, ops} must follow on from
    // the last one taken.
    Outcome take(const QJsonObject &update);

    // Whether the copy is whole and current for this engine instance.
    bool holds(const QString &instance) const
    {
        return m_whole && !instance.isEmpty() && instance == m_instance;
    }
    const QStringList &pieces() const { return m_pieces; }
    QString text() const { return m_pieces.join(QString()); }
    void clear();

private:
    QString m_instance;
    qint64 m_seq = -1;
    bool m_whole = false;
    QStringList m_pieces;
};
