#include "ProbeNameClasses.h"

#include "drawing/objects/CorpRect.h"

void ConfigureProbeCorpRect(TDrawRect& Item, const QJsonObject& Desc)
{
    auto* c = dynamic_cast<TCorpRect*>(&Item);
    if (!c)
        return;
    c->SetSenderItem(static_cast<quint8>(Desc.value(QStringLiteral("sender")).toInt(c->GetSenderItem())));
    c->SetSizeStep(Desc.value(QStringLiteral("sizeStep")).toInt(3));
    c->SetShowHonor(static_cast<quint8>(Desc.value(QStringLiteral("showHonor")).toInt(1)));
    c->SetCorpBreak(static_cast<quint8>(Desc.value(QStringLiteral("corpBreak")).toInt(0)));
    c->SetCorp(Desc.value(QStringLiteral("corp")).toString());
    c->SetHonor(Desc.value(QStringLiteral("honor")).toString());
    c->ResetFontHeight();
}
