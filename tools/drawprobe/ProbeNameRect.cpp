#include "ProbeNameClasses.h"

#include "drawing/objects/NameRect.h"

#include <QJsonArray>

void ConfigureProbeNameRect(TDrawRect& Item, const QJsonObject& Desc)
{
    auto* n = dynamic_cast<TNameRect*>(&Item);
    if (!n)
        return;
    auto byte = [&](const char* key, int def) { return static_cast<quint8>(Desc.value(QLatin1String(key)).toInt(def)); };
    n->SetSenderItem(byte("sender", n->GetSenderItem()));
    n->SetSizeStep(Desc.value(QStringLiteral("sizeStep")).toInt(3));
    n->SetShowHonor(byte("showHonor", 1));
    n->SetNameKind(byte("nameKind", 1));
    n->SetIgnoreName(byte("ignoreName", 0));
    n->SetNameAlign(byte("nameAlign", 0));
    n->SetCharSpace(byte("charSpace", 1));
    n->SetCorpBreak(byte("corpBreak", 0));
    n->SetCorpRatio(Desc.value(QStringLiteral("corpRatio")).toDouble(0.7));
    n->SetDptmntRatio(Desc.value(QStringLiteral("dptmntRatio")).toDouble(0.6));
    n->SetPostRatio(Desc.value(QStringLiteral("postRatio")).toDouble(0.5));
    n->SetName(Desc.value(QStringLiteral("name")).toString());
    n->SetHonor(Desc.value(QStringLiteral("honor")).toString());
    n->SetNote(Desc.value(QStringLiteral("note")).toString());
    const QJsonArray joints = Desc.value(QStringLiteral("joints")).toArray();
    n->SetJointCount(static_cast<int>(joints.size()));
    for (int i = 0; i < joints.size(); ++i) {
        const QJsonObject j = joints.at(i).toObject();
        n->SetJointName(i, j.value(QStringLiteral("name")).toString());
        n->SetJointHonor(i, j.value(QStringLiteral("honor")).toString());
        n->SetJointNote(i, j.value(QStringLiteral("note")).toString());
    }
    n->SetCorp(Desc.value(QStringLiteral("corp")).toString());
    const QJsonArray d = Desc.value(QStringLiteral("dptmnt")).toArray();
    n->SetDptmnt(0, d.size() > 0 ? d.at(0).toString() : QString());
    n->SetDptmnt(1, d.size() > 1 ? d.at(1).toString() : QString());
    n->SetPost(Desc.value(QStringLiteral("post")).toString());
    n->ResetFontHeight();
}

QJsonObject DescribeProbeNameRect(const TDrawRect& Item)
{
    const auto* n = dynamic_cast<const TNameRect*>(&Item);
    if (!n)
        return {};
    static const char* const roles[] = {"name", "honor", "note", "corp"};
    QJsonArray runs;
    for (const TNameRun& r : n->LastRuns()) {
        QJsonArray dx;
        for (int a : r.dx)
            dx.append(a);
        runs.append(QJsonObject{{QStringLiteral("role"), QLatin1String(roles[r.role])},
                                {QStringLiteral("text"), r.text},
                                {QStringLiteral("at"), QJsonArray{r.at.x(), r.at.y()}},
                                {QStringLiteral("dx"), dx},
                                {QStringLiteral("widthRatio"), r.widthRatio},
                                {QStringLiteral("height"), r.height}});
    }
    return QJsonObject{{QStringLiteral("runs"), runs}};
}
