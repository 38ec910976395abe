#pragma once

// A scripted stand-in for the editing component: statuses, results and errors
// are set by the test; every call is recorded in order.

#include "app/editing_component.h"

#include <QHash>
#include <QJsonValue>
#include <QStringList>
#include <QVariant>

struct RecordedExec
{
    int cmdId;
    int option;
    QVariant input;
};

class FakeEditingComponent : public EditingComponent
{
    Q_OBJECT
public:
    explicit FakeEditingComponent(QObject *parent = nullptr) : EditingComponent(parent) {}

    // --- scripting ---
    QHash<int, int> statuses; // missing entries report DECMDF_NOTSUPPORTED
    QHash<int, QVariant> results; // ExecCommand results by command ID
    QHash<int, ComponentError> execErrors; // ExecCommand throws these
    QStringList blockFormatNames;
    QString html;
    QString path;
    // Set to make the named member throw once it is called.
    std::optional<ComponentError> loadError, saveError, putError, getError, printError;
    std::optional<ComponentError> newError; // NewDocument throws it
    // What the component's own Open/Save As dialogs "choose"; empty = cancelled.
    QString dialogChoice;
    QString loadWarning; // what LoadWarning reports after a load
    QString encoding; // what DocumentEncoding reports
    bool busy = false; // what Busy reports
    // Keeps a copy of the page as it changes: KeptRecoveryHTML gives html.
    bool keepsCopy = false;
    bool changedOnDisk = false; // what DocumentChangedOnDisk reports until accepted
    QHash<QString, QJsonValue> domResults;
    // The BODY's colours by document property name (bgColor, fgColor, ...):
    // bodyAttribute reads them, setBodyAttribute writes them (empty removes).
    QHash<QString, QString> bodyAttributes;
    std::optional<ComponentError> domError; // every domCall throws it
    // The selection's ranges: createRange makes a control range when
    // domResults["selectionType"] is "Control"; every element reports
    // elementHTML as its outer HTML; pasteHTML records into pasted (or
    // throws pasteError).
    QString elementHTML;
    QStringList pasted;
    std::optional<ComponentError> pasteError;
    bool borders = false, details = false;
    QWidget *control = nullptr;

    // --- record ---
    QList<RecordedExec> execs;
    QStringList calls; // member names in call order, e.g. "LoadDocument(,1)"
    QList<QJsonValue> domArgs; // the arguments of every domCall, in order
    QStringList contextTexts;
    QList<int> contextStates;
    int refreshCount = 0;
    int putCount = 0;
    int pageReads = 0; // DocumentHTML and RecoveryHTML calls

    QVariant ExecCommand(int cmdId, int option = OLECMDEXECOPT_DODEFAULT,
                         const QVariant &input = {}) override;
    using EditingComponent::ExecCommand;
    int QueryStatus(int cmdId) override;
    void SetContextMenu(const QStringList &texts, const QList<int> &states) override;
    void NewDocument() override;
    bool LoadDocument(const QString &path, bool promptUser = false) override;
    QString LoadWarning() const override { return loadWarning; }
    QString DocumentEncoding() const override { return encoding; }
    bool Busy() const override { return busy; }
    bool DocumentChangedOnDisk() override { return changedOnDisk; }
    void AcceptDiskState() override { changedOnDisk = false; calls << "AcceptDiskState"; }
    bool SaveDocument(const QString &path, bool promptUser = false) override;
    void LoadURL(const QString &url) override;
    void PrintDocument(bool showDialog) override;
    void Refresh() override;
    QString DocumentHTML() override;
    std::function<QString()> KeptRecoveryHTML() override
    {
        if (!keepsCopy)
            return {};
        return [copy = html] { return copy; };
    }
    void setDocumentHTML(const QString &html) override;
    QString CurrentDocumentPath() override;
    bool ShowBorders() const override { return borders; }
    void setShowBorders(bool on) override { borders = on; calls << QString("ShowBorders=%1").arg(on); }
    bool ShowDetails() const override { return details; }
    void setShowDetails(bool on) override { details = on; calls << QString("ShowDetails=%1").arg(on); }
    QJsonValue domCall(const QString &operation, const QJsonValue &args = {}) override;
    QWidget *widget() override { return control; }

    // Helpers to raise the component's events from a test.
    void fireDisplayChanged(bool contentChanged = true)
    {
        if (contentChanged)
            emit ContentChanged();
        emit DisplayChanged();
    }
    void fireDocumentComplete() { emit DocumentComplete(); }
};
