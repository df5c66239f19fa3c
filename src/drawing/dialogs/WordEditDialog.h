#pragma once
// "文章の編集": the text of a free-text item and its writing direction, with
// a library of example sentences (classes listed in Common/Text/Index.rbf of
// the program folder, each class a file of examples) to append or put in
// place of the text. Resizable from a grip; remembers its size and whether
// the examples are shown in [WORDEDIT] of the settings file.

#include "platform/Font.h"
#include "platform/ui/DialogKit.h"

#include <QStringList>
#include <memory>

namespace Ui {
class TWordEditDialog;
}

// The folder the example library is found under (its Common/ folder lies in
// it); the program's folder unless set.
void SetWordEditAppFolder(const QString& folder);
QString WordEditAppFolder();

// Sizes in 96-dpi units the dialog is never made smaller than.
inline constexpr int kWordEditMinWidth = 500;
inline constexpr int kWordEditMinHeight = 179;
inline constexpr int kWordEditMinHeightWithExamples = 451;

class TWordEditDialog : public TModalDialog {
    Q_OBJECT
public:
    explicit TWordEditDialog(QWidget* owner = nullptr);
    ~TWordEditDialog() override;

    // The lines of the text (a final line break adds no empty line).
    QStringList GetLines() const;
    void SetLines(const QStringList& lines);
    // 0 vertical writing, 1 horizontal; other values change nothing.
    int GetDirection() const;
    void SetDirection(int value);
    // The text takes the item's face (horizontal) at 11 points.
    void SetFont(const TFont& font);
    const TFont& MemoFont() const { return memoFont_; }

    bool ExamplesShown() const { return example_ == 1; }
    void SetExamplesShown(bool shown);
    // Reads the class index and the first class (done when first shown).
    void LoadClasses();
    // Loads the examples of class `index` into the example list.
    void LoadExamples(int index);
    // The examples of the chosen class, lines joined with CR LF.
    const QStringList& Examples() const { return examples_; }
    // "追加" and "書き換え" with the chosen example.
    void AddExample();
    void ReplaceWithExample();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    void exampleChosen(int row);
    QString chosenExample() const;
    void applyMinimum();
    void writeSettings();

    std::unique_ptr<Ui::TWordEditDialog> ui;
    QWidget* grip_ = nullptr;
    TFont memoFont_;
    QStringList classFiles_;
    QStringList examples_;
    int example_ = 0;
    int exampleHeight_ = 0;
    bool loaded_ = false;
};
