#pragma once
// The name block of an address or sender block: the personal name with its
// honorific and note and the joint names under it, family and given names
// aligned in columns; or, for a company record, the company, department and
// job-title lines before the name. Everything shrinks until it fits.

#include "drawing/objects/MetaRect.h"

#include <QString>
#include <vector>

// A name as stored: the first ideographic space becomes a half-width space
// between family and given name, and blanks after that separator go; a name
// without any space gets one in front (an empty family name). An empty text
// stays empty.
QString NormalizeNameSeparator(const QString& Text);

struct TJointName {
    QString Name;
    QString Honor;
    QString Note;
};

// The laid-out text runs of the last rendering, in recording pixels and in
// the unturned frame (UpsideDown mirrors them when drawn), for the designers'
// checks and the harness's dump.
struct TNameRun {
    enum Role { rName, rHonor, rNote, rCorp } role = rName;
    QString text;
    QPoint at;
    std::vector<int> dx; // per UTF-16 unit; empty for natural advances
    double widthRatio = 1.0;
    qint32 height = 0; // canvas font height
};

class TNameRect : public TMetaRect {
public:
    static constexpr int kMaxNames = 6; // the name and five joint names

    TNameRect();

    quint8 GetKind() const override { return SenderItem ? ikSenderName : ikName; }
    void Assign(const TDrawRect& Source) override;
    void ClearContent() override;
    void ResetFontHeight() override;
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override;

    void SetNameKind(quint8 Value);
    void SetName(const QString& Text);
    void SetHonor(const QString& Text);
    void SetNote(const QString& Text);
    int GetJointCount() const { return static_cast<int>(Joints.size()); }
    void SetJointCount(int Count);
    QString GetJointName(int Index) const;
    void SetJointName(int Index, const QString& Text);
    QString GetJointHonor(int Index) const;
    void SetJointHonor(int Index, const QString& Text);
    void SetJointNote(int Index, const QString& Text);
    void SetNameAlign(quint8 Value);
    void SetIgnoreName(quint8 Value);
    void SetCorp(const QString& Text);
    QString GetDptmnt(int Index) const;
    void SetDptmnt(int Index, const QString& Text);
    void SetPost(const QString& Text);
    void SetCorpRatio(double Value);
    void SetDptmntRatio(double Value);
    void SetPostRatio(double Value);
    void SetCharSpace(quint8 Value);
    void SetCorpBreak(quint8 Value);
    void SetShowHonor(quint8 Value);
    void SetSizeStep(qint32 Value) { SizeStep = Value; }
    void SetSenderItem(quint8 Value) { SenderItem = Value; }
    void SetInSenderBlock(quint8 Value) { InSenderBlock = Value; }

    quint8 GetNameKind() const { return NameKind; }
    const QString& GetName() const { return Name; }
    const QString& GetHonor() const { return Honor; }
    const QString& GetNote() const { return Note; }
    quint8 GetNameAlign() const { return NameAlign; }
    quint8 GetIgnoreName() const { return IgnoreName; }
    const QString& GetCorp() const { return Corp; }
    const QString& GetPost() const { return Post; }
    double GetCorpRatio() const { return CorpRatio; }
    double GetDptmntRatio() const { return DptmntRatio; }
    double GetPostRatio() const { return PostRatio; }
    quint8 GetCharSpace() const { return CharSpace; }
    quint8 GetCorpBreak() const { return CorpBreak; }
    quint8 GetShowHonor() const { return ShowHonor; }
    qint32 GetSizeStep() const { return SizeStep; }
    quint8 GetSenderItem() const { return SenderItem; }

    const std::vector<TNameRun>& LastRuns() const { return Runs; }

private:
    void RenderPersonal(TCanvas& Canvas, const QPoint& Size);
    void RenderCorporate(TCanvas& Canvas, const QPoint& Size);
    void DrawRuns(TCanvas& Canvas, const QPoint& Size, bool Vertical);

    quint8 NameKind = 0;
    QString Name;
    QString Honor;
    QString Note;
    std::vector<TJointName> Joints;
    quint8 NameAlign = 0;
    quint8 IgnoreName = 0;
    QString Corp;
    QString Dptmnt[2];
    QString Post;
    double CorpRatio = 0.7;
    double DptmntRatio = 0.6;
    double PostRatio = 0.5;
    quint8 SenderItem = 0;
    qint32 SizeStep = 3;
    quint8 InSenderBlock = 0;
    quint8 CorpBreak = 0;
    quint8 ShowHonor = 1;
    quint8 CharSpace = 1;

    std::vector<TNameRun> Runs;
};

// Registers the program's item classes, TNameRect, TCorpRect and
// TAdditionRect among them;
// calling it again changes nothing.
void RegisterNameClasses();
