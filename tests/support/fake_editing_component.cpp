#include "fake_editing_component.h"

#include <QJsonObject>

QVariant FakeEditingComponent::ExecCommand(int cmdId, int option, const QVariant &input)
{
    execs.append({cmdId, option, input});
    calls << QString("ExecCommand(%1,%2)").arg(cmdId).arg(option);
    if (execErrors.contains(cmdId))
        throw execErrors.value(cmdId);
    if (cmdId == DECMD_GETBLOCKFMTNAMES)
        return blockFormatNames;
    return results.value(cmdId);
}

int FakeEditingComponent::QueryStatus(int cmdId)
{
    return statuses.value(cmdId, DECMDF_NOTSUPPORTED);
}

void FakeEditingComponent::SetContextMenu(const QStringList &texts, const QList<int> &states)
{
    calls << "SetContextMenu";
    contextTexts = texts;
    contextStates = states;
}

void FakeEditingComponent::NewDocument()
{
    calls << "NewDocument";
    if (newError)
        throw *newError;
    html.clear();
    path.clear();
}

bool FakeEditingComponent::LoadDocument(const QString &p, bool promptUser)
{
    calls << QString("LoadDocument(%1,%2)").arg(p).arg(promptUser);
    if (loadError)
        throw *loadError;
    const QString chosen = promptUser ? dialogChoice : p;
    if (chosen.isEmpty())
        return false; // the user cancelled the component's own dialog
    path = chosen;
    html = "<html><body>loaded " + chosen + "</body></html>";
    changedOnDisk = false;
    return true;
}

bool FakeEditingComponent::SaveDocument(const QString &p, bool promptUser)
{
    calls << QString("SaveDocument(%1,%2)").arg(p).arg(promptUser);
    if (saveError)
        throw *saveError;
    const QString chosen = promptUser ? dialogChoice : p;
    if (chosen.isEmpty())
        return false;
    path = chosen;
    changedOnDisk = false;
    return true;
}

void FakeEditingComponent::LoadURL(const QString &url)
{
    calls << "LoadURL(" + url + ")";
    if (loadError)
        throw *loadError;
    path.clear(); // a page from an address has no file yet
    html = "<html><body>from " + url + "</body></html>";
}

void FakeEditingComponent::PrintDocument(bool showDialog)
{
    calls << QString("PrintDocument(%1)").arg(showDialog);
    if (printError)
        throw *printError;
}

void FakeEditingComponent::Refresh()
{
    ++refreshCount;
}

QString FakeEditingComponent::DocumentHTML()
{
    ++pageReads;
    if (getError)
        throw *getError;
    return html;
}

void FakeEditingComponent::setDocumentHTML(const QString &h)
{
    calls << "putDocumentHTML";
    if (putError)
        throw *putError;
    ++putCount;
    html = h;
}

QString FakeEditingComponent::CurrentDocumentPath()
{
    return path;
}

QJsonValue FakeEditingComponent::domCall(const QString &operation, const QJsonValue &args)
{
    calls << "DOM." + operation;
    domArgs << args;
    if (domError)
        throw *domError;
    const QString name = args.toObject().value("name").toString();
    if (operation == QLatin1String("bodyAttribute"))
        return bodyAttributes.value(name);
    if (operation == QLatin1String("setBodyAttribute")) {
        const QString value = args.toObject().value("value").toString();
        if (value.isEmpty())
            bodyAttributes.remove(name);
        else
            bodyAttributes[name] = value;
        return QJsonValue();
    }
    if (operation == QLatin1String("createRange")) {
        const bool control = domResults.value("selectionType").toString() == "Control";
        return QJsonObject{{"handle", 1}, {"kind", control ? "control" : "text"}};
    }
    if (operation == QLatin1String("elementOuterHTML"))
        return elementHTML;
    if (operation == QLatin1String("rangePasteHTML")) {
        if (pasteError)
            throw *pasteError;
        pasted << args.toObject().value("html").toString();
        return QJsonValue();
    }
    return domResults.value(operation);
}
