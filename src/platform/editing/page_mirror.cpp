#include "platform/editing/page_mirror.h"

namespace {

bool fits(qsizetype at, qsizetype count, qsizetype size)
{
    return at >= 0 && count >= 0 && at <= size && count <= size - at;
}

} // namespace

bool applyMirrorOps(QStringList &pieces, const QJsonArray &ops)
{
    for (const QJsonValue &value : ops) {
        const QJsonObject op = value.toObject();
        const qsizetype at = op.value("at").toInteger(-1);
        if (op.contains("insert")) {
            const qsizetype remove = op.value("remove").toInteger(-1);
            if (!fits(at, remove, pieces.size()) || !op.value("insert").isArray())
                return false;
            const QJsonArray insert = op.value("insert").toArray();
            QStringList texts;
            texts.reserve(insert.size());
            for (const QJsonValue &t : insert)
                texts << t.toString();
            // One move of the pieces after them, not one per piece put in:
            // a large paste puts in thousands before thousands more.
            pieces.remove(at, remove);
            pieces.insert(at, texts.size(), QString());
            for (qsizetype i = 0; i < texts.size(); ++i)
                pieces[at + i] = std::move(texts[i]);
        } else if (op.value("text").isString()) {
            if (!fits(at, 1, pieces.size()))
                return false;
            const QString text = op.value("text").toString();
            if (!op.contains("from")) {
                pieces[at] = text;
                continue;
            }
            const qsizetype from = op.value("from").toInteger(-1);
            const qsizetype remove = op.value("remove").toInteger(-1);
            if (!fits(from, remove, pieces.at(at).size()))
                return false;
            pieces[at].replace(from, remove, text);
        } else {
            return false;
        }
    }
    return true;
}

PageMirror::Outcome PageMirror::take(const QJsonObject &update)
{
    const QString instance = update.value("instance").toString();
    const qint64 seq = update.value("seq").toInteger(-1);
    if (update.value("reset").isArray()) {
        QStringList pieces;
        for (const QJsonValue &t : update.value("reset").toArray())
            pieces << t.toString();
        m_pieces = std::move(pieces);
        m_instance = instance;
        m_seq = seq;
        m_whole = !instance.isEmpty();
        return Outcome::Applied;
    }
    if (instance != m_instance)
        return Outcome::Ignored; // an engine that is gone, or not yet followed
    if (!m_whole)
        return Outcome::Lost;
    if (seq != m_seq + 1 || !applyMirrorOps(m_pieces, update.value("ops").toArray())) {
        m_whole = false;
        return Outcome::Lost;
    }
    m_seq = seq;
    return Outcome::Applied;
}

void PageMirror::clear()
{
    m_instance.clear();
    m_seq = -1;
    m_whole = false;
    m_pieces.clear();
}
