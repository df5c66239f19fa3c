#pragma once
// "フォントの設定": the typeface, bold and italic style and colour of the
// text frames of the address-side and label/card designers, and whether the
// choice applies to every frame. No size is chosen: the sample shows 14
// points and each frame keeps its own size.

#include "platform/Font.h"
#include "platform/ui/DialogKit.h"

#include <memory>

namespace Ui {
class TLayoutFontDialog;
}

class TLayoutFontDialog : public TModalDialog {
    Q_OBJECT
public:
    explicit TLayoutFontDialog(QWidget* owner = nullptr);
    ~TLayoutFontDialog() override;

    // The sample takes the font, horizontal (no "@"), at 14 points.
    void SetFont(const TFont& font);
    // The chosen font (the caller copies it).
    const TFont& GetFont() const { return font_; }
    bool GetApplyToAll() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fontChosen();
    void styleClicked();
    void colorClicked();
    void showCharset(int charset);
    void paintSample();

    std::unique_ptr<Ui::TLayoutFontDialog> ui;
    TFont font_;
    bool filling_ = false;
};
