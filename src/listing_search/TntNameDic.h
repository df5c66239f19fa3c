#pragma once
// The name-reading popup: the names the dictionary holds for the reading
// typed in a name edit, in a list under that edit. It never takes the focus:
// the edit passes its keys through ProcessKey. A chosen name reaches the
// owner through nameChosen, delivered after the key or click has been
// handled.

#include <QFrame>
#include <QPointer>
#include <vector>

class QListWidget;
class QRadioButton;
struct TNameCandidate;

class TTntNameDic : public QFrame {
    Q_OBJECT
public:
    explicit TTntNameDic(QWidget* owner);
    ~TTntNameDic() override;

    void SetFolders(const QString& appPath, const QString& dicPath);
    void SetHighlightColor(const QColor& color);
    // Starts reading the dictionary; false (after saying so once) when it
    // cannot be read.
    bool Initialize();

    // Looks the reading up; the number of names (0: none, close the popup).
    int CountNames(const QString& reading, int givenNameMode);
    void SetGivenNameMode(int mode);
    // -1 while the user has not fixed a kind in the popup, else 0 or 1.
    int FixedMode() const { return fixedMode_; }
    void FillCandidates(int count);
    // Places the popup under the edit and shows it without activating it.
    void ShowUnder(QWidget* edit);
    bool ProcessKey(int key);

    // The kind to look names up as: the one the user fixed in the popup,
    // else `kind`.
    int EffectiveMode(int kind) const { return fixedMode_ >= 0 ? fixedMode_ : kind; }
    // Looks the reading up and shows what it found under the edit `under`
    // (which the popup then serves as `tag`); hides the popup and answers
    // false when the dictionary holds no name for it.
    bool OfferNames(const QString& reading, int mode, int tag, QWidget* under);

    // Which edit of the owner the popup serves.
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    QString GetChosenName() const { return chosenName_; }
    QString GetChosenReading() const { return chosenReading_; }

signals:
    void nameChosen(const QString& name, const QString& reading);

private:
    void Choose(int row);

    QListWidget* lstNames_ = nullptr;
    QRadioButton* rbFamily_ = nullptr;
    QRadioButton* rbGiven_ = nullptr;
    std::vector<TNameCandidate> candidates_;
    QString reading_;
    int mode_ = 0;
    int fixedMode_ = -1;
    int tag_ = 0;
    bool reported_ = false;
    QString chosenName_;
    QString chosenReading_;
};

// A popup over the program's own dictionaries, owned by `owner`; the
// dictionary is opened at once.
TTntNameDic* MakeNameDic(QWidget* owner);

// The popup a window's name edits share, made on first use; the names chosen
// in it go to onChosen.
template <class Owner>
TTntNameDic* NameDicOf(QPointer<TTntNameDic>& dic, Owner* owner,
                       void (Owner::*onChosen)(const QString& name, const QString& reading))
{
    if (!dic) {
        dic = MakeNameDic(owner);
        QObject::connect(dic.data(), &TTntNameDic::nameChosen, owner, onChosen);
    }
    return dic.data();
}
