#include "platform/editing/html_store_component.h"

#include "platform/editing/html_rules.h"

void HtmlStoreComponent::setDocumentHTML(const QString &html)
{
    checkPageAcceptable(html);
    m_html = html;
}

QVariant HtmlStoreComponent::ExecCommand(int, int, const QVariant &)
{
    throwNotImplemented("ExecCommand on a storage-only component");
}

bool HtmlStoreComponent::LoadDocument(const QString &, bool)
{
    throwNotImplemented("LoadDocument on a storage-only component");
}

bool HtmlStoreComponent::SaveDocument(const QString &, bool)
{
    throwNotImplemented("SaveDocument on a storage-only component");
}

void HtmlStoreComponent::LoadURL(const QString &)
{
    throwNotImplemented("LoadURL on a storage-only component");
}

void HtmlStoreComponent::PrintDocument(bool)
{
    throwNotImplemented("PrintDocument on a storage-only component");
}

QJsonValue HtmlStoreComponent::domCall(const QString &, const QJsonValue &)
{
    throwNotImplemented("DOM on a storage-only component");
}
