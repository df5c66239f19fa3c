#pragma once
// One additional item of an address or sender block: a data field of the
// record (telephone, mail address, a contact line ...) with its caption in
// front, or a fixed text typed in the designer, on one line.

#include "drawing/objects/MetaRect.h"

#include <QString>

// Field ids of additional items. The data items behind 1..22 are numbered by
// the additional-information dialog; these are the ones records rely on.
inline constexpr quint8 kAdditionFixedText = 0;
inline constexpr quint8 kAdditionContact1 = 19; // contact lines 1..4 are 19..22

class TAdditionRect : public TMetaRect {
public:
    TAdditionRect();

    quint8 GetKind() const override { return ikAddition; }
    void Assign(const TDrawRect& Source) override;
    // A fixed text survives clearing between pages; a data item's text and
    // caption do not.
    void ClearContent() override;
    void ResetFontHeight() override;
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override;

    void SetCaption(const QString& Text);
    void SetText(const QString& Text);
    void SetFieldId(quint8 Value) { FieldId = Value; }
    void SetSizeStep(qint32 Value) { SizeStep = Value; }

    const QString& GetCaption() const { return Caption; }
    const QString& GetText() const { return Text; }
    quint8 GetFieldId() const { return FieldId; }
    qint32 GetSizeStep() const { return SizeStep; }

private:
    QString Text;
    QString Caption;
    quint8 FieldId = kAdditionFixedText;
    qint32 SizeStep = 3;
};
