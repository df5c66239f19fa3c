#include "drawing/dialogs/PrintDataOpenDialog.h"

#include "drawing/dialogs/PrintDataList.h"
#include "drawing/objects/ImageUtils.h"
#include "drawing/objects/PrintDataFile.h"
#include "drawing/objects/StreamIO.h"
#include "platform/ui/MessageBox.h"

#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// Stretches the thumbnail over its whole box and frames it in grey.
class TPreviewBox : public QWidget {
public:
    TPreviewBox(const QImage& image, QWidget* parent) : QWidget(parent), image_(image) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (image_.isNull())
            return;
        QPainter p(this);
        p.drawImage(rect(), image_);
        p.setPen(QColor(128, 128, 128));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    const QImage& image_;
};

} // namespace

TPrintDataOpenDialog::TPrintDataOpenDialog(QWidget* owner) : TModalDialog(owner)
{
    setObjectName(QStringLiteral("PrintDataOpenDialog"));
    setWindowTitle(QStringLiteral("開く"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* files = new QGroupBox(QStringLiteral("保存ファイル一覧"), this);
    files->setObjectName(QStringLiteral("pnlFiles"));
    auto* filesLayout = new QVBoxLayout(files);
    list_ = new TPrintDataList(this);
    auto* tools = new QHBoxLayout;
    list_->DeleteButton()->setParent(files);
    list_->RenameButton()->setParent(files);
    tools->addWidget(list_->DeleteButton());
    tools->addWidget(list_->RenameButton());
    tools->addStretch();
    filesLayout->addLayout(tools);
    list_->List()->setParent(files);
    filesLayout->addWidget(list_->List());
    list_->List()->setMinimumWidth(360);
    top->addWidget(files);

    pnlPreview = new QGroupBox(QStringLiteral("プレビュー"), this);
    pnlPreview->setObjectName(QStringLiteral("pnlPreview"));
    pnlPreview->setMinimumSize(260, 260);
    pbPreview = new TPreviewBox(preview_, pnlPreview);
    pbPreview->setObjectName(QStringLiteral("pbPreview"));
    top->addWidget(pnlPreview, 1);

    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &TPrintDataOpenDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TPrintDataOpenDialog::reject);

    connect(list_, &TPrintDataList::SelectionChanged, this, &TPrintDataOpenDialog::itemSelected);
    connect(list_->List(), &QTreeWidget::itemDoubleClicked, this, [this] { btnOK->click(); });
    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    enter->SetNext(list_->List(), btnOK);
}

void TPrintDataOpenDialog::SetPrintKind(quint8 Kind)
{
    helpContext_ = PrintDataHelpContext(Kind, helpContext_);
    list_->Fill(Kind);
}

void TPrintDataOpenDialog::SetPaperKind(int K) { helpContext_ = K == 0 ? 79 : 85; }

void TPrintDataOpenDialog::SetFileName(const QString& Name, const QString& OpenFile)
{
    list_->SetCurrent(Name, OpenFile);
}

QString TPrintDataOpenDialog::GetFileName() const { return list_->SelectedTitle(); }

QString TPrintDataOpenDialog::FilePath() const { return list_->FileOf(list_->Selected()); }

bool TPrintDataOpenDialog::FilesChanged() const { return list_->FilesChanged; }

void TPrintDataOpenDialog::accept()
{
    if (list_->Selected())
        TModalDialog::accept();
}

void TPrintDataOpenDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    QTreeWidget* lv = list_->List();
    if (!list_->Selected() && lv->topLevelItemCount() > 0) {
        lv->setCurrentItem(lv->topLevelItem(0));
        lv->topLevelItem(0)->setSelected(true);
        lv->setFocus();
    }
    placePreview();
}

void TPrintDataOpenDialog::resizeEvent(QResizeEvent* event)
{
    TModalDialog::resizeEvent(event);
    placePreview();
}

void TPrintDataOpenDialog::itemSelected(QTreeWidgetItem* Item)
{
    preview_ = QImage();
    if (Item) {
        const QString fileName = list_->FileOf(Item);
        if (!QFile::exists(fileName)) {
            ShowMessage(this, QStringLiteral("ファイルが見つかりません  "), MB_ICONINFORMATION);
            // Not from inside the view's selection change.
            QTimer::singleShot(0, this, [this, Item] {
                QTreeWidget* lv = list_->List();
                if (lv->indexOfTopLevelItem(Item) >= 0)
                    delete Item;
            });
            placePreview();
            return;
        }
        try {
            const QByteArray jpeg = ReadPrintDataThumbnail(fileName, list_->Kind());
            if (!jpeg.isEmpty()) {
                preview_ = TJPEGImage{jpeg}.Decode();
                if (preview_.isNull())
                    ShowMessage(this, QStringLiteral("プレビューを表示できません  "), MB_ICONERROR);
            }
        } catch (const EDrawRectStreamError& e) {
            ShowMessage(this, QString::fromStdString(e.what()), MB_ICONERROR);
        }
    }
    placePreview();
}

QRect TPrintDataOpenDialog::PreviewRect() const { return pbPreview->geometry(); }

void TPrintDataOpenDialog::placePreview()
{
    if (preview_.isNull() || preview_.width() <= 0 || preview_.height() <= 0) {
        pbPreview->setGeometry(0, 0, 0, 0);
        pbPreview->update();
        return;
    }
    const QRect area = pnlPreview->contentsRect();
    const double scale = std::min(0.9 * area.width() / preview_.width(), 0.9 * area.height() / preview_.height());
    const int w = int(std::lround(preview_.width() * scale));
    const int h = int(std::lround(preview_.height() * scale));
    pbPreview->setGeometry(area.left() + (area.width() - w) / 2, area.top() + (area.height() - h) / 2, w, h);
    pbPreview->update();
}
