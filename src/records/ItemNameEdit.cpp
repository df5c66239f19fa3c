#include "records/ItemNameEdit.h"

#include "core/ItemNames.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/ui/MessageBox.h"

#include <QComboBox>
#include <QPushButton>
#include <cerrno>
#include <optional>

TItemNameEdit::TItemNameEdit(QWidget* owner) : TModalDialog(owner) {}

void TItemNameEdit::InitItems(const QString& stem, const QString& itemCaption, const QStringList& names,
                              const std::vector<int>& modes)
{
    itemCaption_ = itemCaption;
    names_ = names;
    modes_ = modes;
    for (int i = 0; i < int(names.size()); ++i) {
        const QString n = QString::number(i + 1);
        auto* edit = findChild<TByteLimitEdit*>(QStringLiteral("edt") + stem + n);
        auto* combo = findChild<QComboBox*>(QStringLiteral("cbx") + stem + n);
        Q_ASSERT(edit && combo);
        edit->SetMaxBytes(kItemNameBytes);
        edit->setText(names[i]);
        for (const TImeModeEntry& entry : ImeModeEntries)
            combo->addItem(QString::fromUtf16(entry.caption));
        combo->setCurrentIndex(ImeModeEntryIndex(modes[size_t(i)]));
        edits_.push_back(edit);
        combos_.push_back(combo);
    }
    ApplyDialogConventions(this);
    connect(findChild<QPushButton*>(QStringLiteral("btnOk")), &QPushButton::clicked, this,
            &TItemNameEdit::btnOkClick);
    connect(findChild<QPushButton*>(QStringLiteral("btnCancel")), &QPushButton::clicked, this,
            &TItemNameEdit::reject);
}

void TItemNameEdit::btnOkClick()
{
    std::optional<THourglass> hourglass(std::in_place);
    QStringList names;
    std::vector<int> modes;
    for (size_t i = 0; i < edits_.size(); ++i) {
        names << cp932::Trim(edits_[i]->text());
        if (names.back().isEmpty()) {
            hourglass.reset();
            ShowMessage(this, itemCaption_ + FullWidthNumber(int(i + 1)) + QStringLiteral("が未入力です  "),
                        MB_OK | MB_ICONINFORMATION);
            FocusControl(edits_[i]);
            return;
        }
        modes.push_back(ImeModeEntries[std::max(0, combos_[i]->currentIndex())].mode);
    }
    // The file first: the program keeps its old names while they could not
    // be stored, so what it shows and what the next start reads agree.
    if (!SaveSettings(names, modes)) {
        const int error = errno;
        hourglass.reset();
        ShowMessage(this,
                    windowTitle() + QStringLiteral("が保存できませんでした  \r\n") + FileErrorCause(error) +
                        QStringLiteral("  \r\n") + AdrsListIniFileName() + QStringLiteral("  "),
                    MB_OK | MB_ICONERROR);
        return;
    }
    ApplySettings(names, modes);
    namesChanged_ = names != names_;
    modesChanged_ = modes != modes_;
    accept();
}

TItemNameSignals& ItemNameSignals()
{
    static TItemNameSignals instance;
    return instance;
}
