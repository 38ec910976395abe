#include "platform/editing/encoding_detect.h"

#include "platform/editing/page_file.h"

#include <QList>
#include <QStringDecoder>

#include <unicode/ucsdet.h>

#include <algorithm>
#include <memory>

namespace {

// ICU's detector looks at no more than 8 KB of what it is given.
constexpr qsizetype SampleLimit = 8000;
constexpr qsizetype CheckedLimit = 1024 * 1024;
// Below these the detector is guessing: the page stays windows-1252, as
// before, rather than turn into another script.
constexpr int MultiByteConfidence = 50;
constexpr int SingleByteConfidence = 30;
constexpr int SingleByteMargin = 15;
// A few accented letters say nothing of a language: the single-byte guesses
// need this many non-ASCII bytes in the text judged.
constexpr qsizetype SingleByteEvidence = 20;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isHigh(char c)
{
    return uchar(c) >= 0x80;
}

qsizetype indexOfCaseless(QByteArrayView s, QByteArrayView what, qsizetype from)
{
    for (qsizetype at = s.indexOf(what.first(2), from); at >= 0;
         at = s.indexOf(what.first(2), at + 1)) {
        if (s.sliced(at).first(qMin(s.size() - at, what.size())).compare(what, Qt::CaseInsensitive)
            == 0)
            return at;
    }
    return -1;
}

// Where the markup that starts at `at` (a '<') ends, or `at` itself when the
// '<' opens nothing and is text. The content of script and style goes with
// their start tag. Safe on the bytes of every encoding the detector weighs:
// none of them has '<' or '>' as part of a multi-byte character.
qsizetype markupEnd(QByteArrayView s, qsizetype at)
{
    const qsizetype n = s.size();
    if (s.sliced(at).startsWith("<!--")) {
        const qsizetype end = s.indexOf("-->", at + 4);
        return end < 0 ? n : end + 3;
    }
    const char next = at + 1 < n ? s[at + 1] : '\0';
    if (next != '!' && next != '?' && next != '/' && !isLetter(next))
        return at;
    const qsizetype close = s.indexOf('>', at + 1);
    if (close < 0)
        return n;
    for (const QByteArrayView raw : { QByteArrayView("script"), QByteArrayView("style") }) {
        const qsizetype after = at + 1 + raw.size();
        if (after <= n && s.sliced(at + 1, raw.size()).compare(raw, Qt::CaseInsensitive) == 0
            && (after == n || !isLetter(s[after]))) {
            const qsizetype end = indexOfCaseless(s, QByteArray("</") + raw.toByteArray(), close);
            return end < 0 ? n : end;
        }
    }
    return close + 1;
}

// How many characters reading the bytes as `encoding` could not make out.
// Qt's converters put U+FFFD for them, the platform's (ICU) ones U+001A.
qsizetype misreadCount(const QByteArray &encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding.constData(), QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    const qsizetype made = text.count(QChar(QChar::ReplacementCharacter)) + text.count(QChar(0x1A))
        - bytes.count('\x1A');
    return decoder.hasError() ? qMax<qsizetype>(made, 1) : qMax<qsizetype>(made, 0);
}

// ISO-2022-JP is all 7-bit: what tells it is its shifts into the JIS sets.
bool readsAsIso2022Jp(QByteArrayView bytes)
{
    const bool shifts
        = bytes.contains("\x1B$B") || bytes.contains("\x1B$@") || bytes.contains("\x1B$(D");
    return shifts && misreadCount("ISO-2022-JP", bytes) == 0;
}

// In pieces that end before an ASCII byte, so that a page in another
// encoding is found out in its first piece with text.
bool isValidUtf8(QByteArrayView bytes)
{
    constexpr qsizetype Piece = 64 * 1024;
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = qMin(bytes.size(), at + Piece);
        while (end < bytes.size() && isHigh(bytes[end]))
            ++end;
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text
            = decoder.decode(bytes.sliced(at, end - at)); // decode() alone converts nothing
        if (decoder.hasError())
            return false;
        at = end;
    }
    return true;
}

// Whether a single-byte encoding reads each non-ASCII byte of the page as
// windows-1252 does; then there is nothing to gain from it.
bool readsLikeWindows1252(const QByteArray &encoding, QByteArrayView bytes)
{
    bool seen[128] = {};
    for (const char c : bytes) {
        if (isHigh(c))
            seen[uchar(c) - 0x80] = true;
    }
    QByteArray present;
    for (int i = 0; i < 128; ++i) {
        if (seen[i])
            present += char(0x80 + i);
    }
    QStringDecoder candidate(encoding.constData(), QStringDecoder::Flag::Stateless);
    QStringDecoder western("windows-1252", QStringDecoder::Flag::Stateless);
    return QString(candidate.decode(present)) == QString(western.decode(present));
}

enum class Kind { Western, MultiByte, SingleByte };

struct Candidate
{
    const char *detected; // as ICU names it
    const char *readAs; // the encoding a browser reads for it
    Kind kind;
};

// What the detector may name and we take. Left out: the UTF-16/32 readings
// (told elsewhere), ISO-2022-KR and -CN (browsers refuse them), EBCDIC.
constexpr Candidate Candidates[] = {
    { "ISO-8859-1", "windows-1252", Kind::Western },
    { "windows-1252", "windows-1252", Kind::Western },
    { "Shift_JIS", "Shift_JIS", Kind::MultiByte },
    { "EUC-JP", "EUC-JP", Kind::MultiByte },
    { "EUC-KR", "windows-949", Kind::MultiByte },
    { "Big5", "Big5", Kind::MultiByte },
    { "GB18030", "GB18030", Kind::MultiByte },
    { "KOI8-R", "KOI8-R", Kind::SingleByte },
    { "windows-1250", "windows-1250", Kind::SingleByte },
    { "windows-1251", "windows-1251", Kind::SingleByte },
    { "windows-1253", "windows-1253", Kind::SingleByte },
    { "windows-1254", "windows-1254", Kind::SingleByte },
    { "windows-1255", "windows-1255", Kind::SingleByte },
    { "windows-1256", "windows-1256", Kind::SingleByte },
    { "ISO-8859-2", "ISO-8859-2", Kind::SingleByte },
    { "ISO-8859-5", "ISO-8859-5", Kind::SingleByte },
    { "ISO-8859-6", "ISO-8859-6", Kind::SingleByte },
    { "ISO-8859-7", "ISO-8859-7", Kind::SingleByte },
    { "ISO-8859-8", "ISO-8859-8", Kind::SingleByte },
    { "ISO-8859-8-I", "ISO-8859-8", Kind::SingleByte },
    { "ISO-8859-9", "windows-1254", Kind::SingleByte },
};

const Candidate *candidate(const char *detected)
{
    for (const Candidate &c : Candidates) {
        if (qstrcmp(c.detected, detected) == 0)
            return &c;
    }
    return nullptr;
}

struct Match
{
    const Candidate *candidate;
    int confidence;
};

// The detector's readings of the sample that we know, best first.
QList<Match> detectorMatches(const QByteArray &sample)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status),
                                                                              ucsdet_close);
    if (U_FAILURE(status))
        return {};
    ucsdet_setText(detector.get(), sample.constData(), int32_t(sample.size()), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector.get(), &count, &status);
    QList<Match> known;
    for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i) {
        const char *name = ucsdet_getName(matches[i], &status);
        const int confidence = ucsdet_getConfidence(matches[i], &status);
        if (U_SUCCESS(status) && name) {
            if (const Candidate *c = candidate(name))
                known.append({ c, confidence });
        }
    }
    return known;
}

} // namespace

QByteArray detectionSample(QByteArrayView bytes, qsizetype limit)
{
    QByteArray all; // every stretch of text, while they fit
    QByteArray chosen; // the stretches with non-ASCII bytes
    QByteArray stretch;
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        // A stretch of text up to the next markup, its white space made one.
        stretch.clear();
        bool high = false, space = false;
        qsizetype markup = n;
        for (; i < n; ++i) {
            const char c = bytes[i];
            if (c == '<' && (markup = markupEnd(bytes, i)) > i)
                break;
            markup = n;
            if (isSpace(c)) {
                space = !stretch.isEmpty();
                continue;
            }
            if (space)
                stretch += ' ';
            space = false;
            stretch += c;
            high = high || isHigh(c);
        }
        i = markup;
        if (stretch.isEmpty())
            continue;
        if (all.size() <= limit)
            all += (all.isEmpty() ? "" : " ") + stretch;
        if (!high)
            continue;
        if (!chosen.isEmpty())
            chosen += ' ';
        if (chosen.size() + stretch.size() > limit) {
            // Cut between words, never inside a character of several bytes.
            QByteArrayView piece
                = QByteArrayView(stretch).first(qMax<qsizetype>(0, limit - chosen.size()));
            const qsizetype cut = piece.lastIndexOf(' ');
            return chosen.append(cut > 0 ? piece.first(cut) : piece);
        }
        chosen += stretch;
    }
    if (all.size() <= limit)
        return all;
    return chosen.isEmpty() ? all.first(limit) : chosen.trimmed();
}

QString declarationSearchText(QByteArrayView bytes, qsizetype limit)
{
    const QByteArrayView head = bytes.first(qMin(bytes.size(), limit));
    QString text = QString::fromLatin1(head);
    // ISO-2022-JP is 7-bit, and goes back to ASCII before each line end.
    if (!head.contains('\x1B') || std::any_of(head.begin(), head.end(), isHigh))
        return text;
    bool shifted = false;
    for (qsizetype i = 0; i < head.size(); ++i) {
        if (head[i] == '\x1B') {
            const QByteArrayView rest = head.sliced(i + 1);
            if (rest.startsWith("$@") || rest.startsWith("$B") || rest.startsWith("(I")) {
                shifted = true;
                i += 2;
            } else if (rest.startsWith("$(D")) {
                shifted = true;
                i += 3;
            } else if (rest.startsWith("(B") || rest.startsWith("(J")) {
                shifted = false;
                i += 2;
            }
            continue;
        }
        if (head[i] == '\n' || head[i] == '\r')
            shifted = false;
        else if (shifted)
            text[i] = u'x';
    }
    return text;
}

QByteArray detectUndeclaredEncoding(QByteArrayView bytes)
{
    if (std::none_of(bytes.begin(), bytes.end(), isHigh))
        return readsAsIso2022Jp(bytes) ? QByteArray("ISO-2022-JP") : QByteArray("UTF-8");
    if (isValidUtf8(bytes))
        return "UTF-8";
    // How well the bytes read in a candidate is judged on the first
    // megabyte, cut at a line end (never inside a character); the rest is
    // counted when the page is read.
    QByteArrayView checked = bytes.first(qMin<qsizetype>(bytes.size(), CheckedLimit));
    if (checked.size() < bytes.size() && checked.lastIndexOf('\n') > 0)
        checked = checked.first(checked.lastIndexOf('\n'));
    const qsizetype checkedHigh = std::count_if(checked.begin(), checked.end(), isHigh);
    const QByteArray sample = detectionSample(bytes, SampleLimit);
    const qsizetype evidence = std::count_if(sample.begin(), sample.end(), isHigh);
    const QList<Match> matches = detectorMatches(sample);
    int western = 0;
    for (const Match &m : matches) {
        if (m.candidate->kind == Kind::Western)
            western = qMax(western, m.confidence);
    }
    // The best reading decides; a later one is taken only when the bytes do
    // not read in a better one, and it must be as sure.
    for (const Match &m : matches) {
        const Candidate &c = *m.candidate;
        if (c.kind == Kind::Western)
            break;
        const bool sure = c.kind == Kind::MultiByte ? m.confidence >= MultiByteConfidence
                                                    : m.confidence >= SingleByteConfidence
                && m.confidence >= western + SingleByteMargin && evidence >= SingleByteEvidence;
        if (!sure)
            break;
        const QByteArray name = canonicalEncodingName(QString::fromLatin1(c.readAs));
        if (name.isEmpty() || misreadCount(name, checked) * 100 > checkedHigh)
            continue;
        if (c.kind == Kind::SingleByte && readsLikeWindows1252(name, bytes))
            break;
        return name;
    }
    return "windows-1252";
}
