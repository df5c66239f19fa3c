#include "core/GroupEdit.h"

#include "ui_GroupEdit.h"

#include "platform/Cp932.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

// The group names' own limits; the names themselves are kept by the data module.
constexpr int kNames = 10;
constexpr int kNameBytes = 30;

QString cleanName(const QString& name) { return cp932::CutToBytes(cp932::Trim(name), kNameBytes); }

} // namespace

TGroupEdit::TGroupEdit(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::TGroupEdit>())
{
    ui->setupUi(this);
    for (int i = 1; i <= kNames; ++i) {
        auto* edit = findChild<QLineEdit*>(QStringLiteral("edtGroup%1").arg(i));
        edit->installEventFilter(this);
        // Cut on leaving, as every byte-limited edit of the system does.
        connect(edit, &QLineEdit::editingFinished, edit, [edit] {
            const QString cut = cp932::CutToBytes(edit->text(), kNameBytes);
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
    for (int i = 1; i <= kNames; ++i)
        findChild<QLineEdit*>(QStringLiteral("edtGroup%1").arg(i))->setText(i <= list.size() ? list[i - 1] : QString());
}

QStringList TGroupEdit::GetNames() const
{
    QStringList list;
    for (int i = 1; i <= kNames; ++i)
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
            if (n >= 1 && n < kNames) {
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
