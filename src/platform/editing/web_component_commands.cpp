// The editing commands that need the host: the component's own dialogs, the
// system clipboard, and undo or redo across a page put in whole
// (web_component_history.cpp).

#include "platform/editing/engine_bridge.h"
#include "platform/editing/engine_dialogs.h"
#include "platform/editing/web_editing_component.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QJsonObject>
#include <QMimeData>
#include <QWebEngineView>

void WebEditingComponent::setEngineDialogs(std::unique_ptr<EngineDialogs> dialogs)
{
    m_engineDialogs = std::move(dialogs);
}

EngineDialogs *WebEditingComponent::engineDialogs()
{
    if (!m_engineDialogs)
        m_engineDialogs = std::make_unique<QtEngineDialogs>();
    return m_engineDialogs.get();
}

bool WebEditingComponent::findText(const FindRequest &r)
{
    m_snapshotValid = false;
    return m_bridge
        ->call(QStringLiteral("find"),
               QJsonObject { { "text", r.text },
                             { "matchCase", r.matchCase },
                             { "wholeWord", r.wholeWord },
                             { "up", r.up } })
        .toBool();
}

QJsonValue WebEditingComponent::execInEngine(int cmdId, int option, const QJsonValue &input)
{
    m_snapshotValid = false;
    const QJsonObject answer
        = m_bridge
              ->call(QStringLiteral("exec"),
                     QJsonObject { { "cmd", cmdId }, { "option", option }, { "input", input } })
              .toObject();
    if (answer.contains("snapshot"))
        setSnapshot(answer.value("snapshot"));
    return answer.value("value");
}

std::optional<QVariant> WebEditingComponent::execHostCommand(int cmdId, int option,
                                                             const QVariant &input)
{
    switch (cmdId) {
    case DECMD_FINDTEXT:
        engineDialogs()->showFind(m_view, [this](const FindRequest &r) { return findText(r); });
        return QVariant();
    // "Don't prompt" never shows a dialog, whatever the input: the engine
    // applies what it is given or refuses it.
    case DECMD_FONT:
        if (option == OLECMDEXECOPT_DONTPROMPTUSER)
            return std::nullopt;
        execFontDialog();
        return QVariant();
    case DECMD_HYPERLINK:
        if (option == OLECMDEXECOPT_DONTPROMPTUSER)
            return std::nullopt;
        execLinkDialog();
        return QVariant();
    case DECMD_COPY:
    case DECMD_CUT: {
        const QJsonObject data = execInEngine(cmdId, option, {}).toObject();
        const QString html = data.value("html").toString();
        if (!html.isEmpty()) {
            auto *mime = new QMimeData;
            mime->setHtml(html);
            mime->setText(data.value("text").toString());
            QApplication::clipboard()->setMimeData(mime);
        }
        return QVariant();
    }
    case DECMD_PASTE:
        pasteClipboard(option);
        return QVariant();
    case DECMD_UNDO:
    case DECMD_REDO:
        if (execInEngine(cmdId, option, {}).toString() == QLatin1String("outer"))
            stepAcrossPut(cmdId == DECMD_UNDO);
        return QVariant();
    default:
        return std::nullopt;
    }
}

void WebEditingComponent::execFontDialog()
{
    if (QueryStatus(DECMD_FONT) <= DECMDF_DISABLED)
        return;
    const QJsonObject info = m_bridge->call(QStringLiteral("fontInfo")).toObject();
    const auto toggle = [&](const char *key) -> std::optional<bool> {
        const int v = info.value(QLatin1String(key)).toInt();
        return v == 2 ? std::nullopt : std::optional<bool>(v == 1);
    };
    FontChoice choice;
    choice.name = info.value("name").toString();
    choice.size = info.value("size").toInt();
    choice.color = info.value("color").toString();
    choice.bold = toggle("bold");
    choice.italic = toggle("italic");
    choice.underline = toggle("underline");
    if (!engineDialogs()->chooseFont(m_view, choice))
        return;
    QJsonObject apply;
    if (!choice.name.isEmpty())
        apply["name"] = choice.name;
    if (choice.size >= 1 && choice.size <= 7)
        apply["size"] = choice.size;
    if (!choice.color.isEmpty())
        apply["color"] = choice.color;
    if (choice.bold)
        apply["bold"] = *choice.bold;
    if (choice.italic)
        apply["italic"] = *choice.italic;
    if (choice.underline)
        apply["underline"] = *choice.underline;
    execInEngine(DECMD_FONT, OLECMDEXECOPT_DONTPROMPTUSER, apply);
}

void WebEditingComponent::execLinkDialog()
{
    if (QueryStatus(DECMD_HYPERLINK) <= DECMDF_DISABLED)
        return;
    QString url = m_bridge->call(QStringLiteral("linkAt")).toString();
    if (engineDialogs()->chooseLink(m_view, url) && !url.trimmed().isEmpty())
        execInEngine(DECMD_HYPERLINK, OLECMDEXECOPT_DONTPROMPTUSER, url.trimmed());
}
