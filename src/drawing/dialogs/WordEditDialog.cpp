#include "drawing/dialogs/WordEditDialog.h"
#include "ui_WordEditDialog.h"

#include "core/common/FontUtils.h"
#include "core/common/Units.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/objects/ExampleTexts.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/ui/MessageBox.h"

#include <QCoreApplication>
#include <QSignalBlocker>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("WORDEDIT");

QString& AppFolderSetting()
{
    static QString folder;
    return folder;
}

// The corner grip: three grey and three white diagonals; pressing it sizes
// the window from its lower-right corner.
class TGripPanel : public QWidget {
public:
    explicit TGripPanel(QWidget* parent) : QWidget(parent)
    {
        setFixedSize(13, 13);
        setCursor(Qt::SizeFDiagCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        for (int n = 0; n <= 8; n += 4) {
            p.setPen(QPen(QColor(0x80, 0x80, 0x80), 2));
            p.drawLine(11, n + 1, n + 1, 11);
            p.setPen(QPen(Qt::white, 1));
            p.drawLine(11, n, n - 1, 12);
        }
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && window()->windowHandle())
            window()->windowHandle()->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
    }
};

void PutItems(QListWidget* list, const QStringList& texts)
{
    list->clear();
    const int h = list->fontMetrics().height() + 2;
    for (int i = 0; i < texts.size(); ++i) {
        auto* item = new QListWidgetItem(QString::number(i + 1) + QStringLiteral(": ") + texts.at(i), list);
        item->setSizeHint(QSize(0, h));
    }
}

QString ToMemo(const QString& crlf)
{
    QString s = crlf;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

} // namespace

void SetWordEditAppFolder(const QString& folder) { AppFolderSetting() = folder; }

QString WordEditAppFolder()
{
    const QString folder =
        AppFolderSetting().isEmpty() ? QCoreApplication::applicationDirPath() : AppFolderSetting();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

TWordEditDialog::TWordEditDialog(QWidget* owner) : TModalDialog(owner), ui(std::make_unique<Ui::TWordEditDialog>())
{
    ui->setupUi(this);
    // The grip lies over the corner, outside the layout.
    grip_ = new TGripPanel(this);
    // The example area is what the two minimum heights differ by.
    exampleHeight_ = ScaleForDpi(kWordEditMinHeightWithExamples - kWordEditMinHeight, true);
    ui->pnlExample->setFixedHeight(std::max(0, exampleHeight_ - ui->vlForm->spacing()));
    ApplyDialogConventions(this);

    connect(ui->btnOK, &QPushButton::clicked, this, &TWordEditDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TWordEditDialog::reject);
    connect(ui->btnAdd, &QPushButton::clicked, this, &TWordEditDialog::AddExample);
    connect(ui->btnReplace, &QPushButton::clicked, this, &TWordEditDialog::ReplaceWithExample);
    connect(ui->btnExample, &QPushButton::clicked, this, [this] { SetExamplesShown(example_ != 1); });
    connect(ui->lbClass, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            LoadExamples(row);
    });
    connect(ui->lbExample, &QListWidget::currentRowChanged, this, &TWordEditDialog::exampleChosen);
    connect(ui->lbExample, &QListWidget::itemDoubleClicked, this, &TWordEditDialog::AddExample);

    // Remembered state: a stored size counts only with both keys, and never
    // below the minimum of the area shown.
    const QString file = DrawingSettingsFile();
    int width = -1, height = -1;
    if (!file.isEmpty()) {
        TIniFile ini(file);
        example_ = ini.ReadInteger(kSection, QStringLiteral("Example"), 0) == 1 ? 1 : 0;
        if (ini.ValueExists(kSection, QStringLiteral("Width")) && ini.ValueExists(kSection, QStringLiteral("Height"))) {
            width = ini.ReadInteger(kSection, QStringLiteral("Width"), kWordEditMinWidth);
            height = ini.ReadInteger(kSection, QStringLiteral("Height"), kWordEditMinHeight);
        }
    }
    const int minHeight = example_ == 1 ? kWordEditMinHeightWithExamples : kWordEditMinHeight;
    if (example_ == 0) {
        ui->pnlExample->hide();
        ui->btnExample->setText(QStringLiteral("文例を表示(&E)"));
    }
    applyMinimum();
    if (width >= 0)
        resize(ScaleForDpi(std::max(width, kWordEditMinWidth), true), ScaleForDpi(std::max(height, minHeight), true));
    else
        resize(ScaleForDpi(kWordEditMinWidth, true), ScaleForDpi(minHeight, true));
}

TWordEditDialog::~TWordEditDialog() = default;

void TWordEditDialog::applyMinimum()
{
    // Set explicitly, so the layout's own wishes do not raise it.
    setMinimumSize(ScaleForDpi(kWordEditMinWidth, true),
                   ScaleForDpi(example_ == 1 ? kWordEditMinHeightWithExamples : kWordEditMinHeight, true));
}

QStringList TWordEditDialog::GetLines() const
{
    const QString text = ui->edText->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}

void TWordEditDialog::SetLines(const QStringList& lines) { ui->edText->setPlainText(lines.join(QLatin1Char('\n'))); }

int TWordEditDialog::GetDirection() const { return ui->rbVertical->isChecked() ? 0 : 1; }

void TWordEditDialog::SetDirection(int value)
{
    if (value == 0)
        ui->rbVertical->setChecked(true);
    else if (value == 1)
        ui->rbHorizontal->setChecked(true);
}

void TWordEditDialog::SetFont(const TFont& font)
{
    memoFont_.Assign(font);
    if (memoFont_.Name().startsWith(QLatin1Char('@')))
        memoFont_.SetName(memoFont_.Name().mid(1));
    SetFontHorizontal(memoFont_);
    memoFont_.SetSize(11);
    QFont qf(ResolveFontFamily(memoFont_.Name()));
    qf.setPointSize(11);
    qf.setBold(memoFont_.Bold());
    qf.setItalic(memoFont_.Italic());
    ui->edText->setFont(qf);
}

void TWordEditDialog::SetExamplesShown(bool shown)
{
    if ((example_ == 1) == shown)
        return;
    example_ = shown ? 1 : 0;
    if (shown) {
        ui->btnExample->setText(QStringLiteral("文例を隠す(&E)"));
        ui->pnlExample->show();
        int h = height() + exampleHeight_;
        const QScreen* s = screen();
        if (s) {
            const QRect work = s->availableGeometry();
            const int caption = std::max(0, frameGeometry().height() - height());
            // Never beyond the work area: the text area gives way instead.
            h = std::min(h, work.height() - caption);
            applyMinimum();
            resize(width(), h);
            if (frameGeometry().top() + caption + h > work.bottom() + 1)
                move(x(), std::max(work.top(), work.bottom() + 1 - caption - h));
        } else {
            applyMinimum();
            resize(width(), h);
        }
    } else {
        ui->btnExample->setText(QStringLiteral("文例を表示(&E)"));
        ui->pnlExample->hide();
        applyMinimum();
        resize(width(), height() - exampleHeight_);
    }
}

void TWordEditDialog::resizeEvent(QResizeEvent* event)
{
    TModalDialog::resizeEvent(event);
    grip_->move(width() - grip_->width(), height() - grip_->height());
    grip_->raise();
}

void TWordEditDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        LoadClasses();
    }
}

void TWordEditDialog::LoadClasses()
{
    classFiles_.clear();
    examples_.clear();
    const QSignalBlocker blockClass(ui->lbClass);
    ui->lbClass->clear();
    ui->lbExample->clear();
    ui->edExample->clear();
    QStringList lines;
    if (!ReadCp932Lines(WordEditAppFolder() + QStringLiteral("Common/Text/Index.rbf"), lines)) {
        ShowMessage(this, QStringLiteral("例分ファイルが見つかりません"), MB_ICONSTOP);
        return;
    }
    QStringList names;
    for (const TExampleClass& c : ParseExampleIndex(lines)) {
        names << c.Name;
        classFiles_ << c.File;
    }
    PutItems(ui->lbClass, names);
    if (!names.isEmpty()) {
        ui->lbClass->setCurrentRow(0);
        LoadExamples(0);
    }
}

void TWordEditDialog::LoadExamples(int index)
{
    if (index < 0 || index >= classFiles_.size()) {
        ShowMessage(this, QStringLiteral("例文データがありません"), MB_ICONSTOP);
        return;
    }
    examples_.clear();
    const QSignalBlocker blockExample(ui->lbExample);
    ui->lbExample->clear();
    ui->edExample->clear();
    const QString path = ExampleClassPath(WordEditAppFolder() + QStringLiteral("Common"), classFiles_.at(index));
    QStringList lines;
    if (path.isEmpty() || !ReadCp932Lines(path, lines)) {
        ShowMessage(this, QStringLiteral("例文データがありません"), MB_ICONSTOP);
        return;
    }
    // A count that is not a number stops the loading; what was read stays.
    QString badCount;
    examples_ = ParseExampleClass(lines, &badCount);
    if (!badCount.isNull())
        ShowMessage(this, QStringLiteral("'%1' は有効な整数値ではありません").arg(badCount), MB_ICONSTOP);
    QStringList headings;
    for (const QString& example : examples_)
        headings << example.left(example.indexOf(QStringLiteral("\r\n")));
    PutItems(ui->lbExample, headings);
    if (!examples_.isEmpty()) {
        ui->lbExample->setCurrentRow(0);
        exampleChosen(0);
    }
}

void TWordEditDialog::exampleChosen(int row)
{
    ui->edExample->setPlainText(row >= 0 && row < examples_.size() ? ToMemo(examples_.at(row)) : QString());
}

QString TWordEditDialog::chosenExample() const
{
    const int row = ui->lbExample->currentRow();
    return row >= 0 && row < examples_.size() ? examples_.at(row) : QString();
}

void TWordEditDialog::AddExample()
{
    const QString example = chosenExample();
    if (example.isNull())
        return;
    QString text = ui->edText->toPlainText();
    const QString trimmed = cp932::Trim(text);
    if (!trimmed.isEmpty())
        text = trimmed + QLatin1Char('\n');
    ui->edText->setPlainText(text + ToMemo(example));
}

void TWordEditDialog::ReplaceWithExample()
{
    const QString example = chosenExample();
    if (!example.isNull())
        ui->edText->setPlainText(ToMemo(example));
}

void TWordEditDialog::writeSettings()
{
    const QString file = DrawingSettingsFile();
    if (file.isEmpty())
        return;
    TIniFile ini(file);
    ini.WriteInteger(kSection, QStringLiteral("Example"), example_);
    ini.WriteInteger(kSection, QStringLiteral("Width"), ScaleForDpi(width(), false));
    ini.WriteInteger(kSection, QStringLiteral("Height"), ScaleForDpi(height(), false));
    ini.UpdateFile();
}

void TWordEditDialog::done(int result)
{
    writeSettings();
    TModalDialog::done(result);
}
