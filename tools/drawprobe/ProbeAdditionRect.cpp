#include "ProbeNameClasses.h"

#include "drawing/objects/AdditionRect.h"

void ConfigureProbeAdditionRect(TDrawRect& Item, const QJsonObject& Desc)
{
    auto* a = dynamic_cast<TAdditionRect*>(&Item);
    if (!a)
        return;
    a->SetFieldId(static_cast<quint8>(Desc.value(QStringLiteral("fieldId")).toInt(0)));
    a->SetSizeStep(Desc.value(QStringLiteral("sizeStep")).toInt(3));
    a->SetCaption(Desc.value(QStringLiteral("caption")).toString());
    a->SetText(Desc.value(QStringLiteral("text")).toString());
    a->ResetFontHeight();
}
