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
