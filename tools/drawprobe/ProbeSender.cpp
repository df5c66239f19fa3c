#include "ProbeSender.h"

#include "ProbeClasses.h"

#include "drawing/objects/AdditionRect.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/CorpRect.h"
#include "drawing/objects/NameRect.h"
#include "drawing/objects/PosRect.h"
#include "drawing/objects/SenderRect.h"

#include <QJsonArray>

namespace {

QJsonArray RectJson(const TRect& r)
{
    return QJsonArray{r.Left, r.Top, r.Right, r.Bottom};
}

QString At(const QJsonArray& a, int i)
{
    return i < a.size() ? a.at(i).toString() : QString();
}

const char* ClassOf(const TMetaRect* c)
{
    if (dynamic_cast<const TPosRect*>(c))
        return "TPosRect";
    if (dynamic_cast<const TAddressRect*>(c))
        return "TAddressRect";
    if (dynamic_cast<const TNameRect*>(c))
        return "TNameRect";
    if (dynamic_cast<const TCorpRect*>(c))
        return "TCorpRect";
    return "TAdditionRect";
}

} // namespace

void ConfigureProbeSender(TDrawRect& Item, const QJsonObject& Desc)
{
    auto* s = dynamic_cast<TSenderRect*>(&Item);
    if (!s)
        return;
    s->SetFont(ProbeFont(Desc));
    s->SetVertical(static_cast<quint8>(Desc.value(QStringLiteral("direction")).toInt(1)));
    s->ResetChildRects(-1);
    s->SetAutoLayout(Desc.value(QStringLiteral("autoLayout")).toBool(true));
    s->SetWholeBlock(Desc.value(QStringLiteral("wholeBlock")).toBool(true));
    s->SetSenderTitle(Desc.value(QStringLiteral("title")).toString());

    const QString pos = Desc.value(QStringLiteral("posCode")).toString();
    const QJsonArray lines = Desc.value(QStringLiteral("lines")).toArray();
    const QString name = Desc.value(QStringLiteral("name")).toString();
    const QString honor = Desc.value(QStringLiteral("honor")).toString();
    const QJsonArray dptmnt = Desc.value(QStringLiteral("dptmnt")).toArray();
    const QJsonArray additions = Desc.value(QStringLiteral("additions")).toArray();
    for (TPosRect* p : {s->GetBasicPos(), s->GetPos()})
        p->SetPosCode(pos);
    for (int i = 0; i < 3; ++i) {
        s->GetBasicAddress()->SetAddress(i, At(lines, i));
        s->GetAddress(i)->SetAddress(0, At(lines, i));
    }
    for (TNameRect* n : {s->GetBasicName(), s->GetName()}) {
        n->SetNameKind(1);
        n->SetName(name);
        n->SetHonor(honor);
    }
    s->GetCorp()->SetCorp(Desc.value(QStringLiteral("corp")).toString());
    for (int i = 0; i < 2; ++i)
        s->GetDepartment(i)->SetCorp(At(dptmnt, i));
    s->GetPost()->SetCorp(Desc.value(QStringLiteral("post")).toString());
    for (int i = 0; i < 4; ++i) {
        TAdditionRect* a = s->GetAutoLayout() ? s->GetBasicAddition(i) : s->GetAddition(i);
        if (!a)
            continue;
        a->SetFieldId(kAdditionFixedText);
        a->SetText(At(additions, i));
    }
    for (const QJsonValue& v : Desc.value(QStringLiteral("hidden")).toArray()) {
        const int i = v.toInt(-1);
        if (s->GetAutoLayout()) {
            s->SetBasicAdditionVisible(i - sbAddition1, false);
        } else if (i == sfPos) {
            s->SetPosVisible(false);
        } else if (i >= sfAddress1 && i <= sfAddress3) {
            s->SetAddressVisible(i - sfAddress1, false);
        } else if (i == sfCorp) {
            s->SetCorpVisible(false);
        } else if (i == sfDepartment1 || i == sfDepartment2) {
            s->SetDepartmentVisible(i - sfDepartment1, false);
        } else if (i == sfPost) {
            s->SetPostVisible(false);
        } else if (i == sfName) {
            s->SetNameVisible(false);
        } else {
            s->SetAdditionVisible(i - sfAddition1, false);
        }
    }
    const QJsonObject frame = Desc.value(QStringLiteral("frame")).toObject();
    TRectFrame& fr = s->GetFrame();
    fr.SetFrame(frame.value(QStringLiteral("frame")).toBool(false));
    fr.SetBack(frame.value(QStringLiteral("back")).toBool(false));
    fr.SetLineCount(static_cast<quint8>(frame.value(QStringLiteral("lineCount")).toInt(0)));
    fr.SetCorner(static_cast<quint8>(frame.value(QStringLiteral("corner")).toInt(0)));
    fr.SetLineWidth(static_cast<quint8>(frame.value(QStringLiteral("lineWidth")).toInt(0)));
    fr.SetFrameColor(static_cast<TColor>(frame.value(QStringLiteral("frameColor")).toInt(0)));
    fr.SetBackColor(static_cast<TColor>(frame.value(QStringLiteral("backColor")).toInt(0)));
    s->ResetFontHeight();
    s->SetUpsideDown(static_cast<quint8>(Desc.value(QStringLiteral("upsideDown")).toInt(0)));
}

QJsonObject ProbeSenderDecisions(const TDrawRect& Item)
{
    const auto* s = dynamic_cast<const TSenderRect*>(&Item);
    if (!s)
        return {};
    QJsonArray children;
    for (const TMetaRect* c : s->GetShownList())
        children.append(QJsonObject{{QStringLiteral("class"), QLatin1String(ClassOf(c))},
                                    {QStringLiteral("kind"), c->GetKind()},
                                    {QStringLiteral("rect"), RectJson(c->GetRect())},
                                    {QStringLiteral("printRect"), RectJson(c->GetPrintRect())},
                                    {QStringLiteral("fontHeight"), c->GetFontHeight()}});
    return QJsonObject{{QStringLiteral("layoutValid"), s->IsLayoutValid()}, {QStringLiteral("children"), children}};
}
