#include "app/editing_component.h"

#include <QJsonObject>
#include <QVariantMap>

void EditingComponent::ExecCommand(int cmdId, int option, DEGetBlockFmtNamesParam &param)
{
    param.Names = ExecCommand(cmdId, option, QVariant()).toStringList();
}

void EditingComponent::ExecCommand(int cmdId, int option, const DEInsertTableParam &param)
{
    QVariantMap map;
    map["NumRows"] = param.NumRows;
    map["NumCols"] = param.NumCols;
    map["TableAttrs"] = param.TableAttrs;
    map["CellAttrs"] = param.CellAttrs;
    map["Caption"] = param.Caption;
    ExecCommand(cmdId, option, QVariant(map));
}

QString PageDom::selectionType() const
{
    return m_component->domCall("selectionType").toString();
}

QString PageSelection::type() const
{
    return m_component->domCall("selectionType").toString();
}

PageRange PageSelection::createRange() const
{
    const QJsonObject r = m_component->domCall("createRange").toObject();
    return PageRange(m_component, r.value("handle"), r.value("kind").toString() == "control");
}

bool PageSelection::moveCaretToPoint(const QPoint &point) const
{
    return m_component->domCall("caretAtPoint", QJsonObject{{"x", point.x()}, {"y", point.y()}})
        .toBool();
}

void PageRange::Collapse(bool toStart) const
{
    m_component->domCall("rangeCollapse", QJsonObject{{"handle", m_handle}, {"start", toStart}});
}

PageElement PageRange::parentElement() const
{
    const QJsonValue e = m_component->domCall("rangeParentElement", QJsonObject{{"handle", m_handle}});
    return PageElement(m_component, e.toObject().value("handle"));
}

PageElement PageRange::commonParentElement() const
{
    const QJsonValue e
        = m_component->domCall("rangeCommonParentElement", QJsonObject{{"handle", m_handle}});
    return PageElement(m_component, e.toObject().value("handle"));
}

void PageRange::pasteHTML(const QString &html) const
{
    m_component->domCall("rangePasteHTML", QJsonObject{{"handle", m_handle}, {"html", html}});
}

QString PageElement::outerHTML() const
{
    return m_component->domCall("elementOuterHTML", QJsonObject{{"handle", m_handle}}).toString();
}

QString PageDom::bodyAttribute(const QString &name) const
{
    return m_component->domCall("bodyAttribute", QJsonObject{{"name", name}}).toString();
}

void PageDom::setBodyAttribute(const QString &name, const QString &value) const
{
    m_component->domCall("setBodyAttribute", QJsonObject{{"name", name}, {"value", value}});
}

void throwNotImplemented(const char *member)
{
    throw ComponentError(ComponentErrorCode::NotImplemented,
                         QStringLiteral("%1 is not implemented by this editing component")
                             .arg(QLatin1String(member)));
}
