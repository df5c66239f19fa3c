#include "core/GroupEdit.h"

#include "ui_GroupEdit.h"

#include "core/Folders.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <array>

namespace {

std::array<QString, kGroupCount>& names()
{
    static std::array<QString, kGroupCount> n;
    return n;
}

const QString kSection = QStringLiteral("GROUP");

QString groupFile() { return DataPath() + QStringLiteral("Group.dat"); }

QString cleanName(const QString& name) { return cp932::CutToBytes(cp932::Trim(name), kGroupNameBytes); }

} // namespace

QString GetGroupName(int group)
{
    if (group < 1 || group > kGroupCount)
        return {};
    return names()[group - 1];
}

QStringList GetGroupNames() { return QStringList(names().begin(), names().end()); }

void SetGroupNames(const QStringList& list)
{
    for (int i = 0; i < kGroupCount; ++i)
        names()[i] = i < list.size() ? cleanName(list[i]) : QString();
}

void LoadGroupNames()
{
    const TIniFile ini(groupFile());
    QStringList list;
    for (int i = 1; i <= kGroupCount; ++i)
        list << ini.ReadString(kSection, QStringLiteral("Name%1").arg(i));
    SetGroupNames(list);
}

bool SaveGroupNames()
{
    TIniFile ini(groupFile());
    for (int i = 1; i <= kGroupCount; ++i)
        ini.WriteString(kSection, QStringLiteral("Name%1").arg(i), names()[i - 1]);
    return ini.UpdateFile();
}

TGroupEdit::TGroupEdit(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::TGroupEdit>())
{
    ui->setupUi(this);
    for (int i = 1; i <= kGroupCount; ++i) {
        auto* edit = findChild<QLineEdit*>(QStringLiteral("edtGroup%1").arg(i));
        edit->installEventFilter(this);
        // Cut on leaving, as every byte-limited edit of the system does.
        connect(edit, &QLineEdit::editingFinished, edit, [edit] {
            const QString cut = cp932::CutToBytes(edit->text(), kGroupNameBytes);
            if (cut != edit->text())
                edit->setText(cut);
        });
    }
    connect(ui->btnOk, &QPushButton::clicked, this, [this] { done(1); });
    connect(ui->btnCancel, &QPushButton::clicked, this, &TGroupEdit::reject);
}

TGroupEdit::~TGroupEdit() = default;

void TGroupEdit::SetNames(const QStringList& list)
{
    for (int i = 1; i <= kGroupCount; ++i)
        findChild<QLineEdit*>(QStringLiteral("edtGroup%1").arg(i))->setText(i <= list.size() ? list[i - 1] : QString());
}

QStringList TGroupEdit::GetNames() const
{
    QStringList list;
    for (int i = 1; i <= kGroupCount; ++i)
        list << cleanName(findChild<QLineEdit*>(QStringLiteral("edtGroup%1").arg(i))->text());
    return list;
}

void TGroupEdit::reject() { done(2); }

bool TGroupEdit::eventFilter(QObject* watched, QEvent* event)
{
    // Enter moves on to the next name (the last one to OK), caret at the end.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QString name = watched->objectName();
            const int n = name.mid(8).toInt();
            if (n >= 1 && n < kGroupCount) {
                auto* next = findChild<QLineEdit*>(QStringLiteral("edtGroup%1").arg(n + 1));
                next->setFocus(Qt::TabFocusReason);
                next->setCursorPosition(next->text().size());
            } else {
                ui->btnOk->setFocus(Qt::TabFocusReason);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
