#pragma once

// A storage-only editing component: it holds page HTML and nothing else. The
// source view keeps its last good copy of the page in one, without starting a
// second browser. It refuses the same pages the real component refuses.

#include "app/editing_component.h"

class HtmlStoreComponent : public EditingComponent
{
    Q_OBJECT
public:
    using EditingComponent::EditingComponent;

    QString DocumentHTML() override { return m_html; }
    void setDocumentHTML(const QString &html) override;
    QString CurrentDocumentPath() override { return {}; }
    void NewDocument() override { m_html.clear(); }

    // It shows nothing and runs nothing.
    QVariant ExecCommand(int, int = OLECMDEXECOPT_DODEFAULT, const QVariant & = {}) override;
    using EditingComponent::ExecCommand;
    int QueryStatus(int) override { return DECMDF_NOTSUPPORTED; }
    void SetContextMenu(const QStringList &, const QList<int> &) override {}
    bool LoadDocument(const QString &, bool = false) override;
    bool SaveDocument(const QString &, bool = false) override;
    void LoadURL(const QString &) override;
    void PrintDocument(bool) override;
    void Refresh() override {}
    bool ShowBorders() const override { return false; }
    void setShowBorders(bool) override {}
    bool ShowDetails() const override { return false; }
    void setShowDetails(bool) override {}
    QJsonValue domCall(const QString &, const QJsonValue & = {}) override;

private:
    QString m_html;
};
